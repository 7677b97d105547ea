#pragma once

class ConvergingPass;
class ResponseDelegateCurrentParameters;
class SetOperations;
struct DesiredState;

// Switches the controller's streams between the graph's edge view and scan view (or
// neither) for SetOperations::doScanOrEdge(). One step at a time: a step that must first
// end test mode, diagnostics or the other view's streams runs that slot and has its
// completion signal call doScanOrEdge() again, until the streams of the chosen view are
// on. Until the controller has sent its first block the pass of doScanOrEdge() polls.
class ScanEdgeViewSwitch {
public:
    enum ViewMode { EdgeView = 0, ScanView = 1, NoView = 2 };

    ScanEdgeViewSwitch(SetOperations& operations, DesiredState& desired);

    void doScanOrEdge(ConvergingPass& pass);

private:
    // The edge streams as the target and the scan streams off, or the other way round.
    void aimAtEdges(bool edges);
    void edgeViewStep(const ResponseDelegateCurrentParameters& block);
    void scanViewStep(const ResponseDelegateCurrentParameters& block);
    void noViewStep(const ResponseDelegateCurrentParameters& block);
    // The completion signal that calls doScanOrEdge() for the next step.
    template <typename Signal>
    void continueOn(Signal signal);
    template <typename Signal>
    void stopContinuingOn(Signal signal);

    SetOperations& m_operations;
    DesiredState& m_desired;
};
