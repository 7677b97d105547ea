#pragma once

#include "device/DeviceCommand.h"

// A request made of an opcode and an optional fixed payload.
class SimpleCommand : public DeviceCommand {
    Q_OBJECT
public:
    // Only the low 8 bits of the opcode are sent.
    explicit SimpleCommand(int opcode);

    void appendPayload(const QByteArray& payload);

public slots:
    // The opcode byte followed by the payload.
    QByteArray execute() override;

private:
    int m_opcode;
    QByteArray m_payload;
};
