// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "quiblyapi.h"

#include <QCoroNetworkReply>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QTimeZone>
#include <QUuid>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A reply may still be running when the coroutine that owns it is destroyed; deleting it
// later aborts it from the event loop instead of under the feet of its own signal.
struct LaterDeleter
{
    void operator()(QNetworkReply *reply) const { reply->deleteLater(); }
};
using ReplyPtr = std::unique_ptr<QNetworkReply, LaterDeleter>;

// Characters a path segment may carry unencoded besides the unreserved ones.
const QByteArray segmentSafe = QByteArrayLiteral("!$&'()*+,;=:@");

bool isHttp(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == u"http"_s || scheme == u"https"_s;
}

// Qt reports an HTTP error status through an error code too; those codes mean "an answer
// arrived", everything else means the exchange broke before the whole answer was read.
bool brokeInTransport(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::NoError:
    case QNetworkReply::InsecureRedirectError: // a redirect we refused to follow: its 3xx stands
    case QNetworkReply::ProtocolInvalidOperationError:
        return false;
    default:
        break;
    }
    const int code = int(error);
    const bool content = code >= 201 && code <= 299;
    const bool server = code >= 401 && code <= 499;
    return !(content || server);
}

QString rejectionCode(const QByteArray &body)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return u"unknown"_s;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isString())
            return u"unknown"_s;
    }
    const QJsonValue code = object.value(u"code"_s);
    return code.isString() ? code.toString() : u"unknown"_s;
}

APIError errorForStatus(int status, const QByteArray &body)
{
    if (status == 401)
        return APIError::unauthorized();
    if (status >= 400 && status <= 499)
        return APIError::rejected(rejectionCode(body));
    return APIError::server(status);
}

template<typename T>
ServiceResult<T> fromDecoded(Decoded<T> decoded)
{
    if (decoded.ok())
        return std::move(decoded).value();
    return ServiceError(std::move(decoded).error());
}

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray multipartBody(const QByteArray &boundary, const QueuedCapture &item, const QByteArray &png)
{
    QTimeZone zone(item.timeZone.toUtf8());
    if (!zone.isValid())
        zone = QTimeZone::systemTimeZone();
    const std::pair<QByteArray, QString> fields[] {
        { "id", item.id },
        { "local_time", Decoder::formatRfc3339(item.localTime, zone) },
        { "time_zone", item.timeZone },
        { "language", item.language },
    };

    QByteArray body;
    body.reserve(png.size() + 1024);
    for (const auto &[name, value] : fields) {
        body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n";
        body += value.toUtf8();
        body += "\r\n";
    }
    body += "--" + boundary
        + "\r\nContent-Disposition: form-data; name=\"image\"; filename=\"capture.png\"\r\n"
          "Content-Type: image/png\r\n\r\n";
    body += png;
    body += "\r\n--" + boundary + "--\r\n";
    return body;
}

} // namespace

QuiblyAPI::QuiblyAPI(QUrl baseURL, QString accessKey, QNetworkAccessManager *session,
                     std::chrono::milliseconds timeout)
    : m_baseURL(std::move(baseURL))
    , m_accessKey(std::move(accessKey))
    , m_session(session)
    , m_timeout(timeout)
{
}

QNetworkRequest QuiblyAPI::request(const QString &path) const
{
    QString fullPath = m_baseURL.path(QUrl::FullyEncoded);
    if (!fullPath.endsWith(u'/'))
        fullPath += u'/';
    const QStringList segments = path.split(u'/');
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (i > 0)
            fullPath += u'/';
        fullPath += QString::fromLatin1(QUrl::toPercentEncoding(segments.at(i), segmentSafe));
    }
    QUrl url = m_baseURL;
    url.setPath(fullPath, QUrl::StrictMode);

    QNetworkRequest request(url);
    request.setTransferTimeout(int(m_timeout.count()));
    // Redirects stay on the configured origin: anywhere else would receive the access key
    // and, on 307/308, the screenshot itself.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setRawHeader("Authorization", "Bearer " + m_accessKey.toUtf8());
    return request;
}

QCoro::Task<Result<QByteArray, APIError>> QuiblyAPI::data(QNetworkRequest request, QByteArray method,
                                                         std::optional<QByteArray> body, qint64 bodyLimit) const
{
    ReplyPtr reply(body ? m_session->sendCustomRequest(request, method, *body)
                        : m_session->sendCustomRequest(request, method));

    // Buffering stops at the limit: a broken or hostile server must not exhaust memory.
    // The connections die with this frame, so a reply outliving it calls nothing.
    QObject guard;
    bool tooLarge = false;
    auto enforceLimit = [&] {
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        if (reply->bytesAvailable() > bodyLimit || (announced.isValid() && announced.toLongLong() > bodyLimit)) {
            if (!tooLarge) {
                tooLarge = true;
                reply->abort();
            }
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &guard, enforceLimit);
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &guard, enforceLimit);

    co_await reply.get();

    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    if (tooLarge)
        co_return APIError::server(status);
    if (!isHttp(reply->url())) {
        if (reply->error() != QNetworkReply::NoError)
            co_return APIError::offline();
        co_return APIError::server(0);
    }
    if (!statusAttribute.isValid() || brokeInTransport(reply->error()))
        co_return APIError::offline();

    QByteArray answer = reply->readAll();
    if (status >= 200 && status <= 299)
        co_return answer;
    co_return errorForStatus(status, answer);
}

QCoro::Task<ServiceResult<Capture>> QuiblyAPI::upload(QueuedCapture item, QByteArray png) const
{
    const QByteArray boundary = "quibly-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper();
    QByteArray body = multipartBody(boundary, item, png);
    png = QByteArray(); // the body holds the only copy we need while the upload runs

    QNetworkRequest post = request(u"captures"_s);
    post.setRawHeader("Content-Type", "multipart/form-data; boundary=" + boundary);
    auto answer = co_await data(post, "POST", std::move(body), jsonBodyLimit);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::captureFromJson(answer.value()));
}

QCoro::Task<ServiceResult<CaptureResult>> QuiblyAPI::captureResult(QString id) const
{
    auto answer = co_await data(request(u"captures/"_s + id), "GET", std::nullopt, jsonBodyLimit);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::captureResultFromJson(answer.value()));
}

QCoro::Task<ServiceResult<QList<Capture>>> QuiblyAPI::openCaptures() const
{
    auto answer = co_await data(request(u"captures"_s), "GET", std::nullopt, jsonBodyLimit);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::capturesFromJson(answer.value()));
}

QCoro::Task<ServiceResult<QByteArray>> QuiblyAPI::captureImage(QString id) const
{
    auto answer = co_await data(request(u"captures/"_s + id + u"/image"_s), "GET", std::nullopt, imageBodyLimit);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return std::move(answer).value();
}

QCoro::Task<ServiceResult<Capture>> QuiblyAPI::retryCapture(QString id) const
{
    // No body at all, so no Content-Type is made up for it.
    auto answer = co_await data(request(u"captures/"_s + id + u"/retry"_s), "POST", std::nullopt, jsonBodyLimit);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::captureFromJson(answer.value()));
}

QCoro::Task<ServiceResult<std::monostate>> QuiblyAPI::deleteCapture(QString id) const
{
    auto answer = co_await data(request(u"captures/"_s + id), "DELETE", std::nullopt, jsonBodyLimit);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return std::monostate {};
}

QCoro::Task<ServiceResult<QList<TaskItem>>> QuiblyAPI::tasks() const
{
    auto answer = co_await data(request(u"tasks"_s), "GET", std::nullopt, jsonBodyLimit);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::tasksFromJson(answer.value()));
}

QCoro::Task<ServiceResult<TaskItem>> QuiblyAPI::createTask(QString title) const
{
    QNetworkRequest post = request(u"tasks"_s);
    post.setRawHeader("Content-Type", "application/json");
    QJsonObject fields;
    fields.insert(u"title"_s, title);
    QByteArray body = compact(fields);
    auto answer = co_await data(post, "POST", std::move(body), jsonBodyLimit);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::taskFromJson(answer.value()));
}

QCoro::Task<ServiceResult<TaskItem>> QuiblyAPI::updateTask(qint64 id, QJsonObject fields) const
{
    QNetworkRequest patch = request(u"tasks/"_s + QString::number(id));
    patch.setRawHeader("Content-Type", "application/json");
    QByteArray body = compact(fields);
    auto answer = co_await data(patch, "PATCH", std::move(body), jsonBodyLimit);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::taskFromJson(answer.value()));
}

QCoro::Task<ServiceResult<std::monostate>> QuiblyAPI::deleteTask(qint64 id) const
{
    auto answer = co_await data(request(u"tasks/"_s + QString::number(id)), "DELETE", std::nullopt, jsonBodyLimit);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return std::monostate {};
}
