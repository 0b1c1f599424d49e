// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "recordjson.h"

#include <QJsonValue>

namespace {
template<typename T, typename F> QJsonValue optional(const std::optional<T> &value, F convert)
{
    return value ? QJsonValue(convert(*value)) : QJsonValue(QJsonValue::Null);
}

QJsonValue optionalText(const std::optional<QString> &value)
{
    return optional(value, [](const QString &text) { return text; });
}

QJsonValue optionalInstant(const std::optional<QDateTime> &value)
{
    return optional(value, RecordJson::instant);
}
} // namespace

QString RecordJson::instant(const QDateTime &value)
{
    const QDateTime utc = value.toUTC();
    return utc.toString(utc.time().msec() ? u"yyyy-MM-dd'T'HH:mm:ss.zzz'Z'" : u"yyyy-MM-dd'T'HH:mm:ss'Z'");
}

QJsonObject RecordJson::task(const TaskItem &task)
{
    QString priority;
    switch (task.priority) {
    case Priority::High:
        priority = QStringLiteral("high");
        break;
    case Priority::Medium:
        priority = QStringLiteral("medium");
        break;
    case Priority::Low:
        priority = QStringLiteral("low");
        break;
    }
    return {
        { QStringLiteral("id"), QJsonValue(task.id) },
        { QStringLiteral("capture_id"), optionalText(task.captureId) },
        { QStringLiteral("title"), task.title },
        { QStringLiteral("description"), task.description },
        { QStringLiteral("priority"), priority },
        { QStringLiteral("due_date"), optionalText(task.dueDate) },
        { QStringLiteral("due_at"), optionalInstant(task.dueAt) },
        { QStringLiteral("source_app"), optionalText(task.sourceApp) },
        { QStringLiteral("source_person"), optionalText(task.sourcePerson) },
        { QStringLiteral("done_at"), optionalInstant(task.doneAt) },
        { QStringLiteral("created_at"), instant(task.createdAt) },
        { QStringLiteral("updated_at"), instant(task.updatedAt) },
    };
}

QJsonObject RecordJson::capture(const Capture &capture)
{
    return {
        { QStringLiteral("id"), capture.id },
        { QStringLiteral("status"), capture.status },
        { QStringLiteral("error"), capture.error },
        { QStringLiteral("local_time"), instant(capture.localTime) },
        { QStringLiteral("time_zone"), capture.timeZone },
        { QStringLiteral("language"), capture.language },
        { QStringLiteral("created_at"), instant(capture.createdAt) },
    };
}

QJsonObject RecordJson::queued(const QueuedCapture &item)
{
    return {
        { QStringLiteral("id"), item.id },
        { QStringLiteral("local_time"), instant(item.localTime) },
        { QStringLiteral("time_zone"), item.timeZone },
        { QStringLiteral("language"), item.language },
    };
}
