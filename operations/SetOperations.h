#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <memory>
#include <utility>
#include <vector>

#include "operations/CurrentParametersSource.h"
#include "operations/DesiredState.h"

class CalibrationOperations;
class CommandSetCurrentParameters;
class ConvergingPass;
class DeviceCommand;
class DeviceEventDispatcher;
class MonitorOperations;
class ResponseDelegateCurrentParameters;
class ScanEdgeViewSwitch;
class ThresholdOperations;

// Every change the tool makes to the controller's current parameters. A caller sets the
// desired state through the setters below and invokes a slot; the slot compares the
// controller's last block (the "CurrentParameters" delegate) with the desired state,
// sends a set-parameters command built from a copy of that block when they differ, asks
// for the block again and runs again after its retry period until the controller reports
// the desired state. Only then does it emit its completion signal. There is no retry
// limit.
//
// Each converging slot runs through one ConvergingPass: until the controller has sent
// its first block, and while it reports a soft reset, the slot only asks for the block
// (every retryMs during a soft reset); a slot never queues a pass while its previous
// pass's answer is outstanding; a slot invoked while its loop runs joins that loop.
//
// Retry periods (Periods): quick 150 ms, retry 300 ms, test 750 ms; "diag/retry" is
// 900 ms while the controller is in test mode, else retry; "slow/retry" 1200 ms likewise.
//
// | Slot                    | Period        | Emits once the controller agrees             |
// |-------------------------|---------------|----------------------------------------------|
// | SetEdgeThreshold        | quick         | signalReEnable()                             |
// | SetPressThreshold       | quick         | signalReEnable()                             |
// | SetTouchTreshold        | quick         | signalReEnable()                             |
// | setThreshold            | quick, no get | -                                            |
// | setPrescalerValue       | retry         | signal_finishedSettingPrescalarValue()       |
// | enableOutput            | quick, no get | signal_finishSetOutput()                     |
// | setMonitorScanMode      | retry         | on: signal_finishEnableMonScanAB(true)       |
// |                         |               | off: signal_finishSetMonScanAB(),            |
// |                         |               | signal_finishDisableMonScanAB(true)          |
// | setMonitorTestMode      | test          | off: signal_finishedSetTestMode(); on: -     |
// | setMonitorEdgeAB        | slow/retry    | on: signal_finishedSetMonEdgeAB(true),       |
// |                         |               | signal_finishedSetMonEdgeABFlags()           |
// |                         |               | off: signal_finishedUnsetMonEdgeABFlags()    |
// | setMonEdgeDiagAB        | quick         | signal_finishSetMonDiagEdgeAB()              |
// | setMonitorEdges()       | quick         | -                                            |
// | setMonDiagAB            | diag/retry    | signal_finishSetMonDiagAB(); on outside the  |
// |                         |               | product test: setMonitorEdgeAB()'s signals   |
// | SetMonitorMode          | test          | through setMonDiagAB()                       |
// | unSetMonitorParameters  | slow/retry    | signal_finishedUnsettingParameters()         |
// | saveParametersToFlash   | retry         | signal_finishedSavingParameters()            |
// | setDeviceOutputMode     | retry         | modeChanged(encoding) (not when turning the  |
// |                         |               | output off), signal_finishedSetOutputFlagMode|
// | checkCalibSettings      | retry         | signalCalibrationFinished(result), for 3     |
// |                         |               | with signal_finishedCalibUnset(); 5: -       |
// | setCalibrationMode      | retry         | on: signal_finishedSettingCalibration()      |
// |                         |               | off: signal_finishedUnsettingCalibration()   |
// | setTrackingModeInDevice | quick, no get | -                                            |
// | setCalib3OutputExclude  | quick, save   | signal_Calib3ExculdeMode(desiredUseCalib3)   |
// | doSoftReset             | retry         | signal_softResetActive(), checkSoftResetSet()|
// | checkSoftResetSet       | retry         | signal_finishedSoftReset()                   |
// | doFactoryReset          | quick / retry | signal_finishedFactoryReset()                |
// | SaveDefaultParameters   | retry         | -                                            |
// | doScanOrEdge            | retry         | through the slots it runs                    |
// | checkForWireOut         | retry         | its return value                             |
//
// "no get": the controller's answer to the set command is the read-back; "save": a
// save-to-flash follows the set command instead of get-parameters.
//
// The program uses the process-wide instance(); tests construct their own with a
// dispatcher of theirs and short periods. GUI thread only.
class SetOperations : public QObject {
    Q_OBJECT
public:
    // Retry periods of the polling loops, in ms.
    struct Periods {
        // Soft-reset polling, and the period of most loops.
        int retryMs = 300;
        // Threshold, output, monitor-edge-and-scan, tracking and calibration-3 loops.
        int quickRetryMs = 150;
        // Test mode loops (setMonitorTestMode, SetMonitorMode).
        int testModeRetryMs = 750;
        // setMonDiagAB while test mode is on.
        int diagInTestModeRetryMs = 900;
        // setMonitorEdgeAB and unSetMonitorParameters while test mode is on.
        int slowInTestModeRetryMs = 1200;
        // How long a pass waits for the block it asked for before it asks again.
        int answerWaitMs = 1000;
    };

    static constexpr int kMinThreshold = 1;
    static constexpr int kMaxThreshold = 254;
    // softResetCount runs 0..kSoftResetRepeat-1: the soft-reset command goes out again
    // every kSoftResetRepeat passes.
    static constexpr int kSoftResetRepeat = 10;

    // The process-wide instance, created on first use and never destroyed.
    static SetOperations* instance();

    explicit SetOperations(DeviceEventDispatcher* dispatcher, QObject* parent = nullptr);
    ~SetOperations() override;

    void setPeriods(const Periods& periods);
    const Periods& periods() const { return m_periods; }

    // Thresholds: a value outside 1..254 is ignored and the previous target kept.
    void setDesiredEdgeThreshold(int value);
    void setDesiredTouchThreshold(int value);
    void setDesiredPressThreshold(int value);
    int desiredEdgeThreshold() const { return m_desired.edgeThreshold; }
    int desiredTouchThreshold() const { return m_desired.touchThreshold; }
    int desiredPressThreshold() const { return m_desired.pressThreshold; }

    void setDesiredSensThreshold(int value) { m_desired.sensThreshold = value; }
    int desiredSensThreshold() const { return m_desired.sensThreshold; }
    void setDesiredPrescaler(int value) { m_desired.prescaler = value; }
    int desiredPrescaler() const { return m_desired.prescaler; }

    // Output: the old desired value becomes the previous one.
    void setDesiredOutputEnabled(bool on);
    void setDesiredOutputEncoding(int encoding);
    bool desiredOutputEnabled() const { return m_desired.outputEnabled; }
    bool previousOutputEnabled() const { return m_desired.previousOutputEnabled; }
    int desiredOutputEncoding() const { return m_desired.outputEncoding; }
    int previousOutputEncoding() const { return m_desired.previousOutputEncoding; }

    void setOutputSwitch(bool on) { m_desired.outputSwitch = on; }
    bool outputSwitch() const { return m_desired.outputSwitch; }
    void setDesiredDiagAB(bool on) { m_desired.diagAB = on; }
    bool desiredDiagAB() const { return m_desired.diagAB; }
    void setSaveAfterDiag(bool on) { m_desired.saveAfterDiag = on; }
    bool saveAfterDiag() const { return m_desired.saveAfterDiag; }
    void setDesiredTestMode(bool on) { m_desired.testMode = on; }
    bool desiredTestMode() const { return m_desired.testMode; }
    void setDesiredTestModeDirect(bool on) { m_desired.testModeDirect = on; }
    bool desiredTestModeDirect() const { return m_desired.testModeDirect; }
    void setDesiredEdgeDiagAB(bool on) { m_desired.edgeDiagAB = on; }
    bool desiredEdgeDiagAB() const { return m_desired.edgeDiagAB; }
    void setDesiredMonitorEdges(bool on) { m_desired.monitorEdges = on; }
    bool desiredMonitorEdges() const { return m_desired.monitorEdges; }
    void setDesiredMonitorEdgeAB(bool on) { m_desired.monitorEdgeAB = on; }
    bool desiredMonitorEdgeAB() const { return m_desired.monitorEdgeAB; }
    void setDesiredScanMode(bool on) { m_desired.scanMode = on; }
    bool desiredScanMode() const { return m_desired.scanMode; }
    void setDesiredUseCalib3(bool on) { m_desired.useCalib3 = on; }
    bool desiredUseCalib3() const { return m_desired.useCalib3; }
    void setDesiredExcludeMode(int mode) { m_desired.excludeMode = mode; }
    int desiredExcludeMode() const { return m_desired.excludeMode; }
    void setDesiredCalibrationMode(bool on) { m_desired.calibrationMode = on; }
    bool desiredCalibrationMode() const { return m_desired.calibrationMode; }
    void setDesiredTracking(bool on) { m_desired.tracking = on; }
    bool desiredTracking() const { return m_desired.tracking; }

    // Result code of the last calibration: 0 success, 1 success with a reduced area,
    // 2 cancelled, 3 failed, 4 no touch, 5 none reported yet.
    void setCalibResult(int result) { m_desired.calibResult = result; }
    int calibResult() const { return m_desired.calibResult; }
    void setRestoreOutputAfterCalib(bool on) { m_desired.restoreOutputAfterCalib = on; }
    bool restoreOutputAfterCalib() const { return m_desired.restoreOutputAfterCalib; }
    void setOutputEnabledAfterCalib(bool on) { m_desired.outputEnabledAfterCalib = on; }
    bool outputEnabledAfterCalib() const { return m_desired.outputEnabledAfterCalib; }

    // A set-parameters command prepared earlier, sent by saveParametersToFlash() while
    // monitor flags are still set: its edits (the bits its working copy changed) are
    // carried onto the controller's current block, so it never undoes later changes. One
    // not built from a block of the controller is dropped. Takes ownership; replaces (and
    // deletes) the one held.
    void setHeldCommand(CommandSetCurrentParameters* command);
    const CommandSetCurrentParameters* heldCommand() const { return m_heldCommand.get(); }

    // 0 edge view, 1 scan view, 2 neither.
    void setViewMode(int mode) { m_desired.viewMode = mode; }
    int viewMode() const { return m_desired.viewMode; }
    int softResetCount() const { return m_softResetCount; }
    // Slots whose loop has a pass armed or waiting for the controller's answer
    // (queryData() aside); 0 once every loop has ended.
    int pendingPasses() const;
    bool factoryResetPhase() const { return m_factoryResetPhase; }
    bool defaultsLoaded() const { return m_defaultsLoaded; }

signals:
    void modeChanged(int mode);
    void signal_Calib3ExculdeMode(bool flag);
    void signal_finishSetMonDiagAB();
    void signal_finishSetMonScanAB();
    void signal_finishEnableMonScanAB(bool flag);
    void signal_finishDisableMonScanAB(bool flag);
    void signal_finishSetMonDiagEdgeAB();
    void signal_finishedSetMonEdgeAB(bool flag);
    void signal_finishedSetMonEdgeABFlags();
    void signal_finishedUnsetMonEdgeABFlags();
    void signal_finishSetOutput();
    void signal_finishedCalibUnset();
    void signal_finishedSetOutputFlagMode();
    void signal_finishedSetTestMode();
    void signal_finishedSavingParameters();
    void signal_finishedSettingCalibration();
    void signal_finishedUnsettingCalibration();
    void signal_finishedUnsettingParameters();
    void signal_finishedSoftReset();
    void signal_finishedFactoryReset();
    void signal_softResetActive();
    void signal_finishedSettingPrescalarValue();
    void signalCalibrationFinished(int result);
    void signalReEnable();

public slots:
    void checkCalibSettings();
    void enableOutput();
    void setPrescalerValue();
    // One shot: writes edge A = monitorA and edge B = monitorB and asks for the block.
    // True when edge A, edge B, scan A or scan B is set in the block sent. With
    // "General/DisableMonEdge" set, or before the controller has answered, nothing is
    // sent and false is returned.
    bool setMonitorEdges(bool monitorA, bool monitorB);
    void setMonEdgeDiagAB();
    // One shot: writes theThreshold as the edge threshold when it differs from the
    // current edge threshold.
    void setThresholds(int theThreshold);
    // One shot: touch and press threshold +/- theValue, when the touch result stays in
    // 0..255 (a press result outside 0..255 is left unwritten).
    void incThresholdsBy(int theValue);
    void subThresholdsBy(int theValue);
    // One shot: the threshold +/- theValue when the result stays in 0..255; the command
    // (unchanged otherwise) and get-parameters are queued in either case.
    void incPressThresholdBy(int theValue);
    void subPressThresholdBy(int theValue);
    void incEdgeThresholdBy(int theValue);
    void subEdgeThresholdBy(int theValue);
    void SetEdgeThreshold();
    void SetPressThreshold();
    // Writes the desired touch threshold as touch and press threshold.
    void SetTouchTreshold();
    void setMonDiagAB();
    void SetMonitorMode();
    void setMonitorEdges();
    void setMonitorEdgeAB();
    void setMonitorTestMode();
    void setMonitorScanMode();
    void setDeviceOutputMode();
    void setThreshold();
    // Whether the controller reports a wire error on array A or B. While it reports a
    // soft reset (or has not answered yet) it polls and returns true.
    bool checkForWireOut();
    void setTrackingModeInDevice();
    void setCalib3OutputExclude();
    void saveParametersToFlash();
    void setCalibrationMode();
    void SetOutputEdgeStretchActive();
    void SetOutputEdgeStretchScale();
    void SetOutputEdgeStretchLevel();
    void SaveDefaultParameters();
    void unSetMonitorParameters();
    void doSoftReset();
    void checkSoftResetSet();
    // Keep-alive: asks for the parameters and the version every retry period, for ever.
    // Invoking it while it runs restarts the period instead of starting a second loop.
    void queryData();
    void doFactoryReset();
    void doScanOrEdge();
    // Stores both arrays in the settings ("GeometricCalibration/UnrotatedData" and
    // "GeometricCalibration/RotatedData") and writes each, raw, to the files
    // "UnrotatedData" and "RotatedData" in the working directory.
    void setRotationCalibrationData(QByteArray theUnrotatedData, QByteArray theRotatedData);

private:
    using Command = std::unique_ptr<CommandSetCurrentParameters>;
    using Slot = void (SetOperations::*)();

    // The pass that runs a slot's loop, made on first use.
    ConvergingPass& pass(Slot slot);
    void applyTiming(ConvergingPass& pass) const;

    Command commandFromBlock() const;
    // A command from the current block carrying the held command's own edits.
    Command rebased(const CommandSetCurrentParameters& held) const;
    void queue(DeviceCommand* command);

    CurrentParametersSource m_source;
    Periods m_periods;
    DesiredState m_desired;
    QTimer m_queryDataTimer;
    std::vector<std::pair<Slot, ConvergingPass*>> m_passes;
    std::unique_ptr<ThresholdOperations> m_thresholds;
    std::unique_ptr<MonitorOperations> m_monitor;
    std::unique_ptr<CalibrationOperations> m_calibration;
    std::unique_ptr<ScanEdgeViewSwitch> m_views;
    ConvergingPass* m_wireOutPass;
    Command m_heldCommand;
    int m_softResetCount = 0;
    bool m_factoryResetPhase = false;
    bool m_defaultsLoaded = false;
};
