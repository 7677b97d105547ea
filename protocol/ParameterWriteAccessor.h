#pragma once

#include <QByteArray>

#include "protocol/CurrentParametersLayout.h"

// Writes the fields of a current-parameters block in place (see CurrentParametersLayout.h).
//
// Contract of every writer:
//  - A field the connected firmware lacks (ParameterFieldSupport, set 2) is not written,
//    and the version byte 14 is left as it is.
//  - Otherwise byte 14 is stamped first: with the remembered parameter version
//    (ParameterVersion) for most writers, with 1 for the writers marked "stamps 1", with
//    the second argument (low 8 bits) for the two setMonitorVer... writers.
//  - A whole-byte field takes the low 8 bits of the argument; a flag sets or clears its
//    bit and leaves the other bits of the byte as they are. Every other byte, including
//    the frame byte and the response code, stays as the controller sent it.
//  - A field beyond the end of the block (a short packet) is not written and a warning is
//    logged; the block never grows.
class ParameterWriteAccessor {
public:
    virtual ~ParameterWriteAccessor() = default;

    // The block the writers edit in place.
    virtual QByteArray& writableParameterBlock() = 0;

    void setEdgePs(int value);
    void setEdgeThreshold(int value);
    void setScanPs(int value);
    // Also logs "New TouchThreshold set to <value>" (information).
    void setTouchThreshold(unsigned char value);
    // Also logs "New PressThreshold set to <value>" (information).
    void setPressThreshold(unsigned char value);
    void setLinearity(int value);
    // Logs a warning when the block's length differs from a full answer
    // (expectedBlockLength()), then writes anyway.
    void setOutputEncoding(unsigned char value);

    void setOutputEnabled(bool on);
    void setOutputFlipY(bool on);
    void setOutputFlipX(bool on);
    void setOutputSwapXy(bool on);
    void setOutputUseCalib3(bool on);
    void setOutputEdgeStrechActive(bool on);

    void setMonitorEdgeA(bool on);
    // Edge A with an explicit stamp for byte 14.
    void setMonitorVerEdgeA(bool on, int stamp);
    void setMonitorEdgeAMax(bool on);
    void setMonitorEdgeB(bool on);
    // Edge B with an explicit stamp for byte 14.
    void setMonitorVerEdgeB(bool on, int stamp);
    void setMonitorEdgeBMax(bool on);
    void setMonitorScanA(bool on);
    void setMonitorScanB(bool on);
    void setMonitorDynA(bool on);
    void setMonitorDynB(bool on);

    void setMonitorScanAreaA(bool on);
    void setMonitorScanAreaB(bool on);
    void setMonitorPeaks(bool on);
    void setPeakMonitoring(bool on);
    void setMonitorOutput(bool on);
    void setMonitorTestMode(bool on);

    void setOutputExcludeMode(signed char value);
    void setKnuckleReject(signed char value);  // stamps 1
    void setEdgeStretchLevel(signed char value);
    void setEdgeStrechScale(signed char value);

    void setTimeFilterEnabled(bool on);                 // stamps 1
    void setMonitorFilteredEnabled(bool on);            // stamps 1
    void setMonitorHysteresisEnabled(bool on);          // stamps 1
    void setHysteresisValue(signed char value);         // stamps 1
    void setTimeRejectorMaxChange(signed char value);   // stamps 1
    void setSigFilterWarpDistance(signed char value);   // stamps 1
    void setSigFilterWarpIntensity(signed char value);  // stamps 1
    void setSigFilterHiIntensity(signed char value);    // stamps 1

    void setMonitorDiagA(bool on);  // stamps 1
    void setMonitorDiagB(bool on);  // stamps 1

protected:
    // The length of a full answer: the current provider's input report length without its
    // report id, 60 for the USB controller.
    virtual int expectedBlockLength() const;

private:
    // Checks support and bounds and stamps byte 14; false when the field must not be
    // written.
    bool prepareWrite(ParameterField field, quint8 stamp);
    bool writeByte(ParameterField field, int value, quint8 stamp);
    bool writeFlag(ParameterField field, bool on, quint8 stamp);
    bool writeByte(ParameterField field, int value);
    bool writeFlag(ParameterField field, bool on);
};
