// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

/*!
 * \brief Writes that survive a crash or a power cut.
 *
 * Used by the capture queue, whose files are the only copy of a screenshot until the
 * service has it: once write() has returned success, the file holds the whole new
 * content and its name is on disk, not only in the page cache.
 */
namespace DurableFile {
/*! Replaces \a path atomically (old or new content, never a part) and flushes the file and
 *  its directory to disk. Returns an empty string on success, else the reason it failed. */
QString write(const QString &path, const QByteArray &bytes);
/*! Flushes \a directory's entries (names created, renamed or deleted in it) to disk. */
bool syncDirectory(const QString &directory);
} // namespace DurableFile
