#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

#include "operations/CurrentParametersSource.h"
#include "operations/SensitivityAnalysis.h"

class CommandSetCurrentParameters;
class ConvergingPass;
class SetOperations;

// The automatic sensitivity procedure, without its window: the installer keeps off the
// sensor, then presses a target in the middle while both arrays stream their edge levels;
// from 100 frames per array it sets the prescaler, the edge threshold and the zonal filter
// noise figures of both arrays.
//
// Stages follow one another through one single-shot timer; the delays come from Delays
// (the product's values by default). The touch output is switched off when the procedure
// starts and given back (as it was) when it ends, whichever way it ends.
//
// Output, prescaler and edge streams are changed together by one converging pass of the
// procedure's own, so a command of one change never carries the controller's old value
// of another (separate loops on the same block undo each other's writes when their
// commands cross). The threshold goes through SetOperations::setThresholds() and is held
// by that pass from then on.
//
// The object outlives a run: after finished() it keeps converging until the controller
// has taken back what the run changed (at most Delays::restoreWaitMs) and then deletes
// itself when it was told to (deleteWhenRestored()).
//
// A watchdog (Delays::watchdogMs, 60 s) runs from the request for the edge streams until
// the controller has come out of the soft reset that the new prescaler causes. When it
// expires (the controller never confirms the edge streams, no frames or frames of one
// array only arrive, the soft reset never ends) stageTimeout() ends the run with result
// 0. After that point the remaining stages are fixed delays. With "General/DisableMonEdge"
// set the edge streams cannot be switched on, so the run ends with result 0 at once.
//
// stageTimeout() also puts the prescaler back when the run had replaced it with the
// acquisition prescaler and had not written the computed one yet.
//
// GUI thread only. The window (FormSensCal) shows the page, the target and the
// equalizers from the signals below.
class AutoSensitivityProcedure : public QObject {
    Q_OBJECT
public:
    // Stage delays in ms.
    struct Delays {
        int startMs = 0;           // start() to stageStart
        int quietMs = 5000;        // "Please do not touch" to stageSetupPrescaler
        int pressPromptMs = 3000;  // "Please Press the Target" to doConnection
        int animateMs = 100;       // stageAnimateTarget's period
        int completedMs = 500;     // target completed to stageAnalyzeTouchSignal
        int analysisMs = 5000;     // to stageSetCalculatePrescaler
        int prescalerMs = 500;     // to stagePostCalculatedPrescaler
        int softResetPollMs = 400;
        int settleMs = 10000;  // no soft reset in the last polls to stagePreNoiseAnalysis
        int preNoiseMs = 500;  // to stageNoiseAnalysis
        int doneMs = 500;      // to stageDone
        int keepAliveMs = 9000;
        int watchdogMs = 60000;
        // How long the controller is given to take back what an ended run changed.
        int restoreWaitMs = 60000;
    };

    enum TargetState { TargetIdle = 0, TargetActive = 1, TargetCompleted = 2 };
    enum Page { PageDoNotTouch = 0, PagePressTarget = 1 };
    enum Result { ResultFailed = 0, ResultCompleted = 1 };

    static constexpr int kAcquisitionPrescaler = 15;
    // With "Model/Mux" = 1.
    static constexpr int kMuxAcquisitionPrescaler = 25;
    static constexpr int kFramesPerArray = SensitivityAnalysis::kDefaultFramesPerArray;

    AutoSensitivityProcedure(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                             QObject* parent = nullptr);
    // A run still going is ended as stageTimeout() would (no signal).
    ~AutoSensitivityProcedure() override;

    void setDelays(const Delays& delays) { m_delays = delays; }
    const Delays& delays() const { return m_delays; }
    // The clock of the report file names (tests fix it).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // Switches the touch output off and starts the stages. Once per object.
    void start();
    bool isRunning() const { return m_running; }
    bool isStarted() const { return m_started; }
    // Once a started run has ended and the controller has its state back (or restoreWaitMs
    // has passed), the object deletes itself.
    void deleteWhenRestored();
    // The controller has the state the run last asked for.
    bool isControllerSettled() const { return m_settled; }
    int acquisitionPrescaler() const { return m_acquisitionPrescaler; }
    const SensitivityAnalysis& analysis() const { return m_analysis; }
    QStringList lineHealthReport() const { return m_lineHealth; }
    // Soft resets seen in the last eight polls of stagePostCalculatedPrescaler, newest in
    // bit 0; kept for the life of the process.
    static quint8 softResetHistory() { return s_softResetHistory; }

    int computePrescaler() const;
    int computeThreshold() const;
    QString initDateTimeString();
    void logStatisticData(const QString& tag);

signals:
    void noiseFigure(double theValue);
    void signalToNoiseRatio(double theSnr);
    // The line-health report of the run, once at its successful end.
    void lineHealth(QStringList theReport);
    void pageChanged(int page);
    void targetValueChanged(int value);
    void targetStateChanged(int state);
    // Both equalizers start over.
    void equalizersCleared();
    // Edge frames while the acquisition is connected (for the equalizers).
    void edgeFrameA(QByteArray frame);
    void edgeFrameB(QByteArray frame);
    void pressLevelChanged(int press);
    void wireOutCleared();
    // The run has ended: 1 completed, 0 failed.
    void finished(int result);

public slots:
    void keepAliverTimersetting(bool flag);
    void doConnection();
    void doDisConnecion();
    void accountDataA(QByteArray ba);
    void accountDataB(QByteArray ba);
    void keepAlive();
    void stageStart();
    void stageSetupPrescaler();
    void stageStartAcquiringTouchSamples();
    void stageAnimateTarget();
    void stageNoiseAnalysis();
    void stageTimeout();
    void stageAnalyzeTouchSignal();
    void stageSetCalculatePrescaler();
    void stagePostCalculatedPrescaler();
    void stagePreNoiseAnalysis();
    void stageDone();

private:
    using Stage = void (AutoSensitivityProcedure::*)();

    // What the run asks of the controller; fields left empty are not touched.
    struct ControllerState {
        std::optional<bool> output;
        std::optional<int> prescaler;
        std::optional<bool> edges;
        std::optional<int> edgeThreshold;
    };

    // Makes `state` the target of the pass; `then` runs once the controller shows it.
    void requestState(std::function<void()> then = {});
    void convergeState();
    bool editState(CommandSetCurrentParameters& command) const;
    void onStateSettled();
    void deleteIfDone();

    void schedule(int delayMs, Stage stage);
    void runScheduled();
    void accountData(SensitivityAnalysis::Array array, const QByteArray& frame);
    void dropConnections();
    // Stops every timer and gives the controller back what the run took.
    void wrapUp();
    void sendZoneFilter(SensitivityAnalysis::Array array);
    void queueParametersRequest();

    CurrentParametersSource m_source;
    QPointer<SetOperations> m_operations;
    Delays m_delays;
    std::function<QDateTime()> m_clock;
    SensitivityAnalysis m_analysis;
    ConvergingPass* m_pass;
    ControllerState m_state;
    std::function<void()> m_onSettled;
    bool m_settled = true;
    bool m_deleteWhenRestored = false;
    QTimer m_restoreTimer;
    QTimer m_stageTimer;
    QTimer m_keepAliveTimer;
    QTimer m_watchdog;
    Stage m_next = nullptr;
    QList<QMetaObject::Connection> m_acquisition;
    QStringList m_lineHealth;
    QString m_timeStamp;
    int m_acquisitionPrescaler = kAcquisitionPrescaler;
    int m_edgeThreshold = 0;
    TargetState m_target = TargetIdle;
    bool m_started = false;
    bool m_running = false;
    // The output as it was before the run, given back when the run ends.
    bool m_outputWasEnabled = true;
    // The prescaler before the run, while the acquisition prescaler replaces it.
    std::optional<int> m_prescalerToRestore;

    static quint8 s_softResetHistory;
};
