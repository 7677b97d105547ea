#include "app/MainBreadcrumbedWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QPropertyAnimation>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <QUrl>

#include "logging/LogMacros.h"
#include "device/ConnectionWatcher.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "protocol/CommandFactory.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SimpleCommand.h"
#include "operations/SetOperations.h"
#include "firmware/CompareFirmwareVersions.h"
#include "output/FormOutput.h"
#include "troubleshoot/FormTroubleshoot.h"
#include "troubleshoot/formdisplayCurrentData.h"
#include "app/AppVersion.h"
#include "app/FormDriver.h"
#include "app/FormHome.h"
#include "app/MiscFiles.h"
#include "app/UserPrompt.h"
#include "ui_MainBreadcrumbedWindow.h"

namespace {
const char* const kParametersDelegateName = "CurrentParameters";
const char* const kWindowStyleSheet = ":/new/WindowStyles/styles/MainWindow.qss";
const char* const kToolButtonStyleSheet = ":/new/WindowStyles/styles/ToolButtons.qss";
const char* const kFirstConfigurationKey = "FilterValue/FirstConfiguration";
const char* const kProductTestKey = "General/ProductTest";
const char* const kDisableMonEdgeKey = "General/DisableMonEdge";
const char* const kMinUiRepoFlagKey = "VersionValue/minUiRepoFlag";
const char* const kBrokenWireKey = "GraphView/BrokenWire";
const char* const kPluginsFolder = "/plugins";
const char* const kWebInfo = "<a href=\"https://orvello.example\">orvello.example</a>";
constexpr int kBreadcrumbAnimationMs = 250;
constexpr int kBreadcrumbSlideDistance = 40;
constexpr int kFirmwareUpdateDelayMs = 1000;

QString loadStyleSheet(const char* resource) {
    QFile file(QString::fromLatin1(resource));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

void queueCommand(DeviceCommand* command) {
    DeviceEventDispatcher::instance()->queueCommand(command);
}
}  // namespace

MainBreadcrumbedWindow::MainBreadcrumbedWindow(QWidget* parent)
    : QMainWindow(parent), m_ui(new Ui::MainBreadcrumbedWindow) {
    TTRACE_OBJECT();
    m_ui->setupUi(this);
    applyStyleSheets();
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    m_ui->labelWebInfo->hide();
    m_ui->lbBuildDate->setText(QStringLiteral(TAVIREL_BUILD_DATE));
    addAction(m_ui->actionHelp);
    m_ui->buttonHelp->setDefaultAction(m_ui->actionHelp);
    setIndicator(false);

    createConnectionWatcher();
    m_miscFiles = new MiscFiles(this);
    buildPages();
    wirePages();
    createMonitorWindow();

    requestFirstParameters();
    connectBoardStart();
    createShortcuts();
    setEnabled(false);
    setCentralWidget(HomePage);
}

MainBreadcrumbedWindow::~MainBreadcrumbedWindow() {
    TTRACE_OBJECT();
    delete m_ui;
}

int MainBreadcrumbedWindow::currentPage() const {
    return m_ui->stackedWidget->currentIndex();
}

QString MainBreadcrumbedWindow::breadcrumbText() const {
    return m_ui->labelBreadcrumb->text();
}

void MainBreadcrumbedWindow::applyStyleSheets() {
    setStyleSheet(loadStyleSheet(kWindowStyleSheet));
}

void MainBreadcrumbedWindow::buildPages() {
    m_home = new FormHome;
    m_home->setStyleSheet(loadStyleSheet(kToolButtonStyleSheet));
    m_driver = new FormDriver;
    m_ui->stackedWidget->insertWidget(HomePage, m_home);
    m_ui->stackedWidget->insertWidget(OutputPage, createOutputPage());
    m_ui->stackedWidget->insertWidget(TroubleshootPage, createTroubleshootPage());
    m_ui->stackedWidget->insertWidget(DriverPage, m_driver);
}

void MainBreadcrumbedWindow::wirePages() {
    connect(m_home, &FormHome::buttonCalibrate_pressed, m_miscFiles, &MiscFiles::showCalibrate);
    connect(m_home, &FormHome::buttonOutput_pressed, this, &MainBreadcrumbedWindow::showOutput);
    connect(m_home, &FormHome::buttonTroubleshooting_pressed, this,
            &MainBreadcrumbedWindow::showTroubleshoot);
    connect(m_home, &FormHome::signalOpenWizard, this, &MainBreadcrumbedWindow::showWizard);
    connect(SetOperations::instance(), &SetOperations::signal_finishedFactoryReset, this,
            &MainBreadcrumbedWindow::showWizard, Qt::UniqueConnection);
    wireTroubleshootPage();
}

void MainBreadcrumbedWindow::wireTroubleshootPage() {
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

void MainBreadcrumbedWindow::requestFirstParameters() {
    DeviceIoDataProvider* provider = DeviceEventDispatcher::instance()->ioProvider();
    const bool liveDevice = provider != nullptr && provider->isReadFromDevice();
    if (liveDevice) {
        queueCommand(CommandFactory::getParams());
    }
    if (QSettings().value(QString::fromLatin1(kFirstConfigurationKey), false).toBool()) {
        if (liveDevice) {
            queueCommand(CommandFactory::getParams());
        }
    } else {
        saveDefaultParameters();
    }
}

ResponseDelegateCurrentParameters* MainBreadcrumbedWindow::parametersDelegate() const {
    return qobject_cast<ResponseDelegateCurrentParameters*>(
        DeviceEventDispatcher::instance()->responseDelegate(
            QString::fromLatin1(kParametersDelegateName)));
}

bool MainBreadcrumbedWindow::isProductTest() {
    return QSettings().value(QString::fromLatin1(kProductTestKey), false).toBool();
}

void MainBreadcrumbedWindow::connectBoardStart() {
    ResponseDelegateCurrentParameters* delegate = parametersDelegate();
    if (delegate == nullptr) {
        TLOG_WARNING(
            QStringLiteral("No current-parameters delegate; the board start is not "
                           "watched."));
    }
    if (!isProductTest()) {
        if (delegate != nullptr) {
            connect(delegate, &ResponseDelegateCurrentParameters::signalBoardStarted, this,
                    &MainBreadcrumbedWindow::boardStartOperations, Qt::UniqueConnection);
        }
        return;
    }
    QSettings().setValue(QString::fromLatin1(kBrokenWireKey), true);
    connectProductTestOperations();
    DeviceIoDataProvider* provider = DeviceEventDispatcher::instance()->ioProvider();
    if (provider != nullptr) {
        connect(provider, &DeviceIoDataProvider::deviceUnplugged, this,
                &MainBreadcrumbedWindow::slotDisconnected, Qt::UniqueConnection);
    }
}

void MainBreadcrumbedWindow::connectProductTestOperations() {
    SetOperations* operations = SetOperations::instance();
    ResponseDelegateCurrentParameters* delegate = parametersDelegate();
    if (delegate != nullptr) {
        connect(delegate, &ResponseDelegateCurrentParameters::signalUnsetFlags, operations,
                &SetOperations::unSetMonitorParameters, Qt::UniqueConnection);
        connect(delegate, &ResponseDelegateCurrentParameters::signalFlagsDone, m_miscFiles,
                &MiscFiles::showSensThresholdEditor, Qt::UniqueConnection);
        connect(delegate, &ResponseDelegateCurrentParameters::signalFlagsDone, this,
                &MainBreadcrumbedWindow::initializeCommsSubsystem, Qt::UniqueConnection);
    }
    connect(operations, &SetOperations::signal_finishedUnsettingParameters, this,
            &MainBreadcrumbedWindow::initializeCommsSubsystem, Qt::UniqueConnection);
    connect(operations, &SetOperations::signal_finishedUnsettingParameters, m_miscFiles,
            &MiscFiles::showSensThresholdEditor, Qt::UniqueConnection);
}

void MainBreadcrumbedWindow::disconnectProductTestOperations() {
    SetOperations* operations = SetOperations::instance();
    ResponseDelegateCurrentParameters* delegate = parametersDelegate();
    if (delegate != nullptr) {
        disconnect(delegate, &ResponseDelegateCurrentParameters::signalUnsetFlags, operations,
                   &SetOperations::unSetMonitorParameters);
        disconnect(delegate, &ResponseDelegateCurrentParameters::signalFlagsDone, m_miscFiles,
                   &MiscFiles::showSensThresholdEditor);
        disconnect(delegate, &ResponseDelegateCurrentParameters::signalFlagsDone, this,
                   &MainBreadcrumbedWindow::initializeCommsSubsystem);
    }
    disconnect(operations, &SetOperations::signal_finishedUnsettingParameters, this,
               &MainBreadcrumbedWindow::initializeCommsSubsystem);
    disconnect(operations, &SetOperations::signal_finishedUnsettingParameters, m_miscFiles,
               &MiscFiles::showSensThresholdEditor);
}

void MainBreadcrumbedWindow::createShortcuts() {
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+P")), this), &QShortcut::activated,
            m_miscFiles, &MiscFiles::showEngineeringParameters);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+M")), this), &QShortcut::activated,
            this, &MainBreadcrumbedWindow::showMonitorWindow);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+Q")), this), &QShortcut::activated,
            this, &MainBreadcrumbedWindow::showCurrentData);
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
    TTRACE();
    QWidget* page = m_ui->stackedWidget->widget(index);
    if (page == nullptr) {
        TLOG_WARNING(QStringLiteral("No page %1").arg(index));
        return;
    }
    m_ui->stackedWidget->setCurrentIndex(index);
    m_ui->labelBreadcrumb->setText(QStringLiteral("%1").arg(page->windowTitle()));
    animateBreadcrumb();
}

void MainBreadcrumbedWindow::animateBreadcrumb() {
    if (!isVisible() || m_breadcrumbAnimation) {
        return;
    }
    m_breadcrumbGeometry = m_ui->labelBreadcrumb->geometry();
    auto* animation = new QPropertyAnimation(m_ui->labelBreadcrumb, "geometry", this);
    animation->setDuration(kBreadcrumbAnimationMs);
    animation->setStartValue(m_breadcrumbGeometry.translated(-kBreadcrumbSlideDistance, 0));
    animation->setEndValue(m_breadcrumbGeometry);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(animation, &QPropertyAnimation::finished, this,
            &MainBreadcrumbedWindow::restoreLabelAfterAnimation);
    m_breadcrumbAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void MainBreadcrumbedWindow::restoreLabelAfterAnimation() {
    if (m_breadcrumbGeometry.isValid()) {
        m_ui->labelBreadcrumb->setGeometry(m_breadcrumbGeometry);
    }
}

void MainBreadcrumbedWindow::showHome() {
    TTRACE();
    if (m_driverPageActive) {
        m_driverPageActive = false;
        setCentralWidget(TroubleshootPage);
        return;
    }
    setCentralWidget(HomePage);
}

void MainBreadcrumbedWindow::showOutput() {
    TTRACE();
    resetOutputPage();
    setCentralWidget(OutputPage);
}

void MainBreadcrumbedWindow::showTroubleshoot() {
    TTRACE();
    setCentralWidget(TroubleshootPage);
}

void MainBreadcrumbedWindow::showDriver() {
    TTRACE();
    m_driverPageActive = true;
    queueCommand(CommandFactory::getVersion());
    queueCommand(CommandFactory::getCopyright());
    m_driver->refresh();
    setCentralWidget(DriverPage);
}

void MainBreadcrumbedWindow::on_breadcrumbStyledContainer_clicked() {
    TTRACE();
    showHome();
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
    TTRACE();
    ResponseDelegateCurrentParameters* delegate = parametersDelegate();
    if (delegate != nullptr) {
        disconnect(delegate, &ResponseDelegateCurrentParameters::signalBoardStarted, this,
                   &MainBreadcrumbedWindow::boardStartOperations);
    }
    showHome();
    startFirmwareVersionCheck();
    initializeCommsSubsystem();

    if (!QSettings().value(QString::fromLatin1(kMinUiRepoFlagKey), true).toBool()) {
        queueCommand(CommandFactory::getParams());
        connectVersionQueryToFirstRunWizard();
    } else {
        connectFirmwareCheckToOffer();
    }

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
    startConnectionWatcher();
    if (isProductTest()) {
        disconnectProductTestOperations();
        setEnabled(true);
        setIndicator(true);
    } else {
        connectWatcherToFirmwareCheck();
    }
    DeviceIoDataProvider* provider = DeviceEventDispatcher::instance()->ioProvider();
    if (provider == nullptr) {
        TLOG_WARNING(QStringLiteral("No I/O provider; connection changes are not followed."));
        return;
    }
    connect(provider, &DeviceIoDataProvider::devicePlugged, this,
            &MainBreadcrumbedWindow::slotReconnecting, Qt::UniqueConnection);
    connect(provider, &DeviceIoDataProvider::deviceUnplugged, this,
            &MainBreadcrumbedWindow::slotDisconnected, Qt::UniqueConnection);
}

void MainBreadcrumbedWindow::showCompatibilityMessage(bool flag, QString fileName) {
    TTRACE();
    pauseConnectionWatcher();
    if (m_miscFiles->showCompatibilityMessage(flag, fileName)) {
        connectWatcherToConnectionSlots();
        QTimer::singleShot(kFirmwareUpdateDelayMs, this,
                           &MainBreadcrumbedWindow::sheduleFirstRunFirmwareUpdate);
        continueConnectionWatcher();
    } else {
        continueConnectionWatcher();
        connect(SetOperations::instance(), &SetOperations::signal_finishedUnsettingParameters, this,
                &MainBreadcrumbedWindow::showFirstRunWizard, Qt::UniqueConnection);
        unSetMonitorParameters();
    }
    uiUpdateSensAndOthers();
}

void MainBreadcrumbedWindow::showFirstRunWizard() {
    TTRACE();
    DeviceIoDataProvider* provider = DeviceEventDispatcher::instance()->ioProvider();
    if (provider == nullptr || !provider->isReadFromDevice()) {
        return;
    }
    connectWatcherToConnectionSlots();
    disconnect(SetOperations::instance(), &SetOperations::signal_finishedUnsettingParameters, this,
               &MainBreadcrumbedWindow::showFirstRunWizard);
    ResponseDelegateCurrentParameters* delegate = parametersDelegate();
    if (delegate != nullptr) {
        disconnect(delegate, &ResponseDelegateCurrentParameters::signalFlagsDone, this, nullptr);
        if (delegate->isCalibSuccess() && delegate->isOutputUseCalib3()) {
            return;
        }
    }
    showWizard();
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
    m_brokenWireDone = false;
    m_pdtReconnectPending = true;
    showHome();
    if (isProductTest() &&
        QSettings().value(QString::fromLatin1(kDisableMonEdgeKey), false).toBool()) {
        clearScanDisplayFlags();
        update();
    }
}

void MainBreadcrumbedWindow::slotReconnecting() {
    TTRACE();
    setEnabled(true);
    setIndicator(true);
    if (!isProductTest() || !m_pdtReconnectPending) {
        return;
    }
    m_pdtReconnectPending = false;
    QSettings().setValue(QString::fromLatin1(kBrokenWireKey), true);
    m_brokenWireDone = true;
    connect(SetOperations::instance(), &SetOperations::signal_finishedUnsettingParameters, this,
            &MainBreadcrumbedWindow::onPdtReconnect, Qt::UniqueConnection);
    unSetMonitorParameters();
}

void MainBreadcrumbedWindow::closeEvent(QCloseEvent* event) {
    TTRACE();
    DeviceEventDispatcher::instance()->StopCommunication();
    QMainWindow::closeEvent(event);
}

QWidget* MainBreadcrumbedWindow::createOutputPage() {
    m_output = new FormOutput;
    return m_output;
}

QWidget* MainBreadcrumbedWindow::createTroubleshootPage() {
    m_troubleshoot = new FormTroubleshoot;
    // The factory-reset question goes through the tool's prompt like every other.
    m_troubleshoot->setConfirmation(
        [](QWidget* parent, const FormTroubleshoot::Question& question) {
            UserPrompt::Question asked;
            asked.icon = QMessageBox::Question;
            asked.title = question.title;
            asked.text = question.text;
            asked.informativeText = question.informativeText;
            asked.buttons = QMessageBox::Ok | QMessageBox::Cancel;
            asked.defaultButton = QMessageBox::Cancel;
            return UserPrompt::current().ask(asked, parent).button == QMessageBox::Ok;
        });
    return m_troubleshoot;
}

// The main window's output page is the three mode buttons, showing the controller's
// state as it is now.
void MainBreadcrumbedWindow::resetOutputPage() {
    m_output->setStackIndex(FormOutput::ModeButtonsPage);
    m_output->loadMode();
}

void MainBreadcrumbedWindow::createMonitorWindow() {
    TLOG_WARNING(QStringLiteral("not available: the touch monitor window"));
}

void MainBreadcrumbedWindow::createConnectionWatcher() {
    m_watcher =
        new ConnectionWatcher(DeviceEventDispatcher::instance(), SetOperations::instance(), this);
}

void MainBreadcrumbedWindow::startConnectionWatcher() {
    m_watcher->doConnections();
    m_miscFiles->setConnectionWatcher(m_watcher);
}

void MainBreadcrumbedWindow::connectWatcherToConnectionSlots() {
    connect(m_watcher, &ConnectionWatcher::sigConnected, this,
            &MainBreadcrumbedWindow::slotConnected, Qt::UniqueConnection);
    connect(m_watcher, &ConnectionWatcher::sigDisconnected, this,
            &MainBreadcrumbedWindow::slotDisconnected, Qt::UniqueConnection);
    connect(m_watcher, &ConnectionWatcher::sigReconnecting, this,
            &MainBreadcrumbedWindow::slotReconnecting, Qt::UniqueConnection);
}

void MainBreadcrumbedWindow::connectWatcherToFirmwareCheck() {
    if (m_firmwareCheck == nullptr) {
        return;
    }
    connect(m_watcher, &ConnectionWatcher::sigConnected, m_firmwareCheck,
            &CompareFirmwareVersions::doFirmwareCheck, Qt::UniqueConnection);
}

void MainBreadcrumbedWindow::pauseConnectionWatcher() {
    m_watcher->pause();
}

void MainBreadcrumbedWindow::continueConnectionWatcher() {
    m_watcher->cont();
}

void MainBreadcrumbedWindow::startFirmwareVersionCheck() {
    m_firmwareCheck = new CompareFirmwareVersions(this);
    connect(m_firmwareCheck, &CompareFirmwareVersions::finishedVersionQuery, this,
            &MainBreadcrumbedWindow::finishedVersionQuery);
}

void MainBreadcrumbedWindow::connectVersionQueryToFirstRunWizard() {
    SetOperations* operations = SetOperations::instance();
    connect(m_firmwareCheck, &CompareFirmwareVersions::finishedVersionQuery, operations,
            &SetOperations::unSetMonitorParameters);
    connect(operations, &SetOperations::signal_finishedUnsettingParameters, this,
            &MainBreadcrumbedWindow::showFirstRunWizard, Qt::UniqueConnection);
    // No offer follows on this path, so nothing else would bring the window up once the
    // check is done.
    connect(m_firmwareCheck, &CompareFirmwareVersions::finishedVersionQuery, this,
            &MainBreadcrumbedWindow::uiUpdateSensAndOthers);
}

void MainBreadcrumbedWindow::connectFirmwareCheckToOffer() {
    connect(m_firmwareCheck, &CompareFirmwareVersions::signal_IncompatibilityInfo, this,
            &MainBreadcrumbedWindow::showCompatibilityMessage);
}

void MainBreadcrumbedWindow::saveDefaultParameters() {
    SetOperations::instance()->SaveDefaultParameters();
}

void MainBreadcrumbedWindow::unSetMonitorParameters() {
    SetOperations::instance()->unSetMonitorParameters();
}

void MainBreadcrumbedWindow::clearScanDisplayFlags() {
    TLOG_WARNING(QStringLiteral("not available: the scan-data display flags"));
}

void MainBreadcrumbedWindow::showUpdateWidget(QString info) {
    TTRACE();
    Q_UNUSED(info);
    TLOG_WARNING(QStringLiteral("not available: the firmware update window"));
}

void MainBreadcrumbedWindow::showWizard() {
    TTRACE();
    TLOG_WARNING(QStringLiteral("not available: the setup wizard"));
}

void MainBreadcrumbedWindow::showCurrentData() {
    TTRACE();
    // A window of its own that closes with the main window; it deletes itself when closed.
    auto* window = new formdisplayCurrentData(this);
    window->show();
}

void MainBreadcrumbedWindow::sheduleFirstRunFirmwareUpdate() {
    TTRACE();
    DeviceIoDataProvider* provider = DeviceEventDispatcher::instance()->ioProvider();
    if (provider == nullptr || !provider->isReadFromDevice() || m_firmwareCheck == nullptr) {
        return;
    }
    unSetMonitorParameters();
    queueCommand(CommandFactory::getParams());
    m_miscFiles->showFirmwareUpdateWizard(m_firmwareCheck->offeredFilePath());
}

void MainBreadcrumbedWindow::scheduleFirstWizardRun() {
    TTRACE();
    TLOG_WARNING(QStringLiteral("not available: the first-run wizard"));
}

void MainBreadcrumbedWindow::showMonitorWindow() {
    TTRACE();
    TLOG_WARNING(QStringLiteral("not available: the touch monitor window"));
}

void MainBreadcrumbedWindow::onPdtReconnect() {
    TTRACE();
    SetOperations* operations = SetOperations::instance();
    disconnect(operations, &SetOperations::signal_finishedUnsettingParameters, this,
               &MainBreadcrumbedWindow::onPdtReconnect);
    operations->setDesiredDiagAB(true);
    operations->setMonDiagAB();
    if (!QSettings().value(QString::fromLatin1(kDisableMonEdgeKey), false).toBool()) {
        operations->setDesiredMonitorEdgeAB(false);
        operations->doScanOrEdge();
        update();
    }
}
