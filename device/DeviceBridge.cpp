#include "DeviceBridge.h"

#include "logging/LogMacros.h"
#include "device/DeviceKind.h"

namespace {
constexpr int kHexBase = 16;
}

DeviceBridge::DeviceBridge(QObject* parent) : QObject(parent) {}

DeviceBridge::~DeviceBridge() = default;

void DeviceBridge::addDeviceKind(DeviceKind* kind) {
    if (kind == nullptr || kind->objectName().isEmpty()) {
        TLOG_WARNING(QStringLiteral("A device kind without a name was not added."));
        return;
    }
    DeviceKind* previous = m_kinds.value(kind->objectName());
    if (previous == kind) {
        return;
    }
    kind->setParent(this);
    m_kinds.insert(kind->objectName(), kind);
    delete previous;
}

DeviceKind* DeviceBridge::deviceKind(const QString& name) const {
    return m_kinds.value(name);
}

QString DeviceBridge::nameFromVidPid(int vid, int pid) const {
    TLOG_INFO(QStringLiteral("Searching for VID: %1 (HEX: %2),  VID: %3 (HEX: %4)")
                  .arg(vid)
                  .arg(vid, 0, kHexBase)
                  .arg(pid)
                  .arg(pid, 0, kHexBase));
    for (auto it = m_kinds.cbegin(); it != m_kinds.cend(); ++it) {
        if (!it.value().isNull() && it.value()->isVidPidOwned(vid, pid)) {
            TLOG_INFO(QStringLiteral("Found Device Name %1").arg(it.key()));
            return it.key();
        }
    }
    return QString();
}

void DeviceBridge::setCurrentDeviceKind(const QString& name) {
    m_current = m_kinds.value(name);
    if (m_current.isNull()) {
        TLOG_WARNING(QStringLiteral("Device {%1} not found, current device is NULL!").arg(name));
    }
}

QList<DeviceUsbVidPid> DeviceBridge::updateVidPidList() const {
    if (!m_current.isNull()) {
        return m_current->vidPidList();
    }
    QList<DeviceUsbVidPid> pairs;
    for (auto it = m_kinds.cbegin(); it != m_kinds.cend(); ++it) {
        if (it.value().isNull()) {
            continue;
        }
        const QList<DeviceUsbVidPid>& kindPairs = it.value()->vidPidList();
        pairs.append(kindPairs);
        TLOG_INFO(QStringLiteral("Device %1 added %2 vid&pid pairs.")
                      .arg(it.key())
                      .arg(kindPairs.size()));
    }
    return pairs;
}
