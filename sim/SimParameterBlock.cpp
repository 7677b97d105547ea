#include "SimParameterBlock.h"

namespace {

// Factory settings of a board fresh from production.
constexpr quint8 kDefaultEdgePrescaler = 20;
constexpr quint8 kDefaultEdgeThreshold = 30;
constexpr quint8 kDefaultScanPrescaler = 20;
constexpr quint8 kDefaultTouchThreshold = 25;
constexpr quint8 kDefaultPressThreshold = 35;
constexpr quint8 kDefaultOutputEncoding = 3;  // two touch
constexpr quint8 kDefaultScanRate = 120;
constexpr quint8 kDefaultSnapRate = 60;

// A set-parameters request carries field k at request byte k - 1.
constexpr int kRequestToBlockShift = 1;

}  // namespace

SimParameterBlock::SimParameterBlock() : m_bytes(kLength, '\0') {}

SimParameterBlock SimParameterBlock::factoryDefaults(quint8 paramVersion) {
    SimParameterBlock block;
    block.setByte(kEdgePrescaler, kDefaultEdgePrescaler);
    block.setByte(kEdgeThreshold, kDefaultEdgeThreshold);
    block.setByte(kScanPrescaler, kDefaultScanPrescaler);
    block.setByte(kTouchThreshold, kDefaultTouchThreshold);
    block.setByte(kPressThreshold, kDefaultPressThreshold);
    block.setByte(kOutputEncoding, kDefaultOutputEncoding);
    block.setByte(kOutputFlags, kOutputEnabled);
    block.setByte(kParamVersion, paramVersion);
    block.setByte(kScanRate, kDefaultScanRate);
    block.setByte(kSnapRate, kDefaultSnapRate);
    return block;
}

quint8 SimParameterBlock::byteAt(int offset) const {
    if (offset < 0 || offset >= m_bytes.size()) {
        return 0;
    }
    return static_cast<quint8>(m_bytes.at(offset));
}

void SimParameterBlock::setByte(int offset, quint8 value) {
    if (offset < 0 || offset >= m_bytes.size()) {
        return;
    }
    m_bytes[offset] = static_cast<char>(value);
}

bool SimParameterBlock::flag(int offset, quint8 mask) const {
    return (byteAt(offset) & mask) != 0;
}

void SimParameterBlock::setFlag(int offset, quint8 mask, bool on) {
    const quint8 old = byteAt(offset);
    setByte(offset, on ? quint8(old | mask) : quint8(old & ~mask));
}

quint8 SimParameterBlock::boardOwnedMask(int offset) {
    switch (offset) {
        case kStatus:
        case kParamVersion:
        case kScanRate:
        case kSnapRate:
            return 0xFF;
        case kDiagFlags:
            return kWireErrorA | kWireErrorB;
        default:
            return 0x00;
    }
}

void SimParameterBlock::applyHostWrite(const QByteArray& request) {
    for (int field = kFirstField; field < kLength; ++field) {
        const int index = field - kRequestToBlockShift;
        if (index >= request.size()) {
            return;
        }
        const quint8 owned = boardOwnedMask(field);
        const quint8 host = static_cast<quint8>(request.at(index));
        setByte(field, quint8((byteAt(field) & owned) | (host & ~owned)));
    }
}

void SimParameterBlock::takeHostFields(const SimParameterBlock& other) {
    for (int field = kFirstField; field < kLength; ++field) {
        const quint8 owned = boardOwnedMask(field);
        setByte(field, quint8((byteAt(field) & owned) | (other.byteAt(field) & ~owned)));
    }
}
