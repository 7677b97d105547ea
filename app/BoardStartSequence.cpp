#include "app/BoardStartSequence.h"

#include <QSettings>

#include "logging/LogMacros.h"
#include "device/ConnectionWatcher.h"
#include "device/DeviceEventDispatcher.h"
#include "device/DeviceIoDataProvider.h"
#include "protocol/CommandFactory.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SettingsKeys.h"
#include "protocol/SimpleCommand.h"
#include "operations/CurrentParametersSource.h"
#include "operations/SetOperations.h"
#include "firmware/CompareFirmwareVersions.h"
#include "firmware/FirmwareSplitType.h"
#include "app/MainBreadcrumbedWindow.h"
#include "app/MiscFiles.h"

BoardStartSequence::BoardStartSequence(MainBreadcrumbedWindow* window,
                                       DeviceEventDispatcher* dispatcher, SetOperations* operations,
                                       ConnectionWatcher* watcher, MiscFiles* miscFiles)
    : QObject(window),
      m_window(window),
      m_dispatcher(dispatcher),
      m_operations(operations),
      m_watcher(watcher),
      m_miscFiles(miscFiles) {
    m_stepTimer.setSingleShot(true);
    connect(&m_stepTimer, &QTimer::timeout, this, &BoardStartSequence::onStepTimeout);
    connect(&m_rescanTimer, &QTimer::timeout, this, [this] {
        if (m_provider) {
            m_provider->rescan();
        }
    });
}

void BoardStartSequence::setTimings(const Timings& timings) {
    m_timings = timings;
    m_rescanTimer.setInterval(m_timings.rescanWhileLostMs);
    if (m_stepTimer.isActive()) {
        m_stepTimer.start(waitOf(m_step).waitMs);
    }
}

bool BoardStartSequence::isLiveDevice() const {
    const DeviceIoDataProvider* provider = m_dispatcher ? m_dispatcher->ioProvider() : nullptr;
    return provider != nullptr && provider->isReadFromDevice();
}

ResponseDelegateCurrentParameters* BoardStartSequence::parameters() const {
    return CurrentParametersSource(m_dispatcher).delegate();
}

void BoardStartSequence::queueParametersRequest() {
    if (m_dispatcher) {
        m_dispatcher->queueCommand(CommandFactory::getParams());
    }
}

void BoardStartSequence::requestFirstParameters() {
    const bool liveDevice = isLiveDevice();
    if (liveDevice) {
        queueParametersRequest();
    }
    if (QSettings().value(SettingsKeys::FilterValue::kFirstConfiguration, false).toBool()) {
        if (liveDevice) {
            queueParametersRequest();
        }
    } else {
        m_operations->SaveDefaultParameters();
    }
}

void BoardStartSequence::watchBoardStart() {
    ResponseDelegateCurrentParameters* delegate = parameters();
    if (delegate == nullptr) {
        TLOG_WARNING(
            QStringLiteral("No current-parameters delegate; the board start is not watched."));
    } else {
        connect(delegate, &ResponseDelegateCurrentParameters::signalBoardStarted, this,
                &BoardStartSequence::boardStartOperations, Qt::UniqueConnection);
    }
    if (!isLiveDevice()) {
        TLOG_INFO(QStringLiteral("No controller to wait for; the window is usable at once."));
        m_window->setEnabled(true);
        return;
    }
    m_provider = m_dispatcher->ioProvider();
    connect(m_provider, &DeviceIoDataProvider::devicePlugged, this,
            &BoardStartSequence::onDevicePlugged, Qt::UniqueConnection);
    connect(m_provider, &DeviceIoDataProvider::deviceUnplugged, this,
            &BoardStartSequence::onDeviceUnplugged, Qt::UniqueConnection);
    beginStep(Step::FirstBlock);
}

const BoardStartSequence::StepWait& BoardStartSequence::waitOf(Step step) const {
    switch (step) {
        case Step::WireCounts:
            return m_timings.wireCounts;
        case Step::FirmwareHeader:
            return m_timings.firmwareHeader;
        case Step::VersionCheck:
            return m_timings.versionCheck;
        case Step::FirstBlock:
        case Step::Done:
            break;
    }
    return m_timings.firstBlock;
}

// The step's first request has been made by whoever moved the chain on.
void BoardStartSequence::beginStep(Step step) {
    m_step = step;
    m_tries = 1;
    m_stepTimer.stop();
    if (step != Step::Done && !m_deviceLost) {
        m_stepTimer.start(waitOf(step).waitMs);
    }
}

void BoardStartSequence::onStepTimeout() {
    // A controller that vanished without a read error is noticed here; the unplug handler
    // then holds the chain until it is back.
    if (m_provider) {
        m_provider->rescan();
    }
    if (m_deviceLost) {
        return;
    }
    if (m_tries < waitOf(m_step).tries) {
        ++m_tries;
        requestStep();
        m_stepTimer.start(waitOf(m_step).waitMs);
        return;
    }
    giveUpStep();
}

void BoardStartSequence::requestStep() {
    switch (m_step) {
        case Step::FirstBlock:
        case Step::VersionCheck:
            queueParametersRequest();
            break;
        case Step::WireCounts:
            m_operations->setDesiredMonitorEdgeAB(true);
            m_operations->setMonitorEdgeAB();
            break;
        case Step::FirmwareHeader:
            m_firmwareCheck->doFetchVersionInfo();
            break;
        case Step::Done:
            break;
    }
}

void BoardStartSequence::giveUpStep() {
    switch (m_step) {
        case Step::FirstBlock:
            TLOG_WARNING(QStringLiteral("No parameter block from the controller after %1 "
                                        "requests; the window is usable without it.")
                             .arg(m_tries));
            m_window->setEnabled(true);
            break;
        case Step::WireCounts:
            TLOG_WARNING(QStringLiteral("No edge data from the controller after %1 requests; "
                                        "the split type stays unknown.")
                             .arg(m_tries));
            m_firmwareCheck->firmwareSplitType()->disConnectWireCheck();
            break;
        case Step::FirmwareHeader:
            TLOG_WARNING(QStringLiteral("No firmware header from the controller after %1 "
                                        "requests; no firmware update is offered.")
                             .arg(m_tries));
            m_firmwareCheck->endWithoutOffer();
            break;
        case Step::VersionCheck:
            TLOG_WARNING(
                QStringLiteral("The controller still reports a soft reset; no firmware "
                               "update is offered."));
            m_firmwareCheck->endWithoutOffer();
            break;
        case Step::Done:
            break;
    }
}

void BoardStartSequence::onDeviceUnplugged() {
    if (m_deviceLost) {
        return;
    }
    m_deviceLost = true;
    m_stepTimer.stop();
    if (!m_boardStarted) {
        TLOG_INFO(QStringLiteral("Controller lost before the board started; looking for it."));
        m_window->slotDisconnected();
        m_rescanTimer.start(m_timings.rescanWhileLostMs);
    }
}

void BoardStartSequence::onDevicePlugged() {
    if (!m_deviceLost) {
        return;
    }
    m_deviceLost = false;
    m_rescanTimer.stop();
    if (m_step == Step::Done) {
        return;
    }
    // The request in flight was lost with the controller: the step starts over.
    const Step step = m_boardStarted ? m_step : Step::FirstBlock;
    beginStep(step);
    requestStep();
}

void BoardStartSequence::boardStartOperations() {
    TTRACE();
    if (ResponseDelegateCurrentParameters* delegate = parameters()) {
        disconnect(delegate, &ResponseDelegateCurrentParameters::signalBoardStarted, this,
                   &BoardStartSequence::boardStartOperations);
    }
    m_boardStarted = true;
    m_rescanTimer.stop();
    m_stepTimer.stop();
    m_window->showHome();
    startFirmwareVersionCheck();
    m_window->initializeCommsSubsystem();

    if (!QSettings().value(SettingsKeys::VersionValue::kMinUiRepoFlag, true).toBool()) {
        queueParametersRequest();
        connectVersionQueryToFirstRunWizard();
    } else {
        connect(m_firmwareCheck, &CompareFirmwareVersions::signal_IncompatibilityInfo, this,
                &BoardStartSequence::showCompatibilityMessage);
    }
    emit boardStarted();
    beginStep(m_firmwareCheck->firmwareSplitType()->isStarted() ? Step::WireCounts : Step::Done);
}

void BoardStartSequence::startFirmwareVersionCheck() {
    m_firmwareCheck = new CompareFirmwareVersions(m_dispatcher, m_operations, this);
    m_firmwareCheck->setSoftResetPollInterval(m_timings.softResetPollMs);
    connect(m_firmwareCheck, &CompareFirmwareVersions::finishedVersionQuery, m_window,
            &MainBreadcrumbedWindow::finishedVersionQuery);
    connect(m_firmwareCheck->firmwareSplitType(), &FirmwareSplitType::signal_getHeader, this,
            [this] { beginStep(Step::FirmwareHeader); });
    connect(m_firmwareCheck, &CompareFirmwareVersions::signalHeaderRead, this,
            [this] { beginStep(Step::VersionCheck); });
    connect(m_firmwareCheck, &CompareFirmwareVersions::finishedVersionQuery, this,
            [this] { beginStep(Step::Done); });
}

void BoardStartSequence::connectVersionQueryToFirstRunWizard() {
    connect(m_firmwareCheck, &CompareFirmwareVersions::finishedVersionQuery, m_operations,
            &SetOperations::unSetMonitorParameters);
    connect(m_operations, &SetOperations::signal_finishedUnsettingParameters, this,
            &BoardStartSequence::showFirstRunWizard, Qt::UniqueConnection);
    // No offer follows on this path, so nothing else would bring the window up once the
    // check is done.
    connect(m_firmwareCheck, &CompareFirmwareVersions::finishedVersionQuery, m_window,
            &MainBreadcrumbedWindow::uiUpdateSensAndOthers);
}

void BoardStartSequence::connectWatcherToFirmwareCheck() {
    if (m_firmwareCheck != nullptr) {
        connect(m_watcher, &ConnectionWatcher::sigConnected, m_firmwareCheck,
                &CompareFirmwareVersions::doFirmwareCheck, Qt::UniqueConnection);
    }
}

void BoardStartSequence::connectWatcherToConnectionSlots() {
    connect(m_watcher, &ConnectionWatcher::sigConnected, m_window,
            &MainBreadcrumbedWindow::slotConnected, Qt::UniqueConnection);
    connect(m_watcher, &ConnectionWatcher::sigDisconnected, m_window,
            &MainBreadcrumbedWindow::slotDisconnected, Qt::UniqueConnection);
    connect(m_watcher, &ConnectionWatcher::sigReconnecting, m_window,
            &MainBreadcrumbedWindow::slotReconnecting, Qt::UniqueConnection);
}

void BoardStartSequence::showCompatibilityMessage(bool flag, QString fileName) {
    TTRACE();
    m_watcher->pause();
    if (m_miscFiles->showCompatibilityMessage(flag, fileName)) {
        connectWatcherToConnectionSlots();
        QTimer::singleShot(m_timings.firmwareUpdateDelayMs, this,
                           &BoardStartSequence::sheduleFirstRunFirmwareUpdate);
        m_watcher->cont();
    } else {
        m_watcher->cont();
        connect(m_operations, &SetOperations::signal_finishedUnsettingParameters, this,
                &BoardStartSequence::showFirstRunWizard, Qt::UniqueConnection);
        m_operations->unSetMonitorParameters();
    }
    m_window->uiUpdateSensAndOthers();
}

void BoardStartSequence::showFirstRunWizard() {
    TTRACE();
    if (!isLiveDevice()) {
        return;
    }
    connectWatcherToConnectionSlots();
    disconnect(m_operations, &SetOperations::signal_finishedUnsettingParameters, this,
               &BoardStartSequence::showFirstRunWizard);
    if (ResponseDelegateCurrentParameters* delegate = parameters()) {
        disconnect(delegate, &ResponseDelegateCurrentParameters::signalFlagsDone, m_window,
                   nullptr);
        if (delegate->isCalibSuccess() && delegate->isOutputUseCalib3()) {
            return;
        }
    }
    m_window->showWizard();
}

void BoardStartSequence::sheduleFirstRunFirmwareUpdate() {
    TTRACE();
    if (!isLiveDevice() || m_firmwareCheck == nullptr) {
        return;
    }
    m_operations->unSetMonitorParameters();
    queueParametersRequest();
    m_miscFiles->showFirmwareUpdateWizard(m_firmwareCheck->offeredFilePath());
}
