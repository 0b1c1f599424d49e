// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QHashFunctions>
#include <QString>

#include <optional>

/*! \brief What a click on the tray icon does. */
enum class IconClick { List, Capture };

inline size_t qHash(IconClick click, size_t hashSeed = 0) noexcept
{
    return ::qHash(int(click), hashSeed);
}

namespace IconClickRule {
/*! A primary click performs the "leftClick" action ("capture" exactly, else list); a secondary click the other one. */
IconClick action(bool rightButton, const std::optional<QString> &leftClickSetting);
} // namespace IconClickRule
