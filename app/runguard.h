// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSharedMemory>
#include <QString>
#include <QSystemSemaphore>

// Lets only one instance of the application run per user. The shared memory
// segment's existence is the lock; the semaphore serialises the checks of
// processes starting at the same moment.
class RunGuard
{
public:
    explicit RunGuard(const QString& key);
    ~RunGuard();

    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

    bool isAnotherRunning();
    bool tryToRun();
    void release();

private:
    const QString m_key;
    const QString m_memLockKey;
    const QString m_sharedmemKey;
    QSharedMemory m_sharedMem;
    QSystemSemaphore m_memLock;
};

// Exposed for tests: SHA-1 of key + salt as 40 lower-case hex digits.
QString generateKeyHash(const QString& key, const QString& salt);
