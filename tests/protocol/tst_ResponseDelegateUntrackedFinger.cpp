#include <QtTest>

#include "protocol/ResponseDelegateUntrackedFinger.h"
#include "tests/support/TestSettings.h"

namespace {
using Finger = ResponseDelegateUntrackedFinger;

const char kStartKey[] = "Calibration/Start";
// 00, code 18, STATE1, unused, value A (LE), value B (LE).
const QByteArray kNoContact = QByteArray::fromHex("0012000000000000");
const QByteArray kContact = QByteArray::fromHex("0012020000000000");

QByteArray contactWith(int a, int b) {
    QByteArray report = kContact;
    report[4] = char(a & 0xFF);
    report[5] = char(a >> 8);
    report[6] = char(b & 0xFF);
    report[7] = char(b >> 8);
    return report;
}

void feed(Finger& finger, const QByteArray& report) {
    finger.addData(report);
    finger.execute();
}

bool calibrationStarted() {
    return QSettings().value(kStartKey, false).toBool();
}

QList<int> ints(const QSignalSpy& spy, int argument = 0) {
    QList<int> values;
    for (const QList<QVariant>& call : spy) {
        values << call.at(argument).toInt();
    }
    return values;
}
}  // namespace

class tst_ResponseDelegateUntrackedFinger : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useTestSettings(); }
    void init() { QSettings().setValue(kStartKey, true); }
    void cleanupTestCase() { QSettings().clear(); }

    void hundredSamplesProgressThenComplete() {
        Finger finger;
        QSignalSpy progress(&finger, &Finger::progress);
        QSignalSpy completed(&finger, &Finger::completed);
        QSignalSpy down(&finger, &Finger::fingerDown);
        QSignalSpy up(&finger, &Finger::fingerUp);
        finger.setNumberOfSamples(100);
        finger.acquisitionStart();
        QCOMPARE(ints(progress), QList<int>{0});

        feed(finger, kNoContact);  // idle takes the request
        feed(finger, kNoContact);
        feed(finger, contactWith(999, 999));  // the touch itself is not a sample
        QCOMPARE(down.count(), 1);

        QList<int> expected{0};
        for (int i = 1; i <= 100; ++i) {
            feed(finger, contactWith(300 + i, 1000 + i));  // both bytes of each value
            if (i < 100) {
                expected << i;
                QCOMPARE(ints(progress), expected);
                QCOMPARE(completed.count(), 0);
            }
        }
        QCOMPARE(ints(progress), expected);
        QCOMPARE(completed.count(), 1);
        const auto a = completed.at(0).at(0).value<NormalVariable>();
        const auto b = completed.at(0).at(1).value<NormalVariable>();
        QCOMPARE(a.count(), 100);
        QCOMPARE(a.mean(), 350.5);
        QCOMPARE(a.minimum(), 301.0);
        QCOMPARE(a.maximum(), 400.0);
        QCOMPARE(b.mean(), 1050.5);
        QVERIFY(finger.isFinished());

        feed(finger, contactWith(5, 5));
        QCOMPARE(completed.count(), 1);
        QCOMPARE(up.count(), 0);
        feed(finger, kNoContact);
        QCOMPARE(up.count(), 1);
        QCOMPARE(finger.state(), int(Finger::Idle));
    }

    void progressPercentages_data() {
        QTest::addColumn<int>("samples");
        QTest::addColumn<QList<int>>("progress");
        QTest::addColumn<int>("reportsToComplete");
        QTest::addRow("3 samples") << 3 << QList<int>{0, 33, 66} << 3;
        QTest::addRow("1 sample") << 1 << QList<int>{0} << 1;
        QTest::addRow("0 samples completes at once") << 0 << QList<int>{0} << 1;
        QTest::addRow("200 samples, first percent after two")
            << 200 << QList<int>{0, 0, 1, 1, 2} << 200;
    }
    void progressPercentages() {
        QFETCH(int, samples);
        QFETCH(QList<int>, progress);
        QFETCH(int, reportsToComplete);
        Finger finger;
        QSignalSpy progressSpy(&finger, &Finger::progress);
        QSignalSpy completed(&finger, &Finger::completed);
        finger.setNumberOfSamples(samples);
        finger.acquisitionStart();
        feed(finger, kNoContact);
        feed(finger, kContact);
        for (int i = 0; i < reportsToComplete; ++i) {
            QCOMPARE(completed.count(), 0);
            feed(finger, kContact);
        }
        QCOMPARE(completed.count(), 1);
        QCOMPARE(ints(progressSpy).mid(0, progress.size()), progress);
    }

    void liftOffMidwayResetsAndTimesOut() {
        Finger finger;
        finger.setContactTimeout(30);
        QSignalSpy timeout(&finger, &Finger::timeout);
        QSignalSpy completed(&finger, &Finger::completed);
        finger.setNumberOfSamples(10);
        finger.acquisitionStart();
        feed(finger, kNoContact);
        feed(finger, kContact);
        feed(finger, contactWith(7, 7));
        QCOMPARE(finger.progressPercent(), 10);

        feed(finger, kNoContact);
        QCOMPARE(finger.accumulatorA().count(), 0);
        QCOMPARE(finger.progressPercent(), 0);

        QVERIFY(timeout.wait(5000));
        QCOMPARE(timeout.count(), 1);
        QVERIFY(!calibrationStarted());
        QCOMPARE(finger.state(), int(Finger::Idle));
        QCOMPARE(completed.count(), 0);
    }

    // A finger lifted before the first sample may come back in time.
    void liftOffBeforeAnySampleKeepsWaiting() {
        Finger finger;
        finger.setNumberOfSamples(10);
        finger.acquisitionStart();
        feed(finger, kNoContact);
        feed(finger, kContact);
        feed(finger, kNoContact);
        feed(finger, contactWith(3, 4));
        QCOMPARE(finger.accumulatorA().count(), 1);
    }

    void feedbackTimeoutWhileWaitingForContact() {
        Finger finger;
        finger.setFeedbackTimeout(30);
        QSignalSpy feedback(&finger, &Finger::feedbacktimeout);
        QSignalSpy timeout(&finger, &Finger::timeout);
        finger.setNumberOfSamples(10);
        finger.acquisitionStart();
        feed(finger, kNoContact);
        QVERIFY(feedback.wait(5000));
        QCOMPARE(feedback.count(), 1);
        QCOMPARE(timeout.count(), 0);
        QVERIFY(!calibrationStarted());
        QCOMPARE(finger.state(), int(Finger::Idle));
    }

    // A calibration stopped by the user or elsewhere raises no timeout afterwards.
    void stoppedCalibrationRaisesNoTimeout_data() {
        QTest::addColumn<bool>("stoppedElsewhere");
        QTest::addRow("stopped") << false;
        QTest::addRow("stopped elsewhere") << true;
    }
    void stoppedCalibrationRaisesNoTimeout() {
        QFETCH(bool, stoppedElsewhere);
        Finger finger;
        finger.setTimeout(30);
        QSignalSpy feedback(&finger, &Finger::feedbacktimeout);
        QSignalSpy timeout(&finger, &Finger::timeout);
        finger.setNumberOfSamples(10);
        finger.acquisitionStart();
        feed(finger, kNoContact);
        if (stoppedElsewhere) {
            QSettings().setValue(kStartKey, false);
            feed(finger, kContact);
        } else {
            finger.acquisitionStop();
            QVERIFY(!calibrationStarted());
        }
        QVERIFY(!feedback.wait(100));
        QCOMPARE(timeout.count(), 0);
        // A restart marks the calibration started again.
        finger.onRestartClicked();
        QVERIFY(calibrationStarted());
    }

    void shortReportIsIgnored_data() {
        QTest::addColumn<QByteArray>("report");
        QTest::addRow("seven bytes") << QByteArray::fromHex("00120200020104");
        QTest::addRow("code only") << QByteArray::fromHex("0012");
        QTest::addRow("empty") << QByteArray();
    }
    void shortReportIsIgnored() {
        QFETCH(QByteArray, report);
        Finger finger;
        QSignalSpy progress(&finger, &Finger::progress);
        finger.setNumberOfSamples(10);
        finger.acquisitionStart();
        feed(finger, kNoContact);
        feed(finger, kContact);
        feed(finger, report);
        QCOMPARE(finger.accumulatorA().count(), 0);
        QCOMPARE(progress.count(), 1);
        QCOMPARE(finger.state(), int(Finger::Acquiring));
    }
};

QTEST_GUILESS_MAIN(tst_ResponseDelegateUntrackedFinger)
#include "tst_ResponseDelegateUntrackedFinger.moc"
