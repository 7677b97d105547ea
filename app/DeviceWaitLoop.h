#pragma once

#include <functional>

// The start-up wait for a controller: one connection attempt, then, until an attempt
// succeeds, a pause of the given interval followed by pending events (so the waiting
// dialog stays live and its Cancel works) and another attempt. There is no attempt
// limit; only cancel() ends an unsuccessful wait.
class DeviceWaitLoop {
public:
    using Attempt = std::function<bool()>;

    static constexpr int kDefaultIntervalMs = 100;

    explicit DeviceWaitLoop(Attempt attempt, int intervalMs = kDefaultIntervalMs);

    // True once an attempt succeeded, false when cancelled first.
    bool run();
    // Ends run() after the current pause; safe to call from an event handled inside it.
    void cancel() { m_cancelled = true; }

    bool isCancelled() const { return m_cancelled; }
    int attempts() const { return m_attempts; }

private:
    bool tryOnce();

    Attempt m_attempt;
    int m_intervalMs;
    int m_attempts = 0;
    bool m_cancelled = false;
};
