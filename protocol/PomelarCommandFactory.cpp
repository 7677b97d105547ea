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
    return new SimpleCommand(Opcode::SoftReset);
}

DeviceCommand* PomelarCommandFactory::getVersion() const {
    return new SimpleCommand(Opcode::GetVersion);
}

DeviceCommand* PomelarCommandFactory::getCopyright() const {
    return new SimpleCommand(Opcode::GetCopyright);
}

DeviceCommand* PomelarCommandFactory::getParams() const {
    return new SimpleCommand(Opcode::GetParams);
}

DeviceCommand* PomelarCommandFactory::saveParamsToFlash() const {
    return new SimpleCommand(Opcode::SaveParamsToFlash);
}

DeviceCommand* PomelarCommandFactory::loadParamsFromFlash() const {
    return new SimpleCommand(Opcode::LoadParamsFromFlash);
}

DeviceCommand* PomelarCommandFactory::loadDefaults() const {
    return new SimpleCommand(Opcode::LoadDefaults);
}

DeviceCommand* PomelarCommandFactory::eraseFlashContent() const {
    return new SimpleCommand(Opcode::EraseFlashContent);
}

DeviceCommand* PomelarCommandFactory::calibration3(QByteArray calibrationData) const {
    return withPayload(Opcode::Calibration3, calibrationData);
}

DeviceCommand* PomelarCommandFactory::getFilterAB() const {
    return new SimpleCommand(Opcode::GetFilterAB);
}

DeviceCommand* PomelarCommandFactory::getTrackerParams() const {
    return new SimpleCommand(Opcode::GetTrackerParams);
}

DeviceCommand* PomelarCommandFactory::storeClear() const {
    return new SimpleCommand(Opcode::StoreClear);
}

DeviceCommand* PomelarCommandFactory::storeIsClear() const {
    return new SimpleCommand(Opcode::StoreIsClear);
}

DeviceCommand* PomelarCommandFactory::headerGetParams() const {
    return new SimpleCommand(Opcode::HeaderGetParams);
}

DeviceCommand* PomelarCommandFactory::itemSetParams(QByteArray payload) const {
    return withPayload(Opcode::ItemSetParams, payload);
}

DeviceCommand* PomelarCommandFactory::itemGetParams() const {
    return new SimpleCommand(Opcode::ItemGetParams);
}

DeviceCommand* PomelarCommandFactory::updateIsReady() const {
    return new SimpleCommand(Opcode::UpdateIsReady);
}

DeviceCommand* PomelarCommandFactory::updatePerform() const {
    return new SimpleCommand(Opcode::UpdatePerform);
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
    return new SimpleCommand(Opcode::GetZoneFilterA);
}

DeviceCommand* PomelarCommandFactory::getZoneFilterB() const {
    return new SimpleCommand(Opcode::GetZoneFilterB);
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
