#include "FloatWriteAccessor.h"

#include <limits>

#include "logging/LogMacros.h"
#include "protocol/FloatAccessor.h"
#include "protocol/ParameterFieldSupport.h"

namespace {
constexpr quint8 kWholeFieldMask = 0;
constexpr int kBitsPerByte = 8;
constexpr quint32 kByteMask = 0xFFu;
constexpr double kLargestQuotient = std::numeric_limits<quint32>::max();
}  // namespace

quint32 FloatWriteAccessor::encode(float value) {
    const double v = value;
    if (!(v > 0.0)) {
        return 0;
    }
    if (v >= 1.0) {
        const double scaled = v * FloatAccessor::kFixedPointScale;
        if (scaled >= static_cast<double>(kLargestWord)) {
            return kLargestWord;
        }
        return static_cast<quint32>(scaled);
    }
    const double quotient = FloatAccessor::kFixedPointScale / v;
    if (quotient >= kLargestQuotient) {
        return kSmallestFractionWord;
    }
    return (static_cast<quint32>(quotient) >> 1) | FloatAccessor::kFractionFlag;
}

bool FloatWriteAccessor::isFieldSupported(int set, int offset) {
    return ParameterFieldSupport::isSupported(set, offset, kWholeFieldMask);
}

bool FloatWriteAccessor::holdsField(int offset) {
    return offset >= 0 && offset + FloatAccessor::kFloatBytes <= floatWriteBlock().size();
}

bool FloatWriteAccessor::storeFloat(int offset, float value) {
    if (!holdsField(offset)) {
        TLOG_WARNING(QStringLiteral("Block of %1 bytes has no field at %2, nothing written.")
                         .arg(floatWriteBlock().size())
                         .arg(offset));
        return false;
    }
    const quint32 word = encode(value);
    QByteArray& block = floatWriteBlock();
    for (int i = 0; i < FloatAccessor::kFloatBytes; ++i) {
        block[offset + i] = static_cast<char>((word >> (kBitsPerByte * i)) & kByteMask);
    }
    return true;
}

bool FloatWriteAccessor::writeFloat(int set, int offset, float value) {
    if (!isFieldSupported(set, offset)) {
        return false;
    }
    return storeFloat(offset, value);
}
