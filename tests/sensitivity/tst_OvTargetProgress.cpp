#include <QSignalSpy>
#include <QtTest>

#include "sensitivity/OvTargetProgress.h"

class tst_OvTargetProgress : public QObject {
    Q_OBJECT

private slots:
    void valueStaysInRange_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("amount");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("changes");
        QTest::addRow("set") << "set" << 70 << 70 << 1;
        QTest::addRow("set above the maximum") << "set" << 150 << 100 << 1;
        QTest::addRow("set below the minimum") << "set" << -5 << 0 << 1;
        QTest::addRow("same value, no signal") << "set" << 50 << 50 << 0;
        QTest::addRow("increment") << "increment" << 7 << 57 << 1;
        QTest::addRow("increment past the end") << "increment" << 80 << 100 << 1;
        QTest::addRow("decrement") << "decrement" << 20 << 30 << 1;
        QTest::addRow("narrower range pulls the value in") << "range" << 40 << 40 << 1;
        QTest::addRow("clear") << "clear" << 0 << 0 << 1;
    }
    void valueStaysInRange() {
        QFETCH(QString, step);
        QFETCH(int, amount);
        QFETCH(int, value);
        QFETCH(int, changes);
        OvTargetProgress target;
        QSignalSpy spy(&target, &OvTargetProgress::valueChanged);
        if (step == QLatin1String("set")) {
            target.setValue(amount);
        } else if (step == QLatin1String("increment")) {
            target.increment(amount);
        } else if (step == QLatin1String("decrement")) {
            target.decrement(amount);
        } else if (step == QLatin1String("range")) {
            target.setRange(0, amount);
        } else {
            target.setProgressState(OvTargetProgress::Active);
            target.clear();
            QCOMPARE(target.progressState(), OvTargetProgress::Idle);
        }
        QCOMPARE(target.value(), value);
        QCOMPARE(spy.count(), changes);
        if (changes) {
            QCOMPARE(spy.last().at(0).toInt(), value);
        }
    }

    void stateSignalsOnlyOnChange() {
        OvTargetProgress target;
        QSignalSpy spy(&target, &OvTargetProgress::progressStateChanged);
        target.setProgressState(OvTargetProgress::Active);
        target.setProgressState(OvTargetProgress::Active);
        target.setProgressState(OvTargetProgress::Completed);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).value<OvTargetProgress::ProgressState>(),
                 OvTargetProgress::Completed);
    }

    void arcAndText() {
        OvTargetProgress target;
        target.setValue(25);
        QCOMPARE(target.progressFraction(), 0.25);
        target.setFormat(QStringLiteral("%v of %m (%p%)"));
        QCOMPARE(target.text(), QStringLiteral("25 of 100 (25%)"));
        target.setMaximum(0);  // an empty range draws no arc
        QCOMPARE(target.progressFraction(), 0.0);
        QCOMPARE(target.minimum(), 0);
    }

    // The arc runs clockwise from twelve o'clock: at a quarter it covers the upper right of
    // the ring, not the upper left.
    void arcIsDrawnClockwise() {
        OvTargetProgress target;
        target.resize(200, 200);
        target.setTextVisible(false);
        target.setValue(25);
        target.setProgressState(OvTargetProgress::Active);
        const QImage image = target.grab().toImage();
        const QColor arc(255, 131, 0);
        // Ring radius 85 around (100, 100): 45 degrees right and left of twelve o'clock.
        QCOMPARE(image.pixelColor(160, 40), arc);
        QVERIFY(image.pixelColor(40, 40) != arc);
        target.setProgressState(OvTargetProgress::Idle);
        QVERIFY(target.grab().toImage().pixelColor(160, 40) != arc);
    }
};

QTEST_MAIN(tst_OvTargetProgress)
#include "tst_OvTargetProgress.moc"
