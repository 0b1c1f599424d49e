// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "capture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace {
// The queue files count seconds from 2001-01-01T00:00:00Z; files written earlier must stay readable.
constexpr qint64 referenceEpochMs = 978307200000;
// Far beyond any real capture, and small enough that the conversion to milliseconds cannot overflow.
constexpr double maxAbsSeconds = 1e13;
} // namespace

QByteArray QueuedCapture::toFileJson() const
{
    const double seconds = double(localTime.toMSecsSinceEpoch() - referenceEpochMs) / 1000.0;
    const QJsonObject object {
        { QStringLiteral("id"), id },
        { QStringLiteral("localTime"), seconds },
        { QStringLiteral("timeZone"), timeZone },
        { QStringLiteral("language"), language },
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<QueuedCapture> QueuedCapture::fromFileJson(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue id = object.value(QLatin1StringView("id"));
    const QJsonValue localTime = object.value(QLatin1StringView("localTime"));
    const QJsonValue timeZone = object.value(QLatin1StringView("timeZone"));
    const QJsonValue language = object.value(QLatin1StringView("language"));
    if (!id.isString() || !localTime.isDouble() || !timeZone.isString() || !language.isString())
        return std::nullopt;

    const double seconds = localTime.toDouble();
    if (!std::isfinite(seconds) || std::abs(seconds) > maxAbsSeconds)
        return std::nullopt;
    // Written as a double: round to the nearest millisecond so that a write/read round trip is exact.
    const qint64 ms = std::llround(seconds * 1000.0) + referenceEpochMs;
    QDateTime instant = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    if (!instant.isValid())
        return std::nullopt;
    return QueuedCapture { id.toString(), std::move(instant), timeZone.toString(), language.toString() };
}
