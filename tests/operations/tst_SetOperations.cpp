#include <QtTest>

#include <functional>

#include "sim/SimParameterBlock.h"
#include "OpsSimRig.h"

using Invoke = std::function<void(SetOperations&)>;
Q_DECLARE_METATYPE(Invoke)

// The set operations over the virtual controller.
class tst_SetOperations : public QObject {
    Q_OBJECT

    using Rig = OpsSimRig;

private slots:
    void initTestCase() { SimRig::useTestSettings(); }
    void init() { QSettings().clear(); }

    void thresholdTargetsStayIn1To254_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("target");
        QTest::addRow("0 keeps the previous target") << 0 << 77;
        QTest::addRow("255 keeps the previous target") << 255 << 77;
        QTest::addRow("1 is accepted") << 1 << 1;
        QTest::addRow("254 is accepted") << 254 << 254;
    }
    void thresholdTargetsStayIn1To254() {
        QFETCH(int, value);
        QFETCH(int, target);
        SetOperations ops(nullptr);
        ops.setDesiredEdgeThreshold(77);
        ops.setDesiredTouchThreshold(77);
        ops.setDesiredPressThreshold(77);
        ops.setDesiredEdgeThreshold(value);
        ops.setDesiredTouchThreshold(value);
        ops.setDesiredPressThreshold(value);
        QCOMPARE(ops.desiredEdgeThreshold(), target);
        QCOMPARE(ops.desiredTouchThreshold(), target);
        QCOMPARE(ops.desiredPressThreshold(), target);
    }

    // Until the controller has answered, the delegate holds 20 placeholder bytes; a set
    // command built from them would zero the controller's bytes 20 to 59 on the wire.
    void noSetCommandBeforeTheFirstAnswer() {
        Rig rig;
        rig.board.setSilent(true);
        QVERIFY(rig.dispatcher.firstConnection());
        const QByteArray placeholder = rig.parameters()->data();
        rig.ops.setDesiredTouchThreshold(40);
        rig.ops.SetTouchTreshold();
        rig.ops.incEdgeThresholdBy(1);
        QVERIFY(!rig.ops.setMonitorEdges(true, true));
        QTRY_VERIFY(rig.writesOf(5).size() >= 8);
        QVERIFY(rig.writesOf(4).isEmpty());

        rig.board.setSilent(false);
        QTRY_COMPARE(rig.recorder.emitted("signalReEnable"), 1);
        QVERIFY(rig.settle());
        QCOMPARE(rig.boardByte(5), quint8(40));
        QCOMPARE(rig.boardByte(6), quint8(40));

        // A held command made from the placeholder is dropped, not sent.
        const QByteArray shown = rig.poke("10=08");
        QVERIFY(!shown.isEmpty());
        const int setsBefore = rig.writesOf(4).size();
        QByteArray saved;
        connect(&rig.board, &VirtualController::requestReceived, this, [&](int opcode) {
            if (opcode == VirtualController::kOpSaveToFlash) {
                saved = rig.board.parameterBlock();
            }
        });
        rig.ops.setHeldCommand(CommandFactory::setParams(placeholder));
        rig.ops.saveParametersToFlash();
        QVERIFY(rig.settle());
        QCOMPARE(saved, Rig::withBytes(shown, "10=00"));
        // Block bytes 20 to 59 travel at report bytes 21 to 60.
        for (const QByteArray& report : rig.writesOf(4).mid(setsBefore)) {
            QCOMPARE(report.mid(21), shown.mid(20));
        }
        QCOMPARE(rig.recorder.emittedSignals(),
                 QStringList({"signalReEnable", "signal_finishedSavingParameters"}));
    }

    // One set command and one get per step; a step past the byte's range sends the block
    // unchanged. Thresholds start at edge 100, touch 80, press 90.
    void oneShotSteps_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<Invoke>("invoke");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("sent");
        using S = SetOperations;
        auto step = [](void (S::*slot)(int), int n) {
            return Invoke([slot, n](S& o) { (o.*slot)(n); });
        };
        QTest::addRow("edge +10 at 250 sends the block unchanged")
            << "3=fa" << step(&S::incEdgeThresholdBy, 10) << "3=fa" << true;
        QTest::addRow("edge +5 at 250 reaches 255")
            << "3=fa" << step(&S::incEdgeThresholdBy, 5) << "3=ff" << true;
        QTest::addRow("edge -10 at 5 sends the block unchanged")
            << "3=05" << step(&S::subEdgeThresholdBy, 10) << "3=05" << true;
        QTest::addRow("press +10") << "" << step(&S::incPressThresholdBy, 10) << "6=64" << true;
        QTest::addRow("press -100 below 0 unchanged")
            << "" << step(&S::subPressThresholdBy, 100) << "" << true;
        QTest::addRow("touch and press +10")
            << "" << step(&S::incThresholdsBy, 10) << "5=5a 6=64" << true;
        QTest::addRow("press at 250 does not wrap")
            << "6=fa" << step(&S::incThresholdsBy, 10) << "5=5a 6=fa" << true;
        QTest::addRow("touch -100 below 0 unchanged")
            << "" << step(&S::subThresholdsBy, 100) << "" << true;
        QTest::addRow("edge from setThresholds")
            << "" << step(&S::setThresholds, 0x30) << "3=30" << true;
        QTest::addRow("setThresholds out of range sends nothing")
            << "" << step(&S::setThresholds, 300) << "" << false;
        QTest::addRow("setThresholds equal to edge sends nothing")
            << "" << step(&S::setThresholds, 0x64) << "" << false;
        QTest::addRow("setThresholds equal to press still writes the edge")
            << "" << step(&S::setThresholds, 0x5a) << "3=5a" << true;
    }
    void oneShotSteps() {
        QFETCH(QString, start);
        QFETCH(Invoke, invoke);
        QFETCH(QString, result);
        QFETCH(bool, sent);
        Rig rig;
        QVERIFY(rig.connectBoard());
        const QByteArray before = rig.poke("3=64 5=50 6=5a " + start);
        QVERIFY(!before.isEmpty());
        const int requestsBefore = rig.requests.size();
        const int setsBefore = rig.writesOf(4).size();
        invoke(rig.ops);
        QVERIFY(rig.settle());
        QCOMPARE(rig.requests.mid(requestsBefore), sent ? QList<int>({4, 5}) : QList<int>());
        const QByteArray after = Rig::withBytes(before, result);
        QCOMPARE(rig.board.parameterBlock(), after);
        // Every byte but the changed ones is the controller's own.
        if (sent) {
            QCOMPARE(rig.writesOf(4).value(setsBefore).mid(SimRig::kOpcode + 1), after.mid(2));
        }
    }

    void monitorEdgesOneShotHonoursDisableMonEdge() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        QSettings().setValue(QStringLiteral("General/DisableMonEdge"), true);
        QVERIFY(!rig.ops.setMonitorEdges(true, false));
        QCOMPARE(rig.dispatcher.queuedCommandCount(), 0);
        QSettings().setValue(QStringLiteral("General/DisableMonEdge"), false);
        QVERIFY(rig.ops.setMonitorEdges(true, false));
        QTRY_VERIFY(rig.boardFlag(10, 0x80));
    }

    // The command goes out on passes 1, 11, 21, ... until the controller reports it. A
    // board whose reset ends at once never shows it.
    void softResetIsRepeatedEveryTenPasses() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        rig.board.setSoftResetMs(0);
        const int first = rig.requests.size();
        rig.ops.doSoftReset();
        QTRY_VERIFY(rig.requests.mid(first).count(VirtualController::kOpSoftReset) >= 3);
        QList<int> positions;
        for (int i = first; i < rig.requests.size(); ++i) {
            if (rig.requests.at(i) == VirtualController::kOpSoftReset) {
                positions << i - first;
            }
        }
        // Pass 1: soft reset, get, get; passes 2 to 10: get.
        QCOMPARE(positions.mid(0, 3), QList<int>({0, 12, 24}));
        QVERIFY(rig.writesOf(4).isEmpty());

        rig.board.setSoftResetMs(60);
        QTRY_COMPARE(rig.recorder.emitted("signal_finishedSoftReset"), 1);
        QVERIFY(rig.settle());
        QCOMPARE(rig.recorder.emittedSignals(),
                 QStringList({"signal_finishedSoftReset", "signal_softResetActive"}));
        QCOMPARE(rig.ops.softResetCount(), 0);
    }

    void defaultsThenFilterUntilFirstConfiguration() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        const quint8 touchDefault = quint8(SimParameterBlock::factoryDefaults(1).bytes().at(5));
        QVERIFY(!rig.poke(QStringLiteral("5=%1").arg(touchDefault + 7, 0, 16)).isEmpty());
        // The board leaves get-filter unanswered, so no answer stores the first
        // configuration and the request is repeated until the key is set.
        connect(&rig.board, &VirtualController::requestReceived, this, [&rig](int opcode) {
            if (opcode == VirtualController::kOpGetFilter) {
                rig.board.setSilent(true);
            }
        });
        rig.ops.SaveDefaultParameters();
        QTRY_VERIFY(rig.requests.count(VirtualController::kOpGetFilter) >= 1);
        QCOMPARE(rig.requests.count(VirtualController::kOpLoadDefaults), 1);
        QTRY_COMPARE(rig.boardByte(5), touchDefault);
        QSettings().setValue(QStringLiteral("FilterValue/FirstConfiguration"), true);
        QVERIFY(rig.settle());
        QVERIFY(!rig.ops.defaultsLoaded());
        rig.ops.SaveDefaultParameters();
        QTRY_COMPARE(rig.requests.count(VirtualController::kOpLoadDefaults), 2);
    }

    // Invoked again while it runs, the keep-alive restarts its period instead of running
    // a second loop: after the three requests of the calls, the next ones come a period
    // apart, not in bursts of three. A slow machine only widens the gaps.
    void queryDataRunsOneLoop() {
        Rig rig;
        QVERIFY(rig.connectBoard());
        SetOperations::Periods periods = rig.ops.periods();
        periods.retryMs = 300;
        rig.ops.setPeriods(periods);
        QElapsedTimer clock;
        clock.start();
        QList<qint64> sentAt;
        connect(&rig.board, &VirtualController::requestReceived, this, [&](int opcode) {
            if (opcode == VirtualController::kOpGetParameters) {
                sentAt << clock.elapsed();
            }
        });
        rig.ops.queryData();
        rig.ops.queryData();
        rig.ops.queryData();
        QTRY_VERIFY_WITH_TIMEOUT(sentAt.size() >= 6, 10000);
        for (int i = 4; i < sentAt.size(); ++i) {
            QVERIFY2(sentAt.at(i) - sentAt.at(i - 1) >= periods.retryMs / 3,
                     qPrintable(QStringLiteral("request %1 came %2 ms after the one before")
                                    .arg(i)
                                    .arg(sentAt.at(i) - sentAt.at(i - 1))));
        }
    }

    void wireOutReadsTheDiagnosticErrors_data() {
        QTest::addColumn<int>("brokenA");
        QTest::addColumn<int>("brokenB");
        QTest::addColumn<bool>("wireOut");
        QTest::addRow("none") << -1 << -1 << false;
        QTest::addRow("array A") << 7 << -1 << true;
        QTest::addRow("array B") << -1 << 3 << true;
    }
    void wireOutReadsTheDiagnosticErrors() {
        QFETCH(int, brokenA);
        QFETCH(int, brokenB);
        QFETCH(bool, wireOut);
        SimScenario scenario = SimRig::quickScenario();
        scenario.brokenWireA = brokenA;
        scenario.brokenWireB = brokenB;
        Rig rig(scenario);
        QVERIFY(rig.ops.checkForWireOut());  // no answer yet: not known to be sound
        QVERIFY(rig.connectBoard());
        QCOMPARE(rig.ops.checkForWireOut(), wireOut);
    }

    void rotationDataGoesToSettingsAndFiles() {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        SetOperations ops(nullptr);
        const QByteArray unrotated = QByteArray::fromHex("9a019a01e803d007");
        const QByteArray rotated = QByteArray::fromHex("9a01660ee803d007");
        ops.setRotationCalibrationData(unrotated, rotated);
        QDir::setCurrent(previous);
        QSettings settings;
        QCOMPARE(settings.value("GeometricCalibration/UnrotatedData").toByteArray(), unrotated);
        QCOMPARE(settings.value("GeometricCalibration/RotatedData").toByteArray(), rotated);
        for (const auto& file : {qMakePair(QStringLiteral("UnrotatedData"), unrotated),
                                 qMakePair(QStringLiteral("RotatedData"), rotated)}) {
            QFile written(folder.filePath(file.first));
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll(), file.second);
            QCOMPARE(written.permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther),
                     QFileDevice::Permissions());
            QVERIFY(written.permissions() & QFileDevice::ReadOther);
        }
    }
};

QTEST_GUILESS_MAIN(tst_SetOperations)
#include "tst_SetOperations.moc"
