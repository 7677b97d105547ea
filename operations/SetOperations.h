#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <memory>

#include "operations/CurrentParametersSource.h"

class CommandSetCurrentParameters;
class DeviceCommand;
class DeviceEventDispatcher;
class ParameterReadAccessor;
class ResponseDelegateCurrentParameters;

// Every change the tool makes to the controller's current parameters. A caller sets the
// desired state through the setters below and invokes a slot; the slot compares the
// controller's last block (the "CurrentParameters" delegate) with the desired state,
// sends a set-parameters command built from a copy of that block when they differ, asks
// for the block again and re-invokes itself on a single-shot timer until the controller
// reports the desired state. Only then does it emit its completion signal. There is no
// retry limit.
//
// While the controller reports a soft reset, and until it has sent its first block, a
// slot only asks for the parameters and polls: no set command is ever built from the
// delegate's placeholder.
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

    void setPeriods(const Periods& periods) { m_periods = periods; }
    const Periods& periods() const { return m_periods; }

    // Thresholds: a value outside 1..254 is ignored and the previous target kept.
    void setDesiredEdgeThreshold(int value);
    void setDesiredTouchThreshold(int value);
    void setDesiredPressThreshold(int value);
    int desiredEdgeThreshold() const { return m_desiredEdgeThreshold; }
    int desiredTouchThreshold() const { return m_desiredTouchThreshold; }
    int desiredPressThreshold() const { return m_desiredPressThreshold; }

    void setDesiredSensThreshold(int value) { m_desiredSensThreshold = value; }
    int desiredSensThreshold() const { return m_desiredSensThreshold; }
    void setDesiredPrescaler(int value) { m_desiredPrescaler = value; }
    int desiredPrescaler() const { return m_desiredPrescaler; }

    // Output: the old desired value becomes the previous one.
    void setDesiredOutputEnabled(bool on);
    void setDesiredOutputEncoding(int encoding);
    bool desiredOutputEnabled() const { return m_desiredOutputEnabled; }
    bool previousOutputEnabled() const { return m_previousOutputEnabled; }
    int desiredOutputEncoding() const { return m_desiredOutputEncoding; }
    int previousOutputEncoding() const { return m_previousOutputEncoding; }

    void setOutputSwitch(bool on) { m_outputSwitch = on; }
    bool outputSwitch() const { return m_outputSwitch; }
    void setDesiredDiagAB(bool on) { m_desiredDiagAB = on; }
    bool desiredDiagAB() const { return m_desiredDiagAB; }
    void setSaveAfterDiag(bool on) { m_saveAfterDiag = on; }
    bool saveAfterDiag() const { return m_saveAfterDiag; }
    void setDesiredTestMode(bool on) { m_desiredTestMode = on; }
    bool desiredTestMode() const { return m_desiredTestMode; }
    void setDesiredTestModeDirect(bool on) { m_desiredTestModeDirect = on; }
    bool desiredTestModeDirect() const { return m_desiredTestModeDirect; }
    void setDesiredEdgeDiagAB(bool on) { m_desiredEdgeDiagAB = on; }
    bool desiredEdgeDiagAB() const { return m_desiredEdgeDiagAB; }
    void setDesiredMonitorEdges(bool on) { m_desiredMonitorEdges = on; }
    bool desiredMonitorEdges() const { return m_desiredMonitorEdges; }
    void setDesiredMonitorEdgeAB(bool on) { m_desiredMonitorEdgeAB = on; }
    bool desiredMonitorEdgeAB() const { return m_desiredMonitorEdgeAB; }
    void setDesiredScanMode(bool on) { m_desiredScanMode = on; }
    bool desiredScanMode() const { return m_desiredScanMode; }
    void setDesiredUseCalib3(bool on) { m_desiredUseCalib3 = on; }
    bool desiredUseCalib3() const { return m_desiredUseCalib3; }
    void setDesiredExcludeMode(int mode) { m_desiredExcludeMode = mode; }
    int desiredExcludeMode() const { return m_desiredExcludeMode; }
    void setDesiredCalibrationMode(bool on) { m_desiredCalibrationMode = on; }
    bool desiredCalibrationMode() const { return m_desiredCalibrationMode; }
    void setDesiredTracking(bool on) { m_desiredTracking = on; }
    bool desiredTracking() const { return m_desiredTracking; }

    // Result code of the last calibration: 0 success, 1 success with a reduced area,
    // 2 cancelled, 3 failed, 4 no touch, 5 none reported yet.
    void setCalibResult(int result) { m_calibResult = result; }
    int calibResult() const { return m_calibResult; }
    void setRestoreOutputAfterCalib(bool on) { m_restoreOutputAfterCalib = on; }
    bool restoreOutputAfterCalib() const { return m_restoreOutputAfterCalib; }
    void setOutputEnabledAfterCalib(bool on) { m_outputEnabledAfterCalib = on; }
    bool outputEnabledAfterCalib() const { return m_outputEnabledAfterCalib; }

    // A set-parameters command prepared earlier, sent by saveParametersToFlash() while
    // monitor flags are still set: its edits (the bits its working copy changed) are
    // carried onto the controller's current block, so it never undoes later changes. One
    // not built from a block of the controller is dropped. Takes ownership; replaces (and
    // deletes) the one held.
    void setHeldCommand(CommandSetCurrentParameters* command);
    const CommandSetCurrentParameters* heldCommand() const { return m_heldCommand.get(); }

    // 0 edge view, 1 scan view, 2 neither.
    void setViewMode(int mode) { m_viewMode = mode; }
    int viewMode() const { return m_viewMode; }
    int softResetCount() const { return m_softResetCount; }
    // Passes armed on a timer and not yet run, over all slots (queryData() aside); 0 once
    // every loop has ended.
    int pendingPasses() const { return m_pendingPasses; }
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
    // current press threshold.
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
    template <typename Slot>
    void retryAfter(int ms, Slot slot);

    // Starts a pass of a converging slot: the command for this pass, built from a copy
    // of the controller's block, or nullptr when the slot must only poll (no answer yet,
    // or a soft reset); then get-parameters is queued and the slot re-armed after
    // waitMs.
    template <typename Slot>
    Command beginPass(Slot slot, int waitMs);
    // The delegate when it holds a controller block and no soft reset is reported;
    // otherwise queues get-parameters, re-arms the slot and returns nullptr.
    template <typename Slot>
    ResponseDelegateCurrentParameters* settledBlock(Slot slot, int waitMs);
    // The delegate when it holds a controller block; for one-shot slots, which do not
    // retry: otherwise asks for the parameters and logs that the request was dropped.
    ResponseDelegateCurrentParameters* answeredOrAsk(const char* request);

    Command commandFromBlock() const;
    // A copy of a command, its block and its edits (queued commands belong to
    // the dispatcher, so the held command is never the queued one).
    static Command copyOf(const CommandSetCurrentParameters& command);
    // A command from the current block carrying the held command's own edits.
    Command rebased(const CommandSetCurrentParameters& held) const;
    // Queues a set command, refusing one not built from a block the controller sent.
    bool queueSetCommand(Command command);
    void queue(DeviceCommand* command);
    void askForParameters();
    // set command, then get-parameters.
    void sendAndAsk(Command command);

    void stepEdgeThreshold(int delta);
    void stepPressThreshold(int delta);
    void stepThresholds(int delta);
    void clearDesiredMonitorFlags();
    bool isSameOutputAsAfterCalib(const ParameterReadAccessor& block) const;
    void scanViewStep(const ResponseDelegateCurrentParameters& block);
    void edgeViewStep(const ResponseDelegateCurrentParameters& block);
    void writeCalibrationFile(const QString& name, const QByteArray& data);
    static bool settingFlag(const QString& key);
    static void clearCalibrationStart();

    CurrentParametersSource m_source;
    Periods m_periods;
    QTimer m_queryDataTimer;

    int m_desiredEdgeThreshold = 0;
    int m_desiredTouchThreshold = 0;
    int m_desiredPressThreshold = 0;
    int m_desiredSensThreshold = 0;
    int m_desiredPrescaler = 0;
    bool m_desiredOutputEnabled = false;
    bool m_previousOutputEnabled = false;
    int m_desiredOutputEncoding = 0;
    int m_previousOutputEncoding = 0;
    bool m_outputSwitch = false;
    bool m_desiredDiagAB = false;
    bool m_saveAfterDiag = false;
    bool m_desiredTestMode = false;
    bool m_desiredTestModeDirect = false;
    bool m_desiredEdgeDiagAB = false;
    bool m_desiredMonitorEdges = false;
    bool m_desiredMonitorEdgeAB = false;
    bool m_desiredScanMode = false;
    bool m_desiredUseCalib3 = false;
    int m_desiredExcludeMode = 0;
    bool m_desiredCalibrationMode = false;
    bool m_desiredTracking = false;
    int m_calibResult = 0;
    bool m_restoreOutputAfterCalib = false;
    bool m_outputEnabledAfterCalib = false;
    Command m_heldCommand;
    int m_viewMode = 0;
    int m_softResetCount = 0;
    int m_pendingPasses = 0;
    bool m_factoryResetPhase = false;
    bool m_defaultsLoaded = false;
};
