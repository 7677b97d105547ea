#include "SimReport.h"

namespace {

// Wire byte of packet offset 0 (the report id comes first).
constexpr int kWireShift = 1;
constexpr int kFrameOffset = 0;
constexpr int kCodeOffset = 1;
constexpr int kDataOffset = 2;
constexpr quint8 kHardwareRevision = 2;
constexpr char kCopyrightNotice[] = "Copyright (c) Orvello. All rights reserved.";
constexpr char kVersionTextFormat[] = "Orvello Tavirel FW %1";

}  // namespace

SimReport::SimReport(quint8 frame, quint8 code) : m_wire(kWireLength, '\0') {
    m_wire[0] = static_cast<char>(kReportId);
    setByte(kFrameOffset, frame);
    setByte(kCodeOffset, code);
}

void SimReport::setByte(int offset, quint8 value) {
    const int index = offset + kWireShift;
    if (offset < 0 || index >= m_wire.size()) {
        return;
    }
    m_wire[index] = static_cast<char>(value);
}

void SimReport::setU16(int offset, quint16 value) {
    setByte(offset, quint8(value & 0xFF));
    setByte(offset + 1, quint8(value >> 8));
}

void SimReport::setU32(int offset, quint32 value) {
    for (int i = 0; i < 4; ++i) {
        setByte(offset + i, quint8((value >> (8 * i)) & 0xFF));
    }
}

void SimReport::setBytes(int offset, const QByteArray& bytes) {
    for (int i = 0; i < bytes.size(); ++i) {
        setByte(offset + i, static_cast<quint8>(bytes.at(i)));
    }
}

void SimReport::setText(int offset, const QString& text) {
    setBytes(offset, text.toLatin1().append('\0'));
}

QByteArray SimReport::block(quint8 frame, quint8 code, const QByteArray& block) {
    SimReport report(frame, code);
    report.setBytes(kDataOffset, block.mid(kDataOffset, kPacketLength - kDataOffset));
    return report.wire();
}

QByteArray SimReport::samples(quint8 frame, quint8 code, int line, const QByteArray& values) {
    SimReport report(frame, code);
    const QByteArray sent = values.left(kMaxSamples);
    report.setByte(kStreamLine, quint8(line));
    report.setByte(kStreamCount, quint8(sent.size()));
    report.setBytes(kStreamSamples, sent);
    return report.wire();
}

QByteArray SimReport::tile(quint8 frame, quint8 code, int firstRow, int rows, int firstCol,
                           int cols, const QByteArray& values) {
    SimReport report(frame, code);
    report.setByte(kTileFirstRow, quint8(firstRow));
    report.setByte(kTileRows, quint8(rows));
    report.setByte(kTileFirstCol, quint8(firstCol));
    report.setByte(kTileCols, quint8(cols));
    report.setBytes(kStreamSamples, values.left(kMaxSamples));
    return report.wire();
}

QByteArray SimReport::finger(quint8 frame, bool contact, quint16 a, quint16 b) {
    SimReport report(frame, kCodeUntrackedFinger);
    report.setByte(kFingerState, contact ? kFingerContact : kFingerNoContact);
    report.setU16(kFingerA, a);
    report.setU16(kFingerB, b);
    return report.wire();
}

QString SimReport::versionText(quint32 runningVersion) {
    return QString::fromLatin1(kVersionTextFormat).arg(runningVersion, 0, 16);
}

QByteArray SimReport::version(quint8 frame, quint8 paramVersion, const SimFirmwareStore& store) {
    SimReport report(frame, kCodeVersion);
    report.setByte(kVersionHardware, kHardwareRevision);
    report.setByte(kVersionParamLayout, paramVersion);
    report.setU32(kVersionRunning, store.running().version);
    report.setU32(kVersionOriginal, store.originalVersion());
    report.setU32(kVersionUpdateCounter, store.updateCounter());
    report.setText(kVersionText, versionText(store.running().version));
    return report.wire();
}

QByteArray SimReport::copyright(quint8 frame) {
    SimReport report(frame, kCodeCopyright);
    report.setText(kCopyrightText, QString::fromLatin1(kCopyrightNotice));
    return report.wire();
}

QByteArray SimReport::zone(quint8 frame, quint8 code, const QByteArray& coefficients) {
    SimReport report(frame, code);
    const QByteArray sent = coefficients.left(kMaxZoneValues);
    report.setByte(kZoneCount, quint8(sent.size()));
    report.setBytes(kZoneValues, sent);
    return report.wire();
}

QByteArray SimReport::storeState(quint8 frame, quint8 code, bool headerClear, bool itemsClear) {
    SimReport report(frame, code);
    report.setByte(kStoreHeaderClear, headerClear ? 1 : 0);
    report.setByte(kStoreItemsClear, itemsClear ? 1 : 0);
    return report.wire();
}

QByteArray SimReport::verdict(quint8 frame, quint8 code, bool yes) {
    SimReport report(frame, code);
    report.setByte(kAccepted, yes ? 1 : 0);
    return report.wire();
}

QByteArray SimReport::item(quint8 frame, quint8 code, quint16 entry, bool ok, quint32 checksum) {
    SimReport report(frame, code);
    report.setU16(kItemEntry, entry);
    report.setByte(kItemAccepted, ok ? 1 : 0);
    report.setU32(kItemChecksum, checksum);
    return report.wire();
}

QByteArray SimReport::header(quint8 frame, quint8 code, const SimFirmwareStore& store,
                             quint32 stagedChecksum) {
    SimReport report(frame, code);
    const SimFirmwareStore::Header staged = store.staged();
    const SimFirmwareStore::Header running = store.running();
    report.setU32(kHeaderStagedVersion, staged.version);
    report.setU32(kHeaderStagedSize, staged.size);
    report.setU32(kHeaderStagedChecksum, stagedChecksum);
    report.setByte(kHeaderStagedValid, store.isStagedImageValid() ? 1 : 0);
    report.setU32(kHeaderRunningFlags, store.runningFlags());
    report.setU32(kHeaderRunningVersion, running.version);
    report.setU32(kHeaderRunningSize, running.size);
    report.setU32(kHeaderRunningChecksum, running.checksum);
    report.setByte(kHeaderRunningValid, store.isRunningChecksumValid() ? 1 : 0);
    report.setU32(kHeaderUpdateCounter, store.updateCounter());
    report.setU32(kHeaderOriginalVersion, store.originalVersion());
    return report.wire();
}
