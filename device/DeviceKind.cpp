#include "DeviceKind.h"

#include "logging/LogMacros.h"
#include "device/DeviceCommandFactory.h"
#include "device/DeviceResponseDelegate.h"

DeviceKind::DeviceKind(QObject* parent) : QObject(parent) {
    if (parent == nullptr) {
        TLOG_CRITICAL(QStringLiteral("%1 needs a parent, it can't be orphan, expect problems.")
                          .arg(objectName()));
    }
}

DeviceKind::~DeviceKind() = default;

void DeviceKind::initialize() {
    registerVidPids();
    registerDelegates();
    createCommandFactory();
}

bool DeviceKind::isVidPidOwned(int vid, int pid) const {
    return m_vidPidList.contains(DeviceUsbVidPid(vid, pid));
}

void DeviceKind::setCommandFactory(DeviceCommandFactory* factory) {
    if (m_commandFactory) {
        TLOG_WARNING(QStringLiteral("The command factory pointer in %1 is already allocated!")
                         .arg(objectName()));
    }
    m_commandFactory.reset(factory);
}

void DeviceKind::registerResponseDelegate(DeviceResponseDelegate* delegate) {
    if (delegate == nullptr) {
        TLOG_WARNING(QStringLiteral("A null response delegate was not registered."));
        return;
    }
    if (delegate->parent() == nullptr) {
        delegate->setParent(this);
    }
    const QString name = delegate->name();
    m_delegates.insert(name, delegate);
    TLOG_INFO(QStringLiteral("Item added to response registry: %1").arg(name));
}

DeviceResponseDelegate* DeviceKind::delegateByName(const QString& name) const {
    return m_delegates.value(name, nullptr);
}

DeviceResponseDelegate* DeviceKind::delegateByData(const QByteArray& data) const {
    // QMap iterates in ascending key order, which is the routing order.
    for (DeviceResponseDelegate* delegate : m_delegates) {
        if (delegate->isUnderstood(data)) {
            return delegate;
        }
    }
    return nullptr;
}
