// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/runguard.h"

#include <QCryptographicHash>

QString generateKeyHash(const QString& key, const QString& salt)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(key.toUtf8());
    hash.addData(salt.toUtf8());
    return QString::fromLatin1(hash.result().toHex());
}

RunGuard::RunGuard(const QString& key)
    : m_key(key)
    , m_memLockKey(generateKeyHash(key, QStringLiteral("_memLockKey")))
    , m_sharedmemKey(generateKeyHash(key, QStringLiteral("_sharedmemKey")))
    , m_sharedMem(m_sharedmemKey)
    , m_memLock(m_memLockKey, 1, QSystemSemaphore::Open)
{
    // Attaching and detaching once lets the system drop a segment that a
    // crashed instance left behind with nobody attached.
    m_memLock.acquire();
    {
        QSharedMemory fix(m_sharedmemKey);
        fix.attach();
    }
    m_memLock.release();
}

RunGuard::~RunGuard()
{
    release();
}

bool RunGuard::isAnotherRunning()
{
    if (m_sharedMem.isAttached())
        return false;

    m_memLock.acquire();
    const bool isRunning = m_sharedMem.attach();
    if (isRunning)
        m_sharedMem.detach();
    m_memLock.release();
    return isRunning;
}

bool RunGuard::tryToRun()
{
    if (isAnotherRunning())
        return false;

    m_memLock.acquire();
    const bool result = m_sharedMem.create(8);
    m_memLock.release();
    if (!result)
        release();
    return result;
}

void RunGuard::release()
{
    m_memLock.acquire();
    if (m_sharedMem.isAttached())
        m_sharedMem.detach();
    m_memLock.release();
}
