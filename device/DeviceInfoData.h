#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What a provider reports about the open device. A new record has every number 0 and
// every text empty.
//
// Text form (carried by recorded logs, one line):
//   " DID %1 %2 %3 %4 %5 %6 %7 %8 Ver:%9 "
// with the eight words in order (reserved, vendorId, productId, reserved, inputLength,
// outputLength, reserved, bufferSize) as 8 lower-case hex digits each, then versionText.
struct DeviceInfoData {
    static constexpr int kWordCount = 8;
    static constexpr int kWordHexDigits = 8;
    // versionText holds at most this many characters (a 20-byte NUL-terminated field).
    static constexpr int kVersionTextCapacity = 19;

    quint32 reserved1 = 0;
    quint32 vendorId = 0;
    quint32 productId = 0;
    quint32 reserved2 = 0;
    // Bytes per incoming report including its report-id byte (61 for a live device).
    quint32 inputLength = 0;
    // Bytes per outgoing report including its report-id byte (61 for a live device).
    quint32 outputLength = 0;
    quint32 reserved3 = 0;
    // Read buffer size in bytes (4096 for a live device).
    quint32 bufferSize = 0;
    QString versionText;

    // Filled from an enumerated device; not part of the text form.
    QString manufacturer;
    QString product;
    QString vendorIdHex;
    QString productIdHex;
    QString usagePage;
    QString usage;

    // The text form above.
    QString toText() const;

    // Parses the eight words of a text form found anywhere in `text` (for instance a
    // whole log line). The words are read after the "DID" marker: of the space-separated
    // parts there, those holding a run of 8 lower-case hex digits are taken, at least
    // eight must exist and the first eight must each parse as hex. Returns nothing when
    // the marker is missing or any of this fails. versionText and the texts are not
    // restored.
    static std::optional<DeviceInfoData> fromText(const QString& text);
};
