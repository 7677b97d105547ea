#pragma once

#include "device/DeviceResponseDelegate.h"
#include "protocol/FirmwareUpdateAccessor.h"

// Receives the answers of the firmware-update sub-protocol, response codes 22 to 29 (the
// request code plus 2), registered as "FirmwareUpdate". The readers of
// FirmwareUpdateAccessor read the last answer.
//
// execute() emits the signal of the answer's code, then signal_SequenceUpdate() and
// signal_TimerUpdate(). A packet of another code emits nothing (logged as a warning).
class ResponseDelegateFirmwareUpdate : public DeviceResponseDelegate,
                                       public FirmwareUpdateAccessor {
    Q_OBJECT
public:
    explicit ResponseDelegateFirmwareUpdate(QObject* parent = nullptr);

    // The name the device kind files this delegate under.
    static QString registryName();
    QString name() const override { return registryName(); }
    // True exactly when byte 1 is 22..29.
    bool isUnderstood(QByteArray data) override;

    const QByteArray& firmwareBlock() const override { return data(); }

signals:
    void signal_DoneStoreClear();       // 22
    void signal_DoneStoreIsClear();     // 23
    void signal_DoneHeaderSetParams();  // 24
    void signal_DoneHeaderGetParams();  // 25
    void signal_DoneItemsSetParams();   // 26
    void signal_DoneItemGetParams();    // 27
    void signal_DoneUpdateIsReady();    // 28
    void signal_DoneUpdatePerform();    // 29
    void signal_SequenceUpdate();
    void signal_TimerUpdate();

public slots:
    void execute() override;
};
