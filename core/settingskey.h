// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/*! \brief The names under which the user's settings are stored. */
namespace SettingsKey {
inline const QString serverURL = QStringLiteral("serverURL");
inline const QString taskLanguage = QStringLiteral("taskLanguage");
inline const QString captureHotkey = QStringLiteral("captureHotkey");
inline const QString listHotkey = QStringLiteral("listHotkey");
inline const QString leftClick = QStringLiteral("leftClick");
} // namespace SettingsKey
