// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "taskbody.h"

#include "timeformat.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace {

std::optional<QJsonObject> readObject(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<QString> readTitle(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    const QString title = value.toString().trimmed();
    if (title.isEmpty() || title.size() > TaskBody::MaxTitleLength)
        return std::nullopt;
    return title;
}

} // namespace

namespace TaskBody {

std::optional<QString> readNewTask(const QByteArray &body)
{
    const auto object = readObject(body);
    if (!object || object->size() != 1 || !object->contains(u"title"))
        return std::nullopt;
    return readTitle(object->value(u"title"));
}

std::optional<Changes> readChanges(const QByteArray &body)
{
    const auto object = readObject(body);
    if (!object)
        return std::nullopt;
    Changes changes;
    for (auto it = object->constBegin(); it != object->constEnd(); ++it) {
        const QString key = it.key();
        const QJsonValue value = it.value();
        if (key == u"title") {
            changes.title = readTitle(value);
            if (!changes.title)
                return std::nullopt;
        } else if (key == u"description") {
            if (!value.isString() || value.toString().size() > MaxDescriptionLength)
                return std::nullopt;
            changes.description = value.toString();
        } else if (key == u"priority") {
            const QString priority = value.toString();
            if (!value.isString() || (priority != u"high" && priority != u"medium" && priority != u"low"))
                return std::nullopt;
            changes.priority = priority;
        } else if (key == u"due_date") {
            if (value.isNull()) {
                changes.dueDate = std::optional<QString>();
            } else if (value.isString() && TimeFormat::isCalendarDay(value.toString())) {
                changes.dueDate = std::optional<QString>(value.toString());
            } else {
                return std::nullopt;
            }
        } else if (key == u"due_at") {
            if (value.isNull()) {
                changes.dueAt = std::optional<QDateTime>();
            } else {
                const auto instant = value.isString() ? TimeFormat::parseInstant(value.toString()) : std::nullopt;
                if (!instant)
                    return std::nullopt;
                changes.dueAt = std::optional<QDateTime>(*instant);
            }
        } else if (key == u"done") {
            if (!value.isBool())
                return std::nullopt;
            changes.done = value.toBool();
        } else {
            return std::nullopt;
        }
    }
    return changes;
}

} // namespace TaskBody
