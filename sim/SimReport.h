#pragma once

#include <QByteArray>
#include <QString>

#include "sim/SimFirmwareStore.h"

// One input report of the board: 61 bytes on the wire, report id 1 first. Offsets given
// to the setters count from the frame byte (wire byte 1), the way the host's packet
// handlers count: 0 frame byte, 1 response code, 2..59 data. Every write is bounded by
// the report; what does not fit is cut off.
//
// The static builders hold the layout of every report the board sends.
class SimReport {
public:
    static constexpr int kWireLength = 61;
    static constexpr quint8 kReportId = 1;
    static constexpr int kPacketLength = kWireLength - 1;

    // Response codes.
    static constexpr quint8 kCodeVersion = 1;
    static constexpr quint8 kCodeCopyright = 2;
    static constexpr quint8 kCodeParameters = 3;
    static constexpr quint8 kCodeEdgeA = 4;
    static constexpr quint8 kCodeEdgeB = 5;
    static constexpr quint8 kCodeScanA = 8;
    static constexpr quint8 kCodeScanB = 9;
    static constexpr quint8 kCodeScanAreaA = 12;
    static constexpr quint8 kCodeScanAreaB = 13;
    static constexpr quint8 kCodeUntrackedFinger = 18;
    static constexpr quint8 kCodeFilter = 21;
    static constexpr quint8 kCodeZoneA = 35;
    static constexpr quint8 kCodeZoneB = 36;
    static constexpr quint8 kCodeTracker = 37;
    static constexpr quint8 kCodeDiagA = 40;
    static constexpr quint8 kCodeDiagB = 41;
    // A firmware-update answer carries the request's opcode plus this.
    static constexpr quint8 kFirmwareAnswerOffset = 2;

    // Sample streams (edge, scan line, diagnostics): count at 4, samples from 7.
    static constexpr int kStreamLine = 2;
    static constexpr int kStreamCount = 4;
    static constexpr int kStreamSamples = 7;
    static constexpr int kMaxSamples = kPacketLength - kStreamSamples;
    // Scan-area tile header.
    static constexpr int kTileFirstRow = 2;
    static constexpr int kTileRows = 3;
    static constexpr int kTileFirstCol = 4;
    static constexpr int kTileCols = 5;
    // Untracked finger.
    static constexpr int kFingerState = 2;
    static constexpr int kFingerA = 4;
    static constexpr int kFingerB = 6;
    static constexpr quint8 kFingerContact = 2;
    static constexpr quint8 kFingerNoContact = 0;
    // Version report.
    static constexpr int kVersionHardware = 8;
    static constexpr int kVersionParamLayout = 9;
    static constexpr int kVersionRunning = 10;
    static constexpr int kVersionOriginal = 14;
    static constexpr int kVersionUpdateCounter = 18;
    static constexpr int kVersionText = 24;
    // Copyright report.
    static constexpr int kCopyrightText = 2;
    // Zonal coefficients.
    static constexpr int kZoneCount = 2;
    static constexpr int kZoneValues = 3;
    static constexpr int kMaxZoneValues = kPacketLength - kZoneValues;
    // Firmware answers.
    static constexpr int kStoreHeaderClear = 2;
    static constexpr int kStoreItemsClear = 3;
    static constexpr int kAccepted = 2;
    static constexpr int kItemEntry = 2;
    static constexpr int kItemAccepted = 4;
    static constexpr int kItemChecksum = 5;
    static constexpr int kHeaderStagedVersion = 2;
    static constexpr int kHeaderStagedSize = 6;
    static constexpr int kHeaderStagedChecksum = 10;
    static constexpr int kHeaderStagedValid = 14;
    static constexpr int kHeaderRunningFlags = 15;
    static constexpr int kHeaderRunningVersion = 19;
    static constexpr int kHeaderRunningSize = 23;
    static constexpr int kHeaderRunningChecksum = 27;
    static constexpr int kHeaderRunningValid = 31;
    static constexpr int kHeaderUpdateCounter = 32;
    static constexpr int kHeaderOriginalVersion = 36;

    SimReport(quint8 frame, quint8 code);

    void setByte(int offset, quint8 value);
    void setU16(int offset, quint16 value);  // little-endian
    void setU32(int offset, quint32 value);  // little-endian
    void setBytes(int offset, const QByteArray& bytes);
    // Latin-1 text with a terminating zero byte (the zero is cut off when the text fills
    // the report).
    void setText(int offset, const QString& text);

    const QByteArray& wire() const { return m_wire; }

    // Builders. `block` arguments are 60-byte blocks whose bytes 2..59 are copied.
    static QByteArray block(quint8 frame, quint8 code, const QByteArray& block);
    static QByteArray samples(quint8 frame, quint8 code, int line, const QByteArray& values);
    static QByteArray tile(quint8 frame, quint8 code, int firstRow, int rows, int firstCol,
                           int cols, const QByteArray& values);
    static QByteArray finger(quint8 frame, bool contact, quint16 a, quint16 b);
    static QByteArray version(quint8 frame, quint8 paramVersion, const SimFirmwareStore& store);
    static QByteArray copyright(quint8 frame);
    static QByteArray zone(quint8 frame, quint8 code, const QByteArray& coefficients);
    static QByteArray storeState(quint8 frame, quint8 code, bool headerClear, bool itemsClear);
    static QByteArray verdict(quint8 frame, quint8 code, bool yes);
    static QByteArray item(quint8 frame, quint8 code, quint16 entry, bool ok, quint32 checksum);
    static QByteArray header(quint8 frame, quint8 code, const SimFirmwareStore& store,
                             quint32 stagedChecksum);

    // The version text the board reports for a running version.
    static QString versionText(quint32 runningVersion);

private:
    QByteArray m_wire;
};
