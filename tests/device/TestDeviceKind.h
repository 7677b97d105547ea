#pragma once

#include <QList>

#include "device/DeviceCommand.h"
#include "device/DeviceKind.h"
#include "device/DeviceResponseDelegate.h"

// A delegate that understands a fixed set of response codes and keeps every packet it
// was given, in order.
class TestDelegate : public DeviceResponseDelegate {
public:
    TestDelegate(const QString& name, QList<int> codes, QObject* parent = nullptr)
        : DeviceResponseDelegate(parent), m_name(name), m_codes(codes) {}

    QString name() const override { return m_name; }
    bool isUnderstood(QByteArray data) override { return m_codes.contains(responseCodeOf(data)); }
    void execute() override {
        packets.append(data());
        emit valuesChanged();
    }

    QList<QByteArray> packets;

private:
    QString m_name;
    QList<int> m_codes;
};

// A kind with the three pairs of our controller, tried in the same order, and three
// delegates registered out of name order: "Gamma" (3), "Beta" (1, 2), "Alpha" (3).
class TestDeviceKind : public DeviceKind {
public:
    explicit TestDeviceKind(QObject* parent, const QString& name = QStringLiteral("TestKind"))
        : DeviceKind(parent) {
        setObjectName(name);
        initialize();
    }

    TestDelegate* delegate(const QString& name) const {
        return static_cast<TestDelegate*>(delegateByName(name));
    }

protected:
    void registerVidPids() override {
        setUsbPidList({DeviceUsbVidPid(0x25C8, 0x0014), DeviceUsbVidPid(0x102E, 0x0014),
                       DeviceUsbVidPid(0x14C8, 0x0005)});
    }
    void registerDelegates() override {
        registerResponseDelegate(new TestDelegate(QStringLiteral("Gamma"), {3}, this));
        registerResponseDelegate(new TestDelegate(QStringLiteral("Beta"), {1, 2}, this));
        registerResponseDelegate(new TestDelegate(QStringLiteral("Alpha"), {3}, this));
    }
    void createCommandFactory() override {}
};

// A request with fixed bytes.
class TestCommand : public DeviceCommand {
public:
    explicit TestCommand(QByteArray bytes, QObject* parent = nullptr)
        : DeviceCommand(parent), m_bytes(bytes) {}
    QByteArray execute() override {
        ++executions;
        return m_bytes;
    }
    int executions = 0;

private:
    QByteArray m_bytes;
};

// A request that writes back a block of the controller, with fixed bytes.
class TestSetCommand : public TestCommand {
public:
    using TestCommand::TestCommand;
    bool isStateMutating() const override { return true; }
};
