#include <QtTest>

#include <functional>

#include "OperationsRig.h"
#include "protocol/CommandSetCurrentParameters.h"

using Invoke = std::function<void(SetOperations&)>;
Q_DECLARE_METATYPE(Invoke)

class tst_SetOperations : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { OperationsRig::useTestSettings(); }
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

    // The touch target goes out as touch and press threshold in one block; every other
    // byte is the controller's, byte 14 stamped with its layout version 2.
    void touchThresholdCommandBytes() {
        OperationsRig rig;
        QVERIFY(rig.start());
        rig.ops.setDesiredTouchThreshold(40);
        rig.ops.SetTouchTreshold();
        QTRY_COMPARE(rig.emitted("signalReEnable"), 1);
        const QByteArray expected = QByteArray::fromHex(
            "04 04 64 04 28 28 00 02 01 00 00 00 00 02 00 00 00 00 00 00 38 05 10 20 30 40 00"
            "5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a 5a"
            "5a 5a 5a 5a 5a");
        QCOMPARE(rig.controller.requests.at(rig.controller.opcodes().indexOf(4)), expected);
    }

    // Until the controller has answered, the delegate holds 20 placeholder bytes; a set
    // command built from them would zero the controller's bytes 20 to 59 on the wire.
    void noSetCommandBeforeTheFirstAnswer() {
        OperationsRig rig;
        rig.controller.answering = false;
        const QByteArray placeholder = rig.delegate()->data();
        rig.ops.setDesiredTouchThreshold(40);
        rig.ops.SetTouchTreshold();
        rig.ops.incEdgeThresholdBy(1);
        QVERIFY(!rig.ops.setMonitorEdges(true, true));
        QTRY_VERIFY(rig.controller.count(5) >= 8);
        QCOMPARE(rig.controller.count(4), 0);

        rig.controller.answering = true;
        QTRY_COMPARE(rig.emitted("signalReEnable"), 1);
        QVERIFY(rig.settle());
        const QByteArray changed =
            OperationsRig::withBytes(ScriptedController::quietBlock(), "5=28 6=28");
        QCOMPARE(rig.controller.block, changed);

        // A held command made from the placeholder is dropped, not sent.
        rig.controller.block = OperationsRig::withBytes(changed, "10=08");
        QVERIFY(rig.start());
        rig.ops.setHeldCommand(CommandFactory::setParams(placeholder));
        rig.ops.saveParametersToFlash();
        QVERIFY(rig.settle());
        QCOMPARE(rig.controller.flash, changed);
        for (const QByteArray& request : rig.controller.requests) {
            QVERIFY(request.at(0) != 4 || request.size() == 59);
        }
        QCOMPARE(rig.emittedSignals(),
                 QStringList({"signalReEnable", "signal_finishedSavingParameters"}));
    }

    void oneShotSteps_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<Invoke>("invoke");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("sent");
        auto incEdge = [](int n) {
            return Invoke([n](SetOperations& o) { o.incEdgeThresholdBy(n); });
        };
        auto subEdge = [](int n) {
            return Invoke([n](SetOperations& o) { o.subEdgeThresholdBy(n); });
        };
        auto incAll = [](int n) { return Invoke([n](SetOperations& o) { o.incThresholdsBy(n); }); };
        auto subAll = [](int n) { return Invoke([n](SetOperations& o) { o.subThresholdsBy(n); }); };
        QTest::addRow("edge +10 at 250 sends the block unchanged")
            << "3=fa" << incEdge(10) << "3=fa" << true;
        QTest::addRow("edge +5 at 250 reaches 255") << "3=fa" << incEdge(5) << "3=ff" << true;
        QTest::addRow("edge -10 at 5 sends the block unchanged")
            << "3=05" << subEdge(10) << "3=05" << true;
        QTest::addRow("press +10")
            << "" << Invoke([](SetOperations& o) { o.incPressThresholdBy(10); }) << "6=64" << true;
        QTest::addRow("press -100 below 0 unchanged")
            << "" << Invoke([](SetOperations& o) { o.subPressThresholdBy(100); }) << "" << true;
        QTest::addRow("touch and press +10") << "" << incAll(10) << "5=5a 6=64" << true;
        QTest::addRow("press at 250 does not wrap") << "6=fa" << incAll(10) << "5=5a 6=fa" << true;
        QTest::addRow("touch -100 below 0 unchanged") << "" << subAll(100) << "" << true;
        QTest::addRow("edge from setThresholds")
            << "" << Invoke([](SetOperations& o) { o.setThresholds(0x30); }) << "3=30" << true;
        QTest::addRow("setThresholds out of range sends nothing")
            << "" << Invoke([](SetOperations& o) { o.setThresholds(300); }) << "" << false;
        QTest::addRow("setThresholds equal to press sends nothing")
            << "" << Invoke([](SetOperations& o) { o.setThresholds(0x5a); }) << "" << false;
    }
    void oneShotSteps() {
        QFETCH(QString, start);
        QFETCH(Invoke, invoke);
        QFETCH(QString, result);
        QFETCH(bool, sent);
        OperationsRig rig;
        const QByteArray before = OperationsRig::withBytes(rig.controller.block, start);
        rig.controller.block = before;
        QVERIFY(rig.start());
        const int requestsBefore = rig.controller.requests.size();
        invoke(rig.ops);
        QCOMPARE(rig.dispatcher.queuedCommandCount(), sent ? 2 : 0);
        QTRY_COMPARE(rig.dispatcher.queuedCommandCount(), 0);
        const QList<int> opcodes = rig.controller.opcodes().mid(requestsBefore);
        QCOMPARE(opcodes, sent ? QList<int>({4, 5}) : QList<int>());
        QCOMPARE(rig.controller.block, OperationsRig::withBytes(before, result));
        if (sent && result == start) {
            QCOMPARE(rig.controller.requests.at(requestsBefore), "\x04" + before.mid(2));
        }
    }

    void monitorEdgesOneShotHonoursDisableMonEdge() {
        OperationsRig rig;
        QVERIFY(rig.start());
        QSettings().setValue(QStringLiteral("General/DisableMonEdge"), true);
        QVERIFY(!rig.ops.setMonitorEdges(true, false));
        QCOMPARE(rig.dispatcher.queuedCommandCount(), 0);
        QSettings().setValue(QStringLiteral("General/DisableMonEdge"), false);
        QVERIFY(rig.ops.setMonitorEdges(true, false));
        QTRY_COMPARE(rig.controller.at(10), quint8(0x80));
    }

    // The command goes out on passes 1, 11, 21, ... until the controller reports it.
    void softResetIsRepeatedEveryTenPasses() {
        OperationsRig rig;
        rig.controller.honoursSoftReset = false;
        rig.ops.doSoftReset();
        QTRY_VERIFY(rig.controller.count(1) >= 3);
        QList<int> positions;
        const QList<int> opcodes = rig.controller.opcodes();
        for (int i = 0; i < opcodes.size(); ++i) {
            if (opcodes.at(i) == 1) {
                positions << i;
            }
        }
        // Pass 1: soft reset, get, get; passes 2 to 10: get.
        QCOMPARE(positions.mid(0, 3), QList<int>({0, 12, 24}));
        QCOMPARE(rig.controller.count(4), 0);

        rig.controller.honoursSoftReset = true;
        QTRY_COMPARE(rig.emitted("signal_finishedSoftReset"), 1);
        QVERIFY(rig.settle());
        QCOMPARE(rig.emittedSignals(),
                 QStringList({"signal_finishedSoftReset", "signal_softResetActive"}));
        QCOMPARE(rig.ops.softResetCount(), 0);
    }

    void defaultsThenFilterUntilFirstConfiguration() {
        OperationsRig rig;
        rig.controller.defaults = OperationsRig::withBytes(rig.controller.defaults, "5=46");
        QVERIFY(rig.start());
        rig.ops.SaveDefaultParameters();
        QTRY_VERIFY(rig.controller.count(19) >= 2);
        QCOMPARE(rig.controller.count(8), 1);
        QCOMPARE(rig.controller.at(5), quint8(0x46));
        QSettings().setValue(QStringLiteral("FilterValue/FirstConfiguration"), true);
        QVERIFY(rig.settle());
        QVERIFY(!rig.ops.defaultsLoaded());
        rig.ops.SaveDefaultParameters();
        QTRY_COMPARE(rig.controller.count(8), 2);
    }

    // Invoked again while it runs, the keep-alive restarts its period instead of running
    // a second loop: the next request comes a full period later, not at once.
    void queryDataRunsOneLoop() {
        OperationsRig rig;
        SetOperations::Periods periods = rig.ops.periods();
        periods.retryMs = 100;
        rig.ops.setPeriods(periods);
        rig.ops.queryData();
        rig.ops.queryData();
        rig.ops.queryData();
        QTRY_COMPARE(rig.controller.count(5), 3);
        QCOMPARE(rig.controller.count(2), 3);
        QElapsedTimer clock;
        QTRY_COMPARE(rig.controller.count(5), 4);
        clock.start();
        QTRY_COMPARE(rig.controller.count(5), 5);
        QVERIFY(clock.elapsed() >= 50);
        QCOMPARE(rig.controller.count(2), 5);
    }

    void wireOutReadsTheDiagnosticErrors_data() {
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<bool>("wireOut");
        QTest::addRow("none") << "" << false;
        QTest::addRow("array A") << "27=02" << true;
        QTest::addRow("array B") << "27=01" << true;
    }
    void wireOutReadsTheDiagnosticErrors() {
        QFETCH(QString, bytes);
        QFETCH(bool, wireOut);
        OperationsRig rig;
        rig.controller.block = OperationsRig::withBytes(rig.controller.block, bytes);
        QVERIFY(rig.ops.checkForWireOut());  // no answer yet: not known to be sound
        QVERIFY(rig.start());
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
