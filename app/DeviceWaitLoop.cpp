#include "app/DeviceWaitLoop.h"

#include <QCoreApplication>
#include <QThread>

#include <utility>

DeviceWaitLoop::DeviceWaitLoop(Attempt attempt, int intervalMs)
    : m_attempt(std::move(attempt)), m_intervalMs(intervalMs) {}

bool DeviceWaitLoop::tryOnce() {
    ++m_attempts;
    return m_attempt && m_attempt();
}

bool DeviceWaitLoop::run() {
    while (!m_cancelled && !tryOnce()) {
        QThread::msleep(static_cast<unsigned long>(m_intervalMs));
        QCoreApplication::processEvents();
    }
    return !m_cancelled;
}
