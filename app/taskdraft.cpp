// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "taskdraft.h"

#include <QJsonValue>

namespace {
QString wireName(Priority priority)
{
    switch (priority) {
    case Priority::High:
        return QStringLiteral("high");
    case Priority::Medium:
        return QStringLiteral("medium");
    case Priority::Low:
        return QStringLiteral("low");
    }
    return QStringLiteral("medium");
}

QString dayText(const QDateTime &instant, const QTimeZone &zone)
{
    // QDate::toString with a format uses the C locale: Western digits whatever the user's locale.
    return instant.toTimeZone(zone).date().toString(u"yyyy-MM-dd");
}
} // namespace

TaskDraft TaskDraft::from(const TaskItem &task, const QTimeZone &zone, const QDateTime &now)
{
    TaskDraft draft;
    draft.title = task.title;
    draft.details = task.description;
    draft.priority = task.priority;
    draft.hasDeadline = task.dueDate.has_value() || task.dueAt.has_value();
    draft.hasTime = task.dueAt.has_value();
    if (task.dueAt) {
        draft.deadline = *task.dueAt;
    } else {
        const QDate day = task.dueDate ? QDate::fromString(*task.dueDate, u"yyyy-MM-dd") : QDate();
        draft.deadline = day.isValid() ? day.startOfDay(zone) : now;
    }
    return draft;
}

QJsonObject TaskDraft::changes(const TaskItem &task, const QTimeZone &zone) const
{
    QJsonObject fields;

    const QString trimmedTitle = title.trimmed();
    if (!trimmedTitle.isEmpty() && trimmedTitle != task.title)
        fields.insert(QStringLiteral("title"), trimmedTitle);

    if (details != task.description)
        fields.insert(QStringLiteral("description"), details);

    if (priority != task.priority)
        fields.insert(QStringLiteral("priority"), wireName(priority));

    if (hasDeadline && !hasTime) {
        const QString day = dayText(deadline, zone);
        if (!(task.dueDate == day && !task.dueAt))
            fields.insert(QStringLiteral("due_date"), day);
    } else if (hasDeadline && hasTime) {
        if (!(task.dueAt && *task.dueAt == deadline))
            fields.insert(QStringLiteral("due_at"), utcText(deadline));
    } else if (task.dueDate || task.dueAt) {
        fields.insert(QStringLiteral("due_date"), QJsonValue::Null);
        fields.insert(QStringLiteral("due_at"), QJsonValue::Null);
    }
    return fields;
}

QString TaskDraft::utcText(const QDateTime &instant)
{
    return instant.toUTC().toString(u"yyyy-MM-dd'T'HH:mm:ss'Z'");
}
