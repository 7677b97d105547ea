#pragma once

#include "device/DeviceCommand.h"
#include "protocol/DeviceStateMutator.h"
#include "protocol/TrackerAccessor.h"
#include "protocol/TrackerWriteAccessor.h"

// Writes the tracker set back: built from a received tracker report
// (setPreviousResponse), edited through the TrackerWriteAccessor writers (which stamp
// report byte 14 with the remembered parameter version), sent as opcode 35 followed by
// report bytes 2.. of the edited copy (report offset k travels as command byte k-1).
class CommandSetTrackerParams : public DeviceCommand,
                                public TrackerAccessor,
                                public TrackerWriteAccessor,
                                public DeviceStateMutator {
    Q_OBJECT
public:
    CommandSetTrackerParams() = default;
    bool isStateMutating() const override { return true; }

public slots:
    QByteArray execute() override;

protected:
    const QByteArray& floatBlock() const override { return workingCopy(); }
    QByteArray& floatWriteBlock() override { return workingCopy(); }
};
