#pragma once

#include <QString>

#include "operations/ConvergingPass.h"
#include "operations/CurrentParametersSource.h"
#include "operations/ParameterFlags.h"

class SetOperations;
struct DesiredState;

// The streams side of the parameter operations: the monitor flags that make the
// controller stream edge, scan and diagnostic data, and its test mode. SetOperations'
// slots of the same names run these with the pass of the slot, and these emit
// SetOperations' signals and run its other slots (so each step is traced as the slot).
class MonitorOperations {
public:
    MonitorOperations(DeviceEventDispatcher* dispatcher, SetOperations& operations,
                      DesiredState& desired);

    bool setMonitorEdges(bool monitorA, bool monitorB);
    void setMonEdgeDiagAB(ConvergingPass& pass);
    void setMonDiagAB(ConvergingPass& pass);
    void SetMonitorMode(ConvergingPass& pass);
    void setMonitorEdges(ConvergingPass& pass);
    void setMonitorEdgeAB(ConvergingPass& pass);
    void setMonitorTestMode(ConvergingPass& pass);
    void setMonitorScanMode(ConvergingPass& pass);

    static bool settingFlag(const QString& key);

private:
    bool writeMonitorEdges(CommandSetCurrentParameters& command) const;
    // One pass writing `on` into the flags, retried after inTestModeMs while the
    // controller is in test mode (else the usual period). The unsent command once the
    // flags read `on`; nullptr while the pass goes on.
    ConvergingPass::Command switchFlags(ConvergingPass& pass, ParameterFlags::Flags flags, bool on,
                                        int inTestModeMs);

    CurrentParametersSource m_source;
    SetOperations& m_operations;
    DesiredState& m_desired;
};
