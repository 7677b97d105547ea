#pragma once

#include <QMetaObject>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "protocol/CommandSetCurrentParameters.h"
#include "operations/CurrentParametersSource.h"

class DeviceCommand;
class DeviceEventDispatcher;
class ResponseDelegateCurrentParameters;

// One converging procedure on the controller's current parameters: each pass reads the
// controller's last block, edits a copy, queues the set command and a request for the
// block, and runs again after its period until the block shows the requested state.
//
// The rules every pass keeps:
//  - No set command is built before the controller has sent a real block, nor while it
//    reports a soft reset: the pass only asks for the block and polls.
//  - One pass at a time. A pass is in flight from the moment it queues its request until
//    a block arrives after that request has left the dispatcher's queue. While it is in
//    flight the next pass (from the retry timer or a new call) waits and then runs at
//    once, so a slow or absent controller never piles up passes in the queue.
//  - A lost answer does not stall the procedure: a request that leaves the queue and gets
//    no block within answerWaitMs (or is dropped from the queue) ends the wait. The next
//    pass then only asks for the block; a set command is built again only from a block
//    that arrived after that, never from the one the lost pass already used.
//  - While the dispatcher's provider replays a log (it reads no device) no pass runs:
//    the procedure ends at once, since nothing would ever answer it.
//  - Optionally a bound: after passLimit passes that did not reach the state the
//    procedure stops, logs a warning and emits gaveUp(). 0, the default, is no bound.
//
// rerun is the procedure's entry point (usually the slot that owns it); the pass calls it
// for every retry. A call from outside restarts the count of passes. GUI thread only.
class ConvergingPass : public QObject {
    Q_OBJECT
public:
    using Command = std::unique_ptr<CommandSetCurrentParameters>;
    // What a pass queues after its set command. The controller answers a set command with
    // its block, so Nothing and SaveToFlash wait for that answer instead of a request.
    enum class Follow { GetParameters, Nothing, SaveToFlash };

    static constexpr int kDefaultSoftResetPollMs = 300;
    static constexpr int kDefaultAnswerWaitMs = 1000;

    ConvergingPass(DeviceEventDispatcher* dispatcher, std::function<void()> rerun,
                   QObject* parent = nullptr);
    ~ConvergingPass() override;

    // Period of the polling while the controller reports a soft reset.
    void setSoftResetPollMs(int ms) { m_softResetPollMs = ms; }
    // How long a pass waits for a block after its request has left the queue.
    void setAnswerWaitMs(int ms) { m_answerWaitMs = ms; }
    // Passes allowed without reaching the state; 0 for no bound.
    void setPassLimit(int passes) { m_passLimit = passes; }

    // The whole procedure of a slot that owns a few fields. edit(command) writes the
    // requested values into a copy of the controller's block and returns true when any
    // differed; then the command is queued, `follow` after it, and the slot runs again
    // after periodMs. When none differed, settled() runs (settled(Command) gets the
    // unsent copy).
    template <typename Edit, typename Settled>
    void converge(int periodMs, Edit edit, Settled settled, Follow follow = Follow::GetParameters) {
        Command command = begin(periodMs);
        if (!command) {
            return;
        }
        if (edit(*command)) {
            send(std::move(command), periodMs, follow);
        } else if constexpr (std::is_invocable_v<Settled, Command>) {
            settled(std::move(command));
        } else {
            settled();
        }
    }

    // The pieces for procedures with several outcomes. A pass starts with one of the
    // first four; each returns false / nullptr when the pass may not go on: it waits for
    // the answer of the one before, or it only polls (requested the block and will run
    // again), or the bound was reached.
    //
    // Only the in-flight check.
    bool mayRun();
    // The controller's block; polls (after periodMs) until there is a real one.
    const ResponseDelegateCurrentParameters* answeredBlock(int periodMs);
    // As answeredBlock(), and polls while the controller reports a soft reset.
    const ResponseDelegateCurrentParameters* settledBlock(int periodMs);
    // A set command built from a copy of settledBlock().
    Command begin(int periodMs);

    // Queues the set command and `follow` and runs again after periodMs. A command not
    // built from a block of the controller is not sent (logged; the block is requested).
    void send(Command command, int periodMs, Follow follow = Follow::GetParameters);
    // Requests the block and runs again after periodMs.
    void poll(int periodMs);
    // Runs again after periodMs, queueing nothing.
    void retryAfter(int periodMs);
    // Queues a command of the pass that is not waited for (false without a dispatcher).
    bool queue(DeviceCommand* command) const;

    // A pass is armed or waits to run; false once the procedure has ended.
    bool isPending() const { return m_retryTimer.isActive() || m_due; }
    // The last pass's request has not been answered yet.
    bool isInFlight() const { return m_stage != Stage::Idle; }

signals:
    // The pass limit was reached without the controller taking the state.
    void gaveUp();

private:
    enum class Stage { Idle, Queued, Sent };

    bool spendPass();
    bool isReplaying() const;
    void arm(int periodMs);
    void track(DeviceCommand* command);
    void onCommandSent(const DeviceCommand* command);
    void onTrackedGone();
    void onBlock();
    void onAnswerLost();
    void endFlight();
    void runIfDue();
    void onRetryTimeout();

    CurrentParametersSource m_source;
    std::function<void()> m_rerun;
    QTimer m_retryTimer;
    QTimer m_answerTimer;
    Stage m_stage = Stage::Idle;
    const DeviceCommand* m_tracked = nullptr;
    QMetaObject::Connection m_sentConnection;
    QMetaObject::Connection m_goneConnection;
    QMetaObject::Connection m_blockConnection;
    int m_softResetPollMs = kDefaultSoftResetPollMs;
    int m_answerWaitMs = kDefaultAnswerWaitMs;
    int m_passLimit = 0;
    int m_passes = 0;
    bool m_due = false;
    bool m_needsFreshBlock = false;
    bool m_rerunning = false;
};
