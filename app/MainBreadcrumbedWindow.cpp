#include "app/MainBreadcrumbedWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QUrl>

#include "logging/LogMacros.h"
#include "device/ConnectionWatcher.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "protocol/CommandFactory.h"
#include "protocol/SettingsKeys.h"
#include "protocol/SimpleCommand.h"
#include "operations/SetOperations.h"
#include "output/FormOutput.h"
#include "sensitivity/MonitorWidget.h"
#include "troubleshoot/FormTroubleshoot.h"
#include "troubleshoot/formdisplayCurrentData.h"
#include "wizard/SetupWizard.h"
#include "app/AppVersion.h"
#include "app/BoardStartSequence.h"
#include "app/BreadcrumbNavigation.h"
#include "app/FormDriver.h"
#include "app/FormHome.h"
#include "app/MiscFiles.h"
#include "app/ProductTestWiring.h"
#include "app/UserPrompt.h"
#include "ui_MainBreadcrumbedWindow.h"

namespace {
const char* const kWindowStyleSheet = ":/new/WindowStyles/styles/MainWindow.qss";
const char* const kToolButtonStyleSheet = ":/new/WindowStyles/styles/ToolButtons.qss";
const char* const kPluginsFolder = "/plugins";
const char* const kWebInfo = "<a href=\"https://orvello.example\">orvello.example</a>";

QString loadStyleSheet(const char* resource) {
    QFile file(QString::fromLatin1(resource));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

// The factory-reset question goes through the tool's prompt like every other.
bool askThroughPrompt(QWidget* parent, const FormTroubleshoot::Question& question) {
    UserPrompt::Question asked;
    asked.icon = QMessageBox::Question;
    asked.title = question.title;
    asked.text = question.text;
    asked.informativeText = question.informativeText;
    asked.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    asked.defaultButton = QMessageBox::Cancel;
    return UserPrompt::current().ask(asked, parent).button == QMessageBox::Ok;
}
}  // namespace

MainBreadcrumbedWindow::MainBreadcrumbedWindow(QWidget* parent)
    : MainBreadcrumbedWindow(DeviceEventDispatcher::instance(), SetOperations::instance(), parent) {
}

MainBreadcrumbedWindow::MainBreadcrumbedWindow(DeviceEventDispatcher* dispatcher,
                                               SetOperations* operations, QWidget* parent)
    : QMainWindow(parent),
      m_ui(new Ui::MainBreadcrumbedWindow),
      m_dispatcher(dispatcher),
      m_operations(operations) {
    TTRACE_OBJECT();
    m_ui->setupUi(this);
    setStyleSheet(loadStyleSheet(kWindowStyleSheet));
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    m_ui->labelWebInfo->hide();
    m_ui->lbBuildDate->setText(QStringLiteral(TAVIREL_BUILD_DATE));
    addAction(m_ui->actionHelp);
    m_ui->buttonHelp->setDefaultAction(m_ui->actionHelp);
    setIndicator(false);

    m_watcher = new ConnectionWatcher(m_dispatcher, m_operations, this);
    m_miscFiles = new MiscFiles(this, m_dispatcher, m_operations);
    m_navigation = new BreadcrumbNavigation(this, m_ui->stackedWidget, m_ui->labelBreadcrumb);
    m_boardStart = new BoardStartSequence(this, m_dispatcher, m_operations, m_watcher, m_miscFiles);
    m_productTest = new ProductTestWiring(this, m_dispatcher, m_operations, m_miscFiles);
    connect(m_boardStart, &BoardStartSequence::boardStarted, this,
            &MainBreadcrumbedWindow::showSoftwareVersion);
    buildPages();
    wirePages();
    m_monitor = std::make_unique<MonitorWidget>();

    setEnabled(false);
    m_boardStart->requestFirstParameters();
    if (ProductTestWiring::isActive()) {
        m_productTest->connectAll();
        if (DeviceIoDataProvider* provider = m_dispatcher->ioProvider()) {
            connect(provider, &DeviceIoDataProvider::deviceUnplugged, this,
                    &MainBreadcrumbedWindow::slotDisconnected, Qt::UniqueConnection);
        }
    } else {
        m_boardStart->watchBoardStart();
    }
    createShortcuts();
    setCentralWidget(HomePage);
}

MainBreadcrumbedWindow::~MainBreadcrumbedWindow() {
    TTRACE_OBJECT();
    delete m_ui;
}

int MainBreadcrumbedWindow::currentPage() const {
    return m_navigation->currentPage();
}

QString MainBreadcrumbedWindow::breadcrumbText() const {
    return m_navigation->breadcrumbText();
}

CompareFirmwareVersions* MainBreadcrumbedWindow::firmwareVersionCheck() const {
    return m_boardStart->firmwareCheck();
}

void MainBreadcrumbedWindow::buildPages() {
    auto* home = new FormHome;
    home->setStyleSheet(loadStyleSheet(kToolButtonStyleSheet));
    m_output = new FormOutput(m_dispatcher, m_operations);
    m_troubleshoot = new FormTroubleshoot(m_dispatcher, m_operations);
    m_troubleshoot->setConfirmation(askThroughPrompt);
    m_driver = new FormDriver(m_dispatcher);
    m_ui->stackedWidget->insertWidget(HomePage, home);
    m_ui->stackedWidget->insertWidget(OutputPage, m_output);
    m_ui->stackedWidget->insertWidget(TroubleshootPage, m_troubleshoot);
    m_ui->stackedWidget->insertWidget(DriverPage, m_driver);

    connect(home, &FormHome::buttonCalibrate_pressed, m_miscFiles, &MiscFiles::showCalibrate);
    connect(home, &FormHome::buttonOutput_pressed, this, &MainBreadcrumbedWindow::showOutput);
    connect(home, &FormHome::buttonTroubleshooting_pressed, this,
            &MainBreadcrumbedWindow::showTroubleshoot);
    connect(home, &FormHome::signalOpenWizard, this, &MainBreadcrumbedWindow::showWizard);
}

void MainBreadcrumbedWindow::wirePages() {
    connect(m_operations, &SetOperations::signal_finishedFactoryReset, this,
            &MainBreadcrumbedWindow::showWizard, Qt::UniqueConnection);
    connect(m_troubleshoot, &FormTroubleshoot::signalOpenWizard, this,
            &MainBreadcrumbedWindow::showWizard);
    connect(m_troubleshoot, &FormTroubleshoot::signalGraph, m_miscFiles,
            &MiscFiles::showSensThresholdEditor);
    connect(m_troubleshoot, &FormTroubleshoot::signalReplayer, m_miscFiles,
            &MiscFiles::showReplayWindow);
    connect(m_troubleshoot, &FormTroubleshoot::buttonDriver_pressed, this,
            &MainBreadcrumbedWindow::showDriver);
    connect(m_troubleshoot, &FormTroubleshoot::signalUpdateWizard, m_miscFiles,
            &MiscFiles::showFirmwareUpdateWizard);
    connect(m_troubleshoot, &FormTroubleshoot::signal_InvokeTouchTest, this,
            &MainBreadcrumbedWindow::showMonitorWindow);
}

void MainBreadcrumbedWindow::createShortcuts() {
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+P")), this), &QShortcut::activated,
            m_miscFiles, &MiscFiles::showEngineeringParameters);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+M")), this), &QShortcut::activated,
            this, &MainBreadcrumbedWindow::showMonitorWindow);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+Q")), this), &QShortcut::activated,
            this, &MainBreadcrumbedWindow::showCurrentData);
}

// The provider's own view of the link: a controller gone greys the window, one back
// enables it.
void MainBreadcrumbedWindow::followProvider() {
    DeviceIoDataProvider* provider = m_dispatcher->ioProvider();
    if (provider == nullptr) {
        TLOG_WARNING(QStringLiteral("No I/O provider; connection changes are not followed."));
        return;
    }
    connect(provider, &DeviceIoDataProvider::devicePlugged, this,
            &MainBreadcrumbedWindow::slotReconnecting, Qt::UniqueConnection);
    connect(provider, &DeviceIoDataProvider::deviceUnplugged, this,
            &MainBreadcrumbedWindow::slotDisconnected, Qt::UniqueConnection);
}

// Greying the window greys every child, its dialogs too. The setup wizard and the
// calibration window are the window's children and must stay cancellable while the
// controller is away; a window enabled on its own stays so under a disabled parent.
void MainBreadcrumbedWindow::keepDialogsUsable() {
    for (QDialog* dialog : findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (dialog->isWindow()) {
            dialog->setEnabled(true);
        }
    }
}

void MainBreadcrumbedWindow::setIndicator(bool on) {
    m_indicatorOn = on;
    MiscFiles::updateBooleanTextAndStyle(m_ui->labelConnectionStatus, on, QString(), QString(),
                                         QString::fromLatin1(kConnectedStyle),
                                         QString::fromLatin1(kDisconnectedStyle));
    m_ui->labelConnectionStatus->setToolTip(on ? QStringLiteral("Connected")
                                               : QStringLiteral("Disconnected"));
}

void MainBreadcrumbedWindow::setCentralWidget(int index) {
    m_navigation->setCentralWidget(index);
}

void MainBreadcrumbedWindow::restoreLabelAfterAnimation() {
    m_navigation->restoreLabelAfterAnimation();
}

void MainBreadcrumbedWindow::showHome() {
    m_navigation->showHome();
}

void MainBreadcrumbedWindow::on_breadcrumbStyledContainer_clicked() {
    TTRACE();
    m_navigation->showHome();
}

// The output page is the three mode buttons, showing the controller's state as it is now.
void MainBreadcrumbedWindow::showOutput() {
    TTRACE();
    m_output->setStackIndex(FormOutput::ModeButtonsPage);
    m_output->loadMode();
    setCentralWidget(OutputPage);
}

void MainBreadcrumbedWindow::showTroubleshoot() {
    TTRACE();
    setCentralWidget(TroubleshootPage);
}

void MainBreadcrumbedWindow::showDriver() {
    TTRACE();
    m_navigation->enterDriverPage();
    m_dispatcher->queueCommand(CommandFactory::getVersion());
    m_dispatcher->queueCommand(CommandFactory::getCopyright());
    m_driver->refresh();
    setCentralWidget(DriverPage);
}

void MainBreadcrumbedWindow::on_PushButton_Version_pressed() {
    TTRACE();
    showDriver();
}

void MainBreadcrumbedWindow::on_actionHelp_triggered() {
    TTRACE();
    m_miscFiles->on_buttonHelp_clicked();
}

void MainBreadcrumbedWindow::on_lbBuildDate_linkActivated(QString link) {
    TTRACE();
    if (!QDesktopServices::openUrl(QUrl(link))) {
        TLOG_WARNING(QStringLiteral("Cannot open %1").arg(link));
    }
}

void MainBreadcrumbedWindow::setWebInfo() {
    TTRACE();
    m_ui->labelWebInfo->setText(QString::fromLatin1(kWebInfo));
    m_ui->labelWebInfo->setOpenExternalLinks(true);
    m_ui->labelWebInfo->show();
}

void MainBreadcrumbedWindow::boardStartOperations() {
    m_boardStart->boardStartOperations();
}

void MainBreadcrumbedWindow::showSoftwareVersion() {
    m_ui->PushButton_Version->setText(QStringLiteral("Version:") +
                                      QString::fromLatin1(AppVersion::kSoftwareVersion));
    TLOG_INFO(QStringLiteral("Libraries search path:"));
    for (const QString& path : QCoreApplication::libraryPaths()) {
        TLOG_INFO(path);
    }
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath() +
                                     QString::fromLatin1(kPluginsFolder));
}

void MainBreadcrumbedWindow::initializeCommsSubsystem() {
    TTRACE();
    m_watcher->doConnections();
    m_miscFiles->setConnectionWatcher(m_watcher);
    if (ProductTestWiring::isActive()) {
        m_productTest->disconnectAll();
        setEnabled(true);
        setIndicator(true);
    } else {
        m_boardStart->connectWatcherToFirmwareCheck();
    }
    followProvider();
}

void MainBreadcrumbedWindow::showCompatibilityMessage(bool flag, QString fileName) {
    m_boardStart->showCompatibilityMessage(flag, fileName);
}

void MainBreadcrumbedWindow::showFirstRunWizard() {
    m_boardStart->showFirstRunWizard();
}

void MainBreadcrumbedWindow::sheduleFirstRunFirmwareUpdate() {
    m_boardStart->sheduleFirstRunFirmwareUpdate();
}

void MainBreadcrumbedWindow::uiUpdateSensAndOthers() {
    TTRACE();
    setEnabled(true);
    setIndicator(true);
}

void MainBreadcrumbedWindow::uiUpdateConnectionData(bool isOkay) {
    TTRACE();
    setIndicator(isOkay);
}

void MainBreadcrumbedWindow::slotConnected() {
    TTRACE();
    setEnabled(true);
    setIndicator(true);
}

void MainBreadcrumbedWindow::slotDisconnected() {
    TTRACE();
    setIndicator(false);
    setEnabled(false);
    keepDialogsUsable();
    showHome();
    m_productTest->onDisconnected();
}

void MainBreadcrumbedWindow::slotReconnecting() {
    TTRACE();
    setEnabled(true);
    setIndicator(true);
    if (ProductTestWiring::isActive()) {
        m_productTest->onReconnected();
    }
}

void MainBreadcrumbedWindow::onPdtReconnect() {
    m_productTest->onPdtReconnect();
}

void MainBreadcrumbedWindow::closeEvent(QCloseEvent* event) {
    TTRACE();
    m_dispatcher->StopCommunication();
    // The touch test window has no parent; left open it would keep the tool running.
    m_monitor->close();
    QMainWindow::closeEvent(event);
}

// Tools that watch the start (the start-up benchmark) look for these lines.
void MainBreadcrumbedWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        TLOG_INFO(isEnabled() ? QStringLiteral("Main window enabled.")
                              : QStringLiteral("Main window disabled."));
    }
    QMainWindow::changeEvent(event);
}

void MainBreadcrumbedWindow::showUpdateWidget(QString info) {
    TTRACE();
    Q_UNUSED(info);
    TLOG_WARNING(QStringLiteral("not available: the firmware update window"));
}

void MainBreadcrumbedWindow::showWizard() {
    TTRACE();
    // A factory reset or a second click while a run is going brings that run forward.
    if (m_wizard) {
        m_wizard->raise();
        m_wizard->activateWindow();
        return;
    }
    TLOG_INFO(QStringLiteral("Starting the setup wizard."));
    m_wizard = new SetupWizard(m_dispatcher, m_operations, this);
    connect(m_wizard, &SetupWizard::signalShowCalibrationWindow, m_miscFiles,
            &MiscFiles::showCalibrate, Qt::QueuedConnection);
    connect(m_wizard, &SetupWizard::signalShowSensThresEditor, m_miscFiles,
            &MiscFiles::showSensThresholdEditor);
    connect(m_wizard, &SetupWizard::signalShowMonitor, this,
            &MainBreadcrumbedWindow::showMonitorWindow);
    connect(m_wizard, &SetupWizard::signalShortcutActivated, this,
            &MainBreadcrumbedWindow::showCurrentData);
    connect(m_wizard, &QDialog::finished, this, &MainBreadcrumbedWindow::afterWizardClosed);
    m_wizard->setWindowModality(Qt::ApplicationModal);
    m_wizard->show();
}

SetupWizard* MainBreadcrumbedWindow::setupWizard() const {
    return m_wizard;
}

// The wizard deletes itself on close: what happens next is read from the operations.
void MainBreadcrumbedWindow::afterWizardClosed() {
    const QSettings settings;
    if (m_operations->calibResult() == SetupWizard::kNoCalibrationResult &&
        settings.value(SettingsKeys::GraphView::kBrokenWire, false).toBool() &&
        settings.value(SettingsKeys::GraphView::kTroubleshootGraph, false).toBool()) {
        m_miscFiles->showSensThresholdEditor();
    }
}

void MainBreadcrumbedWindow::showCurrentData() {
    TTRACE();
    // A window of its own that closes with the main window; it deletes itself when closed.
    auto* window = new formdisplayCurrentData(m_dispatcher, this);
    window->show();
}

void MainBreadcrumbedWindow::scheduleFirstWizardRun() {
    TTRACE();
    TLOG_WARNING(QStringLiteral("not available: the first-run wizard"));
}

void MainBreadcrumbedWindow::showMonitorWindow() {
    TTRACE();
    lower();
    // Without a window manager full screen is not granted; the screen's size still is.
    if (const QScreen* screen = this->screen()) {
        m_monitor->setGeometry(screen->geometry());
    }
    m_monitor->showFullScreen();
    m_monitor->raise();
    m_monitor->activateWindow();
}
