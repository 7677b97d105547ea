#include <QtTest>

#include <cmath>

#include "protocol/NormalVariable.h"

using Samples = QList<double>;

namespace {
NormalVariable accumulate(const Samples& samples) {
    NormalVariable variable;
    for (double x : samples) {
        variable.add(x);
    }
    return variable;
}
}  // namespace

class tst_NormalVariable : public QObject {
    Q_OBJECT

private slots:
    void statistics_data() {
        QTest::addColumn<Samples>("samples");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("mean");
        QTest::addColumn<double>("variance");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("furthest");
        // Fewer than two samples: no division by zero, everything finite.
        QTest::addRow("no sample") << Samples{} << 0 << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
        QTest::addRow("single 5") << Samples{5} << 1 << 5.0 << 0.0 << 5.0 << 5.0 << 0.0;
        QTest::addRow("1 2 3") << Samples{1, 2, 3} << 3 << 2.0 << 1.0 << 1.0 << 3.0 << 1.0;
        QTest::addRow("0 0 9 far above")
            << Samples{0, 0, 9} << 3 << 3.0 << 27.0 << 0.0 << 9.0 << 6.0;
        QTest::addRow("9 9 0 far below")
            << Samples{9, 9, 0} << 3 << 6.0 << 27.0 << 0.0 << 9.0 << 6.0;
        QTest::addRow("negatives") << Samples{-4, -2} << 2 << -3.0 << 2.0 << -4.0 << -2.0 << 1.0;
    }
    void statistics() {
        QFETCH(Samples, samples);
        QFETCH(int, count);
        QFETCH(double, mean);
        QFETCH(double, variance);
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(double, furthest);
        const NormalVariable v = accumulate(samples);
        QCOMPARE(v.count(), count);
        QCOMPARE(v.mean(), mean);
        QVERIFY(qAbs(v.variance() - variance) < 1e-9);
        QVERIFY(qAbs(v.sigma() - std::sqrt(variance)) < 1e-9);
        QCOMPARE(v.minimum(), minimum);
        QCOMPARE(v.maximum(), maximum);
        QCOMPARE(v.furthest(), furthest);
    }

    void equalSamplesNeverGiveNaN() {
        // Rounding makes the textbook formula slightly negative for such samples.
        NormalVariable v;
        for (int i = 0; i < 1000; ++i) {
            v.add(0.3);
        }
        QVERIFY(std::isfinite(v.sigma()));
        QVERIFY(v.variance() >= 0.0);
        QVERIFY(v.variance() < 1e-12);
    }

    void clearForgetsEverything() {
        NormalVariable v = accumulate({3, 4});
        v.clear();
        QCOMPARE(v.count(), 0);
        v.add(-1);
        QCOMPARE(v.minimum(), -1.0);
        QCOMPARE(v.maximum(), -1.0);
        QCOMPARE(v.mean(), -1.0);
    }

    void toStringLines_data() {
        QTest::addColumn<Samples>("samples");
        QTest::addColumn<QString>("line");
        QTest::addRow("fractions") << Samples{0.5, 1.25}
                                   << QStringLiteral(
                                          "      2,           0.875,         0.28125, "
                                          "        0.53033,             0.5, 1.25");
        QTest::addRow("large uses exponent") << Samples{12345678}
                                             << QStringLiteral(
                                                    "      1,     1.23457E+07,  "
                                                    "             0,               0, "
                                                    "    1.23457E+07, 1.23457E+07");
    }
    void toStringLines() {
        QFETCH(Samples, samples);
        QFETCH(QString, line);
        QCOMPARE(accumulate(samples).toString(false), line);
    }
};

QTEST_GUILESS_MAIN(tst_NormalVariable)
#include "tst_NormalVariable.moc"
