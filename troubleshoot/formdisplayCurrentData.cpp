#include "troubleshoot/formdisplayCurrentData.h"

#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>

#include <iterator>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/ResponseDelegateCurrentParameters.h"
#include "operations/CurrentParametersSource.h"

namespace {
constexpr int kBoxSize = 12;
constexpr int kRowsPerColumn = 11;

using FlagReader = bool (ParameterReadAccessor::*)() const;

struct Flag {
    const char* name;
    FlagReader reader;
};

const Flag kFlags[] = {
    {"MonTestMode", &ParameterReadAccessor::isMonitorTestMode},
    {"MonDiagA", &ParameterReadAccessor::isMonitorDiagA},
    {"MonDiagB", &ParameterReadAccessor::isMonitorDiagB},
    {"MonScanA", &ParameterReadAccessor::isMonitorScanA},
    {"MonScanB", &ParameterReadAccessor::isMonitorScanB},
    {"MonScanAreaA", &ParameterReadAccessor::isMonitorScanAreaA},
    {"MonScanAreaB", &ParameterReadAccessor::isMonitorScanAreaB},
    {"MonDynA", &ParameterReadAccessor::isMonitorDynA},
    {"MonDynB", &ParameterReadAccessor::isMonitorDynB},
    {"MonEdgeA", &ParameterReadAccessor::isMonitorEdgeA},
    {"MonEdgeB", &ParameterReadAccessor::isMonitorEdgeB},
    {"MonPeak", &ParameterReadAccessor::isMonitorPeak},
    {"EdgeStretch", &ParameterReadAccessor::isOutputEdgeActive},
    {"OutputEnabled", &ParameterReadAccessor::isOutputEnabled},
    {"UseCalib3", &ParameterReadAccessor::isOutputUseCalib3},
    {"CalibSuccess", &ParameterReadAccessor::isCalibSuccess},
    {"CalibErrorBadCond", &ParameterReadAccessor::isCalibErrBadCond},
    {"SoftResetActive", &ParameterReadAccessor::isSoftResetActive},
    {"ReadProtectActive", &ParameterReadAccessor::isReadProtectActive},
    {"DiagWireA", &ParameterReadAccessor::isDiagWireErrorA},
    {"DiagWireB", &ParameterReadAccessor::isDiagWireErrorB},
};
}  // namespace

formdisplayCurrentData::formdisplayCurrentData(QWidget* parent)
    : formdisplayCurrentData(DeviceEventDispatcher::instance(), parent) {}

formdisplayCurrentData::formdisplayCurrentData(DeviceEventDispatcher* dispatcher, QWidget* parent)
    : QWidget(parent), m_dispatcher(dispatcher) {
    TTRACE_OBJECT();
    setWindowFlags(windowFlags() | Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(kRefreshMs);
    connect(&m_refreshTimer, &QTimer::timeout, this,
            &formdisplayCurrentData::updateValuesFromBoard);
    updateValuesFromBoard();
}

formdisplayCurrentData::~formdisplayCurrentData() {
    TTRACE_OBJECT();
}

QStringList formdisplayCurrentData::flagNames() {
    QStringList names;
    for (const Flag& flag : kFlags) {
        names << QString::fromLatin1(flag.name);
    }
    return names;
}

void formdisplayCurrentData::buildUi() {
    setObjectName(QStringLiteral("DisplayCurrentData"));
    setWindowTitle(QStringLiteral("DisplayCurrentData"));
    auto* grid = new QGridLayout(this);
    int index = 0;
    for (const Flag& flag : kFlags) {
        auto* box = new QFrame;
        box->setObjectName(QString::fromLatin1(flag.name));
        box->setFixedSize(kBoxSize, kBoxSize);
        box->setFrameShape(QFrame::Box);
        const int row = index % kRowsPerColumn;
        const int column = 2 * (index / kRowsPerColumn);
        grid->addWidget(box, row, column);
        grid->addWidget(new QLabel(QString::fromLatin1(flag.name)), row, column + 1);
        m_boxes.append(box);
        ++index;
    }
}

void formdisplayCurrentData::setRefreshInterval(int ms) {
    m_refreshTimer.setInterval(qMax(0, ms));
    if (m_refreshTimer.isActive()) {
        m_refreshTimer.start();
    }
}

void formdisplayCurrentData::updateValuesFromBoard() {
    const auto* block = CurrentParametersSource(m_dispatcher).delegate();
    if (block != nullptr) {
        for (int i = 0; i < m_boxes.size() && i < int(std::size(kFlags)); ++i) {
            updateSingleFrameBox(m_boxes.at(i), (block->*kFlags[i].reader)());
        }
    }
    m_refreshTimer.start();
}

void formdisplayCurrentData::updateSingleFrameBox(QWidget* myFrame, bool newState) {
    if (myFrame == nullptr) {
        return;
    }
    myFrame->setStyleSheet(newState ? QString::fromLatin1(kFlagSetStyle) : QString());
}

void formdisplayCurrentData::scheduleTotalRefresh() {
    m_refreshTimer.stop();
    updateValuesFromBoard();
}

void formdisplayCurrentData::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Enter:
        case Qt::Key_Return:
            close();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}
