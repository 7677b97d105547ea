#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Bounds-checked reads of bytes that come from the controller. Nothing here reads
// outside the given array: a byte beyond the end reads as 0 and a copy stops at the end.
class PacketBytes {
public:
    // Stream report layout shared by the edge, scan and diagnostics streams:
    // byte 4 = sample count n, samples from byte 7 on.
    static constexpr int kSampleCountIndex = 4;
    static constexpr int kSampleStart = 7;

    // Byte `index` as unsigned, 0 when index is outside the array.
    static quint8 byteAt(const QByteArray& bytes, int index);
    // Little-endian unsigned 16-bit word at index; missing bytes read as 0.
    static quint16 u16LeAt(const QByteArray& bytes, int index);
    // Little-endian unsigned 32-bit word at index; missing bytes read as 0.
    static quint32 u32LeAt(const QByteArray& bytes, int index);

    // The common trimming rule of the streams: the n sample bytes that start at byte 7,
    // n taken from byte 4. A report shorter than n + 7 bytes yields everything from
    // byte 7 on (empty when the report has 7 bytes or fewer).
    static QByteArray cullandtrim(const QByteArray& report);

    // The bytes from `from` up to (not including) the first zero byte or the end, read as
    // Latin-1 text (one character per byte, so any byte value is accepted). Empty when
    // `from` is outside the array.
    static QString textUntilZero(const QByteArray& bytes, int from);
};
