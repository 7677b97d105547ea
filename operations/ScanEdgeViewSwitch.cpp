#include "ScanEdgeViewSwitch.h"

#include "logging/LogMacros.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "operations/ConvergingPass.h"
#include "operations/DesiredState.h"
#include "operations/ParameterFlags.h"
#include "operations/SetOperations.h"

using namespace ParameterFlags;

ScanEdgeViewSwitch::ScanEdgeViewSwitch(SetOperations& operations, DesiredState& desired)
    : m_operations(operations), m_desired(desired) {}

template <typename Signal>
void ScanEdgeViewSwitch::continueOn(Signal signal) {
    QObject::connect(&m_operations, signal, &m_operations, &SetOperations::doScanOrEdge,
                     Qt::UniqueConnection);
}

template <typename Signal>
void ScanEdgeViewSwitch::stopContinuingOn(Signal signal) {
    QObject::disconnect(&m_operations, signal, &m_operations, &SetOperations::doScanOrEdge);
}

void ScanEdgeViewSwitch::aimAtEdges(bool edges) {
    m_desired.monitorEdgeAB = edges;
    m_desired.scanMode = !edges;
}

void ScanEdgeViewSwitch::doScanOrEdge(ConvergingPass& pass) {
    const ResponseDelegateCurrentParameters* block =
        pass.answeredBlock(m_operations.periods().retryMs);
    if (block == nullptr) {
        return;
    }
    switch (m_desired.viewMode) {
        case EdgeView:
            edgeViewStep(*block);
            break;
        case ScanView:
            scanViewStep(*block);
            break;
        case NoView:
            noViewStep(*block);
            break;
        default:
            TLOG_WARNING(QStringLiteral("Unknown view mode %1 ignored.").arg(m_desired.viewMode));
            break;
    }
}

void ScanEdgeViewSwitch::edgeViewStep(const ResponseDelegateCurrentParameters& block) {
    if (anySet(block, kScanFlags)) {
        aimAtEdges(true);
        m_operations.setMonitorScanMode();
        continueOn(&SetOperations::signal_finishSetMonScanAB);
        return;
    }
    if (allSet(block, {kEdgeA, kEdgeB})) {
        return;
    }
    stopContinuingOn(&SetOperations::signal_finishSetMonScanAB);
    aimAtEdges(true);
    m_operations.setMonitorEdgeAB();
}

void ScanEdgeViewSwitch::scanViewStep(const ResponseDelegateCurrentParameters& block) {
    if (block.isMonitorTestMode()) {
        m_desired.testModeDirect = false;
        m_operations.setMonitorTestMode();
        continueOn(&SetOperations::signal_finishedSetTestMode);
        return;
    }
    if (anySet(block, {kDiagA, kDiagB})) {
        aimAtEdges(false);
        m_desired.diagAB = false;
        m_operations.setMonDiagAB();
        stopContinuingOn(&SetOperations::signal_finishedSetTestMode);
        continueOn(&SetOperations::signal_finishSetMonDiagAB);
        return;
    }
    if (anySet(block, {kEdgeA, kEdgeB})) {
        stopContinuingOn(&SetOperations::signal_finishSetMonDiagAB);
        continueOn(&SetOperations::signal_finishedUnsetMonEdgeABFlags);
        aimAtEdges(false);
        m_operations.setMonitorEdgeAB();
        return;
    }
    if (allSet(block, kScanFlags)) {
        return;
    }
    stopContinuingOn(&SetOperations::signal_finishedUnsetMonEdgeABFlags);
    aimAtEdges(false);
    m_operations.setMonitorScanMode();
}

void ScanEdgeViewSwitch::noViewStep(const ResponseDelegateCurrentParameters& block) {
    if (!allSet(block, {kScanA, kScanB, kScanAreaA, kScanAreaB, kEdgeA, kEdgeB})) {
        m_operations.unSetMonitorParameters();
    }
}
