#include "PacketBytes.h"

namespace {
constexpr int kBitsPerByte = 8;
constexpr int kU16Bytes = 2;
constexpr int kU32Bytes = 4;

quint32 littleEndianAt(const QByteArray& bytes, int index, int width) {
    quint32 word = 0;
    for (int i = 0; i < width; ++i) {
        word |= quint32(PacketBytes::byteAt(bytes, index + i)) << (kBitsPerByte * i);
    }
    return word;
}
}  // namespace

quint8 PacketBytes::byteAt(const QByteArray& bytes, int index) {
    if (index < 0 || index >= bytes.size()) {
        return 0;
    }
    return static_cast<quint8>(bytes.at(index));
}

quint16 PacketBytes::u16LeAt(const QByteArray& bytes, int index) {
    return static_cast<quint16>(littleEndianAt(bytes, index, kU16Bytes));
}

quint32 PacketBytes::u32LeAt(const QByteArray& bytes, int index) {
    return littleEndianAt(bytes, index, kU32Bytes);
}

QByteArray PacketBytes::cullandtrim(const QByteArray& report) {
    const int sampleCount = byteAt(report, kSampleCountIndex);
    return report.left(sampleCount + kSampleStart).mid(kSampleStart);
}

QString PacketBytes::textUntilZero(const QByteArray& bytes, int from) {
    if (from < 0 || from >= bytes.size()) {
        return QString();
    }
    const int zero = bytes.indexOf('\0', from);
    const int end = zero < 0 ? bytes.size() : zero;
    return QString::fromLatin1(bytes.constData() + from, end - from);
}
