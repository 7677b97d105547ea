#include <QtTest>

#include <functional>

#include "SimRig.h"
#include "protocol/ParameterFieldSupport.h"
#include "protocol/ParameterVersion.h"
#include "sim/SimParameterBlock.h"

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

// A sound three-point calibration for each output family.
const QByteArray kUnrotated =
    QByteArray::fromHex("9a019a01e803d007660e9a01b80bd0079a01660ee803f401");
const QByteArray kRotated = QByteArray::fromHex("9a01660ee803d007660e660eb80bd0079a019a01e803f401");
}  // namespace

// Parameter operations against the virtual controller.
class tst_ParameterOperationsFlow : public QObject {
    Q_OBJECT

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
        SimRig rig;
        QVERIFY(rig.connectController());
        invoke(rig.ops);
        QVERIFY(rig.settle());
        QVERIFY2(holds(rig.controller.parameterBlock(), state),
                 rig.controller.parameterBlock().toHex().constData());
        QCOMPARE(rig.recorder.emittedSignals(), QStringList{signalName});
    }

    void softResetInTheMiddleOnlyDelays() {
        SimRig rig;
        QVERIFY(rig.connectController());
        QSignalSpy resetSeen(rig.parameters(),
                             &ResponseDelegateCurrentParameters::signalSoftResetActive);
        rig.dispatcher.queueCommand(CommandFactory::softReset());
        rig.ops.setDesiredEdgeThreshold(120);
        rig.ops.SetEdgeThreshold();
        QVERIFY(rig.settle());
        QVERIFY(!resetSeen.isEmpty());
        QCOMPARE(rig.controller.parameterBlock().at(3), char(120));
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
        SimRig rig(scenario);
        QVERIFY(rig.connectController());
        const QByteArray block = rig.controller.parameterBlock();
        rig.ops.setDesiredDiagAB(false);
        rig.ops.setMonDiagAB();
        QTRY_VERIFY(rig.writesOf(4).size() >= 4);
        for (const QByteArray& report : rig.writesOf(4)) {
            QCOMPARE(report.mid(3), block.mid(2));
        }
        QCOMPARE(rig.controller.parameterBlock(), block);
        QVERIFY(rig.ops.pendingPasses() > 0);
        QCOMPARE(rig.recorder.emittedSignals(), QStringList());
    }

    void touchThresholdGoesOutAsTouchAndPress() {
        SimRig rig;
        QVERIFY(rig.connectController());
        rig.ops.setDesiredTouchThreshold(40);
        rig.ops.SetTouchTreshold();
        QVERIFY(rig.settle());
        const QByteArray first = rig.writesOf(4).value(0);
        QCOMPARE(quint8(first.at(6)), quint8(40));  // block byte 5, touch
        QCOMPARE(quint8(first.at(7)), quint8(40));  // block byte 6, press
        QCOMPARE(rig.recorder.emitted("signalReEnable"), 1);
    }

    void edgeStepPastTheTopSendsTheBlockUnchanged() {
        SimRig rig;
        QVERIFY(rig.connectController());
        rig.ops.setDesiredEdgeThreshold(250);
        rig.ops.SetEdgeThreshold();
        QVERIFY(rig.settle());
        const QByteArray block = rig.parameters()->data();
        rig.api->writes.clear();
        rig.ops.incEdgeThresholdBy(10);
        QVERIFY(rig.settle());
        QTRY_COMPARE(rig.api->writes.size(), 2);
        QCOMPARE(rig.api->writes.at(0).mid(SimRig::kOpcode), "\x04" + block.mid(2));
        QCOMPARE(rig.api->writes.at(1).at(SimRig::kOpcode), char(5));
        QCOMPARE(quint8(rig.controller.parameterBlock().at(3)), quint8(250));
    }

    void factoryResetLoadsTheDefaults() {
        SimRig rig;
        QVERIFY(rig.connectController());
        rig.ops.setDesiredEdgeThreshold(99);
        rig.ops.SetEdgeThreshold();
        QVERIFY(rig.settle());
        rig.ops.doFactoryReset();
        QVERIFY(rig.settle());
        const QByteArray defaults = SimParameterBlock::factoryDefaults(1).bytes();
        QCOMPARE(rig.controller.parameterBlock().at(3), defaults.at(3));
        QCOMPARE(rig.controller.parameterBlock().at(10) & 0x03, 0);
        QVERIFY(!rig.writesOf(8).isEmpty());
        // The marker (both dynamic bits, report byte 11) went out before the defaults.
        QCOMPARE(rig.writesOf(4).last().at(11) & 0x03, 0x03);
        QCOMPARE(rig.recorder.emitted("signal_finishedFactoryReset"), 1);
    }

    void flashIsSavedWithEveryMonitorFlagOff() {
        SimRig rig;
        QVERIFY(rig.connectController());
        rig.ops.setDesiredEdgeDiagAB(true);
        rig.ops.setMonEdgeDiagAB();
        QVERIFY(rig.settle());
        QList<QByteArray> savedBlocks;
        connect(&rig.controller, &VirtualController::requestReceived, this, [&](int opcode) {
            if (opcode == 6) {
                savedBlocks << rig.controller.parameterBlock();
            }
        });
        rig.ops.saveParametersToFlash();
        QVERIFY(rig.settle());
        QCOMPARE(savedBlocks.size(), 1);
        QVERIFY(holds(savedBlocks.first(), "10/ac=00 11/f4=00 27/c0=00"));
        QCOMPARE(rig.recorder.emitted("signal_finishedSavingParameters"), 1);
    }

    void outputModeChangeResendsTheCalibration_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("calibration");
        QTest::addRow("single touch, unrotated") << 1 << kUnrotated;
        QTest::addRow("two touch, rotated") << 2 << kRotated;
    }
    void outputModeChangeResendsTheCalibration() {
        QFETCH(int, mode);
        QFETCH(QByteArray, calibration);
        QSettings().setValue("GeometricCalibration/CalibResult", 0);
        QSettings().setValue("GeometricCalibration/UnrotatedData", kUnrotated);
        QSettings().setValue("GeometricCalibration/RotatedData", kRotated);
        SimRig rig;
        QVERIFY(rig.connectController());
        rig.ops.setDesiredOutputEnabled(true);
        rig.ops.setDesiredOutputEncoding(mode);
        rig.ops.setDeviceOutputMode();
        QVERIFY(rig.settle());
        QCOMPARE(rig.controller.calibrationData(), calibration);
        QVERIFY(holds(rig.controller.parameterBlock(),
                      QStringLiteral("8=%1 9/11=11").arg(mode, 2, 16, QLatin1Char('0'))));
        QCOMPARE(rig.recorder.arguments("modeChanged").value(0).toInt(), mode);
        QCOMPARE(rig.recorder.emitted("signal_finishedSetOutputFlagMode"), 1);
    }
};

QTEST_GUILESS_MAIN(tst_ParameterOperationsFlow)
#include "tst_ParameterOperationsFlow.moc"
