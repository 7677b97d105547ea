#include "ResponseDelegateProcessedScan.h"

#include "protocol/Opcodes.h"
#include "protocol/PacketBytes.h"

ResponseDelegateProcessedScan::ResponseDelegateProcessedScan(QObject* parent)
    : PairedArrayStreamDelegate(ResponseCode::ProcessedScanA, ResponseCode::ProcessedScanB,
                                parent) {}

QString ResponseDelegateProcessedScan::registryName() {
    return QStringLiteral("ProcessedScan");
}

void ResponseDelegateProcessedScan::noteReport(const QByteArray& report) {
    const int line = PacketBytes::byteAt(report, kLineIndex);
    const int length = PacketBytes::byteAt(report, PacketBytes::kSampleCountIndex);
    (isArrayB() ? m_lineB : m_lineA) = line;
    (isArrayB() ? m_lengthB : m_lengthA) = length;
}

void ResponseDelegateProcessedScan::execute() {
    const QByteArray& samples = trimmedData();
    if (isArrayB()) {
        emit scanB(samples, true, m_lineB);
        emit scanB(samples);
        emit scanBLenLine(samples, uchar(m_lineB), uchar(m_lengthB), true);
    } else {
        emit scanA(samples, false, m_lineA);
        emit scanA(samples);
        emit scanALenLine(samples, uchar(m_lineA), uchar(m_lengthA), false);
    }
}
