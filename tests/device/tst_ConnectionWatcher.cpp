#include <QtTest>

#include "device/ConnectionWatcher.h"
#include "device/DeviceBridge.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/PomelarKind.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "LogSpy.h"
#include "ScriptedProvider.h"

namespace {
// A device the watcher can lose and find again.
class WatchedProvider : public ScriptedProvider {
public:
    bool isWatchDogNeeded() const override { return watchdogNeeded; }
    bool rescan() override { return present; }
    bool reconnect() override { return present; }

    bool watchdogNeeded = true;
    bool present = true;
};

// A quiet current-parameters answer; byte 12 carries the soft-reset bit 0x20.
QByteArray answer(bool softReset) {
    QByteArray block(60, '\0');
    block[1] = 3;
    block[12] = softReset ? 0x20 : 0;
    return block;
}
}  // namespace

class QueryDataTarget : public QObject {
    Q_OBJECT
public slots:
    void queryData() { ++calls; }

public:
    int calls = 0;
};

class tst_ConnectionWatcher : public QObject {
    Q_OBJECT

    struct Rig {
        Rig() : watcher(&dispatcher) {
            dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
            dispatcher.registerDeviceIoDataProvider(&provider);
            dispatcher.setDeviceIoDataProvider(provider.name());
            dispatcher.setDeviceKind(0x25C8, 0x14);
        }
        ResponseDelegateCurrentParameters* parameters() {
            return qobject_cast<ResponseDelegateCurrentParameters*>(
                dispatcher.responseDelegate(QStringLiteral("CurrentParameters")));
        }
        void feed(bool softReset) {
            parameters()->addData(answer(softReset));
            parameters()->execute();
        }
        DeviceEventDispatcher dispatcher;
        WatchedProvider provider;
        ConnectionWatcher watcher;
    };

private slots:
    // Ticks are driven by hand here, so the counts do not depend on the timer.
    void replayNeedsNoKeepAlive() {
        Rig rig;
        rig.provider.watchdogNeeded = false;
        for (int tick = 0; tick < 30; ++tick) {
            rig.watcher.heartBeatHandler();
        }
        QCOMPARE(rig.watcher.state(), 3);
        QCOMPARE(rig.dispatcher.queuedCommandCount(), 0);
    }

    // Script: "action>state ...": force, open, close, disc, conn, tick, gone, back.
    void transitions_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("disconnected");
        QTest::addColumn<int>("reconnecting");
        QTest::addRow("forced check finds the device") << "force>6 tick>3" << 0 << 0;
        QTest::addRow("forced check, device gone, then back")
            << "gone force>6 tick>2 tick>2 back tick>3" << 1 << 1;
        QTest::addRow("close, device gone") << "gone close>4 tick>5 tick>0 tick>5 tick>0" << 2 << 0;
        QTest::addRow("close, device present") << "close>4 tick>5 tick>3" << 0 << 0;
        QTest::addRow("open after a disconnection")
            << "gone disc>5 tick>0 back open>1 tick>2 tick>3" << 1 << 1;
        QTest::addRow("force and close do nothing when disconnected")
            << "gone disc>5 tick>0 force>0 close>0" << 1 << 0;
        QTest::addRow("open does nothing when connected") << "open>3 tick>3" << 0 << 0;
        QTest::addRow("connected by hand") << "gone disc>5 conn>3" << 0 << 1;
    }
    void transitions() {
        QFETCH(QString, script);
        QFETCH(int, disconnected);
        QFETCH(int, reconnecting);
        Rig rig;
        QSignalSpy lost(&rig.watcher, &ConnectionWatcher::sigDisconnected);
        QSignalSpy back(&rig.watcher, &ConnectionWatcher::sigReconnecting);
        QSignalSpy connected(&rig.watcher, &ConnectionWatcher::sigConnected);
        ConnectionWatcher& w = rig.watcher;
        const QMap<QString, std::function<void()>> actions{{"force", [&] { w.forceReconnect(); }},
                                                           {"open", [&] { w.openConnection(); }},
                                                           {"close", [&] { w.closeConnection(); }},
                                                           {"disc", [&] { w.setStateDisConnected(); }},
                                                           {"conn", [&] { w.setStateConnected(); }},
                                                           {"tick", [&] { w.heartBeatHandler(); }},
                                                           {"gone", [&] { rig.provider.present = false; }},
                                                           {"back", [&] { rig.provider.present = true; }}};
        for (const QString& step : script.split(QLatin1Char(' '))) {
            const QStringList parts = step.split(QLatin1Char('>'));
            QVERIFY(actions.contains(parts.at(0)));
            actions.value(parts.at(0))();
            if (parts.size() > 1) {
                QVERIFY2(w.state() == parts.at(1).toInt(), qPrintable(step));
            }
        }
        QCOMPARE(lost.count(), disconnected);
        QCOMPARE(back.count(), reconnecting);
        QCOMPARE(connected.count(), 0);
    }

    // A reconnected device starts with a fresh silence count, not with the time spent
    // reconnecting.
    void reconnectedDeviceIsNotLostAtOnce() {
        Rig rig;
        LogSpy log;
        rig.provider.present = false;
        rig.watcher.forceReconnect();
        for (int tick = 0; tick < 20; ++tick) {
            rig.watcher.heartBeatHandler();
        }
        rig.provider.present = true;
        rig.watcher.heartBeatHandler();
        QCOMPARE(rig.watcher.state(), 3);
        for (int tick = 1; tick <= 3; ++tick) {
            rig.watcher.heartBeatHandler();
            QCOMPARE(rig.watcher.state(), 3);
        }
        QCOMPARE(log.count(SillyLogger::Information, "Connection lost, trying reconnection."), 0);
        QCOMPARE(rig.dispatcher.queuedCommandCount(), 2);  // the first keep-alive, on tick 3
    }

    void softResetPausesTheHeartbeat() {
        Rig rig;
        rig.watcher.doConnections();
        QVERIFY(rig.watcher.isRunning());
        rig.feed(true);
        QVERIFY(!rig.watcher.isRunning());
        rig.watcher.heartBeatHandler();
        rig.feed(false);
        QVERIFY(rig.watcher.isRunning());
    }

    void queryDataIsDetached() {
        Rig rig;
        QueryDataTarget operations;
        ConnectionWatcher watcher(&rig.dispatcher, &operations);
        connect(rig.parameters(), SIGNAL(signalSoftResetActive()), &operations, SLOT(queryData()));
        rig.feed(true);
        QCOMPARE(operations.calls, 1);
        watcher.disConnectQueryData();
        rig.feed(true);
        QCOMPARE(operations.calls, 1);
    }
};

QTEST_GUILESS_MAIN(tst_ConnectionWatcher)
#include "tst_ConnectionWatcher.moc"
