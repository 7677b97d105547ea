#include "ResponseDelegateProcessedEdge.h"

#include "protocol/Opcodes.h"

ResponseDelegateProcessedEdge::ResponseDelegateProcessedEdge(QObject* parent)
    : PairedArrayStreamDelegate(ResponseCode::ProcessedEdgeA, ResponseCode::ProcessedEdgeB,
                                parent) {}

QString ResponseDelegateProcessedEdge::registryName() {
    return QStringLiteral("ProcessedEdge");
}

void ResponseDelegateProcessedEdge::execute() {
    if (isArrayB()) {
        m_lengthB = trimmedData().size();
        emit edgeB(trimmedData());
    } else {
        m_lengthA = trimmedData().size();
        emit edgeA(trimmedData());
    }
    if (m_lengthA != 0 && m_lengthB != 0 && !m_wireCheckFinished) {
        m_wireCheckFinished = true;
        emit finishedWireCheck();
    }
}
