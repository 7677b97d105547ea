#include "ParameterWriteAccessor.h"

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceInfoData.h"
#include "device/DeviceIoDataProvider.h"
#include "protocol/ParameterFieldSupport.h"
#include "protocol/ParameterVersion.h"
#include "protocol/deviceparamMinVersion.h"

using namespace CurrentParametersLayout;

namespace {
constexpr int kLowByteMask = 0xFF;
}

int ParameterWriteAccessor::expectedBlockLength() const {
    // A full answer is the provider's input report without its report id; before the
    // provider knows its device, the USB controller's size.
    const DeviceIoDataProvider* provider = DeviceEventDispatcher::instance()->ioProvider();
    const DeviceInfoData* info = provider ? provider->info() : nullptr;
    if (!info || info->inputLength <= 1) {
        return kBlockSize;
    }
    return static_cast<int>(info->inputLength) - 1;
}

bool ParameterWriteAccessor::prepareWrite(ParameterField field, quint8 stamp) {
    if (!ParameterFieldSupport::isSupported(deviceparamMinVersion::kCurrentParametersSet,
                                            field.offset, field.mask)) {
        return false;
    }
    QByteArray& block = writableParameterBlock();
    if (field.offset >= block.size()) {
        TLOG_WARNING(QStringLiteral("Byte %1 lies beyond the %2-byte block, not written.")
                         .arg(field.offset)
                         .arg(block.size()));
        return false;
    }
    if (kParamVersion.offset < block.size()) {
        block[kParamVersion.offset] = static_cast<char>(stamp);
    }
    return true;
}

bool ParameterWriteAccessor::writeByte(ParameterField field, int value, quint8 stamp) {
    if (!prepareWrite(field, stamp)) {
        return false;
    }
    writableParameterBlock()[field.offset] = static_cast<char>(value & kLowByteMask);
    return true;
}

bool ParameterWriteAccessor::writeFlag(ParameterField field, bool on, quint8 stamp) {
    if (!prepareWrite(field, stamp)) {
        return false;
    }
    QByteArray& block = writableParameterBlock();
    const quint8 old = static_cast<quint8>(block.at(field.offset));
    const quint8 updated = on ? (old | field.mask) : (old & ~field.mask);
    block[field.offset] = static_cast<char>(updated);
    return true;
}

bool ParameterWriteAccessor::writeByte(ParameterField field, int value) {
    return writeByte(field, value, ParameterVersion::remembered());
}

bool ParameterWriteAccessor::writeFlag(ParameterField field, bool on) {
    return writeFlag(field, on, ParameterVersion::remembered());
}

void ParameterWriteAccessor::setEdgePs(int value) {
    writeByte(kEdgePs, value);
}
void ParameterWriteAccessor::setEdgeThreshold(int value) {
    writeByte(kEdgeThreshold, value);
}
void ParameterWriteAccessor::setScanPs(int value) {
    writeByte(kScanPs, value);
}
void ParameterWriteAccessor::setTouchThreshold(unsigned char value) {
    if (writeByte(kTouchThreshold, value)) {
        TLOG_INFO(QStringLiteral("New TouchThreshold set to %1").arg(value));
    }
}
void ParameterWriteAccessor::setPressThreshold(unsigned char value) {
    if (writeByte(kPressThreshold, value)) {
        TLOG_INFO(QStringLiteral("New PressThreshold set to %1").arg(value));
    }
}
void ParameterWriteAccessor::setLinearity(int value) {
    writeByte(kLinearity, value);
}
void ParameterWriteAccessor::setOutputEncoding(unsigned char value) {
    const int length = writableParameterBlock().size();
    if (length != expectedBlockLength()) {
        TLOG_WARNING(QStringLiteral("Wrong length response %1, expect problems!").arg(length));
    }
    writeByte(kOutputEncoding, value);
}

void ParameterWriteAccessor::setOutputEnabled(bool on) {
    writeFlag(kOutputEnabled, on);
}
void ParameterWriteAccessor::setOutputFlipY(bool on) {
    writeFlag(kOutputFlipY, on);
}
void ParameterWriteAccessor::setOutputFlipX(bool on) {
    writeFlag(kOutputFlipX, on);
}
void ParameterWriteAccessor::setOutputSwapXy(bool on) {
    writeFlag(kOutputSwapXy, on);
}
void ParameterWriteAccessor::setOutputUseCalib3(bool on) {
    writeFlag(kOutputUseCalib3, on);
}
void ParameterWriteAccessor::setOutputEdgeStrechActive(bool on) {
    writeFlag(kOutputEdgeActive, on);
}

void ParameterWriteAccessor::setMonitorEdgeA(bool on) {
    writeFlag(kMonitorEdgeA, on);
}
void ParameterWriteAccessor::setMonitorVerEdgeA(bool on, int stamp) {
    writeFlag(kMonitorEdgeA, on, static_cast<quint8>(stamp & kLowByteMask));
}
void ParameterWriteAccessor::setMonitorEdgeAMax(bool on) {
    writeFlag(kMonitorEdgeAMax, on);
}
void ParameterWriteAccessor::setMonitorEdgeB(bool on) {
    writeFlag(kMonitorEdgeB, on);
}
void ParameterWriteAccessor::setMonitorVerEdgeB(bool on, int stamp) {
    writeFlag(kMonitorEdgeB, on, static_cast<quint8>(stamp & kLowByteMask));
}
void ParameterWriteAccessor::setMonitorEdgeBMax(bool on) {
    writeFlag(kMonitorEdgeBMax, on);
}
void ParameterWriteAccessor::setMonitorScanA(bool on) {
    writeFlag(kMonitorScanA, on);
}
void ParameterWriteAccessor::setMonitorScanB(bool on) {
    writeFlag(kMonitorScanB, on);
}
void ParameterWriteAccessor::setMonitorDynA(bool on) {
    writeFlag(kMonitorDynA, on);
}
void ParameterWriteAccessor::setMonitorDynB(bool on) {
    writeFlag(kMonitorDynB, on);
}

void ParameterWriteAccessor::setMonitorScanAreaA(bool on) {
    writeFlag(kMonitorScanAreaA, on);
}
void ParameterWriteAccessor::setMonitorScanAreaB(bool on) {
    writeFlag(kMonitorScanAreaB, on);
}
void ParameterWriteAccessor::setMonitorPeaks(bool on) {
    writeFlag(kMonitorPeaks, on);
}
void ParameterWriteAccessor::setPeakMonitoring(bool on) {
    writeFlag(kMonitorPeak, on);
}
void ParameterWriteAccessor::setMonitorOutput(bool on) {
    writeFlag(kMonitorOutput, on);
}
void ParameterWriteAccessor::setMonitorTestMode(bool on) {
    writeFlag(kMonitorTestMode, on);
}

void ParameterWriteAccessor::setOutputExcludeMode(signed char value) {
    writeByte(kOutputExcludeMode, value);
}
void ParameterWriteAccessor::setKnuckleReject(signed char value) {
    writeByte(kKnuckleReject, value, kFixedStamp);
}
void ParameterWriteAccessor::setEdgeStretchLevel(signed char value) {
    writeByte(kEdgeStrechLevel, value);
}
void ParameterWriteAccessor::setEdgeStrechScale(signed char value) {
    writeByte(kEdgeStrechScale, value);
}

void ParameterWriteAccessor::setTimeFilterEnabled(bool on) {
    writeFlag(kTimeFilterEnabled, on, kFixedStamp);
}
void ParameterWriteAccessor::setMonitorFilteredEnabled(bool on) {
    writeFlag(kMonitorFilteredEnabled, on, kFixedStamp);
}
void ParameterWriteAccessor::setMonitorHysteresisEnabled(bool on) {
    writeFlag(kMonitorHysteresisEnabled, on, kFixedStamp);
}
void ParameterWriteAccessor::setHysteresisValue(signed char value) {
    writeByte(kHysteresisValue, value, kFixedStamp);
}
void ParameterWriteAccessor::setTimeRejectorMaxChange(signed char value) {
    writeByte(kTimeRejectorMaxChange, value, kFixedStamp);
}
void ParameterWriteAccessor::setSigFilterWarpDistance(signed char value) {
    writeByte(kSigFilterWarpDistance, value, kFixedStamp);
}
void ParameterWriteAccessor::setSigFilterWarpIntensity(signed char value) {
    writeByte(kSigFilterWarpIntensity, value, kFixedStamp);
}
void ParameterWriteAccessor::setSigFilterHiIntensity(signed char value) {
    writeByte(kSigFilterHiIntensity, value, kFixedStamp);
}

void ParameterWriteAccessor::setMonitorDiagA(bool on) {
    writeFlag(kMonitorDiagA, on, kFixedStamp);
}
void ParameterWriteAccessor::setMonitorDiagB(bool on) {
    writeFlag(kMonitorDiagB, on, kFixedStamp);
}
