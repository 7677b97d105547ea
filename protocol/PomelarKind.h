#pragma once

#include "device/DeviceKind.h"

// The device kind of our controller, object name "PomelarKind". It owns the pairs
// 0x25C8:0x0014, 0x102E:0x0014 and 0x14C8:0x0005 (tried in that order), the response
// delegates of the controller's answers and streams, and a PomelarCommandFactory.
//
// Set-up: DeviceEventDispatcher::registerDeviceKind(new PomelarKind(dispatcher->deviceBridge())).
// Delegates are looked up by name through DeviceEventDispatcher::responseDelegate().
class PomelarKind : public DeviceKind {
    Q_OBJECT
public:
    static constexpr int kOrvelloVid = 0x25C8;
    static constexpr int kOrvelloPid = 0x0014;
    static constexpr int kSecondVid = 0x102E;
    static constexpr int kSecondPid = 0x0014;
    static constexpr int kThirdVid = 0x14C8;
    static constexpr int kThirdPid = 0x0005;

    explicit PomelarKind(QObject* parent = nullptr);

    QString parametersDelegateName() const override;

protected:
    void registerVidPids() override;
    void registerDelegates() override;
    void createCommandFactory() override;
};
