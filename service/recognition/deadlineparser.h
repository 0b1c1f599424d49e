// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

/*!
 * Finds a deadline written in a task line ("by Friday 2pm", "завтра о 14:00", "до 12.03",
 * "2026-03-12") and removes it from the text. Relative words resolve against the capture's
 * local date; the caller places the result in the capture's time zone.
 */
namespace DeadlineParser {
struct Match
{
    std::optional<QDate> date; //!< absent when only a time of day was written (that means today)
    std::optional<QTime> time;
    QString remainder; //!< the text with the deadline and its preposition ("by", "до", "at", "о") cut out

    bool found() const { return date || time; }
};

/*!
 * The first date and the first time of day in \a text. A weekday means its next occurrence
 * counting \a today ("next Friday" excludes today); a day and month without a year mean this
 * year unless that lies more than two months back, then next year.
 */
Match parse(const QString &text, QDate today);
} // namespace DeadlineParser
