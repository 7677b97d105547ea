#include "PomelarCommandFactory.h"

#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/CommandSetFilterAB.h"
#include "protocol/CommandSetTrackerParams.h"
#include "protocol/CommandSetZoneFilter.h"
#include "protocol/Opcodes.h"
#include "protocol/ParameterFieldSupport.h"
#include "protocol/SimpleCommand.h"
#include "protocol/commandsetfirmareupdate.h"
#include "protocol/deviceparamMinVersion.h"

namespace {
SimpleCommand* withPayload(int opcode, const QByteArray& payload) {
    auto* command = new SimpleCommand(opcode);
    command->appendPayload(payload);
    return command;
}
}  // namespace

DeviceCommand* PomelarCommandFactory::softReset() const {
    return CommandFactory::softReset();
}

DeviceCommand* PomelarCommandFactory::getVersion() const {
    return CommandFactory::getVersion();
}

DeviceCommand* PomelarCommandFactory::getCopyright() const {
    return CommandFactory::getCopyright();
}

DeviceCommand* PomelarCommandFactory::getParams() const {
    return CommandFactory::getParams();
}

DeviceCommand* PomelarCommandFactory::saveParamsToFlash() const {
    return CommandFactory::saveParamsToFlash();
}

DeviceCommand* PomelarCommandFactory::loadParamsFromFlash() const {
    return CommandFactory::loadParamsFromFlash();
}

DeviceCommand* PomelarCommandFactory::loadDefaults() const {
    return CommandFactory::loadDefaults();
}

DeviceCommand* PomelarCommandFactory::eraseFlashContent() const {
    return CommandFactory::eraseFlashContent();
}

DeviceCommand* PomelarCommandFactory::calibration3(QByteArray calibrationData) const {
    return CommandFactory::calibration3(calibrationData);
}

DeviceCommand* PomelarCommandFactory::getFilterAB() const {
    return CommandFactory::getFilterAB();
}

DeviceCommand* PomelarCommandFactory::getTrackerParams() const {
    return CommandFactory::getTrackerParams();
}

DeviceCommand* PomelarCommandFactory::storeClear() const {
    return CommandFactory::storeClear();
}

DeviceCommand* PomelarCommandFactory::storeIsClear() const {
    return new SimpleCommand(Opcode::StoreIsClear);
}

DeviceCommand* PomelarCommandFactory::headerGetParams() const {
    return CommandFactory::headerGetParams();
}

DeviceCommand* PomelarCommandFactory::itemSetParams(QByteArray payload) const {
    return withPayload(Opcode::ItemSetParams, payload);
}

DeviceCommand* PomelarCommandFactory::itemGetParams() const {
    return new SimpleCommand(Opcode::ItemGetParams);
}

DeviceCommand* PomelarCommandFactory::updateIsReady() const {
    return CommandFactory::updateIsReady();
}

DeviceCommand* PomelarCommandFactory::updatePerform() const {
    return CommandFactory::updatePerform();
}

DeviceCommand* PomelarCommandFactory::updateRequest29() const {
    return new SimpleCommand(Opcode::UpdateRequest29);
}

DeviceCommand* PomelarCommandFactory::updateRequest28(QByteArray payload) const {
    return withPayload(Opcode::UpdateRequest28, payload);
}

DeviceCommand* PomelarCommandFactory::updateRequest30() const {
    return new SimpleCommand(Opcode::UpdateRequest30);
}

DeviceCommand* PomelarCommandFactory::getZoneFilterA() const {
    return CommandFactory::getZoneFilterA();
}

DeviceCommand* PomelarCommandFactory::getZoneFilterB() const {
    return CommandFactory::getZoneFilterB();
}

DeviceCommand* PomelarCommandFactory::setParams(QByteArray previous) const {
    return CommandFactory::setParams(previous);
}

DeviceCommand* PomelarCommandFactory::setFilterAB(QByteArray previous) const {
    return CommandFactory::setFilterAB(previous);
}

DeviceCommand* PomelarCommandFactory::setTrackerParams(QByteArray previous) const {
    return CommandFactory::setTrackerParams(previous);
}

DeviceCommand* PomelarCommandFactory::setZoneFilterA(QByteArray values) const {
    return CommandFactory::setZoneFilterA(values);
}

DeviceCommand* PomelarCommandFactory::setZoneFilterB(QByteArray values) const {
    return CommandFactory::setZoneFilterB(values);
}

DeviceCommand* PomelarCommandFactory::firmwareUpdateCommand(QByteArray previous) const {
    return CommandFactory::firmwareUpdateCommand(previous);
}

DeviceCommand* PomelarCommandFactory::guardedFirmwareUpdateCommand(QByteArray previous) const {
    // The version table is asked with the request code as the field offset.
    if (!ParameterFieldSupport::isSupported(deviceparamMinVersion::kCurrentParametersSet,
                                            Opcode::HeaderSetParams, 0)) {
        return nullptr;
    }
    return CommandFactory::firmwareUpdateCommand(previous);
}
