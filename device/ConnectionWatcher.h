#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class DeviceEventDispatcher;
class DeviceIoDataProvider;
class DeviceResponseDelegate;

// The heartbeat of a live connection. Every heartbeat tick (100 ms) it advances a small
// state machine: while connected it counts the controller's silence, asks for a
// keep-alive answer each time the count passes the timeout (500 ms) and declares the
// connection lost when the third count runs out; when lost it polls the provider until
// the device is back and reconnects it. Any full packet routed to a delegate
// (DeviceEventDispatcher::newDataArrived) counts as a sign of life.
//
// While connected the count grows by the heartbeat interval twice per tick, so it runs
// out faster than the clock: with the defaults a silent controller gets a keep-alive
// request (get-parameters and get-version) on the 3rd and 6th tick (after 300 and
// 600 ms) and is declared lost on the 9th (after 900 ms). Providers that need no
// watchdog (the log replayer) get no requests.
//
// The watcher works with the dispatcher's current provider at each step and builds its
// requests with the current device kind's command factory (none are sent while no kind
// is current). GUI thread only.
class ConnectionWatcher : public QObject {
    Q_OBJECT
public:
    enum State {
        Disconnected = 0,
        OpenRequested = 1,
        Reconnecting = 2,
        Connected = 3,
        CloseRequested = 4,
        CheckingPresence = 5,
        ForcedCheck = 6,
    };

    static constexpr int kDefaultHeartbeatMs = 100;
    static constexpr int kDefaultConnectionTimeoutMs = 500;
    // Keep-alive requests sent without an answer before the connection counts as lost.
    static constexpr int kMaxMisses = 3;

    // operations: the object whose queryData() slot disConnectQueryData() detaches from
    // the controller's soft-reset signal (the parameter operations); may be null.
    explicit ConnectionWatcher(DeviceEventDispatcher* dispatcher, QObject* operations = nullptr,
                               QObject* parent = nullptr);

    int state() const { return m_state; }
    int missCount() const { return m_missCount; }
    int timeoutMs() const { return m_timeoutMs; }
    int elapsedMs() const { return m_elapsedMs; }
    bool isWatchdogEnabled() const { return m_watchdogEnabled; }
    void setWatchdogEnabled(bool on) { m_watchdogEnabled = on; }
    bool isRunning() const { return m_heartbeat.isActive(); }
    // Heartbeat period in ms (also the silence added per step); values below 1 are ignored.
    void setHeartbeatInterval(int ms);
    int heartbeatInterval() const { return m_heartbeat.interval(); }

signals:
    // The device is gone (presence check failed).
    void sigDisconnected();
    // Never emitted by the watcher; the main window's connection state listens to it.
    void sigConnected();
    // A connection was (re)established.
    void sigReconnecting();

public slots:
    // Restarts the heartbeat with fresh counters.
    void cont();
    void pause();
    // Wires the heartbeat, the dispatcher's packets and the controller's soft-reset
    // signals to the watcher and starts the heartbeat.
    void doConnections();
    // A sign of life: the silence count starts again.
    void keepAlive();
    // Connected -> forced presence check; nothing in any other state.
    void forceReconnect();
    // Disconnected -> open requested; nothing in any other state.
    void openConnection();
    // Connected -> close requested; nothing in any other state.
    void closeConnection();
    // Silence (ms) allowed before a keep-alive request; restarts the counts.
    void setConnectionTimeoutMs(int theConnectionTimeoutMs);
    void setStateDisConnected();
    void setStateConnected();
    // One step of the state machine.
    void heartBeatHandler();
    void disConnectQueryData();

private:
    void watchdogUpdate();
    void sendKeepAlive();
    void enterConnected();
    DeviceIoDataProvider* provider() const;
    // The current kind's parameter delegate, or nullptr.
    DeviceResponseDelegate* parametersDelegate() const;

    QPointer<DeviceEventDispatcher> m_dispatcher;
    QPointer<QObject> m_operations;
    int m_state = Connected;
    int m_missCount = 0;
    int m_timeoutMs = kDefaultConnectionTimeoutMs;
    int m_elapsedMs = 0;
    bool m_watchdogEnabled = true;
    QTimer m_heartbeat;
};
