#include "ConnectionWatcher.h"

#include "logging/LogMacros.h"
#include "device/DeviceBridge.h"
#include "device/DeviceCommandFactory.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "device/DeviceKind.h"
#include "device/DeviceResponseDelegate.h"

namespace {
const char kSoftResetActiveSignal[] = "signalSoftResetActive()";
const char kSoftResetInactiveSignal[] = "signalSoftResetInactive()";

// The delegate's class belongs to the protocol layer, so its signals are found by name.
bool hasSoftResetSignals(const QObject* delegate) {
    return delegate != nullptr &&
           delegate->metaObject()->indexOfSignal(kSoftResetActiveSignal) >= 0 &&
           delegate->metaObject()->indexOfSignal(kSoftResetInactiveSignal) >= 0;
}
}  // namespace

ConnectionWatcher::ConnectionWatcher(DeviceEventDispatcher* dispatcher, QObject* operations,
                                     QObject* parent)
    : QObject(parent), m_dispatcher(dispatcher), m_operations(operations) {
    m_heartbeat.setSingleShot(false);
    m_heartbeat.setInterval(kDefaultHeartbeatMs);
}

void ConnectionWatcher::setHeartbeatInterval(int ms) {
    if (ms >= 1) {
        m_heartbeat.setInterval(ms);
    }
}

DeviceIoDataProvider* ConnectionWatcher::provider() const {
    return m_dispatcher.isNull() ? nullptr : m_dispatcher->ioProvider();
}

void ConnectionWatcher::cont() {
    TLOG_INFO(QStringLiteral("Continuing."));
    m_heartbeat.start();
    m_missCount = 0;
    m_elapsedMs = 0;
}

void ConnectionWatcher::pause() {
    TLOG_INFO(QStringLiteral("Pausing."));
    m_heartbeat.stop();
}

void ConnectionWatcher::doConnections() {
    connect(&m_heartbeat, &QTimer::timeout, this, &ConnectionWatcher::heartBeatHandler,
            Qt::UniqueConnection);
    if (!m_dispatcher.isNull()) {
        connect(m_dispatcher.data(), &DeviceEventDispatcher::newDataArrived, this,
                &ConnectionWatcher::keepAlive, Qt::UniqueConnection);
        DeviceResponseDelegate* parameters = parametersDelegate();
        if (hasSoftResetSignals(parameters)) {
            connect(parameters, SIGNAL(signalSoftResetActive()), this, SLOT(pause()),
                    Qt::UniqueConnection);
            connect(parameters, SIGNAL(signalSoftResetInactive()), this, SLOT(cont()),
                    Qt::UniqueConnection);
        } else {
            TLOG_WARNING(
                QStringLiteral("No soft-reset signals to follow; the watcher keeps "
                               "running through soft resets."));
        }
    }
    m_heartbeat.start();
}

void ConnectionWatcher::keepAlive() {
    m_missCount = 0;
    m_elapsedMs = 0;
}

void ConnectionWatcher::forceReconnect() {
    if (m_state == Connected) {
        m_state = ForcedCheck;
    }
}

void ConnectionWatcher::openConnection() {
    if (m_state == Disconnected) {
        m_state = OpenRequested;
    }
}

void ConnectionWatcher::closeConnection() {
    if (m_state == Connected) {
        m_state = CloseRequested;
    }
}

void ConnectionWatcher::setConnectionTimeoutMs(int theConnectionTimeoutMs) {
    m_timeoutMs = theConnectionTimeoutMs;
    m_missCount = 0;
    m_elapsedMs = 0;
}

DeviceResponseDelegate* ConnectionWatcher::parametersDelegate() const {
    const DeviceKind* kind =
        m_dispatcher.isNull() ? nullptr : m_dispatcher->deviceBridge()->currentDevice();
    return kind != nullptr ? kind->delegateByName(kind->parametersDelegateName()) : nullptr;
}

void ConnectionWatcher::setStateDisConnected() {
    m_state = Disconnected;
    heartBeatHandler();
}

void ConnectionWatcher::setStateConnected() {
    emit sigReconnecting();
    enterConnected();
    heartBeatHandler();
}

// A connection that has just been (re)established has not been silent yet; counting
// the time spent reconnecting would declare it lost again at once.
void ConnectionWatcher::enterConnected() {
    m_state = Connected;
    m_elapsedMs = 0;
    m_missCount = 0;
}

void ConnectionWatcher::heartBeatHandler() {
    m_elapsedMs += m_heartbeat.interval();
    if (m_elapsedMs > m_timeoutMs) {
        ++m_missCount;
    }
    DeviceIoDataProvider* device = provider();
    switch (m_state) {
        case Disconnected:
            m_state = CheckingPresence;
            break;
        case OpenRequested:
            m_state = Reconnecting;
            TLOG_INFO(QStringLiteral("Reconnecting (ER)"));
            break;
        case Reconnecting:
            if (device != nullptr && device->reconnect()) {
                enterConnected();
                TLOG_INFO(QStringLiteral("Connected"));
                emit sigReconnecting();
            } else {
                TLOG_INFO(QStringLiteral("Reconnecting (R)"));
            }
            break;
        case Connected:
            if (m_watchdogEnabled) {
                watchdogUpdate();
            }
            break;
        case CloseRequested:
            m_state = CheckingPresence;
            TLOG_INFO(QStringLiteral("Unplugging"));
            break;
        case CheckingPresence:
            if (device != nullptr && device->rescan()) {
                enterConnected();
            } else {
                TLOG_INFO(QStringLiteral("Disconnected"));
                emit sigDisconnected();
                m_state = Disconnected;
            }
            break;
        case ForcedCheck:
            if (device != nullptr && device->rescan()) {
                enterConnected();
            } else {
                TLOG_INFO(QStringLiteral("Reconnecting (EFR)"));
                m_state = Reconnecting;
                emit sigDisconnected();
            }
            break;
        default:
            m_state = Disconnected;
            break;
    }
}

void ConnectionWatcher::watchdogUpdate() {
    const DeviceIoDataProvider* device = provider();
    if (device == nullptr || !device->isWatchDogNeeded()) {
        return;
    }
    if (m_elapsedMs < m_timeoutMs) {
        m_elapsedMs += m_heartbeat.interval();
        return;
    }
    m_elapsedMs = 0;
    ++m_missCount;
    if (m_missCount < kMaxMisses) {
        sendKeepAlive();
        return;
    }
    TLOG_INFO(QStringLiteral("Connection lost, trying reconnection."));
    m_missCount = 0;
    if (m_state == Connected) {
        m_state = ForcedCheck;
    }
}

void ConnectionWatcher::sendKeepAlive() {
    DeviceKind* kind =
        m_dispatcher.isNull() ? nullptr : m_dispatcher->deviceBridge()->currentDevice();
    DeviceCommandFactory* factory = kind != nullptr ? kind->commandFactory() : nullptr;
    if (factory == nullptr) {
        TLOG_WARNING(QStringLiteral("No device kind to build a keep-alive request."));
        return;
    }
    m_dispatcher->queueCommand(factory->getParams());
    m_dispatcher->queueCommand(factory->getVersion());
    TLOG_INFO(QStringLiteral("Request keepalive packet."));
}

void ConnectionWatcher::disConnectQueryData() {
    if (m_dispatcher.isNull() || m_operations.isNull()) {
        return;
    }
    DeviceResponseDelegate* parameters = parametersDelegate();
    if (hasSoftResetSignals(parameters)) {
        disconnect(parameters, SIGNAL(signalSoftResetActive()), m_operations.data(),
                   SLOT(queryData()));
    }
}
