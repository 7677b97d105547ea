#include "getoperations.h"

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/ResponseDelegateCurrentParameters.h"

namespace {
constexpr int kFirstOutputMode = 1;
constexpr int kLastOutputMode = 3;
}  // namespace

getoperations::getoperations(QObject* parent)
    : getoperations(DeviceEventDispatcher::instance(), parent) {}

getoperations::getoperations(DeviceEventDispatcher* dispatcher, QObject* parent)
    : QObject(parent), m_source(dispatcher) {}

template <typename Reader, typename Value>
Value getoperations::read(Reader reader, Value fallback) const {
    const ResponseDelegateCurrentParameters* current = m_source.delegate();
    return current != nullptr ? reader(*current) : fallback;
}

bool getoperations::getOutputEnabled() {
    return read([](const ParameterReadAccessor& p) { return p.isOutputEnabled(); }, false);
}

int getoperations::getEdgeThreshold() {
    return read([](const ParameterReadAccessor& p) { return p.edgeThreshold(); }, 0);
}

int getoperations::getPressThreshold() {
    return read([](const ParameterReadAccessor& p) { return p.pressThreshold(); }, 0);
}

int getoperations::getTouchThreshold() {
    return read([](const ParameterReadAccessor& p) { return p.touchThreshold(); }, 0);
}

int getoperations::getOutputMode() {
    const bool enabled = getOutputEnabled();
    const int encoding = read([](const ParameterReadAccessor& p) { return p.outputEncoding(); }, 0);
    if (encoding < 0 || encoding > kLastOutputMode) {
        TLOG_WARNING(QStringLiteral(
                         "Unexpected value from board: %1. Value will be corrected automatically!")
                         .arg(encoding));
        return kFallbackOutputMode;
    }
    if (enabled && encoding >= kFirstOutputMode) {
        return encoding;
    }
    return kFallbackOutputMode;
}

bool getoperations::getCalibrationSuccessfull() {
    return read(
        [](const ParameterReadAccessor& p) { return p.isCalibSuccess() && !p.isCalibErrBadCond(); },
        false);
}

bool getoperations::getIsEdgeStretchActive() {
    return read([](const ParameterReadAccessor& p) { return p.isOutputEdgeActive(); }, false);
}

int getoperations::getEdgeStretchLevel() {
    return read([](const ParameterReadAccessor& p) { return p.EdgeStrechLevel(); }, 0);
}

int getoperations::getEdgeStretchScale() {
    return read([](const ParameterReadAccessor& p) { return p.EdgeStrechScale(); }, 0);
}

bool getoperations::getTestMode() {
    return read([](const ParameterReadAccessor& p) { return p.isMonitorTestMode(); }, false);
}

bool getoperations::getScanModeEnabled() {
    return read(
        [](const ParameterReadAccessor& p) {
            return p.isMonitorScanA() || p.isMonitorScanB() || p.isMonitorScanAreaA() ||
                   p.isMonitorScanAreaB();
        },
        false);
}

bool getoperations::getMonitorDiagAB() {
    return read(
        [](const ParameterReadAccessor& p) { return p.isMonitorDiagA() || p.isMonitorDiagB(); },
        false);
}
