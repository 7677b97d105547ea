#include <QtTest>

#include <memory>

#include "device/ConnectionWatcher.h"
#include "protocol/CommandSetCurrentParameters.h"
#include "tests/support/SimRig.h"
#include "FakeHidApi.h"
#include "LogSpy.h"

namespace {
constexpr int kHeartbeatMs = 10;
constexpr int kTimeoutMs = 50;
constexpr int kTouchThresholdOffset = 5;
}  // namespace

// Faults of the link, played against the virtual controller: the tool ends in the sound
// state, nothing hangs and nothing stale reaches the controller.
class tst_LinkFaultsFlow : public QObject {
    Q_OBJECT

    // The product's watcher with the proportions of its 100 ms beat and 500 ms timeout.
    struct Rig : SimRig {
        explicit Rig(const SimScenario& scenario = quickScenario())
            : SimRig(scenario), watcher(&dispatcher, &ops) {
            watcher.setHeartbeatInterval(kHeartbeatMs);
            watcher.setConnectionTimeoutMs(kTimeoutMs);
        }
        ConnectionWatcher watcher;
    };

private slots:
    void initTestCase() { SimRig::useTestSettings(); }

    // The system invalidates the handle while the controller stays listed: the tool
    // closes it, reports the loss once and reopens the controller, which answers again.
    void readErrorsWhileListedReopenTheController() {
        SimScenario scenario = SimRig::quickScenario();
        QVERIFY(scenario.applyArgument(QStringLiteral("readErrorAt=300")));
        Rig rig(scenario);
        QVERIFY(rig.connectBoard());
        QSignalSpy unplugged(&rig.provider, &DeviceIoDataProvider::deviceUnplugged);
        LogSpy log;
        rig.watcher.doConnections();
        QVERIFY(unplugged.wait(SimRig::kWaitMs));
        QVERIFY(rig.provider.isLost());
        QTRY_VERIFY_WITH_TIMEOUT(rig.provider.isOpen() && !rig.provider.isLost(), SimRig::kWaitMs);
        QVERIFY(rig.refresh());
        QCOMPARE(unplugged.count(), 1);
        QCOMPARE(log.count(SillyLogger::Warning, "Data requested with disconnected device."), 1);
        QCOMPARE(log.countContaining(SillyLogger::Information,
                                     "more data requests with disconnected device"),
                 1);
    }

    // A set command queued before the controller went away is dropped with the loss; the
    // controller keeps its value and, once back, gets only what was asked after.
    void staleSetCommandsNeverReachTheReturningController() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        const quint8 touch = rig.boardByte(kTouchThresholdOffset);
        rig.dispatcher.setQueueTimeInterval(60000);  // nothing leaves until the test says
        auto* stale = CommandFactory::setParams(rig.parameters()->data());
        stale->setTouchThreshold(quint8(touch + 7));
        rig.dispatcher.queueCommand(stale);
        rig.dispatcher.queueCommand(CommandFactory::getParams());
        rig.board.unplug();
        QVERIFY(!rig.provider.rescan());
        QCOMPARE(rig.dispatcher.queuedCommandCount(), 1);
        rig.board.replug();
        QTRY_VERIFY_WITH_TIMEOUT((rig.provider.rescan(), rig.provider.isOpen()), SimRig::kWaitMs);
        const int writes = rig.api->writes.size();
        rig.dispatcher.setQueueTimeInterval(2);
        QVERIFY(rig.refresh());
        QVERIFY(rig.settle());
        QCOMPARE(rig.writesOf(SimRig::kSetParametersOpcode).size(), 0);
        QVERIFY(rig.api->writes.size() > writes);
        QCOMPARE(rig.boardByte(kTouchThresholdOffset), touch);
    }

    // A report longer than one packet leaves a 3-byte tail with code 3: it is no block,
    // so the thresholds and output state of the whole block before it stand.
    void splitTailLeavesTheBlockAlone() {
        auto hid = std::make_shared<FakeHidApi>();
        HidApiIoDataProvider provider(hid);
        DeviceEventDispatcher dispatcher;
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        dispatcher.registerDeviceIoDataProvider(&provider);
        dispatcher.setDeviceIoDataProvider(provider.name());
        hid->attach(0x25C8, 0x14);
        QVERIFY(dispatcher.firstConnection());
        auto* parameters = qobject_cast<ResponseDelegateCurrentParameters*>(
            dispatcher.responseDelegate(QStringLiteral("CurrentParameters")));
        QVERIFY(parameters);
        QSignalSpy touch(parameters, &ResponseDelegateCurrentParameters::signalTouchThreshold);
        QSignalSpy output(parameters, &ResponseDelegateCurrentParameters::signalOutputChanged);
        // Report id, frame byte, code 3, touch threshold 200, output enabled (mode 2).
        QByteArray report = QByteArray::fromHex("010003118213c896000201") + QByteArray(50, '\0');
        report += QByteArray::fromHex("000003");
        hid->queueReport(report);
        dispatcher.checkNewDataArrived();
        QCOMPARE(touch.count(), 1);
        QCOMPARE(touch.first().first().toInt(), 200);
        QCOMPARE(output.count(), 1);
        QCOMPARE(parameters->touchThreshold(), 200);
        QVERIFY(parameters->isOutputEnabled());
        dispatcher.StopCommunication();
    }
};

QTEST_GUILESS_MAIN(tst_LinkFaultsFlow)
#include "tst_LinkFaultsFlow.moc"
