#pragma once

#include "device/DeviceCommandFactory.h"

// Builds our controller's requests; every builder returns a new command without a
// parent. Every request the static CommandFactory also offers is built by it, so both
// give the same bytes; only the update requests no other part sends are built here
// (opcodes in Opcodes.h).
class PomelarCommandFactory : public DeviceCommandFactory {
public:
    DeviceCommand* softReset() const override;
    DeviceCommand* getVersion() const override;
    DeviceCommand* getCopyright() const override;
    DeviceCommand* getParams() const override;
    DeviceCommand* saveParamsToFlash() const override;
    DeviceCommand* loadParamsFromFlash() const override;
    DeviceCommand* loadDefaults() const override;
    DeviceCommand* eraseFlashContent() const override;
    DeviceCommand* calibration3(QByteArray calibrationData) const override;
    DeviceCommand* getFilterAB() const override;
    DeviceCommand* getTrackerParams() const override;
    DeviceCommand* storeClear() const override;
    DeviceCommand* storeIsClear() const override;
    DeviceCommand* headerGetParams() const override;
    DeviceCommand* itemSetParams(QByteArray payload) const override;
    DeviceCommand* itemGetParams() const override;
    DeviceCommand* updateIsReady() const override;
    DeviceCommand* updatePerform() const override;
    DeviceCommand* updateRequest29() const override;
    DeviceCommand* updateRequest28(QByteArray payload) const override;
    DeviceCommand* updateRequest30() const override;
    DeviceCommand* getZoneFilterA() const override;
    DeviceCommand* getZoneFilterB() const override;
    DeviceCommand* setParams(QByteArray previous) const override;
    DeviceCommand* setFilterAB(QByteArray previous) const override;
    DeviceCommand* setTrackerParams(QByteArray previous) const override;
    DeviceCommand* setZoneFilterA(QByteArray values) const override;
    DeviceCommand* setZoneFilterB(QByteArray values) const override;
    DeviceCommand* firmwareUpdateCommand(QByteArray previous) const override;
    DeviceCommand* guardedFirmwareUpdateCommand(QByteArray previous) const override;
};
