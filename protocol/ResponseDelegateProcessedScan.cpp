#include "ResponseDelegateProcessedScan.h"

#include "logging/LogMacros.h"
#include "protocol/Opcodes.h"
#include "protocol/PacketBytes.h"

ResponseDelegateProcessedScan::ResponseDelegateProcessedScan(QObject* parent)
    : DeviceResponseDelegate(parent) {}

QString ResponseDelegateProcessedScan::name() const {
    return QStringLiteral("ProcessedScan");
}

bool ResponseDelegateProcessedScan::isUnderstood(QByteArray data) {
    const int code = responseCodeOf(data);
    return code == ResponseCode::ProcessedScanA || code == ResponseCode::ProcessedScanB;
}

void ResponseDelegateProcessedScan::addData(QByteArray data) {
    DeviceResponseDelegate::addData(data);
    const int code = PacketBytes::byteAt(data, kResponseCodeIndex);
    if (code == ResponseCode::ProcessedScanA) {
        m_arrayB = false;
    } else if (code == ResponseCode::ProcessedScanB) {
        m_arrayB = true;
    } else {
        TLOG_CRITICAL(QStringLiteral("Called with the wrong type of packet: %1")
                          .arg(QLatin1Char(char(code))));
    }
    const int line = PacketBytes::byteAt(data, kLineIndex);
    const int length = PacketBytes::byteAt(data, PacketBytes::kSampleCountIndex);
    (m_arrayB ? m_lineB : m_lineA) = line;
    (m_arrayB ? m_lengthB : m_lengthA) = length;
    m_trimmed = PacketBytes::cullandtrim(data);
}

void ResponseDelegateProcessedScan::execute() {
    if (m_arrayB) {
        emit scanB(m_trimmed, true, m_lineB);
        emit scanB(m_trimmed);
        emit scanBLenLine(m_trimmed, uchar(m_lineB), uchar(m_lengthB), true);
    } else {
        emit scanA(m_trimmed, false, m_lineA);
        emit scanA(m_trimmed);
        emit scanALenLine(m_trimmed, uchar(m_lineA), uchar(m_lengthA), false);
    }
}
