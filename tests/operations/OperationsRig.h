#pragma once

#include <QCoreApplication>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>

#include "ScriptedController.h"
#include "tests/support/SignalRecorder.h"
#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "operations/SetOperations.h"
#include "protocol/CommandFactory.h"
#include "protocol/PomelarKind.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"

// A dispatcher of its own with our controller's kind, the scripted controller as its
// provider, fast timers, and a SetOperations with short periods whose every signal is
// counted.
class OperationsRig {
public:
    static void useTestSettings() {
        QCoreApplication::setOrganizationName(QStringLiteral("Orvello"));
        QCoreApplication::setApplicationName(QStringLiteral("tavirelConfigSoftware"));
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }

    // "10=a0 27=c0": bytes changed from `base`, offset in decimal, value in hex.
    static QByteArray withBytes(QByteArray base, const QString& changes) {
        for (const QString& entry : changes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList parts = entry.split(QLatin1Char('='));
            base[parts.at(0).toInt()] = char(parts.at(1).toInt(nullptr, 16));
        }
        return base;
    }

    OperationsRig() : ops(&dispatcher) {
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        dispatcher.registerDeviceIoDataProvider(&controller);
        dispatcher.setDeviceIoDataProvider(controller.name());
        dispatcher.setDeviceKind(0x25C8, 0x14);
        dispatcher.setDefaultTimeIntervals(1, 1);
        SetOperations::Periods periods;
        periods.retryMs = 20;
        periods.quickRetryMs = 10;
        periods.testModeRetryMs = 25;
        periods.diagInTestModeRetryMs = 30;
        periods.slowInTestModeRetryMs = 35;
        ops.setPeriods(periods);
    }

    ResponseDelegateCurrentParameters* delegate() {
        return qobject_cast<ResponseDelegateCurrentParameters*>(
            dispatcher.responseDelegate(QStringLiteral("CurrentParameters")));
    }

    // Asks for the block and waits until the tool holds the controller's answer.
    bool start() {
        dispatcher.queueCommand(CommandFactory::getParams());
        return QTest::qWaitFor([this] { return delegate()->data() == controller.block; });
    }

    int emitted(const QByteArray& signal) const { return recorder.emitted(signal); }
    QVariantList arguments(const QByteArray& signal) const { return recorder.arguments(signal); }
    QStringList emittedSignals() const { return recorder.emittedSignals(); }
    // Waits until every loop has ended and the queue is empty.
    bool settle() {
        return QTest::qWaitFor(
            [this] { return ops.pendingPasses() == 0 && dispatcher.queuedCommandCount() == 0; });
    }

    DeviceEventDispatcher dispatcher;
    ScriptedController controller;
    SetOperations ops;
    SignalRecorder recorder{&ops};
};
