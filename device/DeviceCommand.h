#pragma once

#include <QByteArray>
#include <QObject>

// A request to the controller. Created without a parent and queued on the dispatcher,
// which calls execute() once when the command's tick comes and then deletes it.
class DeviceCommand : public QObject {
    Q_OBJECT
public:
    explicit DeviceCommand(QObject* parent = nullptr) : QObject(parent) {}

    // True for a command that writes back a block the controller sent earlier. Such a
    // command is stale once the controller has been lost, so the dispatcher drops it.
    virtual bool isStateMutating() const { return false; }

public slots:
    // The command bytes, opcode first (at most 59 bytes: opcode and 58 payload bytes).
    // The dispatcher adds the packet index and the provider the report id.
    virtual QByteArray execute() = 0;
};
