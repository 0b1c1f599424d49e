// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

/*!
 * Time stamps on the wire. Answers always carry UTC with milliseconds
 * ("2026-12-06T10:00:00.123Z"); requests may carry any RFC 3339 date-time, with
 * or without a fraction, "Z" or a numeric offset, and nothing looser.
 */
namespace TimeFormat {

QString formatInstant(const QDateTime &instant);
QString formatInstant(qint64 msecsSinceEpoch);

//! Strict RFC 3339 date-time; fractions beyond milliseconds are truncated.
std::optional<QDateTime> parseInstant(QStringView text);

//! A calendar day written exactly as yyyy-MM-dd, and a real day.
bool isCalendarDay(QStringView text);

} // namespace TimeFormat
