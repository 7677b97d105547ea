#include "CommandSetZoneFilter.h"

#include "logging/LogMacros.h"

namespace {
constexpr int kLowByteMask = 0xFF;
}

CommandSetZoneFilter::CommandSetZoneFilter(int opcode, const QByteArray& values)
    : m_opcode(opcode), m_values(values) {
    if (m_values.size() > kMaxCoefficients) {
        TLOG_WARNING(QStringLiteral("%1 zonal coefficients do not fit a packet, cut to %2.")
                         .arg(m_values.size())
                         .arg(kMaxCoefficients));
        m_values.truncate(kMaxCoefficients);
    }
}

QByteArray CommandSetZoneFilter::execute() {
    QByteArray bytes;
    bytes.append(static_cast<char>(m_opcode & kLowByteMask));
    bytes.append(static_cast<char>(m_values.size() & kLowByteMask));
    bytes.append(m_values);
    return bytes;
}
