// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "filelock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

FileLock FileLock::tryLock(const QString &path, Open open)
{
    // Read-only is enough for flock, and works on a file whose mode lost its write bit.
    // O_NOFOLLOW: a link planted in the queue must not make us create or lock a file elsewhere;
    // O_NONBLOCK: nor may a FIFO in its place hold us up.
    const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (open == Open::CreateIfMissing ? O_CREAT : 0);
    const int descriptor = ::open(QFile::encodeName(path).constData(), flags, S_IRUSR | S_IWUSR);
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

bool FileLock::isNamedBy(const QString &path) const
{
    struct stat opened = {};
    struct stat named = {};
    return isLocked() && ::fstat(m_descriptor, &opened) == 0
        && ::lstat(QFile::encodeName(path).constData(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
}

void FileLock::unlock()
{
    if (m_descriptor >= 0)
        ::close(std::exchange(m_descriptor, -1));
}
