#include "cli/CliLink.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include "logging/LogMacros.h"
#include "device/DeviceBridge.h"
#include "device/HidApiIoDataProvider.h"
#include "protocol/CommandFactory.h"
#include "protocol/PomelarKind.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"
#include "operations/CurrentParametersSource.h"

namespace {
// The event loop wakes at least this often to look at the condition of a wait.
constexpr int kWakeMs = 5;
// Pause between two looks for a controller, as the window's wait has it.
constexpr int kConnectRetryMs = 100;
}  // namespace

CliLink::CliLink(std::shared_ptr<HidApi> hidApi, const Timings& timings)
    : m_timings(timings), m_provider(std::make_unique<HidApiIoDataProvider>(std::move(hidApi))) {
    m_dispatcher.registerDeviceKind(new PomelarKind(m_dispatcher.deviceBridge()));
    m_dispatcher.registerDeviceIoDataProvider(m_provider.get());
    m_dispatcher.setDeviceIoDataProvider(m_provider->name());
    m_dispatcher.setDefaultTimeIntervals(m_timings.queueMs, m_timings.responseMs);
    m_operations = std::make_unique<SetOperations>(&m_dispatcher);
    SetOperations::Periods periods;
    periods.retryMs = m_timings.retryMs;
    periods.quickRetryMs = m_timings.retryMs;
    periods.answerWaitMs = m_timings.answerWaitMs;
    m_operations->setPeriods(periods);
}

CliLink::~CliLink() {
    m_operations.reset();
    m_dispatcher.StopCommunication();
}

bool CliLink::fail(const QString& text) {
    TLOG_WARNING(text);
    m_error = text;
    return false;
}

bool CliLink::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents,
                                        int(qMin<qint64>(kWakeMs, deadline.remainingTime())));
    }
    return true;
}

ResponseDelegateCurrentParameters* CliLink::parameters() {
    return delegate<ResponseDelegateCurrentParameters>();
}

bool CliLink::connect(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    bool found = m_dispatcher.firstConnection();
    while (!found && !deadline.hasExpired()) {
        waitUntil([] { return false; },
                  int(qMin<qint64>(kConnectRetryMs, deadline.remainingTime())));
        found = m_dispatcher.firstConnection();
    }
    if (!found || parameters() == nullptr) {
        return fail(QStringLiteral("No controller answered within %1 s.").arg(timeoutMs / 1000.0));
    }
    if (!refreshParameters()) {
        return fail(QStringLiteral("The controller sent no parameters."));
    }
    return true;
}

bool CliLink::refreshParameters() {
    return request([this] { queue(CommandFactory::getParams()); }, parameters()) &&
           CurrentParametersSource::isControllerBlock(parameters()->data());
}

bool CliLink::request(const std::function<void()>& ask, DeviceResponseDelegate* delegate) {
    if (delegate == nullptr) {
        return false;
    }
    for (int attempt = 0; attempt < m_timings.attempts; ++attempt) {
        delegate->resetHasData();
        ask();
        if (waitUntil([delegate] { return delegate->hasData(); }, m_timings.answerWaitMs)) {
            return true;
        }
    }
    return false;
}

bool CliLink::drain() {
    const int queued = m_dispatcher.queuedCommandCount() + 1;
    return waitUntil([this] { return m_dispatcher.queuedCommandCount() == 0; },
                     queued * m_timings.answerWaitMs);
}
