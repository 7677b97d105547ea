#include "FirmwareVersionRules.h"

#include <QFileInfo>

namespace {
constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;
const QChar kVersionSeparator = QLatin1Char('_');
const QChar kExtensionSeparator = QLatin1Char('.');

bool isDecimalDigits(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}
}  // namespace

int FirmwareVersionRules::deviceVersion(quint32 word) {
    return numberRule(QString::number(word, kHexBase));
}

int FirmwareVersionRules::numberRule(const QString& part) {
    if (!isDecimalDigits(part)) {
        return 0;
    }
    bool ok = false;
    const int value = part.toInt(&ok, kDecimalBase);
    return ok ? value : 0;
}

QString FirmwareVersionRules::versionPart(const QString& fileName) {
    return fileName.section(kVersionSeparator, 0, 0);
}

QString FirmwareVersionRules::splitTypePart(const QString& fileName) {
    const int separator = fileName.indexOf(kVersionSeparator);
    if (separator < 0) {
        return QString();
    }
    return fileName.mid(separator + 1).section(kExtensionSeparator, 0, 0);
}

QString FirmwareVersionRules::numberPart(const QString& fileName) {
    return fileName.section(kExtensionSeparator, 0, 0);
}

int FirmwareVersionRules::fileVersion(const QString& fileName) {
    return numberRule(versionPart(fileName));
}

int FirmwareVersionRules::fileSplitType(const QString& fileName) {
    return numberRule(splitTypePart(fileName));
}

int FirmwareVersionRules::fileNumber(const QString& fileName) {
    return numberRule(numberPart(fileName));
}

bool FirmwareVersionRules::fileFitsSplitType(const QString& path, int splitType) {
    // A sensor whose split type was not detected cannot vouch for any file.
    return splitType != 0 && fileSplitType(QFileInfo(path).fileName()) == splitType;
}
