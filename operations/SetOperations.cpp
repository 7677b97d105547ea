#include "SetOperations.h"

#include <QSettings>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SettingsKeys.h"
#include "protocol/SimpleCommand.h"
#include "operations/CalibrationDataStore.h"
#include "operations/CalibrationOperations.h"
#include "operations/ConvergingPass.h"
#include "operations/MonitorOperations.h"
#include "operations/ParameterFlags.h"
#include "operations/ScanEdgeViewSwitch.h"
#include "operations/ThresholdOperations.h"

using namespace ParameterFlags;

namespace {

// Output encodings the controller knows; anything else is replaced by kDefaultEncoding.
constexpr int kFirstEncoding = 1;
constexpr int kLastEncoding = 3;
constexpr int kDefaultEncoding = 3;
}  // namespace

SetOperations* SetOperations::instance() {
    static SetOperations* operations = new SetOperations(DeviceEventDispatcher::instance());
    return operations;
}

SetOperations::SetOperations(DeviceEventDispatcher* dispatcher, QObject* parent)
    : QObject(parent),
      m_source(dispatcher),
      m_thresholds(std::make_unique<ThresholdOperations>(dispatcher, *this, m_desired)),
      m_monitor(std::make_unique<MonitorOperations>(dispatcher, *this, m_desired)),
      m_calibration(std::make_unique<CalibrationOperations>(*this, m_desired)),
      m_views(std::make_unique<ScanEdgeViewSwitch>(*this, m_desired)),
      m_wireOutPass(new ConvergingPass(
          dispatcher, [this] { checkForWireOut(); }, this)) {
    m_queryDataTimer.setSingleShot(true);
    connect(&m_queryDataTimer, &QTimer::timeout, this, &SetOperations::queryData);
    setPeriods(m_periods);
}

SetOperations::~SetOperations() = default;

void SetOperations::setPeriods(const Periods& periods) {
    m_periods = periods;
    for (ConvergingPass* pass : findChildren<ConvergingPass*>()) {
        applyTiming(*pass);
    }
}

void SetOperations::applyTiming(ConvergingPass& pass) const {
    pass.setSoftResetPollMs(m_periods.retryMs);
    pass.setAnswerWaitMs(m_periods.answerWaitMs);
}

ConvergingPass& SetOperations::pass(Slot slot) {
    for (const auto& entry : m_passes) {
        if (entry.first == slot) {
            return *entry.second;
        }
    }
    auto* made = new ConvergingPass(
        m_source.dispatcher(), [this, slot] { (this->*slot)(); }, this);
    applyTiming(*made);
    m_passes.emplace_back(slot, made);
    return *made;
}

int SetOperations::pendingPasses() const {
    int pending = 0;
    for (const ConvergingPass* pass : findChildren<ConvergingPass*>()) {
        pending += pass->isPending() ? 1 : 0;
    }
    return pending;
}

void SetOperations::setDesiredEdgeThreshold(int value) {
    if (value >= kMinThreshold && value <= kMaxThreshold) {
        m_desired.edgeThreshold = value;
    }
}

void SetOperations::setDesiredTouchThreshold(int value) {
    if (value >= kMinThreshold && value <= kMaxThreshold) {
        m_desired.touchThreshold = value;
    }
}

void SetOperations::setDesiredPressThreshold(int value) {
    if (value >= kMinThreshold && value <= kMaxThreshold) {
        m_desired.pressThreshold = value;
    }
}

void SetOperations::setDesiredOutputEnabled(bool on) {
    m_desired.previousOutputEnabled = m_desired.outputEnabled;
    m_desired.outputEnabled = on;
}

void SetOperations::setDesiredOutputEncoding(int encoding) {
    m_desired.previousOutputEncoding = m_desired.outputEncoding;
    m_desired.outputEncoding = encoding;
}

void SetOperations::setHeldCommand(CommandSetCurrentParameters* command) {
    m_heldCommand.reset(command);
}

SetOperations::Command SetOperations::commandFromBlock() const {
    const ResponseDelegateCurrentParameters* block = m_source.answered();
    if (block == nullptr) {
        return Command();
    }
    return Command(CommandFactory::setParams(block->data()));
}

// A held command was built from an earlier block. Sending it as it stands would undo
// whatever changed on the controller since; only its own edits are carried onto the
// current block.
SetOperations::Command SetOperations::rebased(const CommandSetCurrentParameters& held) const {
    Command command = commandFromBlock();
    if (!command) {
        return command;
    }
    const QByteArray& before = held.previousResponse();
    const QByteArray& edited = held.workingCopy();
    QByteArray& current = command->workingCopy();
    if (!CurrentParametersSource::isControllerBlock(before) || edited.size() != before.size() ||
        current.size() != before.size()) {
        TLOG_WARNING(
            QStringLiteral("A held set-parameters command not built from a block of "
                           "the controller was dropped."));
        return command;
    }
    for (int i = 0; i < current.size(); ++i) {
        const quint8 changedBits = quint8(edited.at(i)) ^ quint8(before.at(i));
        current[i] =
            char((quint8(current.at(i)) & ~changedBits) | (quint8(edited.at(i)) & changedBits));
    }
    return command;
}

void SetOperations::queue(DeviceCommand* command) {
    DeviceEventDispatcher* dispatcher = m_source.dispatcher();
    if (dispatcher == nullptr) {
        delete command;
        return;
    }
    dispatcher->queueCommand(command);
}

void SetOperations::checkCalibSettings() {
    TTRACE();
    m_calibration->checkCalibSettings(pass(&SetOperations::checkCalibSettings));
}

void SetOperations::enableOutput() {
    TTRACE();
    pass(&SetOperations::enableOutput)
        .converge(
            m_periods.quickRetryMs,
            [this](CommandSetCurrentParameters& command) {
                if (command.isOutputEnabled() == m_desired.outputSwitch) {
                    return false;
                }
                command.setOutputEnabled(m_desired.outputSwitch);
                return true;
            },
            [this] { emit signal_finishSetOutput(); }, ConvergingPass::Follow::Nothing);
}

void SetOperations::setPrescalerValue() {
    TTRACE();
    ConvergingPass& loop = pass(&SetOperations::setPrescalerValue);
    Command command = loop.begin(m_periods.retryMs);
    if (!command) {
        return;
    }
    TLOG_INFO(QStringLiteral("Previous prescaler values, EdgePS:%1 ScanPs:%2")
                  .arg(command->edgePs())
                  .arg(command->scanPs()));
    if (command->edgePs() == m_desired.prescaler && command->scanPs() == m_desired.prescaler) {
        emit signal_finishedSettingPrescalarValue();
        return;
    }
    command->setEdgePs(m_desired.prescaler);
    command->setScanPs(m_desired.prescaler);
    TLOG_INFO(QStringLiteral("New prescaler values, EdgePS:%1 ScanPs:%2")
                  .arg(command->edgePs())
                  .arg(command->scanPs()));
    loop.send(std::move(command), m_periods.retryMs);
}

void SetOperations::setThresholds(int theThreshold) {
    TTRACE();
    m_thresholds->setThresholds(theThreshold);
}

void SetOperations::incThresholdsBy(int theValue) {
    m_thresholds->stepThresholds(theValue);
}

void SetOperations::subThresholdsBy(int theValue) {
    m_thresholds->stepThresholds(-theValue);
}

void SetOperations::incPressThresholdBy(int theValue) {
    m_thresholds->stepPressThreshold(theValue);
}

void SetOperations::subPressThresholdBy(int theValue) {
    m_thresholds->stepPressThreshold(-theValue);
}

void SetOperations::incEdgeThresholdBy(int theValue) {
    m_thresholds->stepEdgeThreshold(theValue);
}

void SetOperations::subEdgeThresholdBy(int theValue) {
    m_thresholds->stepEdgeThreshold(-theValue);
}

void SetOperations::SetEdgeThreshold() {
    TTRACE();
    m_thresholds->SetEdgeThreshold(pass(&SetOperations::SetEdgeThreshold));
}

void SetOperations::SetPressThreshold() {
    TTRACE();
    m_thresholds->SetPressThreshold(pass(&SetOperations::SetPressThreshold));
}

void SetOperations::SetTouchTreshold() {
    TTRACE();
    m_thresholds->SetTouchTreshold(pass(&SetOperations::SetTouchTreshold));
}

bool SetOperations::setMonitorEdges(bool monitorA, bool monitorB) {
    TTRACE();
    return m_monitor->setMonitorEdges(monitorA, monitorB);
}

void SetOperations::setMonEdgeDiagAB() {
    TTRACE();
    m_monitor->setMonEdgeDiagAB(pass(&SetOperations::setMonEdgeDiagAB));
}

void SetOperations::setMonDiagAB() {
    TTRACE();
    m_monitor->setMonDiagAB(pass(&SetOperations::setMonDiagAB));
}

void SetOperations::SetMonitorMode() {
    TTRACE();
    m_monitor->SetMonitorMode(pass(&SetOperations::SetMonitorMode));
}

void SetOperations::setMonitorEdges() {
    TTRACE();
    m_monitor->setMonitorEdges(pass(static_cast<Slot>(&SetOperations::setMonitorEdges)));
}

void SetOperations::setMonitorEdgeAB() {
    TTRACE();
    m_monitor->setMonitorEdgeAB(pass(&SetOperations::setMonitorEdgeAB));
}

void SetOperations::setMonitorTestMode() {
    TTRACE();
    m_monitor->setMonitorTestMode(pass(&SetOperations::setMonitorTestMode));
}

void SetOperations::setMonitorScanMode() {
    TTRACE();
    m_monitor->setMonitorScanMode(pass(&SetOperations::setMonitorScanMode));
}

void SetOperations::setDeviceOutputMode() {
    TTRACE();
    ConvergingPass& loop = pass(&SetOperations::setDeviceOutputMode);
    Command command = loop.begin(m_periods.retryMs);
    if (!command) {
        return;
    }
    const bool enabled = command->isOutputEnabled();
    const int encoding = command->outputEncoding();
    if (enabled == m_desired.outputEnabled && encoding == m_desired.outputEncoding) {
        const int result = CalibrationOperations::storedCalibResult();
        const bool calibrated = result != DesiredState::kCalibCancelled &&
                                result != DesiredState::kCalibFailed &&
                                result != DesiredState::kCalibNoTouch;
        if (!command->isOutputUseCalib3() && calibrated) {
            command->setOutputUseCalib3(true);
            loop.send(std::move(command), m_periods.retryMs);
            return;
        }
        CalibrationDataStore::sendCalibrationData(m_source.dispatcher());
        m_desired.previousOutputEnabled = enabled;
        m_desired.previousOutputEncoding = encoding;
        emit modeChanged(m_desired.outputEncoding);
        emit signal_finishedSetOutputFlagMode();
        queue(CommandFactory::saveParamsToFlash());
        return;
    }
    if (m_desired.outputEnabled) {
        command->setOutputEnabled(true);
        if (m_desired.outputEncoding >= kFirstEncoding &&
            m_desired.outputEncoding <= kLastEncoding) {
            command->setOutputEncoding(static_cast<unsigned char>(m_desired.outputEncoding));
        } else {
            command->setOutputEncoding(kDefaultEncoding);
            m_desired.previousOutputEncoding = m_desired.outputEncoding;
            m_desired.outputEncoding = kDefaultEncoding;
        }
    } else if (!enabled) {
        emit signal_finishedSetOutputFlagMode();
        queue(CommandFactory::saveParamsToFlash());
        return;
    } else {
        command->setOutputEnabled(false);
    }
    loop.send(std::move(command), m_periods.retryMs);
}

void SetOperations::setThreshold() {
    TTRACE();
    m_thresholds->setThreshold(pass(&SetOperations::setThreshold));
}

bool SetOperations::checkForWireOut() {
    TTRACE();
    const ResponseDelegateCurrentParameters* block = m_source.answered();
    if (block != nullptr && !block->isSoftResetActive()) {
        return block->isDiagWireErrorA() || block->isDiagWireErrorB();
    }
    // Not known to be sound until the controller reports outside a soft reset.
    if (m_wireOutPass->mayRun()) {
        m_wireOutPass->poll(m_periods.retryMs);
    }
    return true;
}

void SetOperations::setTrackingModeInDevice() {
    TTRACE();
    m_calibration->setTrackingModeInDevice(pass(&SetOperations::setTrackingModeInDevice));
}

void SetOperations::setCalib3OutputExclude() {
    TTRACE();
    m_calibration->setCalib3OutputExclude(pass(&SetOperations::setCalib3OutputExclude));
}

void SetOperations::saveParametersToFlash() {
    TTRACE();
    ConvergingPass& loop = pass(&SetOperations::saveParametersToFlash);
    const ResponseDelegateCurrentParameters* block = loop.settledBlock(m_periods.retryMs);
    if (block == nullptr) {
        return;
    }
    m_desired.clearMonitorTargets();
    if (!anySet(*block, kMonitorFlags)) {
        queue(CommandFactory::saveParamsToFlash());
        m_desired.previousOutputEnabled = block->isOutputEnabled();
        m_desired.previousOutputEncoding = block->outputEncoding();
        emit signal_finishedSavingParameters();
        return;
    }
    Command command = m_heldCommand ? rebased(*m_heldCommand) : commandFromBlock();
    m_heldCommand.reset();
    syncFlags(*command, kMonitorFlags, false);
    loop.send(std::move(command), m_periods.retryMs);
    m_heldCommand = commandFromBlock();
}

void SetOperations::setCalibrationMode() {
    TTRACE();
    m_calibration->setCalibrationMode(pass(&SetOperations::setCalibrationMode));
}

// The edge-stretch fields are written directly by the output page and the engineering
// parameters.
void SetOperations::SetOutputEdgeStretchActive() {}

void SetOperations::SetOutputEdgeStretchScale() {}

void SetOperations::SetOutputEdgeStretchLevel() {}

void SetOperations::SaveDefaultParameters() {
    TTRACE();
    ConvergingPass& loop = pass(&SetOperations::SaveDefaultParameters);
    if (loop.settledBlock(m_periods.retryMs) == nullptr) {
        return;
    }
    if (!m_defaultsLoaded) {
        m_defaultsLoaded = true;
        loop.queue(CommandFactory::loadDefaults());
        loop.poll(m_periods.retryMs);
        return;
    }
    if (!MonitorOperations::settingFlag(SettingsKeys::FilterValue::kFirstConfiguration)) {
        // The filter delegate stores the controller's filter values and sets the key.
        loop.queue(CommandFactory::getFilterAB());
        loop.retryAfter(m_periods.retryMs);
        return;
    }
    // Done: a later request loads the defaults again.
    m_defaultsLoaded = false;
}

void SetOperations::unSetMonitorParameters() {
    TTRACE();
    ConvergingPass& loop = pass(&SetOperations::unSetMonitorParameters);
    Command command = loop.begin(m_periods.retryMs);
    if (!command) {
        return;
    }
    m_desired.clearMonitorTargets();
    if (!anySet(*command, kMonitorFlags)) {
        emit signal_finishedUnsettingParameters();
        return;
    }
    const int periodMs =
        command->isMonitorTestMode() ? m_periods.slowInTestModeRetryMs : m_periods.retryMs;
    syncFlags(*command, kMonitorFlags, false);
    loop.send(std::move(command), periodMs);
    m_heldCommand = commandFromBlock();
}

// The soft-reset command goes out on the first of every kSoftResetRepeat passes until
// the controller reports the reset.
void SetOperations::doSoftReset() {
    TTRACE();
    ConvergingPass& loop = pass(&SetOperations::doSoftReset);
    if (!loop.mayRun()) {
        return;
    }
    const ResponseDelegateCurrentParameters* block = m_source.answered();
    if (block != nullptr && block->isSoftResetActive()) {
        emit signal_softResetActive();
        checkSoftResetSet();
        return;
    }
    if (m_softResetCount == 0) {
        loop.queue(CommandFactory::softReset());
        loop.queue(CommandFactory::getParams());
    }
    m_softResetCount = (m_softResetCount + 1) % kSoftResetRepeat;
    loop.poll(m_periods.retryMs);
}

void SetOperations::checkSoftResetSet() {
    TTRACE();
    if (pass(&SetOperations::checkSoftResetSet).settledBlock(m_periods.retryMs) == nullptr) {
        return;
    }
    m_softResetCount = 0;
    emit signal_finishedSoftReset();
}

void SetOperations::queryData() {
    queue(CommandFactory::getParams());
    queue(CommandFactory::getVersion());
    TLOG_INFO(QStringLiteral("Request keepalive packet."));
    m_queryDataTimer.start(m_periods.retryMs);
}

// Both dynamic-monitor bits mark the reset: set them, then load the defaults until
// loading has cleared them.
void SetOperations::doFactoryReset() {
    TTRACE();
    ConvergingPass& loop = pass(&SetOperations::doFactoryReset);
    Command command = loop.begin(m_periods.retryMs);
    if (!command) {
        return;
    }
    const bool marked = allSet(*command, {kDynA, kDynB});
    if (!m_factoryResetPhase) {
        if (marked) {
            m_factoryResetPhase = true;
            loop.retryAfter(m_periods.retryMs);
            return;
        }
        syncFlags(*command, {kDynA, kDynB}, true);
        loop.send(std::move(command), m_periods.quickRetryMs);
        return;
    }
    if (marked) {
        loop.queue(CommandFactory::loadDefaults());
        loop.poll(m_periods.retryMs);
        return;
    }
    m_factoryResetPhase = false;
    emit signal_finishedFactoryReset();
}

void SetOperations::doScanOrEdge() {
    TTRACE();
    m_views->doScanOrEdge(pass(&SetOperations::doScanOrEdge));
}

void SetOperations::setRotationCalibrationData(QByteArray theUnrotatedData,
                                               QByteArray theRotatedData) {
    TTRACE();
    m_calibration->setRotationCalibrationData(theUnrotatedData, theRotatedData);
}
