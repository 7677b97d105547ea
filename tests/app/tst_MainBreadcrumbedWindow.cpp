#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <memory>

#include "device/ConnectionWatcher.h"
#include "device/LogReplayer.h"
#include "protocol/FirmwareInformation.h"
#include "engineering/DialogEngParamsTab.h"
#include "engineering/formEngParamsTab.h"
#include "firmware/FormFirmwareUpdate.h"
#include "output/FormOutput.h"
#include "sensitivity/FormSensThreshEditor.h"
#include "sensitivity/MonitorWidget.h"
#include "troubleshoot/formdisplayCurrentData.h"
#include "wizard/SetupWizard.h"
#include "app/BoardStartSequence.h"
#include "app/FormSoftReset.h"
#include "app/MainBreadcrumbedWindow.h"
#include "app/MiscFiles.h"
#include "app/SoftResetNoticeWindow.h"
#include "resources/AppResources.h"
#include "tests/support/SimRig.h"
#include "../device/LogSpy.h"
#include "RecordingPrompt.h"

namespace {
// Current-parameters block as the board keeps it: byte 10 bits 0x80 and 0x20 the edge
// streams of A and B.
constexpr int kMonitorFlags = 10;
constexpr quint8 kEdgeStreamBits = 0x80 | 0x20;

// Request opcodes as the board receives them.
constexpr int kGetVersion = 2;
constexpr int kGetCopyright = 3;
constexpr int kSetParameters = 4;
constexpr int kGetParameters = 5;
constexpr int kLoadDefaults = 8;
}  // namespace

// The main window against the virtual controller, as a technician meets it: greyed until
// the controller has started, then navigable; greyed and back home when the controller
// is unplugged, usable again when it returns; covered by the "do not touch" notice while
// the controller resets itself; and usable in bounded time whatever the controller
// leaves unanswered. Every case has a controller, a link and a window of its own.
class tst_MainBreadcrumbedWindow : public QObject {
    Q_OBJECT

private:
    RecordingPrompt m_prompt;
    std::unique_ptr<SimRig> m_rig;
    std::unique_ptr<MainBreadcrumbedWindow> m_window;
    std::unique_ptr<QTemporaryDir> m_workDir;
    QString m_startDir;

    // A step asks again after 250 ms, three times.
    static BoardStartSequence::Timings quickTimings() {
        BoardStartSequence::Timings timings;
        timings.firstBlock = timings.wireCounts = timings.firmwareHeader =
            timings.versionCheck = {250, 3};
        timings.rescanWhileLostMs = 20;
        timings.softResetPollMs = 10;
        return timings;
    }

    // A board already set up (calibrated, on calibration-3): no first-run wizard covers
    // the window.
    static SimScenario installedBoard() {
        SimScenario scenario = SimRig::quickScenario();
        scenario.calibrated = true;
        return scenario;
    }

    // Builds the window over a freshly opened board; the board start is still to come.
    bool open(const SimScenario& scenario = installedBoard()) {
        m_rig = std::make_unique<SimRig>(scenario);
        SoftResetNoticeWindow::install(&m_rig->dispatcher);
        if (!m_rig->openBoard()) {
            return false;
        }
        m_window = std::make_unique<MainBreadcrumbedWindow>(&m_rig->dispatcher, &m_rig->ops);
        m_window->boardStartSequence()->setTimings(quickTimings());
        m_window->show();
        return true;
    }
    // ... and waits until the board start is over and its parameter writes have settled.
    bool start(const SimScenario& scenario = installedBoard()) {
        return open(scenario) &&
               QTest::qWaitFor([this] { return m_window->isEnabled(); }, SimRig::kWaitMs) &&
               m_rig->settle();
    }

    template <typename T>
    T* child(const char* name) const {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }

    void click(const char* name) {
        auto* button = child<QAbstractButton>(name);
        QVERIFY2(button != nullptr && button->isEnabled(), name);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QString indicatorStyle() const { return child<QLabel>("labelConnectionStatus")->styleSheet(); }

    template <typename T>
    static QList<T*> shown() {
        QList<T*> found;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<T*>(widget); window != nullptr && window->isVisible()) {
                found << window;
            }
        }
        return found;
    }

    // Delivered firmware in a working folder of the case's own.
    void deliverFirmware(const QString& name) {
        m_workDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_workDir->isValid());
        QVERIFY(QDir(m_workDir->path()).mkdir(QStringLiteral("Firmware")));
        QFile file(m_workDir->filePath(QStringLiteral("Firmware/") + name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(QDir::setCurrent(m_workDir->path()));
    }

private slots:
    void initTestCase() {
        SimRig::useTestSettings();
        AppResources::initialize();
        UserPrompt::install(&m_prompt);
        m_startDir = QDir::currentPath();
    }

    void init() {
        QSettings().clear();
        // Not a first run: the window leaves the board's parameters as they are.
        QSettings().setValue(QStringLiteral("FilterValue/FirstConfiguration"), true);
        FirmwareInformation::instance().clear();
        m_prompt.questions.clear();
        m_prompt.button = QMessageBox::Ok;
    }

    void cleanup() {
        m_window.reset();
        m_rig.reset();
        QDir::setCurrent(m_startDir);
        m_workDir.reset();
    }

    void cleanupTestCase() {
        UserPrompt::install(nullptr);
        SoftResetNoticeWindow::install();
        QSettings().clear();
    }

    // A first run: the defaults are loaded before the window comes up.
    void boardStartEnablesTheWindow() {
        QSettings().clear();
        QVERIFY(open());
        QVERIFY(!m_window->isEnabled());
        QVERIFY(!m_window->isIndicatorOn());
        const QString offStyle = indicatorStyle();
        QVERIFY(!m_window->connectionWatcher()->isRunning());

        QTRY_VERIFY_WITH_TIMEOUT(m_window->isEnabled(), SimRig::kWaitMs);
        // The controller's first answer starts the heartbeat that keeps the link honest.
        QVERIFY(m_window->connectionWatcher()->isRunning());
        QVERIFY(m_window->isIndicatorOn());
        QVERIFY(indicatorStyle() != offStyle);
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::HomePage));
        QCOMPARE(m_window->breadcrumbText(), QStringLiteral("Home"));
        QTRY_VERIFY(m_rig->requests.contains(kLoadDefaults));
    }

    // The output page shows the board's mode (a fresh board reports two touch); the
    // buttons change it (covered in tst_FormOutput). Closing stops all device traffic.
    void homeButtonsOpenTheirPagesAndClosingStopsTraffic() {
        QVERIFY(start());
        click("buttonOutput");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::OutputPage));
        QCOMPARE(m_window->breadcrumbText(), QStringLiteral("Output"));
        auto* output = child<FormOutput>("FormOutput");
        QVERIFY(output != nullptr && output->isVisible());
        QCOMPARE(output->stackIndex(), int(FormOutput::ModeButtonsPage));
        QVERIFY(child<QPushButton>("buttonDoubleTouch")->isChecked());
        click("breadcrumbStyledContainer");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::HomePage));
        QVERIFY(!m_rig->dispatcher.isCommunicationStopped());
        m_window->close();
        QVERIFY(m_rig->dispatcher.isCommunicationStopped());
    }

    void breadcrumbLeadsFromTheDriverPageToTroubleshootingThenHome() {
        QVERIFY(start());
        m_rig->requests.clear();
        click("PushButton_Version");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::DriverPage));
        QCOMPARE(m_window->breadcrumbText(), QStringLiteral("Info"));
        const QString info = child<QTextEdit>("textEdit")->toPlainText();
        QVERIFY2(info.endsWith(QStringLiteral("Device Information\nVID= 0x25c8   PID= 0x0014")),
                 qPrintable(info));
        // Opening the page asks the controller for its version and copyright (the
        // connection watcher's keep-alive requests may come in between).
        QTRY_VERIFY(m_rig->requests.contains(kGetCopyright));
        QList<int> asked = m_rig->requests;
        asked.removeAll(kGetParameters);
        QCOMPARE(asked.mid(asked.indexOf(kGetCopyright) - 1, 2),
                 (QList<int>{kGetVersion, kGetCopyright}));

        click("breadcrumbStyledContainer");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::TroubleshootPage));
        QCOMPARE(m_window->breadcrumbText(), QStringLiteral("Troubleshoot"));
        click("breadcrumbStyledContainer");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::HomePage));
        QCOMPARE(m_window->breadcrumbText(), QStringLiteral("Home"));
    }

    void softResetIsCoveredByTheNotice() {
        SimScenario scenario = installedBoard();
        scenario.softResetMs = 300;
        QVERIFY(start(scenario));
        QVERIFY(shown<FormSoftReset>().isEmpty());
        m_rig->dispatcher.queueCommand(CommandFactory::softReset());
        m_rig->dispatcher.queueCommand(CommandFactory::getParams());
        QTRY_COMPARE(shown<FormSoftReset>().size(), 1);
        QVERIFY(shown<FormSoftReset>().first()->isPolling());
        // The notice's own polls notice the end of the soft reset.
        QTRY_VERIFY(shown<FormSoftReset>().isEmpty());
        QVERIFY(m_prompt.questions.isEmpty());
    }

    void unplugGreysTheWindowAndReplugEnablesIt() {
        QVERIFY(start());
        const QString onStyle = indicatorStyle();
        click("buttonOutput");
        m_rig->board.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isEnabled(), SimRig::kWaitMs);
        QVERIFY(!m_window->isIndicatorOn());
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::HomePage));
        QVERIFY(indicatorStyle() != onStyle);

        m_rig->provider.setRescanInterval(20);
        m_rig->board.replug();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isEnabled(), 10000);
        QVERIFY(m_window->isIndicatorOn());
    }

    void factoryResetIsAskedThroughTheToolsPrompt() {
        QVERIFY(start());
        click("buttonTroubleshooting");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::TroubleshootPage));
        m_prompt.button = QMessageBox::Cancel;
        m_rig->requests.clear();
        click("buttonFactoryReset");
        QCOMPARE(m_prompt.questions.size(), 1);
        QVERIFY(m_prompt.questions.first().buttons & QMessageBox::Cancel);
        // Nothing of a reset reaches the board ahead of a later request.
        m_rig->dispatcher.queueCommand(CommandFactory::getParams());
        QTRY_VERIFY(m_rig->requests.contains(kGetParameters));
        QVERIFY(!m_rig->requests.contains(kSetParameters));
        QVERIFY(!m_rig->requests.contains(kLoadDefaults));
        // "Info" leads on to the driver page.
        click("buttonDriver");
        QCOMPARE(m_window->currentPage(), int(MainBreadcrumbedWindow::DriverPage));
    }

    // "Firmware Update" on the troubleshooting page opens the upload dialog over the
    // window; its file chooser goes through the tool's prompt; the connection watcher
    // rests while the dialog is open.
    void firmwareUpdateButtonOpensTheUploadDialog() {
        QVERIFY(start());
        click("buttonTroubleshooting");
        m_prompt.fileQuestions.clear();
        m_prompt.chosenFile.clear();
        click("buttonFirmwareUpdate");
        QPointer<FormFirmwareUpdate> dialog = m_window->miscFiles()->firmwareUpdateDialog();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QVERIFY(!m_window->connectionWatcher()->isRunning());
        auto* choose = dialog->findChild<QPushButton*>(QStringLiteral("Clear"));
        QTRY_VERIFY(choose->isEnabled());
        choose->click();
        QCOMPARE(m_prompt.fileQuestions.size(), 1);
        QVERIFY(m_prompt.fileQuestions.first().filter.contains(QStringLiteral("*.ovu")));
        dialog->close();
        QVERIFY(m_window->connectionWatcher()->isRunning());
        QTRY_VERIFY(dialog.isNull());
    }

    // "Graph" opens the graph window over the controller; a second press brings the same
    // one forward.
    void graphButtonOpensTheGraphWindow() {
        QVERIFY(start());
        click("buttonTroubleshooting");
        click("buttonGraph");
        QPointer<FormSensThreshEditor> editor = m_window->miscFiles()->sensThresholdEditor();
        QVERIFY(editor && editor->isVisible());
        QVERIFY(!editor->isReplay());
        click("buttonGraph");
        QCOMPARE(shown<FormSensThreshEditor>().size(), 1);
        editor->close();
        QTRY_VERIFY(editor.isNull());
    }

    // "Wizard" opens one setup wizard; leaving it through "Troubleshoot Graph" on the
    // broken-wire page (no calibration reported) leads to the graph window.
    void wizardTroubleshootGraphLeadsToTheGraph() {
        SimScenario scenario = installedBoard();
        scenario.brokenWireA = 3;
        QVERIFY(start(scenario));
        click("buttonWizard");
        QPointer<SetupWizard> wizard = m_window->setupWizard();
        QVERIFY(wizard && wizard->isVisible());
        QCOMPARE(wizard->windowModality(), Qt::ApplicationModal);
        m_window->showWizard();
        QCOMPARE(m_window->setupWizard(), wizard.data());
        QCOMPARE(shown<SetupWizard>().size(), 1);

        wizard->button(QWizard::NextButton)->click();
        QCOMPARE(wizard->currentId(), int(SetupWizard::BrokenWirePage));
        QVERIFY(m_window->miscFiles()->sensThresholdEditor() == nullptr);
        wizard->button(QWizard::CustomButton1)->click();
        QTRY_VERIFY(wizard.isNull());
        QPointer<FormSensThreshEditor> editor = m_window->miscFiles()->sensThresholdEditor();
        QVERIFY(editor && editor->isVisible());
        editor->close();
        QTRY_VERIFY(editor.isNull());
    }

    // A factory reset leaves the controller uncalibrated with default output: the setup
    // wizard follows it.
    void factoryResetLeadsToTheWizard() {
        QVERIFY(start());
        QVERIFY(m_window->setupWizard() == nullptr);
        m_rig->ops.doFactoryReset();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->setupWizard() != nullptr, SimRig::kWaitMs);
        QPointer<SetupWizard> wizard = m_window->setupWizard();
        QVERIFY(wizard->isVisible());
        wizard->button(QWizard::CancelButton)->click();
        QTRY_VERIFY(wizard.isNull());
    }

    // Started to replay, with no controller and no log yet: the window is usable at once
    // and "Graph" asks for the log to replay.
    void replayModeGraphAsksForTheLog() {
        LogReplayer replayer;
        DeviceEventDispatcher dispatcher;
        dispatcher.registerDeviceKind(new PomelarKind(dispatcher.deviceBridge()));
        dispatcher.registerDeviceIoDataProvider(&replayer);
        dispatcher.setDeviceIoDataProvider(replayer.name());
        SetOperations operations(&dispatcher);
        MainBreadcrumbedWindow window(&dispatcher, &operations);
        window.miscFiles()->setReplayOnly(true);
        window.show();
        QTRY_VERIFY(window.isEnabled());
        m_prompt.fileQuestions.clear();
        m_prompt.chosenFile.clear();
        for (const char* name : {"buttonTroubleshooting", "buttonGraph"}) {
            auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(name));
            QVERIFY2(button != nullptr && button->isEnabled(), name);
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QCOMPARE(m_prompt.fileQuestions.size(), 1);
        QCOMPARE(m_prompt.fileQuestions.first().filter, QStringLiteral("Replay Log files (*.log)"));
        QVERIFY(window.miscFiles()->sensThresholdEditor() == nullptr);
        dispatcher.StopCommunication();
    }

    void ctrlAltQOpensTheFlagDisplay_data() {
        QTest::addColumn<bool>("onTheNotice");
        QTest::addRow("main window") << false;
        QTest::addRow("soft-reset notice") << true;
    }
    void ctrlAltQOpensTheFlagDisplay() {
        QFETCH(bool, onTheNotice);
        SimScenario scenario = installedBoard();
        scenario.softResetMs = 5000;
        QVERIFY(start(scenario));
        QWidget* target = m_window.get();
        if (onTheNotice) {
            m_rig->dispatcher.queueCommand(CommandFactory::softReset());
            m_rig->dispatcher.queueCommand(CommandFactory::getParams());
            QTRY_COMPARE(shown<FormSoftReset>().size(), 1);
            target = shown<FormSoftReset>().first();
        }
        QVERIFY(shown<formdisplayCurrentData>().isEmpty());
        target->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(target));
        QTest::keyClick(target, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
        QTRY_COMPARE(shown<formdisplayCurrentData>().size(), 1);
        QPointer<formdisplayCurrentData> display = shown<formdisplayCurrentData>().first();
        QTest::keyClick(display.data(), Qt::Key_Escape);
        QTRY_VERIFY(display.isNull());
    }

    // Ctrl+Alt+P opens one engineering dialog over the window (a second press raises it);
    // it shows the controller's values and is gone once closed.
    void ctrlAltPOpensTheEngineeringDialog() {
        QVERIFY(start());
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
        QPointer<DialogEngParamsTab> dialog = m_window->miscFiles()->engineeringDialog();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QVERIFY(dialog->tabs()->hasBoardValues());
        m_window->miscFiles()->showEngineeringParameters();
        QCOMPARE(shown<DialogEngParamsTab>().size(), 1);
        dialog->close();
        QTRY_VERIFY(dialog.isNull());
    }

    // The troubleshooting page's "Touch Test" and Ctrl+Alt+M show the touch test window full
    // screen; it closes with the main window.
    void touchTestOpensTheMonitorFullScreen_data() {
        QTest::addColumn<bool>("byKeys");
        QTest::addRow("Touch Test button") << false;
        QTest::addRow("Ctrl+Alt+M") << true;
    }
    void touchTestOpensTheMonitorFullScreen() {
        QFETCH(bool, byKeys);
        QVERIFY(start());
        QVERIFY(shown<MonitorWidget>().isEmpty());
        if (byKeys) {
            m_window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
            QTest::keyClick(m_window.get(), Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
        } else {
            click("buttonTroubleshooting");
            click("buttonTouchTest");
        }
        QTRY_COMPARE(shown<MonitorWidget>().size(), 1);
        MonitorWidget* monitor = shown<MonitorWidget>().first();
        QCOMPARE(monitor, m_window->monitorWindow());
        QVERIFY(monitor->isFullScreen());
        m_window->close();
        QVERIFY(!monitor->isVisible());
    }

    // Whatever the controller leaves unanswered, the window comes up in bounded time; what
    // depends on the missing answer is skipped and said so in the log.
    void boardStartEndsWithAUsableWindow_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<bool>("lostAtOnce");
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("splitType");
        QTest::addColumn<QString>("runningVersion");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<QString>("warning");
        QTest::addRow("healthy") << "" << false << true << 4040 << "615" << true << "";
        QTest::addRow("no firmware header")
            << "ignore=23" << false << true << 4040 << "" << false
            << "No firmware header from the controller after 3 requests";
        QTest::addRow("no edge stream") << "edgeInterval=0" << false << true << 0 << "615" << false
                                        << "No edge data from the controller";
        QTest::addRow("no parameter block") << "ignore=5" << false << false << 0 << "" << false
                                            << "No parameter block from the controller";
        QTest::addRow("lost before its first answer")
            << "" << true << true << 4040 << "615" << true << "";
    }
    void boardStartEndsWithAUsableWindow() {
        QFETCH(QString, scenario);
        QFETCH(bool, lostAtOnce);
        QFETCH(bool, started);
        QFETCH(int, splitType);
        QFETCH(QString, runningVersion);
        QFETCH(bool, offered);
        QFETCH(QString, warning);
        deliverFirmware(QStringLiteral("620_4040.ovu"));
        SimScenario board = installedBoard();
        QVERIFY(board.applyArgument(scenario));
        LogSpy log;
        QVERIFY(open(board));
        if (lostAtOnce) {
            // Gone before the first request left; back after longer than any step waits.
            m_rig->board.unplug();
            QTRY_VERIFY(m_rig->provider.isLost());
            QTimer::singleShot(1000, &m_rig->board, &VirtualController::replug);
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isEnabled(), 10000);
        QCOMPARE(m_window->isIndicatorOn(), started);
        QCOMPARE(m_window->firmwareVersionCheck() != nullptr, started);
        QCOMPARE(FirmwareInformation::instance().splitType(), splitType);
        QCOMPARE(FirmwareInformation::instance().currentFirmwareVersion(), runningVersion);
        QCOMPARE(m_prompt.questions.size(), offered ? 1 : 0);
        // Nothing was given up but what the row expects, and the window came up once.
        QStringList warnings = log.messages(SillyLogger::Warning).filter(QStringLiteral(" after "));
        QCOMPARE(warnings.size(), warning.isEmpty() ? 0 : 1);
        QVERIFY2(warnings.join(QString()).contains(warning), qPrintable(warnings.join(QString())));
        QCOMPARE(log.count(SillyLogger::Information, QStringLiteral("Main window enabled.")), 1);
        // The edge stream the measurement needed does not stay on.
        if (started) {
            QTRY_VERIFY(!m_rig->boardFlag(kMonitorFlags, kEdgeStreamBits));
        }
    }
};

QTEST_MAIN(tst_MainBreadcrumbedWindow)
#include "tst_MainBreadcrumbedWindow.moc"
