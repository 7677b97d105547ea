#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include "protocol/FirmwareInformation.h"
#include "protocol/ResponseDelegateProcessedEdge.h"
#include "protocol/StoredWireCounts.h"
#include "firmware/FirmwareSplitType.h"
#include "tests/support/SimRig.h"

namespace {
// An edge report as the controller streams it: frame byte, code (4 = A, 5 = B), two
// unused bytes, the value count n at byte 4, two unused bytes, then n values.
QByteArray edgeReport(int code, int values) {
    QByteArray report = QByteArray::fromHex("0000000000000000");
    report[1] = char(code);
    report[4] = char(values);
    report.truncate(7);
    report.append(QByteArray(values, '\x30'));
    return report.leftJustified(60, '\0');
}

void deliver(DeviceResponseDelegate* delegate, const QByteArray& report) {
    delegate->addData(report);
    delegate->execute();
}

constexpr int kEdgeA = 4;
constexpr int kEdgeB = 5;
}  // namespace

class tst_FirmwareSplitType : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        FirmwareInformation::instance().clear();
        StoredWireCounts::reset();
    }

    // The whole check against the controller: it streams its edges when asked, the counts
    // and the split type are stored, the header is asked for, and the stream is stopped.
    // (The board start flow runs it for the 40/40 and 40/24 sensors.)
    void measuresTheSensorOfTheController() {
        const int wiresA = 24;
        const int wiresB = 40;
        const int splitType = 2440;
        SimScenario scenario = SimRig::quickScenario();
        scenario.wiresA = wiresA;
        scenario.wiresB = wiresB;
        SimRig link(scenario);
        QVERIFY(link.connectBoard());
        FirmwareSplitType check(&link.dispatcher, &link.ops);
        QSignalSpy header(&check, &FirmwareSplitType::signal_getHeader);

        check.checkWireCount();
        QVERIFY(check.isStarted());
        QVERIFY(header.wait(SimRig::kWaitMs));
        QCOMPARE(header.count(), 1);
        QCOMPARE(check.aWireCount(), wiresA);
        QCOMPARE(check.bWireCount(), wiresB);
        QCOMPARE(StoredWireCounts::storedWireCountA(), wiresA);
        QCOMPARE(StoredWireCounts::storedWireCountB(), wiresB);
        const FirmwareInformation& information = FirmwareInformation::instance();
        QCOMPARE(information.wireCountA(), wiresA);
        QCOMPARE(information.wireCountB(), wiresB);
        QCOMPARE(information.splitType(), splitType);

        // The edge stream is switched off again, and further edges change nothing.
        QTRY_VERIFY(!link.parameters()->isMonitorEdgeA() && !link.parameters()->isMonitorEdgeB());
        auto* edges = link.delegate<ResponseDelegateProcessedEdge>("ProcessedEdge");
        deliver(edges, edgeReport(kEdgeA, 23));
        deliver(edges, edgeReport(kEdgeB, 23));
        QCOMPARE(header.count(), 1);
        QCOMPARE(check.aWireCount(), wiresA);
    }

    // Edge lengths fed straight to the delegate, for pairs the controller cannot show; an
    // empty edge report of B before the real one keeps the check waiting.
    void countsAreEdgeLengthsPlusOne_data() {
        QTest::addColumn<int>("edgesA");
        QTest::addColumn<int>("edgesB");
        QTest::addColumn<int>("splitType");
        QTest::addColumn<bool>("emptyBFirst");
        QTest::addRow("39/23 -> 4024") << 39 << 23 << 4024 << false;
        QTest::addRow("39/39 -> 4040") << 39 << 39 << 4040 << false;
        QTest::addRow("23/39 -> 2440") << 23 << 39 << 2440 << false;
        QTest::addRow("31/31 keeps the split type") << 31 << 31 << 2440 << false;
        QTest::addRow("empty B report first") << 39 << 39 << 4040 << true;
    }
    void countsAreEdgeLengthsPlusOne() {
        QFETCH(int, edgesA);
        QFETCH(int, edgesB);
        QFETCH(int, splitType);
        QFETCH(bool, emptyBFirst);
        SimRig link;
        QVERIFY(link.connectBoard());
        FirmwareInformation::instance().setSplitType(2440);  // left from an earlier sensor
        FirmwareSplitType check(&link.dispatcher, &link.ops);
        QSignalSpy header(&check, &FirmwareSplitType::signal_getHeader);
        check.checkWireCount();
        link.board.setSilent(true);  // only the reports below count

        auto* edges = link.delegate<ResponseDelegateProcessedEdge>("ProcessedEdge");
        deliver(edges, edgeReport(kEdgeA, edgesA));
        QCOMPARE(header.count(), 0);  // B not seen yet
        if (emptyBFirst) {
            deliver(edges, edgeReport(kEdgeB, 0));
            QCOMPARE(header.count(), 0);
            QCOMPARE(check.aWireCount(), 0);
        }
        deliver(edges, edgeReport(kEdgeB, edgesB));
        QCOMPARE(header.count(), 1);
        QCOMPARE(check.aWireCount(), edgesA + 1);
        QCOMPARE(check.bWireCount(), edgesB + 1);
        QCOMPARE(StoredWireCounts::storedWireCountA(), edgesA + 1);
        QCOMPARE(StoredWireCounts::storedWireCountB(), edgesB + 1);
        QCOMPARE(FirmwareInformation::instance().splitType(), splitType);

        // Storing again gives the same counts, not one more.
        check.SetFirmwareSplitType();
        QCOMPARE(check.aWireCount(), edgesA + 1);
        QCOMPARE(StoredWireCounts::storedWireCountB(), edgesB + 1);
    }

    // The edge delegate announces its first pair of edges once in its life. A check that
    // starts after that (a second board start, edges left streaming) must still finish.
    void finishesAfterTheDelegateAnnouncedItsEdgesEarlier() {
        SimRig link;
        QVERIFY(link.connectBoard());
        auto* edges = link.delegate<ResponseDelegateProcessedEdge>("ProcessedEdge");
        QSignalSpy announced(edges, &ResponseDelegateProcessedEdge::finishedWireCheck);
        deliver(edges, edgeReport(kEdgeA, 39));
        deliver(edges, edgeReport(kEdgeB, 23));
        QCOMPARE(announced.count(), 1);

        FirmwareSplitType check(&link.dispatcher, &link.ops);
        QSignalSpy header(&check, &FirmwareSplitType::signal_getHeader);
        check.checkWireCount();
        QVERIFY(header.wait(SimRig::kWaitMs));
        QCOMPARE(check.aWireCount(), 40);
        QCOMPARE(check.bWireCount(), 40);
        QCOMPARE(announced.count(), 1);
    }

    void disconnectingTheCheckAsksForTheHeaderAnyway() {
        SimRig link;
        FirmwareSplitType check(&link.dispatcher, &link.ops);
        QSignalSpy header(&check, &FirmwareSplitType::signal_getHeader);
        check.disConnectWireCheck();
        QCOMPARE(header.count(), 1);
        QCOMPARE(check.aWireCount(), 0);
        QCOMPARE(StoredWireCounts::storedWireCountA(), 0);
        QVERIFY(check.SetAwireCount(QByteArray(39, '\1')));
        QVERIFY(check.SetBwireCount(QByteArray(39, '\1')));
        QCOMPARE(check.aWireCount(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_FirmwareSplitType)
#include "tst_FirmwareSplitType.moc"
