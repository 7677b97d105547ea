#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "device/DeviceEventDispatcher.h"
#include "operations/SetOperations.h"

class DeviceCommand;
class DeviceResponseDelegate;
class HidApi;
class HidApiIoDataProvider;
class ResponseDelegateCurrentParameters;

// The link of one command-line run: the HID provider over the given hidapi (the system's
// or the virtual controller's), a dispatcher of its own with our controller's kind, and
// the parameter operations on it. Every wait is bounded; a failed step leaves its reason
// in errorText().
class CliLink {
public:
    // Pace of the link; tests make it quicker.
    struct Timings {
        int queueMs = DeviceEventDispatcher::kDefaultQueueTimeIntervalMs;
        int responseMs = DeviceEventDispatcher::kDefaultResponseTimeIntervalMs;
        // How long one request waits for its answer.
        int answerWaitMs = 2000;
        // Requests of one kind before a read gives up.
        int attempts = 3;
        // Retry period of the parameter operations.
        int retryMs = 300;
    };

    CliLink(std::shared_ptr<HidApi> hidApi, const Timings& timings);
    ~CliLink();

    CliLink(const CliLink&) = delete;
    CliLink& operator=(const CliLink&) = delete;

    // Waits at most timeoutMs for a controller and its first parameter block.
    bool connect(int timeoutMs);
    // Asks for the current-parameters block again and waits for it.
    bool refreshParameters();
    // Runs `ask` (which queues requests) and waits until `delegate` has an answer; asks
    // again up to Timings::attempts times.
    bool request(const std::function<void()>& ask, DeviceResponseDelegate* delegate);
    // Queues a command; the dispatcher owns it from here on.
    void queue(DeviceCommand* command) { m_dispatcher.queueCommand(command); }
    // Lets the queue drain (at most answerWaitMs per queued command).
    bool drain();

    // Runs the event loop until done() is true or timeoutMs has passed.
    static bool waitUntil(const std::function<bool()>& done, int timeoutMs);

    DeviceEventDispatcher& dispatcher() { return m_dispatcher; }
    SetOperations& operations() { return *m_operations; }
    HidApiIoDataProvider& provider() { return *m_provider; }
    const Timings& timings() const { return m_timings; }
    ResponseDelegateCurrentParameters* parameters();
    template <typename Delegate>
    Delegate* delegate() {
        return qobject_cast<Delegate*>(m_dispatcher.responseDelegate(Delegate::registryName()));
    }

    QString errorText() const { return m_error; }
    bool fail(const QString& text);

private:
    Timings m_timings;
    std::unique_ptr<HidApiIoDataProvider> m_provider;
    DeviceEventDispatcher m_dispatcher;
    std::unique_ptr<SetOperations> m_operations;
    QString m_error;
};
