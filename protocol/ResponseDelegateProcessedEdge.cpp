#include "ResponseDelegateProcessedEdge.h"

#include "logging/LogMacros.h"
#include "protocol/Opcodes.h"
#include "protocol/PacketBytes.h"

ResponseDelegateProcessedEdge::ResponseDelegateProcessedEdge(QObject* parent)
    : DeviceResponseDelegate(parent) {}

QString ResponseDelegateProcessedEdge::name() const {
    return QStringLiteral("ProcessedEdge");
}

bool ResponseDelegateProcessedEdge::isUnderstood(QByteArray data) {
    const int code = responseCodeOf(data);
    return code == ResponseCode::ProcessedEdgeA || code == ResponseCode::ProcessedEdgeB;
}

void ResponseDelegateProcessedEdge::addData(QByteArray data) {
    DeviceResponseDelegate::addData(data);
    const int code = PacketBytes::byteAt(data, kResponseCodeIndex);
    if (code == ResponseCode::ProcessedEdgeA) {
        m_arrayB = false;
    } else if (code == ResponseCode::ProcessedEdgeB) {
        m_arrayB = true;
    } else {
        TLOG_CRITICAL(QStringLiteral("Called with the wrong type of packet: %1")
                          .arg(QLatin1Char(char(code))));
    }
    m_trimmed = PacketBytes::cullandtrim(data);
}

void ResponseDelegateProcessedEdge::execute() {
    if (m_arrayB) {
        m_lengthB = m_trimmed.size();
        emit edgeB(m_trimmed);
    } else {
        m_lengthA = m_trimmed.size();
        emit edgeA(m_trimmed);
    }
    if (m_lengthA != 0 && m_lengthB != 0 && !m_wireCheckFinished) {
        m_wireCheckFinished = true;
        emit finishedWireCheck();
    }
}
