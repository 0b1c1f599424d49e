// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class FileLock;

/*!
 * \brief Private writes that survive a crash, a kill or a power cut.
 *
 * Used by the capture queue, whose files are the only copy of a screenshot until the
 * service has it: once write() has returned success, the file holds the whole new
 * content and its name is on disk, not only in the page cache. Files are created 0600
 * and folders 0700 whatever the umask: the user's screenshots are never readable by
 * another account, not even for a moment.
 */
namespace DurableFile {
/*!
 * Replaces \a path atomically (old or new content, never a part) and flushes the file and
 * its directory to disk. Returns an empty string on success, else the reason it failed.
 * The new file is locked (FileLock) from its creation until the write ends, or, when
 * \a held is given, until the caller releases \a held: a sweep of stray files leaves a
 * locked file alone.
 */
QString write(const QString &path, const QByteArray &bytes, FileLock *held = nullptr);
/*! Deletes \a path; true when it is gone. */
bool remove(const QString &path);
/*! Flushes \a directory's entries (names created, renamed or deleted in it) to disk. */
bool syncDirectory(const QString &directory);
/*!
 * Creates \a directory and its missing parents with mode 0700 and flushes each new entry
 * to disk. An existing directory is fine. Returns an empty string on success, else the reason.
 */
QString makePrivateDirectory(const QString &directory);
/*! Takes group and other permissions away from \a path if it has any (links are left alone). */
void makePrivate(const QString &path);

/*! The name a file called \a name by write() is written for, if \a name is such a temporary name; else empty. */
QString temporaryTarget(const QString &name);

/*! For tests: \a hook runs after each step that changes the disk (null: none). */
void setStepHook(std::function<void()> hook);
} // namespace DurableFile
