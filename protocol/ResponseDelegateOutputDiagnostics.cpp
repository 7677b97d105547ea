#include "ResponseDelegateOutputDiagnostics.h"

#include "logging/LogMacros.h"
#include "protocol/Opcodes.h"
#include "protocol/PacketBytes.h"
#include "protocol/StoredWireCounts.h"

ResponseDelegateOutputDiagnostics::ResponseDelegateOutputDiagnostics(QObject* parent)
    : DeviceResponseDelegate(parent) {}

QString ResponseDelegateOutputDiagnostics::name() const {
    return QStringLiteral("OutputDiagnostics");
}

bool ResponseDelegateOutputDiagnostics::isUnderstood(QByteArray data) {
    const int code = responseCodeOf(data);
    return code == ResponseCode::OutputDiagnosticsA || code == ResponseCode::OutputDiagnosticsB;
}

void ResponseDelegateOutputDiagnostics::addData(QByteArray data) {
    DeviceResponseDelegate::addData(data);
    const int code = PacketBytes::byteAt(data, kResponseCodeIndex);
    if (code == ResponseCode::OutputDiagnosticsA) {
        m_arrayB = false;
    } else if (code == ResponseCode::OutputDiagnosticsB) {
        m_arrayB = true;
    } else {
        TLOG_CRITICAL(QStringLiteral("Called with the wrong type of packet: %1")
                          .arg(QLatin1Char(char(code))));
    }
    const int wireCount = PacketBytes::byteAt(data, PacketBytes::kSampleCountIndex);
    if (m_arrayB) {
        m_wireCountB = wireCount;
        if (StoredWireCounts::storedWireCountB() == 0) {
            StoredWireCounts::setStoredWireCountB(wireCount);
        }
    } else {
        m_wireCountA = wireCount;
        if (StoredWireCounts::storedWireCountA() == 0) {
            StoredWireCounts::setStoredWireCountA(wireCount);
        }
    }
    m_trimmed = PacketBytes::cullandtrim(data);
}

void ResponseDelegateOutputDiagnostics::execute() {
    if (m_arrayB) {
        emit outputDiagB(m_trimmed);
    } else {
        emit outputDiagA(m_trimmed);
    }
}
