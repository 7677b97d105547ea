#include "ResponseDelegateOutputDiagnostics.h"

#include "protocol/Opcodes.h"
#include "protocol/PacketBytes.h"
#include "protocol/StoredWireCounts.h"

ResponseDelegateOutputDiagnostics::ResponseDelegateOutputDiagnostics(QObject* parent)
    : PairedArrayStreamDelegate(ResponseCode::OutputDiagnosticsA, ResponseCode::OutputDiagnosticsB,
                                parent) {}

QString ResponseDelegateOutputDiagnostics::registryName() {
    return QStringLiteral("OutputDiagnostics");
}

void ResponseDelegateOutputDiagnostics::noteReport(const QByteArray& report) {
    const int wireCount = PacketBytes::byteAt(report, PacketBytes::kSampleCountIndex);
    if (isArrayB()) {
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
}

void ResponseDelegateOutputDiagnostics::execute() {
    if (isArrayB()) {
        emit outputDiagB(trimmedData());
    } else {
        emit outputDiagA(trimmedData());
    }
}
