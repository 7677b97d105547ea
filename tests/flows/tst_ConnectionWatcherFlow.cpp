#include <QtTest>

#include "device/ConnectionWatcher.h"
#include "tests/support/SimRig.h"
#include "LogSpy.h"

namespace {
const QString kKeepAlive = QStringLiteral("Request keepalive packet.");
const QString kLost = QStringLiteral("Connection lost, trying reconnection.");
constexpr int kHeartbeatMs = 10;
constexpr int kTimeoutMs = 50;
}  // namespace

// The connection watcher over the virtual controller: a 10 ms heartbeat and a 50 ms
// silence timeout keep the proportions of the product's 100 ms and 500 ms.
class tst_ConnectionWatcherFlow : public QObject {
    Q_OBJECT

    struct Rig : SimRig {
        Rig() : watcher(&dispatcher, &ops) {
            watcher.setHeartbeatInterval(kHeartbeatMs);
            watcher.setConnectionTimeoutMs(kTimeoutMs);
        }
        ConnectionWatcher watcher;
    };

private slots:
    void initTestCase() { SimRig::useTestSettings(); }

    void answeringControllerStaysConnected() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        LogSpy log;
        QSignalSpy lost(&rig.watcher, &ConnectionWatcher::sigDisconnected);
        rig.watcher.doConnections();
        QTRY_VERIFY(log.count(SillyLogger::Information, kKeepAlive) >= 8);
        QCOMPARE(log.count(SillyLogger::Information, kLost), 0);
        QCOMPARE(rig.watcher.state(), int(ConnectionWatcher::Connected));
        QCOMPARE(lost.count(), 0);
    }

    // Two keep-alive requests go unanswered; the third silent period starts a forced
    // presence check, which finds the (silent but plugged) controller.
    void silentControllerGetsTwoRequestsThenACheck() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        LogSpy log;
        connect(SillyLogger::instance(), &SillyLogger::logMessageSignal, &rig.watcher,
                [&rig](quint8, const QString& text) {
                    if (text.endsWith(kLost)) {
                        rig.watcher.pause();
                    }
                });
        rig.board.setSilent(true);
        rig.watcher.doConnections();
        QTRY_VERIFY(!rig.watcher.isRunning());
        QCOMPARE(log.count(SillyLogger::Information, kKeepAlive), 2);
        QCOMPARE(log.count(SillyLogger::Information, kLost), 1);
        QCOMPARE(rig.watcher.state(), int(ConnectionWatcher::ForcedCheck));
        rig.watcher.heartBeatHandler();
        QCOMPARE(rig.watcher.state(), int(ConnectionWatcher::Connected));
    }

    void unpluggedControllerIsReportedAndReconnected() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        QSignalSpy lost(&rig.watcher, &ConnectionWatcher::sigDisconnected);
        QSignalSpy back(&rig.watcher, &ConnectionWatcher::sigReconnecting);
        rig.watcher.doConnections();
        rig.board.unplug();
        QVERIFY(lost.wait(SimRig::kWaitMs));
        QCOMPARE(rig.watcher.state(), int(ConnectionWatcher::Reconnecting));
        QCOMPARE(back.count(), 0);
        rig.board.replug();
        QVERIFY(back.wait(SimRig::kWaitMs));
        QCOMPARE(rig.watcher.state(), int(ConnectionWatcher::Connected));
        // The reconnected controller answers again.
        QSignalSpy answers(rig.parameters(),
                           &ResponseDelegateCurrentParameters::signalTouchThreshold);
        rig.dispatcher.queueCommand(CommandFactory::getParams());
        QVERIFY(answers.wait(SimRig::kWaitMs));
        QCOMPARE(lost.count(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_ConnectionWatcherFlow)
#include "tst_ConnectionWatcherFlow.moc"
