#include "CommandSetTrackerParams.h"

#include "protocol/Opcodes.h"

QByteArray CommandSetTrackerParams::execute() {
    return protected_execute(Opcode::SetTrackerParams);
}
