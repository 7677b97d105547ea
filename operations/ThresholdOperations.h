#pragma once

#include "operations/CurrentParametersSource.h"

class ConvergingPass;
class ParameterReadAccessor;
class ParameterWriteAccessor;
class SetOperations;
struct DesiredState;

// The thresholds side of the parameter operations: the converging slots that bring edge,
// touch and press threshold to their targets, and the one-shot steps of the graph
// window. SetOperations' slots of the same names run these with the pass of the slot,
// and these emit SetOperations' signals.
class ThresholdOperations {
public:
    ThresholdOperations(DeviceEventDispatcher* dispatcher, SetOperations& operations,
                        DesiredState& desired);

    void SetEdgeThreshold(ConvergingPass& pass);
    void SetPressThreshold(ConvergingPass& pass);
    void SetTouchTreshold(ConvergingPass& pass);
    void setThreshold(ConvergingPass& pass);
    void setThresholds(int theThreshold);
    void stepEdgeThreshold(int delta);
    void stepPressThreshold(int delta);
    void stepThresholds(int delta);

private:
    template <typename Edit>
    void convergeThreshold(ConvergingPass& pass, Edit edit);
    template <typename Value>
    void stepField(const char* request, int (ParameterReadAccessor::*read)() const,
                   void (ParameterWriteAccessor::*write)(Value), int delta);
    int quickRetryMs() const;

    CurrentParametersSource m_source;
    SetOperations& m_operations;
    DesiredState& m_desired;
};
