#include "app/SoftResetNoticeWindow.h"

#include "logging/LogMacros.h"
#include "app/FormSoftReset.h"

SoftResetNoticeWindow::SoftResetNoticeWindow(QObject* parent) : SoftResetNotice(parent) {
    TTRACE_OBJECT();
    ensureWindow();
}

SoftResetNoticeWindow::~SoftResetNoticeWindow() {
    TTRACE_OBJECT();
    delete m_window;
}

void SoftResetNoticeWindow::install() {
    SoftResetNotice::setFactory(
        [](QObject* parent) -> SoftResetNotice* { return new SoftResetNoticeWindow(parent); });
}

FormSoftReset* SoftResetNoticeWindow::window() const {
    return m_window;
}

FormSoftReset* SoftResetNoticeWindow::ensureWindow() {
    if (!m_window) {
        m_window = new FormSoftReset;
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
