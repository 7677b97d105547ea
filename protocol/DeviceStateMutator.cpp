#include "DeviceStateMutator.h"

#include "logging/LogMacros.h"

namespace {
constexpr int kBlockHeaderBytes = 2;  // frame byte and response code
}

void DeviceStateMutator::setPreviousResponse(const QByteArray& block) {
    m_previous = block;
    m_working = block;
}

QByteArray DeviceStateMutator::protected_execute(unsigned char opcode) {
    QByteArray bytes = m_working.mid(kBlockHeaderBytes);
    bytes.prepend(static_cast<char>(opcode));
    if (bytes.size() > kMaxCommandBytes) {
        TLOG_WARNING(QStringLiteral("Command of %1 bytes does not fit a packet, cut to %2.")
                         .arg(bytes.size())
                         .arg(kMaxCommandBytes));
        bytes.truncate(kMaxCommandBytes);
    }
    return bytes;
}
