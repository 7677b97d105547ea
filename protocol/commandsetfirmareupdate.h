#pragma once

#include "device/DeviceCommand.h"
#include "protocol/DeviceStateMutator.h"
#include "protocol/FirmwareUpdateAccessor.h"
#include "protocol/FirmwareWriteAccessor.h"

// A firmware-update request built from an earlier firmware-update answer (normally a copy
// of the "FirmwareUpdate" delegate's data()): header set (22) or item set (24). The
// writers edit the working copy and choose the request code; the readers read the same
// copy. Built by CommandFactory::firmwareUpdateCommand; queue it after writing.
class commandsetfirmareupdate : public DeviceCommand,
                                public FirmwareUpdateAccessor,
                                public FirmwareWriteAccessor,
                                public DeviceStateMutator {
    Q_OBJECT
public:
    // A new command sends a header set until an item writer makes it an item set.
    explicit commandsetfirmareupdate(QObject* parent = nullptr);
    bool isStateMutating() const override { return true; }

    const QByteArray& firmwareBlock() const override { return workingCopy(); }
    QByteArray& writableFirmwareBlock() override { return workingCopy(); }

    // Only the low 8 bits are sent.
    void setRequestCode(int requestCode) override;
    int requestCode() const { return m_requestCode; }

public slots:
    // The request code followed by bytes 2.. of the working copy (at most 59 bytes).
    QByteArray execute() override;

private:
    quint8 m_requestCode;
};
