#include <QElapsedTimer>
#include <QtTest>

#include "SimTestHost.h"

namespace {

// Opcodes and response codes of the controller's protocol.
constexpr quint8 kSoftReset = 1;
constexpr quint8 kGetVersion = 2;
constexpr quint8 kGetCopyright = 3;
constexpr quint8 kSetParameters = 4;
constexpr quint8 kGetParameters = 5;
constexpr quint8 kSaveToFlash = 6;
constexpr quint8 kLoadFromFlash = 7;
constexpr quint8 kLoadDefaults = 8;
constexpr quint8 kEraseFlash = 9;
constexpr quint8 kCalibration3 = 14;
constexpr quint8 kSetFilter = 18;
constexpr quint8 kGetFilter = 19;
constexpr quint8 kSetZoneA = 31;
constexpr quint8 kGetZoneA = 33;
constexpr quint8 kGetZoneB = 34;
constexpr quint8 kGetTracker = 36;

constexpr int kCodeVersion = 1;
constexpr int kCodeCopyright = 2;
constexpr int kCodeParameters = 3;
constexpr int kCodeEdgeA = 4;
constexpr int kCodeEdgeB = 5;
constexpr int kCodeScanA = 8;
constexpr int kCodeScanAreaA = 12;
constexpr int kCodeFinger = 18;
constexpr int kCodeFilter = 21;
constexpr int kCodeZoneA = 35;
constexpr int kCodeZoneB = 36;
constexpr int kCodeTracker = 37;
constexpr int kCodeDiagA = 40;
constexpr int kCodeDiagB = 41;

// Block offsets (frame byte = 0); on the wire they sit one byte further on.
constexpr int kEdgePrescaler = 2;
constexpr int kTouchThreshold = 5;
constexpr int kMonitor1 = 10;
constexpr int kMonitor2 = 11;
constexpr int kStatus = 12;
constexpr int kDiag = 27;

using Host = SimTestHost;

quint8 blockByte(const QByteArray& report, int offset) {
    return report.size() > offset + 1 ? quint8(report.at(offset + 1)) : 0;
}

SimScenario streamingScenario() {
    SimScenario scenario = Host::quietScenario();
    scenario.edgeIntervalMs = 2;
    scenario.scanIntervalMs = 2;
    scenario.scanAreaIntervalMs = 2;
    scenario.diagIntervalMs = 2;
    scenario.fingerIntervalMs = 2;
    return scenario;
}

// Sends the current block back with one byte changed; returns the answer.
QByteArray writeByte(SimTestHost& host, int offset, quint8 value) {
    QByteArray block = host.parameters().mid(1);
    block[offset] = char(value);
    return host.ask(kSetParameters, kCodeParameters, block.mid(2));
}

}  // namespace

class tst_VirtualController : public QObject {
    Q_OBJECT

private slots:
    void parametersAnswerByteForByte_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QByteArray>("expected");
        // id frame code | 2..8 ps thr ps touch press lin enc | 9 out | 10 11 mon | 12 status |
        // 13 excl | 14 ver | 15..18 | 19 scan rate | 20 snap rate | 21..27
        QTest::addRow("factory board")
            << ""
            << Host::wire("01 2a 03 141e1419230003 01 0000 00 00 01 00000000 78 3c 00000000000000");
        QTest::addRow("parameter version 0")
            << "paramVersion=0"
            << Host::wire("01 2a 03 141e1419230003 01 0000 00 00 00 00000000 78 3c 00000000000000");
    }
    void parametersAnswerByteForByte() {
        QFETCH(QString, option);
        QFETCH(QByteArray, expected);
        SimScenario scenario = Host::quietScenario();
        QVERIFY(scenario.applyArgument(option));
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        host.send(kGetParameters, QByteArray(), 0x2a);
        QTRY_COMPARE(host.count(kCodeParameters), 1);
        QCOMPARE(host.last(kCodeParameters).toHex(' '), expected.toHex(' '));
    }

    void writeTakesHostFieldsKeepsBoardBits_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("written");
        QTest::addColumn<int>("reported");
        QTest::addRow("edge threshold") << "" << 3 << 0x40 << 0x40;
        QTest::addRow("every output bit, unknown ones too") << "" << 9 << 0xFF << 0xFF;
        QTest::addRow("dynamic monitor bits") << "" << 10 << 0x03 << 0x03;
        QTest::addRow("status is the board's") << "" << 12 << 0xF0 << 0x00;
        QTest::addRow("status of a calibrated board") << "calibrated=1" << 12 << 0x00 << 0x80;
        QTest::addRow("parameter version is the board's") << "" << 14 << 0x00 << 0x01;
        QTest::addRow("unlisted byte 18 echoes") << "" << 18 << 0x5A << 0x5A;
        QTest::addRow("scan rate is the board's") << "" << 19 << 0x01 << 0x78;
        QTest::addRow("wire-error bits are the board's") << "" << 27 << 0x03 << 0x00;
        QTest::addRow("wire error stays with a broken wire")
            << "brokenWireB=2" << 27 << 0x00 << 0x01;
        QTest::addRow("last byte of the block") << "" << 59 << 0x77 << 0x77;
    }
    void writeTakesHostFieldsKeepsBoardBits() {
        QFETCH(QString, option);
        QFETCH(int, offset);
        QFETCH(int, written);
        QFETCH(int, reported);
        SimScenario scenario = Host::quietScenario();
        QVERIFY(scenario.applyArgument(option));
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        const QByteArray before = host.parameters();
        const QByteArray answer = writeByte(host, offset, quint8(written));
        QCOMPARE(int(blockByte(answer, offset)), reported);
        QByteArray others = answer;
        others[offset + 1] = before.at(offset + 1);
        QCOMPARE(others.toHex(), before.toHex());
        QCOMPARE(int(blockByte(host.parameters(), offset)), reported);
    }

    void softResetBitHoldsForTheConfiguredTime() {
        SimScenario scenario = Host::quietScenario();
        scenario.softResetMs = 120;
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        QElapsedTimer clock;
        clock.start();
        host.send(kSoftReset);
        QVERIFY(blockByte(host.parameters(), kStatus) & 0x20);
        // Settings sent during the restart are not taken.
        const QByteArray ignored = writeByte(host, kTouchThreshold, 0x33);
        QCOMPARE(int(blockByte(ignored, kTouchThreshold)), 0x19);
        QVERIFY(blockByte(ignored, kStatus) & 0x20);
        QTRY_VERIFY(!controller.isSoftResetActive());
        QVERIFY(clock.elapsed() >= 110);
        QCOMPARE(int(blockByte(host.parameters(), kStatus) & 0x20), 0);
    }

    void newPrescalerRestartsTheBoardWhenSoConfigured_data() {
        QTest::addColumn<bool>("resets");
        QTest::addRow("restarts") << true;
        QTest::addRow("does not restart") << false;
    }
    void newPrescalerRestartsTheBoardWhenSoConfigured() {
        QFETCH(bool, resets);
        SimScenario scenario = Host::quietScenario();
        scenario.resetOnPrescalerChange = resets;
        scenario.softResetMs = 50;
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        const QByteArray same = writeByte(host, kTouchThreshold, 0x19);
        QCOMPARE(int(blockByte(same, kStatus) & 0x20), 0);
        const QByteArray answer = writeByte(host, kEdgePrescaler, 15);
        QCOMPARE(int(blockByte(answer, kEdgePrescaler)), 15);
        QCOMPARE(bool(blockByte(answer, kStatus) & 0x20), resets);
        QTRY_VERIFY(!controller.isSoftResetActive());
    }

    void flashKeepsSavedSettings() {
        VirtualController controller(Host::quietScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        writeByte(host, kTouchThreshold, 40);
        host.send(kSaveToFlash);
        writeByte(host, kTouchThreshold, 50);
        writeByte(host, kMonitor1, 0x03);
        host.send(kLoadFromFlash);
        QByteArray block = host.parameters();
        QCOMPARE(int(blockByte(block, kTouchThreshold)), 40);
        QCOMPARE(int(blockByte(block, kMonitor1)), 0);

        writeByte(host, kMonitor1, 0x03);
        host.send(kLoadDefaults);
        block = host.parameters();
        QCOMPARE(int(blockByte(block, kTouchThreshold)), 25);
        QCOMPARE(int(blockByte(block, kMonitor1)), 0);

        controller.unplug();
        controller.replug();
        SimTestHost again(&controller);
        QVERIFY(again.open());
        QCOMPARE(int(blockByte(again.parameters(), kTouchThreshold)), 40);
        again.send(kEraseFlash);
        again.send(kLoadFromFlash);
        QCOMPARE(int(blockByte(again.parameters(), kTouchThreshold)), 25);
    }

    void versionAndCopyrightText() {
        VirtualController controller(Host::quietScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        // code 1 | 2..7 unused | 8 hardware 2 | 9 layout 1 | 10 running 0x615 |
        // 14 original 0x600 | 18 update counter | 22..23 | 24 text
        const QByteArray version =
            Host::wire("01 00 01 000000000000 02 01 15060000 00060000 00000000 0000" +
                       QByteArray("Orvello Tavirel FW 615").toHex());
        QByteArray answer = host.ask(kGetVersion, kCodeVersion);
        QCOMPARE(answer.toHex(' '), version.toHex(' '));
        answer = host.ask(kGetCopyright, kCodeCopyright);
        QCOMPARE(answer.toHex(' '),
                 Host::wire("01 00 02" +
                            QByteArray("Copyright (c) Orvello. All rights reserved.").toHex())
                     .toHex(' '));
    }

    void filterSetRoundTrip() {
        VirtualController controller(Host::quietScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        // Eight words: 2.0, 2.0, 10.0, 0.5, 1.5, 1.0, 0.25, 4.0 in the fixed-point code.
        const QByteArray factory = Host::wire(
            "01 00 15 00020000 00020000 000a0000 00010080 80010000 00010000 00020080 00040000");
        QByteArray answer = host.ask(kGetFilter, kCodeFilter);
        QCOMPARE(answer.toHex(' '), factory.toHex(' '));
        // Lock distance 2.0 at block bytes 30..33, request bytes 29..32.
        QByteArray request = factory.mid(3, 58);
        request.replace(29 - 1, 4, QByteArray::fromHex("00020000"));
        answer = host.ask(kSetFilter, kCodeFilter, request);
        QByteArray expected = factory;
        expected.replace(31, 4, QByteArray::fromHex("00020000"));
        QCOMPARE(answer.toHex(' '), expected.toHex(' '));
    }

    void trackerSetOnlyFromLayoutVersionOne() {
        VirtualController controller(Host::quietScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        // 3.0, 8.0, 0.125 and the layout version at byte 14.
        QByteArray answer = host.ask(kGetTracker, kCodeTracker);
        QCOMPARE(answer.toHex(' '),
                 Host::wire("01 00 25 00030000 00080000 00040080 01").toHex(' '));

        SimScenario older = Host::quietScenario();
        older.paramVersion = 0;
        controller.setScenario(older);
        SimTestHost oldHost(&controller);
        QVERIFY(oldHost.open());
        oldHost.send(kGetTracker);
        // Answers keep request order, so once parameters are back a tracker answer would be too.
        QVERIFY(!oldHost.parameters().isEmpty());
        QCOMPARE(oldHost.count(kCodeTracker), 0);
    }

    void zoneCoefficientsPerArray_data() {
        QTest::addColumn<QString>("split");
        QTest::addColumn<int>("countA");
        QTest::addColumn<int>("countB");
        QTest::addRow("4040") << "4040" << 39 << 39;
        QTest::addRow("4024") << "4024" << 39 << 23;
    }
    void zoneCoefficientsPerArray() {
        QFETCH(QString, split);
        QFETCH(int, countA);
        QFETCH(int, countB);
        SimScenario scenario = Host::quietScenario();
        QVERIFY(scenario.applyOption("split", split));
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        QByteArray a = host.ask(kGetZoneA, kCodeZoneA);
        QCOMPARE(int(blockByte(a, 2)), countA);
        QCOMPARE(a.mid(4, countA), QByteArray(countA, char(0x20)));
        QCOMPARE(int(blockByte(host.ask(kGetZoneB, kCodeZoneB), 2)), countB);

        a = host.ask(kSetZoneA, kCodeZoneA, QByteArray::fromHex("03 0a0b0c"));
        QCOMPARE(a.toHex(' '), Host::wire("01 00 23 03 0a0b0c").toHex(' '));
        // More values than a request can carry: refused, the set stays.
        a = host.ask(kSetZoneA, kCodeZoneA, QByteArray(1, char(58)) + QByteArray(57, 'x'));
        QCOMPARE(a.toHex(' '), Host::wire("01 00 23 03 0a0b0c").toHex(' '));
        QCOMPARE(int(blockByte(host.ask(kGetZoneB, kCodeZoneB), 2)), countB);
    }

    void calibrationDecidesTheStatusBits_data() {
        QTest::addColumn<QByteArray>("records");
        QTest::addColumn<int>("status");
        // screen x, screen y, measured A, measured B per target, little-endian
        QTest::addRow("three good targets")
            << QByteArray::fromHex("9A019A01E803D007 660E9A01B80BD007 9A01660EE803F401") << 0x80;
        QTest::addRow("measured points on one line")
            << QByteArray::fromHex("9A019A01E803D007 660E9A01E803E803 9A01660EE8030004") << 0x40;
        QTest::addRow("screen point off the desktop")
            << QByteArray::fromHex("9A019A01E803D007 8813 9A01B80BD007 9A01660EE803F401") << 0x40;
        QTest::addRow("measured point off the sensor")
            << QByteArray::fromHex("9A019A01E803D007 660E9A01B80B0010 9A01660EE803F401") << 0x40;
        QTest::addRow("nothing measured") << QByteArray(24, '\0') << 0x40;
    }
    void calibrationDecidesTheStatusBits() {
        QFETCH(QByteArray, records);
        QFETCH(int, status);
        VirtualController controller(Host::quietScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        QCOMPARE(int(blockByte(host.parameters(), kStatus)), 0);
        host.send(kCalibration3, records);
        QCOMPARE(controller.calibrationData().toHex(), records.toHex());
        QCOMPARE(int(blockByte(host.parameters(), kStatus)), status);
        // A good calibration afterwards clears a bad verdict.
        host.send(kCalibration3,
                  QByteArray::fromHex("9A019A01E803D007 660E9A01B80BD007 9A01660EE803F401"));
        QCOMPARE(int(blockByte(host.parameters(), kStatus)), 0x80);
    }

    void edgeStreamFollowsTheFlags_data() {
        QTest::addColumn<QString>("split");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("countA");
        QTest::addColumn<int>("countB");
        QTest::addRow("A only") << "4040" << 0x80 << 39 << 0;
        QTest::addRow("B only") << "4040" << 0x20 << 0 << 39;
        QTest::addRow("both on 2440") << "2440" << 0xA0 << 23 << 39;
        QTest::addRow("maximum flags alone stream nothing") << "4040" << 0x50 << 0 << 0;
    }
    void edgeStreamFollowsTheFlags() {
        QFETCH(QString, split);
        QFETCH(int, flags);
        QFETCH(int, countA);
        QFETCH(int, countB);
        SimScenario scenario = streamingScenario();
        QVERIFY(scenario.applyOption("split", split));
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        writeByte(host, kMonitor1, quint8(flags));
        host.parameters();
        host.parameters();
        if (countA > 0) {
            QTRY_VERIFY(host.count(kCodeEdgeA) >= 3);
            QCOMPARE(int(blockByte(host.last(kCodeEdgeA), 4)), countA);
            QCOMPARE(host.last(kCodeEdgeA).mid(8, countA), QByteArray(countA, char(16)));
        }
        if (countB > 0) {
            QTRY_VERIFY(host.count(kCodeEdgeB) >= 3);
            QCOMPARE(int(blockByte(host.last(kCodeEdgeB), 4)), countB);
        }
        writeByte(host, kMonitor1, 0x00);
        const int streamed = host.count(kCodeEdgeA) + host.count(kCodeEdgeB);
        // Two more round trips: nothing streams any more in between.
        host.parameters();
        host.parameters();
        QCOMPARE(host.count(kCodeEdgeA) + host.count(kCodeEdgeB), streamed);
        QCOMPARE(streamed > 0, countA + countB > 0);
    }

    void impossibleWireCountsAreBounded() {
        SimScenario scenario = streamingScenario();
        scenario.wiresA = 0;
        scenario.wiresB = 100;
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        writeByte(host, kMonitor1, 0xA8);
        writeByte(host, kMonitor2, 0x80);
        QTRY_VERIFY(host.count(kCodeEdgeA) >= 1 && host.count(kCodeEdgeB) >= 1 &&
                    host.count(kCodeScanA) >= 3 && host.count(kCodeScanAreaA) >= 3);
        QCOMPARE(int(blockByte(host.last(kCodeEdgeA), 4)), 1);
        QCOMPARE(int(blockByte(host.last(kCodeEdgeB), 4)), 39);
        QCOMPARE(int(blockByte(host.withCode(kCodeScanA).at(2), 2)), 0);
    }

    void firstEdgeReportByteForByte() {
        SimScenario scenario = streamingScenario();
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        writeByte(host, kMonitor1, 0x80);
        QTRY_VERIFY(host.count(kCodeEdgeA) >= 1);
        // frame 0 (first stream report) | code 4 | 2..3 | count 39 | 5..6 | 39 values at baseline
        QCOMPARE(host.withCode(kCodeEdgeA).first().toHex(' '),
                 Host::wire("01 00 04 0000 27 0000" + QByteArray(39, char(16)).toHex()).toHex(' '));
    }

    void fingerRaisesTheWiresUnderIt() {
        SimScenario scenario = streamingScenario();
        scenario.resetOnPrescalerChange = false;
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        // Wire 10 of 40 lies at 1075.2; its neighbours see exp(-d^2 / 1.28) of the signal.
        controller.touchDown(1075, 2048);
        writeByte(host, kMonitor1, 0x80);
        host.clear();
        QTRY_VERIFY(host.count(kCodeEdgeA) >= 1);
        QByteArray values = host.last(kCodeEdgeA).mid(8, 39);
        QCOMPARE(values.toHex(' '), (QByteArray(8, char(16)) + QByteArray::fromHex("111e2e1e11") +
                                     QByteArray(26, char(16)))
                                        .toHex(' '));
        // Half the prescaler, twice the signal: 16 + 600 / 10.
        writeByte(host, kEdgePrescaler, 10);
        host.clear();
        QTRY_VERIFY(host.count(kCodeEdgeA) >= 1);
        values = host.last(kCodeEdgeA).mid(8, 39);
        QCOMPARE(int(quint8(values.at(10))), 76);
        controller.liftFinger();
        host.clear();
        QTRY_VERIFY(host.count(kCodeEdgeA) >= 1);
        QCOMPARE(host.last(kCodeEdgeA).mid(8, 39), QByteArray(39, char(16)));
    }

    void faultyWires() {
        SimScenario scenario = streamingScenario();
        scenario.noise = 1.0;
        scenario.brokenWireA = 10;
        scenario.weakWireB = 20;
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        controller.touchDown(1075, 2099);
        writeByte(host, kMonitor1, 0xA0);
        writeByte(host, kDiag, 0xC0);
        QTRY_VERIFY(host.count(kCodeEdgeA) >= 20 && host.count(kCodeEdgeB) >= 20 &&
                    host.count(kCodeDiagA) >= 1 && host.count(kCodeDiagB) >= 1);
        int peakB = 0;
        for (const QByteArray& report : host.withCode(kCodeEdgeA)) {
            QCOMPARE(int(quint8(report.at(8 + 10))), 16);  // broken: flat, no noise
        }
        for (const QByteArray& report : host.withCode(kCodeEdgeB)) {
            peakB = qMax(peakB, int(quint8(report.at(8 + 20))));
        }
        // Weak: a quarter of the 30 counts above the baseline, plus noise.
        QVERIFY2(peakB > 16 && peakB < 16 + 30 / 2, qPrintable(QString::number(peakB)));
        const QByteArray diagA = host.last(kCodeDiagA);
        QCOMPARE(int(blockByte(diagA, 4)), 40);
        QCOMPARE(int(blockByte(diagA, 7 + 10)), 0);
        QVERIFY(blockByte(diagA, 7 + 11) > 100);
        QCOMPARE(int(blockByte(host.last(kCodeDiagB), 4)), 40);
        QVERIFY(blockByte(host.last(kCodeDiagB), 7 + 20) < 64);
        QCOMPARE(int(blockByte(host.parameters(), kDiag)), 0xC2);
    }

    void scanLinesWalkTheGrid() {
        SimScenario scenario = streamingScenario();
        QVERIFY(scenario.applyOption("split", "2440"));
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        writeByte(host, kMonitor1, 0x08);
        QTRY_VERIFY(host.count(kCodeScanA) >= 26);
        const QList<QByteArray> lines = host.withCode(kCodeScanA);
        for (int i = 0; i < 26; ++i) {
            QCOMPARE(int(blockByte(lines.at(i), 2)), i % 24);
            QCOMPARE(int(blockByte(lines.at(i), 4)), 40);
        }
    }

    void scanAreaTilesCoverTheGrid() {
        SimScenario scenario = streamingScenario();
        QVERIFY(scenario.applyOption("split", "4024"));
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        writeByte(host, kMonitor2, 0x80);
        QTRY_VERIFY(host.count(kCodeScanAreaA) >= 4);
        const QList<QByteArray> tiles = host.withCode(kCodeScanAreaA);
        // first row, rows, first column, columns: 40 rows of 24 columns in 5 x 10 tiles
        QCOMPARE(tiles.at(0).mid(3, 4).toHex(), QByteArray("0005000a"));
        QCOMPARE(tiles.at(1).mid(3, 4).toHex(), QByteArray("00050a0a"));
        QCOMPARE(
            tiles.at(2).toHex(' '),
            Host::wire("01 02 0c 00 05 14 04 00" + QByteArray(20, char(16)).toHex()).toHex(' '));
        QCOMPARE(tiles.at(3).mid(3, 4).toHex(), QByteArray("0505000a"));
    }

    void untrackedFingerReportsContactAndPosition() {
        VirtualController controller(streamingScenario());
        SimTestHost host(&controller);
        QVERIFY(host.open());
        writeByte(host, kMonitor2, 0x10);
        QTRY_VERIFY(host.count(kCodeFinger) >= 1);
        QCOMPARE(host.withCode(kCodeFinger).first().toHex(' '),
                 Host::wire("01 00 12 00").toHex(' '));
        controller.touchDown(1234, 3000);
        host.clear();
        QTRY_VERIFY(host.count(kCodeFinger) >= 1);
        QByteArray report = host.last(kCodeFinger);
        report[1] = 0;
        QCOMPARE(report.toHex(' '), Host::wire("01 00 12 02 00 d204 b80b").toHex(' '));
        writeByte(host, kMonitor2, 0x00);
        const int streamed = host.count(kCodeFinger);
        host.parameters();
        host.parameters();
        QCOMPARE(host.count(kCodeFinger), streamed);
    }

    void scriptedTouchesFollowTheClock() {
        SimScenario scenario = streamingScenario();
        QVERIFY(scenario.applyOption("touches", "0:100:200 150:up"));
        VirtualController controller(scenario);
        QVERIFY(controller.isTouched());
        QTRY_VERIFY(!controller.isTouched());
        QVERIFY(controller.elapsedMs() >= 145);
    }

    void streamsPauseDuringSoftReset() {
        SimScenario scenario = streamingScenario();
        scenario.softResetMs = 60;
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        writeByte(host, kMonitor1, 0x80);
        QTRY_VERIFY(host.count(kCodeEdgeA) >= 1);
        int duringReset = 0;
        int afterReset = 0;
        connect(&controller, &VirtualController::reportSent, this,
                [&]() { ++(controller.isSoftResetActive() ? duringReset : afterReset); });
        host.send(kSoftReset);
        QTRY_VERIFY(!controller.isSoftResetActive());
        QTRY_VERIFY(afterReset > 0);
        QCOMPARE(duringReset, 0);
    }

    void silenceSwallowsRequestsAndStreams() {
        SimScenario scenario = streamingScenario();
        scenario.silenceAtMs = 40;
        scenario.silenceForMs = 80;
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        writeByte(host, kMonitor1, 0x80);
        int whileSilent = 0;
        int afterwards = 0;
        connect(&controller, &VirtualController::reportSent, this,
                [&]() { ++(controller.isSilent() ? whileSilent : afterwards); });
        QTRY_VERIFY(controller.isSilent());
        const int before = afterwards;
        host.send(kGetParameters, QByteArray(), 0xE1);
        QTRY_VERIFY(!controller.isSilent());
        QVERIFY(controller.elapsedMs() >= 115);
        QVERIFY(!host.parameters().isEmpty());
        QTRY_VERIFY(afterwards > before + 1);
        QCOMPARE(whileSilent, 0);
        for (const QByteArray& report : host.withCode(kCodeParameters)) {
            QVERIFY(quint8(report.at(1)) != 0xE1);
        }
    }

    void unplugAndReplugOnSchedule() {
        SimScenario scenario = Host::quietScenario();
        scenario.unplugAtMs = 30;
        scenario.replugAfterMs = 70;
        VirtualController controller(scenario);
        SimTestHost host(&controller);
        QVERIFY(host.open());
        QSignalSpy bus(&controller, &VirtualController::busPresenceChanged);
        QTRY_COMPARE(bus.count(), 1);
        QCOMPARE(bus.at(0).at(0).toBool(), false);
        QCOMPARE(host.pump(), -1);
        const qint64 leftAt = controller.elapsedMs();
        QTRY_COMPARE(bus.count(), 2);
        QCOMPARE(bus.at(1).at(0).toBool(), true);
        QVERIFY(controller.elapsedMs() - leftAt >= 60);
        SimTestHost again(&controller);
        QVERIFY(again.open());
        QVERIFY(!again.parameters().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_VirtualController)
#include "tst_VirtualController.moc"
