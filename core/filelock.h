// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/*!
 * \brief An exclusive lock the kernel keeps on an open file (`flock`).
 *
 * The lock ends when the object releases it or when the process ends, however it ends:
 * there is no pid to read back and nothing that can go stale. It belongs to the open file,
 * not to a thread, so it may be taken on one thread and released on another, and two
 * objects in one process exclude each other like two processes do.
 */
class FileLock
{
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    enum class Open { CreateIfMissing, ExistingOnly };

    /*!
     * Opens \a path, creating it with mode 0600 if asked, and locks it without waiting. The
     * result is not locked when another holder has it or the file cannot be opened. Lock
     * files are never deleted: a holder would then hold a file that the next one no longer
     * opens.
     */
    static FileLock tryLock(const QString &path, Open open = Open::CreateIfMissing);
    /*! Takes over \a descriptor (already locked by the caller); closing it releases the lock. */
    static FileLock adopt(int descriptor);

    bool isLocked() const { return m_descriptor >= 0; }
    /*! Whether \a path (not followed if a link) names the locked file, which it may no longer do. */
    bool isNamedBy(const QString &path) const;
    int descriptor() const { return m_descriptor; }
    void unlock();

private:
    int m_descriptor = -1;
};
