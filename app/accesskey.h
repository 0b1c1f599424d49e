// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>
#include <optional>

/*!
 * \brief The access key file, $XDG_DATA_HOME/Quibly/access-key, readable by the owner only.
 *
 * The file holds the trimmed key as UTF-8 and nothing else; no file means no key. Its
 * folder, the user's data folder, is created 0700 whatever the umask.
 * A write never lets the key exist on disk with a mode wider than 0600: it goes through a
 * private temporary file in the same folder that is renamed over the old one.
 * Neither operation reports file-system errors: a key that could not be stored is
 * simply absent at the next read.
 */
namespace AccessKey {
/*! The location, worked out afresh at each call. */
QString defaultPath();

/*! The stored key, trimmed; nothing when the file is missing, unreadable, not UTF-8 or blank. */
std::optional<QString> read(const QString &path = defaultPath());

/*!
 * Stores \a key trimmed, or removes the file when it is blank.
 * \a afterStep, for tests, runs after each step that changes the folder.
 */
void write(const QString &key, const QString &path = defaultPath(), const std::function<void()> &afterStep = {});

/*! Takes group and other permissions away from the file and its folder, wherever an older
 *  version or a hand left them. Failures are ignored. */
void makePrivate(const QString &path = defaultPath());
} // namespace AccessKey
