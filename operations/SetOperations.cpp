#include "SetOperations.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <initializer_list>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"
#include "operations/CalibrationDataStore.h"

namespace {
const QString kDisableMonEdgeKey = QStringLiteral("General/DisableMonEdge");
const QString kProductTestKey = QStringLiteral("General/ProductTest");
const QString kSingleWireModeKey = QStringLiteral("GraphView/SingleWireMode");
const QString kCalibrationStartKey = QStringLiteral("Calibration/Start");
const QString kCalibResultKey = QStringLiteral("GeometricCalibration/CalibResult");
const QString kFirstConfigurationKey = QStringLiteral("FilterValue/FirstConfiguration");
const QString kUnrotatedDataFile = QStringLiteral("UnrotatedData");
const QString kRotatedDataFile = QStringLiteral("RotatedData");

constexpr int kMinByte = 0;
constexpr int kMaxByte = 255;

// Output encodings the controller knows; anything else is replaced by kDefaultEncoding.
constexpr int kFirstEncoding = 1;
constexpr int kLastEncoding = 3;
constexpr int kDefaultEncoding = 3;

// Calibration result codes.
constexpr int kCalibSuccess = 0;
constexpr int kCalibReducedArea = 1;
constexpr int kCalibCancelled = 2;
constexpr int kCalibFailed = 3;
constexpr int kCalibNoTouch = 4;
constexpr int kCalibNoneReported = 5;
constexpr int kExcludeNone = 0;
constexpr int kExcludeReducedArea = 1;

// The edge flags written by setMonitorEdges() carry this version stamp on controllers
// whose layout version is not 1.
constexpr int kLegacyLayoutVersion = 1;
constexpr int kEdgeStampForOtherVersions = 0;

enum ViewMode { EdgeView = 0, ScanView = 1, NoView = 2 };

struct Flag {
    bool (ParameterReadAccessor::*read)() const;
    void (ParameterWriteAccessor::*write)(bool);
};

using P = ParameterReadAccessor;
using W = ParameterWriteAccessor;
const Flag kEdgeA{&P::isMonitorEdgeA, &W::setMonitorEdgeA};
const Flag kEdgeB{&P::isMonitorEdgeB, &W::setMonitorEdgeB};
const Flag kScanA{&P::isMonitorScanA, &W::setMonitorScanA};
const Flag kScanB{&P::isMonitorScanB, &W::setMonitorScanB};
const Flag kScanAreaA{&P::isMonitorScanAreaA, &W::setMonitorScanAreaA};
const Flag kScanAreaB{&P::isMonitorScanAreaB, &W::setMonitorScanAreaB};
const Flag kDiagA{&P::isMonitorDiagA, &W::setMonitorDiagA};
const Flag kDiagB{&P::isMonitorDiagB, &W::setMonitorDiagB};
const Flag kTestMode{&P::isMonitorTestMode, &W::setMonitorTestMode};
const Flag kPeak{&P::isMonitorPeak, &W::setPeakMonitoring};
const Flag kPeaks{&P::isMonitorPeaks, &W::setMonitorPeaks};
const Flag kDynA{&P::isMonitorDynA, &W::setMonitorDynA};
const Flag kDynB{&P::isMonitorDynB, &W::setMonitorDynB};

const std::initializer_list<Flag> kScanFlags{kScanA, kScanB, kScanAreaA, kScanAreaB};
// The streaming and test flags that must be off before the parameters are saved.
const std::initializer_list<Flag> kMonitorFlags{kTestMode,  kDiagA, kDiagB, kEdgeA,
                                                kEdgeB,     kScanA, kScanB, kScanAreaA,
                                                kScanAreaB, kPeak,  kPeaks};

bool isSet(const ParameterReadAccessor& block, const Flag& flag) {
    return (block.*flag.read)();
}

bool anySet(const ParameterReadAccessor& block, std::initializer_list<Flag> flags) {
    for (const Flag& flag : flags) {
        if (isSet(block, flag)) {
            return true;
        }
    }
    return false;
}

bool allSet(const ParameterReadAccessor& block, std::initializer_list<Flag> flags) {
    for (const Flag& flag : flags) {
        if (!isSet(block, flag)) {
            return false;
        }
    }
    return true;
}

// Writes `on` into every flag that reads otherwise; true when any did. A flag the
// firmware lacks reads as its default and is not written, so it keeps reporting a
// difference and the caller keeps polling.
bool syncFlags(CommandSetCurrentParameters& command, std::initializer_list<Flag> flags, bool on) {
    bool differed = false;
    for (const Flag& flag : flags) {
        if ((command.*flag.read)() != on) {
            (command.*flag.write)(on);
            differed = true;
        }
    }
    return differed;
}

bool syncCalib3(CommandSetCurrentParameters& command, bool useCalib3, int excludeMode) {
    bool differed = false;
    if (command.isOutputUseCalib3() != useCalib3) {
        command.setOutputUseCalib3(useCalib3);
        differed = true;
    }
    if (command.OutputExcludeMode() != excludeMode) {
        command.setOutputExcludeMode(static_cast<signed char>(excludeMode));
        differed = true;
    }
    return differed;
}

bool isByte(int value) {
    return value >= kMinByte && value <= kMaxByte;
}
}  // namespace

SetOperations* SetOperations::instance() {
    static SetOperations* operations = new SetOperations(DeviceEventDispatcher::instance());
    return operations;
}

SetOperations::SetOperations(DeviceEventDispatcher* dispatcher, QObject* parent)
    : QObject(parent), m_source(dispatcher), m_calibResult(kCalibNoneReported) {
    m_queryDataTimer.setSingleShot(true);
    connect(&m_queryDataTimer, &QTimer::timeout, this, &SetOperations::queryData);
}

SetOperations::~SetOperations() = default;

void SetOperations::setDesiredEdgeThreshold(int value) {
    if (value >= kMinThreshold && value <= kMaxThreshold) {
        m_desiredEdgeThreshold = value;
    }
}

void SetOperations::setDesiredTouchThreshold(int value) {
    if (value >= kMinThreshold && value <= kMaxThreshold) {
        m_desiredTouchThreshold = value;
    }
}

void SetOperations::setDesiredPressThreshold(int value) {
    if (value >= kMinThreshold && value <= kMaxThreshold) {
        m_desiredPressThreshold = value;
    }
}

void SetOperations::setDesiredOutputEnabled(bool on) {
    m_previousOutputEnabled = m_desiredOutputEnabled;
    m_desiredOutputEnabled = on;
}

void SetOperations::setDesiredOutputEncoding(int encoding) {
    m_previousOutputEncoding = m_desiredOutputEncoding;
    m_desiredOutputEncoding = encoding;
}

void SetOperations::setHeldCommand(CommandSetCurrentParameters* command) {
    m_heldCommand.reset(command);
}

template <typename Slot>
void SetOperations::retryAfter(int ms, Slot slot) {
    ++m_pendingPasses;
    QTimer::singleShot(ms, this, [this, slot] {
        --m_pendingPasses;
        (this->*slot)();
    });
}

template <typename Slot>
ResponseDelegateCurrentParameters* SetOperations::settledBlock(Slot slot, int waitMs) {
    ResponseDelegateCurrentParameters* block = m_source.answered();
    if (block == nullptr) {
        askForParameters();
        retryAfter(waitMs, slot);
        return nullptr;
    }
    if (block->isSoftResetActive()) {
        askForParameters();
        retryAfter(m_periods.retryMs, slot);
        return nullptr;
    }
    return block;
}

template <typename Slot>
SetOperations::Command SetOperations::beginPass(Slot slot, int waitMs) {
    return settledBlock(slot, waitMs) != nullptr ? commandFromBlock() : Command();
}

ResponseDelegateCurrentParameters* SetOperations::answeredOrAsk(const char* request) {
    ResponseDelegateCurrentParameters* block = m_source.answered();
    if (block == nullptr) {
        TLOG_WARNING(QStringLiteral("The controller has not sent its parameters yet, %1 dropped.")
                         .arg(QLatin1String(request)));
        askForParameters();
    }
    return block;
}

SetOperations::Command SetOperations::commandFromBlock() const {
    const ResponseDelegateCurrentParameters* block = m_source.answered();
    if (block == nullptr) {
        return Command();
    }
    return Command(CommandFactory::setParams(block->data()));
}

SetOperations::Command SetOperations::copyOf(const CommandSetCurrentParameters& command) {
    Command copy(CommandFactory::setParams(command.previousResponse()));
    copy->workingCopy() = command.workingCopy();
    return copy;
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

bool SetOperations::queueSetCommand(Command command) {
    if (!command) {
        return false;
    }
    if (!CurrentParametersSource::isControllerBlock(command->previousResponse())) {
        TLOG_WARNING(
            QStringLiteral("A set-parameters command not built from a block of the "
                           "controller was not sent."));
        askForParameters();
        return false;
    }
    queue(command.release());
    return true;
}

void SetOperations::queue(DeviceCommand* command) {
    DeviceEventDispatcher* dispatcher = m_source.dispatcher();
    if (dispatcher == nullptr) {
        delete command;
        return;
    }
    dispatcher->queueCommand(command);
}

void SetOperations::askForParameters() {
    queue(CommandFactory::getParams());
}

void SetOperations::sendAndAsk(Command command) {
    if (queueSetCommand(std::move(command))) {
        askForParameters();
    }
}

bool SetOperations::settingFlag(const QString& key) {
    return QSettings().value(key, false).toBool();
}

void SetOperations::clearCalibrationStart() {
    QSettings().setValue(kCalibrationStartKey, false);
}

void SetOperations::checkCalibSettings() {
    TTRACE();
    Command command = beginPass(&SetOperations::checkCalibSettings, m_periods.retryMs);
    if (!command) {
        return;
    }
    if (command->isMonitorPeak()) {
        command->setPeakMonitoring(false);
        sendAndAsk(std::move(command));
        retryAfter(m_periods.retryMs, &SetOperations::checkCalibSettings);
        return;
    }
    bool differed = false;
    switch (m_calibResult) {
        case kCalibSuccess:
            differed = syncCalib3(*command, true, kExcludeNone);
            break;
        case kCalibReducedArea:
            differed = syncCalib3(*command, true, kExcludeReducedArea);
            break;
        case kCalibCancelled:
            if (m_restoreOutputAfterCalib && !isSameOutputAsAfterCalib(*command)) {
                command->setOutputEnabled(m_outputEnabledAfterCalib);
                command->setOutputEncoding(static_cast<unsigned char>(m_previousOutputEncoding));
                differed = true;
            }
            break;
        case kCalibFailed:
            if (command->isOutputUseCalib3()) {
                command->setOutputUseCalib3(false);
                differed = true;
            }
            break;
        default:
            break;
    }
    if (differed) {
        sendAndAsk(std::move(command));
        retryAfter(m_periods.retryMs, &SetOperations::checkCalibSettings);
        return;
    }
    clearCalibrationStart();
    if (m_calibResult == kCalibFailed) {
        emit signalCalibrationFinished(kCalibFailed);
        emit signal_finishedCalibUnset();
        return;
    }
    if (m_calibResult < kCalibSuccess || m_calibResult >= kCalibNoneReported) {
        return;
    }
    QSettings().setValue(kCalibResultKey, m_calibResult);
    if (m_restoreOutputAfterCalib && !isSameOutputAsAfterCalib(*command)) {
        command->setOutputEnabled(m_outputEnabledAfterCalib);
        command->setOutputEncoding(static_cast<unsigned char>(m_previousOutputEncoding));
        Command held = copyOf(*command);
        sendAndAsk(std::move(command));
        retryAfter(m_periods.retryMs, &SetOperations::checkCalibSettings);
        m_heldCommand = std::move(held);
        saveParametersToFlash();
        return;
    }
    emit signalCalibrationFinished(m_calibResult);
    if (m_restoreOutputAfterCalib) {
        m_heldCommand = std::move(command);
        saveParametersToFlash();
    }
}

bool SetOperations::isSameOutputAsAfterCalib(const ParameterReadAccessor& block) const {
    return block.isOutputEnabled() == m_outputEnabledAfterCalib &&
           block.outputEncoding() == m_previousOutputEncoding;
}

void SetOperations::enableOutput() {
    TTRACE();
    Command command = beginPass(&SetOperations::enableOutput, m_periods.quickRetryMs);
    if (!command) {
        return;
    }
    if (command->isOutputEnabled() == m_outputSwitch) {
        emit signal_finishSetOutput();
        return;
    }
    command->setOutputEnabled(m_outputSwitch);
    queueSetCommand(std::move(command));
    retryAfter(m_periods.quickRetryMs, &SetOperations::enableOutput);
}

void SetOperations::setPrescalerValue() {
    TTRACE();
    Command command = beginPass(&SetOperations::setPrescalerValue, m_periods.retryMs);
    if (!command) {
        return;
    }
    TLOG_INFO(QStringLiteral("Previous prescaler values, EdgePS:%1 ScanPs:%2")
                  .arg(command->edgePs())
                  .arg(command->scanPs()));
    if (command->edgePs() == m_desiredPrescaler && command->scanPs() == m_desiredPrescaler) {
        emit signal_finishedSettingPrescalarValue();
        return;
    }
    command->setEdgePs(m_desiredPrescaler);
    command->setScanPs(m_desiredPrescaler);
    TLOG_INFO(QStringLiteral("New prescaler values, EdgePS:%1 ScanPs:%2")
                  .arg(command->edgePs())
                  .arg(command->scanPs()));
    sendAndAsk(std::move(command));
    retryAfter(m_periods.retryMs, &SetOperations::setPrescalerValue);
}

bool SetOperations::setMonitorEdges(bool monitorA, bool monitorB) {
    TTRACE();
    if (settingFlag(kDisableMonEdgeKey)) {
        return false;
    }
    if (answeredOrAsk("monitor edges") == nullptr) {
        return false;
    }
    Command command = commandFromBlock();
    command->setMonitorEdgeA(monitorA);
    command->setMonitorEdgeB(monitorB);
    const bool streaming = anySet(*command, {kEdgeA, kEdgeB, kScanA, kScanB});
    sendAndAsk(std::move(command));
    return streaming;
}

void SetOperations::setMonEdgeDiagAB() {
    TTRACE();
    Command command = beginPass(&SetOperations::setMonEdgeDiagAB, m_periods.quickRetryMs);
    if (!command) {
        return;
    }
    const bool on = m_desiredEdgeDiagAB;
    bool differed = syncFlags(*command, {kScanA, kScanB, kDiagA, kDiagB}, on);
    if (!settingFlag(kDisableMonEdgeKey)) {
        differed = syncFlags(*command, {kEdgeA, kEdgeB}, on) || differed;
    }
    if (settingFlag(kSingleWireModeKey)) {
        differed = syncFlags(*command, {kTestMode}, on) || differed;
    }
    if (!differed) {
        emit signal_finishSetMonDiagEdgeAB();
        return;
    }
    sendAndAsk(std::move(command));
    retryAfter(m_periods.quickRetryMs, &SetOperations::setMonEdgeDiagAB);
}

void SetOperations::setThresholds(int theThreshold) {
    TTRACE();
    if (!isByte(theThreshold)) {
        TLOG_WARNING(QStringLiteral("Threshold %1 is out of range, not sent.").arg(theThreshold));
        return;
    }
    const ResponseDelegateCurrentParameters* block = answeredOrAsk("threshold");
    if (block == nullptr || theThreshold == block->pressThreshold()) {
        return;
    }
    Command command = commandFromBlock();
    command->setEdgeThreshold(theThreshold);
    sendAndAsk(std::move(command));
}

void SetOperations::incThresholdsBy(int theValue) {
    stepThresholds(theValue);
}

void SetOperations::subThresholdsBy(int theValue) {
    stepThresholds(-theValue);
}

void SetOperations::incPressThresholdBy(int theValue) {
    stepPressThreshold(theValue);
}

void SetOperations::subPressThresholdBy(int theValue) {
    stepPressThreshold(-theValue);
}

void SetOperations::incEdgeThresholdBy(int theValue) {
    stepEdgeThreshold(theValue);
}

void SetOperations::subEdgeThresholdBy(int theValue) {
    stepEdgeThreshold(-theValue);
}

void SetOperations::stepEdgeThreshold(int delta) {
    if (answeredOrAsk("edge threshold step") == nullptr) {
        return;
    }
    Command command = commandFromBlock();
    const int value = command->edgeThreshold() + delta;
    if (isByte(value)) {
        command->setEdgeThreshold(value);
    }
    sendAndAsk(std::move(command));
}

void SetOperations::stepPressThreshold(int delta) {
    if (answeredOrAsk("press threshold step") == nullptr) {
        return;
    }
    Command command = commandFromBlock();
    const int value = command->pressThreshold() + delta;
    if (isByte(value)) {
        command->setPressThreshold(static_cast<unsigned char>(value));
    }
    sendAndAsk(std::move(command));
}

// The press threshold follows the touch threshold, but never wraps around: a press
// result outside 0..255 is left as it was.
void SetOperations::stepThresholds(int delta) {
    if (answeredOrAsk("threshold step") == nullptr) {
        return;
    }
    Command command = commandFromBlock();
    const int touch = command->touchThreshold() + delta;
    const int press = command->pressThreshold() + delta;
    if (isByte(touch)) {
        command->setTouchThreshold(static_cast<unsigned char>(touch));
        if (isByte(press)) {
            command->setPressThreshold(static_cast<unsigned char>(press));
        }
    }
    sendAndAsk(std::move(command));
}

void SetOperations::SetEdgeThreshold() {
    TTRACE();
    Command command = beginPass(&SetOperations::SetEdgeThreshold, m_periods.quickRetryMs);
    if (!command) {
        return;
    }
    if (command->edgeThreshold() == m_desiredEdgeThreshold) {
        emit signalReEnable();
        return;
    }
    command->setEdgeThreshold(m_desiredEdgeThreshold);
    sendAndAsk(std::move(command));
    retryAfter(m_periods.quickRetryMs, &SetOperations::SetEdgeThreshold);
}

void SetOperations::SetPressThreshold() {
    TTRACE();
    Command command = beginPass(&SetOperations::SetPressThreshold, m_periods.quickRetryMs);
    if (!command) {
        return;
    }
    if (command->pressThreshold() == m_desiredPressThreshold) {
        emit signalReEnable();
        return;
    }
    command->setPressThreshold(static_cast<unsigned char>(m_desiredPressThreshold));
    sendAndAsk(std::move(command));
    retryAfter(m_periods.quickRetryMs, &SetOperations::SetPressThreshold);
}

void SetOperations::SetTouchTreshold() {
    TTRACE();
    Command command = beginPass(&SetOperations::SetTouchTreshold, m_periods.quickRetryMs);
    if (!command) {
        return;
    }
    if (command->touchThreshold() == m_desiredTouchThreshold) {
        emit signalReEnable();
        return;
    }
    command->setTouchThreshold(static_cast<unsigned char>(m_desiredTouchThreshold));
    command->setPressThreshold(static_cast<unsigned char>(m_desiredTouchThreshold));
    sendAndAsk(std::move(command));
    retryAfter(m_periods.quickRetryMs, &SetOperations::SetTouchTreshold);
}

void SetOperations::setMonDiagAB() {
    TTRACE();
    Command command = beginPass(&SetOperations::setMonDiagAB, m_periods.retryMs);
    if (!command) {
        return;
    }
    const bool testMode = command->isMonitorTestMode();
    if (syncFlags(*command, {kDiagA, kDiagB}, m_desiredDiagAB)) {
        sendAndAsk(std::move(command));
        retryAfter(testMode ? m_periods.diagInTestModeRetryMs : m_periods.retryMs,
                   &SetOperations::setMonDiagAB);
        return;
    }
    if (settingFlag(kProductTestKey)) {
        emit signal_finishSetMonDiagAB();
        return;
    }
    if (m_desiredDiagAB) {
        if (!allSet(*command, {kEdgeA, kEdgeB})) {
            m_desiredMonitorEdgeAB = true;
            setMonitorEdgeAB();
        }
        return;
    }
    if (m_saveAfterDiag) {
        m_heldCommand = std::move(command);
        saveParametersToFlash();
        m_saveAfterDiag = false;
    }
    emit signal_finishSetMonDiagAB();
}

void SetOperations::SetMonitorMode() {
    TTRACE();
    const bool singleWireMode = settingFlag(kSingleWireModeKey);
    if (settingFlag(kProductTestKey) && !singleWireMode) {
        m_desiredDiagAB = m_desiredTestMode;
        setMonDiagAB();
        return;
    }
    Command command = beginPass(&SetOperations::SetMonitorMode, m_periods.testModeRetryMs);
    if (!command) {
        return;
    }
    if (command->isMonitorTestMode() == m_desiredTestMode) {
        m_desiredDiagAB = m_desiredTestMode;
        setMonDiagAB();
        return;
    }
    if (!singleWireMode) {
        return;
    }
    command->setMonitorTestMode(m_desiredTestMode);
    sendAndAsk(std::move(command));
    retryAfter(m_periods.testModeRetryMs, &SetOperations::SetMonitorMode);
}

void SetOperations::setMonitorEdges() {
    TTRACE();
    const auto slot = static_cast<void (SetOperations::*)()>(&SetOperations::setMonitorEdges);
    Command command = beginPass(slot, m_periods.quickRetryMs);
    if (!command) {
        return;
    }
    const bool on = m_desiredMonitorEdges;
    bool differed = syncFlags(*command, kScanFlags, on);
    // Edges last: their stamp is the one the command carries.
    if (!settingFlag(kDisableMonEdgeKey)) {
        const bool legacyLayout = command->ParamVersion() == kLegacyLayoutVersion;
        if (command->isMonitorEdgeA() != on) {
            if (legacyLayout) {
                command->setMonitorEdgeA(on);
            } else {
                command->setMonitorVerEdgeA(on, kEdgeStampForOtherVersions);
            }
            differed = true;
        }
        if (command->isMonitorEdgeB() != on) {
            if (legacyLayout) {
                command->setMonitorEdgeB(on);
            } else {
                command->setMonitorVerEdgeB(on, kEdgeStampForOtherVersions);
            }
            differed = true;
        }
    }
    if (!differed) {
        return;
    }
    sendAndAsk(std::move(command));
    retryAfter(m_periods.quickRetryMs, slot);
}

void SetOperations::setMonitorEdgeAB() {
    TTRACE();
    if (settingFlag(kDisableMonEdgeKey)) {
        return;
    }
    Command command = beginPass(&SetOperations::setMonitorEdgeAB, m_periods.retryMs);
    if (!command) {
        return;
    }
    const bool testMode = command->isMonitorTestMode();
    if (syncFlags(*command, {kEdgeA, kEdgeB}, m_desiredMonitorEdgeAB)) {
        sendAndAsk(std::move(command));
        retryAfter(testMode ? m_periods.slowInTestModeRetryMs : m_periods.retryMs,
                   &SetOperations::setMonitorEdgeAB);
        return;
    }
    if (m_desiredMonitorEdgeAB) {
        emit signal_finishedSetMonEdgeAB(true);
        emit signal_finishedSetMonEdgeABFlags();
    } else {
        emit signal_finishedUnsetMonEdgeABFlags();
    }
}

void SetOperations::setMonitorTestMode() {
    TTRACE();
    Command command = beginPass(&SetOperations::setMonitorTestMode, m_periods.testModeRetryMs);
    if (!command) {
        return;
    }
    if (syncFlags(*command, {kTestMode}, m_desiredTestModeDirect)) {
        sendAndAsk(std::move(command));
        retryAfter(m_periods.testModeRetryMs, &SetOperations::setMonitorTestMode);
        return;
    }
    if (!m_desiredTestModeDirect) {
        emit signal_finishedSetTestMode();
    }
}

void SetOperations::setMonitorScanMode() {
    TTRACE();
    Command command = beginPass(&SetOperations::setMonitorScanMode, m_periods.retryMs);
    if (!command) {
        return;
    }
    if (syncFlags(*command, kScanFlags, m_desiredScanMode)) {
        sendAndAsk(std::move(command));
        retryAfter(m_periods.retryMs, &SetOperations::setMonitorScanMode);
        return;
    }
    if (m_desiredScanMode) {
        emit signal_finishEnableMonScanAB(true);
    } else {
        emit signal_finishSetMonScanAB();
        emit signal_finishDisableMonScanAB(true);
    }
}

void SetOperations::setDeviceOutputMode() {
    TTRACE();
    Command command = beginPass(&SetOperations::setDeviceOutputMode, m_periods.retryMs);
    if (!command) {
        return;
    }
    const bool enabled = command->isOutputEnabled();
    const int encoding = command->outputEncoding();
    if (enabled == m_desiredOutputEnabled && encoding == m_desiredOutputEncoding) {
        bool resultKnown = false;
        int result = QSettings().value(kCalibResultKey, kCalibNoTouch).toInt(&resultKnown);
        if (!resultKnown) {
            result = kCalibNoTouch;
        }
        const bool calibrated =
            result != kCalibCancelled && result != kCalibFailed && result != kCalibNoTouch;
        if (!command->isOutputUseCalib3() && calibrated) {
            command->setOutputUseCalib3(true);
            sendAndAsk(std::move(command));
            retryAfter(m_periods.retryMs, &SetOperations::setDeviceOutputMode);
            return;
        }
        CalibrationDataStore::sendCalibrationData(m_source.dispatcher());
        m_previousOutputEnabled = enabled;
        m_previousOutputEncoding = encoding;
        emit modeChanged(m_desiredOutputEncoding);
        emit signal_finishedSetOutputFlagMode();
        queue(CommandFactory::saveParamsToFlash());
        return;
    }
    if (m_desiredOutputEnabled) {
        command->setOutputEnabled(true);
        if (m_desiredOutputEncoding >= kFirstEncoding && m_desiredOutputEncoding <= kLastEncoding) {
            command->setOutputEncoding(static_cast<unsigned char>(m_desiredOutputEncoding));
        } else {
            command->setOutputEncoding(kDefaultEncoding);
            m_previousOutputEncoding = m_desiredOutputEncoding;
            m_desiredOutputEncoding = kDefaultEncoding;
        }
    } else if (!enabled) {
        emit signal_finishedSetOutputFlagMode();
        queue(CommandFactory::saveParamsToFlash());
        return;
    } else {
        command->setOutputEnabled(false);
    }
    sendAndAsk(std::move(command));
    retryAfter(m_periods.retryMs, &SetOperations::setDeviceOutputMode);
}

void SetOperations::setThreshold() {
    TTRACE();
    Command command = beginPass(&SetOperations::setThreshold, m_periods.quickRetryMs);
    if (!command) {
        return;
    }
    if (command->pressThreshold() == m_desiredSensThreshold &&
        command->touchThreshold() == m_desiredSensThreshold) {
        return;
    }
    command->setTouchThreshold(static_cast<unsigned char>(m_desiredSensThreshold));
    command->setPressThreshold(static_cast<unsigned char>(m_desiredSensThreshold));
    // The controller answers a set command with its block; no get-parameters needed.
    queueSetCommand(std::move(command));
    retryAfter(m_periods.quickRetryMs, &SetOperations::setThreshold);
}

bool SetOperations::checkForWireOut() {
    TTRACE();
    const ResponseDelegateCurrentParameters* block =
        settledBlock(&SetOperations::checkForWireOut, m_periods.retryMs);
    if (block == nullptr) {
        return true;
    }
    return block->isDiagWireErrorA() || block->isDiagWireErrorB();
}

void SetOperations::setTrackingModeInDevice() {
    TTRACE();
    Command command = beginPass(&SetOperations::setTrackingModeInDevice, m_periods.quickRetryMs);
    if (!command) {
        return;
    }
    if (syncFlags(*command, {kPeak}, m_desiredTracking)) {
        queueSetCommand(std::move(command));
        retryAfter(m_periods.quickRetryMs, &SetOperations::setTrackingModeInDevice);
        return;
    }
    if (!m_desiredTracking) {
        clearCalibrationStart();
    }
}

void SetOperations::setCalib3OutputExclude() {
    TTRACE();
    Command command = beginPass(&SetOperations::setCalib3OutputExclude, m_periods.quickRetryMs);
    if (!command) {
        return;
    }
    if (syncCalib3(*command, m_desiredUseCalib3, m_desiredExcludeMode)) {
        if (queueSetCommand(std::move(command))) {
            queue(CommandFactory::saveParamsToFlash());
        }
        retryAfter(m_periods.quickRetryMs, &SetOperations::setCalib3OutputExclude);
        return;
    }
    emit signal_Calib3ExculdeMode(m_desiredUseCalib3);
}

void SetOperations::clearDesiredMonitorFlags() {
    m_desiredScanMode = false;
    m_desiredMonitorEdgeAB = false;
    m_desiredTestMode = false;
    m_desiredDiagAB = false;
    m_desiredEdgeDiagAB = false;
    m_desiredMonitorEdges = false;
}

void SetOperations::saveParametersToFlash() {
    TTRACE();
    const ResponseDelegateCurrentParameters* block =
        settledBlock(&SetOperations::saveParametersToFlash, m_periods.retryMs);
    if (block == nullptr) {
        return;
    }
    clearDesiredMonitorFlags();
    if (!anySet(*block, kMonitorFlags)) {
        queue(CommandFactory::saveParamsToFlash());
        m_previousOutputEnabled = block->isOutputEnabled();
        m_previousOutputEncoding = block->outputEncoding();
        emit signal_finishedSavingParameters();
        return;
    }
    Command command = m_heldCommand ? rebased(*m_heldCommand) : commandFromBlock();
    m_heldCommand.reset();
    syncFlags(*command, kMonitorFlags, false);
    sendAndAsk(std::move(command));
    retryAfter(m_periods.retryMs, &SetOperations::saveParametersToFlash);
    m_heldCommand = commandFromBlock();
}

void SetOperations::setCalibrationMode() {
    TTRACE();
    Command command = beginPass(&SetOperations::setCalibrationMode, m_periods.retryMs);
    if (!command) {
        return;
    }
    if (syncFlags(*command, {kPeak}, m_desiredCalibrationMode)) {
        if (m_desiredCalibrationMode) {
            command->setOutputEnabled(false);
        }
        sendAndAsk(std::move(command));
        retryAfter(m_periods.retryMs, &SetOperations::setCalibrationMode);
        return;
    }
    if (m_desiredCalibrationMode) {
        emit signal_finishedSettingCalibration();
    } else {
        clearCalibrationStart();
        emit signal_finishedUnsettingCalibration();
    }
}

// The edge-stretch fields are written directly by the output page and the engineering
// parameters.
void SetOperations::SetOutputEdgeStretchActive() {}

void SetOperations::SetOutputEdgeStretchScale() {}

void SetOperations::SetOutputEdgeStretchLevel() {}

void SetOperations::SaveDefaultParameters() {
    TTRACE();
    if (settledBlock(&SetOperations::SaveDefaultParameters, m_periods.retryMs) == nullptr) {
        return;
    }
    if (!m_defaultsLoaded) {
        m_defaultsLoaded = true;
        queue(CommandFactory::loadDefaults());
        askForParameters();
        retryAfter(m_periods.retryMs, &SetOperations::SaveDefaultParameters);
        return;
    }
    if (!settingFlag(kFirstConfigurationKey)) {
        // The filter delegate stores the controller's filter values and sets the key.
        queue(CommandFactory::getFilterAB());
        retryAfter(m_periods.retryMs, &SetOperations::SaveDefaultParameters);
        return;
    }
    // Done: a later request loads the defaults again.
    m_defaultsLoaded = false;
}

void SetOperations::unSetMonitorParameters() {
    TTRACE();
    Command command = beginPass(&SetOperations::unSetMonitorParameters, m_periods.retryMs);
    if (!command) {
        return;
    }
    clearDesiredMonitorFlags();
    if (!anySet(*command, kMonitorFlags)) {
        emit signal_finishedUnsettingParameters();
        return;
    }
    const bool testMode = command->isMonitorTestMode();
    syncFlags(*command, kMonitorFlags, false);
    sendAndAsk(std::move(command));
    retryAfter(testMode ? m_periods.slowInTestModeRetryMs : m_periods.retryMs,
               &SetOperations::unSetMonitorParameters);
    m_heldCommand = commandFromBlock();
}

void SetOperations::doSoftReset() {
    TTRACE();
    const ResponseDelegateCurrentParameters* block = m_source.answered();
    if (block != nullptr && block->isSoftResetActive()) {
        emit signal_softResetActive();
        checkSoftResetSet();
        return;
    }
    if (m_softResetCount == 0) {
        queue(CommandFactory::softReset());
        askForParameters();
    }
    m_softResetCount = (m_softResetCount + 1) % kSoftResetRepeat;
    askForParameters();
    retryAfter(m_periods.retryMs, &SetOperations::doSoftReset);
}

void SetOperations::checkSoftResetSet() {
    TTRACE();
    const ResponseDelegateCurrentParameters* block = m_source.answered();
    if (block == nullptr || block->isSoftResetActive()) {
        askForParameters();
        retryAfter(m_periods.retryMs, &SetOperations::checkSoftResetSet);
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

void SetOperations::doFactoryReset() {
    TTRACE();
    Command command = beginPass(&SetOperations::doFactoryReset, m_periods.retryMs);
    if (!command) {
        return;
    }
    const bool marked = allSet(*command, {kDynA, kDynB});
    if (!m_factoryResetPhase) {
        if (marked) {
            m_factoryResetPhase = true;
            retryAfter(m_periods.retryMs, &SetOperations::doFactoryReset);
            return;
        }
        syncFlags(*command, {kDynA, kDynB}, true);
        sendAndAsk(std::move(command));
        retryAfter(m_periods.quickRetryMs, &SetOperations::doFactoryReset);
        return;
    }
    if (marked) {
        queue(CommandFactory::loadDefaults());
        askForParameters();
        retryAfter(m_periods.retryMs, &SetOperations::doFactoryReset);
        return;
    }
    m_factoryResetPhase = false;
    emit signal_finishedFactoryReset();
}

void SetOperations::doScanOrEdge() {
    TTRACE();
    const ResponseDelegateCurrentParameters* block = m_source.answered();
    if (block == nullptr) {
        askForParameters();
        retryAfter(m_periods.retryMs, &SetOperations::doScanOrEdge);
        return;
    }
    switch (m_viewMode) {
        case EdgeView:
            edgeViewStep(*block);
            break;
        case ScanView:
            scanViewStep(*block);
            break;
        case NoView:
            if (!allSet(*block, {kScanA, kScanB, kScanAreaA, kScanAreaB, kEdgeA, kEdgeB})) {
                unSetMonitorParameters();
            }
            break;
        default:
            TLOG_WARNING(QStringLiteral("Unknown view mode %1 ignored.").arg(m_viewMode));
            break;
    }
}

void SetOperations::edgeViewStep(const ResponseDelegateCurrentParameters& block) {
    if (anySet(block, kScanFlags)) {
        m_desiredMonitorEdgeAB = true;
        m_desiredScanMode = false;
        setMonitorScanMode();
        connect(this, &SetOperations::signal_finishSetMonScanAB, this, &SetOperations::doScanOrEdge,
                Qt::UniqueConnection);
        return;
    }
    if (allSet(block, {kEdgeA, kEdgeB})) {
        return;
    }
    disconnect(this, &SetOperations::signal_finishSetMonScanAB, this, &SetOperations::doScanOrEdge);
    m_desiredMonitorEdgeAB = true;
    m_desiredScanMode = false;
    setMonitorEdgeAB();
}

void SetOperations::scanViewStep(const ResponseDelegateCurrentParameters& block) {
    if (block.isMonitorTestMode()) {
        m_desiredTestModeDirect = false;
        setMonitorTestMode();
        connect(this, &SetOperations::signal_finishedSetTestMode, this,
                &SetOperations::doScanOrEdge, Qt::UniqueConnection);
        return;
    }
    if (anySet(block, {kDiagA, kDiagB})) {
        m_desiredScanMode = true;
        m_desiredMonitorEdgeAB = false;
        m_desiredDiagAB = false;
        setMonDiagAB();
        disconnect(this, &SetOperations::signal_finishedSetTestMode, this,
                   &SetOperations::doScanOrEdge);
        connect(this, &SetOperations::signal_finishSetMonDiagAB, this, &SetOperations::doScanOrEdge,
                Qt::UniqueConnection);
        return;
    }
    if (anySet(block, {kEdgeA, kEdgeB})) {
        disconnect(this, &SetOperations::signal_finishSetMonDiagAB, this,
                   &SetOperations::doScanOrEdge);
        connect(this, &SetOperations::signal_finishedUnsetMonEdgeABFlags, this,
                &SetOperations::doScanOrEdge, Qt::UniqueConnection);
        m_desiredScanMode = true;
        m_desiredMonitorEdgeAB = false;
        setMonitorEdgeAB();
        return;
    }
    if (allSet(block, kScanFlags)) {
        return;
    }
    disconnect(this, &SetOperations::signal_finishedUnsetMonEdgeABFlags, this,
               &SetOperations::doScanOrEdge);
    m_desiredScanMode = true;
    m_desiredMonitorEdgeAB = false;
    setMonitorScanMode();
}

void SetOperations::setRotationCalibrationData(QByteArray theUnrotatedData,
                                               QByteArray theRotatedData) {
    TTRACE();
    CalibrationDataStore::storeCalibrationData(theUnrotatedData, theRotatedData);
    writeCalibrationFile(kUnrotatedDataFile, theUnrotatedData);
    writeCalibrationFile(kRotatedDataFile, theRotatedData);
}

void SetOperations::writeCalibrationFile(const QString& name, const QByteArray& data) {
    QFile file(QDir::current().filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        TLOG_WARNING(QStringLiteral("Unable to write %1: %2").arg(name, file.errorString()));
        return;
    }
    if (file.write(data) != data.size()) {
        TLOG_WARNING(QStringLiteral("Unable to write %1: %2").arg(name, file.errorString()));
    }
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
}
