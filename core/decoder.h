// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "capture.h"
#include "result.h"
#include "taskitem.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QTimeZone>

/*!
 * \brief Why a service answer did not decode: the member path and what was wrong.
 *
 * description() reads like "tasks[3].due_at: not an RFC 3339 time: 2025-03-01".
 */
struct DecodeError
{
    QString path;
    QString message;

    QString description() const { return path.isEmpty() ? message : path + QStringLiteral(": ") + message; }
    bool operator==(const DecodeError &) const = default;
};

template<typename T>
using Decoded = Result<T, DecodeError>;

/*!
 * \brief The strict reader of the service's JSON answers.
 *
 * snake_case members are matched to field names, time stamps must be RFC 3339,
 * integers must fit in 64 bits exactly, and a list fails when one element fails.
 * No partial record is ever returned.
 */
namespace Decoder {
/*! "capture_id" → "captureId"; a name without underscores is unchanged. */
QString fieldName(QStringView memberName);

/*! Date-time with or without fraction, "Z" or ±hh:mm; the result is a UTC QDateTime. */
Decoded<QDateTime> rfc3339(QStringView text);
/*! RFC 3339 without fraction in \a zone's offset ("Z" for a zero offset). */
QString formatRfc3339(const QDateTime &instant, const QTimeZone &zone);

Decoded<TaskItem> task(const QJsonValue &value, const QString &path = {});
Decoded<Capture> capture(const QJsonValue &value, const QString &path = {});
/*! An array of task objects; fails as a whole when one element fails ("tasks[3].due_at: …"). */
Decoded<QList<TaskItem>> tasks(const QJsonValue &value, const QString &path = {});
Decoded<CaptureResult> captureResult(const QJsonValue &value, const QString &path = {});

/*! Whole response bodies, as the endpoints receive them. */
Decoded<TaskItem> taskFromJson(const QByteArray &body);
Decoded<QList<TaskItem>> tasksFromJson(const QByteArray &body);
Decoded<Capture> captureFromJson(const QByteArray &body);
Decoded<QList<Capture>> capturesFromJson(const QByteArray &body);
Decoded<CaptureResult> captureResultFromJson(const QByteArray &body);
} // namespace Decoder
