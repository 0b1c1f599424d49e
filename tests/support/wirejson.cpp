// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "wirejson.h"

#include <QJsonDocument>
#include <QJsonObject>

QByteArray WireJson::capture(const QString &id, const QString &status, const QString &error)
{
    const QString time = QString::fromLatin1(stamp);
    return QJsonDocument(QJsonObject { { QStringLiteral("id"), id },
                                       { QStringLiteral("status"), status },
                                       { QStringLiteral("error"), error },
                                       { QStringLiteral("local_time"), time },
                                       { QStringLiteral("time_zone"), QStringLiteral("Europe/Kyiv") },
                                       { QStringLiteral("language"), QStringLiteral("en") },
                                       { QStringLiteral("created_at"), time } })
        .toJson(QJsonDocument::Compact);
}
