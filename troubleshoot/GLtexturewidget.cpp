#include "troubleshoot/GLtexturewidget.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QSettings>
#include <QVBoxLayout>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "protocol/ResponseDelegateProcessedScan.h"
#include "protocol/ResponseDelegateScanArea.h"
#include "protocol/SettingsKeys.h"
#include "protocol/StoredWireCounts.h"
#include "operations/CurrentParametersSource.h"
#include "operations/SetOperations.h"
#include "operations/getoperations.h"
#include "troubleshoot/ScanHeatMapGLView.h"
#include "troubleshoot/ScanHeatMapView.h"

namespace {
constexpr int kScanViewMode = 1;
constexpr int kGap = 4;

using ScanLineSignal = void (ResponseDelegateProcessedScan::*)(QByteArray, bool, int);
const ScanLineSignal kScanA = &ResponseDelegateProcessedScan::scanA;
const ScanLineSignal kScanB = &ResponseDelegateProcessedScan::scanB;
}  // namespace

GLtexturewidget::GLtexturewidget(DeviceEventDispatcher* dispatcher, SetOperations* operations,
                                 QWidget* parent)
    : QWidget(parent), m_dispatcher(dispatcher), m_operations(operations) {
    TTRACE_OBJECT();
    setObjectName(QStringLiteral("GLtexturewidget"));
    m_model.setWireCounts(StoredWireCounts::storedWireCountA(),
                          StoredWireCounts::storedWireCountB());
    m_model.setThreshold(getoperations(dispatcher, nullptr).getTouchThreshold());

    auto painter = [this](QPainter& p, const QRect& area) { paintHeatMap(p, area); };
    m_usesOpenGL = isOpenGLUsable();
    if (m_usesOpenGL) {
        m_view = new ScanHeatMapGLView(painter, this);
    } else {
        m_view = new ScanHeatMapView(painter, this);
    }
    TLOG_INFO(QStringLiteral("The scan graph draws with %1.")
                  .arg(m_usesOpenGL ? QStringLiteral("OpenGL") : QStringLiteral("QPainter")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    m_redrawTimer.setInterval(kRedrawIntervalMs);
    connect(&m_redrawTimer, &QTimer::timeout, m_view, QOverload<>::of(&QWidget::update));
}

GLtexturewidget::~GLtexturewidget() {
    TTRACE_OBJECT();
}

bool GLtexturewidget::isOpenGLUsable() {
    if (QSettings().value(SettingsKeys::GraphView::kNoOpenGL, false).toBool()) {
        return false;
    }
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        return false;
    }
    QOpenGLContext context;
    if (!context.create()) {
        return false;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) {
        return false;
    }
    context.doneCurrent();
    return true;
}

void GLtexturewidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    DoConnections();
}

void GLtexturewidget::DoConnections() {
    TTRACE();
    m_redrawTimer.start();
    m_model.setWireCounts(StoredWireCounts::storedWireCountA(),
                          StoredWireCounts::storedWireCountB());
    if (m_drivesController && m_operations != nullptr) {
        m_operations->setViewMode(kScanViewMode);
        m_operations->doScanOrEdge();
    }
    if (!m_dispatcher) {
        return;
    }
    m_scan = qobject_cast<ResponseDelegateProcessedScan*>(
        m_dispatcher->responseDelegate(ResponseDelegateProcessedScan::registryName()));
    m_scanArea = qobject_cast<ResponseDelegateScanArea*>(
        m_dispatcher->responseDelegate(ResponseDelegateScanArea::registryName()));
    m_parameters = CurrentParametersSource(m_dispatcher).delegate();
    if (m_scan) {
        connect(m_scan, kScanA, this, &GLtexturewidget::Save, Qt::UniqueConnection);
        connect(m_scan, kScanB, this, &GLtexturewidget::Save, Qt::UniqueConnection);
    }
    if (m_scanArea) {
        connect(m_scanArea, &ResponseDelegateScanArea::scanAreaDataA, this,
                &GLtexturewidget::processScanAreaDataA, Qt::UniqueConnection);
        connect(m_scanArea, &ResponseDelegateScanArea::scanAreaDataB, this,
                &GLtexturewidget::processScanAreaDataB, Qt::UniqueConnection);
    }
    if (m_parameters) {
        connect(m_parameters, &ResponseDelegateCurrentParameters::signalTouchThreshold, this,
                &GLtexturewidget::setThreshold, Qt::UniqueConnection);
    }
}

void GLtexturewidget::DodisConnections() {
    TTRACE();
    m_redrawTimer.stop();
    if (m_scan) {
        disconnect(m_scan, kScanA, this, &GLtexturewidget::Save);
        disconnect(m_scan, kScanB, this, &GLtexturewidget::Save);
    }
    if (m_scanArea) {
        disconnect(m_scanArea, &ResponseDelegateScanArea::scanAreaDataA, this,
                   &GLtexturewidget::processScanAreaDataA);
        disconnect(m_scanArea, &ResponseDelegateScanArea::scanAreaDataB, this,
                   &GLtexturewidget::processScanAreaDataB);
    }
    if (m_parameters) {
        disconnect(m_parameters, &ResponseDelegateCurrentParameters::signalTouchThreshold, this,
                   &GLtexturewidget::setThreshold);
    }
}

void GLtexturewidget::Save(QByteArray ba, bool flag, int lineNo) {
    m_model.saveLine(ba, flag, lineNo);
}

void GLtexturewidget::setThreshold(int touchThreshold) {
    m_model.setThreshold(touchThreshold);
}

void GLtexturewidget::processScanAreaDataA(scanArea::ScanData area) {
    m_model.saveArea(area, false);
}

void GLtexturewidget::processScanAreaDataB(scanArea::ScanData area) {
    m_model.saveArea(area, true);
}

void GLtexturewidget::setDisplayMode(int mode) {
    m_model.setDisplayMode(mode);
    refresh();
}

void GLtexturewidget::setCombineMode(int mode) {
    m_model.setCombineMode(mode);
    refresh();
}

void GLtexturewidget::setPalette(int index) {
    m_model.setPalette(index);
    refresh();
}

void GLtexturewidget::refresh() {
    m_view->update();
}

void GLtexturewidget::paintHeatMap(QPainter& painter, const QRect& area) {
    ++m_redrawCount;
    if (m_model.isDirty()) {
        m_model.redraw();
    }
    painter.fillRect(area, Qt::black);
    switch (m_model.displayMode()) {
        case ScanHeatMapModel::BothArrays:
        case ScanHeatMapModel::Hold: {
            const int half = (area.width() - kGap) / 2;
            drawImage(painter, 0, QRect(area.left(), area.top(), half, area.height()));
            drawImage(painter, 1,
                      QRect(area.left() + half + kGap, area.top(), half, area.height()));
            break;
        }
        case ScanHeatMapModel::Combined:
            drawImage(painter, 2, area);
            break;
        default:
            drawImage(painter, 0, area);
            break;
    }
}

// The wires' part of the image, stretched over the target with nearest filtering.
void GLtexturewidget::drawImage(QPainter& painter, int image, const QRect& target) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, m_model.image(image), QRect(0, 0, m_model.columns(), m_model.rows()));
}
