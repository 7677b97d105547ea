#include "PairedArrayStreamDelegate.h"

#include "logging/LogMacros.h"
#include "protocol/PacketBytes.h"

PairedArrayStreamDelegate::PairedArrayStreamDelegate(int codeA, int codeB, QObject* parent)
    : DeviceResponseDelegate(parent), m_codeA(codeA), m_codeB(codeB) {}

bool PairedArrayStreamDelegate::isUnderstood(QByteArray data) {
    const int code = responseCodeOf(data);
    return code == m_codeA || code == m_codeB;
}

void PairedArrayStreamDelegate::addData(QByteArray data) {
    DeviceResponseDelegate::addData(data);
    const int code = PacketBytes::byteAt(data, kResponseCodeIndex);
    if (code == m_codeA) {
        m_arrayB = false;
    } else if (code == m_codeB) {
        m_arrayB = true;
    } else {
        TLOG_CRITICAL(QStringLiteral("Called with the wrong type of packet: %1")
                          .arg(QLatin1Char(char(code))));
    }
    noteReport(data);
    m_trimmed = PacketBytes::cullandtrim(data);
}

void PairedArrayStreamDelegate::noteReport(const QByteArray&) {}
