// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "fakeservice.h"
#include "quiblyapi.h"
#include "testawait.h"
#include "testpki.h"

#include <QCoroTask>
#include <QFile>
#include <QNetworkAccessManager>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <memory>

#include <zlib.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Reply = FakeService::Reply;

namespace {

const QByteArray captureJson = R"({"id":"6f1c2b1e-0000-4000-8000-000000000001","status":"pending","error":"",)"
                               R"("local_time":"2025-03-01T12:00:00+02:00","time_zone":"Europe/Kyiv",)"
                               R"("language":"uk","created_at":"2025-03-01T10:00:01Z"})";
const QByteArray taskJson = R"({"id":42,"title":"Call Anna","description":"","priority":"high",)"
                            R"("created_at":"2025-03-01T10:00:00Z","updated_at":"2025-03-01T10:00:00Z"})";
const QByteArray captureResultJson = R"({"capture":)" + captureJson + R"(,"tasks":[)" + taskJson + "]}";

QueuedCapture sampleItem(const QString &zone = u"Europe/Kyiv"_s)
{
    return { u"6f1c2b1e-0000-4000-8000-000000000001"_s, QDateTime(QDate(2025, 3, 1), QTime(10, 0), QTimeZone::utc()),
             zone, u"uk"_s };
}

// The form upload() sends for sampleItem() with \a png, given the boundary it chose.
QByteArray expectedForm(const QByteArray &b, const QByteArray &png)
{
    return "--" + b + "\r\nContent-Disposition: form-data; name=\"id\"\r\n\r\n"
        + "6f1c2b1e-0000-4000-8000-000000000001\r\n" + "--" + b
        + "\r\nContent-Disposition: form-data; name=\"local_time\"\r\n\r\n" + "2025-03-01T12:00:00+02:00\r\n" + "--" + b
        + "\r\nContent-Disposition: form-data; name=\"time_zone\"\r\n\r\n" + "Europe/Kyiv\r\n" + "--" + b
        + "\r\nContent-Disposition: form-data; name=\"language\"\r\n\r\n" + "uk\r\n" + "--" + b
        + "\r\nContent-Disposition: form-data; name=\"image\"; filename=\"capture.png\"\r\n"
        + "Content-Type: image/png\r\n\r\n" + png + "\r\n--" + b + "--\r\n";
}

QByteArray boundaryOf(const FakeService::Request &request)
{
    static const QRegularExpression form(
        u"^multipart/form-data; boundary=(quibly-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})$"_s);
    return form.match(QString::fromLatin1(request.header("content-type"))).captured(1).toLatin1();
}

// Calls one endpoint by name and reports whether it succeeded, or the error it gave.
template<typename T> std::optional<ServiceError> outcome(const ServiceResult<T> &result)
{
    if (result.ok())
        return std::nullopt;
    return result.error();
}

template<typename T> T run(QCoro::Task<T> task)
{
    return QuiblyTest::await(std::move(task));
}

std::optional<ServiceError> call(const QuiblyAPI &api, const QByteArray &endpoint)
{
    if (endpoint == "upload")
        return outcome(run(api.upload(sampleItem(), "PNG")));
    if (endpoint == "captureResult")
        return outcome(run(api.captureResult(u"c1"_s)));
    if (endpoint == "openCaptures")
        return outcome(run(api.openCaptures()));
    if (endpoint == "captureImage")
        return outcome(run(api.captureImage(u"c1"_s)));
    if (endpoint == "retryCapture")
        return outcome(run(api.retryCapture(u"c1"_s)));
    if (endpoint == "deleteCapture")
        return outcome(run(api.deleteCapture(u"c1"_s)));
    if (endpoint == "tasks")
        return outcome(run(api.tasks()));
    if (endpoint == "createTask")
        return outcome(run(api.createTask(u"t"_s)));
    if (endpoint == "updateTask")
        return outcome(run(api.updateTask(42, {})));
    return outcome(run(api.deleteTask(42)));
}

// \a size bytes of \a fill, gzipped a piece at a time: the test never holds them whole.
QByteArray gzipOf(qint64 size, char fill)
{
    z_stream stream {};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    QByteArray piece(qMin<qint64>(size, 4 * 1024 * 1024), fill);
    QByteArray out;
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    qint64 left = size;
    int flush = Z_NO_FLUSH;
    while (flush != Z_FINISH) {
        const qint64 now = qMin<qint64>(left, piece.size());
        left -= now;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = reinterpret_cast<Bytef *>(piece.data());
        stream.avail_in = uInt(now);
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
            stream.avail_out = uInt(buffer.size());
            deflate(&stream, flush);
            out.append(buffer.constData(), buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

qint64 peakResidentKiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.sliced(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

} // namespace

Q_DECLARE_METATYPE(FakeService::Reply)
Q_DECLARE_METATYPE(std::optional<APIError>)

class TestQuiblyAPI : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void framing_data();
    void framing();
    void jsonBodies_data();
    void jsonBodies();
    void multipartBody();
    void largeImageArrivesIntact_data();
    void largeImageArrivesIntact();
    void multipartUnknownZone();
    void statusMapping_data();
    void statusMapping();
    void transportFailures_data();
    void transportFailures();
    void connectionRefused();
    void notHttp();
    void undecodableAnswers_data();
    void undecodableAnswers();
    void decodedAnswers();
    void captureImageRawBytes();
    void sameOriginRedirectIsFollowed_data();
    void sameOriginRedirectIsFollowed();
    void redirectLoop();
    void crossOriginRedirectSendsNothing_data();
    void crossOriginRedirectSendsNothing();
    void oversizedAnswers_data();
    void oversizedAnswers();
    void tls();
    void keyThatWouldSplitTheHeader_data();
    void keyThatWouldSplitTheHeader();
    void conditionalLists_data();
    void conditionalLists();
    void compressedAnswers_data();
    void compressedAnswers();

private:
    QuiblyAPI api(std::chrono::milliseconds timeout = QuiblyAPI::defaultTimeout) const
    {
        return QuiblyAPI(m_service->url(u"/api"_s), m_key, m_nam.get(), timeout);
    }

    const QString m_key = u" key with  spaces "_s;
    std::unique_ptr<QNetworkAccessManager> m_nam;
    std::unique_ptr<FakeService> m_service;
};

void TestQuiblyAPI::init()
{
    // A fresh session per test: no connection or redirect state carries over.
    m_nam = std::make_unique<QNetworkAccessManager>();
    m_service = std::make_unique<FakeService>();
    QVERIFY(m_service->listen());
}

void TestQuiblyAPI::cleanup()
{
    m_service.reset();
    m_nam.reset();
}

void TestQuiblyAPI::framing_data()
{
    QTest::addColumn<QByteArray>("endpoint");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<Reply>("reply");

    QTest::newRow("upload") << "upload"_ba
                            << "POST"_ba
                            << "/api/captures"_ba << Reply::json(201, captureJson);
    QTest::newRow("captureResult") << "captureResult"_ba
                                   << "GET"_ba
                                   << "/api/captures/c1"_ba << Reply::json(200, captureResultJson);
    QTest::newRow("openCaptures") << "openCaptures"_ba
                                  << "GET"_ba
                                  << "/api/captures"_ba << Reply::json(200, "[]");
    QTest::newRow("captureImage") << "captureImage"_ba
                                  << "GET"_ba
                                  << "/api/captures/c1/image"_ba << Reply::bytes(200, "PNG", "image/png");
    QTest::newRow("retryCapture") << "retryCapture"_ba
                                  << "POST"_ba
                                  << "/api/captures/c1/retry"_ba << Reply::json(200, captureJson);
    QTest::newRow("deleteCapture") << "deleteCapture"_ba
                                   << "DELETE"_ba
                                   << "/api/captures/c1"_ba << Reply::empty(204);
    QTest::newRow("tasks") << "tasks"_ba
                           << "GET"_ba
                           << "/api/tasks"_ba << Reply::json(200, "[" + taskJson + "]");
    QTest::newRow("createTask") << "createTask"_ba
                                << "POST"_ba
                                << "/api/tasks"_ba << Reply::json(201, taskJson);
    QTest::newRow("updateTask") << "updateTask"_ba
                                << "PATCH"_ba
                                << "/api/tasks/42"_ba << Reply::json(200, taskJson);
    QTest::newRow("deleteTask") << "deleteTask"_ba
                                << "DELETE"_ba
                                << "/api/tasks/42"_ba << Reply::empty(204);
}

void TestQuiblyAPI::framing()
{
    QFETCH(QByteArray, endpoint);
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, target);
    QFETCH(Reply, reply);
    m_service->on(method, target, reply);

    const std::optional<ServiceError> error = call(api(), endpoint);
    QVERIFY2(!error, error ? qPrintable(describe(*error)) : "");

    QCOMPARE(m_service->requests().size(), 1);
    const FakeService::Request &request = m_service->requests().first();
    QVERIFY2(request.head.startsWith(QByteArray(method + ' ' + target + " HTTP/1.1\r\n")), request.head.constData());
    // Byte for byte, trailing space included: the key is sent exactly as stored.
    QVERIFY2(request.head.contains(QByteArray("\r\nAuthorization: Bearer " + m_key.toUtf8() + "\r\n")),
             request.head.constData());
    QVERIFY(!request.hasHeader("accept"));
    const bool hasBody = endpoint == "upload" || endpoint == "createTask" || endpoint == "updateTask";
    QCOMPARE(request.hasHeader("content-type"), hasBody);
    if (!hasBody)
        QCOMPARE(request.body, QByteArray());
}

void TestQuiblyAPI::jsonBodies_data()
{
    QTest::addColumn<QString>("baseUrl");
    QTest::addColumn<QByteArray>("endpoint");
    QTest::addColumn<QJsonObject>("fields");
    QTest::addColumn<qint64>("taskId");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("body");

    const QString title = u"  Купити \"молоко\"\tі хліб "_s;
    QTest::newRow("create: quotes and Cyrillic, untrimmed")
        << u"/api"_s << "createTask"_ba << QJsonObject { { u"title"_s, title } } << qint64(0) << "/api/tasks"_ba
        << (R"({"title":"  Купити \"молоко\"\tі хліб "})"_ba);
    QTest::newRow("update: empty fields")
        << u"/api/"_s << "updateTask"_ba << QJsonObject() << qint64(42) << "/api/tasks/42"_ba
        << "{}"_ba;
    QTest::newRow("update: null clears") << u""_s << "updateTask"_ba
                                         << QJsonObject { { u"due_at"_s, QJsonValue::Null } } << qint64(-7)
                                         << "/tasks/-7"_ba
                                         << R"({"due_at":null})"_ba;
    QTest::newRow("update: done") << u"/"_s << "updateTask"_ba << QJsonObject { { u"done"_s, true } }
                                  << std::numeric_limits<qint64>::max() << "/tasks/9223372036854775807"_ba
                                  << R"({"done":true})"_ba;
}

void TestQuiblyAPI::jsonBodies()
{
    QFETCH(QString, baseUrl);
    QFETCH(QByteArray, endpoint);
    QFETCH(QJsonObject, fields);
    QFETCH(qint64, taskId);
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, body);
    m_service->setHandler([](const FakeService::Request &) { return Reply::json(200, taskJson); });

    const QuiblyAPI client(m_service->url(baseUrl), m_key, m_nam.get());
    const auto result = endpoint == "createTask" ? run(client.createTask(fields.value(u"title"_s).toString()))
                                                 : run(client.updateTask(taskId, fields));
    QVERIFY(result.ok());
    QCOMPARE(m_service->requests().size(), 1);
    const FakeService::Request &request = m_service->requests().first();
    QCOMPARE(request.target, target);
    QCOMPARE(request.header("content-type"), "application/json");
    QCOMPARE(request.body, body);
}

void TestQuiblyAPI::multipartBody()
{
    m_service->on("POST", "/api/captures", Reply::json(201, captureJson));
    // Bytes that a careless text conversion would mangle.
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n\0\r\n--", 14) + QByteArray(100000, '\xff');
    const QueuedCapture item = sampleItem();

    QVERIFY(run(api().upload(item, png)).ok());
    QVERIFY(run(api().upload(item, png)).ok());

    QCOMPARE(m_service->requests().size(), 2);
    QStringList boundaries;
    for (const FakeService::Request &request : m_service->requests()) {
        const QByteArray b = boundaryOf(request);
        QVERIFY2(!b.isEmpty(), request.header("content-type").constData());
        boundaries.append(QString::fromLatin1(b));

        const QByteArray expected = expectedForm(b, png);
        QCOMPARE(request.body.size(), expected.size());
        QVERIFY(request.body == expected);
        QCOMPARE(request.header("content-length"), QByteArray::number(expected.size()));
    }
    QVERIFY(boundaries.at(0) != boundaries.at(1));
}

void TestQuiblyAPI::largeImageArrivesIntact_data()
{
    QTest::addColumn<int>("earlyDrops");
    QTest::newRow("straight through") << 0;
    // The first connection takes the whole form and closes without an answer: Qt sends the
    // request again on a fresh connection, reading the body from its start.
    QTest::newRow("sent again after a connection closed unanswered") << 1;
}

void TestQuiblyAPI::largeImageArrivesIntact()
{
    // Random bytes and an odd size: a piece read from the wrong place or twice shows.
    QFETCH(int, earlyDrops);
    QByteArray png(3 * 1024 * 1024 + 12345, Qt::Uninitialized);
    QRandomGenerator generator(11);
    for (char &byte : png)
        byte = char(generator.bounded(256));
    for (int i = 0; i < earlyDrops; ++i)
        m_service->enqueue("POST", "/api/captures", Reply::dropped(Reply::Drop::BeforeAnswer));
    m_service->on("POST", "/api/captures", Reply::json(201, captureJson));

    const auto result = run(api().upload(sampleItem(), png));
    QVERIFY2(result.ok(), result.ok() ? "" : qPrintable(describe(result.error())));
    QCOMPARE(m_service->requests().size(), earlyDrops + 1);
    const FakeService::Request &last = m_service->requests().last();
    QVERIFY(last.complete);
    const QByteArray expected = expectedForm(boundaryOf(last), png);
    QCOMPARE(last.body.size(), expected.size());
    QVERIFY(last.body == expected);
}

void TestQuiblyAPI::multipartUnknownZone()
{
    m_service->on("POST", "/api/captures", Reply::json(201, captureJson));
    const QueuedCapture item = sampleItem(u"Mars/Olympus_Mons"_s);
    QVERIFY(run(api().upload(item, "PNG")).ok());

    const QByteArray body = m_service->requests().first().body;
    const QByteArray localTime = Decoder::formatRfc3339(item.localTime, QTimeZone::systemTimeZone()).toUtf8();
    QVERIFY(body.contains(QByteArray("name=\"local_time\"\r\n\r\n" + localTime + "\r\n")));
    QVERIFY(body.contains("name=\"time_zone\"\r\n\r\nMars/Olympus_Mons\r\n"));
}

void TestQuiblyAPI::statusMapping_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<std::optional<APIError>>("expected");

    const std::optional<APIError> success;
    QTest::newRow("204 empty") << 204 << ""_ba << success;
    QTest::newRow("200 not JSON, body ignored") << 200 << "<html>"_ba << success;
    QTest::newRow("299") << 299 << ""_ba << success;
    QTest::newRow("401 with a code") << 401 << R"({"code":"expired"})"_ba << std::optional(APIError::unauthorized());
    QTest::newRow("401 empty") << 401 << ""_ba << std::optional(APIError::unauthorized());
    QTest::newRow("403 code") << 403 << R"({"code":"forbidden"})"_ba
                              << std::optional(APIError::rejected(u"forbidden"_s));
    QTest::newRow("404 not_found") << 404 << R"({"code":"not_found","message":"no such capture"})"_ba
                                   << std::optional(APIError::rejected(u"not_found"_s));
    QTest::newRow("422 with a number member")
        << 422 << R"({"code":"bad","limit":5})"_ba << std::optional(APIError::rejected(u"unknown"_s));
    QTest::newRow("422 with an object member")
        << 422 << R"({"code":"bad","detail":{}})"_ba << std::optional(APIError::rejected(u"unknown"_s));
    QTest::newRow("409 code null") << 409 << R"({"code":null})"_ba << std::optional(APIError::rejected(u"unknown"_s));
    QTest::newRow("400 empty") << 400 << ""_ba << std::optional(APIError::rejected(u"unknown"_s));
    QTest::newRow("400 HTML") << 400 << "<html><body>Bad</body></html>"_ba
                              << std::optional(APIError::rejected(u"unknown"_s));
    QTest::newRow("400 strings without code")
        << 400 << R"({"error":"bad"})"_ba << std::optional(APIError::rejected(u"unknown"_s));
    QTest::newRow("400 array") << 400 << R"(["code"])"_ba << std::optional(APIError::rejected(u"unknown"_s));
    QTest::newRow("400 truncated") << 400 << R"({"code":"x)"_ba << std::optional(APIError::rejected(u"unknown"_s));
    QTest::newRow("499") << 499 << R"({"code":"closed"})"_ba << std::optional(APIError::rejected(u"closed"_s));
    QTest::newRow("500") << 500 << R"({"code":"oops"})"_ba << std::optional(APIError::server(500));
    QTest::newRow("502") << 502 << "<html>"_ba << std::optional(APIError::server(502));
    QTest::newRow("300 reaching the routine") << 300 << ""_ba << std::optional(APIError::server(300));
    QTest::newRow("304 reaching the routine") << 304 << ""_ba << std::optional(APIError::server(304));
    QTest::newRow("600") << 600 << ""_ba << std::optional(APIError::server(600));
}

void TestQuiblyAPI::statusMapping()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(std::optional<APIError>, expected);
    m_service->on("DELETE", "/api/tasks/42", Reply::json(status, body));

    const auto result = run(api().deleteTask(42));
    if (!expected) {
        QVERIFY2(result.ok(), result.ok() ? "" : qPrintable(describe(result.error())));
        return;
    }
    QVERIFY(!result.ok());
    QCOMPARE(describe(result.error()), expected->toString());
    QVERIFY(result.error() == ServiceError(*expected));
}

void TestQuiblyAPI::transportFailures_data()
{
    QTest::addColumn<Reply>("reply");

    Reply slow = Reply::json(200, captureJson);
    slow.delay = 3s;
    QTest::newRow("time-out") << slow;
    QTest::newRow("closed without an answer") << Reply::dropped(Reply::Drop::BeforeAnswer);
    QTest::newRow("reset in the middle of the upload") << Reply::dropped(Reply::Drop::DuringBody, 256 * 1024);
    Reply truncated = Reply::json(201, captureJson);
    truncated.drop = Reply::Drop::DuringAnswer;
    QTest::newRow("answer cut short after its status") << truncated;
}

void TestQuiblyAPI::transportFailures()
{
    QFETCH(Reply, reply);
    m_service->on("POST", "/api/captures", reply);

    const QByteArray png(4 * 1024 * 1024, 'p');
    const auto result = run(api(300ms).upload(sampleItem(), png));
    QVERIFY(!result.ok());
    QCOMPARE(describe(result.error()), APIError::offline().toString());
    QVERIFY(!m_service->requests().isEmpty());
}

void TestQuiblyAPI::connectionRefused()
{
    QTcpServer placeholder;
    QVERIFY(placeholder.listen(QHostAddress::LocalHost));
    QUrl url(u"http://127.0.0.1/"_s);
    url.setPort(placeholder.serverPort());
    placeholder.close(); // nothing listens there any more

    const QuiblyAPI client(url, m_key, m_nam.get());
    const auto result = run(client.tasks());
    QVERIFY(!result.ok());
    QVERIFY(result.error() == ServiceError(APIError::offline()));
}

void TestQuiblyAPI::notHttp()
{
    // An answer without an HTTP status: the "service" is a directory on disk.
    QTemporaryDir dir;
    QFile tasks(dir.filePath(u"tasks"_s));
    QVERIFY(tasks.open(QIODevice::WriteOnly));
    tasks.write("[]");
    tasks.close();

    const QuiblyAPI client(QUrl::fromLocalFile(dir.path()), m_key, m_nam.get());
    const auto result = run(client.tasks());
    QVERIFY(!result.ok());
    QCOMPARE(describe(result.error()), APIError::server(0).toString());
}

void TestQuiblyAPI::undecodableAnswers_data()
{
    QTest::addColumn<QByteArray>("endpoint");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("tasks: not JSON") << "tasks"_ba
                                     << "<html>"_ba;
    QTest::newRow("tasks: truncated") << "tasks"_ba
                                      << "[" + taskJson.left(30);
    QTest::newRow("tasks: object, not a list") << "tasks"_ba << taskJson;
    QTest::newRow("tasks: empty body") << "tasks"_ba
                                       << ""_ba;
    QTest::newRow("upload: bad date") << "upload"_ba
                                      << QByteArray(captureJson).replace("2025-03-01T10:00:01Z", "2025-03-01");
    QTest::newRow("captureResult: no tasks") << "captureResult"_ba
                                             << R"({"capture":)" + captureJson + "}";
    QTest::newRow("openCaptures: null") << "openCaptures"_ba
                                        << "null"_ba;
    QTest::newRow("createTask: wrong priority") << "createTask"_ba << QByteArray(taskJson).replace("high", "High");
    QTest::newRow("retryCapture: error null")
        << "retryCapture"_ba << QByteArray(captureJson).replace(R"("error":"")", R"("error":null)");
}

void TestQuiblyAPI::undecodableAnswers()
{
    QFETCH(QByteArray, endpoint);
    QFETCH(QByteArray, body);
    m_service->setHandler([body](const FakeService::Request &) { return Reply::json(200, body); });

    const std::optional<ServiceError> error = call(api(), endpoint);
    QVERIFY(error);
    QVERIFY2(std::holds_alternative<DecodeError>(*error), qPrintable(describe(*error)));
}

void TestQuiblyAPI::decodedAnswers()
{
    m_service->on("GET", "/api/captures/c1", Reply::json(200, captureResultJson));
    m_service->on("GET", "/api/tasks", Reply::json(200, "[" + taskJson + "," + taskJson + "]"));

    const auto result = run(api().captureResult(u"c1"_s));
    QVERIFY(result.ok());
    QCOMPARE(result.value().capture.timeZone, u"Europe/Kyiv"_s);
    QCOMPARE(result.value().tasks.size(), 1);
    QCOMPARE(result.value().tasks.first().id, 42);

    const auto tasks = run(api().tasks());
    QVERIFY(tasks.ok());
    QCOMPARE(tasks.value().size(), 2);
}

void TestQuiblyAPI::captureImageRawBytes()
{
    const QByteArray image = QByteArray("\x89PNG\0\r\n", 7) + QByteArray(20 * 1024 * 1024, 'i');
    m_service->enqueue("GET", "/api/captures/c1/image", Reply::bytes(200, image, "image/png"));
    m_service->enqueue("GET", "/api/captures/c1/image", Reply::bytes(200, {}, "image/png"));

    const auto full = run(api().captureImage(u"c1"_s));
    QVERIFY(full.ok());
    QVERIFY(full.value() == image);
    const auto empty = run(api().captureImage(u"c1"_s));
    QVERIFY(empty.ok());
    QVERIFY(empty.value().isEmpty());
}

void TestQuiblyAPI::sameOriginRedirectIsFollowed_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("endpoint");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("movedMethod");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("302 GET") << 302 << "tasks"_ba
                             << "GET"_ba
                             << "/api/tasks"_ba
                             << "GET"_ba
                             << "[]"_ba;
    QTest::newRow("301 DELETE") << 301 << "deleteTask"_ba
                                << "DELETE"_ba
                                << "/api/tasks/42"_ba
                                << "DELETE"_ba
                                << ""_ba;
    QTest::newRow("307 upload keeps its body") << 307 << "upload"_ba
                                               << "POST"_ba
                                               << "/api/captures"_ba
                                               << "POST"_ba << captureJson;
    QTest::newRow("308 PATCH keeps its body") << 308 << "updateTask"_ba
                                              << "PATCH"_ba
                                              << "/api/tasks/42"_ba
                                              << "PATCH"_ba << taskJson;
    QTest::newRow("303 after a POST fetches") << 303 << "retryCapture"_ba
                                              << "POST"_ba
                                              << "/api/captures/c1/retry"_ba
                                              << "GET"_ba << captureJson;
}

void TestQuiblyAPI::sameOriginRedirectIsFollowed()
{
    QFETCH(int, status);
    QFETCH(QByteArray, endpoint);
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, movedMethod);
    QFETCH(QByteArray, answer);
    Reply moved = Reply::empty(status);
    moved.headers.append(FakeService::Header("Location", "/v2/moved")); // relative to the request's URL
    m_service->on(method, path, moved);
    m_service->on(movedMethod, "/v2/moved", Reply::json(200, answer));

    // Several rounds: a redirected request must go out exactly once every time.
    for (int round = 0; round < 3; ++round) {
        m_service->clearRequests();
        const std::optional<ServiceError> error = call(api(), endpoint);
        QVERIFY2(!error, error ? qPrintable(describe(*error)) : "");
        QCOMPARE(m_service->requests().size(), 2);
        const FakeService::Request &first = m_service->requests().at(0);
        const FakeService::Request &second = m_service->requests().at(1);
        QCOMPARE(second.method, movedMethod);
        QCOMPARE(second.target, "/v2/moved"_ba);
        QCOMPARE(second.header("authorization"), first.header("authorization"));
        if (movedMethod == method) {
            QVERIFY(second.body == first.body);
            QCOMPARE(second.header("content-type"), first.header("content-type"));
        } else {
            QVERIFY(second.body.isEmpty());
            QVERIFY(!second.hasHeader("content-type"));
        }
    }
}

void TestQuiblyAPI::redirectLoop()
{
    Reply loop = Reply::empty(302);
    loop.headers.append(FakeService::Header("Location", "/api/tasks"));
    m_service->on("GET", "/api/tasks", loop);

    const auto result = run(api().tasks());
    QVERIFY(!result.ok());
    QCOMPARE(describe(result.error()), APIError::offline().toString());
    QCOMPARE(m_service->requests().size(), 11);
}

void TestQuiblyAPI::crossOriginRedirectSendsNothing_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("endpoint");
    QTest::newRow("307 upload") << 307 << "upload"_ba;
    QTest::newRow("308 upload") << 308 << "upload"_ba;
    QTest::newRow("302 tasks") << 302 << "tasks"_ba;
    QTest::newRow("301 updateTask") << 301 << "updateTask"_ba;
}

void TestQuiblyAPI::crossOriginRedirectSendsNothing()
{
    QFETCH(int, status);
    QFETCH(QByteArray, endpoint);
    FakeService elsewhere;
    QVERIFY(elsewhere.listen());
    elsewhere.setHandler([](const FakeService::Request &) { return Reply::json(200, "[]"); });
    m_service->setHandler([&elsewhere, status](const FakeService::Request &request) {
        Reply moved = Reply::empty(status);
        moved.headers.append({ "Location", elsewhere.url(QString::fromLatin1(request.path)).toEncoded() });
        return moved;
    });

    const std::optional<ServiceError> error = call(api(), endpoint);
    QVERIFY(error);
    QCOMPARE(describe(*error), APIError::server(status).toString());
    QCOMPARE(m_service->requests().size(), 1);
    QCOMPARE(elsewhere.connectionCount(), 0);
    QVERIFY(elsewhere.requests().isEmpty());
}

void TestQuiblyAPI::oversizedAnswers_data()
{
    QTest::addColumn<QByteArray>("endpoint");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("chunked");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("accepted");

    const qint64 json = QuiblyAPI::jsonBodyLimit;
    const qint64 image = QuiblyAPI::imageBodyLimit;
    QTest::newRow("JSON over the limit, announced") << "tasks"_ba << json + 1 << false << 200 << false;
    QTest::newRow("JSON over the limit, chunked") << "tasks"_ba << json + 1 << true << 200 << false;
    QTest::newRow("4xx body over the limit") << "tasks"_ba << json * 2 << true << 404 << false;
    QTest::newRow("image over the JSON limit is fine") << "captureImage"_ba << json + 1 << false << 200 << true;
    QTest::newRow("image over its limit, chunked") << "captureImage"_ba << image + 1 << true << 200 << false;
}

void TestQuiblyAPI::oversizedAnswers()
{
    QFETCH(QByteArray, endpoint);
    QFETCH(qint64, size);
    QFETCH(bool, chunked);
    QFETCH(int, status);
    QFETCH(bool, accepted);
    Reply huge = Reply::json(status, QByteArray(size, ' '));
    huge.chunked = chunked;
    m_service->setHandler([&huge](const FakeService::Request &) { return huge; });

    const std::optional<ServiceError> error = call(api(), endpoint);
    if (accepted) {
        QVERIFY2(!error, error ? qPrintable(describe(*error)) : "");
        return;
    }
    QVERIFY(error);
    QCOMPARE(describe(*error), APIError::server(status).toString());
}

void TestQuiblyAPI::tls()
{
    TestPki pki;
    const QString problem = pki.generate();
    if (!problem.isEmpty())
        QSKIP(qPrintable(problem));
    pki.trustAuthority();

    FakeService trusted;
    QVERIFY(trusted.listenTls(pki.trustedServer()));
    trusted.on("POST", "/api/captures", Reply::json(201, captureJson));
    const QuiblyAPI good(trusted.url(u"/api"_s), m_key, m_nam.get());
    const auto uploaded = run(good.upload(sampleItem(), QByteArray(1024 * 1024, 'x')));
    QVERIFY2(uploaded.ok(), uploaded.ok() ? "" : qPrintable(describe(uploaded.error())));
    QCOMPARE(trusted.requests().size(), 1);
    QCOMPARE(trusted.requests().first().header("authorization"), QByteArray("Bearer " + m_key.toUtf8()).trimmed());

    FakeService rogue;
    QVERIFY(rogue.listenTls(pki.untrustedServer()));
    rogue.on("GET", "/api/tasks", Reply::json(200, "[]"));
    const QuiblyAPI bad(rogue.url(u"/api"_s), m_key, m_nam.get());
    const auto refused = run(bad.tasks());
    QVERIFY(!refused.ok());
    QVERIFY(refused.error() == ServiceError(APIError::offline()));
    QVERIFY(rogue.requests().isEmpty()); // the key never crossed an unverified connection
}

void TestQuiblyAPI::keyThatWouldSplitTheHeader_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("CR LF") << u"abc\r\nX-Injected: yes"_s;
    QTest::newRow("LF") << u"abc\nX-Injected: yes"_s;
    QTest::newRow("NUL") << QString(u"abc\0def"_s);
}

void TestQuiblyAPI::keyThatWouldSplitTheHeader()
{
    // Qt would send the line break as it is and the rest of the key would become a header
    // of its own. Such a key cannot be right, so nothing is sent.
    QFETCH(QString, key);
    m_service->on("GET", "/tasks", Reply::json(200, "[]"));
    const QuiblyAPI client(m_service->url(), key, m_nam.get());
    const auto result = run(client.tasks());
    QVERIFY(!result.ok());
    QCOMPARE(describe(result.error()), APIError::unauthorized().toString());
    QCOMPARE(m_service->connectionCount(), 0);
}

void TestQuiblyAPI::conditionalLists_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("etag"); // what the service sends; empty: none
    QTest::addColumn<bool>("sameClient"); // or another key on the same service
    QTest::addColumn<QByteArray>("expectedCondition");

    for (const QByteArray &path : { "/api/tasks"_ba, "/api/captures"_ba }) {
        const char *name = path.constData();
        QTest::addRow("%s: validator sent back", name) << path << "\"v1\""_ba << true << "\"v1\""_ba;
        QTest::addRow("%s: weak validator sent back", name) << path << "W/\"v1\""_ba << true << "W/\"v1\""_ba;
        QTest::addRow("%s: no validator, asked as before", name) << path << ""_ba << true << ""_ba;
        QTest::addRow("%s: another key's validator stays home", name) << path << "\"v1\""_ba << false << ""_ba;
    }
}

void TestQuiblyAPI::conditionalLists()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, etag);
    QFETCH(bool, sameClient);
    QFETCH(QByteArray, expectedCondition);
    const bool tasks = path.endsWith("tasks");
    m_service->setHandler([&](const FakeService::Request &request) {
        if (!etag.isEmpty() && request.header("if-none-match") == etag) {
            Reply unchanged = Reply::empty(304);
            unchanged.headers.append(FakeService::Header("ETag", etag));
            return unchanged;
        }
        Reply list = Reply::json(200, "[" + (tasks ? taskJson : captureJson) + "]");
        if (!etag.isEmpty())
            list.headers.append(FakeService::Header("ETag", etag));
        return list;
    });
    const QuiblyAPI other(m_service->url(u"/api"_s), u"another key"_s, m_nam.get());
    const QuiblyAPI &second = sameClient ? api() : other;

    // Asked twice: the second request carries what the first answer named, if anything.
    std::optional<ServiceError> error;
    bool unchanged = false;
    if (tasks) {
        const auto first = run(api().tasks(Listing<TaskItem> {}));
        QVERIFY(first.ok() && first.value());
        QCOMPARE(first.value()->items.size(), 1);
        QCOMPARE(first.value()->etag, etag);
        const auto again = run(second.tasks(*first.value()));
        error = outcome(again);
        unchanged = again.ok() && !again.value();
        if (again.ok() && again.value())
            QCOMPARE(again.value()->items, first.value()->items);
    } else {
        const auto first = run(api().openCaptures(Listing<Capture> {}));
        QVERIFY(first.ok() && first.value());
        QCOMPARE(first.value()->items.size(), 1);
        const auto again = run(second.openCaptures(*first.value()));
        error = outcome(again);
        unchanged = again.ok() && !again.value();
    }
    QVERIFY2(!error, error ? qPrintable(describe(*error)) : "");
    QCOMPARE(m_service->requests().size(), 2);
    QCOMPARE(m_service->requests().at(0).hasHeader("if-none-match"), false);
    QCOMPARE(m_service->requests().at(1).header("if-none-match"), expectedCondition);
    QCOMPARE(unchanged, !expectedCondition.isEmpty());

    // A 304 to a request that named no validator has nothing to stand for.
    m_service->setHandler([](const FakeService::Request &) { return Reply::empty(304); });
    const auto stray = tasks ? outcome(run(api().tasks(Listing<TaskItem> {})))
                             : outcome(run(api().openCaptures(Listing<Capture> {})));
    QVERIFY(stray);
    QCOMPARE(describe(*stray), APIError::server(304).toString());
}

void TestQuiblyAPI::compressedAnswers_data()
{
    QTest::addColumn<qint64>("size"); // decompressed
    QTest::addColumn<char>("fill");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("a list, compressed") << qint64(0) << ' ' << true;
    // A megabyte that unpacks into a gigabyte must neither be taken nor fill memory.
    QTest::newRow("gzip bomb") << qint64(1024) * 1024 * 1024 << ' ' << false;
    // Over the limit only once unpacked, at a ratio no bomb detector flags.
    QTest::newRow("over the limit unpacked") << QuiblyAPI::jsonBodyLimit + 1 << 'x' << false;
}

void TestQuiblyAPI::compressedAnswers()
{
    QFETCH(qint64, size);
    QFETCH(char, fill);
    QFETCH(bool, accepted);
    QByteArray body;
    if (size == 0) {
        QByteArray plain = "[" + taskJson;
        for (int i = 0; i < 200; ++i)
            plain += "," + taskJson;
        plain += "]";
        z_stream stream {};
        deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
        body.resize(qsizetype(deflateBound(&stream, uLong(plain.size()))));
        stream.next_in = reinterpret_cast<Bytef *>(plain.data());
        stream.avail_in = uInt(plain.size());
        stream.next_out = reinterpret_cast<Bytef *>(body.data());
        stream.avail_out = uInt(body.size());
        QCOMPARE(deflate(&stream, Z_FINISH), Z_STREAM_END);
        body.resize(qsizetype(stream.total_out));
        deflateEnd(&stream);
    } else {
        body = gzipOf(size, fill);
    }
    Reply reply = Reply::json(200, body);
    reply.headers.append(FakeService::Header("Content-Encoding", "gzip"));
    m_service->on("GET", "/api/tasks", reply);
    const qint64 peakBefore = peakResidentKiB();

    const auto result = run(api().tasks(Listing<TaskItem> {}));
    // Qt asks for compressed answers on its own and unpacks them.
    QVERIFY(m_service->requests().first().header("accept-encoding").contains("gzip"));
    if (accepted) {
        QVERIFY2(result.ok(), result.ok() ? "" : qPrintable(describe(result.error())));
        QCOMPARE(result.value()->items.size(), 201);
        return;
    }
    QVERIFY(!result.ok());
    QCOMPARE(describe(result.error()), APIError::server(200).toString());
    const qint64 grownMiB = (peakResidentKiB() - peakBefore) / 1024;
    QVERIFY2(grownMiB < 200, qPrintable(u"peak memory grew by %1 MiB"_s.arg(grownMiB)));
}

QTEST_GUILESS_MAIN(TestQuiblyAPI)
#include "test_quiblyapi.moc"
