#include "DeviceInfoData.h"

#include <QRegularExpression>
#include <QStringList>

#include <array>

namespace {
const QString kMarker = QStringLiteral("DID");
constexpr int kHexBase = 16;

QString wordText(quint32 word) {
    return QStringLiteral("%1").arg(word, DeviceInfoData::kWordHexDigits, kHexBase,
                                    QLatin1Char('0'));
}
}  // namespace

QString DeviceInfoData::toText() const {
    const std::array<quint32, kWordCount> words = {reserved1, vendorId,    productId,
                                                   reserved2, inputLength, outputLength,
                                                   reserved3, bufferSize};
    QString text = QStringLiteral(" %1").arg(kMarker);
    text += QStringLiteral(" %1 ").arg(wordText(words[0]));
    for (int i = 1; i < kWordCount; ++i) {
        text += QStringLiteral("%1 ").arg(wordText(words[i]));
    }
    text += QStringLiteral("Ver:%1 ").arg(versionText.left(kVersionTextCapacity));
    return text;
}

std::optional<DeviceInfoData> DeviceInfoData::fromText(const QString& text) {
    const int marker = text.indexOf(kMarker);
    if (marker < 0) {
        return std::nullopt;
    }
    // Only what follows the marker is read, so a log stamp or a signature in front of it
    // can never be taken for a word.
    static const QRegularExpression kWordPattern(QStringLiteral("[0-9a-f]{8}"));
    const QStringList parts =
        text.mid(marker + kMarker.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList words;
    for (const QString& part : parts) {
        if (kWordPattern.match(part).hasMatch()) {
            words.append(part);
        }
    }
    if (words.size() < kWordCount) {
        return std::nullopt;
    }
    std::array<quint32, kWordCount> values{};
    for (int i = 0; i < kWordCount; ++i) {
        bool ok = false;
        values[i] = words.at(i).toUInt(&ok, kHexBase);
        if (!ok) {
            return std::nullopt;
        }
    }
    DeviceInfoData info;
    info.reserved1 = values[0];
    info.vendorId = values[1];
    info.productId = values[2];
    info.reserved2 = values[3];
    info.inputLength = values[4];
    info.outputLength = values[5];
    info.reserved3 = values[6];
    info.bufferSize = values[7];
    return info;
}
