#include "CommandSetCurrentParameters.h"

#include "protocol/Opcodes.h"

CommandSetCurrentParameters::CommandSetCurrentParameters(QObject* parent) : DeviceCommand(parent) {}

QByteArray CommandSetCurrentParameters::execute() {
    return protected_execute(static_cast<unsigned char>(Opcode::SetParams));
}
