#pragma once

#include "device/DeviceCommand.h"
#include "protocol/DeviceStateMutator.h"
#include "protocol/FilterAccessor.h"
#include "protocol/FilterWriteAccessor.h"

// Writes the filter set back: built from a received filter report (setPreviousResponse),
// edited through the FilterWriteAccessor writers, sent as opcode 18 followed by report
// bytes 2.. of the edited copy (a field at report offset k travels as command byte k-1).
class CommandSetFilterAB : public DeviceCommand,
                           public FilterAccessor,
                           public FilterWriteAccessor,
                           public DeviceStateMutator {
    Q_OBJECT
public:
    CommandSetFilterAB() = default;
    bool isStateMutating() const override { return true; }

public slots:
    QByteArray execute() override;

protected:
    const QByteArray& floatBlock() const override { return workingCopy(); }
    QByteArray& floatWriteBlock() override { return workingCopy(); }
};
