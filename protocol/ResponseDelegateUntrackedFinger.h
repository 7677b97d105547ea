#pragma once

#include <QTimer>

#include "device/DeviceResponseDelegate.h"
#include "protocol/NormalVariable.h"

// Untracked-finger stream ("UntrackedFinger"), code 18: byte 2 = contact state STATE1
// (0 no contact, 2 contact), bytes 4..5 = value A, bytes 6..7 = value B, unsigned 16-bit
// little-endian. A report shorter than 8 bytes carries no values; it is logged and
// ignored, so a truncated report never adds a made-up sample.
//
// While the setting "Calibration/Start" is true, execute() steps an acquisition state
// machine: 0 idle -> 1 wait for contact -> 2 acquiring (one sample of A and B per
// contact report, progress in percent) -> 3 done (completed emitted) -> 0 on lift-off.
// Two single-shot timers guard it: the acquisition timer (5000 ms from contact, restarted
// when the finger leaves mid-way) and the feedback timer (50000 ms waiting for contact).
// On expiry the acquisition stops and timeout() / feedbacktimeout() is emitted.
// acquisitionStart() arms the acquisition timer (setTimeout()), so a controller that
// sends no report at all still ends in timeout().
class ResponseDelegateUntrackedFinger : public DeviceResponseDelegate {
    Q_OBJECT
public:
    enum State { Idle = 0, WaitForContact = 1, Acquiring = 2, Done = 3 };

    static constexpr int kDefaultContactTimeoutMs = 5000;
    static constexpr int kDefaultFeedbackTimeoutMs = 50000;

    explicit ResponseDelegateUntrackedFinger(QObject* parent = nullptr);

    // The name the device kind files this delegate under.
    static QString registryName();
    QString name() const override { return registryName(); }
    // True exactly for code 18 in byte 1.
    bool isUnderstood(QByteArray data) override;

    // Interval of the acquisition timer armed on contact (default 5000 ms) and of the
    // feedback timer (default 50000 ms); also the ranges sent with remainingTime().
    // Milliseconds, values below 0 are taken as 0.
    void setContactTimeout(int milliseconds);
    void setFeedbackTimeout(int milliseconds);

    int state() const { return m_state; }
    int progressPercent() const { return m_progress; }
    int numberOfSamples() const { return m_numberOfSamples; }
    bool isAcquisitionRequested() const { return m_acquisitionRequested; }
    // True from completed() until the statistics are cleared.
    bool isFinished() const { return m_finished; }
    const NormalVariable& accumulatorA() const { return m_accumulatorA; }
    const NormalVariable& accumulatorB() const { return m_accumulatorB; }
    bool isAcquisitionTimerActive() const { return m_acquisitionTimer.isActive(); }
    bool isFeedbackTimerActive() const { return m_feedbackTimer.isActive(); }

signals:
    void completed(NormalVariable a, NormalVariable b);
    void progress(int percentage);
    // range: the full interval of the timer; percentage: its remaining milliseconds.
    void remainingTime(int range, int percentage);
    void fingerUp();
    void fingerDown();
    void timeout();
    void feedbacktimeout();

public slots:
    void execute() override;
    // Stores the report; one of another code is logged and still stored.
    void addData(QByteArray data) override;
    void setNumberOfSamples(int numberOfSamples);
    void acquisitionStart();
    void acquisitionStop();
    // Interval of the acquisition timer in milliseconds (used by acquisitionStart()).
    void setTimeout(int milliseconds);
    void setStartStopTimerFlag(bool flag);
    void onRestartClicked();
    void slotTimeout();
    void slotFeedbackTimeout();

private:
    void connectTimers();
    void disconnectTimers();
    void emitRemainingTimes();
    int stepStateMachine(int state1);
    int stepIdle();
    int stepWaitForContact(int state1);
    int stepAcquiring(int state1);
    int stepDone(int state1);
    void accumulateValues();
    void clearStatData();
    void dataContentReset();

    int m_numberOfSamples = 0;
    int m_state = Idle;
    bool m_acquisitionRequested = false;
    bool m_timersConnected = false;
    bool m_finished = false;
    int m_progress = 0;
    int m_contactTimeout = kDefaultContactTimeoutMs;
    int m_feedbackTimeout = kDefaultFeedbackTimeoutMs;
    NormalVariable m_accumulatorA;
    NormalVariable m_accumulatorB;
    QTimer m_acquisitionTimer;
    QTimer m_feedbackTimer;
};
