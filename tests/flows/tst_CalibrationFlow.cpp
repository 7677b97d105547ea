#include <QPointer>
#include <QSettings>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include "protocol/ResponseDelegateUntrackedFinger.h"
#include "calibration/DisplayOrientation.h"
#include "calibration/FormCalibration.h"
#include "tests/support/SimRig.h"

namespace {
// Block layout: output encoding byte 8, monitor flags 2 byte 11 (0x10 peak monitoring,
// which makes the controller stream untracked-finger reports).
constexpr int kEncoding = 8;
constexpr int kMonitorFlags2 = 11;
constexpr quint8 kPeak = 0x10;
constexpr int kCalibration3Opcode = 14;
constexpr int kGetParametersOpcode = 5;
constexpr int kPayloadAt = 3;
constexpr int kPayloadSize = 24;
constexpr int kSamples = 120;

// A 1000 x 1000 window filling the desktop: target centres at 100 and 899 pixels, that is
// 409 and 3682 in the calibration space (0x199, 0xe62), measured at (1000, 2000),
// (3000, 2000), (1000, 500).
const QByteArray kExamplePayload =
    QByteArray::fromHex("99019901e803d007620e9901b80bd0079901620ee803f401");
const QRect kWindow(0, 0, 1000, 1000);
const QRect kDesktop(0, 0, 1000, 1000);

const QString kSuccess = QStringLiteral("The calibration was successful.");
const QString kCancelled = QStringLiteral("The calibration was interrupted by the user.");
const QString kFailed =
    QStringLiteral("The calibration has failed! Please check the Graph for further diagnostics.");
const QString kNoTouch = QStringLiteral(
    "The sensor detected no touch signal. Please try calibrating again. If you were touching, "
    "please make sure that the FPC ribbon is inserted into the controller board correctly "
    "(note that the connectors are top-contact).");

struct Box {
    QWidget* parent;
    QString text;
};

SimScenario fingerScenario() {
    SimScenario scenario = SimRig::quickScenario();
    scenario.noise = 0.0;
    scenario.fingerIntervalMs = 2;
    return scenario;
}

// The virtual controller in calibration mode with one calibration window over it.
class CalibrationRun {
public:
    explicit CalibrationRun(int encoding = 1, bool streaming = true) : rig(fingerScenario()) {
        FormCalibration::setMessageShower(
            [this](QWidget* parent, QMessageBox::Icon, const QString&, const QString& text) {
                boxes.append({parent, text});
                if (whileBoxOpen) {
                    whileBoxOpen();
                }
            });
        connected = rig.connectBoard() && rig.pokeByte(kEncoding, quint8(encoding)) &&
                    rig.pokeFlag(kMonitorFlags2, kPeak, streaming);
        finger = rig.delegate<ResponseDelegateUntrackedFinger>("UntrackedFinger");
        window = new FormCalibration(&rig.dispatcher, &rig.ops);
        window->setWindowState(Qt::WindowNoState);
        window->setGeometry(kWindow);
        finished = std::make_unique<QSignalSpy>(window.data(), &QDialog::finished);
        editor = std::make_unique<QSignalSpy>(window.data(),
                                              &FormCalibration::signalShowSensThresEditor);
    }
    ~CalibrationRun() { delete window.data(); }

    void start() {
        window->show();
        window->startCalibrationProcess(true);
    }
    void tapExample() {
        rig.board.tap(1000, 2000, kSamples);
        rig.board.tap(3000, 2000, kSamples);
        rig.board.tap(1000, 500, kSamples);
    }
    bool waitFinished() { return finished->count() > 0 || finished->wait(SimRig::kWaitMs); }
    int result() const { return finished->isEmpty() ? -99 : finished->first().at(0).toInt(); }
    QByteArray sentPayload() const {
        const QList<QByteArray> writes = rig.writesOf(kCalibration3Opcode);
        return writes.isEmpty() ? QByteArray() : writes.last().mid(kPayloadAt, kPayloadSize);
    }

    SimRig rig;
    bool connected = false;
    ResponseDelegateUntrackedFinger* finger = nullptr;
    QPointer<FormCalibration> window;
    std::unique_ptr<QSignalSpy> finished;
    std::unique_ptr<QSignalSpy> editor;
    QList<Box> boxes;
    std::function<void()> whileBoxOpen;
};

FormCalibration::Timings quickTimings() {
    FormCalibration::Timings timings;
    timings.acquisitionTimeoutMs = 300;
    timings.completionDelayMs = 40;
    timings.liftTimeoutMs = 300;
    return timings;
}

bool calibrationStarted() {
    return QSettings().value(QStringLiteral("Calibration/Start"), false).toBool();
}
}  // namespace

class tst_CalibrationFlow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        SimRig::useTestSettings();
        FormCalibration::setDesktopSource([] { return kDesktop; });
        FormCalibration::setDefaultTimings(quickTimings());
    }
    void cleanup() {
        DisplayOrientation::setSource({});
        QSettings().clear();
    }

    void threeTargetsStoreAndSendTheExamplePayload() {
        CalibrationRun run;
        QVERIFY(run.connected);
        run.start();
        QCOMPARE(run.window->targets().at(0)->state(), CalibrationTarget::Attending);
        run.tapExample();
        QVERIFY(run.waitFinished());
        QCOMPARE(run.result(), 0);
        QCOMPARE(run.sentPayload(), kExamplePayload);
        QSettings settings;
        QCOMPARE(settings.value(QStringLiteral("GeometricCalibration/UnrotatedData")).toByteArray(),
                 kExamplePayload);
        QCOMPARE(settings.value(QStringLiteral("GeometricCalibration/RotatedData")).toByteArray(),
                 kExamplePayload);
        QCOMPARE(run.boxes.size(), 1);
        QCOMPARE(run.boxes.first().text, kSuccess);
        QCOMPARE(run.boxes.first().parent, run.window.data());
        QCOMPARE(run.editor->count(), 0);
        QVERIFY(!calibrationStarted());
        // The controller takes the data as a sound calibration.
        QCOMPARE(run.rig.board.calibrationData(), kExamplePayload);
        QVERIFY(!run.rig.writesOf(kGetParametersOpcode).isEmpty());
    }

    // Mode 2 and 3 outputs get the rotated array; -1 switches the rotation step off.
    void rotationAtTheEnd_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("firstRotatedPoint");
        // (409, 409) turns to (409, 4096 - 409), (4096 - 409, 4096 - 409) or stays.
        QTest::addRow("90, mode 0") << 90 << 0 << QByteArray::fromHex("9901670e");
        QTest::addRow("90, mode 1") << 90 << 1 << QByteArray::fromHex("670e670e");
        QTest::addRow("270, mode 1") << 270 << 1 << QByteArray::fromHex("99019901");
        QTest::addRow("90, mode -1") << 90 << -1 << QByteArray::fromHex("99019901");
    }
    void rotationAtTheEnd() {
        QFETCH(int, orientation);
        QFETCH(int, mode);
        QFETCH(QByteArray, firstRotatedPoint);
        DisplayOrientation::setSource([orientation] { return orientation; });
        QSettings().setValue(QStringLiteral("Calibration/Mode"), mode);
        CalibrationRun run(2);
        QVERIFY(run.connected);
        run.start();
        run.tapExample();
        QVERIFY(run.waitFinished());
        QCOMPARE(run.result(), 0);
        QSettings settings;
        const QByteArray rotated =
            settings.value(QStringLiteral("GeometricCalibration/RotatedData")).toByteArray();
        QCOMPARE(settings.value(QStringLiteral("GeometricCalibration/UnrotatedData")).toByteArray(),
                 kExamplePayload);
        QCOMPARE(rotated.left(4), firstRotatedPoint);
        // The measured values never turn.
        QCOMPARE(rotated.mid(4, 4), kExamplePayload.mid(4, 4));
        QCOMPARE(run.sentPayload(), rotated);
    }

    // How a run ends without a calibration: result, box, graph request; nothing sent.
    void unsuccessfulRuns_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("graph");
        QTest::addRow("Cancel") << "cancel" << 2 << kCancelled << false;
        QTest::addRow("Escape") << "escape" << 2 << kCancelled << false;
        QTest::addRow("no packets") << "silent" << 3 << kFailed << true;
        QTest::addRow("finger leaves mid-target") << "leaves" << 3 << kFailed << true;
        QTest::addRow("finger never lifts") << "holds" << 3 << kFailed << true;
        QTest::addRow("unplugged") << "unplug" << 3 << QString() << false;
        QTest::addRow("no finger") << "nofinger" << 4 << kNoTouch << false;
    }
    void unsuccessfulRuns() {
        QFETCH(QString, how);
        QFETCH(int, result);
        QFETCH(QString, box);
        QFETCH(bool, graph);
        CalibrationRun run(1, how != QLatin1String("silent"));
        QVERIFY(run.connected);
        run.finger->setContactTimeout(150);
        run.finger->setFeedbackTimeout(600);
        run.start();
        if (how == QLatin1String("cancel")) {
            QTest::mouseClick(run.window->findChild<QToolButton*>(QStringLiteral("buttonCancel")),
                              Qt::LeftButton);
        } else if (how == QLatin1String("escape")) {
            QTest::keyClick(run.window.data(), Qt::Key_Escape);
        } else if (how == QLatin1String("leaves")) {
            run.rig.board.tap(1000, 2000, 40);
        } else if (how == QLatin1String("holds")) {
            // The first target is done, but the finger never leaves for the second.
            run.rig.board.tap(1000, 2000, -1);
        } else if (how == QLatin1String("unplug")) {
            QTRY_VERIFY(run.finger->state() == ResponseDelegateUntrackedFinger::WaitForContact);
            run.rig.board.unplug();
        }
        QVERIFY(run.waitFinished());
        QCOMPARE(run.result(), result);
        QCOMPARE(run.boxes.size(), box.isEmpty() ? 0 : 1);
        if (!box.isEmpty()) {
            QCOMPARE(run.boxes.first().text, box);
        }
        QCOMPARE(run.editor->count(), graph ? 1 : 0);
        QVERIFY(run.rig.writesOf(kCalibration3Opcode).isEmpty());
        QVERIFY(!calibrationStarted());
        QCOMPARE(run.finger->isAcquisitionTimerActive(), false);
        QCOMPARE(run.finger->isFeedbackTimerActive(), false);
    }

    // Once fixed, the result stays: a late timeout while the box is open and a Cancel or
    // Reset right after completion change nothing and ask nothing twice.
    void resultStaysFixed() {
        // A completion delay no loaded machine outlasts: Reset and Cancel must come in it.
        FormCalibration::Timings timings = quickTimings();
        timings.completionDelayMs = 2000;
        FormCalibration::setDefaultTimings(timings);
        auto restore = qScopeGuard([] { FormCalibration::setDefaultTimings(quickTimings()); });
        CalibrationRun run;
        QVERIFY(run.connected);
        run.whileBoxOpen = [&run] {
            emit run.finger->timeout();
            emit run.finger->feedbacktimeout();
        };
        run.start();
        run.tapExample();
        QTRY_COMPARE(run.window->result(), 0);
        QVERIFY(run.window);  // still within the completion delay
        run.window->on_buttonReset_clicked();
        run.window->on_buttonCancel_clicked();
        QVERIFY(run.waitFinished());
        QTest::qWait(100);
        QCOMPARE(run.finished->count(), 1);
        QCOMPARE(run.result(), 0);
        QCOMPARE(run.boxes.size(), 1);
        QCOMPARE(run.boxes.first().text, kSuccess);
        QCOMPARE(run.editor->count(), 0);
        QCOMPARE(run.rig.writesOf(kCalibration3Opcode).size(), 1);
    }

    // A moved edge gives result 1 and keeps the area for the next run.
    void reducedAreaIsRemembered() {
        QRect area;
        {
            CalibrationRun run;
            QVERIFY(run.connected);
            run.start();
            QTest::mouseClick(
                run.window->findChild<QToolButton*>(QStringLiteral("buttonWestRight")),
                Qt::LeftButton);
            area = run.window->calibrationArea();
            QCOMPARE(area.left(), 1);
            run.tapExample();
            QVERIFY(run.waitFinished());
            QCOMPARE(run.result(), 1);
        }
        QSettings settings;
        QCOMPARE(settings.value(QStringLiteral("Calibration/SliderModified")).toBool(), true);
        QCOMPARE(settings.value(QStringLiteral("Calibration/SliderWestValue")).toInt(), 1);
        QCOMPARE(settings.value(QStringLiteral("Calibration/SliderEastValue")).toInt(), 999);
        QCOMPARE(settings.value(QStringLiteral("Calibration/SliderNorthValue")).toInt(), 0);
        QCOMPARE(settings.value(QStringLiteral("Calibration/SliderSouthValue")).toInt(), 999);
        CalibrationRun next;
        next.window->show();
        QCOMPARE(next.window->calibrationArea(), area);
        QVERIFY(next.window->isAreaModified());
    }
};

QTEST_MAIN(tst_CalibrationFlow)
#include "tst_CalibrationFlow.moc"
