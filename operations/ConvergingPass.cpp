#include "ConvergingPass.h"

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "protocol/CommandFactory.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"

ConvergingPass::ConvergingPass(DeviceEventDispatcher* dispatcher, std::function<void()> rerun,
                               QObject* parent)
    : QObject(parent), m_source(dispatcher), m_rerun(std::move(rerun)) {
    m_retryTimer.setSingleShot(true);
    m_answerTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &ConvergingPass::onRetryTimeout);
    connect(&m_answerTimer, &QTimer::timeout, this, &ConvergingPass::onAnswerLost);
}

ConvergingPass::~ConvergingPass() {
    endFlight();
}

bool ConvergingPass::mayRun() {
    if (!m_rerunning) {
        m_passes = 0;
    }
    m_retryTimer.stop();
    if (isReplaying()) {
        // A log answers nothing: the procedure would wait for ever.
        m_due = false;
        endFlight();
        TLOG_INFO(QStringLiteral("A replayed log takes no parameter changes; the procedure ends."));
        return false;
    }
    m_due = isInFlight();
    return !m_due;
}

bool ConvergingPass::isReplaying() const {
    DeviceEventDispatcher* dispatcher = m_source.dispatcher();
    const DeviceIoDataProvider* provider =
        dispatcher != nullptr ? dispatcher->ioProvider() : nullptr;
    return provider != nullptr && !provider->isReadFromDevice();
}

const ResponseDelegateCurrentParameters* ConvergingPass::answeredBlock(int periodMs) {
    if (!mayRun()) {
        return nullptr;
    }
    const ResponseDelegateCurrentParameters* block = m_source.answered();
    if (block == nullptr || m_needsFreshBlock) {
        poll(periodMs);
        return nullptr;
    }
    return block;
}

const ResponseDelegateCurrentParameters* ConvergingPass::settledBlock(int periodMs) {
    const ResponseDelegateCurrentParameters* block = answeredBlock(periodMs);
    if (block != nullptr && block->isSoftResetActive()) {
        poll(m_softResetPollMs);
        return nullptr;
    }
    return block;
}

ConvergingPass::Command ConvergingPass::begin(int periodMs) {
    const ResponseDelegateCurrentParameters* block = settledBlock(periodMs);
    return block != nullptr ? Command(CommandFactory::setParams(block->data())) : Command();
}

void ConvergingPass::send(Command command, int periodMs, Follow follow) {
    if (!command || !CurrentParametersSource::isControllerBlock(command->previousResponse())) {
        TLOG_WARNING(
            QStringLiteral("A set-parameters command not built from a block of the "
                           "controller was not sent."));
        poll(periodMs);
        return;
    }
    if (!spendPass()) {
        return;
    }
    DeviceCommand* set = command.release();
    if (!queue(set)) {
        arm(periodMs);
        return;
    }
    if (follow == Follow::GetParameters) {
        DeviceCommand* get = CommandFactory::getParams();
        if (queue(get)) {
            track(get);
        }
    } else {
        track(set);
        if (follow == Follow::SaveToFlash) {
            queue(CommandFactory::saveParamsToFlash());
        }
    }
    arm(periodMs);
}

void ConvergingPass::poll(int periodMs) {
    if (!spendPass()) {
        return;
    }
    DeviceCommand* get = CommandFactory::getParams();
    if (queue(get)) {
        track(get);
    }
    arm(periodMs);
}

void ConvergingPass::retryAfter(int periodMs) {
    if (spendPass()) {
        arm(periodMs);
    }
}

bool ConvergingPass::queue(DeviceCommand* command) const {
    DeviceEventDispatcher* dispatcher = m_source.dispatcher();
    if (dispatcher == nullptr) {
        delete command;
        return false;
    }
    dispatcher->queueCommand(command);
    return true;
}

bool ConvergingPass::spendPass() {
    if (m_passLimit > 0 && m_passes >= m_passLimit) {
        m_due = false;
        TLOG_WARNING(
            QStringLiteral("The controller did not take the requested values in %1 passes, "
                           "given up.")
                .arg(m_passLimit));
        emit gaveUp();
        return false;
    }
    ++m_passes;
    return true;
}

void ConvergingPass::arm(int periodMs) {
    m_retryTimer.start(periodMs);
}

void ConvergingPass::track(DeviceCommand* command) {
    endFlight();
    m_stage = Stage::Queued;
    m_tracked = command;
    m_sentConnection = connect(m_source.dispatcher(), &DeviceEventDispatcher::commandSent, this,
                               &ConvergingPass::onCommandSent);
    m_goneConnection = connect(command, &QObject::destroyed, this, &ConvergingPass::onTrackedGone);
}

void ConvergingPass::onCommandSent(const DeviceCommand* command) {
    if (m_stage != Stage::Queued || command != m_tracked) {
        return;
    }
    disconnect(m_sentConnection);
    disconnect(m_goneConnection);
    m_tracked = nullptr;
    m_stage = Stage::Sent;
    if (ResponseDelegateCurrentParameters* delegate = m_source.delegate()) {
        m_blockConnection =
            connect(delegate, QOverload<>::of(&ResponseDelegateCurrentParameters::valuesChanged),
                    this, &ConvergingPass::onBlock);
    }
    m_answerTimer.start(m_answerWaitMs);
}

// Dropped from the queue before it went out: no answer will come.
void ConvergingPass::onTrackedGone() {
    if (m_stage == Stage::Queued) {
        onAnswerLost();
    }
}

void ConvergingPass::onBlock() {
    m_needsFreshBlock = false;
    endFlight();
    runIfDue();
}

void ConvergingPass::onAnswerLost() {
    TLOG_WARNING(
        QStringLiteral("No parameter block came back; the next pass asks for one "
                       "before it changes anything."));
    m_needsFreshBlock = true;
    endFlight();
    runIfDue();
}

// From the event loop, not from inside the dispatcher's or the delegate's signal.
void ConvergingPass::runIfDue() {
    if (m_due) {
        m_retryTimer.start(0);
    }
}

void ConvergingPass::endFlight() {
    disconnect(m_sentConnection);
    disconnect(m_goneConnection);
    disconnect(m_blockConnection);
    m_answerTimer.stop();
    m_tracked = nullptr;
    m_stage = Stage::Idle;
}

void ConvergingPass::onRetryTimeout() {
    if (isInFlight()) {
        m_due = true;
        return;
    }
    m_due = false;
    const bool outer = m_rerunning;
    m_rerunning = true;
    m_rerun();
    m_rerunning = outer;
}
