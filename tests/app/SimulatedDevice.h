#pragma once

#include <memory>

#include "device/DeviceEventDispatcher.h"
#include "device/HidApiIoDataProvider.h"
#include "sim/SimScenario.h"
#include "sim/VirtualController.h"
#include "sim/VirtualHidApi.h"

// The virtual controller on a simulated USB bus, behind the HID provider, registered with
// the process-wide dispatcher as the current provider: what --simulate builds.
struct SimulatedDevice {
    explicit SimulatedDevice(const SimScenario& scenario = SimScenario())
        : controller(scenario),
          hidApi(std::make_shared<VirtualHidApi>(&controller)),
          provider(hidApi) {
        DeviceEventDispatcher* dispatcher = DeviceEventDispatcher::instance();
        dispatcher->registerDeviceIoDataProvider(&provider);
        dispatcher->setDeviceIoDataProvider(provider.name());
    }

    VirtualController controller;
    std::shared_ptr<VirtualHidApi> hidApi;
    HidApiIoDataProvider provider;
};
