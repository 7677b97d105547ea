#include <QtTest>

#include <memory>

#include "SimTestHost.h"

namespace {

// Opcodes, response codes and block offsets (frame byte = 0; on the wire one byte
// further on) of the controller's protocol.
constexpr quint8 kGetVersion = 2, kGetCopyright = 3, kSetParameters = 4, kGetParameters = 5,
                 kCalibration3 = 14, kSetFilter = 18, kGetFilter = 19, kSetZoneA = 31,
                 kGetZoneA = 33, kGetZoneB = 34, kGetTracker = 36;
constexpr int kCodeVersion = 1, kCodeCopyright = 2, kCodeParameters = 3, kCodeEdgeA = 4,
              kCodeEdgeB = 5, kCodeScanA = 8, kCodeScanAreaA = 12, kCodeFinger = 18,
              kCodeFilter = 21, kCodeZoneA = 35, kCodeZoneB = 36, kCodeTracker = 37;
constexpr int kMonitor1 = 10, kMonitor2 = 11, kStatus = 12;

using Host = SimTestHost;

quint8 blockByte(const QByteArray& report, int offset) {
    return report.size() > offset + 1 ? quint8(report.at(offset + 1)) : 0;
}

// Options that make the quiet controller send every stream every 2 ms.
const QString kStreams = QStringLiteral(
    "edgeInterval=2,scanInterval=2,scanAreaInterval=2,diagInterval=2,fingerInterval=2,");

}  // namespace

class tst_VirtualController : public QObject {
    Q_OBJECT

    std::unique_ptr<VirtualController> m_controller;
    std::unique_ptr<SimTestHost> m_host;

    // A controller playing the scenario changed by "key=value,..." options, with the
    // host's handle open on it.
    bool start(const QString& options = QString(), SimScenario scenario = Host::quietScenario()) {
        if (!scenario.applyArgument(options)) {
            return false;
        }
        m_controller = std::make_unique<VirtualController>(scenario);
        m_host = std::make_unique<SimTestHost>(m_controller.get());
        return m_host->open();
    }
    // Sends the current block back with one byte changed; returns the answer.
    QByteArray writeByte(int offset, quint8 value) {
        QByteArray block = m_host->parameters().mid(1);
        block[offset] = char(value);
        return m_host->ask(kSetParameters, kCodeParameters, block.mid(2));
    }

private slots:
    void cleanup() {
        m_host.reset();
        m_controller.reset();
    }

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
        QVERIFY(start(option));
        m_host->send(kGetParameters, QByteArray(), 0x2a);
        QTRY_COMPARE(m_host->count(kCodeParameters), 1);
        QCOMPARE(m_host->last(kCodeParameters).toHex(' '), expected.toHex(' '));
    }

    void writeTakesHostFieldsKeepsBoardBits_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("written");
        QTest::addColumn<int>("reported");
        QTest::addRow("edge threshold") << "" << 3 << 0x40 << 0x40;
        QTest::addRow("every output bit, unknown ones too") << "" << 9 << 0xFF << 0xFF;
        QTest::addRow("status is the board's") << "" << 12 << 0xF0 << 0x00;
        QTest::addRow("status of a calibrated board") << "calibrated=1" << 12 << 0x00 << 0x80;
        QTest::addRow("parameter version is the board's") << "" << 14 << 0x00 << 0x01;
        QTest::addRow("scan rate is the board's") << "" << 19 << 0x01 << 0x78;
        QTest::addRow("wire error stays with a broken wire")
            << "brokenWireB=2" << 27 << 0x00 << 0x01;
        QTest::addRow("last byte of the block") << "" << 59 << 0x77 << 0x77;
    }
    void writeTakesHostFieldsKeepsBoardBits() {
        QFETCH(QString, option);
        QFETCH(int, offset);
        QFETCH(int, written);
        QFETCH(int, reported);
        QVERIFY(start(option));
        const QByteArray before = m_host->parameters();
        const QByteArray answer = writeByte(offset, quint8(written));
        QCOMPARE(int(blockByte(answer, offset)), reported);
        QByteArray others = answer;
        others[offset + 1] = before.at(offset + 1);
        QCOMPARE(others.toHex(), before.toHex());
        QCOMPARE(int(blockByte(m_host->parameters(), offset)), reported);
    }

    void versionAndCopyrightText() {
        QVERIFY(start());
        // code 1 | 2..7 unused | 8 hardware 2 | 9 layout 1 | 10 running 0x615 |
        // 14 original 0x600 | 18 update counter | 22..23 | 24 text
        const QByteArray version =
            Host::wire("01 00 01 000000000000 02 01 15060000 00060000 00000000 0000" +
                       QByteArray("Orvello Tavirel FW 615").toHex());
        QByteArray answer = m_host->ask(kGetVersion, kCodeVersion);
        QCOMPARE(answer.toHex(' '), version.toHex(' '));
        answer = m_host->ask(kGetCopyright, kCodeCopyright);
        QCOMPARE(answer.toHex(' '),
                 Host::wire("01 00 02" +
                            QByteArray("Copyright (c) Orvello. All rights reserved.").toHex())
                     .toHex(' '));
    }

    void filterSetRoundTrip() {
        QVERIFY(start());
        // Eight words: 2.0, 2.0, 10.0, 0.5, 1.5, 1.0, 0.25, 4.0 in the fixed-point code.
        const QByteArray factory = Host::wire(
            "01 00 15 00020000 00020000 000a0000 00010080 80010000 00010000 00020080 00040000");
        QByteArray answer = m_host->ask(kGetFilter, kCodeFilter);
        QCOMPARE(answer.toHex(' '), factory.toHex(' '));
        // Lock distance 2.0 at block bytes 30..33, request bytes 29..32.
        QByteArray request = factory.mid(3, 58);
        request.replace(29 - 1, 4, QByteArray::fromHex("00020000"));
        answer = m_host->ask(kSetFilter, kCodeFilter, request);
        QByteArray expected = factory;
        expected.replace(31, 4, QByteArray::fromHex("00020000"));
        QCOMPARE(answer.toHex(' '), expected.toHex(' '));
    }

    void trackerSetOnlyFromLayoutVersionOne() {
        QVERIFY(start());
        // 3.0, 8.0, 0.125 and the layout version at byte 14.
        QByteArray answer = m_host->ask(kGetTracker, kCodeTracker);
        QCOMPARE(answer.toHex(' '),
                 Host::wire("01 00 25 00030000 00080000 00040080 01").toHex(' '));

        SimScenario older = Host::quietScenario();
        older.paramVersion = 0;
        m_controller->setScenario(older);
        SimTestHost oldHost(m_controller.get());
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
        QVERIFY(start("split=" + split));
        QByteArray a = m_host->ask(kGetZoneA, kCodeZoneA);
        QCOMPARE(int(blockByte(a, 2)), countA);
        QCOMPARE(a.mid(4, countA), QByteArray(countA, char(0x20)));
        QCOMPARE(int(blockByte(m_host->ask(kGetZoneB, kCodeZoneB), 2)), countB);

        a = m_host->ask(kSetZoneA, kCodeZoneA, QByteArray::fromHex("03 0a0b0c"));
        QCOMPARE(a.toHex(' '), Host::wire("01 00 23 03 0a0b0c").toHex(' '));
        // More values than a request can carry: refused, the set stays.
        a = m_host->ask(kSetZoneA, kCodeZoneA, QByteArray(1, char(58)) + QByteArray(57, 'x'));
        QCOMPARE(a.toHex(' '), Host::wire("01 00 23 03 0a0b0c").toHex(' '));
        QCOMPARE(int(blockByte(m_host->ask(kGetZoneB, kCodeZoneB), 2)), countB);
    }

    void calibrationDecidesTheStatusBits_data() {
        QTest::addColumn<QByteArray>("records");
        QTest::addColumn<int>("status");
        // screen x, screen y, measured A, measured B per target, little-endian
        QTest::addRow("three good targets")
            << QByteArray::fromHex("9A019A01E803D007 660E9A01B80BD007 9A01660EE803F401") << 0x80;
        QTest::addRow("measured points on one line")
            << QByteArray::fromHex("9A019A01E803D007 660E9A01E803E803 9A01660EE8030004") << 0x40;
        QTest::addRow("nothing measured") << QByteArray(24, '\0') << 0x40;
    }
    void calibrationDecidesTheStatusBits() {
        QFETCH(QByteArray, records);
        QFETCH(int, status);
        QVERIFY(start());
        QCOMPARE(int(blockByte(m_host->parameters(), kStatus)), 0);
        m_host->send(kCalibration3, records);
        QCOMPARE(m_controller->calibrationData().toHex(), records.toHex());
        QCOMPARE(int(blockByte(m_host->parameters(), kStatus)), status);
        // A good calibration afterwards clears a bad verdict.
        m_host->send(kCalibration3,
                     QByteArray::fromHex("9A019A01E803D007 660E9A01B80BD007 9A01660EE803F401"));
        QCOMPARE(int(blockByte(m_host->parameters(), kStatus)), 0x80);
    }

    void impossibleWireCountsAreBounded() {
        SimScenario scenario = Host::quietScenario();
        scenario.wiresA = 0;
        scenario.wiresB = 100;
        QVERIFY(start(kStreams, scenario));
        writeByte(kMonitor1, 0xA8);
        writeByte(kMonitor2, 0x80);
        QTRY_VERIFY(m_host->count(kCodeEdgeA) >= 1 && m_host->count(kCodeEdgeB) >= 1 &&
                    m_host->count(kCodeScanA) >= 3 && m_host->count(kCodeScanAreaA) >= 3);
        QCOMPARE(int(blockByte(m_host->last(kCodeEdgeA), 4)), 1);
        QCOMPARE(int(blockByte(m_host->last(kCodeEdgeB), 4)), 39);
        QCOMPARE(int(blockByte(m_host->withCode(kCodeScanA).at(2), 2)), 0);
    }

    void firstEdgeReportByteForByte() {
        QVERIFY(start(kStreams));
        writeByte(kMonitor1, 0x80);
        QTRY_VERIFY(m_host->count(kCodeEdgeA) >= 1);
        // frame 0 (first stream report) | code 4 | 2..3 | count 39 | 5..6 | 39 values at baseline
        QCOMPARE(m_host->withCode(kCodeEdgeA).first().toHex(' '),
                 Host::wire("01 00 04 0000 27 0000" + QByteArray(39, char(16)).toHex()).toHex(' '));
    }

    // The automatic sensitivity's finger: exact frames from pressAt on, only while the
    // edges stream; the middle wire at the press level, every wire swinging by the noise.
    void pressedTargetGivesExactFrames() {
        QVERIFY(start(kStreams + "noise=5,split=2440,pressAt=0,pressLevel=40,pressNoise=2"));
        m_controller->touchDown(100, 100);
        writeByte(kMonitor1, 0xA0);
        m_host->clear();
        QTRY_VERIFY(m_host->count(kCodeEdgeA) >= 2 && m_host->count(kCodeEdgeB) >= 2);
        auto expected = [](int edges, int swing) {
            QByteArray frame(edges, char(16 + swing));
            frame[edges / 2] = char(40 + swing);
            return frame.toHex(' ');
        };
        for (const auto& [code, edges] : {std::pair{kCodeEdgeA, 23}, std::pair{kCodeEdgeB, 39}}) {
            const QList<QByteArray> reports = m_host->withCode(code);
            const QByteArray first = reports.at(0).mid(8, edges);
            const QByteArray second = reports.at(1).mid(8, edges);
            const bool firstHigh = quint8(first.at(0)) == 18;
            QCOMPARE(first.toHex(' '), expected(edges, firstHigh ? 2 : -2));
            QCOMPARE(second.toHex(' '), expected(edges, firstHigh ? -2 : 2));
        }
    }

    void scanAreaTilesCoverTheGrid() {
        QVERIFY(start(kStreams + "split=4024"));
        writeByte(kMonitor2, 0x80);
        QTRY_VERIFY(m_host->count(kCodeScanAreaA) >= 4);
        const QList<QByteArray> tiles = m_host->withCode(kCodeScanAreaA);
        // first row, rows, first column, columns: 40 rows of 24 columns in 5 x 10 tiles
        QCOMPARE(tiles.at(0).mid(3, 4).toHex(), QByteArray("0005000a"));
        QCOMPARE(tiles.at(1).mid(3, 4).toHex(), QByteArray("00050a0a"));
        QCOMPARE(
            tiles.at(2).toHex(' '),
            Host::wire("01 02 0c 00 05 14 04 00" + QByteArray(20, char(16)).toHex()).toHex(' '));
        QCOMPARE(tiles.at(3).mid(3, 4).toHex(), QByteArray("0505000a"));
    }

    void untrackedFingerReportsContactAndPosition() {
        QVERIFY(start(kStreams));
        writeByte(kMonitor2, 0x10);
        QTRY_VERIFY(m_host->count(kCodeFinger) >= 1);
        QCOMPARE(m_host->withCode(kCodeFinger).first().toHex(' '),
                 Host::wire("01 00 12 00").toHex(' '));
        m_controller->touchDown(1234, 3000);
        m_host->clear();
        QTRY_VERIFY(m_host->count(kCodeFinger) >= 1);
        QByteArray report = m_host->last(kCodeFinger);
        report[1] = 0;
        QCOMPARE(report.toHex(' '), Host::wire("01 00 12 02 00 d204 b80b").toHex(' '));
    }

    // A request sent while the board is silent is never answered, later ones are.
    void silenceSwallowsRequests() {
        QVERIFY(start("silenceAt=40,silenceFor=300"));
        QTRY_VERIFY(m_controller->isSilent());
        m_host->send(kGetParameters, QByteArray(), 0xE1);
        QTRY_VERIFY(!m_controller->isSilent());
        QVERIFY(!m_host->parameters().isEmpty());
        for (const QByteArray& report : m_host->withCode(kCodeParameters)) {
            QVERIFY(quint8(report.at(1)) != 0xE1);
        }
    }

    void unplugAndReplugOnSchedule() {
        QVERIFY(start("unplugAt=30,replugAfter=70"));
        QSignalSpy bus(m_controller.get(), &VirtualController::busPresenceChanged);
        // Taken when the board moves, not when the test gets round to looking.
        QList<qint64> movedAt;
        connect(m_controller.get(), &VirtualController::busPresenceChanged, this,
                [&movedAt, this] { movedAt << m_controller->elapsedMs(); });
        QTRY_COMPARE(bus.count(), 1);
        QCOMPARE(bus.at(0).at(0).toBool(), false);
        QCOMPARE(m_host->pump(), -1);
        QTRY_COMPARE(bus.count(), 2);
        QCOMPARE(bus.at(1).at(0).toBool(), true);
        QCOMPARE(movedAt.size(), 2);
        QVERIFY(movedAt.at(1) - movedAt.at(0) >= 60);
        SimTestHost again(m_controller.get());
        QVERIFY(again.open());
        QVERIFY(!again.parameters().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_VirtualController)
#include "tst_VirtualController.moc"
