#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "operations/InternalNormVarOperations.h"
#include "tests/support/TestSettings.h"

// One wire per entry, each wire given by its samples.
using Wires = QList<QList<double>>;

namespace {
const char kThresholdKey[] = "GraphView/PartialWireThreshold";

QList<NormalVariable> wiresFrom(const Wires& wires) {
    QList<NormalVariable> list;
    for (const QList<double>& samples : wires) {
        NormalVariable wire;
        for (double x : samples) {
            wire.add(x);
        }
        list << wire;
    }
    return list;
}
}  // namespace

class tst_InternalNormVarOperations : public QObject {
    Q_OBJECT

private:
    InternalNormVarOperations m_operations;

private slots:
    void initTestCase() { useTestSettings(); }
    void cleanup() { QSettings().remove(kThresholdKey); }

    void wireOut_data() {
        QTest::addColumn<Wires>("wires");
        QTest::addColumn<QVariant>("threshold");
        QTest::addColumn<QList<int>>("out");
        const QVariant unset;
        QTest::addRow("20 stays above 16.5, 0 excluded")
            << Wires{{100}, {100}, {20}, {0}} << unset << QList<int>{};
        QTest::addRow("10 below 21") << Wires{{100}, {100}, {10}} << unset << QList<int>{2};
        QTest::addRow("threshold 0.5 catches 20")
            << Wires{{100}, {100}, {20}, {0}} << QVariant(0.5) << QList<int>{2};
        QTest::addRow("exactly at the limit is in")
            << Wires{{30}, {10}, {20}} << QVariant(0.5) << QList<int>{};
        QTest::addRow("negative mean never out")
            << Wires{{100}, {-5}, {100}} << unset << QList<int>{};
        QTest::addRow("several, ascending")
            << Wires{{5}, {100}, {6, 8}, {100}, {100}} << unset << QList<int>{0, 2};
        QTest::addRow("means of many samples")
            << Wires{{90, 110}, {95, 105}, {1, 3}} << unset << QList<int>{2};
        QTest::addRow("not a number uses 0.3")
            << Wires{{100}, {100}, {10}} << QVariant("abc") << QList<int>{2};
        QTest::addRow("empty list") << Wires{} << unset << QList<int>{};
        QTest::addRow("wire without samples") << Wires{{}, {100}} << unset << QList<int>{};
    }
    void wireOut() {
        QFETCH(Wires, wires);
        QFETCH(QVariant, threshold);
        QFETCH(QList<int>, out);
        if (threshold.isValid()) {
            QSettings().setValue(kThresholdKey, threshold);
        }
        QCOMPARE(m_operations.computeWireoutList(wiresFrom(wires)), out);
    }

    // Index of the wire with the largest positive mean or spread; ties keep the first.
    void maximumIndex_data() {
        QTest::addColumn<bool>("bySigma");
        QTest::addColumn<Wires>("wires");
        QTest::addColumn<int>("index");
        QTest::addRow("average: 3 7 7 keeps the first") << false << Wires{{3}, {7}, {7}} << 1;
        QTest::addRow("average: last") << false << Wires{{0}, {-1}, {2}} << 2;
        QTest::addRow("average: none positive") << false << Wires{{0}, {-3}} << 0;
        QTest::addRow("average: empty") << false << Wires{} << -1;
        QTest::addRow("sigma: variances 0 2 8") << true << Wires{{1, 1}, {1, 3}, {0, 4}} << 2;
        QTest::addRow("sigma: largest mean is not largest spread")
            << true << Wires{{100, 100}, {0, 4}} << 1;
        QTest::addRow("sigma: ties keep the first") << true << Wires{{5}, {1, 3}, {7, 9}} << 1;
        QTest::addRow("sigma: single samples have no spread") << true << Wires{{1}, {50}} << 0;
        QTest::addRow("sigma: empty") << true << Wires{} << -1;
    }
    void maximumIndex() {
        QFETCH(bool, bySigma);
        QFETCH(Wires, wires);
        QFETCH(int, index);
        const QList<NormalVariable> list = wiresFrom(wires);
        QCOMPARE(bySigma ? m_operations.findIndexOfMaximumSigma(list)
                         : m_operations.findIndexOfMaximumAverage(list),
                 index);
    }

    void statisticsFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        QVERIFY(
            m_operations.logStatisticData(dir.filePath("wires"), wiresFrom({{1, 2, 3}, {5}, {}})));
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);

        const QStringList files = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        const QRegularExpressionMatch match =
            QRegularExpression("^wires_(\\d{8}-\\d{6})\\.log$").match(files.first());
        QVERIFY2(match.hasMatch(), qPrintable(files.first()));
        const QDateTime stamp = QDateTime::fromString(match.captured(1), "yyyyMMdd-HHmmss");
        QVERIFY(stamp >= before.addMSecs(-before.time().msec()));
        QVERIFY(stamp <= after);

        QFile file(dir.filePath(files.first()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray expected =
            "Index, Number of Samples, Average, Variance, Sigma, Minimum, Maximum\n"
            "0      3,               2,               1,               1,               1, 3\n"
            "1      1,               5,               0,               0,               5, 5\n"
            "2      0,               0,               0,               0,               0, 0\n"
            "\n\n";
        QCOMPARE(file.readAll(), expected);
    }

    void unwritableFileWritesNothing() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(!m_operations.logStatisticData(dir.filePath("missing/wires"), wiresFrom({{1}})));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_InternalNormVarOperations)
#include "tst_InternalNormVarOperations.moc"
