#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <memory>

#include "device/DeviceUsbVidPid.h"

class DeviceCommandFactory;
class DeviceResponseDelegate;

// One family of controller boards: the VID/PID pairs it enumerates with, the response
// delegates that parse its packets (children of the kind) and the factory that builds
// its requests. A kind must have a parent (the bridge). A subclass constructor sets the
// object name and then calls initialize().
class DeviceKind : public QObject {
    Q_OBJECT
public:
    // Logs a critical message when parent is null.
    explicit DeviceKind(QObject* parent = nullptr);
    ~DeviceKind() override;

    // registerVidPids(), registerDelegates(), createCommandFactory(), in that order.
    void initialize();

    void setUsbPidList(QList<DeviceUsbVidPid> list) { m_vidPidList = list; }
    const QList<DeviceUsbVidPid>& vidPidList() const { return m_vidPidList; }
    bool isVidPidOwned(int vid, int pid) const;

    // Takes ownership (shared with commandFactoryShared() holders). Replacing a factory
    // that is already set logs a warning; the old one dies when no longer shared.
    void setCommandFactory(DeviceCommandFactory* factory);
    DeviceCommandFactory* commandFactory() const { return m_commandFactory.get(); }
    std::shared_ptr<DeviceCommandFactory> commandFactoryShared() const { return m_commandFactory; }

    // Files the delegate under its name(); a later delegate of the same name replaces
    // the earlier one in the registry. The kind becomes the delegate's parent when it has
    // none. Null is ignored with a warning.
    void registerResponseDelegate(DeviceResponseDelegate* delegate);
    // The delegate filed under name, or nullptr.
    DeviceResponseDelegate* delegateByName(const QString& name) const;
    // The first delegate, in ascending order of name, whose isUnderstood(data) is true;
    // nullptr when none understands the packet.
    DeviceResponseDelegate* delegateByData(const QByteArray& data) const;
    // Registered names in ascending order.
    QStringList delegateNames() const { return m_delegates.keys(); }
    // The name of the delegate that holds the controller's parameter block and reports
    // its soft resets (the connection watcher pauses on them); empty when the kind has none.
    virtual QString parametersDelegateName() const { return QString(); }

protected:
    virtual void registerVidPids() = 0;
    virtual void registerDelegates() = 0;
    virtual void createCommandFactory() = 0;

private:
    QList<DeviceUsbVidPid> m_vidPidList;
    std::shared_ptr<DeviceCommandFactory> m_commandFactory;
    QMap<QString, DeviceResponseDelegate*> m_delegates;
};
