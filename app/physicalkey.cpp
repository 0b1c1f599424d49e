// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "physicalkey.h"

namespace {

struct Entry
{
    quint32 keyCode; // stored form
    quint32 evdev;
    const char *keysym; // US layout
};

// Every key of a full-size ANSI/ISO keyboard that has a stored code.
constexpr Entry table[] = {
    { 0, 30, "a" },
    { 1, 31, "s" },
    { 2, 32, "d" },
    { 3, 33, "f" },
    { 4, 35, "h" },
    { 5, 34, "g" },
    { 6, 44, "z" },
    { 7, 45, "x" },
    { 8, 46, "c" },
    { 9, 47, "v" },
    { 10, 86, "less" },
    { 11, 48, "b" },
    { 12, 16, "q" },
    { 13, 17, "w" },
    { 14, 18, "e" },
    { 15, 19, "r" },
    { 16, 21, "y" },
    { 17, 20, "t" },
    { 18, 2, "1" },
    { 19, 3, "2" },
    { 20, 4, "3" },
    { 21, 5, "4" },
    { 22, 7, "6" },
    { 23, 6, "5" },
    { 24, 13, "equal" },
    { 25, 10, "9" },
    { 26, 8, "7" },
    { 27, 12, "minus" },
    { 28, 9, "8" },
    { 29, 11, "0" },
    { 30, 27, "bracketright" },
    { 31, 24, "o" },
    { 32, 22, "u" },
    { 33, 26, "bracketleft" },
    { 34, 23, "i" },
    { 35, 25, "p" },
    { 36, 28, "Return" },
    { 37, 38, "l" },
    { 38, 36, "j" },
    { 39, 40, "apostrophe" },
    { 40, 37, "k" },
    { 41, 39, "semicolon" },
    { 42, 43, "backslash" },
    { 43, 51, "comma" },
    { 44, 53, "slash" },
    { 45, 49, "n" },
    { 46, 50, "m" },
    { 47, 52, "period" },
    { 48, 15, "Tab" },
    { 49, 57, "space" },
    { 50, 41, "grave" },
    { 51, 14, "BackSpace" },
    { 53, 1, "Escape" },
    { 64, 187, "F17" },
    { 65, 83, "KP_Decimal" },
    { 67, 55, "KP_Multiply" },
    { 69, 78, "KP_Add" },
    { 75, 98, "KP_Divide" },
    { 76, 96, "KP_Enter" },
    { 78, 74, "KP_Subtract" },
    { 79, 188, "F18" },
    { 80, 189, "F19" },
    { 81, 117, "KP_Equal" },
    { 82, 82, "KP_0" },
    { 83, 79, "KP_1" },
    { 84, 80, "KP_2" },
    { 85, 81, "KP_3" },
    { 86, 75, "KP_4" },
    { 87, 76, "KP_5" },
    { 88, 77, "KP_6" },
    { 89, 71, "KP_7" },
    { 90, 190, "F20" },
    { 91, 72, "KP_8" },
    { 92, 73, "KP_9" },
    { 96, 63, "F5" },
    { 97, 64, "F6" },
    { 98, 65, "F7" },
    { 99, 61, "F3" },
    { 100, 66, "F8" },
    { 101, 67, "F9" },
    { 103, 87, "F11" },
    { 105, 183, "F13" },
    { 106, 186, "F16" },
    { 107, 184, "F14" },
    { 109, 68, "F10" },
    { 111, 88, "F12" },
    { 113, 185, "F15" },
    { 114, 110, "Insert" },
    { 115, 102, "Home" },
    { 116, 104, "Prior" },
    { 117, 111, "Delete" },
    { 118, 62, "F4" },
    { 119, 107, "End" },
    { 120, 60, "F2" },
    { 121, 109, "Next" },
    { 122, 59, "F1" },
    { 123, 105, "Left" },
    { 124, 106, "Right" },
    { 125, 108, "Down" },
    { 126, 103, "Up" },
    { 93, 124, "yen" },
    { 94, 89, "underscore" },
};

const Entry *byKeyCode(quint32 keyCode)
{
    for (const Entry &e : table)
        if (e.keyCode == keyCode)
            return &e;
    return nullptr;
}

} // namespace

std::optional<quint32> PhysicalKey::toEvdev(quint32 keyCode)
{
    if (const Entry *e = byKeyCode(keyCode))
        return e->evdev;
    return std::nullopt;
}

std::optional<quint32> PhysicalKey::fromEvdev(quint32 evdev)
{
    for (const Entry &e : table)
        if (e.evdev == evdev)
            return e.keyCode;
    return std::nullopt;
}

std::optional<quint32> PhysicalKey::toX11(quint32 keyCode)
{
    if (const auto evdev = toEvdev(keyCode))
        return *evdev + 8;
    return std::nullopt;
}

std::optional<quint32> PhysicalKey::fromX11(quint32 x11)
{
    if (x11 < 8)
        return std::nullopt;
    return fromEvdev(x11 - 8);
}

QString PhysicalKey::keysymName(quint32 keyCode)
{
    if (const Entry *e = byKeyCode(keyCode))
        return QString::fromLatin1(e->keysym);
    return {};
}
