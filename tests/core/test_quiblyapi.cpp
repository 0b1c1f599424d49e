// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "fakeservice.h"
#include "quiblyapi.h"
#include "testawait.h"
#include "testpki.h"
#include "wirejson.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <memory>

#include <sys/resource.h>
#include <zlib.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Reply = FakeService::Reply;

namespace {

const QByteArray captureJson = WireJson::capture(u"c1"_s, u"pending"_s);
const QByteArray taskJson = WireJson::task(42, u"Call Anna"_s, u"high"_s);
const QByteArray captureResultJson = WireJson::result(u"c1"_s, u"done"_s, {}, { u"Call Anna"_s });

QueuedCapture sampleItem(const QString &zone = u"Europe/Kyiv"_s)
{
    return { u"6f1c2b1e-0000-4000-8000-000000000001"_s, QDateTime(QDate(2025, 3, 1), QTime(10, 0), QTimeZone::utc()),
             zone, u"uk"_s };
}

QByteArray boundaryOf(const FakeService::Request &request)
{
    static const QRegularExpression form(
        u"^multipart/form-data; boundary=(quibly-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})$"_s);
    return form.match(QString::fromLatin1(request.header("content-type"))).captured(1).toLatin1();
}

// "offline", "rejected(code)", "server(502)", "decoding: <what>"; empty on success.
template<typename T> QString failure(QCoro::Task<ServiceResult<T>> task)
{
    const ServiceResult<T> result = QuiblyTest::await(std::move(task));
    if (result.ok())
        return {};
    const bool decoding = std::holds_alternative<DecodeError>(result.error());
    return (decoding ? u"decoding: "_s : QString()) + describe(result.error());
}

// Each call the client makes, by name: its request line and the call itself.
struct Endpoint
{
    QByteArray request;
    QString (*call)(const QuiblyAPI &);
};
const QHash<QByteArray, Endpoint> endpoints {
    { "upload", { "POST /api/captures", [](const QuiblyAPI &a) { return failure(a.upload(sampleItem(), "PNG")); } } },
    { "captureResult",
      { "GET /api/captures/c1", [](const QuiblyAPI &a) { return failure(a.captureResult(u"c1"_s)); } } },
    { "openCaptures", { "GET /api/captures", [](const QuiblyAPI &a) { return failure(a.openCaptures()); } } },
    { "captureImage",
      { "GET /api/captures/c1/image", [](const QuiblyAPI &a) { return failure(a.captureImage(u"c1"_s)); } } },
    { "retryCapture",
      { "POST /api/captures/c1/retry", [](const QuiblyAPI &a) { return failure(a.retryCapture(u"c1"_s)); } } },
    { "deleteCapture",
      { "DELETE /api/captures/c1", [](const QuiblyAPI &a) { return failure(a.deleteCapture(u"c1"_s)); } } },
    { "tasks", { "GET /api/tasks", [](const QuiblyAPI &a) { return failure(a.tasks()); } } },
    { "createTask", { "POST /api/tasks", [](const QuiblyAPI &a) { return failure(a.createTask(u"t"_s)); } } },
    { "updateTask", { "PATCH /api/tasks/42", [](const QuiblyAPI &a) { return failure(a.updateTask(42, {})); } } },
    { "deleteTask", { "DELETE /api/tasks/42", [](const QuiblyAPI &a) { return failure(a.deleteTask(42)); } } },
};

// \a size bytes of \a piece over and over, gzipped a piece at a time: the test never holds them whole.
QByteArray gzip(const QByteArray &piece, qint64 size)
{
    z_stream stream {};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    QByteArray out;
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    qint64 left = size;
    for (int flush = Z_NO_FLUSH; flush != Z_FINISH;) {
        const qint64 now = qMin<qint64>(left, piece.size());
        left -= now;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(piece.constData()));
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
    struct rusage usage = {};
    return ::getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : 0;
}

} // namespace

Q_DECLARE_METATYPE(FakeService::Reply)

class TestQuiblyAPI : public QObject
{
    Q_OBJECT

    QuiblyAPI api(std::chrono::milliseconds timeout = QuiblyAPI::defaultTimeout) const
    {
        return QuiblyAPI(m_service->url(u"/api"_s), m_key, m_nam.get(), timeout);
    }
    QString call(const QByteArray &endpoint) const { return endpoints.value(endpoint).call(api()); }

    const QString m_key = u" key with  spaces "_s;
    std::unique_ptr<QNetworkAccessManager> m_nam;
    std::unique_ptr<FakeService> m_service;

private Q_SLOTS:
    void init()
    {
        // A fresh session per test: no connection or redirect state carries over.
        m_nam = std::make_unique<QNetworkAccessManager>();
        m_service = std::make_unique<FakeService>();
        QVERIFY(m_service->listen());
    }

    void framing_data()
    {
        QTest::addColumn<QByteArray>("endpoint");
        QTest::addColumn<Reply>("reply");
        QTest::newRow("upload") << "upload"_ba << Reply::json(201, captureJson);
        QTest::newRow("captureResult") << "captureResult"_ba << Reply::json(200, captureResultJson);
        QTest::newRow("openCaptures") << "openCaptures"_ba << Reply::json(200, "[]");
        QTest::newRow("captureImage") << "captureImage"_ba << Reply::bytes(200, "PNG", "image/png");
        QTest::newRow("retryCapture") << "retryCapture"_ba << Reply::json(200, captureJson);
        QTest::newRow("deleteCapture") << "deleteCapture"_ba << Reply::empty(204);
        QTest::newRow("tasks") << "tasks"_ba << Reply::json(200, "[" + taskJson + "]");
        QTest::newRow("createTask") << "createTask"_ba << Reply::json(201, taskJson);
        QTest::newRow("updateTask") << "updateTask"_ba << Reply::json(200, taskJson);
        QTest::newRow("deleteTask") << "deleteTask"_ba << Reply::empty(204);
    }
    void framing()
    {
        QFETCH(QByteArray, endpoint);
        QFETCH(Reply, reply);
        m_service->setHandler([&reply](const FakeService::Request &) { return reply; });
        QCOMPARE(call(endpoint), QString());
        QCOMPARE(m_service->requests().size(), 1);
        const FakeService::Request &request = m_service->requests().first();
        QVERIFY2(request.head.startsWith(QByteArray(endpoints.value(endpoint).request + " HTTP/1.1\r\n")),
                 request.head.constData());
        // Byte for byte, trailing space included: the key is sent exactly as stored.
        QVERIFY2(request.head.contains(QByteArray("\r\nAuthorization: Bearer " + m_key.toUtf8() + "\r\n")),
                 request.head.constData());
        QVERIFY(!request.hasHeader("accept"));
        const bool hasBody = endpoint == "upload" || endpoint == "createTask" || endpoint == "updateTask";
        QCOMPARE(request.hasHeader("content-type"), hasBody);
        QCOMPARE(request.body.isEmpty(), !hasBody);
    }

    void jsonBodies_data()
    {
        QTest::addColumn<QString>("baseUrl");
        QTest::addColumn<QJsonObject>("fields");
        QTest::addColumn<qint64>("taskId"); // 0: a new task with the title in fields
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("body");
        const auto row = [](const char *name, const QString &baseUrl, const QJsonObject &fields, qint64 taskId,
                            const char *target, const QByteArray &body) {
            QTest::newRow(name) << baseUrl << fields << taskId << QByteArray(target) << body;
        };
        row("create: quotes and Cyrillic, untrimmed", u"/api"_s, { { u"title"_s, u"  Купити \"молоко\"\tі хліб "_s } },
            0, "/api/tasks", "{\"title\":\"  Купити \\\"молоко\\\"\\tі хліб \"}");
        row("update: empty fields", u"/api/"_s, {}, 42, "/api/tasks/42", "{}");
        row("update: null clears", u""_s, { { u"due_at"_s, QJsonValue::Null } }, -7, "/tasks/-7", R"({"due_at":null})");
        row("update: done", u"/"_s, { { u"done"_s, true } }, std::numeric_limits<qint64>::max(),
            "/tasks/9223372036854775807", R"({"done":true})");
    }
    void jsonBodies()
    {
        QFETCH(QString, baseUrl);
        QFETCH(QJsonObject, fields);
        QFETCH(qint64, taskId);
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, body);
        m_service->setHandler([](const FakeService::Request &) { return Reply::json(200, taskJson); });
        const QuiblyAPI client(m_service->url(baseUrl), m_key, m_nam.get());
        QCOMPARE(taskId ? failure(client.updateTask(taskId, fields))
                        : failure(client.createTask(fields.value(u"title"_s).toString())),
                 QString());
        QCOMPARE(m_service->requests().size(), 1);
        QCOMPARE(m_service->requests().first().target, target);
        QCOMPARE(m_service->requests().first().header("content-type"), "application/json");
        QCOMPARE(m_service->requests().first().body, body);
    }

    void multipart_data()
    {
        QTest::addColumn<int>("size"); // random bytes after a PNG signature
        QTest::addColumn<int>("earlyDrops");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QByteArray>("localTime"); // empty: in the system's zone
        QTest::newRow("small") << 1000 << 0 << u"Europe/Kyiv"_s << "2025-03-01T12:00:00+02:00"_ba;
        // Large and of an odd size. The first connection takes the whole form and closes without an
        // answer: Qt sends the request again on a fresh connection, reading the body from its start.
        QTest::newRow("large, sent again after a connection closed unanswered")
            << 3 * 1024 * 1024 + 12345 << 1 << u"Europe/Kyiv"_s << "2025-03-01T12:00:00+02:00"_ba;
        QTest::newRow("zone unknown here") << 10 << 0 << u"Mars/Olympus_Mons"_s << QByteArray();
    }
    void multipart()
    {
        QFETCH(int, size);
        QFETCH(int, earlyDrops);
        QFETCH(QString, zone);
        QFETCH(QByteArray, localTime);
        // Bytes that a careless text conversion would mangle, then random ones: a piece read
        // from the wrong place or twice shows.
        QByteArray png = QByteArray("\x89PNG\r\n\x1a\n\0\r\n--", 13) + QByteArray(size, Qt::Uninitialized);
        QRandomGenerator generator(11);
        for (qsizetype i = 13; i < png.size(); ++i)
            png[i] = char(generator.bounded(256));
        for (int i = 0; i < earlyDrops; ++i)
            m_service->enqueue("POST", "/api/captures", Reply::dropped(Reply::Drop::BeforeAnswer));
        m_service->on("POST", "/api/captures", Reply::json(201, captureJson));
        const QueuedCapture item = sampleItem(zone);
        if (localTime.isEmpty())
            localTime = Decoder::formatRfc3339(item.localTime, QTimeZone::systemTimeZone()).toUtf8();

        // Twice: each form has a boundary of its own.
        QByteArrayList boundaries;
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(failure(api().upload(item, png)), QString());
            const FakeService::Request &last = m_service->requests().last();
            boundaries.append(boundaryOf(last));
            QVERIFY2(!boundaries.last().isEmpty(), last.header("content-type").constData());
            const QByteArray expected = WireJson::form(boundaries.last(),
                                                       { { "id", item.id.toUtf8() },
                                                         { "local_time", localTime },
                                                         { "time_zone", zone.toUtf8() },
                                                         { "language", "uk" } },
                                                       png);
            QCOMPARE(last.body, expected);
        }
        QCOMPARE(m_service->requests().size(), earlyDrops + 2);
        QVERIFY(boundaries.at(0) != boundaries.at(1));
    }

    // What an answer comes back as: success (empty), the error's text, or "decoding: …" for one that
    // did not decode.
    void answers_data()
    {
        QTest::addColumn<QByteArray>("endpoint");
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<QString>("error");
        const auto row = [](int status, const char *body, const char *error) {
            QTest::addRow("%d %s", status, body)
                << "deleteTask"_ba << Reply::json(status, body) << QString::fromLatin1(error);
        };
        const auto undecodable = [](const char *endpoint, const QByteArray &body) {
            QTest::newRow(endpoint) << QByteArray(endpoint) << Reply::json(200, body) << u"decoding: "_s;
        };
        row(204, "", "");
        row(200, "<html>", "");
        row(299, "", "");
        row(401, R"({"code":"expired"})", "unauthorized");
        row(401, "", "unauthorized");
        row(403, R"({"code":"forbidden"})", "rejected(forbidden)");
        row(404, R"({"code":"not_found","message":"no such capture"})", "rejected(not_found)");
        row(499, R"({"code":"closed"})", "rejected(closed)");
        // A code is read only from an object whose members are all strings.
        for (const char *body : { "", "<html>", R"({"code":"bad","limit":5})", R"({"code":"bad","detail":{}})",
                                  R"({"code":null})", R"({"error":"bad"})", R"(["code"])", "{\"code\":\"x" })
            row(422, body, "rejected(unknown)");
        row(500, R"({"code":"oops"})", "server(500)");
        row(502, "<html>", "server(502)");
        row(300, "", "server(300)"); // a redirect that was not followed
        row(304, "", "server(304)");
        row(600, "", "server(600)");
        undecodable("tasks", "<html>");
        undecodable("upload", QByteArray(captureJson).replace(WireJson::stamp, "2025-03-01"));
        undecodable("captureResult", R"({"capture":)" + captureJson + "}");
        undecodable("openCaptures", "null");
        undecodable("createTask", QByteArray(taskJson).replace("high", "High"));
        undecodable("retryCapture", QByteArray(captureJson).replace(R"("error":"")", R"("error":null)"));
    }
    void answers()
    {
        QFETCH(QByteArray, endpoint);
        QFETCH(Reply, reply);
        QFETCH(QString, error);
        m_service->setHandler([&reply](const FakeService::Request &) { return reply; });
        const QString outcome = call(endpoint);
        QVERIFY2(error.endsWith(u": "_s) ? outcome.startsWith(error) : outcome == error, qPrintable(outcome));
    }

    void transportFailures_data()
    {
        QTest::addColumn<Reply>("reply");
        QTest::newRow("time-out") << Reply { .body = captureJson, .delay = 3s };
        QTest::newRow("closed without an answer") << Reply::dropped(Reply::Drop::BeforeAnswer);
        QTest::newRow("answer cut short after its status")
            << Reply { .status = 201, .body = captureJson, .drop = Reply::Drop::DuringAnswer };
    }
    void transportFailures()
    {
        QFETCH(Reply, reply);
        m_service->on("POST", "/api/captures", reply);
        QCOMPARE(failure(api(300ms).upload(sampleItem(), QByteArray(4 * 1024 * 1024, 'p'))), u"offline"_s);
        QVERIFY(!m_service->requests().isEmpty());
    }

    // An answer without an HTTP status: the "service" is a folder on disk.
    void answerWithoutStatus()
    {
        QTemporaryDir dir;
        QFile tasks(dir.filePath(u"tasks"_s));
        QVERIFY(tasks.open(QIODevice::WriteOnly) && tasks.write("[]") == 2);
        tasks.close();
        QCOMPARE(failure(QuiblyAPI(QUrl::fromLocalFile(dir.path()), m_key, m_nam.get()).tasks()), u"server(0)"_s);
    }

    void captureImageRawBytes()
    {
        const QByteArray image = QByteArray("\x89PNG\0\r\n", 7) + QByteArray(20 * 1024 * 1024, 'i');
        for (const QByteArray &bytes : { image, QByteArray() }) {
            m_service->on("GET", "/api/captures/c1/image", Reply::bytes(200, bytes, "image/png"));
            const auto result = QuiblyTest::await(api().captureImage(u"c1"_s));
            QVERIFY(result.ok() && result.value() == bytes);
        }
    }

    void sameOriginRedirectIsFollowed_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("endpoint");
        QTest::addColumn<QByteArray>("movedMethod");
        QTest::addColumn<QByteArray>("answer");
        const auto row = [](const char *name, int status, const char *endpoint, const char *movedMethod,
                            const QByteArray &answer) {
            QTest::newRow(name) << status << QByteArray(endpoint) << QByteArray(movedMethod) << answer;
        };
        row("302 GET", 302, "tasks", "GET", "[]");
        row("301 DELETE", 301, "deleteTask", "DELETE", "");
        row("307 upload keeps its body", 307, "upload", "POST", captureJson);
        row("308 PATCH keeps its body", 308, "updateTask", "PATCH", taskJson);
        row("303 after a POST fetches", 303, "retryCapture", "GET", captureJson);
    }
    void sameOriginRedirectIsFollowed()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, endpoint);
        QFETCH(QByteArray, movedMethod);
        QFETCH(QByteArray, answer);
        const QByteArrayList request = endpoints.value(endpoint).request.split(' ');
        // The new place relative to the request's URL.
        m_service->on(request.at(0), request.at(1), { .status = status, .headers = { { "Location", "/v2/moved" } } });
        m_service->on(movedMethod, "/v2/moved", Reply::json(200, answer));

        // Several rounds: a redirected request must go out exactly once every time.
        for (int round = 0; round < 3; ++round) {
            m_service->clearRequests();
            QCOMPARE(call(endpoint), QString());
            QCOMPARE(m_service->requests().size(), 2);
            const FakeService::Request &first = m_service->requests().at(0);
            const FakeService::Request &second = m_service->requests().at(1);
            QCOMPARE(QByteArray(second.method + ' ' + second.target), QByteArray(movedMethod + " /v2/moved"));
            QCOMPARE(second.header("authorization"), first.header("authorization"));
            const bool keepsBody = movedMethod == request.at(0);
            QVERIFY(second.body == (keepsBody ? first.body : QByteArray()));
            QCOMPARE(second.header("content-type"), keepsBody ? first.header("content-type") : QByteArray());
        }
    }

    void redirectLoop()
    {
        m_service->on("GET", "/api/tasks", { .status = 302, .headers = { { "Location", "/api/tasks" } } });
        QCOMPARE(failure(api().tasks()), u"offline"_s);
        QCOMPARE(m_service->requests().size(), 11);
    }

    void crossOriginRedirectSendsNothing_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("endpoint");
        QTest::newRow("307 upload") << 307 << "upload"_ba;
        QTest::newRow("308 upload") << 308 << "upload"_ba;
        QTest::newRow("302 tasks") << 302 << "tasks"_ba;
        QTest::newRow("301 updateTask") << 301 << "updateTask"_ba;
    }
    void crossOriginRedirectSendsNothing()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, endpoint);
        FakeService elsewhere;
        QVERIFY(elsewhere.listen());
        m_service->setHandler([&elsewhere, status](const FakeService::Request &request) {
            const QByteArray place = elsewhere.url(QString::fromLatin1(request.path)).toEncoded();
            return Reply { .status = status, .headers = { { "Location", place } } };
        });
        QCOMPARE(call(endpoint), APIError::server(status).toString());
        QCOMPARE(m_service->requests().size(), 1);
        QCOMPARE(elsewhere.connectionCount(), 0);
    }

    void oversizedAnswers_data()
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
    void oversizedAnswers()
    {
        QFETCH(QByteArray, endpoint);
        QFETCH(qint64, size);
        QFETCH(bool, chunked);
        QFETCH(int, status);
        QFETCH(bool, accepted);
        Reply huge = Reply::json(status, QByteArray(size, ' '));
        huge.chunked = chunked;
        m_service->setHandler([&huge](const FakeService::Request &) { return huge; });
        QCOMPARE(call(endpoint), accepted ? QString() : APIError::server(status).toString());
    }

    void tls()
    {
        TestPki pki;
        if (const QString problem = pki.generate(); !problem.isEmpty())
            QSKIP(qPrintable(problem));
        pki.trustAuthority();

        m_service = std::make_unique<FakeService>();
        QVERIFY(m_service->listenTls(pki.trustedServer()));
        m_service->on("POST", "/api/captures", Reply::json(201, captureJson));
        QCOMPARE(failure(api().upload(sampleItem(), QByteArray(1024 * 1024, 'x'))), QString());
        QCOMPARE(m_service->requests().size(), 1);

        FakeService rogue;
        QVERIFY(rogue.listenTls(pki.untrustedServer()));
        QCOMPARE(failure(QuiblyAPI(rogue.url(u"/api"_s), m_key, m_nam.get()).tasks()), u"offline"_s);
        QVERIFY(rogue.requests().isEmpty()); // the key never crossed an unverified connection
    }

    void keyThatWouldSplitTheHeader_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("CR LF") << u"abc\r\nX-Injected: yes"_s;
        QTest::newRow("LF") << u"abc\nX-Injected: yes"_s;
        QTest::newRow("NUL") << QString(u"abc\0def"_s);
    }
    void keyThatWouldSplitTheHeader()
    {
        // Qt would send the line break as it is and the rest of the key would become a header
        // of its own. Such a key cannot be right, so nothing is sent.
        QFETCH(QString, key);
        QCOMPARE(failure(QuiblyAPI(m_service->url(), key, m_nam.get()).tasks()), u"unauthorized"_s);
        QCOMPARE(m_service->connectionCount(), 0);
    }

    void conditionalLists_data()
    {
        QTest::addColumn<QByteArray>("etag"); // what the service sends; empty: none
        QTest::addColumn<bool>("sameClient"); // or another key on the same service
        QTest::addColumn<QByteArray>("expectedCondition");
        QTest::newRow("validator sent back") << "\"v1\""_ba << true << "\"v1\""_ba;
        QTest::newRow("weak validator sent back") << "W/\"v1\""_ba << true << "W/\"v1\""_ba;
        QTest::newRow("no validator, asked as before") << ""_ba << true << ""_ba;
        QTest::newRow("another key's validator stays home") << "\"v1\""_ba << false << ""_ba;
    }
    void conditionalLists()
    {
        QFETCH(QByteArray, etag);
        QFETCH(bool, sameClient);
        QFETCH(QByteArray, expectedCondition);
        m_service->setHandler([&](const FakeService::Request &request) {
            Reply list = !etag.isEmpty() && request.header("if-none-match") == etag
                ? Reply::empty(304)
                : Reply::json(200, "[" + taskJson + "]");
            if (!etag.isEmpty())
                list.headers.append({ "ETag", etag });
            return list;
        });
        const QuiblyAPI other(m_service->url(u"/api"_s), u"another key"_s, m_nam.get());

        // Asked twice: the second request carries what the first answer named, if anything, and
        // "unchanged" comes back as no listing.
        const auto first = QuiblyTest::await(api().tasks(Listing<TaskItem> {}));
        QVERIFY(first.ok() && first.value() && first.value()->items.size() == 1);
        QCOMPARE(first.value()->etag, etag);
        const auto again = QuiblyTest::await((sameClient ? api() : other).tasks(*first.value()));
        QVERIFY(again.ok());
        QCOMPARE(!again.value(), !expectedCondition.isEmpty());
        QCOMPARE(m_service->requests().at(0).hasHeader("if-none-match"), false);
        QCOMPARE(m_service->requests().at(1).header("if-none-match"), expectedCondition);

        // A 304 to a request that named no validator has nothing to stand for.
        m_service->setHandler([](const FakeService::Request &) { return Reply::empty(304); });
        QCOMPARE(failure(api().tasks(Listing<TaskItem> {})), u"server(304)"_s);
    }

    void compressedAnswers_data()
    {
        QTest::addColumn<qint64>("size"); // unpacked; 0: a list of 201 tasks
        QTest::addColumn<char>("fill");
        QTest::newRow("a list") << qint64(0) << ' ';
        // A megabyte that unpacks into a gigabyte must neither be taken nor fill memory.
        QTest::newRow("gzip bomb") << qint64(1024) * 1024 * 1024 << ' ';
        // Over the limit only once unpacked, at a ratio no bomb detector flags.
        QTest::newRow("over the limit unpacked") << QuiblyAPI::jsonBodyLimit + 1 << 'x';
    }
    void compressedAnswers()
    {
        QFETCH(qint64, size);
        QFETCH(char, fill);
        const QByteArray piece
            = size ? QByteArray(4 * 1024 * 1024, fill) : "[" + QByteArrayList(201, taskJson).join(',') + "]";
        Reply reply = Reply::json(200, gzip(piece, size ? size : piece.size()));
        reply.headers.append(FakeService::Header("Content-Encoding", "gzip"));
        m_service->on("GET", "/api/tasks", reply);
        const qint64 peakBefore = peakResidentKiB();

        const auto result = QuiblyTest::await(api().tasks(Listing<TaskItem> {}));
        // Qt asks for compressed answers on its own and unpacks them.
        QVERIFY(m_service->requests().first().header("accept-encoding").contains("gzip"));
        if (!size) {
            QVERIFY(result.ok() && result.value());
            QCOMPARE(result.value()->items.size(), 201);
            return;
        }
        QVERIFY(!result.ok() && describe(result.error()) == u"server(200)"_s);
        const qint64 grownMiB = (peakResidentKiB() - peakBefore) / 1024;
        QVERIFY2(grownMiB < 200, qPrintable(u"peak memory grew by %1 MiB"_s.arg(grownMiB)));
    }
};

QTEST_GUILESS_MAIN(TestQuiblyAPI)
#include "test_quiblyapi.moc"
