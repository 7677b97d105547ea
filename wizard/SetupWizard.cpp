#include "wizard/SetupWizard.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QSettings>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWizardPage>

#include "logging/LogMacros.h"
#include "protocol/SettingsKeys.h"
#include "operations/SetOperations.h"
#include "calibration/CalibrationWizardProxy.h"
#include "output/OutputWizardProxy.h"
#include "sensitivity/AutoSensWizardProxy.h"
#include "sensitivity/FormSensCal.h"
#include "troubleshoot/brokenWireWizardProxy.h"

namespace {
constexpr int kDefaultWidth = 618;
constexpr int kDefaultHeight = 468;
const QString kTroubleshootGraphText = QStringLiteral("Troubleshoot Graph");
const QString kTouchTestText = QStringLiteral("Touch Test");
}  // namespace

SetupWizard::SetupWizard(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                         QWidget* parent)
    : QWizard(parent), m_dispatcher(dispatcher), m_operations(operations) {
    setAttribute(Qt::WA_DeleteOnClose);
    createWelcomePage();
    m_operations->setCalibResult(kNoCalibrationResult);
    if (m_operations->checkForWireOut()) {
        createAndAddBrokeWireProxy();
    }
    if (QSettings().value(SettingsKeys::General::kNewFeatures, false).toBool()) {
        createAndAddAutosensProxy();
    }
    createAndAddCalibrationProxy();
    createAndAddOutputProxy();
    setWindowTitle(QStringLiteral("tavirel configuration Wizard"));
    resize(kDefaultWidth, kDefaultHeight);
    makeConnections();
}

void SetupWizard::createWelcomePage() {
    auto* page = new QWizardPage(this);
    page->setTitle(QStringLiteral("Welcome"));
    page->setSubTitle(
        QStringLiteral("This wizard will help you in configuring your tavirel product."));
    auto* label = new QLabel(
        QStringLiteral("<html><head/><body><p>When you press next, this wizard will take you "
                       "through some configuration steps that will perform the setup of your "
                       "tavirel. </p><p>At the end of the setup process you will be asked to "
                       "select the output mode that you require, and to test the function of "
                       "the tavirel using the Touch test window. </p></body></html>"),
        page);
    label->setWordWrap(true);
    label->setTextFormat(Qt::RichText);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(label);
    setPage(WelcomePage, page);
}

void SetupWizard::createAndAddBrokeWireProxy() {
    const bool newFeatures = QSettings().value(SettingsKeys::General::kNewFeatures, false).toBool();
    m_brokenWire = new brokenWireWizardProxy(m_operations, this);
    m_brokenWire->setNextIdWhenOk(newFeatures ? AutoSensPage : CalibrationPage);
    m_brokenWire->setNextIdWhenFailed(FailedStepId);
    m_brokenWire->setNextIdWhenCancelled(AutoSensPage);
    setPage(BrokenWirePage, m_brokenWire);
    displayBrokenWireButton(true);
}

void SetupWizard::createAndAddAutosensProxy() {
    m_autoSens = new AutoSensWizardProxy(m_dispatcher, m_operations, this);
    m_autoSens->setNextIdWhenOk(CalibrationPage);
    m_autoSens->setNextIdWhenFailed(FailedStepId);
    m_autoSens->setNextIdWhenCancelled(CalibrationPage);
    setPage(AutoSensPage, m_autoSens);
}

void SetupWizard::createAndAddCalibrationProxy() {
    if (m_calibration != nullptr) {
        return;
    }
    m_calibration = new CalibrationWizardProxy(this);
    m_calibration->setNextIdCalibrationOk(OutputPage);
    m_calibration->setNextIdCalibrationCancelled(OutputPage);
    // A failed calibration still goes on to the output page, which says what went wrong
    // and lets Finish lead to the graph; no page carries the failed-step id.
    m_calibration->setNextIdCalibrationFailed(OutputPage);
    setPage(CalibrationPage, m_calibration);
    m_calibResult = DesiredState::kCalibCancelled;
}

void SetupWizard::createAndAddOutputProxy() {
    m_output = new OutputWizardProxy(m_dispatcher, m_operations, this);
    m_output->setNextIdOutputCancelled(OutputPage);
    m_output->setNextIdOutputFailed(FailedStepId);
    setPage(OutputPage, m_output);
}

void SetupWizard::makeConnections() {
    connect(button(NextButton), &QAbstractButton::clicked, this, &SetupWizard::onNextButtonCliked);
    connect(button(BackButton), &QAbstractButton::clicked, this, &SetupWizard::onBackButtonClicked);
    // Finish saves first and closes once the controller has taken the parameters, so
    // the wizard's own accept-on-click is replaced.
    QAbstractButton* finish = button(FinishButton);
    finish->disconnect(this);
    connect(finish, &QAbstractButton::pressed, this, &SetupWizard::onFinishButtonClicked);
    connect(this, &QWizard::currentIdChanged, this, &SetupWizard::hideCustomButtons);
    connect(this, &QWizard::customButtonClicked, this, &SetupWizard::processCustomButtonClicks);
    connect(m_operations, &SetOperations::signalCalibrationFinished, this,
            &SetupWizard::SetCalibrationResult);
    connect(m_operations, &SetOperations::signalCalibrationFinished, m_output,
            &OutputWizardProxy::slotOutputFinished);
    connect(m_output, &OutputWizardProxy::signalShowOutputWindow, this,
            &SetupWizard::signalShowOutputWindow);
    // The wizard is modal: the main window's own shortcut to the controller's data cannot
    // be reached while it runs, so the wizard offers it and the main window opens it.
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+Q")), this), &QShortcut::activated,
            this, &SetupWizard::signalShortcutActivated);
}

void SetupWizard::showEvent(QShowEvent* event) {
    QSettings().setValue(SettingsKeys::GraphView::kTroubleshootGraph, false);
    QWizard::showEvent(event);
}

void SetupWizard::closeEvent(QCloseEvent* event) {
    if (m_graphRequested && !m_closeHandled) {
        if (m_calibResult == DesiredState::kCalibFailed) {
            emit signalShowSensThresEditor();
        }
        m_closeHandled = true;
    }
    QWizard::closeEvent(event);
}

void SetupWizard::SetCalibrationResult(int Value) {
    TLOG_INFO(QStringLiteral("Wizard: calibration result %1.").arg(Value));
    m_calibResult = Value;
    emit signalCalibrationFinished(Value);
    if (currentId() != CalibrationPage) {
        return;
    }
    // A result outside 0..4 is no outcome: the page stays, Cancel still leaves.
    if (Value < 0 || Value > DesiredState::kCalibNoTouch) {
        TLOG_WARNING(QStringLiteral("Wizard: no calibration outcome (%1).").arg(Value));
        return;
    }
    m_calibration->setCalibrationResult(Value);
    displayMonitorButton(Value);
    next();
}

void SetupWizard::displayMonitorButton(int result) {
    const bool calibrated = result >= 0 && result < DesiredState::kCalibCancelled;
    if (calibrated) {
        setOption(HaveCustomButton3, true);
        setButtonText(CustomButton3, kTouchTestText);
    }
    if (QAbstractButton* touchTest = button(CustomButton3)) {
        touchTest->setVisible(calibrated);
    }
}

void SetupWizard::displayBrokenWireButton(bool on) {
    if (on) {
        setOption(HaveCustomButton1, true);
        setButtonText(CustomButton1, kTroubleshootGraphText);
    }
}

void SetupWizard::hideCustomButtons(int id) {
    if (id != BrokenWirePage) {
        button(CustomButton1)->setVisible(false);
    }
    if (id != OutputPage) {
        button(CustomButton3)->setVisible(false);
    }
    if (id == WelcomePage) {
        button(CustomButton2)->setVisible(false);
    } else if (id == BrokenWirePage && m_brokenWire != nullptr) {
        button(CustomButton1)->setText(kTroubleshootGraphText);
        button(CustomButton1)->setVisible(true);
    }
    if (id != CalibrationPage) {
        m_lastCalibrationPageId = id;
    }
    if (currentId() == CalibrationPage) {
        // The calibration's outcome moves on; until then only Cancel leaves the page.
        button(NextButton)->setVisible(false);
        button(BackButton)->setVisible(false);
        button(BackButton)->setEnabled(false);
        requestCalibrationOnArrival(id);
    }
}

void SetupWizard::requestCalibrationOnArrival(int id) {
    if (m_lastCalibrationPageId == id) {
        return;
    }
    m_lastCalibrationPageId = id;
    // Queued: the calibration window is modal, and it must not change pages while the
    // wizard is still switching to this one.
    QTimer::singleShot(0, this, [this] { emit signalShowCalibrationWindow(false); });
}

void SetupWizard::onNextButtonCliked() {
    hideCustomButtons(currentId());
}

void SetupWizard::onBackButtonClicked() {
    hideCustomButtons(currentId());
}

void SetupWizard::onFinishButtonClicked() {
    button(FinishButton)->setEnabled(false);
    connect(m_operations, &SetOperations::signal_finishedSavingParameters, this,
            &SetupWizard::saveInfo, Qt::UniqueConnection);
    m_operations->saveParametersToFlash();
}

void SetupWizard::saveInfo() {
    if (currentId() == OutputPage) {
        showGraphOrClose();
    }
}

void SetupWizard::showGraphOrClose() {
    m_graphRequested = true;
    m_closeHandled = false;
    close();
}

void SetupWizard::processCustomButtonClicks(int btnNo) {
    if (currentId() == BrokenWirePage && btnNo == CustomButton1) {
        QSettings settings;
        settings.setValue(SettingsKeys::GraphView::kBrokenWire, true);
        settings.setValue(SettingsKeys::GraphView::kTroubleshootGraph, true);
        m_graphRequested = true;
        m_closeHandled = false;
        connect(m_operations, &SetOperations::signal_finishedSavingParameters, this,
                &QWidget::close, Qt::UniqueConnection);
        m_operations->saveParametersToFlash();
    } else if (currentId() == OutputPage && btnNo == CustomButton3) {
        connect(m_operations, &SetOperations::signal_finishedSavingParameters, this,
                &SetupWizard::signalShowMonitor, Qt::UniqueConnection);
        onFinishButtonClicked();
    }
}
