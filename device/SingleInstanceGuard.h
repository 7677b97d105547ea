#pragma once

#include <QSharedMemory>
#include <QString>
#include <QSystemSemaphore>

// Keeps a second copy of the tool out for as long as this object lives. The window and
// the command line take the same guard, so they never drive one controller at once.
//
// The first instance creates a one-byte shared-memory segment; a later instance finds
// it and stands back. A system semaphore serialises the check between two copies that
// start at the same moment.
//
// On Unix a segment outlives a process that crashed or was killed while holding it.
// Before checking, the guard attaches and detaches a throwaway handle: the last detach
// frees a segment that no live process holds, while a segment of a running instance
// keeps its attachment and survives.
class SingleInstanceGuard {
public:
    static constexpr const char* kSemaphoreKey = "tavirelConfigSoftware1";
    static constexpr const char* kMemoryKey = "tavirelConfigSoftware";

    // Runs the check at once. Other keys than the defaults are for tests.
    explicit SingleInstanceGuard(const QString& semaphoreKey = QString::fromLatin1(kSemaphoreKey),
                                 const QString& memoryKey = QString::fromLatin1(kMemoryKey));

    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // True when another instance holds the segment (or it could not be created).
    bool isAnotherInstanceRunning() const { return m_anotherInstance; }

private:
    void releaseOrphanedSegment();
    bool claimSegment();

    QSystemSemaphore m_semaphore;
    QSharedMemory m_sharedMemory;
    bool m_anotherInstance = false;
};
