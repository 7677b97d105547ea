#pragma once

#include <QtGlobal>

// Byte and bit layout of the current-parameters block as the controller answers it
// (response code 3). Offsets index the delegate packet: byte 0 frame byte, byte 1
// response code, then the fields. A field is a whole byte (mask 0) or one bit of a byte.
struct ParameterField {
    int offset;
    quint8 mask;
};

namespace CurrentParametersLayout {
constexpr quint8 kWholeByte = 0;

constexpr int kResponseCodeOffset = 1;
// The size of a full answer (61-byte report without its report id).
constexpr int kBlockSize = 60;
// What the delegate holds before the first answer: zero bytes, so fields from here on
// lie outside it and read as 0.
constexpr int kPlaceholderSize = 20;

constexpr ParameterField kEdgePs{2, kWholeByte};
constexpr ParameterField kEdgeThreshold{3, kWholeByte};
constexpr ParameterField kScanPs{4, kWholeByte};
constexpr ParameterField kTouchThreshold{5, kWholeByte};
constexpr ParameterField kPressThreshold{6, kWholeByte};
constexpr ParameterField kLinearity{7, kWholeByte};
constexpr ParameterField kOutputEncoding{8, kWholeByte};

constexpr int kOutputFlagsOffset = 9;
constexpr ParameterField kOutputEnabled{kOutputFlagsOffset, 0x01};
constexpr ParameterField kOutputFlipY{kOutputFlagsOffset, 0x02};
constexpr ParameterField kOutputFlipX{kOutputFlagsOffset, 0x04};
constexpr ParameterField kOutputSwapXy{kOutputFlagsOffset, 0x08};
constexpr ParameterField kOutputUseCalib3{kOutputFlagsOffset, 0x10};
constexpr ParameterField kOutputEdgeActive{kOutputFlagsOffset, 0x20};

constexpr int kMonitorFlags1Offset = 10;
constexpr ParameterField kMonitorEdgeA{kMonitorFlags1Offset, 0x80};
constexpr ParameterField kMonitorEdgeAMax{kMonitorFlags1Offset, 0x40};
constexpr ParameterField kMonitorEdgeB{kMonitorFlags1Offset, 0x20};
constexpr ParameterField kMonitorEdgeBMax{kMonitorFlags1Offset, 0x10};
constexpr ParameterField kMonitorScanA{kMonitorFlags1Offset, 0x08};
constexpr ParameterField kMonitorScanB{kMonitorFlags1Offset, 0x04};
constexpr ParameterField kMonitorDynA{kMonitorFlags1Offset, 0x02};
constexpr ParameterField kMonitorDynB{kMonitorFlags1Offset, 0x01};

constexpr int kMonitorFlags2Offset = 11;
constexpr ParameterField kMonitorScanAreaA{kMonitorFlags2Offset, 0x80};
constexpr ParameterField kMonitorScanAreaB{kMonitorFlags2Offset, 0x40};
constexpr ParameterField kMonitorPeaks{kMonitorFlags2Offset, 0x20};
constexpr ParameterField kMonitorPeak{kMonitorFlags2Offset, 0x10};
constexpr ParameterField kMonitorOutput{kMonitorFlags2Offset, 0x08};
constexpr ParameterField kMonitorTestMode{kMonitorFlags2Offset, 0x04};

constexpr int kStatusOffset = 12;
constexpr ParameterField kCalibSuccess{kStatusOffset, 0x80};
constexpr ParameterField kCalibErrBadCond{kStatusOffset, 0x40};
constexpr ParameterField kSoftResetActive{kStatusOffset, 0x20};
constexpr ParameterField kReadProtectActive{kStatusOffset, 0x10};

constexpr ParameterField kOutputExcludeMode{13, kWholeByte};
constexpr ParameterField kParamVersion{14, kWholeByte};
constexpr ParameterField kKnuckleReject{15, kWholeByte};
constexpr ParameterField kEdgeStrechLevel{16, kWholeByte};
constexpr ParameterField kEdgeStrechScale{17, kWholeByte};
constexpr ParameterField kScanRate{19, kWholeByte};
constexpr ParameterField kSnapRate{20, kWholeByte};

constexpr int kFilterFlagsOffset = 21;
constexpr ParameterField kTimeFilterEnabled{kFilterFlagsOffset, 0x20};
constexpr ParameterField kMonitorFilteredEnabled{kFilterFlagsOffset, 0x10};
constexpr ParameterField kMonitorHysteresisEnabled{kFilterFlagsOffset, 0x08};

constexpr ParameterField kHysteresisValue{22, kWholeByte};
constexpr ParameterField kTimeRejectorMaxChange{23, kWholeByte};
constexpr ParameterField kSigFilterWarpDistance{24, kWholeByte};
constexpr ParameterField kSigFilterWarpIntensity{25, kWholeByte};
constexpr ParameterField kSigFilterHiIntensity{26, kWholeByte};

constexpr int kDiagFlagsOffset = 27;
constexpr ParameterField kMonitorDiagA{kDiagFlagsOffset, 0x80};
constexpr ParameterField kMonitorDiagB{kDiagFlagsOffset, 0x40};
constexpr ParameterField kDiagWireErrorA{kDiagFlagsOffset, 0x02};
constexpr ParameterField kDiagWireErrorB{kDiagFlagsOffset, 0x01};

// The stamp of the writers that always mark their block as layout version 1.
constexpr quint8 kFixedStamp = 1;
}  // namespace CurrentParametersLayout
