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

template<typename T> using Decoded = Result<T, DecodeError>;

/*!
 * \brief The strict reader of the service's JSON answers.
 *
 * snake_case members are matched to field names, time stamps must be RFC 3339,
 * integers must fit in 64 bits exactly, and a list fails when one element fails.
 * No partial record is ever returned.
 */
namespace Decoder {
/*!
 * "capture_id" → "captureId"; a name without inner underscores is unchanged. Leading and trailing underscores
 * are kept, the first word is lower-cased and later ones capitalised ("Due_AT" → "dueAt").
 */
QString fieldName(QStringView memberName);

/*!
 * \brief Reads exactly YYYY-MM-DDThh:mm:ss[.fraction](Z|±hh:mm) into a UTC QDateTime.
 *
 * Fields are range-checked (the day against its month). The fraction may have any number of digits and is
 * truncated to milliseconds. As RFC 3339 allows, "t" and "z" may be lower-case; a space for the "T" is refused.
 * A leap second (hh:mm:60 at 23:59 UTC) reads as 23:59:59.999. Anything else fails with the message
 * "not an RFC 3339 time: " followed by \a text.
 */
Decoded<QDateTime> rfc3339(QStringView text);
/*!
 * \brief RFC 3339 without fraction, in \a zone's offset at \a instant: "2025-03-01T12:00:00+02:00", or "Z" for a
 * zero offset.
 *
 * An invalid zone means the system zone. Offsets with seconds (old local mean times) are cut to whole minutes and
 * the clock time shifted to match, so the text still names \a instant's second. Empty for an invalid instant or
 * one outside the years 0000–9999.
 */
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
