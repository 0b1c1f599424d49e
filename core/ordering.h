// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "taskitem.h"

#include <QDateTime>
#include <QList>
#include <QTimeZone>

#include <optional>

/*!
 * \brief The pure rules that turn the service's flat task list into what the user sees.
 *
 * Every day boundary is a midnight in the time zone passed in; callers pass the user's
 * zone, tests pass a fixed one.
 */
namespace Ordering {
/*!
 * Start of the day on which \a task is due: from dueAt if set, else from the dueDate text (split at "-", empty
 * and non-numeric pieces dropped, exactly three integers for year, month and day). Nothing when the date is
 * not a valid one or has no start in \a zone (a day skipped by the calendar). An invalid zone counts as UTC.
 */
std::optional<QDateTime> dueDay(const TaskItem &task, const QTimeZone &zone);
/*! Whole calendar days from today to the due day (0 today, negative when overdue). */
std::optional<qint64> dayOffset(const TaskItem &task, const QDateTime &now, const QTimeZone &zone);
/*! Open and due today or overdue. */
bool isUrgent(const TaskItem &task, const QDateTime &now, const QTimeZone &zone);
/*! The same, from the task's dayOffset() already worked out. */
bool isUrgent(const TaskItem &task, std::optional<qint64> dayOffset);
/*!
 * The open tasks in display order: urgent first by deadline, then priority, deadline, creation, id; stable.
 * A date-only deadline counts as the first instant after its day, after every timed deadline of that day.
 * No deadline counts as 4001-01-01T00:00:00Z.
 */
QList<TaskItem> open(const QList<TaskItem> &tasks, const QDateTime &now, const QTimeZone &zone);
/*! The done tasks, most recently done first (stable). */
QList<TaskItem> done(const QList<TaskItem> &tasks);
/*! The number of urgent tasks. */
int badge(const QList<TaskItem> &tasks, const QDateTime &now, const QTimeZone &zone);
} // namespace Ordering
