#include "SimpleCommand.h"

SimpleCommand::SimpleCommand(int opcode) : m_opcode(opcode) {}

void SimpleCommand::appendPayload(const QByteArray& payload) {
    m_payload.append(payload);
}

QByteArray SimpleCommand::execute() {
    QByteArray bytes;
    bytes.reserve(1 + m_payload.size());
    bytes.append(static_cast<char>(m_opcode & 0xFF));
    bytes.append(m_payload);
    return bytes;
}
