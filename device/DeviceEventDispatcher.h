#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

#include "device/DeviceCommand.h"
#include "device/DeviceIoDataProvider.h"
#include "device/DeviceResponseDelegate.h"
#include "device/DeviceUsbVidPid.h"

class DeviceBridge;
class DeviceKind;
class QEventLoop;

// The hub between the pages and the device. It keeps the registry of I/O providers and
// the current one, a first-in first-out queue of commands sent one per tick of the
// command timer (100 ms), and a receiver timer (10 ms) that polls the provider, cuts
// what arrived into packets and hands each packet to the current device kind's
// delegate that understands it. Requests and answers are not paired: commands are paced
// by time, answers are routed by their response code.
//
// Wire framing: a command's bytes get the packet index (u8, +1 per packet, wraps 255 ->
// 0) in front here and the report id in front in the provider.
//
// Decisions where the behaviour is otherwise open:
//  - With no device information from the provider (a replay before its information
//    line, or no provider) packets are cut at the HID report size, 61 bytes.
//  - With no device kind current, responseDelegate() and findResponseDelegate() return
//    nullptr; callers skip (an incoming packet is then logged as unknown and dropped).
//  - setDeviceIoDataProvider() with a name never registered keeps the current provider,
//    logs a warning and returns nullptr.
//  - A replayed log names its device only through its information line; when packets
//    arrive while no kind is current and the provider's information names a pair that
//    a kind owns, that kind becomes current, so replayed packets reach the delegates.
//  - checkNewVidPid() waits for the device in a local event loop; a call that arrives
//    while it waits returns at once. StopCommunication() and the application quitting
//    end the wait.
//  - When the current provider reports the controller lost (deviceUnplugged()), queued
//    state-mutating commands are dropped and new ones are refused until it reports the
//    controller back (devicePlugged()): they were built from blocks of the controller
//    as it was, and sent after a replug they would undo what it has now.
//
// The program uses the single instance(); tests may construct their own dispatchers.
// GUI thread only.
class DeviceEventDispatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultQueueTimeIntervalMs = 100;
    static constexpr int kDefaultResponseTimeIntervalMs = 10;
    static constexpr int kDefaultConnectionRetryIntervalMs = 100;
    // Packet size used when the provider gives no device information.
    static constexpr int kFallbackPacketSize = 61;
    static constexpr quint32 kOrvelloVendorId = 0x25C8;

    enum State { Idle = 0, Sending = 1 };

    // The process-wide dispatcher, created on first use and never destroyed.
    static DeviceEventDispatcher* instance();

    explicit DeviceEventDispatcher(QObject* parent = nullptr);
    ~DeviceEventDispatcher() override;

    // The packet index to send next; increments it (wrapping from 255 to 0).
    quint8 outputPacketIndex();
    // The current kind's delegate registered under name (e.g. "CurrentParameters");
    // nullptr when there is none or no kind is current.
    DeviceResponseDelegate* responseDelegate(QString name);
    // Makes the kind owning the pair current; false (and no kind current) when none owns it.
    bool setDeviceKind(int vid, int pid);
    // Makes the kind owning the current provider's device (its info()) current, as a
    // replay does on connecting: the log names its device in its information line. False,
    // with the current kind kept, when the provider has no information or no kind owns
    // the pair.
    bool takeDeviceKindFromProvider();
    // Reloads the VID/PID rotation from the bridge and restarts it at its first pair.
    void updateVidPidProviderData();
    // Idle (0) or Sending (1); logs changes and starts/stops the command timer.
    void m_setNewState(int state);
    // Removes and returns the first packet (packet size = the provider's
    // info()->inputLength, or 61 without information) from data. A shorter rest is
    // logged as incomplete and returned whole.
    QByteArray spliceChunk(QByteArray& data);

    int state() const { return m_state; }
    int queuedCommandCount() const { return m_queue.size(); }
    quint8 packetIndex() const { return m_packetIndex; }
    // The delegate that took the last packet; nullptr when the last packet was unknown.
    DeviceResponseDelegate* lastDelegate() const { return m_lastDelegate; }

    DeviceBridge* deviceBridge() const { return m_bridge.get(); }
    // Adds a device kind (the bridge becomes its parent and owner) and reloads the
    // VID/PID rotation. The program registers PomelarKind this way at start-up.
    void registerDeviceKind(DeviceKind* kind);
    QList<DeviceUsbVidPid> vidPidRotation() const { return m_vidPidList; }

    int queueTimeInterval() const { return m_commandTimer.interval(); }
    int responseTimeInterval() const { return m_receiverTimer.interval(); }
    bool isCommandTimerActive() const { return m_commandTimer.isActive(); }
    bool isReceiverTimerActive() const { return m_receiverTimer.isActive(); }
    // The intervals resetTimers(0, 0) restores (100 ms and 10 ms unless changed); also
    // applied at once. Values below 0 are ignored.
    void setDefaultTimeIntervals(int queueMs, int responseMs);
    // Pause between connection attempts in checkNewVidPid() (100 ms by default).
    void setConnectionRetryInterval(int ms);
    // True while checkNewVidPid() waits for the device.
    bool isWaitingForDevice() const { return m_waitingForDevice; }
    // True once StopCommunication() ran: nothing is sent or read again.
    bool isCommunicationStopped() const { return m_communicationStopped; }
    // True between the current provider's deviceUnplugged() and its next devicePlugged().
    bool isControllerLost() const { return m_controllerLost; }

signals:
    // A packet of full size (responseSize(), 60 bytes) reached a delegate.
    void newDataArrived();
    // The replay provider has played its whole log.
    void LoggingCompleted();
    // A queued command has just left the queue and its bytes went to the provider. The
    // pointer identifies the command and must not be kept: the command is deleted soon
    // after. Lets a procedure tell when its request went out (an answer before that
    // belongs to an earlier request).
    void commandSent(const DeviceCommand* command);

public slots:
    // Appends the command (taking ownership when it has no parent) and starts sending.
    // Into an empty queue, it leaves at once when the last command left at least one
    // command interval ago, else on the next tick: two never leave closer than the
    // interval. Null is ignored with a warning; a state-mutating command while the
    // controller is lost is refused with a warning (and deleted when it has no parent).
    void queueCommand(DeviceCommand* command);
    // Puts the packet index in front of data and hands it to the current provider.
    void sendToDevice(QByteArray data);
    DeviceResponseDelegate* findResponseDelegate(QByteArray dataFromDevice);
    // Files the provider under its name(); a later provider of the same name replaces
    // the earlier. The dispatcher does not own providers.
    void registerDeviceIoDataProvider(DeviceIoDataProvider* provider);
    // Interval of the command timer in ms (one command per tick).
    void setQueueTimeInterval(int value);
    // Interval of the receiver timer in ms.
    void setResponseTimeInterval(int value);
    // Both 0: default intervals and state Sending (the next tick with an empty queue
    // returns to Idle). Otherwise command interval = Value1, receiver interval = Value2.
    // Always true.
    bool resetTimers(int Value1, int Value2);
    // Makes the named provider current and returns it; see the class comment for names
    // never registered.
    DeviceIoDataProvider* setDeviceIoDataProvider(QString name);
    void stopReceiverTimer();
    void startReceiverTimer();
    DeviceIoDataProvider* ioProvider();
    // Tries the next pair of the VID/PID rotation; true when the provider opened it.
    bool firstConnection();
    // Tries the pairs from the first one until a device opens, pausing between attempts.
    void checkNewVidPid();
    DeviceIoDataProvider* ioProvider(QString name);
    // Stops sending and receiving for the rest of the run and closes the provider.
    // Always true.
    bool StopCommunication();
    // Whether the current provider's device has the vendor id 0x25C8.
    bool isOrvelloVid();
    // Command timer tick: sends the head of the queue, or goes Idle when it is empty.
    void processSingleCommand();
    // Receiver tick: routes every packet that arrived.
    void checkNewDataArrived();

private:
    void sendAtOnceIfRested();
    bool isRested() const;
    void sendNow();
    void routePacket(const QByteArray& packet, int fullSize);
    void adoptDeviceKindOf(const DeviceIoDataProvider* provider);
    void connectTimers();
    void followProvider(DeviceIoDataProvider* provider);
    bool pauseBeforeNextAttempt();
    void onControllerLost();
    void onControllerFound();
    static void discardCommand(DeviceCommand* command);

    QMap<QString, QPointer<DeviceIoDataProvider>> m_providers;
    QPointer<DeviceIoDataProvider> m_provider;
    int m_state = Idle;
    quint8 m_packetIndex = 0;
    QList<QPointer<DeviceCommand>> m_queue;
    QTimer m_commandTimer;
    QTimer m_receiverTimer;
    QTimer m_sendNowTimer;
    QElapsedTimer m_lastSend;
    int m_defaultQueueIntervalMs = kDefaultQueueTimeIntervalMs;
    int m_defaultResponseIntervalMs = kDefaultResponseTimeIntervalMs;
    int m_connectionRetryIntervalMs = kDefaultConnectionRetryIntervalMs;
    std::unique_ptr<DeviceBridge> m_bridge;
    QList<DeviceUsbVidPid> m_vidPidList;
    int m_vidPidIndex = 0;
    QPointer<DeviceResponseDelegate> m_lastDelegate;
    DeviceUsbVidPid m_lastAdoptedPair{-1, -1};
    bool m_waitingForDevice = false;
    bool m_communicationStopped = false;
    bool m_controllerLost = false;
    QEventLoop* m_waitLoop = nullptr;
};
