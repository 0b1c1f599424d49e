// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/*!
 * \brief One global keyboard shortcut: physical key code, modifier bits, key label.
 *
 * Modifier bits: command 0x0100, shift 0x0200, option 0x0800, control 0x1000.
 * Stored in the settings as compact JSON {"keyCode","modifiers","key"}.
 */
struct Hotkey
{
    quint32 keyCode = 0;
    quint32 modifiers = 0;
    QString key;

    static constexpr quint32 command = 0x0100;
    static constexpr quint32 shift = 0x0200;
    static constexpr quint32 option = 0x0800;
    static constexpr quint32 control = 0x1000;

    static Hotkey defaultCapture();
    static Hotkey defaultList();
    static quint32 carbonModifiers(bool command, bool option, bool control, bool shift);

    /*! Modifier symbols in the order ⌃⌥⇧⌘, then the key upper-cased. */
    QString display() const;

    QByteArray toJson() const;
    static std::optional<Hotkey> fromJson(const QByteArray &json);

    bool operator==(const Hotkey &) const = default;
};
