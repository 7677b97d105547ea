#include "app/SoftResetNoticeWindow.h"

#include "logging/LogMacros.h"
#include "device/DeviceEventDispatcher.h"
#include "app/FormSoftReset.h"

SoftResetNoticeWindow::SoftResetNoticeWindow(QObject* parent, DeviceEventDispatcher* dispatcher)
    : SoftResetNotice(parent),
      m_dispatcher(dispatcher != nullptr ? dispatcher : DeviceEventDispatcher::instance()) {
    TTRACE_OBJECT();
    ensureWindow();
}

SoftResetNoticeWindow::~SoftResetNoticeWindow() {
    TTRACE_OBJECT();
    delete m_window;
}

void SoftResetNoticeWindow::install(DeviceEventDispatcher* dispatcher) {
    QPointer<DeviceEventDispatcher> link(dispatcher);
    SoftResetNotice::setFactory([link](QObject* parent) -> SoftResetNotice* {
        return new SoftResetNoticeWindow(parent, link);
    });
}

FormSoftReset* SoftResetNoticeWindow::window() const {
    return m_window;
}

FormSoftReset* SoftResetNoticeWindow::ensureWindow() {
    if (!m_window) {
        m_window = new FormSoftReset(m_dispatcher);
    }
    return m_window;
}

bool SoftResetNoticeWindow::isNoticeShown() const {
    return m_window && m_window->isVisible();
}

int SoftResetNoticeWindow::pollCount() const {
    return m_window ? m_window->pollCount() : 0;
}

void SoftResetNoticeWindow::showNotice() {
    TTRACE();
    ensureWindow()->show();
}

void SoftResetNoticeWindow::hideNotice() {
    TTRACE();
    if (m_window) {
        m_window->hide();
    }
}
