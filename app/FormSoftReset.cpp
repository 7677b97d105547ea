#include "app/FormSoftReset.h"

#include <QCloseEvent>
#include <QKeySequence>
#include <QShortcut>
#include <QTimer>

#include <utility>

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "protocol/CommandFactory.h"
#include "protocol/SimpleCommand.h"
#include "troubleshoot/formdisplayCurrentData.h"
#include "app/UserPrompt.h"
#include "ui_FormSoftReset.h"

FormSoftReset::FormSoftReset(QWidget* parent)
    : FormSoftReset(DeviceEventDispatcher::instance(), parent) {}

FormSoftReset::FormSoftReset(DeviceEventDispatcher* dispatcher, QWidget* parent)
    : QWidget(parent), m_ui(new Ui::FormSoftReset), m_dispatcher(dispatcher) {
    TTRACE_OBJECT();
    m_pollAction = [this] {
        if (m_dispatcher) {
            m_dispatcher->queueCommand(CommandFactory::getParams());
        }
    };
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+N")), this), &QShortcut::activated,
            this, &FormSoftReset::close);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+Q")), this), &QShortcut::activated,
            this, &FormSoftReset::showCurrentDataWindow);
}

FormSoftReset::~FormSoftReset() {
    TTRACE_OBJECT();
    delete m_ui;
}

void FormSoftReset::setPollAction(PollAction action) {
    m_pollAction = std::move(action);
}

bool FormSoftReset::isPolling() const {
    return m_tickTimer && m_tickTimer->isActive();
}

void FormSoftReset::showEvent(QShowEvent* event) {
    TTRACE();
    QWidget::showEvent(event);
    if (!windowState().testFlag(Qt::WindowFullScreen)) {
        setWindowState(windowState() | Qt::WindowFullScreen);
    }
    raise();
    activateWindow();
    setFocus();
    delete m_tickTimer;
    m_tickTimer = new QTimer(this);
    m_tickTimer->setInterval(kTickIntervalMs);
    connect(m_tickTimer, &QTimer::timeout, this, &FormSoftReset::bringFront);
    m_tickCount = 0;
    m_tickTimer->start();
}

void FormSoftReset::hideEvent(QHideEvent* event) {
    TTRACE();
    stopPolling();
    QWidget::hideEvent(event);
}

void FormSoftReset::closeEvent(QCloseEvent* event) {
    TTRACE();
    stopPolling();
    QWidget::closeEvent(event);
}

void FormSoftReset::stopPolling() {
    m_tickCount = 0;
    if (m_tickTimer) {
        m_tickTimer->stop();
        m_tickTimer->disconnect(this);
    }
}

void FormSoftReset::bringFront() {
    if (!isPolling()) {
        return;
    }
    if (m_tickCount < kMaxTicks) {
        ++m_tickCount;
        if (m_pollAction) {
            m_pollAction();
        }
    }
    if (m_tickCount >= kMaxTicks) {
        reportFault();
    }
}

void FormSoftReset::reportFault() {
    TTRACE();
    stopPolling();
    hide();
    TLOG_CRITICAL(QStringLiteral("Soft reset did not end within %1 polls.").arg(kMaxTicks));
    UserPrompt::Question question;
    question.icon = QMessageBox::Warning;
    question.title = windowTitle();
    question.text = QString::fromLatin1(kFaultText);
    question.informativeText = QString::fromLatin1(kFaultQuestion);
    question.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    question.defaultButton = QMessageBox::Ok;
    UserPrompt::current().ask(question, nullptr);
}

// The notice covers the screen and stays on top, so the display must stay on top too.
void FormSoftReset::showCurrentDataWindow() {
    TTRACE();
    if (!m_currentData) {
        m_currentData = new formdisplayCurrentData(m_dispatcher, this);
        m_currentData->setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    m_currentData->show();
    m_currentData->raise();
    m_currentData->activateWindow();
}
