#include <QtTest>

#include <functional>

#include "protocol/CommandSetCurrentParameters.h"
#include "OpsSimRig.h"

using Invoke = std::function<void(SetOperations&)>;
Q_DECLARE_METATYPE(Invoke)

namespace {
// "General/ProductTest=true;..." into the settings.
void applySettings(const QString& settings) {
    for (const QString& entry : settings.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char('='));
        QSettings().setValue(parts.at(0), parts.at(1));
    }
}

const QByteArray kUnrotated =
    QByteArray::fromHex("9a019a01e803d007660e9a01b80bd0079a01660ee803f401");
const QByteArray kRotated = QByteArray::fromHex("9a01660ee803d007660e660eb80bd0079a019a01e803f401");
}  // namespace

// The converging set operations over the virtual controller.
class tst_SetOperationsModes : public QObject {
    Q_OBJECT

    using Rig = OpsSimRig;

private slots:
    void initTestCase() { SimRig::useTestSettings(); }
    void init() { QSettings().clear(); }

    // Each converging slot reaches its state and emits its completion signals once.
    void slotReachesItsState_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("start");
        QTest::addColumn<Invoke>("invoke");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("signalNames");
        using S = SetOperations;
        auto row = [](const char* name, const char* settings, const char* start, Invoke invoke,
                      const char* result, QStringList signalNames) {
            signalNames.sort();
            QTest::addRow("%s", name) << settings << start << invoke << result << signalNames;
        };
        // Prepares the desired state, then runs the slot.
        auto call = [](void (S::*slot)(), Invoke prepare) {
            return Invoke([slot, prepare](S& o) {
                prepare(o);
                (o.*slot)();
            });
        };
        const Invoke nothing = [](S&) {};
        const QStringList edgesOn{"signal_finishedSetMonEdgeAB",
                                  "signal_finishedSetMonEdgeABFlags"};
        row("sensitivity threshold", "", "",
            call(&S::setThreshold, [](S& o) { o.setDesiredSensThreshold(60); }), "5=3c 6=3c", {});
        row("scans off", "", "10=0c 11=c0", call(&S::setMonitorScanMode, nothing), "10=00 11=00",
            {"signal_finishSetMonScanAB", "signal_finishDisableMonScanAB"});
        row("edges on", "", "",
            call(&S::setMonitorEdgeAB, [](S& o) { o.setDesiredMonitorEdgeAB(true); }), "10=a0",
            edgesOn);
        row("edges off in test mode", "", "10=a0 11=04", call(&S::setMonitorEdgeAB, nothing),
            "10=00", {"signal_finishedUnsetMonEdgeABFlags"});
        row("edges left alone with DisableMonEdge", "General/DisableMonEdge=true", "",
            call(&S::setMonitorEdgeAB, [](S& o) { o.setDesiredMonitorEdgeAB(true); }), "", {});
        row("test mode off", "", "11=04", call(&S::setMonitorTestMode, nothing), "11=00",
            {"signal_finishedSetTestMode"});
        row("test mode on is silent", "", "",
            call(&S::setMonitorTestMode, [](S& o) { o.setDesiredTestModeDirect(true); }), "11=04",
            {});
        row("single-wire mode adds test mode", "GraphView/SingleWireMode=true", "",
            call(&S::setMonEdgeDiagAB, [](S& o) { o.setDesiredEdgeDiagAB(true); }),
            "10=ac 11=04 27=c0", {"signal_finishSetMonDiagEdgeAB"});
        row("edges and scans", "", "",
            call(static_cast<void (S::*)()>(&S::setMonitorEdges),
                 [](S& o) { o.setDesiredMonitorEdges(true); }),
            "10=ac 11=c0", {});
        row("calibration mode off", "Calibration/Start=true", "11=10",
            call(&S::setCalibrationMode, nothing), "11=00",
            {"signal_finishedUnsettingCalibration"});
        row("tracking is silent", "", "",
            call(&S::setTrackingModeInDevice, [](S& o) { o.setDesiredTracking(true); }), "11=10",
            {});
        row("unset monitor parameters", "", "10=ac 11=d4 27=c0",
            call(&S::unSetMonitorParameters, nothing), "10=00 11=00 27=00",
            {"signal_finishedUnsettingParameters"});
        row("diagnostics off, then saved", "", "27=c0",
            call(&S::setMonDiagAB, [](S& o) { o.setSaveAfterDiag(true); }), "27=00",
            {"signal_finishSetMonDiagAB", "signal_finishedSavingParameters"});
        row("diagnostics on bring the edges", "", "",
            call(&S::setMonDiagAB, [](S& o) { o.setDesiredDiagAB(true); }), "10=a0 27=c0", edgesOn);
        row("diagnostics in product test", "General/ProductTest=true", "",
            call(&S::setMonDiagAB, [](S& o) { o.setDesiredDiagAB(true); }), "27=c0",
            {"signal_finishSetMonDiagAB"});
        row("monitor mode in single-wire mode", "GraphView/SingleWireMode=true", "",
            call(&S::SetMonitorMode, [](S& o) { o.setDesiredTestMode(true); }), "10=a0 11=04 27=c0",
            edgesOn);
        row("monitor mode needs single-wire mode", "", "",
            call(&S::SetMonitorMode, [](S& o) { o.setDesiredTestMode(true); }), "", {});
        row("edge view from scans", "", "10=0c 11=c0",
            call(&S::doScanOrEdge, [](S& o) { o.setViewMode(0); }), "10=a0 11=00",
            edgesOn + QStringList{"signal_finishSetMonScanAB", "signal_finishDisableMonScanAB"});
        row("edge view already shown", "", "10=a0",
            call(&S::doScanOrEdge, [](S& o) { o.setViewMode(0); }), "10=a0", {});
        row("scan view from test mode and edges", "", "10=a0 11=04",
            call(&S::doScanOrEdge, [](S& o) { o.setViewMode(1); }), "10=0c 11=c0",
            {"signal_finishedSetTestMode", "signal_finishedUnsetMonEdgeABFlags",
             "signal_finishEnableMonScanAB"});
        row("scan view from diagnostics", "", "27=c0",
            call(&S::doScanOrEdge, [](S& o) { o.setViewMode(1); }), "10=0c 11=c0 27=00",
            {"signal_finishSetMonDiagAB", "signal_finishEnableMonScanAB"});
        row("neither view", "", "10=a0 27=c0",
            call(&S::doScanOrEdge, [](S& o) { o.setViewMode(2); }), "10=00 27=00",
            {"signal_finishedUnsettingParameters"});
    }
    void slotReachesItsState() {
        QFETCH(QString, settings);
        QFETCH(QString, start);
        QFETCH(Invoke, invoke);
        QFETCH(QString, result);
        QFETCH(QStringList, signalNames);
        applySettings(settings);
        Rig rig;
        QVERIFY(rig.connectBoard());
        const QByteArray before = rig.poke("10=00 11=00 27=00 " + start);
        QVERIFY(!before.isEmpty());
        invoke(rig.ops);
        QVERIFY(rig.settle());
        QCOMPARE(rig.recorder.emittedSignals(), signalNames);
        QCOMPARE(rig.board.parameterBlock(), Rig::withBytes(before, result));
        QVERIFY(rig.holdsBoardBlock());
    }

    // On a controller whose layout version is not 1 the edge flags carry the stamp 0
    // (block byte k travels at report byte k + 1).
    void monitorEdgesStampZeroOnOtherVersions() {
        SimScenario scenario = SimRig::quickScenario();
        scenario.paramVersion = 2;
        Rig rig(scenario);
        QVERIFY(rig.connectBoard());
        QVERIFY(!rig.poke("10=00").isEmpty());
        const int setsBefore = rig.writesOf(4).size();
        rig.ops.setDesiredMonitorEdges(true);
        rig.ops.setMonitorEdges();
        QVERIFY(rig.settle());
        const QByteArray sent = rig.writesOf(4).value(setsBefore);
        QCOMPARE(quint8(sent.at(15)), quint8(0));
        QCOMPARE(quint8(sent.at(11)), quint8(0xac));
    }

    // A held command carries only its own edits: what changed on the controller since it
    // was prepared is kept.
    void heldCommandKeepsLaterChanges() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        QVERIFY(!rig.poke("3=64 5=50 10=00 11=04").isEmpty());
        CommandSetCurrentParameters* held = CommandFactory::setParams(rig.parameters()->data());
        held->setEdgeThreshold(0x77);
        rig.ops.setHeldCommand(held);
        // A retry period well above the round trip: a pass that runs before the answer to
        // the held edit is in resends the block it last saw.
        SetOperations::Periods periods = rig.ops.periods();
        periods.retryMs = 300;
        rig.ops.setPeriods(periods);
        const QByteArray changed = rig.poke("5=33");
        QVERIFY(!changed.isEmpty());
        QByteArray saved;
        connect(&rig.board, &VirtualController::requestReceived, this, [&](int opcode) {
            if (opcode == VirtualController::kOpSaveToFlash) {
                saved = rig.board.parameterBlock();
            }
        });
        rig.ops.saveParametersToFlash();
        QVERIFY(rig.settle());
        QCOMPARE(saved, Rig::withBytes(changed, "3=77 11=00"));
    }

    void outputModeChange_data() {
        QTest::addColumn<QVariant>("calibResult");
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QByteArray>("calibration");
        QTest::addColumn<int>("mode");
        QTest::addRow("mode 1 re-sends the unrotated data")
            << QVariant(0) << "9=00" << true << 1 << "8=01 9=11 12=80" << kUnrotated << 1;
        QTest::addRow("mode 3 re-sends the rotated data")
            << QVariant(1) << "" << true << 3 << "8=03 9=11 12=80" << kRotated << 3;
        QTest::addRow("an unknown mode becomes 3 without calibration 3")
            << QVariant() << "" << true << 7 << "8=03 12=80" << kRotated << 3;
        QTest::addRow("disabled output keeps its encoding")
            << QVariant(4) << "" << false << 1 << "9=00" << QByteArray() << -1;
    }
    void outputModeChange() {
        QFETCH(QVariant, calibResult);
        QFETCH(QString, start);
        QFETCH(bool, enabled);
        QFETCH(int, encoding);
        QFETCH(QString, result);
        QFETCH(QByteArray, calibration);
        QFETCH(int, mode);
        if (calibResult.isValid()) {
            QSettings().setValue("GeometricCalibration/CalibResult", calibResult);
        }
        QSettings().setValue("GeometricCalibration/UnrotatedData", kUnrotated);
        QSettings().setValue("GeometricCalibration/RotatedData", kRotated);
        Rig rig;
        QVERIFY(rig.connectBoard());
        const QByteArray before = rig.poke("8=02 9=01 " + start);
        QVERIFY(!before.isEmpty());
        rig.ops.setDesiredOutputEnabled(enabled);
        rig.ops.setDesiredOutputEncoding(encoding);
        rig.ops.setDesiredOutputEncoding(encoding);
        rig.ops.setDesiredOutputEnabled(enabled);
        rig.ops.setDeviceOutputMode();
        QVERIFY(rig.settle());
        QCOMPARE(rig.board.parameterBlock(), Rig::withBytes(before, result));
        const QList<QByteArray> sent = rig.writesOf(VirtualController::kOpCalibration3);
        QCOMPARE(sent.size(), calibration.isEmpty() ? 0 : 1);
        if (!calibration.isEmpty()) {
            QCOMPARE(sent.first().mid(SimRig::kOpcode + 1, calibration.size()), calibration);
        }
        QCOMPARE(rig.requests.count(VirtualController::kOpSaveToFlash), 1);
        QCOMPARE(rig.recorder.emitted("signal_finishedSetOutputFlagMode"), 1);
        QCOMPARE(rig.recorder.emitted("modeChanged"), mode < 0 ? 0 : 1);
        if (mode >= 0) {
            QCOMPARE(rig.recorder.arguments("modeChanged").value(0).toInt(), mode);
            QCOMPARE(rig.ops.desiredOutputEncoding(), mode);
            QCOMPARE(rig.ops.previousOutputEncoding(), mode);
        }
    }

    void calibrationResult_data() {
        QTest::addColumn<int>("calibResult");
        QTest::addColumn<bool>("restore");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("signalNames");
        QTest::addColumn<QVariant>("stored");
        const QString finished = QStringLiteral("signalCalibrationFinished");
        const QString saved = QStringLiteral("signal_finishedSavingParameters");
        QTest::addRow("0 success") << 0 << false << "11=10"
                                   << "9=11 11=00" << QStringList{finished} << QVariant(0);
        QTest::addRow("1 reduced area")
            << 1 << false << "11=10"
            << "9=11 11=00 13=01" << QStringList{finished} << QVariant(1);
        QTest::addRow("0 success, output restored and saved")
            << 0 << true << "11=10"
            << "9=11 11=00" << QStringList{finished, saved} << QVariant(0);
        QTest::addRow("2 cancelled restores the output")
            << 2 << true << "11=10"
            << "8=03 9=00 11=00" << QStringList{finished, saved} << QVariant(2);
        QTest::addRow("3 failed drops calibration 3")
            << 3 << false << "9=11 11=10"
            << "9=01 11=00" << QStringList{"signal_finishedCalibUnset", finished} << QVariant();
        QTest::addRow("4 no touch") << 4 << false << "11=10"
                                    << "11=00" << QStringList{finished} << QVariant(4);
        QTest::addRow("5 none reported") << 5 << false << "11=10"
                                         << "11=00" << QStringList() << QVariant();
    }
    void calibrationResult() {
        QFETCH(int, calibResult);
        QFETCH(bool, restore);
        QFETCH(QString, start);
        QFETCH(QString, result);
        QFETCH(QStringList, signalNames);
        QFETCH(QVariant, stored);
        signalNames.sort();
        QSettings().setValue("Calibration/Start", true);
        Rig rig;
        QVERIFY(rig.connectBoard());
        const QByteArray before = rig.poke("8=02 9=01 11=00 13=00 " + start);
        QVERIFY(!before.isEmpty());
        rig.ops.setCalibResult(calibResult);
        rig.ops.setRestoreOutputAfterCalib(restore);
        // After the calibration: output as it was for 0 (enabled, 2), off with mode 3 for 2.
        rig.ops.setOutputEnabledAfterCalib(calibResult != 2);
        rig.ops.setDesiredOutputEncoding(calibResult == 2 ? 3 : 2);
        rig.ops.setDesiredOutputEncoding(0);
        rig.ops.checkCalibSettings();
        QVERIFY(rig.settle());
        QCOMPARE(rig.recorder.emittedSignals(), signalNames);
        if (signalNames.contains("signalCalibrationFinished")) {
            QCOMPARE(rig.recorder.arguments("signalCalibrationFinished").value(0).toInt(),
                     calibResult);
        }
        QCOMPARE(rig.board.parameterBlock(), Rig::withBytes(before, result));
        QCOMPARE(QSettings().value("GeometricCalibration/CalibResult").toString(),
                 stored.toString());
        QCOMPARE(QSettings().value("Calibration/Start").toBool(), false);
        QCOMPARE(rig.requests.count(VirtualController::kOpSaveToFlash), restore ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(tst_SetOperationsModes)
#include "tst_SetOperationsModes.moc"
