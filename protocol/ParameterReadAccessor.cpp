#include "ParameterReadAccessor.h"

#include "protocol/PacketBytes.h"
#include "protocol/ParameterFieldSupport.h"
#include "protocol/deviceparamMinVersion.h"

using namespace CurrentParametersLayout;

namespace {
bool isSupported(ParameterField field) {
    return ParameterFieldSupport::isSupported(deviceparamMinVersion::kCurrentParametersSet,
                                              field.offset, field.mask);
}
}  // namespace

quint8 ParameterReadAccessor::byteAt(int offset) const {
    return PacketBytes::byteAt(parameterBlock(), offset);
}

bool ParameterReadAccessor::flag(ParameterField field, bool unsupportedDefault) const {
    if (!isSupported(field)) {
        return unsupportedDefault;
    }
    return (byteAt(field.offset) & field.mask) != 0;
}

int ParameterReadAccessor::unsignedByte(ParameterField field) const {
    if (!isSupported(field)) {
        return 0;
    }
    return byteAt(field.offset);
}

int ParameterReadAccessor::signedByte(ParameterField field) const {
    if (!isSupported(field)) {
        return 0;
    }
    return static_cast<qint8>(byteAt(field.offset));
}

int ParameterReadAccessor::edgePs() const {
    return unsignedByte(kEdgePs);
}
int ParameterReadAccessor::edgeThreshold() const {
    return unsignedByte(kEdgeThreshold);
}
int ParameterReadAccessor::scanPs() const {
    return unsignedByte(kScanPs);
}
int ParameterReadAccessor::touchThreshold() const {
    return unsignedByte(kTouchThreshold);
}
int ParameterReadAccessor::pressThreshold() const {
    return unsignedByte(kPressThreshold);
}
int ParameterReadAccessor::linearity() const {
    return signedByte(kLinearity);
}
int ParameterReadAccessor::outputEncoding() const {
    return unsignedByte(kOutputEncoding);
}

bool ParameterReadAccessor::isOutputEnabled() const {
    return flag(kOutputEnabled);
}
bool ParameterReadAccessor::isOutputFlipY() const {
    return flag(kOutputFlipY);
}
bool ParameterReadAccessor::isOutputFlipX() const {
    return flag(kOutputFlipX);
}
bool ParameterReadAccessor::isOutputSwapXy() const {
    return flag(kOutputSwapXy);
}
bool ParameterReadAccessor::isOutputUseCalib3() const {
    return flag(kOutputUseCalib3);
}
bool ParameterReadAccessor::isOutputEdgeActive() const {
    return flag(kOutputEdgeActive);
}

bool ParameterReadAccessor::isMonitorEdgeA() const {
    return flag(kMonitorEdgeA, true);
}
bool ParameterReadAccessor::isMonitorEdgeAMax() const {
    return flag(kMonitorEdgeAMax);
}
bool ParameterReadAccessor::isMonitorEdgeB() const {
    return flag(kMonitorEdgeB);
}
bool ParameterReadAccessor::isMonitorEdgeBMax() const {
    return flag(kMonitorEdgeBMax);
}
bool ParameterReadAccessor::isMonitorScanA() const {
    return flag(kMonitorScanA);
}
bool ParameterReadAccessor::isMonitorScanB() const {
    return flag(kMonitorScanB);
}
bool ParameterReadAccessor::isMonitorDynA() const {
    return flag(kMonitorDynA);
}
bool ParameterReadAccessor::isMonitorDynB() const {
    return flag(kMonitorDynB);
}

bool ParameterReadAccessor::isMonitorScanAreaA() const {
    return flag(kMonitorScanAreaA);
}
bool ParameterReadAccessor::isMonitorScanAreaB() const {
    return flag(kMonitorScanAreaB);
}
bool ParameterReadAccessor::isMonitorPeaks() const {
    return flag(kMonitorPeaks);
}
bool ParameterReadAccessor::isMonitorPeak() const {
    return flag(kMonitorPeak);
}
bool ParameterReadAccessor::isMonitorOutput() const {
    return flag(kMonitorOutput);
}
bool ParameterReadAccessor::isMonitorTestMode() const {
    return flag(kMonitorTestMode);
}

bool ParameterReadAccessor::isCalibSuccess() const {
    return flag(kCalibSuccess);
}
bool ParameterReadAccessor::isCalibErrBadCond() const {
    return flag(kCalibErrBadCond);
}
bool ParameterReadAccessor::isSoftResetActive() const {
    return flag(kSoftResetActive);
}
bool ParameterReadAccessor::isReadProtectActive() const {
    return flag(kReadProtectActive);
}

int ParameterReadAccessor::OutputExcludeMode() const {
    return unsignedByte(kOutputExcludeMode);
}
int ParameterReadAccessor::ParamVersion() const {
    return byteAt(kParamVersion.offset);
}
int ParameterReadAccessor::knuckleReject() const {
    return signedByte(kKnuckleReject);
}
int ParameterReadAccessor::EdgeStrechLevel() const {
    return signedByte(kEdgeStrechLevel);
}
int ParameterReadAccessor::EdgeStrechScale() const {
    return signedByte(kEdgeStrechScale);
}
int ParameterReadAccessor::scanRate() const {
    return unsignedByte(kScanRate);
}
int ParameterReadAccessor::snapRate() const {
    return unsignedByte(kSnapRate);
}

bool ParameterReadAccessor::isTimeFilterEnabled() const {
    return flag(kTimeFilterEnabled);
}
bool ParameterReadAccessor::isMonitorFilteredEnabled() const {
    return flag(kMonitorFilteredEnabled);
}
bool ParameterReadAccessor::isMonitorHysteresisEnabled() const {
    return flag(kMonitorHysteresisEnabled);
}

int ParameterReadAccessor::hysteresisValue() const {
    return unsignedByte(kHysteresisValue);
}
int ParameterReadAccessor::timeRejectorMaxChange() const {
    return signedByte(kTimeRejectorMaxChange);
}
int ParameterReadAccessor::sigFilterWarpDistance() const {
    return unsignedByte(kSigFilterWarpDistance);
}
int ParameterReadAccessor::sigFilterWarpIntensity() const {
    return unsignedByte(kSigFilterWarpIntensity);
}
int ParameterReadAccessor::sigFilterHiIntensity() const {
    return unsignedByte(kSigFilterHiIntensity);
}

bool ParameterReadAccessor::isMonitorDiagA() const {
    return flag(kMonitorDiagA, true);
}
bool ParameterReadAccessor::isMonitorDiagB() const {
    return flag(kMonitorDiagB, true);
}
bool ParameterReadAccessor::isDiagWireErrorA() const {
    return flag(kDiagWireErrorA);
}
bool ParameterReadAccessor::isDiagWireErrorB() const {
    return flag(kDiagWireErrorB);
}
