#include "ThresholdOperations.h"

#include "logging/LogMacros.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "operations/ConvergingPass.h"
#include "operations/DesiredState.h"
#include "operations/SetOperations.h"

namespace {
constexpr int kMinByte = 0;
constexpr int kMaxByte = 255;

bool isByte(int value) {
    return value >= kMinByte && value <= kMaxByte;
}

using P = ParameterReadAccessor;
using W = ParameterWriteAccessor;

// Writes value into a whole-byte field that reads otherwise; true when it did.
template <typename Value>
bool syncField(CommandSetCurrentParameters& command, int (P::*read)() const,
               void (W::*write)(Value), int value) {
    if ((command.*read)() == value) {
        return false;
    }
    (command.*write)(static_cast<Value>(value));
    return true;
}
}  // namespace

ThresholdOperations::ThresholdOperations(DeviceEventDispatcher* dispatcher,
                                         SetOperations& operations, DesiredState& desired)
    : m_source(dispatcher), m_operations(operations), m_desired(desired) {}

int ThresholdOperations::quickRetryMs() const {
    return m_operations.periods().quickRetryMs;
}

void ThresholdOperations::SetEdgeThreshold(ConvergingPass& pass) {
    convergeThreshold(pass, [this](CommandSetCurrentParameters& command) {
        return syncField(command, &P::edgeThreshold, &W::setEdgeThreshold, m_desired.edgeThreshold);
    });
}

void ThresholdOperations::SetPressThreshold(ConvergingPass& pass) {
    convergeThreshold(pass, [this](CommandSetCurrentParameters& command) {
        return syncField(command, &P::pressThreshold, &W::setPressThreshold,
                         m_desired.pressThreshold);
    });
}

// Touch and press threshold both take the desired touch threshold.
void ThresholdOperations::SetTouchTreshold(ConvergingPass& pass) {
    convergeThreshold(pass, [this](CommandSetCurrentParameters& command) {
        const int value = m_desired.touchThreshold;
        if (!syncField(command, &P::touchThreshold, &W::setTouchThreshold, value)) {
            return false;
        }
        command.setPressThreshold(static_cast<unsigned char>(value));
        return true;
    });
}

// The graph window's step buttons wait for signalReEnable().
template <typename Edit>
void ThresholdOperations::convergeThreshold(ConvergingPass& pass, Edit edit) {
    pass.converge(quickRetryMs(), edit, [this] { emit m_operations.signalReEnable(); });
}

// The controller answers a set command with its block; no get-parameters needed.
void ThresholdOperations::setThreshold(ConvergingPass& pass) {
    pass.converge(
        quickRetryMs(),
        [this](CommandSetCurrentParameters& command) {
            const int value = m_desired.sensThreshold;
            if (command.pressThreshold() == value && command.touchThreshold() == value) {
                return false;
            }
            command.setTouchThreshold(static_cast<unsigned char>(value));
            command.setPressThreshold(static_cast<unsigned char>(value));
            return true;
        },
        [] {}, ConvergingPass::Follow::Nothing);
}

void ThresholdOperations::setThresholds(int theThreshold) {
    if (!isByte(theThreshold)) {
        TLOG_WARNING(QStringLiteral("Threshold %1 is out of range, not sent.").arg(theThreshold));
        return;
    }
    auto command = m_source.commandOrAsk("threshold");
    // Compared with the field it writes: a value equal to the press threshold but not
    // to the edge threshold must still be written.
    if (!command || theThreshold == command->edgeThreshold()) {
        return;
    }
    command->setEdgeThreshold(theThreshold);
    m_source.sendAndAsk(std::move(command));
}

void ThresholdOperations::stepEdgeThreshold(int delta) {
    stepField("edge threshold step", &P::edgeThreshold, &W::setEdgeThreshold, delta);
}

void ThresholdOperations::stepPressThreshold(int delta) {
    stepField("press threshold step", &P::pressThreshold, &W::setPressThreshold, delta);
}

// The command (unchanged when the result leaves 0..255) and get-parameters go out either way.
template <typename Value>
void ThresholdOperations::stepField(const char* request, int (P::*read)() const,
                                    void (W::*write)(Value), int delta) {
    auto command = m_source.commandOrAsk(request);
    if (!command) {
        return;
    }
    const int value = ((*command).*read)() + delta;
    if (isByte(value)) {
        ((*command).*write)(static_cast<Value>(value));
    }
    m_source.sendAndAsk(std::move(command));
}

// The press threshold follows the touch threshold, but never wraps around: a press
// result outside 0..255 is left as it was.
void ThresholdOperations::stepThresholds(int delta) {
    auto command = m_source.commandOrAsk("threshold step");
    if (!command) {
        return;
    }
    const int touch = command->touchThreshold() + delta;
    const int press = command->pressThreshold() + delta;
    if (isByte(touch)) {
        command->setTouchThreshold(static_cast<unsigned char>(touch));
        if (isByte(press)) {
            command->setPressThreshold(static_cast<unsigned char>(press));
        }
    }
    m_source.sendAndAsk(std::move(command));
}
