#include "commandsetfirmareupdate.h"

#include "protocol/Opcodes.h"

commandsetfirmareupdate::commandsetfirmareupdate(QObject* parent)
    : DeviceCommand(parent), m_requestCode(static_cast<quint8>(Opcode::HeaderSetParams)) {}

void commandsetfirmareupdate::setRequestCode(int requestCode) {
    m_requestCode = static_cast<quint8>(requestCode);
}

QByteArray commandsetfirmareupdate::execute() {
    return protected_execute(m_requestCode);
}
