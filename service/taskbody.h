// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

/*!
 * Strict readers of the JSON bodies of POST /tasks and PATCH /tasks/{id}. A body
 * is accepted only when it is one JSON object whose members are all known and of
 * the right type; anything else is an invalid request, so that a typo in a client
 * never turns into a silent partial update.
 */
namespace TaskBody {

constexpr qsizetype MaxTitleLength = 1000;
constexpr qsizetype MaxDescriptionLength = 20000;

//! The changes of one PATCH. An outer nullopt leaves the field alone; for the
//! deadlines an inner nullopt clears it.
struct Changes
{
    std::optional<QString> title;
    std::optional<QString> description;
    std::optional<QString> priority;
    std::optional<std::optional<QString>> dueDate;
    std::optional<std::optional<QDateTime>> dueAt;
    std::optional<bool> done;

    bool operator==(const Changes &) const = default;
};

//! The title of a new task: {"title": "…"}, trimmed and not blank.
std::optional<QString> readNewTask(const QByteArray &body);

std::optional<Changes> readChanges(const QByteArray &body);

} // namespace TaskBody
