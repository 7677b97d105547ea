#pragma once

#include <memory>

#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "device/HidApiIoDataProvider.h"
#include "protocol/PomelarKind.h"
#include "sim/VirtualController.h"
#include "sim/VirtualHidApi.h"

// The tool's device link over a virtual controller of the given scenario, as the benchmark
// drivers use it: the real HID provider on the simulated bus and a dispatcher of its own.
struct SimLink {
    static constexpr int kConnectAttempts = 3;

    explicit SimLink(const SimScenario& scenario = SimScenario())
        : board(scenario), provider(std::make_shared<VirtualHidApi>(&board)) {
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        dispatcher.registerDeviceIoDataProvider(&provider);
        dispatcher.setDeviceIoDataProvider(provider.name());
    }
    ~SimLink() { dispatcher.StopCommunication(); }
    bool connect() {
        for (int attempt = 0; attempt < kConnectAttempts && !provider.isOpen(); ++attempt) {
            dispatcher.firstConnection();
        }
        return provider.isOpen();
    }

    VirtualController board;
    HidApiIoDataProvider provider;
    DeviceEventDispatcher dispatcher;
};
