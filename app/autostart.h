// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/*!
 * \brief Starting Quibly at login through the XDG autostart entry
 * $XDG_CONFIG_HOME/autostart/org.quibly.Quibly.desktop.
 *
 * The entry in the user's folder wins over one of the same name in $XDG_CONFIG_DIRS;
 * an entry counts as enabled when it exists and is not hidden (Hidden=true, or GNOME's
 * X-GNOME-Autostart-enabled=false). Used by the settings window and the application.
 */
namespace Autostart {
/*! The user's entry, worked out afresh at each call. */
QString userEntryPath();

bool isEnabled();

/*!
 * Writes or withdraws the user's entry so that isEnabled() becomes \a enabled.
 * \a program is the command the entry starts; empty means this executable.
 * Returns an empty text on success, else a sentence for the user saying what failed.
 */
QString setEnabled(bool enabled, const QString &program = {});

/*! \a program quoted for the Exec key of a desktop entry. */
QString execValue(const QString &program);
} // namespace Autostart
