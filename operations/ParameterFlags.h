#pragma once

#include <initializer_list>

#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/ParameterReadAccessor.h"
#include "protocol/ParameterWriteAccessor.h"

// The on/off fields of the current-parameters block that the parameter operations
// switch, each as its reader and writer, and the few things done with lists of them.
namespace ParameterFlags {

struct Flag {
    bool (ParameterReadAccessor::*read)() const;
    void (ParameterWriteAccessor::*write)(bool);
};
using Flags = std::initializer_list<Flag>;

using P = ParameterReadAccessor;
using W = ParameterWriteAccessor;
inline const Flag kEdgeA{&P::isMonitorEdgeA, &W::setMonitorEdgeA};
inline const Flag kEdgeB{&P::isMonitorEdgeB, &W::setMonitorEdgeB};
inline const Flag kScanA{&P::isMonitorScanA, &W::setMonitorScanA};
inline const Flag kScanB{&P::isMonitorScanB, &W::setMonitorScanB};
inline const Flag kScanAreaA{&P::isMonitorScanAreaA, &W::setMonitorScanAreaA};
inline const Flag kScanAreaB{&P::isMonitorScanAreaB, &W::setMonitorScanAreaB};
inline const Flag kDiagA{&P::isMonitorDiagA, &W::setMonitorDiagA};
inline const Flag kDiagB{&P::isMonitorDiagB, &W::setMonitorDiagB};
inline const Flag kTestMode{&P::isMonitorTestMode, &W::setMonitorTestMode};
inline const Flag kPeak{&P::isMonitorPeak, &W::setPeakMonitoring};
inline const Flag kPeaks{&P::isMonitorPeaks, &W::setMonitorPeaks};
inline const Flag kDynA{&P::isMonitorDynA, &W::setMonitorDynA};
inline const Flag kDynB{&P::isMonitorDynB, &W::setMonitorDynB};

inline const Flags kScanFlags{kScanA, kScanB, kScanAreaA, kScanAreaB};
// The streaming and test flags that must be off before the parameters are saved.
inline const Flags kMonitorFlags{kTestMode, kDiagA,     kDiagB,     kEdgeA, kEdgeB, kScanA,
                                 kScanB,    kScanAreaA, kScanAreaB, kPeak,  kPeaks};

inline bool isSet(const ParameterReadAccessor& block, const Flag& flag) {
    return (block.*flag.read)();
}

inline bool anySet(const ParameterReadAccessor& block, Flags flags) {
    for (const Flag& flag : flags) {
        if (isSet(block, flag)) {
            return true;
        }
    }
    return false;
}

inline bool allSet(const ParameterReadAccessor& block, Flags flags) {
    for (const Flag& flag : flags) {
        if (!isSet(block, flag)) {
            return false;
        }
    }
    return true;
}

// Writes `on` into every flag that reads otherwise; true when any did. A flag the
// firmware lacks reads as its default and is not written, so it keeps reporting a
// difference and the caller keeps polling.
inline bool syncFlags(CommandSetCurrentParameters& command, Flags flags, bool on) {
    bool differed = false;
    for (const Flag& flag : flags) {
        if ((command.*flag.read)() != on) {
            (command.*flag.write)(on);
            differed = true;
        }
    }
    return differed;
}

}  // namespace ParameterFlags
