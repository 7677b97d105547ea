#include "DeviceEventDispatcher.h"

#include <QEventLoop>

#include <climits>

#include "logging/LogMacros.h"
#include "device/DeviceBridge.h"
#include "device/DeviceCommand.h"
#include "device/DeviceIoDataProvider.h"
#include "device/DeviceKind.h"
#include "device/DeviceResponseDelegate.h"

namespace {
constexpr int kReportIdBytes = 1;
constexpr qint64 kNanosecondsPerMillisecond = 1000000;
}  // namespace

DeviceEventDispatcher* DeviceEventDispatcher::instance() {
    static DeviceEventDispatcher* dispatcher = new DeviceEventDispatcher();
    return dispatcher;
}

DeviceEventDispatcher::DeviceEventDispatcher(QObject* parent)
    : QObject(parent), m_bridge(std::make_unique<DeviceBridge>()) {
    connectTimers();
    m_commandTimer.setSingleShot(false);
    m_receiverTimer.setSingleShot(false);
    m_commandTimer.setInterval(kDefaultQueueTimeIntervalMs);
    m_receiverTimer.setInterval(kDefaultResponseTimeIntervalMs);
    m_setNewState(Idle);
    updateVidPidProviderData();
}

DeviceEventDispatcher::~DeviceEventDispatcher() {
    m_commandTimer.stop();
    m_receiverTimer.stop();
    if (m_waitLoop != nullptr) {
        m_waitLoop->quit();
    }
    for (const QPointer<DeviceCommand>& command : qAsConst(m_queue)) {
        if (!command.isNull() && command->parent() == nullptr) {
            delete command.data();
        }
    }
}

void DeviceEventDispatcher::discardCommand(DeviceCommand* command) {
    if (command->parent() == nullptr) {
        command->deleteLater();
    }
}

void DeviceEventDispatcher::connectTimers() {
    m_sendNowTimer.setSingleShot(true);
    connect(&m_sendNowTimer, &QTimer::timeout, this, &DeviceEventDispatcher::sendNow);
    connect(&m_commandTimer, &QTimer::timeout, this, &DeviceEventDispatcher::processSingleCommand);
    connect(&m_receiverTimer, &QTimer::timeout, this, &DeviceEventDispatcher::checkNewDataArrived);
}

quint8 DeviceEventDispatcher::outputPacketIndex() {
    return m_packetIndex++;
}

DeviceResponseDelegate* DeviceEventDispatcher::responseDelegate(QString name) {
    DeviceKind* kind = m_bridge->currentDevice();
    return kind != nullptr ? kind->delegateByName(name) : nullptr;
}

bool DeviceEventDispatcher::setDeviceKind(int vid, int pid) {
    const QString name = m_bridge->nameFromVidPid(vid, pid);
    m_bridge->setCurrentDeviceKind(name);
    return !name.isEmpty();
}

void DeviceEventDispatcher::updateVidPidProviderData() {
    m_vidPidList = m_bridge->updateVidPidList();
    m_vidPidIndex = 0;
}

void DeviceEventDispatcher::registerDeviceKind(DeviceKind* kind) {
    m_bridge->addDeviceKind(kind);
    updateVidPidProviderData();
}

void DeviceEventDispatcher::m_setNewState(int state) {
    if (state == m_state) {
        return;
    }
    TLOG_INFO(QStringLiteral("State Changed from %1 to %2").arg(m_state).arg(state));
    m_state = state;
    if (m_state == Sending) {
        m_commandTimer.start();
    } else {
        m_commandTimer.stop();
    }
}

QByteArray DeviceEventDispatcher::spliceChunk(QByteArray& data) {
    // Without device information (or with a nonsensical size from a recorded log) the
    // packets are cut at the HID report size.
    int packetSize = kFallbackPacketSize;
    const DeviceInfoData* info = m_provider.isNull() ? nullptr : m_provider->info();
    if (info != nullptr && info->inputLength > 0 &&
        info->inputLength <= static_cast<quint32>(INT_MAX)) {
        packetSize = static_cast<int>(info->inputLength);
    }
    if (data.size() < packetSize) {
        TLOG_WARNING(
            QStringLiteral("Incomplete packet, only %1 bytes available.").arg(data.size()));
        QByteArray packet;
        packet.swap(data);
        return packet;
    }
    const QByteArray packet = data.left(packetSize);
    data.remove(0, packetSize);
    return packet;
}

void DeviceEventDispatcher::setDefaultTimeIntervals(int queueMs, int responseMs) {
    if (queueMs >= 0) {
        m_defaultQueueIntervalMs = queueMs;
        setQueueTimeInterval(queueMs);
    }
    if (responseMs >= 0) {
        m_defaultResponseIntervalMs = responseMs;
        setResponseTimeInterval(responseMs);
    }
}

void DeviceEventDispatcher::setConnectionRetryInterval(int ms) {
    m_connectionRetryIntervalMs = qMax(0, ms);
}

void DeviceEventDispatcher::queueCommand(DeviceCommand* command) {
    if (command == nullptr) {
        TLOG_WARNING(QStringLiteral("A null command was not queued."));
        return;
    }
    if (m_controllerLost && command->isStateMutating()) {
        TLOG_WARNING(QStringLiteral("Set command not queued: the controller is lost."));
        discardCommand(command);
        return;
    }
    const bool wasEmpty = m_queue.isEmpty();
    m_queue.append(command);
    if (m_state == Idle) {
        m_setNewState(Sending);
    }
    if (wasEmpty) {
        sendAtOnceIfRested();
    }
}

// A request that follows an answer would otherwise wait for the next tick: a whole
// interval when the queue had gone idle (the timer restarts), or however late the tick
// comes. It need not when nothing waits before it and the last command left at least one
// interval ago. It leaves from the event loop, right after the caller has finished
// queueing, never from inside queueCommand().
void DeviceEventDispatcher::sendAtOnceIfRested() {
    if (isRested()) {
        m_sendNowTimer.start(0);
    }
}

bool DeviceEventDispatcher::isRested() const {
    const qint64 intervalNs = qint64(m_commandTimer.interval()) * kNanosecondsPerMillisecond;
    return m_lastSend.isValid() && !m_communicationStopped &&
           m_lastSend.nsecsElapsed() >= intervalNs;
}

void DeviceEventDispatcher::sendNow() {
    // A tick may have sent meanwhile.
    if (m_queue.isEmpty() || !isRested()) {
        return;
    }
    processSingleCommand();
    m_commandTimer.start();  // the next one leaves a whole interval after this one
}

void DeviceEventDispatcher::sendToDevice(QByteArray data) {
    TLOG_INFO(QStringLiteral("About to send %1 bytes").arg(data.size()));
    if (m_provider.isNull()) {
        TLOG_WARNING(
            QStringLiteral("No I/O provider is selected, %1 bytes dropped.").arg(data.size()));
        return;
    }
    data.prepend(static_cast<char>(outputPacketIndex()));
    m_provider->sendData(data);
}

DeviceResponseDelegate* DeviceEventDispatcher::findResponseDelegate(QByteArray dataFromDevice) {
    DeviceKind* kind = m_bridge->currentDevice();
    return kind != nullptr ? kind->delegateByData(dataFromDevice) : nullptr;
}

void DeviceEventDispatcher::registerDeviceIoDataProvider(DeviceIoDataProvider* provider) {
    if (provider == nullptr) {
        TLOG_WARNING(QStringLiteral("A null I/O provider was not registered."));
        return;
    }
    m_providers.insert(provider->name(), provider);
}

void DeviceEventDispatcher::setQueueTimeInterval(int value) {
    m_commandTimer.setInterval(value);
}

void DeviceEventDispatcher::setResponseTimeInterval(int value) {
    m_receiverTimer.setInterval(value);
}

bool DeviceEventDispatcher::resetTimers(int Value1, int Value2) {
    if (Value1 == 0 && Value2 == 0) {
        setQueueTimeInterval(m_defaultQueueIntervalMs);
        setResponseTimeInterval(m_defaultResponseIntervalMs);
        m_setNewState(Sending);
    } else {
        setQueueTimeInterval(Value1);
        setResponseTimeInterval(Value2);
    }
    return true;
}

DeviceIoDataProvider* DeviceEventDispatcher::setDeviceIoDataProvider(QString name) {
    DeviceIoDataProvider* provider = m_providers.value(name);
    if (provider == nullptr) {
        TLOG_WARNING(QStringLiteral("No I/O provider is registered as %1, the current one is kept.")
                         .arg(name));
        return nullptr;
    }
    followProvider(provider);
    return provider;
}

void DeviceEventDispatcher::followProvider(DeviceIoDataProvider* provider) {
    // The current provider, whichever it is, may ask for a search of every known pair.
    if (!m_provider.isNull()) {
        disconnect(m_provider.data(), nullptr, this, nullptr);
    }
    m_provider = provider;
    m_controllerLost = false;
    connect(provider, &DeviceIoDataProvider::deviceFirstConnection, this,
            &DeviceEventDispatcher::checkNewVidPid, Qt::UniqueConnection);
    connect(provider, &DeviceIoDataProvider::deviceUnplugged, this,
            &DeviceEventDispatcher::onControllerLost, Qt::UniqueConnection);
    connect(provider, &DeviceIoDataProvider::devicePlugged, this,
            &DeviceEventDispatcher::onControllerFound, Qt::UniqueConnection);
    // A replay is read without any request to answer: nothing else would start the polls.
    if (!provider->isReadFromDevice()) {
        m_receiverTimer.start();
    }
}

void DeviceEventDispatcher::onControllerLost() {
    m_controllerLost = true;
    int dropped = 0;
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if (!it->isNull() && (*it)->isStateMutating()) {
            discardCommand(it->data());
            it = m_queue.erase(it);
            ++dropped;
        } else {
            ++it;
        }
    }
    if (dropped > 0) {
        TLOG_WARNING(QStringLiteral("%1 queued set commands dropped: the controller was lost.")
                         .arg(dropped));
    }
}

void DeviceEventDispatcher::onControllerFound() {
    m_controllerLost = false;
}

void DeviceEventDispatcher::stopReceiverTimer() {
    m_receiverTimer.stop();
}

void DeviceEventDispatcher::startReceiverTimer() {
    m_receiverTimer.start();
}

DeviceIoDataProvider* DeviceEventDispatcher::ioProvider() {
    return m_provider.data();
}

DeviceIoDataProvider* DeviceEventDispatcher::ioProvider(QString name) {
    return m_providers.value(name).data();
}

bool DeviceEventDispatcher::firstConnection() {
    if (m_provider.isNull()) {
        TLOG_WARNING(QStringLiteral("No I/O provider is selected, no connection attempted."));
        return false;
    }
    DeviceUsbVidPid pair;
    if (!m_vidPidList.isEmpty()) {
        if (m_vidPidIndex >= m_vidPidList.size()) {
            m_vidPidIndex = 0;
        }
        pair = m_vidPidList.at(m_vidPidIndex++);
    }
    TLOG_INFO(QStringLiteral("Trying to connect to VID,PID %1,%2.").arg(pair.vid).arg(pair.pid));
    QPointer<DeviceIoDataProvider> provider = m_provider;
    if (!provider->deviceConnect(QString(), pair.vid, pair.pid)) {
        TLOG_INFO(QStringLiteral("Attempt unsuccessful."));
        return false;
    }
    if (!provider.isNull()) {
        emit provider->devicePlugged();
    }
    if (!setDeviceKind(pair.vid, pair.pid)) {
        TLOG_CRITICAL(
            QStringLiteral("VID,PID combination %1,%2 was found, but no device matches it!!!.")
                .arg(pair.vid)
                .arg(pair.pid));
    } else {
        TLOG_INFO(QStringLiteral("%1,%2 is found to be linked to %3.")
                      .arg(pair.vid)
                      .arg(pair.pid)
                      .arg(m_bridge->currentDevice()->objectName()));
    }
    updateVidPidProviderData();
    return true;
}

void DeviceEventDispatcher::checkNewVidPid() {
    // A provider may ask again while we wait below; the running search covers it.
    if (m_waitingForDevice || m_communicationStopped) {
        return;
    }
    m_waitingForDevice = true;
    m_vidPidIndex = 0;
    bool connected = false;
    while (!m_communicationStopped && !m_provider.isNull()) {
        connected = firstConnection();
        if (connected || !pauseBeforeNextAttempt()) {
            break;
        }
    }
    m_waitingForDevice = false;
    if (!connected) {
        return;
    }
    if (!isOrvelloVid()) {
        TLOG_WARNING(QStringLiteral("Using a different VID of the one expected."));
    }
    if (!m_provider.isNull()) {
        emit m_provider->devicePlugged();
    }
}

// False when something other than the pause's own timer ended it: StopCommunication(),
// or the application quitting. Once QCoreApplication::quit() has run, every event loop
// returns at once without waiting, so going on would only spin.
bool DeviceEventDispatcher::pauseBeforeNextAttempt() {
    QEventLoop wait;
    bool paused = false;
    QTimer::singleShot(m_connectionRetryIntervalMs, &wait, [&wait, &paused] {
        paused = true;
        wait.quit();
    });
    m_waitLoop = &wait;
    wait.exec();
    m_waitLoop = nullptr;
    if (!paused && !m_communicationStopped) {
        TLOG_INFO(QStringLiteral("Search for the device ended: the application is quitting."));
    }
    return paused;
}

bool DeviceEventDispatcher::StopCommunication() {
    disconnect(&m_commandTimer, &QTimer::timeout, this,
               &DeviceEventDispatcher::processSingleCommand);
    disconnect(&m_receiverTimer, &QTimer::timeout, this,
               &DeviceEventDispatcher::checkNewDataArrived);
    m_commandTimer.stop();
    m_receiverTimer.stop();
    m_sendNowTimer.stop();
    m_communicationStopped = true;
    if (m_waitLoop != nullptr) {
        m_waitLoop->quit();
    }
    if (!m_provider.isNull()) {
        m_provider->close();
    }
    return true;
}

bool DeviceEventDispatcher::isOrvelloVid() {
    const DeviceInfoData* info = m_provider.isNull() ? nullptr : m_provider->info();
    return info != nullptr && info->vendorId == kOrvelloVendorId;
}

void DeviceEventDispatcher::processSingleCommand() {
    while (!m_queue.isEmpty() && m_queue.first().isNull()) {
        m_queue.removeFirst();  // deleted by its owner while it waited
    }
    if (m_queue.isEmpty()) {
        m_setNewState(Idle);
        return;
    }
    DeviceCommand* command = m_queue.takeFirst().data();
    m_lastSend.start();
    sendToDevice(command->execute());
    emit commandSent(command);
    if (command->parent() == nullptr) {
        command->deleteLater();
    }
    if (!m_receiverTimer.isActive()) {
        m_receiverTimer.start();
    }
}

void DeviceEventDispatcher::checkNewDataArrived() {
    const QPointer<DeviceIoDataProvider> provider = m_provider;
    if (provider.isNull()) {
        return;
    }
    const QList<QByteArray> reports = provider->getData();
    if (!provider->isReadFromDevice() && provider->isCompleted()) {
        emit LoggingCompleted();
        if (!provider.isNull()) {
            provider->close();
        }
        return;
    }
    if (!reports.isEmpty()) {
        adoptDeviceKindOf(provider.data());
    }
    const int fullSize = provider->responseSize();
    for (QByteArray report : reports) {
        while (!report.isEmpty()) {
            QByteArray packet = spliceChunk(report);
            packet.remove(0, kReportIdBytes);
            routePacket(packet, fullSize);
        }
    }
}

bool DeviceEventDispatcher::takeDeviceKindFromProvider() {
    const DeviceInfoData* info = m_provider ? m_provider->info() : nullptr;
    if (info == nullptr) {
        TLOG_WARNING(QStringLiteral("The provider names no device; the device kind is kept."));
        return false;
    }
    const DeviceUsbVidPid pair(static_cast<int>(info->vendorId), static_cast<int>(info->productId));
    const QString name = m_bridge->nameFromVidPid(pair.vid, pair.pid);
    if (name.isEmpty()) {
        TLOG_WARNING(QStringLiteral("No device kind owns %1,%2; the device kind is kept.")
                         .arg(pair.vid)
                         .arg(pair.pid));
        return false;
    }
    m_lastAdoptedPair = pair;
    m_bridge->setCurrentDeviceKind(name);
    TLOG_INFO(
        QStringLiteral("%1,%2 is found to be linked to %3.").arg(pair.vid).arg(pair.pid).arg(name));
    return true;
}

void DeviceEventDispatcher::adoptDeviceKindOf(const DeviceIoDataProvider* provider) {
    const DeviceInfoData* info = provider->info();
    if (m_bridge->currentDevice() != nullptr || info == nullptr) {
        return;
    }
    const DeviceUsbVidPid pair(static_cast<int>(info->vendorId), static_cast<int>(info->productId));
    if (pair == m_lastAdoptedPair) {
        return;  // already searched for; no kind owns it
    }
    m_lastAdoptedPair = pair;
    const QString name = m_bridge->nameFromVidPid(pair.vid, pair.pid);
    if (!name.isEmpty()) {
        m_bridge->setCurrentDeviceKind(name);
        TLOG_INFO(QStringLiteral("%1,%2 is found to be linked to %3.")
                      .arg(pair.vid)
                      .arg(pair.pid)
                      .arg(name));
    }
}

void DeviceEventDispatcher::routePacket(const QByteArray& packet, int fullSize) {
    const QPointer<DeviceResponseDelegate> delegate = findResponseDelegate(packet);
    m_lastDelegate = delegate;
    if (delegate.isNull()) {
        TLOG_WARNING(
            QStringLiteral("Ignoring unknown device response %1 bytes:\nHex Data Follows:%2")
                .arg(packet.size())
                .arg(QString::fromLatin1(packet.toHex())));
        return;
    }
    if (packet.size() >= fullSize) {
        emit newDataArrived();
        if (delegate.isNull()) {
            return;  // a listener tore the device kind down
        }
    }
    TLOG_INFO(QStringLiteral("Device Response Delegate found"));
    TLOG_INFO(delegate->name());
    // Registered delegates always have their kind as parent, so none is deleted here.
    delegate->addData(packet);
    delegate->execute();
}
