#pragma once

#include <QByteArray>

#include "protocol/CurrentParametersLayout.h"

// Reads the fields of a current-parameters block (see CurrentParametersLayout.h).
//
// Contract of every reader except ParamVersion():
//  - A field the connected firmware lacks (ParameterFieldSupport, set 2) reads as its
//    default: false / 0, but true for isMonitorEdgeA, isMonitorDiagA and isMonitorDiagB.
//  - A field beyond the end of the block (a short packet, or the 20-byte placeholder the
//    delegate holds before the first answer) reads as false / 0. Nothing outside the
//    block is ever read.
//  - Whole bytes widen to int as unsigned (0..255) or signed (-128..127) as noted.
class ParameterReadAccessor {
public:
    virtual ~ParameterReadAccessor() = default;

    // The block the readers read.
    virtual const QByteArray& parameterBlock() const = 0;

    int edgePs() const;          // unsigned
    int edgeThreshold() const;   // unsigned
    int scanPs() const;          // unsigned
    int touchThreshold() const;  // unsigned
    int pressThreshold() const;  // unsigned
    int linearity() const;       // signed
    int outputEncoding() const;  // unsigned

    bool isOutputEnabled() const;
    bool isOutputFlipY() const;
    bool isOutputFlipX() const;
    bool isOutputSwapXy() const;
    bool isOutputUseCalib3() const;
    bool isOutputEdgeActive() const;

    bool isMonitorEdgeA() const;
    bool isMonitorEdgeAMax() const;
    bool isMonitorEdgeB() const;
    bool isMonitorEdgeBMax() const;
    bool isMonitorScanA() const;
    bool isMonitorScanB() const;
    bool isMonitorDynA() const;
    bool isMonitorDynB() const;

    bool isMonitorScanAreaA() const;
    bool isMonitorScanAreaB() const;
    bool isMonitorPeaks() const;
    bool isMonitorPeak() const;
    bool isMonitorOutput() const;
    bool isMonitorTestMode() const;

    bool isCalibSuccess() const;
    bool isCalibErrBadCond() const;
    bool isSoftResetActive() const;
    bool isReadProtectActive() const;

    int OutputExcludeMode() const;  // unsigned
    // Byte 14 as it stands (unsigned), without asking the version table; 0 when the
    // block is too short to carry it.
    int ParamVersion() const;
    int knuckleReject() const;    // signed
    int EdgeStrechLevel() const;  // signed
    int EdgeStrechScale() const;  // signed
    int scanRate() const;         // unsigned
    int snapRate() const;         // unsigned

    bool isTimeFilterEnabled() const;
    bool isMonitorFilteredEnabled() const;
    bool isMonitorHysteresisEnabled() const;

    int hysteresisValue() const;         // unsigned
    int timeRejectorMaxChange() const;   // signed
    int sigFilterWarpDistance() const;   // unsigned
    int sigFilterWarpIntensity() const;  // unsigned
    int sigFilterHiIntensity() const;    // unsigned

    bool isMonitorDiagA() const;
    bool isMonitorDiagB() const;
    bool isDiagWireErrorA() const;
    bool isDiagWireErrorB() const;

private:
    bool flag(ParameterField field, bool unsupportedDefault = false) const;
    int unsignedByte(ParameterField field) const;
    int signedByte(ParameterField field) const;
    // The byte at offset, 0 when the block is shorter.
    quint8 byteAt(int offset) const;
};
