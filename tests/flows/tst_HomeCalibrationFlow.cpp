#include <QSettings>
#include <QtTest>

#include "protocol/ResponseDelegateUntrackedFinger.h"
#include "calibration/FormCalibration.h"
#include "app/CalibrationLauncher.h"
#include "tests/support/SimRig.h"

namespace {
// Block layout: output encoding byte 8; output flags byte 9 (0x01 enabled, 0x10 use
// calibration 3); monitor flags 2 byte 11 (0x10 peak monitoring).
constexpr int kEncoding = 8;
constexpr int kOutputFlags = 9;
constexpr quint8 kOutputEnabled = 0x01;
constexpr quint8 kUseCalib3 = 0x10;
constexpr int kMonitorFlags2 = 11;
constexpr quint8 kPeak = 0x10;
constexpr int kSaveToFlashOpcode = 6;

SimScenario fingerScenario() {
    SimScenario scenario = SimRig::quickScenario();
    scenario.noise = 0.0;
    scenario.fingerIntervalMs = 2;
    return scenario;
}
}  // namespace

// The home page's calibrate action: the controller's output is as it was after every run,
// calibration 3 is on only after a success.
class tst_HomeCalibrationFlow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        SimRig::useTestSettings();
        FormCalibration::setDesktopSource([] { return QRect(0, 0, 1000, 1000); });
        FormCalibration::setMessageShower(
            [](QWidget*, QMessageBox::Icon, const QString&, const QString&) {});
        FormCalibration::Timings timings;
        timings.acquisitionTimeoutMs = 300;
        timings.completionDelayMs = 20;
        timings.liftTimeoutMs = 300;
        FormCalibration::setDefaultTimings(timings);
    }
    void cleanup() { QSettings().clear(); }

    void outputComesBack_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("outputOn");
        QTest::addColumn<bool>("calib3");
        QTest::addRow("success, output on") << "taps" << 0 << true << true;
        QTest::addRow("success, output off") << "taps" << 0 << false << true;
        QTest::addRow("cancelled") << "cancel" << 2 << true << false;
        QTest::addRow("failed") << "leaves" << 3 << true << false;
        QTest::addRow("no touch") << "nothing" << 4 << true << false;
    }
    void outputComesBack() {
        QFETCH(QString, how);
        QFETCH(int, result);
        QFETCH(bool, outputOn);
        QFETCH(bool, calib3);
        SimRig rig(fingerScenario());
        QVERIFY(rig.connectBoard());
        QVERIFY(rig.pokeByte(kEncoding, 2));
        QVERIFY(rig.pokeFlag(kOutputFlags, kOutputEnabled, outputOn));
        auto* finger = rig.delegate<ResponseDelegateUntrackedFinger>("UntrackedFinger");
        finger->setContactTimeout(150);
        finger->setFeedbackTimeout(300);
        QWidget mainWindow;
        CalibrationLauncher launcher(&mainWindow, &rig.dispatcher, &rig.ops);
        QSignalSpy finished(&rig.ops, &SetOperations::signalCalibrationFinished);

        QVERIFY(launcher.start(true));
        QTRY_VERIFY(launcher.calibrationWindow() != nullptr);
        // Calibration mode: the controller streams the finger and reports nothing.
        QVERIFY(rig.boardFlag(kMonitorFlags2, kPeak));
        QVERIFY(!rig.boardFlag(kOutputFlags, kOutputEnabled));
        FormCalibration* window = launcher.calibrationWindow();
        window->setWindowState(Qt::WindowNoState);
        window->setGeometry(0, 0, 1000, 1000);
        if (how == QLatin1String("taps")) {
            rig.board.tap(1000, 2000, 120);
            rig.board.tap(3000, 2000, 120);
            rig.board.tap(1000, 500, 120);
        } else if (how == QLatin1String("cancel")) {
            window->on_buttonCancel_clicked();
        } else if (how == QLatin1String("leaves")) {
            rig.board.tap(1000, 2000, 30);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!launcher.isRunning(), SimRig::kWaitMs);
        if (result != 3) {
            QVERIFY(finished.wait(SimRig::kWaitMs));
            QCOMPARE(finished.first().at(0).toInt(), result);
        }
        QVERIFY(rig.settle());
        QTRY_COMPARE_WITH_TIMEOUT(rig.boardFlag(kOutputFlags, kOutputEnabled), outputOn,
                                  SimRig::kWaitMs);
        QVERIFY(rig.settle());
        QCOMPARE(rig.boardByte(kEncoding), quint8(2));
        QCOMPARE(rig.boardFlag(kOutputFlags, kUseCalib3), calib3);
        QVERIFY(!rig.boardFlag(kMonitorFlags2, kPeak));
        QVERIFY(!rig.writesOf(kSaveToFlashOpcode).isEmpty());
    }
};

QTEST_MAIN(tst_HomeCalibrationFlow)
#include "tst_HomeCalibrationFlow.moc"
