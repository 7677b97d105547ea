#include "FloatAccessor.h"

#include "protocol/PacketBytes.h"
#include "protocol/ParameterFieldSupport.h"

namespace {
constexpr quint8 kWholeFieldMask = 0;
}

float FloatAccessor::decode(quint32 word) {
    if ((word & kFractionFlag) == 0) {
        return static_cast<float>(word / kFixedPointScale);
    }
    const quint32 k = word & ~kFractionFlag;
    if (k == 0) {
        return 0.0f;
    }
    // k < 2^31, so 2k fits an unsigned 32-bit word.
    const quint32 divisor = 2u * k;
    return static_cast<float>(kFixedPointScale / divisor);
}

float FloatAccessor::readFloat(int set, int offset) const {
    if (!ParameterFieldSupport::isSupported(set, offset, kWholeFieldMask)) {
        return 0.0f;
    }
    return decode(PacketBytes::u32LeAt(floatBlock(), offset));
}
