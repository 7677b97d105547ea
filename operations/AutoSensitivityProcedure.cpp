#include "AutoSensitivityProcedure.h"

#include <QSettings>

#include <utility>

#include "logging/LogMacros.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetZoneFilter.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/ResponseDelegateProcessedEdge.h"
#include "protocol/SettingsKeys.h"
#include "protocol/SimpleCommand.h"
#include "operations/ConvergingPass.h"
#include "operations/ParameterFlags.h"
#include "operations/SetOperations.h"

namespace {
constexpr int kMuxModel = 1;
constexpr quint8 kHistoryMask = 0xFF;
constexpr int kCompletedTargetValue = 100;
}  // namespace

quint8 AutoSensitivityProcedure::s_softResetHistory = 0;

AutoSensitivityProcedure::AutoSensitivityProcedure(DeviceEventDispatcher* dispatcher,
                                                   SetOperations* operations, QObject* parent)
    : QObject(parent),
      m_source(dispatcher),
      m_operations(operations),
      m_clock([] { return QDateTime::currentDateTime(); }),
      m_analysis(kFramesPerArray),
      m_pass(new ConvergingPass(
          dispatcher, [this] { convergeState(); }, this)) {
    if (m_operations) {
        m_pass->setSoftResetPollMs(m_operations->periods().retryMs);
        m_pass->setAnswerWaitMs(m_operations->periods().answerWaitMs);
    }
    m_stageTimer.setSingleShot(true);
    m_watchdog.setSingleShot(true);
    m_restoreTimer.setSingleShot(true);
    connect(&m_restoreTimer, &QTimer::timeout, this, [this] {
        TLOG_WARNING(
            QStringLiteral("The controller did not take back its settings after the "
                           "sensitivity run."));
        m_onSettled = nullptr;
        m_settled = true;
        deleteIfDone();
    });
    connect(&m_stageTimer, &QTimer::timeout, this, &AutoSensitivityProcedure::runScheduled);
    connect(&m_keepAliveTimer, &QTimer::timeout, this, &AutoSensitivityProcedure::keepAlive);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        TLOG_WARNING(QStringLiteral("No result within %1 ms, sensitivity run abandoned.")
                         .arg(m_delays.watchdogMs));
        stageTimeout();
    });
}

AutoSensitivityProcedure::~AutoSensitivityProcedure() {
    if (m_running) {
        wrapUp();
    }
}

void AutoSensitivityProcedure::start() {
    if (m_started || !m_operations) {
        return;
    }
    m_started = true;
    m_running = true;
    QSettings settings;
    m_acquisitionPrescaler = settings.value(SettingsKeys::Model::kMux, 0).toInt() == kMuxModel
                                 ? kMuxAcquisitionPrescaler
                                 : kAcquisitionPrescaler;
    if (settings.value(SettingsKeys::General::kDisableMonEdge, false).toBool()) {
        TLOG_WARNING(QStringLiteral("Edge monitoring is disabled, no sensitivity run."));
        schedule(0, &AutoSensitivityProcedure::stageTimeout);
        return;
    }
    if (const auto* block = m_source.answered()) {
        m_outputWasEnabled = block->isOutputEnabled();
    }
    m_state.output = false;
    requestState();
    schedule(m_delays.startMs, &AutoSensitivityProcedure::stageStart);
}

void AutoSensitivityProcedure::requestState(std::function<void()> then) {
    m_onSettled = std::move(then);
    m_settled = false;
    convergeState();
}

void AutoSensitivityProcedure::convergeState() {
    if (!m_operations) {
        return;
    }
    m_pass->converge(
        m_operations->periods().retryMs,
        [this](CommandSetCurrentParameters& command) { return editState(command); },
        [this] { onStateSettled(); });
}

bool AutoSensitivityProcedure::editState(CommandSetCurrentParameters& command) const {
    bool differed = false;
    if (m_state.output && command.isOutputEnabled() != *m_state.output) {
        command.setOutputEnabled(*m_state.output);
        differed = true;
    }
    if (m_state.prescaler &&
        (command.edgePs() != *m_state.prescaler || command.scanPs() != *m_state.prescaler)) {
        command.setEdgePs(*m_state.prescaler);
        command.setScanPs(*m_state.prescaler);
        differed = true;
    }
    if (m_state.edges) {
        differed = ParameterFlags::syncFlags(
                       command, {ParameterFlags::kEdgeA, ParameterFlags::kEdgeB}, *m_state.edges) ||
                   differed;
    }
    if (m_state.edgeThreshold && command.edgeThreshold() != *m_state.edgeThreshold) {
        command.setEdgeThreshold(*m_state.edgeThreshold);
        differed = true;
    }
    return differed;
}

void AutoSensitivityProcedure::onStateSettled() {
    if (m_settled) {
        return;
    }
    m_settled = true;
    if (auto then = std::exchange(m_onSettled, nullptr)) {
        then();
    }
    deleteIfDone();
}

void AutoSensitivityProcedure::deleteWhenRestored() {
    m_deleteWhenRestored = true;
    deleteIfDone();
}

void AutoSensitivityProcedure::deleteIfDone() {
    if (m_deleteWhenRestored && m_started && !m_running && m_settled) {
        deleteLater();
    }
}

void AutoSensitivityProcedure::schedule(int delayMs, Stage stage) {
    m_next = stage;
    m_stageTimer.start(qMax(0, delayMs));
}

void AutoSensitivityProcedure::runScheduled() {
    const Stage stage = m_next;
    m_next = nullptr;
    if (m_running && stage) {
        (this->*stage)();
    }
}

void AutoSensitivityProcedure::keepAliverTimersetting(bool flag) {
    if (flag && m_running) {
        m_keepAliveTimer.start(m_delays.keepAliveMs);
    } else {
        m_keepAliveTimer.stop();
    }
}

void AutoSensitivityProcedure::keepAlive() {
    queueParametersRequest();
}

void AutoSensitivityProcedure::queueParametersRequest() {
    if (DeviceEventDispatcher* dispatcher = m_source.dispatcher()) {
        dispatcher->queueCommand(CommandFactory::getParams());
    }
}

void AutoSensitivityProcedure::stageStart() {
    emit pageChanged(PageDoNotTouch);
    schedule(m_delays.quietMs, &AutoSensitivityProcedure::stageSetupPrescaler);
}

void AutoSensitivityProcedure::stageSetupPrescaler() {
    emit equalizersCleared();
    m_analysis.clear();
    if (const auto* block = m_source.answered()) {
        m_prescalerToRestore = block->edgePs();
    }
    m_watchdog.start(m_delays.watchdogMs);
    m_state.prescaler = m_acquisitionPrescaler;
    m_state.edges = true;
    requestState([this] {
        if (m_running) {
            keepAliverTimersetting(true);
            stageStartAcquiringTouchSamples();
        }
    });
}

void AutoSensitivityProcedure::stageStartAcquiringTouchSamples() {
    emit equalizersCleared();
    m_analysis.clear();
    m_target = TargetIdle;
    emit targetValueChanged(0);
    emit pageChanged(PagePressTarget);
    schedule(m_delays.pressPromptMs, &AutoSensitivityProcedure::doConnection);
}

void AutoSensitivityProcedure::doConnection() {
    queueParametersRequest();
    auto* parameters = m_source.delegate();
    auto* edges =
        m_source.dispatcher()
            ? qobject_cast<ResponseDelegateProcessedEdge*>(m_source.dispatcher()->responseDelegate(
                  ResponseDelegateProcessedEdge::registryName()))
            : nullptr;
    if (!parameters || !edges) {
        TLOG_CRITICAL(QStringLiteral("No edge stream to measure, sensitivity run abandoned."));
        stageTimeout();
        return;
    }
    m_edgeThreshold = parameters->edgeThreshold();
    using P = AutoSensitivityProcedure;
    m_acquisition << connect(edges, &ResponseDelegateProcessedEdge::edgeA, this, &P::accountDataA)
                  << connect(edges, &ResponseDelegateProcessedEdge::edgeA, this, &P::edgeFrameA)
                  << connect(edges, &ResponseDelegateProcessedEdge::edgeB, this, &P::accountDataB)
                  << connect(edges, &ResponseDelegateProcessedEdge::edgeB, this, &P::edgeFrameB)
                  << connect(m_operations, &SetOperations::signal_finishSetMonDiagAB, this,
                             &P::wireOutCleared)
                  << connect(parameters, &ResponseDelegateCurrentParameters::signalEdgeThreshold,
                             this, &P::pressLevelChanged);
}

void AutoSensitivityProcedure::doDisConnecion() {
    dropConnections();
    queueParametersRequest();
    if (const auto* parameters = m_source.delegate()) {
        m_edgeThreshold = parameters->edgeThreshold();
    }
}

void AutoSensitivityProcedure::dropConnections() {
    for (const QMetaObject::Connection& connection : qAsConst(m_acquisition)) {
        disconnect(connection);
    }
    m_acquisition.clear();
}

void AutoSensitivityProcedure::accountDataA(QByteArray ba) {
    accountData(SensitivityAnalysis::ArrayA, ba);
}

void AutoSensitivityProcedure::accountDataB(QByteArray ba) {
    accountData(SensitivityAnalysis::ArrayB, ba);
}

void AutoSensitivityProcedure::accountData(SensitivityAnalysis::Array array,
                                           const QByteArray& frame) {
    if (!m_running) {
        return;
    }
    if (m_target == TargetIdle) {
        m_target = TargetActive;
        emit targetStateChanged(TargetActive);
        stageAnimateTarget();
    }
    if (m_analysis.frameCount(array) >= m_analysis.framesPerArray()) {
        return;
    }
    emit targetValueChanged(m_analysis.commonFrameCount());
    m_analysis.addFrame(array, frame);
}

void AutoSensitivityProcedure::stageAnimateTarget() {
    if (m_analysis.isComplete()) {
        m_target = TargetCompleted;
        emit targetStateChanged(TargetCompleted);
        doDisConnecion();
        schedule(m_delays.completedMs, &AutoSensitivityProcedure::stageAnalyzeTouchSignal);
        return;
    }
    schedule(m_delays.animateMs, &AutoSensitivityProcedure::stageAnimateTarget);
}

void AutoSensitivityProcedure::stageAnalyzeTouchSignal() {
    emit targetValueChanged(kCompletedTargetValue);
    const std::optional<double> ratio = m_analysis.signalToNoiseRatio();
    const std::optional<double> noise = m_analysis.noiseFigure();
    if (!ratio || !noise) {
        TLOG_WARNING(QStringLiteral("No edge levels of one array, sensitivity run abandoned."));
        stageTimeout();
        return;
    }
    emit signalToNoiseRatio(*ratio);
    logStatisticData(QStringLiteral("sensTouch"));
    emit noiseFigure(*noise);
    // The noise analysis works on these same statistics, so the report is made once.
    m_lineHealth = m_analysis.lineHealthReport();
    schedule(m_delays.analysisMs, &AutoSensitivityProcedure::stageSetCalculatePrescaler);
}

int AutoSensitivityProcedure::computePrescaler() const {
    return m_analysis.computePrescaler(m_acquisitionPrescaler).value_or(0);
}

int AutoSensitivityProcedure::computeThreshold() const {
    return m_analysis.computeThreshold().value_or(0);
}

void AutoSensitivityProcedure::stageSetCalculatePrescaler() {
    const std::optional<int> prescaler = m_analysis.computePrescaler(m_acquisitionPrescaler);
    if (!prescaler) {
        stageTimeout();
        return;
    }
    keepAliverTimersetting(false);
    m_state.edges = false;
    m_state.prescaler = *prescaler;
    m_prescalerToRestore.reset();
    requestState();
    schedule(m_delays.prescalerMs, &AutoSensitivityProcedure::stagePostCalculatedPrescaler);
}

void AutoSensitivityProcedure::stagePostCalculatedPrescaler() {
    queueParametersRequest();
    const auto* block = m_source.answered();
    const bool softReset = block && block->isSoftResetActive();
    s_softResetHistory = quint8(((s_softResetHistory << 1) & kHistoryMask) | (softReset ? 1 : 0));
    if (s_softResetHistory != 0) {
        schedule(m_delays.softResetPollMs, &AutoSensitivityProcedure::stagePostCalculatedPrescaler);
        return;
    }
    m_watchdog.stop();
    emit equalizersCleared();
    schedule(m_delays.settleMs, &AutoSensitivityProcedure::stagePreNoiseAnalysis);
}

void AutoSensitivityProcedure::stagePreNoiseAnalysis() {
    schedule(m_delays.preNoiseMs, &AutoSensitivityProcedure::stageNoiseAnalysis);
}

void AutoSensitivityProcedure::stageNoiseAnalysis() {
    const std::optional<int> threshold = m_analysis.computeThreshold();
    if (!threshold) {
        stageTimeout();
        return;
    }
    m_operations->setThresholds(*threshold);
    m_state.edgeThreshold = *threshold;
    logStatisticData(QStringLiteral("sensNoise"));
    sendZoneFilter(SensitivityAnalysis::ArrayA);
    sendZoneFilter(SensitivityAnalysis::ArrayB);
    m_analysis.clear();
    schedule(m_delays.doneMs, &AutoSensitivityProcedure::stageDone);
}

// One noise byte per wire measured; a string that does not cover every wire is not sent.
void AutoSensitivityProcedure::sendZoneFilter(SensitivityAnalysis::Array array) {
    const QList<NormalVariable>& wires = m_analysis.statistics(array);
    const QByteArray sigmas = SensitivityAnalysis::computeZonalFilterSigmas(wires);
    const bool arrayA = array == SensitivityAnalysis::ArrayA;
    CommandSetZoneFilter* command = sigmas.size() == wires.size()
                                        ? (arrayA ? CommandFactory::setZoneFilterA(sigmas)
                                                  : CommandFactory::setZoneFilterB(sigmas))
                                        : nullptr;
    DeviceEventDispatcher* dispatcher = m_source.dispatcher();
    if (!command || !dispatcher) {
        TLOG_WARNING(QStringLiteral("Zonal filter of array %1 not sent: %2 values for %3 wires.")
                         .arg(arrayA ? QLatin1Char('A') : QLatin1Char('B'))
                         .arg(sigmas.size())
                         .arg(wires.size()));
        delete command;
        return;
    }
    dispatcher->queueCommand(command);
}

void AutoSensitivityProcedure::stageDone() {
    if (!m_running) {
        return;
    }
    wrapUp();
    emit lineHealth(m_lineHealth);
    emit finished(ResultCompleted);
    deleteIfDone();
}

void AutoSensitivityProcedure::stageTimeout() {
    if (!m_running) {
        return;
    }
    wrapUp();
    emit finished(ResultFailed);
    deleteIfDone();
}

void AutoSensitivityProcedure::wrapUp() {
    m_running = false;
    m_stageTimer.stop();
    m_watchdog.stop();
    m_keepAliveTimer.stop();
    dropConnections();
    if (!m_state.output) {
        return;
    }
    m_state.output = m_outputWasEnabled;
    if (m_state.edges) {
        m_state.edges = false;
    }
    if (m_prescalerToRestore) {
        m_state.prescaler = *m_prescalerToRestore;
    }
    m_restoreTimer.start(m_delays.restoreWaitMs);
    requestState([this] { m_restoreTimer.stop(); });
}

QString AutoSensitivityProcedure::initDateTimeString() {
    m_timeStamp = SensitivityAnalysis::timeStamp(m_clock());
    return m_timeStamp;
}

void AutoSensitivityProcedure::logStatisticData(const QString& tag) {
    m_analysis.logStatisticData(tag, initDateTimeString());
}
