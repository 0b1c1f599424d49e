// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "wirejson.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {
QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
} // namespace

QByteArray WireJson::capture(const QString &id, const QString &status, const QString &error)
{
    const QString time = QString::fromLatin1(stamp);
    return compact({ { u"id"_s, id },
                     { u"status"_s, status },
                     { u"error"_s, error },
                     { u"local_time"_s, time },
                     { u"time_zone"_s, u"Europe/Kyiv"_s },
                     { u"language"_s, u"en"_s },
                     { u"created_at"_s, time } });
}

QByteArray WireJson::task(qint64 id, const QString &title, const QString &priority, const QJsonValue &dueDate,
                          const QJsonValue &doneAt)
{
    return compact({ { u"id"_s, id },
                     { u"capture_id"_s, QJsonValue::Null },
                     { u"title"_s, title },
                     { u"description"_s, u"d"_s },
                     { u"priority"_s, priority },
                     { u"due_date"_s, dueDate },
                     { u"due_at"_s, QJsonValue::Null },
                     { u"source_app"_s, u"Mail"_s },
                     { u"source_person"_s, QJsonValue::Null },
                     { u"done_at"_s, doneAt },
                     { u"created_at"_s, QString::fromLatin1(stamp) },
                     { u"updated_at"_s, u"2025-03-01T10:00:00.250Z"_s } });
}

QByteArray WireJson::result(const QString &id, const QString &status, const QString &error, const QStringList &titles)
{
    QByteArrayList tasks;
    for (const QString &title : titles)
        tasks.append(task(100 + tasks.size(), title));
    return "{\"capture\":" + capture(id, status, error) + ",\"tasks\":[" + tasks.join(',') + "]}";
}

QString WireJson::uploadedId(const QByteArray &body)
{
    const QByteArray marker = "name=\"id\"\r\n\r\n";
    const qsizetype start = body.indexOf(marker);
    if (start < 0)
        return {};
    const qsizetype from = start + marker.size();
    return QString::fromUtf8(body.mid(from, body.indexOf("\r\n", from) - from));
}

FakeService::Handler WireJson::acceptUploads(const QString &status, const QStringList &titles)
{
    using Reply = FakeService::Reply;
    return [status, titles](const FakeService::Request &request) {
        if (request.method == "POST" && request.path == "/captures")
            return Reply::json(201, capture(uploadedId(request.body), u"pending"_s));
        if (!status.isEmpty() && request.method == "GET" && request.path.startsWith("/captures/"))
            return Reply::json(200, result(QString::fromUtf8(request.path.mid(10)), status, {}, titles));
        return Reply::json(404, R"({"code":"not_found"})");
    };
}

QByteArray WireJson::form(const QByteArray &boundary, const QList<std::pair<QByteArray, QByteArray>> &fields,
                          const QByteArray &image)
{
    QByteArray body;
    for (const auto &[name, value] : fields)
        body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    return body + "--" + boundary + "\r\nContent-Disposition: form-data; name=\"image\"; filename=\"capture.png\"\r\n"
        + "Content-Type: image/png\r\n\r\n" + image + "\r\n--" + boundary + "--\r\n";
}
