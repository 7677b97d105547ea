#include "CommandSetFilterAB.h"

#include "protocol/Opcodes.h"

QByteArray CommandSetFilterAB::execute() {
    return protected_execute(Opcode::SetFilterAB);
}
