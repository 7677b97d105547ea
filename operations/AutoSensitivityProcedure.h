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
        int settleMs = 10000;   // no soft reset in the last polls to stagePreNoiseAnalysis
        int preNoiseMs = 500;   // to stageNoiseAnalysis
        int doneMs = 500;       // to stageDone
        int keepAliveMs = 9000;
        int watchdogMs = 60000;
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
    QTimer m_stageTimer;
    QTimer m_keepAliveTimer;
    QTimer m_watchdog;
    Stage m_next = nullptr;
    QMetaObject::Connection m_monitorEdgeConnection;
    QList<QMetaObject::Connection> m_acquisition;
    QStringList m_lineHealth;
    QString m_timeStamp;
    int m_acquisitionPrescaler = kAcquisitionPrescaler;
    int m_edgeThreshold = 0;
    TargetState m_target = TargetIdle;
    bool m_started = false;
    bool m_running = false;
    // The output as it was before the run, given back when the run ends.
    bool m_outputTaken = false;
    bool m_outputWasEnabled = true;
    // Edge streams asked for and not yet switched off by the run.
    bool m_edgesRequested = false;
    // The prescaler before the run, while the acquisition prescaler replaces it.
    std::optional<int> m_prescalerToRestore;

    static quint8 s_softResetHistory;
};
