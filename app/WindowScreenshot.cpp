#include "app/WindowScreenshot.h"

#include <QPixmap>
#include <QWidget>

#include "logging/LogMacros.h"

WindowScreenshot::WindowScreenshot(QWidget* window, const QString& fileName, QObject* parent)
    : QObject(parent), m_window(window), m_fileName(fileName) {
    m_pollTimer.setInterval(kDefaultPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &WindowScreenshot::check);
}

void WindowScreenshot::setTimings(int readyTimeoutMs, int settleMs, int pollMs) {
    m_readyTimeoutMs = readyTimeoutMs;
    m_settleMs = settleMs;
    m_pollTimer.setInterval(pollMs);
}

void WindowScreenshot::start() {
    m_waited.start();
    m_pollTimer.start();
}

void WindowScreenshot::check() {
    const bool ready = m_window && m_window->isEnabled();
    if (!ready && m_waited.elapsed() < m_readyTimeoutMs) {
        return;
    }
    m_pollTimer.stop();
    if (!ready) {
        TLOG_WARNING(
            QStringLiteral("The window did not become ready; taking the picture "
                           "anyway."));
    }
    QTimer::singleShot(m_settleMs, this, &WindowScreenshot::save);
}

void WindowScreenshot::save() {
    bool saved = false;
    if (m_window) {
        saved = m_window->grab().save(m_fileName, "PNG");
    }
    if (saved) {
        TLOG_INFO(QStringLiteral("Saved a picture of the main window to %1").arg(m_fileName));
    } else {
        TLOG_CRITICAL(
            QStringLiteral("Cannot save a picture of the main window to %1").arg(m_fileName));
    }
    emit finished(saved);
}
