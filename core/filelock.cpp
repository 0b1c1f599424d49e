// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "filelock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FileLock::~FileLock()
{
    unlock();
}

FileLock::FileLock(FileLock &&other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1))
{ }

FileLock &FileLock::operator=(FileLock &&other) noexcept
{
    if (this != &other) {
        unlock();
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

FileLock FileLock::tryLock(const QString &path)
{
    // O_NOFOLLOW: a link planted in the queue must not make us create or lock a file elsewhere.
    const int descriptor
        = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (descriptor < 0)
        return {};
    int result;
    do {
        result = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(descriptor);
        return {};
    }
    return adopt(descriptor);
}

FileLock FileLock::adopt(int descriptor)
{
    FileLock lock;
    lock.m_descriptor = descriptor;
    return lock;
}

void FileLock::unlock()
{
    if (m_descriptor >= 0)
        ::close(std::exchange(m_descriptor, -1));
}
