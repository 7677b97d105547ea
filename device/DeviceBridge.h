#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

#include "device/DeviceKind.h"
#include "device/DeviceUsbVidPid.h"

// Registry of the device kinds and of the one that is current (null until a device is
// recognised). Owned by the dispatcher. The device layer knows no concrete kind: the
// program adds them (PomelarKind) through addDeviceKind, normally by way of
// DeviceEventDispatcher::registerDeviceKind.
class DeviceBridge : public QObject {
    Q_OBJECT
public:
    explicit DeviceBridge(QObject* parent = nullptr);
    ~DeviceBridge() override;

    // Files the kind under its objectName() and becomes its parent; a kind of the same
    // name replaces (and deletes) the earlier one. Null or unnamed kinds are refused
    // with a warning.
    void addDeviceKind(DeviceKind* kind);
    DeviceKind* deviceKind(const QString& name) const;
    QStringList deviceKindNames() const { return m_kinds.keys(); }

    DeviceKind* currentDevice() const { return m_current; }
    // The name of the first kind, in ascending name order, owning the pair; empty if none.
    QString nameFromVidPid(int vid, int pid) const;
    // Makes the named kind current; an unknown (or empty) name logs a warning and leaves
    // no kind current.
    void setCurrentDeviceKind(const QString& name);
    // The current kind's pairs, or, with no kind current, every kind's pairs in ascending
    // order of kind name.
    QList<DeviceUsbVidPid> updateVidPidList() const;

private:
    QMap<QString, QPointer<DeviceKind>> m_kinds;
    QPointer<DeviceKind> m_current;
};
