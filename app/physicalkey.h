// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

/*!
 * \brief Translation between the stored, layout-independent key codes of Hotkey (T = 17,
 * L = 37) and the physical keys of Linux (evdev codes; an X11 key code is evdev + 8).
 *
 * Used by the global hot keys to grab a stored combination and by the hot key recorder to
 * store the key it saw. Modifier keys have no entry: they are never the key of a hot key.
 */
namespace PhysicalKey {
/*! The evdev code of the stored \a keyCode, or none for a code without a physical key here. */
std::optional<quint32> toEvdev(quint32 keyCode);
/*! The stored key code of the physical key \a evdev, or none. */
std::optional<quint32> fromEvdev(quint32 evdev);
/*! The X11 key code (evdev + 8) of the stored \a keyCode, or none. */
std::optional<quint32> toX11(quint32 keyCode);
/*! The stored key code of the X11 key code \a x11, or none. */
std::optional<quint32> fromX11(quint32 x11);
/*!
 * The X keysym name this key has in the US layout ("t", "F5", "space"), the form desktop
 * shortcut settings use for triggers; empty for an unknown code.
 */
QString keysymName(quint32 keyCode);
} // namespace PhysicalKey
