#include "BinDataUtils.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "logging/LogMacros.h"
#include "protocol/FirmwareInformation.h"
#include "firmware/FirmwareVersionRules.h"

namespace {
const char* const kLogPattern = "*.log";

QString askWithFileDialog(QWidget* parent, const QString& caption, const QString& directory,
                          const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}
}  // namespace

QString BinDataUtils::showFileChooser(const QString& caption, const QString& filter,
                                      const QString& pattern, QWidget* parent,
                                      const OpenFileDialog& dialog) {
    TTRACE();
    const QString folder = QDir::currentPath();
    TLOG_INFO(QStringLiteral("Operating at: %1").arg(folder));
    const QStringList files =
        QDir(folder).entryList(pattern.split(QLatin1Char(' '), Qt::SkipEmptyParts), QDir::Files);
    TLOG_INFO(QStringLiteral("%1 files read").arg(files.size()));
    const QString chosen = dialog ? dialog(parent, caption, folder, filter)
                                  : askWithFileDialog(parent, caption, folder, filter);
    if (chosen.isEmpty() || pattern == QLatin1String(kLogPattern)) {
        return chosen;
    }
    FirmwareInformation& information = FirmwareInformation::instance();
    const bool matches = fileMatchesSplitType(chosen, information.splitType());
    if (!matches) {
        TLOG_INFO(QStringLiteral("%1 Wrong file was chosen").arg(chosen));
    }
    information.setChosenFileMatches(matches);
    return chosen;
}

bool BinDataUtils::fileMatchesSplitType(const QString& path, int splitType) {
    // A sensor whose split type was not detected cannot vouch for any file.
    if (splitType == 0) {
        return false;
    }
    return FirmwareVersionRules::fileSplitType(QFileInfo(path).fileName()) == splitType;
}
