#include "device/SingleInstanceGuard.h"

#include "logging/LogMacros.h"

namespace {
constexpr int kSegmentSize = 1;
constexpr int kSemaphoreInitialCount = 1;
}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& semaphoreKey, const QString& memoryKey)
    : m_semaphore(semaphoreKey, kSemaphoreInitialCount, QSystemSemaphore::Open),
      m_sharedMemory(memoryKey) {
    TTRACE();
    const bool locked = m_semaphore.acquire();
    if (!locked) {
        TLOG_WARNING(QStringLiteral("Cannot acquire the start-up semaphore: %1")
                         .arg(m_semaphore.errorString()));
    }
    releaseOrphanedSegment();
    m_anotherInstance = !claimSegment();
    if (locked) {
        m_semaphore.release();
    }
}

void SingleInstanceGuard::releaseOrphanedSegment() {
    QSharedMemory probe(m_sharedMemory.key());
    if (probe.attach(QSharedMemory::ReadOnly)) {
        probe.detach();
    }
}

bool SingleInstanceGuard::claimSegment() {
    if (m_sharedMemory.attach(QSharedMemory::ReadWrite)) {
        // Someone alive holds it; keep nothing of theirs.
        m_sharedMemory.detach();
        return false;
    }
    if (!m_sharedMemory.create(kSegmentSize, QSharedMemory::ReadWrite)) {
        TLOG_WARNING(QStringLiteral("Cannot create the instance segment: %1")
                         .arg(m_sharedMemory.errorString()));
        return false;
    }
    return true;
}
