// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "taskitem.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <optional>

/*!
 * \brief How a task reads to a person: its deadline label, source and priority name.
 *
 * Shared by the list rows, the task editor and quiblyctl's text output. Dates follow the
 * interface language (Translations::language()), not the region settings, and are
 * formatted with ICU so that "15 березня" and "March 15" each come in their language's order.
 */
namespace TaskStyle {
/*!
 * "Today", "Tomorrow", "Yesterday" or the due day as day and full month name; with ", "
 * and the short time when the task has a time of day. "No deadline" without one.
 * \a locale is a language tag such as "uk" or "en".
 */
QString deadline(const TaskItem &task, const QDateTime &now, const QTimeZone &zone, const QString &locale);
/*! deadline() in the interface language. */
QString deadline(const TaskItem &task, const QDateTime &now, const QTimeZone &zone);
/*! sourceApp and sourcePerson, those present, joined by ", "; nothing when neither is. */
std::optional<QString> source(const TaskItem &task);
/*! The localised name of \a priority. */
QString name(Priority priority);
} // namespace TaskStyle
