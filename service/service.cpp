// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "service.h"

#include "database.h"
#include "httpcontent.h"
#include "jsonwriter.h"
#include "multipart.h"
#include "recognitionpool.h"
#include "recognizer.h"
#include "taskbody.h"
#include "timeformat.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLoggingCategory>
#include <QSslCertificate>
#include <QSslKey>
#include <QTimer>

#include <QUuid>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

Q_LOGGING_CATEGORY(lcService, "quibly.service", QtInfoMsg)

namespace {

// Room for the four small form fields and the part headers around a full-size image.
constexpr qint64 MaxBodyBytes = Service::MaxImageBytes + 64 * 1024;

HttpResponse json(int status, QByteArray body)
{
    return { status, "application/json", std::move(body), {} };
}

HttpResponse errorResponse(int status, const char *code)
{
    HttpResponse response { status, "application/json", QByteArray(R"({"code":")") + code + "\"}", {} };
    if (status == 401)
        response.headers.append(std::pair<QByteArray, QByteArray>("WWW-Authenticate", "Bearer"));
    return response;
}

HttpResponse notFound()
{
    return errorResponse(404, "not_found");
}

HttpResponse invalid()
{
    return errorResponse(400, "invalid_request");
}

HttpResponse noContent()
{
    return { 204, {}, {}, {} };
}

// The validators of a list whose state \a version names, as sent and as sent gzipped:
// the two are different representations, so they carry different strong tags.
QList<QByteArray> listTags(const QByteArray &version)
{
    return { '"' + version + '"', '"' + version + "-gzip\"" };
}

// A list answer, or 304 when the client holds the current one already.
template<typename Body> HttpResponse conditionalList(const HttpRequest &request, const QByteArray &version, Body body)
{
    const QList<QByteArray> tags = listTags(version);
    if (const auto match = HttpContent::matchingTag(request.headerValues("if-none-match"), tags))
        return { 304, {}, {}, { { "ETag", *match }, { "Vary", "Accept-Encoding" } } };
    return { 200, "application/json", body(), { { "ETag", tags.front() } } };
}

// JSON answers go out gzipped to clients that accept it, once they are large enough to gain.
void compress(const HttpRequest &request, HttpResponse &response)
{
    if (response.contentType != "application/json" || response.status < 200 || response.status > 299)
        return;
    response.headers.append(std::pair<QByteArray, QByteArray>("Vary", "Accept-Encoding"));
    if (response.body.size() < HttpContent::MinCompressedSize
        || !HttpContent::acceptsGzip(request.headerValues("accept-encoding")))
        return;
    QByteArray packed = HttpContent::gzip(response.body);
    if (packed.isEmpty())
        return;
    response.body = std::move(packed);
    response.headers.append(std::pair<QByteArray, QByteArray>("Content-Encoding", "gzip"));
    for (auto &[name, value] : response.headers) {
        if (name == "ETag")
            value = listTags(value.sliced(1, value.size() - 2)).back();
    }
}

// Capture ids travel in paths and are chosen by clients (UUIDs in practice): keep them
// to characters that need no escaping anywhere and can never form "." or "..".
bool isCaptureId(QByteArrayView id)
{
    if (id.isEmpty() || id.size() > 64)
        return false;
    for (char c : id) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_'))
            return false;
    }
    return true;
}

std::optional<qint64> taskId(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 20)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text[i] >= '0' && text[i] <= '9') && !(i == 0 && text[i] == '-' && text.size() > 1))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 id = text.toByteArray().toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

bool isTimeZoneText(QByteArrayView zone)
{
    if (zone.isEmpty() || zone.size() > 100)
        return false;
    for (char c : zone) {
        if (c <= ' ' || c > '~')
            return false;
    }
    return true;
}

// A language tag such as "en", "uk" or "pt-BR": unknown ones are the recognizer's to handle.
bool isLanguageTag(QByteArrayView tag)
{
    if (tag.size() < 2 || tag.size() > 35)
        return false;
    const QList<QByteArray> subtags = tag.toByteArray().split('-');
    for (qsizetype i = 0; i < subtags.size(); ++i) {
        const QByteArray &s = subtags[i];
        if (s.isEmpty() || s.size() > 8 || (i == 0 && (s.size() < 2 || s.size() > 3)))
            return false;
        for (char c : s) {
            const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            if (!letter && !(i > 0 && c >= '0' && c <= '9'))
                return false;
        }
    }
    return true;
}

QByteArray imageType(const QByteArray &bytes)
{
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return "image/png";
    if (bytes.startsWith("\xff\xd8\xff"))
        return "image/jpeg";
    return "application/octet-stream";
}

// A recognizer is trusted to be well-behaved, not to be right about the wire form.
QList<RecognizedTask> cleanTasks(const QList<RecognizedTask> &tasks)
{
    QList<RecognizedTask> result;
    for (RecognizedTask t : tasks) {
        t.title = t.title.trimmed().left(TaskBody::MaxTitleLength);
        if (t.title.isEmpty())
            continue;
        t.description = t.description.left(TaskBody::MaxDescriptionLength);
        if (t.priority != u"high" && t.priority != u"medium" && t.priority != u"low")
            t.priority = QStringLiteral("medium");
        if (t.dueDate && !TimeFormat::isCalendarDay(*t.dueDate))
            t.dueDate.reset();
        if (t.dueAt && !t.dueAt->isValid())
            t.dueAt.reset();
        if (t.sourceApp && t.sourceApp->trimmed().isEmpty())
            t.sourceApp.reset();
        if (t.sourcePerson && t.sourcePerson->trimmed().isEmpty())
            t.sourcePerson.reset();
        result.append(t);
    }
    return result;
}

} // namespace

Service::Service(ServiceConfig config, std::shared_ptr<Recognizer> recognizer, QObject *parent)
    : QObject(parent)
    , m_config(std::move(config))
    , m_recognizer(std::move(recognizer))
{ }

Service::~Service()
{
    stop();
}

bool Service::start(QString *error)
{
    stop();
    std::optional<QSslConfiguration> tls;
    if (!m_config.tlsCertificate.isEmpty() || !m_config.tlsKey.isEmpty()) {
        if (m_config.tlsCertificate.isEmpty() || m_config.tlsKey.isEmpty()) {
            *error = QStringLiteral("--tls-cert and --tls-key go together");
            return false;
        }
        const auto chain = QSslCertificate::fromPath(m_config.tlsCertificate, QSsl::Pem);
        if (chain.isEmpty()) {
            *error = QStringLiteral("no PEM certificate in %1").arg(m_config.tlsCertificate);
            return false;
        }
        QFile keyFile(m_config.tlsKey);
        if (!keyFile.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(m_config.tlsKey, keyFile.errorString());
            return false;
        }
        const QByteArray keyPem = keyFile.readAll();
        QSslKey key(keyPem, QSsl::Rsa, QSsl::Pem);
        if (key.isNull())
            key = QSslKey(keyPem, QSsl::Ec, QSsl::Pem);
        if (key.isNull()) {
            *error = QStringLiteral("no unencrypted RSA or EC private key in %1").arg(m_config.tlsKey);
            return false;
        }
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificateChain(chain);
        configuration.setPrivateKey(key);
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        tls = configuration;
    }

    m_db = Database::open(m_config.database.isEmpty() ? m_config.dataDir : m_config.database, error);
    if (!m_db)
        return false;
    m_instance = QUuid::createUuid().toString(QUuid::WithoutBraces);

    m_http = std::make_unique<HttpServer>(
        MaxBodyBytes, [this](const HttpRequest &request) { return handle(request); },
        [this](const HttpRequest &head) -> std::optional<HttpResponse> {
            // A body is only received for a known key.
            try {
                if (!authenticate(head))
                    return errorResponse(401, "unauthorized");
            } catch (const DatabaseError &e) {
                return storeFailure(e);
            }
            return std::nullopt;
        });
    if (!m_http->listen(m_config.address, m_config.port, tls, error)) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(m_config.address.toString(), QString::number(m_config.port), *error);
        m_http.reset();
        m_db.reset();
        return false;
    }

    m_pool = std::make_unique<RecognitionPool>(m_recognizer, m_config.workers);
    connect(m_pool.get(), &RecognitionPool::finished, this, &Service::recognitionFinished);
    m_running = 0;
    // Jobs queued here are taken at once; the timer renews this instance's leases and
    // finds jobs queued elsewhere or left by an instance whose lease ran out.
    m_jobTimer = new QTimer(this);
    m_jobTimer->setInterval(int(std::clamp<qint64>(m_config.leaseMs / 3, 50, 1000)));
    connect(m_jobTimer, &QTimer::timeout, this, [this] {
        try {
            m_db->ensureConnected();
            if (m_running > 0)
                m_db->renewLeases(m_instance, m_config.leaseMs);
        } catch (const DatabaseError &e) {
            storeFailure(e);
            return;
        }
        takeJobs();
    });
    m_jobTimer->start();
    takeJobs();
    return true;
}

void Service::stop()
{
    if (m_http)
        m_http->close();
    m_http.reset();
    delete m_jobTimer;
    m_jobTimer = nullptr;
    m_pool.reset(); // waits for running recognitions; their outcomes are dropped
    if (m_db) {
        try {
            m_db->releaseLeases(m_instance); // for another instance, or the next start, to take at once
        } catch (const DatabaseError &) {
            // They run out by themselves.
        }
    }
    m_db.reset();
}

quint16 Service::port() const
{
    return m_http ? m_http->port() : 0;
}

std::optional<qint64> Service::authenticate(const HttpRequest &request)
{
    const QByteArray authorization = request.header("authorization");
    if (authorization.size() < 8 || authorization.first(7).toLower() != "bearer ")
        return std::nullopt;
    const QByteArray key = authorization.sliced(7);
    if (key.isEmpty())
        return std::nullopt;
    return m_db->userForKeyHash(QCryptographicHash::hash(key, QCryptographicHash::Sha256));
}

HttpResponse Service::handle(const HttpRequest &request)
{
    HttpResponse response = route(request);
    compress(request, response);
    return response;
}

HttpResponse Service::storeFailure(const DatabaseError &error)
{
    if (!error.unavailable()) {
        qCWarning(lcService) << "store failure:" << error.what();
        return errorResponse(500, "internal_error");
    }
    // Once per outage: every request meets it until the database is back.
    if (!m_storeDown)
        qCWarning(lcService) << "database unavailable, answering 503 until it is back:" << error.what();
    m_storeDown = true;
    HttpResponse response = errorResponse(503, "unavailable");
    response.headers.append(std::pair<QByteArray, QByteArray>("Retry-After", "5"));
    return response;
}

HttpResponse Service::route(const HttpRequest &request)
{
    try {
        m_db->ensureConnected();
        if (m_storeDown) {
            qCInfo(lcService) << "database available again";
            m_storeDown = false;
        }
        const auto user = authenticate(request);
        if (!user)
            return errorResponse(401, "unauthorized");
        if (request.bodyTooLarge)
            return errorResponse(413, "too_large");

        QList<QByteArray> segments = request.path.sliced(1).split('/');
        for (QByteArray &segment : segments)
            segment = QByteArray::fromPercentEncoding(segment);
        const QByteArray &method = request.method;
        const auto methodNotAllowed = [] { return errorResponse(405, "method_not_allowed"); };

        if (segments.first() == "captures") {
            if (segments.size() == 1) {
                if (method == "POST")
                    return uploadCapture(*user, request);
                if (method == "GET")
                    return openCaptures(*user, request);
                return methodNotAllowed();
            }
            if (segments.size() > 3 || !isCaptureId(segments[1]))
                return notFound();
            const QString id = QString::fromLatin1(segments[1]);
            if (segments.size() == 2) {
                if (method == "GET")
                    return captureResult(*user, id);
                if (method == "DELETE")
                    return deleteCapture(*user, id);
                return methodNotAllowed();
            }
            if (segments[2] == "image")
                return method == "GET" ? captureImage(*user, id) : methodNotAllowed();
            if (segments[2] == "retry")
                return method == "POST" ? retryCapture(*user, id) : methodNotAllowed();
            return notFound();
        }
        if (segments.first() == "tasks") {
            if (segments.size() == 1) {
                if (method == "GET")
                    return listTasks(*user, request);
                if (method == "POST")
                    return createTask(*user, request);
                return methodNotAllowed();
            }
            if (segments.size() == 2) {
                if (method == "PATCH")
                    return updateTask(*user, segments[1], request);
                if (method == "DELETE")
                    return deleteTask(*user, segments[1]);
                return methodNotAllowed();
            }
        }
        return notFound();
    } catch (const DatabaseError &e) {
        return storeFailure(e);
    }
}

HttpResponse Service::uploadCapture(qint64 user, const HttpRequest &request)
{
    const auto boundary = Multipart::boundary(request.header("content-type"));
    if (!boundary)
        return invalid();
    const auto parts = Multipart::parse(request.body, *boundary);
    if (!parts)
        return invalid();

    QHash<QByteArray, const Multipart::Part *> fields;
    for (const Multipart::Part &part : *parts) {
        if (fields.contains(part.name))
            return invalid();
        fields.insert(part.name, &part);
    }
    for (const char *name : { "id", "local_time", "time_zone", "language", "image" }) {
        if (!fields.contains(name))
            return invalid();
    }
    const QByteArray &image = fields.value("image")->body;
    if (image.size() > MaxImageBytes)
        return errorResponse(413, "too_large");
    const QByteArray &id = fields.value("id")->body;
    const auto localTime = TimeFormat::parseInstant(QString::fromUtf8(fields.value("local_time")->body));
    const QByteArray &timeZone = fields.value("time_zone")->body;
    const QByteArray &language = fields.value("language")->body;
    if (!isCaptureId(id) || !localTime || !isTimeZoneText(timeZone) || !isLanguageTag(language))
        return invalid();

    CaptureRecord capture;
    capture.userId = user;
    capture.id = QString::fromLatin1(id);
    capture.localTime = localTime->toMSecsSinceEpoch();
    capture.timeZone = QString::fromLatin1(timeZone);
    capture.language = QString::fromLatin1(language);
    bool created = false;
    const CaptureRecord stored = m_db->addCapture(capture, image, &created);
    if (created)
        takeJobs();
    return json(created ? 201 : 200, JsonWriter::capture(stored));
}

HttpResponse Service::captureResult(qint64 user, const QString &id)
{
    const auto capture = m_db->capture(user, id);
    if (!capture)
        return notFound();
    return json(200, JsonWriter::captureResult(*capture, m_db->tasksOfCapture(capture->row)));
}

HttpResponse Service::openCaptures(qint64 user, const HttpRequest &request)
{
    // The version is read before the list: a write in between makes the tag older than
    // the list, which costs one needless transfer later, never a missed change.
    return conditionalList(request, m_db->userVersion(user),
                           [&] { return JsonWriter::captures(m_db->openCaptures(user)); });
}

HttpResponse Service::captureImage(qint64 user, const QString &id)
{
    const auto capture = m_db->capture(user, id);
    if (!capture)
        return notFound();
    auto image = m_db->image(capture->row);
    if (!image) {
        qCWarning(lcService) << "image of capture" << capture->row << "is missing";
        return notFound();
    }
    HttpResponse response { 200, {}, std::move(*image), {} };
    response.contentType = imageType(response.body);
    return response;
}

HttpResponse Service::retryCapture(qint64 user, const QString &id)
{
    auto capture = m_db->capture(user, id);
    if (!capture)
        return notFound();
    // Only a failed capture is read again; a pending one is still being read and a
    // done one keeps its tasks. Either way the answer is the capture as it now is.
    if (capture->status == u"failed") {
        capture = m_db->restartCapture(capture->row);
        takeJobs();
    }
    return json(200, JsonWriter::capture(*capture));
}

HttpResponse Service::deleteCapture(qint64 user, const QString &id)
{
    const auto capture = m_db->capture(user, id);
    if (!capture)
        return notFound();
    m_db->deleteCapture(capture->row);
    return noContent();
}

HttpResponse Service::listTasks(qint64 user, const HttpRequest &request)
{
    return conditionalList(request, m_db->userVersion(user), [&] { return JsonWriter::tasks(m_db->tasks(user)); });
}

HttpResponse Service::createTask(qint64 user, const HttpRequest &request)
{
    const auto title = TaskBody::readNewTask(request.body);
    if (!title)
        return invalid();
    return json(201, JsonWriter::task(m_db->addTask(user, *title)));
}

HttpResponse Service::updateTask(qint64 user, const QByteArray &id, const HttpRequest &request)
{
    const auto number = taskId(id);
    auto task = number ? m_db->task(user, *number) : std::nullopt;
    if (!task)
        return notFound();
    const auto changes = TaskBody::readChanges(request.body);
    if (!changes)
        return invalid();
    if (changes->title)
        task->title = *changes->title;
    if (changes->description)
        task->description = *changes->description;
    if (changes->priority)
        task->priority = *changes->priority;
    if (changes->dueDate)
        task->dueDate = *changes->dueDate;
    if (changes->dueAt)
        task->dueAt = *changes->dueAt ? std::optional<qint64>((*changes->dueAt)->toMSecsSinceEpoch()) : std::nullopt;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (changes->done) {
        if (!*changes->done)
            task->doneAt.reset();
        else if (!task->doneAt)
            task->doneAt = now;
    }
    if (*changes != TaskBody::Changes()) {
        task->updatedAt = now;
        m_db->saveTask(*task);
    }
    return json(200, JsonWriter::task(*task));
}

HttpResponse Service::deleteTask(qint64 user, const QByteArray &id)
{
    const auto number = taskId(id);
    if (!number || !m_db->deleteTask(user, *number))
        return notFound();
    return noContent();
}

void Service::takeJobs()
{
    if (!m_db || !m_pool)
        return;
    try {
        while (m_running < m_config.workers) {
            const auto job = m_db->claimJob(m_instance, m_config.leaseMs);
            if (!job)
                break;
            ++m_running;
            startRecognition(*job);
        }
    } catch (const DatabaseError &e) {
        storeFailure(e);
    }
}

void Service::startRecognition(const CaptureRecord &capture)
{
    RecognitionRequest context;
    context.localTime = QDateTime::fromMSecsSinceEpoch(capture.localTime, Qt::UTC);
    context.timeZone = capture.timeZone;
    context.language = capture.language;
    const QString file = m_db->imageFile(capture.row);
    if (file.isEmpty()) {
        // Held by the store itself: read once here and handed over.
        auto image = m_db->image(capture.row);
        if (!image) {
            QMetaObject::invokeMethod(
                this,
                [this, row = capture.row, attempt = capture.attempt] {
                    recognitionFinished(row, attempt, { false, QStringLiteral("image_missing"), {} });
                },
                Qt::QueuedConnection);
            return;
        }
        context.image = std::move(*image);
    }
    m_pool->submit(capture.row, capture.attempt, file, std::move(context));
}

void Service::recognitionFinished(qint64 captureRow, int attempt, const RecognitionResult &result)
{
    if (!m_db)
        return;
    m_running = qMax(0, m_running - 1);
    QString error = result.error;
    if (!result.done && error.isEmpty())
        error = QStringLiteral("recognition_failed");
    try {
        m_db->finishCapture(captureRow, attempt, result.done, error, cleanTasks(result.tasks));
    } catch (const DatabaseError &e) {
        // The capture stays pending; once the lease runs out it is read again.
        qCWarning(lcService) << "cannot store the outcome of capture" << captureRow << ":" << e.what();
    }
    takeJobs();
}
