// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <optional>

/*!
 * \brief The stored key codes of Hotkey (layout-independent codes of physical keys,
 * T = 17, L = 37) and the Linux evdev codes of the same keys.
 *
 * X11 and Wayland number keys as evdev + 8. The recorder turns what a key press reports
 * into a stored code; the hot-key service turns stored codes back into keys to grab.
 */
namespace KeyCodes {
/*! The stored code of the key with Linux input code \a evdev; nothing for keys we do not store. */
std::optional<quint32> fromEvdev(quint32 evdev);
/*! The Linux input code of the stored key code \a keyCode; nothing for an unknown code. */
std::optional<quint32> toEvdev(quint32 keyCode);

constexpr quint32 xkbOffset = 8;
/*! The stored code of an X11/XKB key code (evdev + 8). */
std::optional<quint32> fromXkb(quint32 xkbKeycode);
std::optional<quint32> toXkb(quint32 keyCode);
} // namespace KeyCodes
