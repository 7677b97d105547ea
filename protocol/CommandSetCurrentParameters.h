#pragma once

#include "device/DeviceCommand.h"
#include "protocol/DeviceStateMutator.h"
#include "protocol/ParameterReadAccessor.h"
#include "protocol/ParameterWriteAccessor.h"

// Writes the whole current-parameters block back to the controller (opcode 4). Built by
// CommandFactory::setParams from a copy of the "CurrentParameters" delegate's block; the
// caller edits it through the writers and queues it. Both accessors work on the working
// copy.
class CommandSetCurrentParameters : public DeviceCommand,
                                    public ParameterReadAccessor,
                                    public ParameterWriteAccessor,
                                    public DeviceStateMutator {
    Q_OBJECT
public:
    explicit CommandSetCurrentParameters(QObject* parent = nullptr);
    bool isStateMutating() const override { return true; }

    const QByteArray& parameterBlock() const override { return workingCopy(); }
    QByteArray& writableParameterBlock() override { return workingCopy(); }

public slots:
    // Opcode 4 followed by block bytes 2.. of the working copy: a 60-byte block gives
    // 59 bytes, block byte k travelling as command byte k - 1. At most 59 bytes.
    QByteArray execute() override;
};
