#pragma once

#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "device/HidApiIoDataProvider.h"
#include "operations/SetOperations.h"
#include "protocol/CommandFactory.h"
#include "protocol/PomelarKind.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"
#include "sim/VirtualController.h"
#include "sim/VirtualHidApi.h"

// The virtual controller behind the real HID provider, a dispatcher and operations of the
// test's own, all with short periods, so a whole exchange takes a few milliseconds.
struct SimulatedLink {
    static constexpr int kCommandIntervalMs = 2;
    static constexpr int kReceiveIntervalMs = 1;
    static constexpr int kRetryMs = 10;

    explicit SimulatedLink(SimScenario scenario) {
        scenario.latencyMs = 1;
        scenario.edgeIntervalMs = 5;
        scenario.softResetMs = 30;
        controller = std::make_unique<VirtualController>(scenario);
        provider = std::make_unique<HidApiIoDataProvider>(
            std::make_shared<VirtualHidApi>(controller.get()));
        dispatcher = std::make_unique<DeviceEventDispatcher>();
        dispatcher->registerDeviceKind(new PomelarKind(dispatcher->deviceBridge()));
        dispatcher->registerDeviceIoDataProvider(provider.get());
        dispatcher->setDeviceIoDataProvider(provider->name());
        dispatcher->setDefaultTimeIntervals(kCommandIntervalMs, kReceiveIntervalMs);
        operations = std::make_unique<SetOperations>(dispatcher.get());
        SetOperations::Periods periods;
        periods.retryMs = kRetryMs;
        periods.quickRetryMs = kRetryMs;
        periods.testModeRetryMs = kRetryMs;
        periods.diagInTestModeRetryMs = kRetryMs;
        periods.slowInTestModeRetryMs = kRetryMs;
        operations->setPeriods(periods);
    }

    ~SimulatedLink() { dispatcher->StopCommunication(); }

    // Opens the controller and waits for its first parameter block. False on failure.
    bool connectAndRead() {
        for (int attempt = 0; attempt < 3 && !provider->isOpen(); ++attempt) {
            dispatcher->firstConnection();
        }
        if (!provider->isOpen()) {
            return false;
        }
        QSignalSpy started(parameters(), &ResponseDelegateCurrentParameters::signalBoardStarted);
        dispatcher->queueCommand(CommandFactory::getParams());
        return started.wait();
    }

    template <typename Delegate>
    Delegate* delegate(const char* name) const {
        return qobject_cast<Delegate*>(dispatcher->responseDelegate(QString::fromLatin1(name)));
    }
    ResponseDelegateCurrentParameters* parameters() const {
        return delegate<ResponseDelegateCurrentParameters>("CurrentParameters");
    }

    std::unique_ptr<VirtualController> controller;
    std::unique_ptr<HidApiIoDataProvider> provider;
    std::unique_ptr<DeviceEventDispatcher> dispatcher;
    std::unique_ptr<SetOperations> operations;
};
