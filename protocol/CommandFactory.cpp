#include "CommandFactory.h"

#include "logging/LogMacros.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/CommandSetFilterAB.h"
#include "protocol/CommandSetTrackerParams.h"
#include "protocol/CommandSetZoneFilter.h"
#include "protocol/Opcodes.h"
#include "protocol/SimpleCommand.h"
#include "protocol/commandsetfirmareupdate.h"

namespace {
constexpr int kResponseCodeOffset = 1;

bool refuseUnlessControllerBlock(const QByteArray& block, int responseCode, const char* set) {
    if (CommandFactory::isControllerBlock(block, responseCode)) {
        return false;
    }
    TLOG_WARNING(QStringLiteral("No %1 set command built from %2 bytes: not a whole report "
                                "the controller sent.")
                     .arg(QLatin1String(set))
                     .arg(block.size()));
    return true;
}
// A zonal command without coefficients would tell the controller its array has no
// wires; the controller takes the count byte as it comes.
CommandSetZoneFilter* zoneFilter(int opcode, const QByteArray& values) {
    if (values.isEmpty()) {
        TLOG_WARNING(
            QStringLiteral("No zonal filter command %1 built without coefficients.").arg(opcode));
        return nullptr;
    }
    return new CommandSetZoneFilter(opcode, values);
}
}  // namespace

bool CommandFactory::isControllerBlock(const QByteArray& block, int responseCode) {
    return block.size() >= kReportBlockSize &&
           static_cast<quint8>(block.at(kResponseCodeOffset)) == responseCode;
}

SimpleCommand* CommandFactory::softReset() {
    return new SimpleCommand(Opcode::SoftReset);
}

SimpleCommand* CommandFactory::getVersion() {
    return new SimpleCommand(Opcode::GetVersion);
}

SimpleCommand* CommandFactory::getCopyright() {
    return new SimpleCommand(Opcode::GetCopyright);
}

SimpleCommand* CommandFactory::getParams() {
    return new SimpleCommand(Opcode::GetParams);
}

SimpleCommand* CommandFactory::saveParamsToFlash() {
    return new SimpleCommand(Opcode::SaveParamsToFlash);
}

SimpleCommand* CommandFactory::loadParamsFromFlash() {
    return new SimpleCommand(Opcode::LoadParamsFromFlash);
}

SimpleCommand* CommandFactory::loadDefaults() {
    return new SimpleCommand(Opcode::LoadDefaults);
}

SimpleCommand* CommandFactory::eraseFlashContent() {
    return new SimpleCommand(Opcode::EraseFlashContent);
}

SimpleCommand* CommandFactory::calibration3(const QByteArray& calibrationData) {
    auto* command = new SimpleCommand(Opcode::Calibration3);
    command->appendPayload(calibrationData);
    return command;
}

SimpleCommand* CommandFactory::getFilterAB() {
    return new SimpleCommand(Opcode::GetFilterAB);
}

SimpleCommand* CommandFactory::storeClear() {
    return new SimpleCommand(Opcode::StoreClear);
}

SimpleCommand* CommandFactory::headerGetParams() {
    return new SimpleCommand(Opcode::HeaderGetParams);
}

SimpleCommand* CommandFactory::updateIsReady() {
    return new SimpleCommand(Opcode::UpdateIsReady);
}

SimpleCommand* CommandFactory::updatePerform() {
    return new SimpleCommand(Opcode::UpdatePerform);
}

SimpleCommand* CommandFactory::getZoneFilterA() {
    return new SimpleCommand(Opcode::GetZoneFilterA);
}

SimpleCommand* CommandFactory::getZoneFilterB() {
    return new SimpleCommand(Opcode::GetZoneFilterB);
}

SimpleCommand* CommandFactory::getTrackerParams() {
    return new SimpleCommand(Opcode::GetTrackerParams);
}

CommandSetCurrentParameters* CommandFactory::setParams(const QByteArray& previous) {
    auto* command = new CommandSetCurrentParameters();
    command->setPreviousResponse(previous);
    return command;
}

CommandSetFilterAB* CommandFactory::setFilterAB(const QByteArray& previous) {
    if (refuseUnlessControllerBlock(previous, ResponseCode::FilterAB, "filter")) {
        return nullptr;
    }
    auto* command = new CommandSetFilterAB();
    command->setPreviousResponse(previous);
    return command;
}

CommandSetTrackerParams* CommandFactory::setTrackerParams(const QByteArray& previous) {
    if (refuseUnlessControllerBlock(previous, ResponseCode::TrackerParams, "tracker")) {
        return nullptr;
    }
    auto* command = new CommandSetTrackerParams();
    command->setPreviousResponse(previous);
    return command;
}

CommandSetZoneFilter* CommandFactory::setZoneFilterA(const QByteArray& values) {
    return zoneFilter(Opcode::SetZoneFilterA, values);
}

CommandSetZoneFilter* CommandFactory::setZoneFilterB(const QByteArray& values) {
    return zoneFilter(Opcode::SetZoneFilterB, values);
}

commandsetfirmareupdate* CommandFactory::firmwareUpdateCommand(const QByteArray& previous) {
    auto* command = new commandsetfirmareupdate();
    command->setPreviousResponse(previous);
    return command;
}
