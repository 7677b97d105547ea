#include <QtTest>

#include "sim/SimMalformedReports.h"
#include "sim/SimReport.h"

namespace {
constexpr int kSamples = 300;
constexpr quint8 kHugeCountFloor = 0xF0;
}  // namespace

// The malformed reports of a noisy board: each kind breaks the layout the way its name
// says.
class tst_SimMalformedReports : public QObject {
    Q_OBJECT

private slots:
    void everyKindIsMalformedItsWay_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("shortest");
        QTest::addColumn<int>("longest");
        QTest::addColumn<bool>("ourReportId");
        using K = SimMalformedReports::Kind;
        QTest::addRow("random bytes") << int(K::RandomBytes) << 1 << 4096 << false;
        QTest::addRow("random body") << int(K::RandomBody) << 61 << 61 << true;
        QTest::addRow("cut body") << int(K::CutBody) << 1 << 60 << true;
        QTest::addRow("huge counts") << int(K::HugeCounts) << 61 << 61 << true;
        QTest::addRow("wrong report id") << int(K::WrongReportId) << 61 << 61 << false;
    }
    void everyKindIsMalformedItsWay() {
        QFETCH(int, kind);
        QFETCH(int, shortest);
        QFETCH(int, longest);
        QFETCH(bool, ourReportId);
        SimMalformedReports source;
        int minimum = INT_MAX;
        int maximum = 0;
        for (int i = 0; i < kSamples; ++i) {
            const QByteArray report = source.make(SimMalformedReports::Kind(kind));
            minimum = qMin(minimum, int(report.size()));
            maximum = qMax(maximum, int(report.size()));
            const quint8 id = quint8(report.at(0));
            if (ourReportId) {
                QCOMPARE(id, SimReport::kReportId);
            }
            if (SimMalformedReports::Kind(kind) == SimMalformedReports::Kind::WrongReportId) {
                QVERIFY(id != SimReport::kReportId);
            }
            if (SimMalformedReports::Kind(kind) == SimMalformedReports::Kind::HugeCounts) {
                for (int offset = 3; offset <= 6; ++offset) {  // delegate bytes 2..5
                    QVERIFY(quint8(report.at(offset)) >= kHugeCountFloor);
                }
            }
        }
        QVERIFY(minimum >= shortest && maximum <= longest);
        QVERIFY(maximum > minimum || shortest == longest);
    }
};

QTEST_GUILESS_MAIN(tst_SimMalformedReports)
#include "tst_SimMalformedReports.moc"
