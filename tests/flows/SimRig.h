#pragma once

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <memory>

#include "../operations/SignalRecorder.h"
#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "device/HidApiIoDataProvider.h"
#include "operations/SetOperations.h"
#include "protocol/CommandFactory.h"
#include "protocol/PomelarKind.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"
#include "sim/VirtualHidApi.h"

// The simulated bus, keeping every output report the HID provider writes.
class RecordingHidApi : public VirtualHidApi {
public:
    using VirtualHidApi::VirtualHidApi;
    int write(HidDeviceHandle* device, const unsigned char* data, size_t length) override {
        writes.append(QByteArray(reinterpret_cast<const char*>(data), int(length)));
        return VirtualHidApi::write(device, data, length);
    }
    QList<QByteArray> writes;
};

// The tool's device link and parameter operations over the virtual controller: the real
// HID provider on the simulated bus, a dispatcher of its own with our controller's kind,
// quick timers and short retry periods.
class SimRig {
public:
    // Output report: report id, packet index, opcode, then block byte k at report byte k+1.
    static constexpr int kOpcode = 2;

    static void useTestSettings() {
        QCoreApplication::setOrganizationName(QStringLiteral("Orvello"));
        QCoreApplication::setApplicationName(QStringLiteral("tavirelConfigSoftware"));
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }

    static SimScenario quickScenario() {
        SimScenario scenario;
        scenario.latencyMs = 1;
        scenario.softResetMs = 60;
        return scenario;
    }

    explicit SimRig(const SimScenario& scenario = quickScenario())
        : controller(scenario),
          api(std::make_shared<RecordingHidApi>(&controller)),
          provider(api),
          ops(&dispatcher) {
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        dispatcher.registerDeviceIoDataProvider(&provider);
        dispatcher.setDeviceIoDataProvider(provider.name());
        dispatcher.setDefaultTimeIntervals(2, 1);
        SetOperations::Periods periods;
        periods.retryMs = 20;
        periods.quickRetryMs = 10;
        periods.testModeRetryMs = 25;
        periods.diagInTestModeRetryMs = 30;
        periods.slowInTestModeRetryMs = 35;
        ops.setPeriods(periods);
    }

    ResponseDelegateCurrentParameters* parameters() {
        return qobject_cast<ResponseDelegateCurrentParameters*>(
            dispatcher.responseDelegate(QStringLiteral("CurrentParameters")));
    }

    // Opens the controller and waits for its first block.
    bool connectController() {
        if (!dispatcher.firstConnection()) {
            return false;
        }
        dispatcher.queueCommand(CommandFactory::getParams());
        return QTest::qWaitFor([this] { return parameters()->data().size() == 60; });
    }

    // Waits until every loop has ended and the queue is empty.
    bool settle() {
        return QTest::qWaitFor(
            [this] { return ops.pendingPasses() == 0 && dispatcher.queuedCommandCount() == 0; });
    }

    QList<QByteArray> writesOf(int opcode) const {
        QList<QByteArray> found;
        for (const QByteArray& report : api->writes) {
            if (report.size() > kOpcode && quint8(report.at(kOpcode)) == opcode) {
                found << report;
            }
        }
        return found;
    }

    VirtualController controller;
    std::shared_ptr<RecordingHidApi> api;
    HidApiIoDataProvider provider;
    DeviceEventDispatcher dispatcher;
    SetOperations ops;
    SignalRecorder recorder{&ops};
};
