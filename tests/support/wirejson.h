// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

/*! Service answers in their wire form, for scripting the fake service. */
namespace WireJson {
/*! The time stamp every fixture record carries. */
inline constexpr const char *stamp = "2025-03-01T10:00:00Z";
/*! A capture object with all seven members, compact. */
QByteArray capture(const QString &id, const QString &status, const QString &error = {});
} // namespace WireJson
