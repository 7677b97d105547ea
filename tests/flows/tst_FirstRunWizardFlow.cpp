#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "protocol/FirmwareInformation.h"
#include "protocol/ResponseDelegateUntrackedFinger.h"
#include "sim/SimParameterBlock.h"
#include "calibration/FormCalibration.h"
#include "output/FormOutput.h"
#include "output/OutputWizardProxy.h"
#include "sensitivity/FormSensThreshEditor.h"
#include "wizard/SetupWizard.h"
#include "app/BoardStartSequence.h"
#include "app/MainBreadcrumbedWindow.h"
#include "app/SoftResetNoticeWindow.h"
#include "resources/AppResources.h"
#include "tests/support/SimRig.h"
#include "../app/RecordingPrompt.h"

namespace {
using Block = SimParameterBlock;

bool flag(const QByteArray& block, int offset, quint8 mask) {
    return offset < block.size() && (quint8(block.at(offset)) & mask) != 0;
}

template <typename T>
QList<T*> shown() {
    QList<T*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<T*>(widget); window != nullptr && window->isVisible()) {
            found << window;
        }
    }
    return found;
}
}  // namespace

// A new installation as the installer meets it: a controller that was never calibrated
// and a tool that was never run. The tool comes up with the setup wizard, the finger
// touches the three targets, the installer picks the output and presses Finish; the
// controller then works on its calibration, with the chosen output, also after a restart.
class tst_FirstRunWizardFlow : public QObject {
    Q_OBJECT

private:
    RecordingPrompt m_prompt;
    std::unique_ptr<QTemporaryDir> m_workDir;
    QString m_startDir;
    std::unique_ptr<SimRig> m_rig;
    std::unique_ptr<MainBreadcrumbedWindow> m_window;
    QPointer<SetupWizard> m_wizard;

    static SimScenario freshBoard() {
        SimScenario scenario = SimRig::quickScenario();
        scenario.calibrated = false;
        scenario.noise = 0.0;
        scenario.fingerIntervalMs = 2;
        return scenario;
    }

    // Starts the tool over the board and waits for the first-run wizard.
    bool startTool() {
        m_rig = std::make_unique<SimRig>(freshBoard());
        SoftResetNoticeWindow::install(&m_rig->dispatcher);
        if (!m_rig->openBoard()) {
            return false;
        }
        auto* finger = m_rig->delegate<ResponseDelegateUntrackedFinger>("UntrackedFinger");
        finger->setContactTimeout(150);
        finger->setFeedbackTimeout(300);
        m_window = std::make_unique<MainBreadcrumbedWindow>(&m_rig->dispatcher, &m_rig->ops);
        BoardStartSequence::Timings timings;
        timings.firstBlock = timings.wireCounts = timings.firmwareHeader =
            timings.versionCheck = {250, 3};
        timings.rescanWhileLostMs = 20;
        timings.softResetPollMs = 10;
        m_window->boardStartSequence()->setTimings(timings);
        m_window->show();
        const bool wizardUp = QTest::qWaitFor(
            [this] { return m_window->setupWizard() && m_window->setupWizard()->isVisible(); },
            SimRig::kWaitMs);
        m_wizard = m_window->setupWizard();
        return wizardUp;
    }

    // Next on the welcome page leads to the calibration, whose window opens by itself.
    FormCalibration* goToCalibration() {
        m_wizard->button(QWizard::NextButton)->click();
        if (m_wizard->currentId() != SetupWizard::CalibrationPage ||
            !QTest::qWaitFor([] { return shown<FormCalibration>().size() == 1; },
                             SimRig::kWaitMs)) {
            return nullptr;
        }
        FormCalibration* calibration = shown<FormCalibration>().first();
        calibration->setWindowState(Qt::WindowNoState);
        calibration->setGeometry(0, 0, 1000, 1000);
        return calibration;
    }

private slots:
    void initTestCase() {
        SimRig::useTestSettings();
        AppResources::initialize();
        UserPrompt::install(&m_prompt);
        m_startDir = QDir::currentPath();
        FormCalibration::setDesktopSource([] { return QRect(0, 0, 1000, 1000); });
        FormCalibration::setMessageShower(
            [](QWidget*, QMessageBox::Icon, const QString&, const QString&) {});
        FormCalibration::Timings timings;
        timings.acquisitionTimeoutMs = 300;
        timings.completionDelayMs = 20;
        timings.liftTimeoutMs = 300;
        FormCalibration::setDefaultTimings(timings);
    }

    // A tool never run: empty settings, and no delivered firmware to offer.
    void init() {
        QSettings().clear();
        FirmwareInformation::instance().clear();
        m_workDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_workDir->isValid());
        QVERIFY(QDir::setCurrent(m_workDir->path()));
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

    void firstRunCalibratesAndKeepsTheChosenOutput() {
        QVERIFY(startTool());
        QVERIFY(!flag(m_rig->board.parameterBlock(), Block::kStatus, Block::kCalibSuccess));
        QCOMPARE(m_wizard->currentId(), int(SetupWizard::WelcomePage));
        QCOMPARE(m_wizard->windowModality(), Qt::ApplicationModal);

        QVERIFY(goToCalibration() != nullptr);
        m_rig->board.tap(1000, 2000, 120);
        m_rig->board.tap(3000, 2000, 120);
        m_rig->board.tap(1000, 500, 120);
        QTRY_COMPARE_WITH_TIMEOUT(m_wizard->currentId(), int(SetupWizard::OutputPage),
                                  SimRig::kWaitMs);
        QCOMPARE(m_wizard->calibrationResult(), 0);
        QVERIFY(m_wizard->button(QWizard::CustomButton3)->isVisible());
        QTRY_VERIFY(shown<FormCalibration>().isEmpty());
        // The output restored after the run must not overwrite the installer's choice.
        QVERIFY(m_rig->settle());

        auto* mouse = m_wizard->outputPage()->form()->findChild<QRadioButton*>(
            QStringLiteral("radioButton_Mouse"));
        QVERIFY(mouse != nullptr && mouse->isVisible());
        // A radio button takes clicks on its circle and text, at its left.
        QTest::mouseClick(mouse, Qt::LeftButton, {}, QPoint(6, mouse->height() / 2));
        QVERIFY(mouse->isChecked());
        QTRY_COMPARE_WITH_TIMEOUT(m_rig->boardByte(Block::kOutputEncoding), quint8(1),
                                  SimRig::kWaitMs);
        QVERIFY(m_rig->settle());

        const int savesBefore = m_rig->requests.count(VirtualController::kOpSaveToFlash);
        QTest::mouseClick(m_wizard->button(QWizard::FinishButton), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_wizard.isNull(), SimRig::kWaitMs);
        QCOMPARE(m_rig->requests.count(VirtualController::kOpSaveToFlash), savesBefore + 1);
        QVERIFY(m_rig->settle());

        // What the controller runs on now and starts with next time.
        const QByteArray running = m_rig->board.parameterBlock();
        const QByteArray saved = m_rig->board.savedParameterBlock();
        for (const QByteArray& block : {running, saved}) {
            QVERIFY(flag(block, Block::kStatus, Block::kCalibSuccess));
            QVERIFY(flag(block, Block::kOutputFlags, Block::kOutputUseCalib3));
            QVERIFY(flag(block, Block::kOutputFlags, Block::kOutputEnabled));
            QCOMPARE(quint8(block.at(Block::kOutputEncoding)), quint8(1));
        }
        QVERIFY(!m_rig->board.calibrationData().isEmpty());
        // A successful run leads to no diagnosis.
        QVERIFY(shown<FormSensThreshEditor>().isEmpty());
        QVERIFY(m_window->isEnabled());
    }

    // The controller unplugged during the calibration greys the main window; the wizard
    // above it stays usable and can be left.
    void unplugLeavesTheWizardCancellable() {
        QVERIFY(startTool());
        QVERIFY(goToCalibration() != nullptr);
        m_rig->board.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isEnabled(), SimRig::kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(shown<FormCalibration>().isEmpty(), SimRig::kWaitMs);
        QVERIFY(m_wizard->isEnabled());
        QAbstractButton* cancel = m_wizard->button(QWizard::CancelButton);
        QVERIFY(cancel->isVisible() && cancel->isEnabled());
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY(m_wizard.isNull());
        QVERIFY(!m_window->isEnabled());
    }
};

QTEST_MAIN(tst_FirstRunWizardFlow)
#include "tst_FirstRunWizardFlow.moc"
