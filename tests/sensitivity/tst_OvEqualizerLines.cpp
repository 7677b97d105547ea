#include <QSignalSpy>
#include <QtTest>

#include "sensitivity/OvEqualizerLines.h"
#include "tests/support/TestSettings.h"

namespace {
QByteArray bytes(std::initializer_list<int> values) {
    QByteArray frame;
    for (int v : values) {
        frame.append(static_cast<char>(v));
    }
    return frame;
}
using Frames = QList<QByteArray>;
}  // namespace

class tst_OvEqualizerLines : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useTestSettings(); }

    // Two frames are accumulated, the third evaluates them, and nothing more happens until
    // the statistics are cleared.
    void evaluation_data() {
        QTest::addColumn<Frames>("frames");
        QTest::addColumn<int>("evaluatedAt");  // 1-based frame, 0 = never
        QTest::addColumn<QList<int>>("wireOut");
        QTest::addColumn<double>("noiseLevel");
        QTest::addColumn<int>("wires");
        QTest::addRow("wire 2 out") << Frames{bytes({100, 100, 10}), bytes({100, 100, 10}),
                                              bytes({0, 0, 0}), bytes({1, 1, 1})}
                                    << 3 << QList<int>{2} << 100.0 << 3;
        // Means 100, 100, 30: 30 stays above 0.3 x 76.7; wire 0 spreads 90..110 (variance
        // 200), so the noise level is 100 + sqrt(600).
        QTest::addRow("noise of the spread wire")
            << Frames{bytes({90, 100, 30}), bytes({110, 100, 30}), bytes({0})} << 3 << QList<int>{}
            << 100 + std::sqrt(600.0) << 3;
        QTest::addRow("only two frames")
            << Frames{bytes({1, 2}), bytes({1, 2})} << 0 << QList<int>{} << 0.0 << 2;
        QTest::addRow("empty frames count for nothing")
            << Frames{QByteArray(),    bytes({50, 50}), QByteArray(),
                      bytes({50, 50}), QByteArray(),    bytes({1})}
            << 6 << QList<int>{} << 50.0 << 2;
        QTest::addRow("longer later frame stops at the first frame's wires")
            << Frames{bytes({100, 100}), bytes({100, 100, 100, 1}), bytes({0})} << 3 << QList<int>{}
            << 100.0 << 2;
        QTest::addRow("shorter later frame")
            << Frames{bytes({100, 100, 20}), bytes({100}), bytes({0})} << 3 << QList<int>{2}
            << 100.0 << 3;
    }
    void evaluation() {
        QFETCH(Frames, frames);
        QFETCH(int, evaluatedAt);
        QFETCH(QList<int>, wireOut);
        QFETCH(double, noiseLevel);
        QFETCH(int, wires);
        OvEqualizerLines equalizer;
        QSignalSpy finished(&equalizer, &OvEqualizerLines::finishedAccumulatingSamples);
        int evaluated = 0;
        for (int i = 0; i < frames.size(); ++i) {
            equalizer.push(frames.at(i));
            if (finished.count() == 1 && evaluated == 0) {
                evaluated = i + 1;
            }
        }
        QCOMPARE(evaluated, evaluatedAt);
        QCOMPARE(finished.count(), evaluatedAt ? 1 : 0);
        QCOMPARE(equalizer.model().wireOut(), wireOut);
        QCOMPARE(equalizer.model().noiseLevel(), noiseLevel);
        QCOMPARE(equalizer.model().statistics().size(), wires);
    }

    void slotsSeparateDisplayFromStatistics() {
        OvEqualizerLines equalizer;
        QSignalSpy finished(&equalizer, &OvEqualizerLines::finishedAccumulatingSamples);
        const QByteArray low = bytes({100, 100, 10});

        equalizer.paintData(low);
        QCOMPARE(equalizer.model().frame(), low);
        QCOMPARE(equalizer.model().framesAccumulated(), 0);

        equalizer.analyzeAndDisplay(low);
        equalizer.analyzeAndDisplay(low);
        equalizer.analyzeAndDisplay(bytes({9}));
        QCOMPARE(equalizer.model().frame(), low);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(equalizer.model().wireOut(), QList<int>{2});

        // Restarting the statistics keeps the marks until the next evaluation ...
        equalizer.clearStats();
        QVERIFY(!equalizer.model().isEvaluated());
        QCOMPARE(equalizer.model().wireOut(), QList<int>{2});
        // ... which replaces them.
        for (int i = 0; i < 3; ++i) {
            equalizer.push(bytes({100, 100, 100}));
        }
        QCOMPARE(finished.count(), 2);
        QVERIFY(equalizer.model().wireOut().isEmpty());

        for (int i = 0; i < 3; ++i) {
            equalizer.push(low);
        }
        QCOMPARE(finished.count(), 2);  // evaluated once until cleared
        equalizer.emptyWireOutData();
        QCOMPARE(equalizer.model().framesAccumulated(), 0);
        for (int i = 0; i < 3; ++i) {
            equalizer.push(low);
        }
        QCOMPARE(equalizer.model().wireOut(), QList<int>{2});
        equalizer.clearWireOutStats();
        QVERIFY(equalizer.model().wireOut().isEmpty());
        QVERIFY(equalizer.model().isEvaluated());

        equalizer.emptyEdgeData();
        QCOMPARE(equalizer.model().wireCount(), 0);
    }

    void readoutAndScan() {
        EqualizerStatistics model;
        model.setFrame(bytes({200, 10}));
        QCOMPARE(model.readout(0, false), 200);
        QCOMPARE(model.readout(0, true), 184);
        QCOMPARE(model.readout(1, true), -6);
        QCOMPARE(model.readout(2, true), 0);
        QCOMPARE(model.readout(-1, false), 0);

        model.addScanLine(bytes({10, 200}));
        model.addScanLine(bytes({50, 20, 30}));
        QCOMPARE(model.scanProfile(), bytes({50, 200, 30}));
        model.setScanProfile(bytes({1}));
        QCOMPARE(model.scanProfile(), bytes({1}));
        model.clearScan();
        QVERIFY(model.scanProfile().isEmpty());
    }

    // Wire 2 is out: drawn red only while its marks are shown; the press line crosses at
    // its level.
    void drawing() {
        OvEqualizerLines equalizer;
        equalizer.resize(300, 255);
        equalizer.setPress(128);
        for (int i = 0; i < 3; ++i) {
            equalizer.push(bytes({200, 200, 20}));
        }
        const auto pixel = [&equalizer](int x, int y) {
            return equalizer.grab().toImage().pixelColor(x, y);
        };
        const QColor plainBar = pixel(50, 250);
        QCOMPARE(pixel(250, 250), plainBar);
        equalizer.setDisplayOptions(OvEqualizerLines::ShowWireOut);
        QCOMPARE(pixel(250, 250).red(), 220);
        QVERIFY(pixel(250, 250) != plainBar);
        QVERIFY(pixel(50, 127) == plainBar);
        equalizer.setDisplayOption(OvEqualizerLines::ShowPressLevel, true);
        QCOMPARE(pixel(50, 127), QColor(255, 131, 0));
        QCOMPARE(equalizer.press(), 128);
    }
};

QTEST_MAIN(tst_OvEqualizerLines)
#include "tst_OvEqualizerLines.moc"
