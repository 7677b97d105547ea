#include <QtTest>

#include <functional>

#include "device/ConnectionWatcher.h"
#include "protocol/ParameterFieldSupport.h"
#include "protocol/ParameterVersion.h"
#include "sim/SimParameterBlock.h"
#include "tests/support/SignalRecorder.h"
#include "tests/support/SimRig.h"

using Invoke = std::function<void(SetOperations&)>;
Q_DECLARE_METATYPE(Invoke)

namespace {
// "3=78 10/ac=ac": block byte 3 is 0x78, and byte 10 masked with 0xac is 0xac.
bool holds(const QByteArray& block, const QString& expectations) {
    for (const QString& entry : expectations.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList sides = entry.split(QLatin1Char('='));
        const QStringList field = sides.at(0).split(QLatin1Char('/'));
        const int mask = field.size() > 1 ? field.at(1).toInt(nullptr, 16) : 0xff;
        if ((quint8(block.at(field.at(0).toInt())) & mask) != sides.at(1).toInt(nullptr, 16)) {
            return false;
        }
    }
    return true;
}
}  // namespace

// Parameter operations against the virtual controller.
class tst_ParameterOperationsFlow : public QObject {
    Q_OBJECT

    struct Rig : SimRig {
        using SimRig::SimRig;
        SignalRecorder recorder{&ops};
    };

private slots:
    void initTestCase() { SimRig::useTestSettings(); }
    void init() { QSettings().clear(); }
    void cleanup() { ParameterFieldSupport::setLookup({}); }

    void slotReachesItsStateOnce_data() {
        QTest::addColumn<Invoke>("invoke");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("signalName");
        using S = SetOperations;
        // Prepares the desired state, then runs the slot.
        auto call = [](void (S::*slot)(), Invoke prepare) {
            return Invoke([slot, prepare](S& o) {
                prepare(o);
                (o.*slot)();
            });
        };
        QTest::addRow("edge threshold")
            << call(&S::SetEdgeThreshold, [](S& o) { o.setDesiredEdgeThreshold(120); }) << "3=78"
            << "signalReEnable";
        QTest::addRow("press threshold")
            << call(&S::SetPressThreshold, [](S& o) { o.setDesiredPressThreshold(70); }) << "6=46"
            << "signalReEnable";
        QTest::addRow("prescalers, through the soft reset they cause")
            << call(&S::setPrescalerValue, [](S& o) { o.setDesiredPrescaler(8); }) << "2=08 4=08"
            << "signal_finishedSettingPrescalarValue";
        QTest::addRow("scans") << call(&S::setMonitorScanMode,
                                       [](S& o) { o.setDesiredScanMode(true); })
                               << "10/0c=0c 11/c0=c0"
                               << "signal_finishEnableMonScanAB";
        QTest::addRow("edges, scans and diagnostics")
            << call(&S::setMonEdgeDiagAB, [](S& o) { o.setDesiredEdgeDiagAB(true); })
            << "10/ac=ac 27/c0=c0"
            << "signal_finishSetMonDiagEdgeAB";
        QTest::addRow("calibration mode")
            << call(&S::setCalibrationMode, [](S& o) { o.setDesiredCalibrationMode(true); })
            << "9/01=00 11/10=10"
            << "signal_finishedSettingCalibration";
        QTest::addRow("calibration 3 with exclusion") << call(&S::setCalib3OutputExclude,
                                                              [](S& o) {
                                                                  o.setDesiredUseCalib3(true);
                                                                  o.setDesiredExcludeMode(1);
                                                              })
                                                      << "9/10=10 13=01"
                                                      << "signal_Calib3ExculdeMode";
        QTest::addRow("output off")
            << call(&S::enableOutput, [](S& o) { o.setOutputSwitch(false); }) << "9/01=00"
            << "signal_finishSetOutput";
    }
    void slotReachesItsStateOnce() {
        QFETCH(Invoke, invoke);
        QFETCH(QString, state);
        QFETCH(QString, signalName);
        Rig rig;
        QVERIFY(rig.connectBoard());
        invoke(rig.ops);
        QVERIFY(rig.settle());
        QVERIFY2(holds(rig.board.parameterBlock(), state),
                 rig.board.parameterBlock().toHex().constData());
        QCOMPARE(rig.recorder.emittedSignals(), QStringList{signalName});
    }

    void softResetInTheMiddleOnlyDelays() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        QSignalSpy resetSeen(rig.parameters(),
                             &ResponseDelegateCurrentParameters::signalSoftResetActive);
        rig.dispatcher.queueCommand(CommandFactory::softReset());
        rig.ops.setDesiredEdgeThreshold(120);
        rig.ops.SetEdgeThreshold();
        QVERIFY(rig.settle());
        QVERIFY(!resetSeen.isEmpty());
        QCOMPARE(rig.board.parameterBlock().at(3), char(120));
        QCOMPARE(rig.recorder.emittedSignals(), QStringList{"signalReEnable"});
    }

    // On a firmware without the diagnostics bits, diagnostics read as on and cannot be
    // written: the slot keeps polling and every block it sends is the controller's own.
    void unsupportedFieldKeepsPolling() {
        ParameterFieldSupport::setLookup([](int set, int offset, quint8) {
            return set != 2 || offset != 27 || ParameterVersion::remembered() >= 1;
        });
        SimScenario scenario = SimRig::quickScenario();
        scenario.paramVersion = 0;
        Rig rig(scenario);
        QVERIFY(rig.connectBoard());
        const QByteArray block = rig.board.parameterBlock();
        rig.ops.setDesiredDiagAB(false);
        rig.ops.setMonDiagAB();
        QTRY_VERIFY(rig.writesOf(4).size() >= 4);
        for (const QByteArray& report : rig.writesOf(4)) {
            QCOMPARE(report.mid(3), block.mid(2));
        }
        QCOMPARE(rig.board.parameterBlock(), block);
        QVERIFY(rig.ops.pendingPasses() > 0);
        QCOMPARE(rig.recorder.emittedSignals(), QStringList());
    }

    // While the controller is away a converging slot keeps at most one pass in the queue
    // (it grew by one command per period before), and when it is back no set command
    // built from the block it had before goes out: after a power-up the controller's RAM
    // holds its flash again, and the edge threshold set in RAM only must not come back.
    void lostControllerLeavesNoBacklog_data() {
        QTest::addColumn<bool>("unplug");
        QTest::addRow("unplugged and back") << true;
        QTest::addRow("silent and back") << false;
    }
    void lostControllerLeavesNoBacklog() {
        QFETCH(bool, unplug);
        Rig rig;
        // One command per 10 ms: slower than the slot's passes (set and get every 10 ms).
        rig.dispatcher.setDefaultTimeIntervals(10, 1);
        SetOperations::Periods periods = rig.ops.periods();
        periods.answerWaitMs = 20;
        rig.ops.setPeriods(periods);
        ConnectionWatcher watcher(&rig.dispatcher, &rig.ops);
        watcher.setHeartbeatInterval(10);
        watcher.setConnectionTimeoutMs(50);
        QVERIFY(rig.connectBoard());
        QVERIFY(rig.pokeByte(3, 0x55));
        watcher.doConnections();
        int sent = 0;
        int longest = 0;
        connect(&rig.dispatcher, &DeviceEventDispatcher::commandSent, this, [&] {
            ++sent;
            longest = qMax(longest, rig.dispatcher.queuedCommandCount());
        });

        rig.ops.setDesiredTouchThreshold(40);
        rig.ops.SetTouchTreshold();
        unplug ? rig.board.unplug() : rig.board.setSilent(true);
        QTRY_VERIFY(sent >= 20);
        const int writesBefore = rig.api->writes.size();
        unplug ? rig.board.replug() : rig.board.setSilent(false);
        const quint8 edge = rig.boardByte(3);
        QCOMPARE(edge == 0x55, !unplug);

        QTRY_COMPARE(rig.recorder.emitted("signalReEnable"), 1);
        QVERIFY(rig.settle());
        QCOMPARE(rig.boardByte(5), quint8(40));
        QVERIFY2(longest <= 4, QByteArray::number(longest).constData());
        // Block byte 3 travels at report byte 4.
        for (const QByteArray& report : rig.api->writes.mid(writesBefore)) {
            if (quint8(report.at(SimRig::kOpcode)) == SimRig::kSetParametersOpcode) {
                QCOMPARE(quint8(report.at(4)), edge);
            }
        }
        QCOMPARE(rig.boardByte(3), edge);
    }

    void factoryResetLoadsTheDefaults() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        rig.ops.setDesiredEdgeThreshold(99);
        rig.ops.SetEdgeThreshold();
        QVERIFY(rig.settle());
        rig.ops.doFactoryReset();
        QVERIFY(rig.settle());
        const QByteArray defaults = SimParameterBlock::factoryDefaults(1).bytes();
        QCOMPARE(rig.board.parameterBlock().at(3), defaults.at(3));
        QCOMPARE(rig.board.parameterBlock().at(10) & 0x03, 0);
        QVERIFY(!rig.writesOf(8).isEmpty());
        // The marker (both dynamic bits, report byte 11) went out before the defaults.
        QCOMPARE(rig.writesOf(4).last().at(11) & 0x03, 0x03);
        QCOMPARE(rig.recorder.emitted("signal_finishedFactoryReset"), 1);
    }

    void flashIsSavedWithEveryMonitorFlagOff() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        rig.ops.setDesiredEdgeDiagAB(true);
        rig.ops.setMonEdgeDiagAB();
        QVERIFY(rig.settle());
        QList<QByteArray> savedBlocks;
        connect(&rig.board, &VirtualController::requestReceived, this, [&](int opcode) {
            if (opcode == 6) {
                savedBlocks << rig.board.parameterBlock();
            }
        });
        rig.ops.saveParametersToFlash();
        QVERIFY(rig.settle());
        QCOMPARE(savedBlocks.size(), 1);
        QVERIFY(holds(savedBlocks.first(), "10/ac=00 11/f4=00 27/c0=00"));
        QCOMPARE(rig.recorder.emitted("signal_finishedSavingParameters"), 1);
    }
};

QTEST_GUILESS_MAIN(tst_ParameterOperationsFlow)
#include "tst_ParameterOperationsFlow.moc"
