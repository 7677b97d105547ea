#include "app/ProductTestWiring.h"

#include <QSettings>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/SettingsKeys.h"
#include "operations/CurrentParametersSource.h"
#include "operations/SetOperations.h"
#include "app/MainBreadcrumbedWindow.h"
#include "app/MiscFiles.h"

namespace {
bool isMonitorEdgeDisabled() {
    return QSettings().value(SettingsKeys::General::kDisableMonEdge, false).toBool();
}
}  // namespace

ProductTestWiring::ProductTestWiring(MainBreadcrumbedWindow* window,
                                     DeviceEventDispatcher* dispatcher, SetOperations* operations,
                                     MiscFiles* miscFiles)
    : QObject(window),
      m_window(window),
      m_dispatcher(dispatcher),
      m_operations(operations),
      m_miscFiles(miscFiles) {}

bool ProductTestWiring::isActive() {
    return QSettings().value(SettingsKeys::General::kProductTest, false).toBool();
}

void ProductTestWiring::connectAll() {
    if (!m_connections.isEmpty()) {
        return;
    }
    QSettings().setValue(SettingsKeys::GraphView::kBrokenWire, true);
    auto* delegate = CurrentParametersSource(m_dispatcher).delegate();
    if (delegate != nullptr) {
        m_connections << connect(delegate, &ResponseDelegateCurrentParameters::signalUnsetFlags,
                                 m_operations, &SetOperations::unSetMonitorParameters)
                      << connect(delegate, &ResponseDelegateCurrentParameters::signalFlagsDone,
                                 m_miscFiles, &MiscFiles::showSensThresholdEditor)
                      << connect(delegate, &ResponseDelegateCurrentParameters::signalFlagsDone,
                                 m_window, &MainBreadcrumbedWindow::initializeCommsSubsystem);
    } else {
        TLOG_WARNING(
            QStringLiteral("No current-parameters delegate; the product test waits "
                           "for the operations only."));
    }
    m_connections << connect(m_operations, &SetOperations::signal_finishedUnsettingParameters,
                             m_window, &MainBreadcrumbedWindow::initializeCommsSubsystem)
                  << connect(m_operations, &SetOperations::signal_finishedUnsettingParameters,
                             m_miscFiles, &MiscFiles::showSensThresholdEditor);
}

void ProductTestWiring::disconnectAll() {
    for (const QMetaObject::Connection& connection : qAsConst(m_connections)) {
        disconnect(connection);
    }
    m_connections.clear();
}

void ProductTestWiring::onReconnected() {
    if (!m_reconnectPending) {
        return;
    }
    m_reconnectPending = false;
    QSettings().setValue(SettingsKeys::GraphView::kBrokenWire, true);
    if (!m_reconnectTrigger) {
        m_reconnectTrigger =
            connect(m_operations, &SetOperations::signal_finishedUnsettingParameters, this,
                    &ProductTestWiring::onPdtReconnect);
    }
    m_operations->unSetMonitorParameters();
}

void ProductTestWiring::onDisconnected() {
    m_reconnectPending = true;
    if (isActive() && isMonitorEdgeDisabled()) {
        TLOG_WARNING(QStringLiteral("not available: the scan-data display flags"));
        m_window->update();
    }
}

void ProductTestWiring::onPdtReconnect() {
    TTRACE();
    disconnect(m_reconnectTrigger);
    m_operations->setDesiredDiagAB(true);
    m_operations->setMonDiagAB();
    if (!isMonitorEdgeDisabled()) {
        m_operations->setDesiredMonitorEdgeAB(false);
        m_operations->doScanOrEdge();
        m_window->update();
    }
}
