#include "ParameterFieldSupport.h"

#include <QSet>

#include "protocol/ParameterVersion.h"
#include "protocol/deviceparamMinVersion.h"

namespace {
struct SupportState {
    ParameterFieldSupport::Lookup lookup;
    QSet<quint64> supportedFields;
    quint8 answeredForVersion = ParameterVersion::kStartValue;
};

SupportState& state() {
    static SupportState supportState;
    return supportState;
}

quint64 fieldKey(int set, int offset, quint8 mask) {
    constexpr int kOffsetShift = 8;
    constexpr int kSetShift = 40;
    return (static_cast<quint64>(static_cast<quint32>(set)) << kSetShift) |
           (static_cast<quint64>(static_cast<quint32>(offset)) << kOffsetShift) | mask;
}

bool askTable(int set, int offset, quint8 mask) {
    SupportState& current = state();
    if (current.lookup) {
        return current.lookup(set, offset, mask);
    }
    return deviceparamMinVersion::instance()->isOlderOrCurrent(set, offset, mask);
}
}  // namespace

bool ParameterFieldSupport::isSupported(int set, int offset, quint8 mask) {
    SupportState& current = state();
    if (current.answeredForVersion != ParameterVersion::remembered()) {
        current.supportedFields.clear();
        current.answeredForVersion = ParameterVersion::remembered();
    }
    const quint64 key = fieldKey(set, offset, mask);
    if (current.supportedFields.contains(key)) {
        return true;
    }
    const bool supported = askTable(set, offset, mask);
    if (supported) {
        current.supportedFields.insert(key);
    }
    return supported;
}

void ParameterFieldSupport::setLookup(Lookup lookup) {
    SupportState& current = state();
    current.lookup = std::move(lookup);
    current.supportedFields.clear();
}
