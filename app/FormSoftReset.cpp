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
#include "app/UserPrompt.h"
#include "ui_FormSoftReset.h"

namespace {
void queueParameterRead() {
    DeviceEventDispatcher::instance()->queueCommand(CommandFactory::getParams());
}
}  // namespace

FormSoftReset::FormSoftReset(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::FormSoftReset), m_pollAction(queueParameterRead) {
    TTRACE_OBJECT();
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

void FormSoftReset::showCurrentDataWindow() {
    TTRACE();
    TLOG_WARNING(QStringLiteral("not available: the current-data window"));
}
