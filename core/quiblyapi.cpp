// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "quiblyapi.h"

#include <QCoroNetworkReply>
#include <QCryptographicHash>
#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QTimeZone>
#include <QUuid>

#include <cstring>
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
    case QNetworkReply::ProtocolInvalidOperationError:
        return false;
    default:
        break;
    }
    // Content (2xx codes) and server (4xx codes) errors stand for HTTP statuses.
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

constexpr int maxRedirects = 10;

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool sameOrigin(const QUrl &a, const QUrl &b)
{
    const QString scheme = a.scheme().toLower();
    const int defaultPort = scheme == u"https"_s ? 443 : 80;
    return scheme == b.scheme().toLower() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0
        && a.port(defaultPort) == b.port(defaultPort);
}

// A request body made of pieces (the form's fields, the image, the closing boundary), read
// by Qt where they lie, so that a large screenshot is not copied into one more buffer of its
// size for the upload. Random access rather than sequential: Qt then neither buffers it
// whole nor loses the way back to its start when it has to send the request again.
class PiecedBody final : public QIODevice
{
public:
    explicit PiecedBody(QByteArrayList pieces)
        : m_pieces(std::move(pieces))
    {
        for (const QByteArray &piece : std::as_const(m_pieces))
            m_size += piece.size();
    }

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_size; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        qint64 skip = pos();
        qint64 copied = 0;
        for (const QByteArray &piece : std::as_const(m_pieces)) {
            if (copied == maxSize)
                break;
            if (skip >= piece.size()) {
                skip -= piece.size();
                continue;
            }
            const qint64 count = std::min(piece.size() - skip, maxSize - copied);
            std::memcpy(data + copied, piece.constData() + skip, size_t(count));
            copied += count;
            skip = 0;
        }
        return copied;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArrayList m_pieces;
    qint64 m_size = 0;
};

QNetworkReply *send(QNetworkAccessManager *session, const QNetworkRequest &request, const QByteArray &method,
                    const std::optional<QByteArrayList> &body)
{
    if (body) {
        // Unbuffered: QIODevice would otherwise copy every read through a buffer of its own.
        auto *device = new PiecedBody(*body);
        device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        QNetworkReply *reply = session->sendCustomRequest(request, method, device);
        device->setParent(reply);
        return reply;
    }
    // GET and DELETE through their own calls, so that every scheme Qt knows can answer them.
    if (method == "GET")
        return session->get(request);
    if (method == "DELETE")
        return session->deleteResource(request);
    return session->sendCustomRequest(request, method);
}

APIError errorForStatus(int status, const QByteArray &body)
{
    if (status == 401)
        return APIError::unauthorized();
    if (status >= 400 && status <= 499)
        return APIError::rejected(rejectionCode(body));
    return APIError::server(status);
}

template<typename T> ServiceResult<T> fromDecoded(Decoded<T> decoded)
{
    if (decoded.ok())
        return std::move(decoded).value();
    return ServiceError(std::move(decoded).error());
}

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The form around the image: everything before it and the closing boundary after it. The
// image itself stays where the caller's buffer holds it.
QByteArrayList multipartBody(const QByteArray &boundary, const QueuedCapture &item, const QByteArray &png)
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

    QByteArray head;
    for (const auto &[name, value] : fields) {
        head += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n";
        head += value.toUtf8();
        head += "\r\n";
    }
    head += "--" + boundary
        + "\r\nContent-Disposition: form-data; name=\"image\"; filename=\"capture.png\"\r\n"
          "Content-Type: image/png\r\n\r\n";
    return { head, png, "\r\n--" + boundary + "--\r\n" };
}

} // namespace

QuiblyAPI::QuiblyAPI(QUrl baseURL, QString accessKey, QNetworkAccessManager *session, std::chrono::milliseconds timeout)
    : m_baseURL(std::move(baseURL))
    , m_accessKey(std::move(accessKey))
    , m_session(session)
    , m_timeout(timeout)
{ }

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
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setRawHeader("Authorization", "Bearer " + m_accessKey.toUtf8());
    return request;
}

QCoro::Task<Result<QuiblyAPI::Answer, APIError>>
QuiblyAPI::data(QNetworkRequest request, QByteArray method, std::optional<QByteArrayList> body, qint64 bodyLimit) const
{
    // A line break would end the Authorization header early and send the rest of the key as
    // headers of its own; no valid key contains one.
    if (m_accessKey.contains(u'\r') || m_accessKey.contains(u'\n') || m_accessKey.contains(QChar(0)))
        co_return APIError::unauthorized();

    for (int redirects = 0;; ++redirects) {
        ReplyPtr reply(send(m_session, request, method, body));

        // Buffering stops at the limit: a broken or hostile server must not exhaust memory.
        // The connections die with this scope, so a reply outliving it calls nothing.
        QObject guard;
        bool tooLarge = false;
        // bytesAvailable() counts decompressed bytes, so a small compressed answer that
        // would unpack into gigabytes stops here too.
        auto enforceLimit = [&] {
            const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
            if (!tooLarge
                && (reply->bytesAvailable() > bodyLimit
                    || (announced.isValid() && announced.toLongLong() > bodyLimit))) {
                tooLarge = true;
                reply->abort();
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

        // Redirects are followed here rather than by Qt: only within the configured origin
        // (anywhere else would receive the access key and, on 307/308, the screenshot), and
        // without Qt 6.4's occasional double send of a redirected upload.
        const QByteArray location = reply->rawHeader("Location");
        if (isRedirect(status) && !location.isEmpty()) {
            const QUrl target = reply->url().resolved(QUrl::fromEncoded(location));
            if (!sameOrigin(target, m_baseURL))
                co_return APIError::server(status);
            if (redirects == maxRedirects)
                co_return APIError::offline();
            request.setUrl(target);
            if (status == 303 || ((status == 301 || status == 302) && method == "POST")) {
                method = "GET";
                body.reset();
                request.setHeader(QNetworkRequest::ContentTypeHeader, QVariant());
            }
            continue;
        }

        if (status == 304 && request.hasRawHeader("If-None-Match"))
            co_return Answer { {}, reply->rawHeader("ETag"), true };
        QByteArray answer = reply->readAll();
        // Qt 6.4 reports a connection closed before the announced length as a success. Qt
        // decompresses gzip and deflate itself (it asks for them unless told otherwise); the
        // announced length is then the compressed one, and a broken stream is an error.
        const bool encoded = reply->hasRawHeader("Content-Encoding");
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        if (announced.isValid() && !encoded && announced.toLongLong() != answer.size())
            co_return APIError::offline();
        if (encoded && reply->error() != QNetworkReply::NoError && status >= 200 && status <= 299)
            co_return APIError::server(status);
        if (status >= 200 && status <= 299)
            co_return Answer { std::move(answer), reply->rawHeader("ETag"), false };
        co_return errorForStatus(status, answer);
    }
}

QCoro::Task<ServiceResult<Capture>> QuiblyAPI::upload(QueuedCapture item, QByteArray png) const
{
    const QByteArray boundary = "quibly-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper();
    QByteArrayList body = multipartBody(boundary, item, png);
    png = QByteArray(); // the body shares the image; no other reference keeps it alive

    QNetworkRequest post = request(u"captures"_s);
    post.setRawHeader("Content-Type", "multipart/form-data; boundary=" + boundary);
    auto sending = data(post, "POST", std::move(body), jsonBodyLimit);
    auto answer = co_await std::move(sending);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::captureFromJson(answer.value().body));
}

QCoro::Task<ServiceResult<CaptureResult>> QuiblyAPI::captureResult(QString id) const
{
    auto sending = data(request(u"captures/"_s + id), "GET", std::nullopt, jsonBodyLimit);
    auto answer = co_await std::move(sending);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::captureResultFromJson(answer.value().body));
}

QCoro::Task<ServiceResult<QList<Capture>>> QuiblyAPI::openCaptures() const
{
    auto sending = data(request(u"captures"_s), "GET", std::nullopt, jsonBodyLimit);
    auto answer = co_await std::move(sending);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::capturesFromJson(answer.value().body));
}

QCoro::Task<ServiceResult<QByteArray>> QuiblyAPI::captureImage(QString id) const
{
    auto sending = data(request(u"captures/"_s + id + u"/image"_s), "GET", std::nullopt, imageBodyLimit);
    auto answer = co_await std::move(sending);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return std::move(answer).value().body;
}

QCoro::Task<ServiceResult<Capture>> QuiblyAPI::retryCapture(QString id) const
{
    // No body at all, so no Content-Type is made up for it.
    auto sending = data(request(u"captures/"_s + id + u"/retry"_s), "POST", std::nullopt, jsonBodyLimit);
    auto answer = co_await std::move(sending);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::captureFromJson(answer.value().body));
}

QCoro::Task<ServiceResult<std::monostate>> QuiblyAPI::deleteCapture(QString id) const
{
    auto sending = data(request(u"captures/"_s + id), "DELETE", std::nullopt, jsonBodyLimit);
    auto answer = co_await std::move(sending);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return serviceSuccess();
}

QCoro::Task<ServiceResult<QList<TaskItem>>> QuiblyAPI::tasks() const
{
    auto sending = data(request(u"tasks"_s), "GET", std::nullopt, jsonBodyLimit);
    auto answer = co_await std::move(sending);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::tasksFromJson(answer.value().body));
}

QByteArray QuiblyAPI::listingSource() const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(m_baseURL.toEncoded());
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(m_accessKey.toUtf8());
    return hash.result();
}

template<typename T, typename Decode>
QCoro::Task<ServiceResult<std::optional<Listing<T>>>> QuiblyAPI::list(QString path, Listing<T> known,
                                                                      Decode decode) const
{
    QNetworkRequest get = request(path);
    const QByteArray source = listingSource();
    if (!known.etag.isEmpty() && known.source == source)
        get.setRawHeader("If-None-Match", known.etag);
    auto sending = data(get, "GET", std::nullopt, jsonBodyLimit);
    auto answer = co_await std::move(sending);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    if (answer.value().notModified)
        co_return std::optional<Listing<T>>();
    auto decoded = decode(answer.value().body);
    if (!decoded.ok())
        co_return ServiceError(std::move(decoded).error());
    co_return std::optional<Listing<T>>(Listing<T> { std::move(decoded).value(), answer.value().etag, source });
}

QCoro::Task<ServiceResult<std::optional<Listing<Capture>>>> QuiblyAPI::openCaptures(Listing<Capture> known) const
{
    return list(u"captures"_s, std::move(known), &Decoder::capturesFromJson);
}

QCoro::Task<ServiceResult<std::optional<Listing<TaskItem>>>> QuiblyAPI::tasks(Listing<TaskItem> known) const
{
    return list(u"tasks"_s, std::move(known), &Decoder::tasksFromJson);
}

QCoro::Task<ServiceResult<TaskItem>> QuiblyAPI::createTask(QString title) const
{
    QNetworkRequest post = request(u"tasks"_s);
    post.setRawHeader("Content-Type", "application/json");
    QJsonObject fields;
    fields.insert(u"title"_s, title);
    auto sending = data(post, "POST", QByteArrayList { compact(fields) }, jsonBodyLimit);
    auto answer = co_await std::move(sending);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::taskFromJson(answer.value().body));
}

QCoro::Task<ServiceResult<TaskItem>> QuiblyAPI::updateTask(qint64 id, QJsonObject fields) const
{
    QNetworkRequest patch = request(u"tasks/"_s + QString::number(id));
    patch.setRawHeader("Content-Type", "application/json");
    auto sending = data(patch, "PATCH", QByteArrayList { compact(fields) }, jsonBodyLimit);
    auto answer = co_await std::move(sending);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return fromDecoded(Decoder::taskFromJson(answer.value().body));
}

QCoro::Task<ServiceResult<std::monostate>> QuiblyAPI::deleteTask(qint64 id) const
{
    auto sending = data(request(u"tasks/"_s + QString::number(id)), "DELETE", std::nullopt, jsonBodyLimit);
    auto answer = co_await std::move(sending);
    if (!answer.ok())
        co_return ServiceError(answer.error());
    co_return serviceSuccess();
}
