#include "ResponseDelegateUntrackedFinger.h"

#include <QSettings>

#include <algorithm>

#include "logging/LogMacros.h"
#include "protocol/Opcodes.h"
#include "protocol/PacketBytes.h"
#include "protocol/SettingsKeys.h"

namespace {
// Report layout.
constexpr int kState1Index = 2;
constexpr int kValueAIndex = 4;
constexpr int kValueBIndex = 6;
constexpr int kMinimumReportSize = 8;
// STATE1 values.
constexpr int kNoContact = 0;
constexpr int kContact = 2;

constexpr int kFullPercent = 100;

bool calibrationStarted() {
    return QSettings().value(SettingsKeys::Calibration::kStart, false).toBool();
}

void setCalibrationStarted(bool started) {
    QSettings().setValue(SettingsKeys::Calibration::kStart, started);
}
}  // namespace

ResponseDelegateUntrackedFinger::ResponseDelegateUntrackedFinger(QObject* parent)
    : DeviceResponseDelegate(parent) {
    qRegisterMetaType<NormalVariable>("NormalVariable");
    // Precise timers: a coarse one may report more time left than its range, and the
    // remaining time is shown against that range.
    m_acquisitionTimer.setTimerType(Qt::PreciseTimer);
    m_feedbackTimer.setTimerType(Qt::PreciseTimer);
    m_acquisitionTimer.setSingleShot(true);
    m_acquisitionTimer.setInterval(m_contactTimeout);
    m_feedbackTimer.setSingleShot(true);
    m_feedbackTimer.setInterval(m_feedbackTimeout);
}

QString ResponseDelegateUntrackedFinger::registryName() {
    return QStringLiteral("UntrackedFinger");
}

bool ResponseDelegateUntrackedFinger::isUnderstood(QByteArray data) {
    if (responseCodeOf(data) != ResponseCode::UntrackedFinger) {
        return false;
    }
    TLOG_INFO(QStringLiteral("I understand this packet."));
    return true;
}

void ResponseDelegateUntrackedFinger::setContactTimeout(int milliseconds) {
    m_contactTimeout = std::max(milliseconds, 0);
}

void ResponseDelegateUntrackedFinger::setFeedbackTimeout(int milliseconds) {
    m_feedbackTimeout = std::max(milliseconds, 0);
    m_feedbackTimer.setInterval(m_feedbackTimeout);
}

void ResponseDelegateUntrackedFinger::addData(QByteArray data) {
    if (responseCodeOf(data) != ResponseCode::UntrackedFinger) {
        TLOG_CRITICAL(QStringLiteral("Called with the wrong type of packet: %1")
                          .arg(QLatin1Char(char(PacketBytes::byteAt(data, kResponseCodeIndex)))));
    }
    DeviceResponseDelegate::addData(data);
}

void ResponseDelegateUntrackedFinger::setNumberOfSamples(int numberOfSamples) {
    m_numberOfSamples = numberOfSamples;
}

void ResponseDelegateUntrackedFinger::setTimeout(int milliseconds) {
    m_acquisitionTimer.setInterval(std::max(milliseconds, 0));
}

void ResponseDelegateUntrackedFinger::execute() {
    if (!calibrationStarted()) {
        disconnectTimers();
        return;
    }
    if (m_data.size() < kMinimumReportSize) {
        TLOG_WARNING(
            QStringLiteral("Report of %1 bytes is too short, ignored.").arg(m_data.size()));
        return;
    }
    connectTimers();
    const int state1 = PacketBytes::byteAt(m_data, kState1Index);
    TLOG_INFO(QStringLiteral("Detected STATE1=%1.").arg(state1));
    TLOG_INFO(QStringLiteral("State machine entry state=%1.").arg(m_state));
    emitRemainingTimes();
    m_state = stepStateMachine(state1);
    TLOG_INFO(QStringLiteral("State machine exit state=%1.").arg(m_state));
}

void ResponseDelegateUntrackedFinger::connectTimers() {
    if (m_timersConnected) {
        return;
    }
    connect(&m_feedbackTimer, &QTimer::timeout, this,
            &ResponseDelegateUntrackedFinger::slotFeedbackTimeout);
    connect(&m_acquisitionTimer, &QTimer::timeout, this,
            &ResponseDelegateUntrackedFinger::slotTimeout);
    m_timersConnected = true;
}

void ResponseDelegateUntrackedFinger::disconnectTimers() {
    disconnect(&m_feedbackTimer, &QTimer::timeout, this,
               &ResponseDelegateUntrackedFinger::slotFeedbackTimeout);
    disconnect(&m_acquisitionTimer, &QTimer::timeout, this,
               &ResponseDelegateUntrackedFinger::slotTimeout);
    m_timersConnected = false;
}

void ResponseDelegateUntrackedFinger::emitRemainingTimes() {
    if (m_feedbackTimer.isActive()) {
        emit remainingTime(m_feedbackTimeout, m_feedbackTimer.remainingTime());
    }
    if (m_acquisitionTimer.isActive()) {
        emit remainingTime(m_contactTimeout, m_acquisitionTimer.remainingTime());
    }
}

int ResponseDelegateUntrackedFinger::stepStateMachine(int state1) {
    switch (m_state) {
        case Idle:
            return stepIdle();
        case WaitForContact:
            return stepWaitForContact(state1);
        case Acquiring:
            return stepAcquiring(state1);
        case Done:
            return stepDone(state1);
        default:
            clearStatData();
            TLOG_WARNING(QStringLiteral("Caught illegal state!"));
            return Idle;
    }
}

int ResponseDelegateUntrackedFinger::stepIdle() {
    m_feedbackTimer.start();
    m_acquisitionTimer.stop();
    if (!m_acquisitionRequested) {
        return Idle;
    }
    m_acquisitionRequested = false;
    return WaitForContact;
}

int ResponseDelegateUntrackedFinger::stepWaitForContact(int state1) {
    if (state1 != kContact) {
        return WaitForContact;
    }
    dataContentReset();
    m_feedbackTimer.stop();
    m_acquisitionTimer.setInterval(m_contactTimeout);
    m_acquisitionTimer.start();
    emit fingerDown();
    return Acquiring;
}

int ResponseDelegateUntrackedFinger::stepAcquiring(int state1) {
    if (state1 != kContact) {
        if (m_progress > 0) {
            m_acquisitionTimer.start();
        }
        TLOG_INFO(
            QStringLiteral("No contact detected, no touch (STATE1=2), resetting calibration."));
        dataContentReset();
        return Acquiring;
    }
    m_feedbackTimer.stop();
    m_acquisitionTimer.stop();
    accumulateValues();
    const int taken = m_accumulatorA.count();
    if (taken >= m_numberOfSamples) {
        m_finished = true;
        emit completed(m_accumulatorA, m_accumulatorB);
        m_acquisitionTimer.stop();
        return Done;
    }
    const int percent = static_cast<int>(qint64(taken) * kFullPercent / m_numberOfSamples);
    if (percent > 0) {
        m_progress = percent;
        emit remainingTime(m_contactTimeout, m_contactTimeout);
    }
    TLOG_INFO(QStringLiteral("progress %1").arg(percent));
    emit progress(percent);
    return Acquiring;
}

int ResponseDelegateUntrackedFinger::stepDone(int state1) {
    if (state1 != kNoContact) {
        return Done;
    }
    emit fingerUp();
    return Idle;
}

void ResponseDelegateUntrackedFinger::accumulateValues() {
    const int valueA = PacketBytes::u16LeAt(m_data, kValueAIndex);
    const int valueB = PacketBytes::u16LeAt(m_data, kValueBIndex);
    m_accumulatorA.add(valueA);
    m_accumulatorB.add(valueB);
    TLOG_INFO(QStringLiteral("Got A1: %1").arg(valueA));
    TLOG_INFO(QStringLiteral("Got B1: %1").arg(valueB));
}

void ResponseDelegateUntrackedFinger::acquisitionStart() {
    if (m_numberOfSamples == 0) {
        TLOG_CRITICAL(
            QStringLiteral("The acquisition has been started, but the necessary number of samples "
                           "have not been set. Expect crashing sooner or later!!!."));
    }
    m_acquisitionRequested = true;
    // Connected here too: a controller that never streams must still end in timeout().
    connectTimers();
    m_acquisitionTimer.start();
    m_progress = 0;
    emit progress(0);
}

void ResponseDelegateUntrackedFinger::acquisitionStop() {
    TLOG_INFO(QStringLiteral("Acquisition stopped, previous state was: %1").arg(m_state));
    setCalibrationStarted(false);
    m_feedbackTimer.stop();
    // A stopped acquisition must not report a timeout later.
    m_acquisitionTimer.stop();
    m_acquisitionRequested = false;
    m_progress = 0;
    m_state = Idle;
}

void ResponseDelegateUntrackedFinger::clearStatData() {
    m_accumulatorA.clear();
    m_accumulatorB.clear();
    m_progress = 0;
    m_finished = false;
}

void ResponseDelegateUntrackedFinger::dataContentReset() {
    clearStatData();
    m_data.clear();
}

void ResponseDelegateUntrackedFinger::setStartStopTimerFlag(bool flag) {
    Q_UNUSED(flag)
    emit remainingTime(m_feedbackTimeout, m_feedbackTimeout);
    m_feedbackTimer.start();
}

void ResponseDelegateUntrackedFinger::onRestartClicked() {
    setCalibrationStarted(true);
    m_acquisitionTimer.stop();
}

void ResponseDelegateUntrackedFinger::slotTimeout() {
    emit timeout();
    acquisitionStop();
    clearStatData();
}

void ResponseDelegateUntrackedFinger::slotFeedbackTimeout() {
    emit feedbacktimeout();
    acquisitionStop();
    clearStatData();
}
