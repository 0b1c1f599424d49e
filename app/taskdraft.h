// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "taskitem.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QTimeZone>

/*!
 * \brief The working copy of a task being edited, and the fields that changed.
 *
 * Shared by the task editor and `quiblyctl edit`, so that both send the same update for
 * the same edit. changes() compares with the newest record of the task, not with the one
 * the draft was made from.
 */
class TaskDraft
{
public:
    QString title;
    QString details;
    Priority priority = Priority::Medium;
    bool hasDeadline = false;
    bool hasTime = false;
    /*! The chosen day and, when hasTime, the time of day. */
    QDateTime deadline;

    /*!
     * The draft of an untouched \a task: its deadline is dueAt, else the start of the
     * dueDate day in \a zone, else \a now.
     */
    static TaskDraft from(const TaskItem &task, const QTimeZone &zone, const QDateTime &now);

    /*!
     * The update to send, keyed by wire name: "title" (trimmed, never blank), "description",
     * "priority", and for the deadline either "due_date" (day in \a zone), "due_at"
     * (UTC, whole seconds) or both as null. May be empty.
     */
    QJsonObject changes(const TaskItem &task, const QTimeZone &zone) const;

    /*! "yyyy-MM-ddThh:mm:ssZ" of \a instant in UTC, fraction dropped. */
    static QString utcText(const QDateTime &instant);
};
