// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "capture.h"
#include "taskitem.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

/*!
 * \brief Records written back in the service's own JSON form, for `quiblyctl --json`.
 *
 * snake_case members, absent optionals as null, instants as RFC 3339 in UTC ("Z"), with
 * milliseconds only when the instant has them; the service's decoder reads every output.
 */
namespace RecordJson {
QString instant(const QDateTime &value);
QJsonObject task(const TaskItem &task);
QJsonObject capture(const Capture &capture);
/*! A queued capture, in the same spelling as the service's records (not the queue's file form). */
QJsonObject queued(const QueuedCapture &item);
} // namespace RecordJson
