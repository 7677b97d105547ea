#pragma once

#include <QByteArray>

// The board's run-time parameter block as it travels in a parameters report (code 3).
// Offsets count from the frame byte: 0 frame byte, 1 response code, 2..59 the fields.
// In a set-parameters request (opcode 4) field k arrives as request byte k - 1, where
// request byte 0 is the opcode.
class SimParameterBlock {
public:
    static constexpr int kLength = 60;
    static constexpr int kFirstField = 2;
    static constexpr int kFieldCount = kLength - kFirstField;

    // Whole-byte fields.
    static constexpr int kEdgePrescaler = 2;
    static constexpr int kEdgeThreshold = 3;
    static constexpr int kScanPrescaler = 4;
    static constexpr int kTouchThreshold = 5;
    static constexpr int kPressThreshold = 6;
    static constexpr int kLinearity = 7;
    static constexpr int kOutputEncoding = 8;
    static constexpr int kOutputExcludeMode = 13;
    static constexpr int kParamVersion = 14;
    static constexpr int kKnuckleReject = 15;
    static constexpr int kEdgeStretchLevel = 16;
    static constexpr int kEdgeStretchScale = 17;
    static constexpr int kScanRate = 19;
    static constexpr int kSnapRate = 20;
    static constexpr int kHysteresisValue = 22;
    static constexpr int kTimeRejectorMaxChange = 23;
    static constexpr int kWarpDistance = 24;
    static constexpr int kWarpIntensity = 25;
    static constexpr int kHiIntensity = 26;

    // Output flags.
    static constexpr int kOutputFlags = 9;
    static constexpr quint8 kOutputEnabled = 0x01;
    static constexpr quint8 kOutputFlipY = 0x02;
    static constexpr quint8 kOutputFlipX = 0x04;
    static constexpr quint8 kOutputSwapXy = 0x08;
    static constexpr quint8 kOutputUseCalib3 = 0x10;
    static constexpr quint8 kOutputEdgeStretch = 0x20;

    // Monitor (streaming) flags, first byte.
    static constexpr int kMonitorFlags1 = 10;
    static constexpr quint8 kMonitorEdgeA = 0x80;
    static constexpr quint8 kMonitorEdgeAMax = 0x40;
    static constexpr quint8 kMonitorEdgeB = 0x20;
    static constexpr quint8 kMonitorEdgeBMax = 0x10;
    static constexpr quint8 kMonitorScanA = 0x08;
    static constexpr quint8 kMonitorScanB = 0x04;
    static constexpr quint8 kMonitorDynA = 0x02;
    static constexpr quint8 kMonitorDynB = 0x01;

    // Monitor flags, second byte.
    static constexpr int kMonitorFlags2 = 11;
    static constexpr quint8 kMonitorScanAreaA = 0x80;
    static constexpr quint8 kMonitorScanAreaB = 0x40;
    static constexpr quint8 kMonitorPeaks = 0x20;
    static constexpr quint8 kMonitorPeak = 0x10;
    static constexpr quint8 kMonitorOutput = 0x08;
    static constexpr quint8 kMonitorTestMode = 0x04;

    // Status bits: owned by the board, never taken from a request.
    static constexpr int kStatus = 12;
    static constexpr quint8 kCalibSuccess = 0x80;
    static constexpr quint8 kCalibErrBadCond = 0x40;
    static constexpr quint8 kSoftResetActive = 0x20;
    static constexpr quint8 kReadProtectActive = 0x10;

    // Filter switches.
    static constexpr int kFilterFlags = 21;
    static constexpr quint8 kTimeFilterEnabled = 0x20;
    static constexpr quint8 kMonitorFiltered = 0x10;
    static constexpr quint8 kMonitorHysteresis = 0x08;

    // Diagnostics: two monitor flags and the board's own wire-error verdict.
    static constexpr int kDiagFlags = 27;
    static constexpr quint8 kMonitorDiagA = 0x80;
    static constexpr quint8 kMonitorDiagB = 0x40;
    static constexpr quint8 kWireErrorA = 0x02;
    static constexpr quint8 kWireErrorB = 0x01;

    // A block of zero bytes.
    SimParameterBlock();
    // The factory defaults of a board with the given parameter-layout version.
    static SimParameterBlock factoryDefaults(quint8 paramVersion);

    quint8 byteAt(int offset) const;
    void setByte(int offset, quint8 value);
    bool flag(int offset, quint8 mask) const;
    void setFlag(int offset, quint8 mask, bool on);

    // Takes every host-writable field from a set-parameters request (opcode first,
    // field k at request byte k - 1). Bytes the request does not carry stay as they
    // are; the board's own bytes and bits (status, version, rates, wire errors) are kept.
    void applyHostWrite(const QByteArray& request);
    // Takes every host-writable field of another block (loading from flash).
    void takeHostFields(const SimParameterBlock& other);

    // The 60 block bytes; bytes 0 and 1 are filled by whoever sends the report.
    const QByteArray& bytes() const { return m_bytes; }

private:
    // The bits of byte `offset` that belong to the board (0 for a host field).
    static quint8 boardOwnedMask(int offset);

    QByteArray m_bytes;
};
