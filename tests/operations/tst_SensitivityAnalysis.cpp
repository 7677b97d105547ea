#include <QDir>
#include <QtTest>

#include "operations/SensitivityAnalysis.h"
#include "tests/support/TestSettings.h"

namespace {
// A wire given by its mean and sigma: the samples mean - s, mean, mean + s have exactly
// that mean and a sample variance of s squared.
struct Wire {
    double mean;
    double sigma;
};
using Wires = QList<Wire>;

QList<NormalVariable> listOf(const Wires& wires) {
    QList<NormalVariable> list;
    for (const Wire& wire : wires) {
        NormalVariable v;
        v.add(wire.mean - wire.sigma);
        v.add(wire.mean);
        v.add(wire.mean + wire.sigma);
        list << v;
    }
    return list;
}

// count wires at the baseline (16, no spread), with the given wires replaced.
QList<NormalVariable> array(int count, const QMap<int, Wire>& special = {}) {
    Wires wires;
    for (int i = 0; i < count; ++i) {
        wires << special.value(i, Wire{16, 0});
    }
    return listOf(wires);
}

// Four samples m - 3, m - 3, m + 3, m + 3: variance 12, so mean + sqrt(3 variance) = m + 6.
NormalVariable spread6(double mean) {
    NormalVariable v;
    for (double x : {mean - 3, mean - 3, mean + 3, mean + 3}) {
        v.add(x);
    }
    return v;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray frame;
    for (int v : values) {
        frame.append(static_cast<char>(v));
    }
    return frame;
}

using Optional = QVariant;  // null when the value is absent
}  // namespace
Q_DECLARE_METATYPE(Wire)

class tst_SensitivityAnalysis : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useTestSettings(); }
    void cleanup() { QSettings().remove(QStringLiteral("Sensitivity/ProduceReport")); }

    // The derived values of the procedure, one row per figure.
    void figures_data() {
        QTest::addColumn<QString>("figure");
        QTest::addColumn<QList<NormalVariable>>("a");
        QTest::addColumn<QList<NormalVariable>>("b");
        QTest::addColumn<int>("acquisitionPrescaler");
        QTest::addColumn<Optional>("expected");
        const auto p = [](const char* name, const Wires& a, const Wires& b, int pres,
                          Optional expected) {
            QTest::addRow("prescaler: %s", name)
                << QStringLiteral("prescaler") << listOf(a) << listOf(b) << pres << expected;
        };
        p("touch 40 at 15", {{40, 2}, {30, 0}}, {{50, 0}}, 15, 20);
        p("touch 20 raised to 8", {{20, 0}}, {{90, 0}}, 15, 60);
        p("touch 200 raised to 4", {{200, 0}}, {{210, 0}}, 15, 4);
        p("B is the weaker array", {{100, 0}}, {{12, 0}, {40, 0}}, 15, 20);
        p("mux prescaler 25", {{40, 0}}, {{41, 0}}, 25, 33);
        p("empty A", {}, {{40, 0}}, 15, Optional());
        p("empty B", {{40, 0}}, {}, 15, Optional());

        const auto t = [](const char* name, const Wires& a, const Wires& b, Optional expected) {
            QTest::addRow("threshold: %s", name)
                << QStringLiteral("threshold") << listOf(a) << listOf(b) << 0 << expected;
        };
        t("40 gives 24, cut to 21", {{16, 4}}, {{20, 0}}, 21);
        t("25 gives 9, raised to 10", {{25, 0}}, {{16, 1}}, 10);
        t("30 gives 14", {{18, 2}}, {{20, 1}}, 14);
        t("noisiest wire beats the strongest", {{20, 0}, {12, 3}}, {{16, 0}}, 14);
        t("strongest wire beats the noisiest", {{24, 1}, {12, 2}}, {{16, 0}}, 14);
        t("B decides", {{16, 0}}, {{16, 1}, {16, 2.5}}, 15);
        t("empty B", {{30, 0}}, {}, Optional());
    }
    void figures() {
        QFETCH(QString, figure);
        QFETCH(QList<NormalVariable>, a);
        QFETCH(QList<NormalVariable>, b);
        QFETCH(int, acquisitionPrescaler);
        QFETCH(Optional, expected);
        const std::optional<int> value =
            figure == QLatin1String("prescaler")
                ? SensitivityAnalysis::computePrescaler(a, b, acquisitionPrescaler)
                : SensitivityAnalysis::computeThreshold(a, b);
        QCOMPARE(value.has_value(), expected.isValid());
        if (value) {
            QCOMPARE(*value, expected.toInt());
        }
    }

    void zonalSigmas() {
        const QList<NormalVariable> wires =
            listOf({{40, 10}, {40, 1.5}, {16, 0}, {16, 7.96875}, {16, 7.9}, {16, 1.0 / 32}});
        QCOMPARE(SensitivityAnalysis::computeZonalFilterSigmas(wires),
                 bytes({255, 48, 0, 255, 252, 1}));
        QVERIFY(SensitivityAnalysis::computeZonalFilterSigmas({}).isEmpty());
    }

    void innerWires_data() {
        QTest::addColumn<int>("wireCount");
        QTest::addColumn<QList<int>>("inner");
        QList<int> of40;
        for (int i = 8; i <= 32; ++i) {
            of40 << i;
        }
        QList<int> of24;
        for (int i = 4; i <= 20; ++i) {
            of24 << i;
        }
        QTest::addRow("40 wires: 8..32") << 40 << of40;
        QTest::addRow("24 wires: 4..20") << 24 << of24;
        QTest::addRow("4 wires: all") << 4 << QList<int>{0, 1, 2, 3};
    }
    void innerWires() {
        QFETCH(int, wireCount);
        QFETCH(QList<int>, inner);
        QList<int> found;
        for (int i = 0; i < wireCount; ++i) {
            if (SensitivityAnalysis::isInnerWire(i, wireCount)) {
                found << i;
            }
        }
        QCOMPARE(found, inner);
    }

    void lineHealth_data() {
        QTest::addColumn<Wires>("wires");
        QTest::addColumn<QStringList>("report");
        const QString broken =
            QStringLiteral("Issue at Line %1: It seems to have a broken wire or solder point.");
        const QString intermittent =
            QStringLiteral("Issue at Line %1: Possible intermittent contact.");
        QTest::addRow("healthy") << Wires{{30, 1}, {30, 1.2}, {30, 0.8}} << QStringList();
        // Average sigma (4 + 0.1 + 10) / 6 = 2.35: below 0.78 broken, above 7.05 intermittent.
        QTest::addRow("broken and intermittent")
            << Wires{{30, 1}, {30, 1}, {30, 1}, {30, 1}, {30, 0.1}, {30, 10}}
            << QStringList{broken.arg(4), intermittent.arg(5)};
        QTest::addRow("all quiet") << Wires{{16, 0}, {16, 0}} << QStringList();
        QTest::addRow("numbered from 0")
            << Wires{{30, 0}, {30, 1}, {30, 1}, {30, 1}} << QStringList{broken.arg(0)};
    }
    void lineHealth() {
        QFETCH(Wires, wires);
        QFETCH(QStringList, report);
        QCOMPARE(SensitivityAnalysis::produceLineHealthReport(listOf(wires)), report);
        const QStringList group =
            SensitivityAnalysis::groupLineHealthReport(QStringLiteral("Group B:"), listOf(wires));
        QCOMPARE(group, report.isEmpty() ? QStringList() : QStringList("Group B:") + report);
    }

    void signalToNoiseAndNoiseFigure() {
        // A: inner maximum 90 (wire 32 is still inner), outer maximum 30 (wire 33) over
        // wire 0's 20 + 6; B: inner 48, outer 24 (wire 39).
        QList<NormalVariable> a = array(40, {{20, {80, 0}}, {32, {90, 0}}, {33, {30, 0}}});
        a[0] = spread6(20);
        const QList<NormalVariable> b = array(40, {{10, {48, 0}}, {39, {24, 0}}});
        const SensitivityAnalysis::TouchSignal signalA = SensitivityAnalysis::analyzeTouchSignal(a);
        QCOMPARE(signalA.inner, 74.0);
        QCOMPARE(signalA.outer, 14.0);
        QCOMPARE(SensitivityAnalysis::analyzeTouchSignal(b).ratio, 4.0);

        SensitivityAnalysis analysis;
        QVERIFY(!analysis.signalToNoiseRatio());
        QVERIFY(!analysis.noiseFigure());
        for (int frame = 0; frame < 3; ++frame) {
            QByteArray edgeA(40, 16), edgeB(40, 16);
            edgeA[20] = 80;
            edgeA[33] = 30;
            edgeB[10] = 100;
            edgeB[39] = 24;
            analysis.addFrame(SensitivityAnalysis::ArrayA, edgeA);
            analysis.addFrame(SensitivityAnalysis::ArrayB, edgeB);
        }
        QCOMPARE(*analysis.signalToNoiseRatio(), 64.0 / 14.0);
        QCOMPARE(*analysis.noiseFigure(), 14.0);
        // An outer maximum of exactly the baseline gives a ratio of 0, not a division by 0.
        QCOMPARE(SensitivityAnalysis::analyzeTouchSignal(array(40)).ratio, 0.0);
    }

    void framesAreCountedPerArray() {
        SensitivityAnalysis analysis(3);
        QVERIFY(!analysis.addFrame(SensitivityAnalysis::ArrayA, QByteArray()));
        QVERIFY(analysis.addFrame(SensitivityAnalysis::ArrayA, bytes({10, 20, 200})));
        // A longer frame adds to the three wires of the first and no more.
        QVERIFY(analysis.addFrame(SensitivityAnalysis::ArrayA, bytes({30, 40, 250, 99, 99})));
        // A shorter one adds to its own wires only.
        QVERIFY(analysis.addFrame(SensitivityAnalysis::ArrayA, bytes({20})));
        QVERIFY(!analysis.addFrame(SensitivityAnalysis::ArrayA, bytes({1, 1, 1})));
        const QList<NormalVariable>& a = analysis.statistics(SensitivityAnalysis::ArrayA);
        QCOMPARE(a.size(), 3);
        QCOMPARE(a.at(0).count(), 3);
        QCOMPARE(a.at(0).mean(), 20.0);
        QCOMPARE(a.at(2).count(), 2);
        QCOMPARE(a.at(2).mean(), 225.0);  // bytes read unsigned
        QCOMPARE(analysis.lastFrame(SensitivityAnalysis::ArrayA), bytes({20}));
        QCOMPARE(analysis.frameCount(SensitivityAnalysis::ArrayA), 3);
        QCOMPARE(analysis.commonFrameCount(), 0);
        QVERIFY(!analysis.isComplete());
        QVERIFY(!analysis.hasStatistics());
        QVERIFY(!analysis.computePrescaler(15));
        QVERIFY(!analysis.computeThreshold());

        for (int i = 0; i < 3; ++i) {
            analysis.addFrame(SensitivityAnalysis::ArrayB, bytes({40, 40}));
        }
        QVERIFY(analysis.isComplete());
        QCOMPARE(*analysis.computePrescaler(15), 20);
        QCOMPARE(analysis.lineHealthReport(), QStringList());
        analysis.clear();
        QCOMPARE(analysis.frameCount(SensitivityAnalysis::ArrayA), 0);
        QVERIFY(analysis.statistics(SensitivityAnalysis::ArrayB).isEmpty());
    }

    void reportFileOnlyOnRequest_data() {
        QTest::addColumn<QVariant>("produceReport");
        QTest::addRow("unset") << QVariant();
        QTest::addRow("off") << QVariant(false);
        QTest::addRow("on") << QVariant(true);
    }
    void reportFileOnlyOnRequest() {
        QFETCH(QVariant, produceReport);
        if (produceReport.isValid()) {
            QSettings().setValue(QStringLiteral("Sensitivity/ProduceReport"), produceReport);
        }
        const QString stamp =
            SensitivityAnalysis::timeStamp(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)));
        QCOMPARE(stamp, QStringLiteral("20240305-070809"));
        const QString name = QStringLiteral("sensTouch_20240305-070809.log");
        QFile::remove(name);
        SensitivityAnalysis analysis;
        analysis.addFrame(SensitivityAnalysis::ArrayA, bytes({1, 7}));
        analysis.addFrame(SensitivityAnalysis::ArrayA, bytes({3, 7}));
        analysis.addFrame(SensitivityAnalysis::ArrayB, bytes({5}));
        const bool on = produceReport.toBool();
        QCOMPARE(analysis.logStatisticData(QStringLiteral("sensTouch"), stamp), on);
        QFile file(name);
        QCOMPARE(file.exists(), on);
        if (!on) {
            return;
        }
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
        const QString header =
            QStringLiteral("Index, Number of Samples, Average, Variance, Sigma, Minimum, Maximum");
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines.at(0), header);
        QVERIFY2(lines.at(1).startsWith(QLatin1String("0      2, ")), qPrintable(lines.at(1)));
        QVERIFY2(lines.at(2).startsWith(QLatin1String("1      2, ")), qPrintable(lines.at(2)));
        QCOMPARE(lines.mid(3, 2), QStringList({QString(), QString()}));
        QCOMPARE(lines.at(5), header);
        QVERIFY2(lines.at(6).startsWith(QLatin1String("0      1, ")), qPrintable(lines.at(6)));
        QVERIFY(lines.at(6).endsWith(QLatin1String(", 5")));
        QCOMPARE(lines.at(7), QString());
        file.remove();
    }

    void unwritableReportIsSkipped() {
        QSettings().setValue(QStringLiteral("Sensitivity/ProduceReport"), true);
        QVERIFY(!SensitivityAnalysis::logStatisticData(QStringLiteral("no-such-folder/sensNoise"),
                                                       QStringLiteral("x"), {}, {}));
    }
};

QTEST_GUILESS_MAIN(tst_SensitivityAnalysis)
#include "tst_SensitivityAnalysis.moc"
