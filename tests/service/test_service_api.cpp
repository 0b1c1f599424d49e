// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// quibly-service's endpoints as a client sees them, over real sockets: on SQLite, and
// on PostgreSQL when QUIBLY_TEST_POSTGRES names a throw-away cluster's directory
// (tests/service/throwaway-postgres, started by ctest).

#include "database.h"
#include "quiblytest.h"
#include "recognizer.h"
#include "service.h"
#include "testpki.h"
#include "wirejson.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include <atomic>
#include <functional>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

RecognitionResult sampleResult()
{
    RecognizedTask pay;
    pay.title = u"Pay the rent"_s;
    pay.priority = u"high"_s;
    pay.dueDate = u"2026-12-07"_s;
    pay.sourcePerson = u"Anna"_s;
    RecognizedTask call;
    call.title = u"Зателефонувати мамі"_s;
    call.dueAt = QDateTime(QDate(2026, 12, 6), QTime(14, 0), Qt::UTC);
    return { true, {}, { pay, call } };
}

//! A recognizer whose answers the test scripts (sampleResult() unless told); it records what it was asked.
class ScriptedRecognizer : public Recognizer
{
public:
    using Script = std::function<RecognitionResult(const RecognitionRequest &)>;

    RecognitionResult recognize(const RecognitionRequest &request) override
    {
        Script script;
        {
            QMutexLocker lock(&m_mutex);
            m_requests.append(request);
            script = m_script;
        }
        if (m_gated)
            m_gate.acquire();
        return script(request);
    }

    void setScript(Script script)
    {
        QMutexLocker lock(&m_mutex);
        m_script = std::move(script);
    }
    //! From now on every recognition waits for release().
    void hold() { m_gated = true; }
    void release(int n = 1) { m_gate.release(n); }
    int started() { return int(requests().size()); }
    QList<RecognitionRequest> requests()
    {
        QMutexLocker lock(&m_mutex);
        return m_requests;
    }

private:
    QMutex m_mutex;
    Script m_script = [](const RecognitionRequest &) { return sampleResult(); };
    QList<RecognitionRequest> m_requests;
    std::atomic_bool m_gated = false;
    QSemaphore m_gate;
};

struct Answer
{
    int status = 0; //!< 0: no HTTP answer
    QByteArray body;
    QByteArray contentType;
    QJsonDocument json() const { return QJsonDocument::fromJson(body); }
    QByteArray code() const { return json().object().value(u"code").toString().toUtf8(); }
};

Answer waitForAnswer(QNetworkReply *reply)
{
    // A spy's wait runs the event loop without qWaitFor's naps, which would throttle the in-process
    // server to a few chunks per interval on large uploads.
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!reply->isFinished() && !finished.wait(30000))
        reply->abort();
    Answer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    answer.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    reply->deleteLater();
    return answer;
}

//! Writes raw bytes to the server (running in this thread's event loop) and collects what it sends
//! until it closes the connection, `done` says enough, or time runs out.
QByteArray rawExchange(quint16 port, const QByteArray &bytes, int timeoutMs = 5000,
                       const std::function<bool(const QByteArray &)> &done = {})
{
    QTcpSocket socket;
    QByteArray received;
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [&] { received += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000))
        return {};
    socket.write(bytes);
    (void)QTest::qWaitFor([&] { return socket.state() != QAbstractSocket::ConnectedState || (done && done(received)); },
                          timeoutMs);
    received += socket.readAll();
    return received;
}

int statusOf(const QByteArray &rawResponse)
{
    return rawResponse.startsWith("HTTP/1.1 ") ? rawResponse.mid(9, 3).toInt() : 0;
}

//! The value of the field \a name in a raw answer; null when it has none.
QByteArray headerOf(const QByteArray &rawResponse, const QByteArray &name)
{
    const QByteArray key = "\r\n" + name + ": ";
    const qsizetype at = rawResponse.indexOf(key);
    const qsizetype start = at + key.size();
    return at < 0 ? QByteArray() : rawResponse.mid(start, rawResponse.indexOf('\r', start) - start);
}

QByteArray bodyOf(const QByteArray &rawResponse)
{
    const qsizetype at = rawResponse.indexOf("\r\n\r\n");
    return at < 0 ? QByteArray() : rawResponse.sliced(at + 4);
}

QJsonObject jsonObject(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

const QByteArray AnnaKey = "key-of-anna";
const QByteArray BorisKey = "key of boris with spaces";
const QByteArray RevokedKey = "key-of-revoked";
const QByteArray Png = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray("image bytes \0\r\n--x", 18);
const QByteArray FormType = "multipart/form-data; boundary=B";
const QList<std::pair<QByteArray, QByteArray>> FormFields
    = { { "local_time", "2026-12-06T12:00:00+02:00" }, { "time_zone", "Europe/Kyiv" }, { "language", "uk" } };

void addUsers(const QString &location)
{
    QString error;
    auto db = Database::open(location, &error);
    QVERIFY2(db, qPrintable(error));
    const auto hash = [](const QByteArray &key) { return QCryptographicHash::hash(key, QCryptographicHash::Sha256); };
    QVERIFY(db->createUser(u"anna"_s, hash(AnnaKey), &error));
    QVERIFY(db->createUser(u"boris"_s, hash(BorisKey), &error));
    QVERIFY(db->createUser(u"gone"_s, hash(RevokedKey), &error));
    QVERIFY(db->revokeUser(u"gone"_s));
}

QByteArray form(const QByteArray &id, const QByteArray &image = Png, const QByteArray &boundary = "B")
{
    return WireJson::form(boundary, QList { std::pair { "id"_ba, id } } + FormFields, image);
}

QString captureStatus(const QJsonObject &result)
{
    return result.value(u"capture").toObject().value(u"status").toString();
}

//! A task as the service wrote it, without its id and time stamps.
QJsonObject withoutStamps(QJsonObject task)
{
    for (const QString &key : { u"id"_s, u"created_at"_s, u"updated_at"_s })
        task.remove(key);
    return task;
}

QString pathOf(const QJsonObject &task)
{
    return u"/tasks/"_s + QString::number(task.value(u"id").toInteger());
}

//! The head of an upload of \a length bytes that asks whether to send them.
QByteArray uploadHead(const QByteArray &key, int length)
{
    return "POST /captures HTTP/1.1\r\nAuthorization: Bearer " + key + "\r\nContent-Type: " + FormType
        + "\r\nContent-Length: " + QByteArray::number(length) + "\r\nExpect: 100-continue\r\n\r\n";
}

} // namespace

class TestServiceApi : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::shared_ptr<ScriptedRecognizer> m_recognizer;
    std::unique_ptr<Service> m_service;
    Service *m_target = nullptr; //!< where calls go when not to m_service
    QNetworkAccessManager m_nam;
    QString m_scheme = u"http"_s;
    QString m_postgres; //!< the cluster's URL; empty: SQLite
    QString m_postgresDir;

    QString location() const { return m_postgres.isEmpty() ? m_dir.path() : m_postgres; }

    void resetPostgres()
    {
        const QString name = u"reset"_s;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, name);
            const QUrl url(m_postgres);
            db.setHostName(QUrlQuery(url).queryItemValue(u"host"_s));
            db.setUserName(url.userName());
            db.setDatabaseName(url.path().sliced(1));
            QVERIFY2(db.open(), qPrintable(db.lastError().text()));
            // Emptied rather than dropped: the schema is made once per cluster (the first test
            // migrates from nothing), and emptying is many times faster.
            QSqlQuery q(db);
            const bool exists = q.exec(u"SELECT 1 FROM pg_tables WHERE tablename = 'users'"_s) && q.next();
            q.finish();
            if (exists)
                QVERIFY2(q.exec(u"TRUNCATE users, captures, images, tasks RESTART IDENTITY CASCADE"_s),
                         qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(name);
    }

    void postgres(const QString &command)
    {
        QProcess script;
        script.start(qEnvironmentVariable("QUIBLY_TEST_POSTGRES_SCRIPT"), { command, m_postgresDir });
        QVERIFY(script.waitForFinished(60000));
        QVERIFY2(script.exitCode() == 0, script.readAllStandardError().constData());
    }

    void startService(const ServiceConfig &extra = {})
    {
        ServiceConfig config = extra;
        config.dataDir = m_dir.path();
        config.database = m_postgres;
        config.port = 0;
        m_service = std::make_unique<Service>(config, m_recognizer);
        QString error;
        QVERIFY2(m_service->start(&error), qPrintable(error));
    }

    QNetworkReply *send(const QByteArray &method, const QString &path, const QByteArray &key = AnnaKey,
                        const QByteArray &body = {}, const QByteArray &contentType = "application/json")
    {
        const quint16 port = (m_target ? m_target : m_service.get())->port();
        QNetworkRequest request(QUrl(u"%1://127.0.0.1:%2%3"_s.arg(m_scheme).arg(port).arg(path)));
        if (!key.isNull())
            request.setRawHeader("Authorization", "Bearer " + key);
        if (!body.isNull())
            request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
        request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false); // one connection each
        return m_nam.sendCustomRequest(request, method, body);
    }

    Answer call(const QByteArray &method, const QString &path, const QByteArray &key = AnnaKey,
                const QByteArray &body = {}, const QByteArray &contentType = "application/json")
    {
        return waitForAnswer(send(method, path, key, body, contentType));
    }

    // Raw: the answer's own bytes, with its headers and validators as sent.
    QByteArray raw(const QByteArray &requestLine, const QByteArray &headers = {}, Service *to = nullptr)
    {
        return rawExchange((to ? to : m_service.get())->port(),
                           requestLine + " HTTP/1.1\r\nAuthorization: Bearer " + AnnaKey + "\r\n" + headers
                               + "Connection: close\r\n\r\n");
    }

    Answer upload(const QByteArray &id, const QByteArray &image = Png, const QByteArray &key = AnnaKey)
    {
        return call("POST", u"/captures"_s, key, form(id, image), FormType);
    }

    Answer addTask(const QByteArray &body, const QByteArray &key = AnnaKey)
    {
        return call("POST", u"/tasks"_s, key, body);
    }

    QJsonArray listTasks(const QByteArray &key = AnnaKey) { return call("GET", u"/tasks"_s, key).json().array(); }

    // Six uploads of one capture id at the same moment, on separate connections, spread over \a
    // services (nullptr: m_service). How many created it; -1 unless all answered alike.
    int racingUploads(const QByteArray &id, const QList<Service *> &services)
    {
        QList<QNetworkReply *> replies;
        for (int i = 0; i < 6; ++i) {
            m_target = services.at(i % services.size());
            const QByteArray boundary = "b" + QByteArray::number(i);
            replies.append(send("POST", u"/captures"_s, AnnaKey, form(id, Png, boundary),
                                "multipart/form-data; boundary=" + boundary));
        }
        m_target = nullptr;
        QSet<QByteArray> bodies;
        int created = 0;
        for (QNetworkReply *reply : replies) {
            const Answer answer = waitForAnswer(reply);
            created += answer.status == 201;
            bodies.insert(answer.status == 200 || answer.status == 201 ? answer.body : QByteArray());
        }
        return bodies.size() == 1 && !bodies.contains(QByteArray()) ? created : -1;
    }

    QJsonObject waitUntilFinished(const QByteArray &id, const QByteArray &key = AnnaKey)
    {
        QJsonObject result;
        (void)QTest::qWaitFor(
            [&] {
                result = call("GET", u"/captures/"_s + QString::fromLatin1(id), key).json().object();
                return captureStatus(result) != u"pending";
            },
            10000);
        return result;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_postgresDir = qEnvironmentVariable("QUIBLY_TEST_POSTGRES");
        if (m_postgresDir.isEmpty())
            return;
        QFile missing(m_postgresDir + u"/missing"_s);
        if (missing.open(QIODevice::ReadOnly))
            QSKIP(qPrintable(u"no PostgreSQL to test against: "_s + QString::fromUtf8(missing.readAll()).trimmed()));
        QFile url(m_postgresDir + u"/url"_s);
        QVERIFY2(url.open(QIODevice::ReadOnly), "the throw-away PostgreSQL cluster did not start");
        m_postgres = QString::fromUtf8(url.readAll()).trimmed();
    }

    void init()
    {
        QuiblyTest::failOnUnexpectedWarnings();
        QVERIFY(QDir(m_dir.path()).removeRecursively() && QDir().mkpath(m_dir.path()));
        if (!m_postgres.isEmpty())
            resetPostgres();
        addUsers(location());
        m_recognizer = std::make_shared<ScriptedRecognizer>();
        m_scheme = u"http"_s;
        startService();
    }

    void cleanup()
    {
        if (m_recognizer)
            m_recognizer->release(100);
        m_target = nullptr;
        m_service.reset();
    }

    // Requests refused with an error code and without effect: malformed HTTP, no known key,
    // malformed forms and task bodies, and targets that are no endpoint (or not for the method).
    void refusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        const auto add = [](const QByteArray &name, const QByteArray &request, const QByteArray &key,
                            const QByteArray &contentType, const QByteArray &body, int status) {
            QByteArray head = request + " HTTP/1.1\r\n";
            if (!key.isNull())
                head += "Authorization: Bearer " + key + "\r\n";
            if (!body.isNull())
                head += "Content-Type: " + contentType + "\r\nContent-Length: " + QByteArray::number(body.size())
                    + "\r\n";
            QTest::addRow("%s %s", request.constData(), name.constData())
                << head + "Connection: close\r\n\r\n" + body << status;
        };
        QTest::addRow("garbage") << "\x16\x03\x01 hello\r\n\r\n"_ba << 400;
        QTest::addRow("no version") << "GET /tasks\r\n\r\n"_ba << 400;
        QTest::addRow("HTTP/2 text") << "GET /tasks HTTP/2.0\r\n\r\n"_ba << 505;
        QTest::addRow("bare newlines") << "GET /tasks HTTP/1.1\nHost: x\n\n\r\n\r\n"_ba << 400;
        QTest::addRow("bad length") << "POST /tasks HTTP/1.1\r\nContent-Length: -1\r\n\r\n"_ba << 400;
        QTest::addRow("two lengths") << "POST /tasks HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab"_ba
                                     << 400;
        QTest::addRow("chunked") << "POST /tasks HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n"_ba << 501;
        QTest::addRow("huge header") << "GET /tasks HTTP/1.1\r\nX: " + QByteArray(40000, 'a') + "\r\n\r\n" << 431;
        QTest::addRow("endless header") << "GET /tasks HTTP/1.1\r\nX: " + QByteArray(40000, 'a') << 431;
        // A body is judged by its head, and refused while still unsent: when it comes without a known
        // key (checked first: a stranger learns nothing more) or is too large.
        QTest::addRow("unsent body, unknown key") << uploadHead("x", 1000000) << 401;
        QTest::addRow("unsent body too large, unknown key") << uploadHead("x", 500000000) << 401;
        QTest::addRow("unsent body too large") << uploadHead(AnnaKey, 500000000) << 413;
        for (const char *request : { "GET /tasks", "POST /tasks", "PATCH /tasks/1", "DELETE /tasks/1", "GET /captures",
                                     "POST /captures", "GET /captures/real", "GET /captures/real/image",
                                     "POST /captures/real/retry", "DELETE /captures/real", "GET /nowhere" }) {
            const QByteArray body = QByteArray(request).startsWith("GET") ? QByteArray() : "{}"_ba;
            add("no key", request, {}, "application/json", body, 401);
            add("wrong key", request, "nope", "application/json", body, 401);
        }
        for (const auto &[name, key] : { std::pair { "revoked key", RevokedKey }, std::pair { "empty bearer", ""_ba },
                                         std::pair { "prefix of a key", AnnaKey.first(5) },
                                         std::pair { "key of another case", AnnaKey.toUpper() } })
            add(name, "GET /tasks", key, {}, {}, 401);

        const auto fields = QList { std::pair { "id"_ba, "abc"_ba } } + FormFields;
        const auto with = [&](const QByteArray &name, const QByteArray &value) {
            auto changed = fields;
            changed.removeIf([&](const auto &f) { return f.first == name; });
            if (!value.isNull())
                changed.append({ name, value });
            return WireJson::form("B", changed, Png);
        };
        const QByteArray complete = form("abc");
        const auto badForm = [&](const QByteArray &name, const QByteArray &body, const QByteArray &type = FormType) {
            add(name, "POST /captures", AnnaKey, type, body, 400);
        };
        badForm("no boundary", complete, "multipart/form-data");
        badForm("not multipart", complete, "application/json");
        badForm("other boundary", complete, "multipart/form-data; boundary=C");
        badForm("truncated", complete.first(complete.size() - 10));
        badForm("empty body", "");
        for (const QByteArray &name : { "id"_ba, "local_time"_ba, "time_zone"_ba, "language"_ba })
            badForm("missing " + name, with(name, {}));
        badForm("missing image", QByteArray(complete).replace("name=\"image\"", "name=\"img\""));
        badForm("duplicate id", WireJson::form("B", fields + QList { std::pair { "id"_ba, "def"_ba } }, Png));
        badForm("id with a slash", with("id", "../../etc/passwd"));
        badForm("id with dots", with("id", ".."));
        badForm("empty id", with("id", ""));
        badForm("long id", with("id", QByteArray(65, 'a')));
        badForm("local time without zone", with("local_time", "2026-12-06T10:00:00"));
        badForm("empty time zone", with("time_zone", ""));
        badForm("time zone with newline", with("time_zone", "Europe/\nKyiv"));
        badForm("language digits", with("language", "42"));

        const QByteArray patches
            = R"(|not json|[]|{"title":"x"|{"titel":"typo"}|{"done":true,"extra":1})"
              R"(|{"title":"   "}|{"title":null}|{"title":42}|{"description":null})"
              R"(|{"priority":"High"}|{"priority":1}|{"due_date":"2026-02-30"}|{"due_date":20261206})"
              R"(|{"due_date":"2026-12-7"}|{"due_date":"2026-12-07T"}|{"due_date":"26-12-07"}|{"due_date":"2026/12/07"})"
              R"(|{"due_at":"2026-12-06T10:00:00"}|{"due_at":1765000000}|{"done":"true"}|{"done":null})"
              R"(|{"done_at":null}|{"id":5})";
        for (const QByteArray &body : patches.split('|'))
            add(body, "PATCH /tasks/1", AnnaKey, "application/json", body, 400);
        const QByteArray creates = R"(|{}|[]|{"title":" "}|{"title":7}|{"title":"a","priority":"high"})";
        for (const QByteArray &body : QByteArray(creates + "|{\"title\":\"" + QByteArray(1001, 'a') + "\"}").split('|'))
            add(body.left(40), "POST /tasks", AnnaKey, "application/json", body, 400);

        // None may reach another user's record or a file of the store.
        for (const char *request :
             { "GET /captures/../../etc/passwd", "GET /captures/..%2F..%2Fquibly-service.sqlite/image",
               "GET /captures/%2e%2e/image", "GET /captures/%2Fetc%2Fpasswd/image", "GET /captures/abc%00/image",
               "GET /captures/1/image", "GET /captures/real/image/more", "DELETE /tasks/1abc",
               "DELETE /tasks/99999999999999999999", "DELETE /tasks/", "GET /", "GET /task" })
            add({}, request, AnnaKey, {}, {}, 404);
        for (const char *request : { "PUT /tasks", "GET /tasks/1", "PATCH /captures/real", "GET /captures/real/retry" })
            add({}, request, AnnaKey, {}, {}, 405);
        // Records that are gone, or another user's.
        const auto notFound = [&](const char *name, const QByteArray &key, const QByteArray &capture, int task) {
            for (const QByteArray &request :
                 QByteArrayList { "GET /captures/" + capture, "GET /captures/" + capture + "/image",
                                  "POST /captures/" + capture + "/retry", "DELETE /captures/" + capture })
                add(name, request, key, {}, {}, 404);
            for (const QByteArray &method : { "PATCH"_ba, "DELETE"_ba })
                add(name, method + " /tasks/" + QByteArray::number(task), key, "application/json", R"({"title":"x"})",
                    404);
        };
        notFound("deleted", AnnaKey, "gone", 99);
        notFound("of another user", BorisKey, "real", 1);
    }

    void refusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QCOMPARE(addTask(R"({"title":"Keep me"})").json().object().value(u"id"), 1);
        for (const QByteArray &id : { "real"_ba, "gone"_ba }) {
            QCOMPARE(upload(id).status, 201);
            waitUntilFinished(id);
        }
        QCOMPARE(call("DELETE", u"/captures/gone"_s).status, 204);
        m_recognizer->hold(); // an upload taken by mistake stays among the open captures
        const QByteArray tasks = call("GET", u"/tasks"_s).body;

        const QByteArray answer = rawExchange(m_service->port(), bytes);
        QCOMPARE(statusOf(answer), status);
        QCOMPARE(headerOf(answer, "Connection"), "close");
        static const QHash<int, QByteArray> codes { { 401, "unauthorized" },
                                                    { 404, "not_found" },
                                                    { 405, "method_not_allowed" },
                                                    { 413, "too_large" },
                                                    { 431, "too_large" } };
        QCOMPARE(bodyOf(answer), "{\"code\":\"" + codes.value(status, "invalid_request") + "\"}");
        QCOMPARE(call("GET", u"/tasks"_s).body, tasks);
        QCOMPARE(call("GET", u"/captures"_s).body, "[]");
        QCOMPARE(captureStatus(waitUntilFinished("real")), u"done"_s);
        QCOMPARE(m_recognizer->started(), 2);
    }

    void uploadedCaptureIsRecognised()
    {
        const Answer uploaded = upload("1b4e28ba-2fa1-11d2-883f-0016d3cca427");
        QCOMPARE(uploaded.status, 201);
        QJsonObject capture = uploaded.json().object();
        QVERIFY(!capture.take(u"created_at"_s).toString().isEmpty());
        QCOMPARE(capture,
                 jsonObject(
                     R"({"id":"1b4e28ba-2fa1-11d2-883f-0016d3cca427","status":"pending","error":"",
            "local_time":"2026-12-06T10:00:00.000Z","time_zone":"Europe/Kyiv","language":"uk"})"));

        const QJsonObject result = waitUntilFinished("1b4e28ba-2fa1-11d2-883f-0016d3cca427");
        QCOMPARE(captureStatus(result), u"done"_s);
        const QJsonArray tasks = result.value(u"tasks").toArray();
        QCOMPARE(tasks.size(), 2);
        QCOMPARE(withoutStamps(tasks[0].toObject()), jsonObject(R"({"title":"Pay the rent","description":"",
            "priority":"high","due_date":"2026-12-07","due_at":null,"done_at":null,"source_app":null,
            "source_person":"Anna","capture_id":"1b4e28ba-2fa1-11d2-883f-0016d3cca427"})"));
        QCOMPARE(withoutStamps(tasks[1].toObject()), jsonObject(R"({"title":"Зателефонувати мамі","description":"",
            "priority":"medium","due_date":null,"due_at":"2026-12-06T14:00:00.000Z","done_at":null,"source_app":null,
            "source_person":null,"capture_id":"1b4e28ba-2fa1-11d2-883f-0016d3cca427"})"));

        // The recognizer saw the stored image and the capture's context.
        const auto requests = m_recognizer->requests();
        QCOMPARE(requests.size(), 1);
        QVERIFY(requests[0].image == Png && requests[0].language == u"uk" && requests[0].timeZone == u"Europe/Kyiv"
                && requests[0].localTime == QDateTime(QDate(2026, 12, 6), QTime(10, 0), Qt::UTC));

        QCOMPARE(listTasks(), tasks);
        QCOMPARE(call("GET", u"/captures"_s).json().array(), QJsonArray());

        const Answer image = call("GET", u"/captures/1b4e28ba-2fa1-11d2-883f-0016d3cca427/image"_s);
        QCOMPARE(image.body, Png);
        QCOMPARE(image.contentType, "image/png");
        QCOMPARE(call("DELETE", u"/captures/1b4e28ba-2fa1-11d2-883f-0016d3cca427"_s).status, 204);
        if (m_postgres.isEmpty())
            QCOMPARE(QDir(m_dir.filePath(u"images"_s)).entryList(QDir::Files), QStringList());
        // The tasks read from it stay, no longer pointing at a capture.
        const QJsonArray kept = listTasks();
        QCOMPARE(kept.size(), 2);
        QVERIFY(kept[0].toObject().value(u"capture_id").isNull());
    }

    // One capture per user and id: sent again, or several times at once, an upload answers with the
    // capture it made; another user's upload under the same id makes one of theirs.
    void uploadIsIdempotentByCaptureId()
    {
        m_recognizer->hold();
        const Answer first = upload("same-id");
        QCOMPARE(first.status, 201);
        const Answer again = upload("same-id", "other bytes");
        QVERIFY2(again.status == 200, again.body.constData());
        QCOMPARE(again.json(), first.json());
        QCOMPARE(racingUploads("racing-id", { nullptr }), 1);
        QCOMPARE(upload("same-id", Png, BorisKey).status, 201);
        m_recognizer->release(10);
        waitUntilFinished("racing-id");
        waitUntilFinished("same-id");
        QCOMPARE(waitUntilFinished("same-id", BorisKey).value(u"tasks").toArray().size(), 2);
        QCOMPARE(m_recognizer->started(), 3);
        QCOMPARE(m_recognizer->requests().first().image, Png);
        QCOMPARE(listTasks().size(), 4);
        QCOMPARE(listTasks(BorisKey).size(), 2);
    }

    // The largest image is taken, and a body that fits is asked for before it is sent.
    void uploadsUpToTheLimit()
    {
        QCOMPARE(upload("exactly-the-limit", QByteArray(Service::MaxImageBytes, 'x')).status, 201);
        const Answer over = upload("over-the-limit", QByteArray(Service::MaxImageBytes + 1, 'x'));
        QCOMPARE(over.status, 413);
        QCOMPARE(over.code(), "too_large");
        QCOMPARE(call("GET", u"/captures/over-the-limit"_s).status, 404);
        QCOMPARE(rawExchange(m_service->port(), uploadHead(AnnaKey, 1000000), 5000,
                             [](const QByteArray &r) { return r.endsWith("\r\n\r\n"); }),
                 "HTTP/1.1 100 Continue\r\n\r\n");
    }

    void failedCaptureCanBeRetried()
    {
        m_recognizer->setScript([](const RecognitionRequest &request) {
            if (request.image == "boom")
                throw std::runtime_error("a recognizer that fails without a code");
            return request.image.startsWith("\x89PNG") ? sampleResult()
                                                       : RecognitionResult { false, u"unreadable_image"_s, {} };
        });
        QTest::ignoreMessage(QtWarningMsg, "recognizer failed: a recognizer that fails without a code");
        upload("throws", "boom");
        const QJsonObject thrown = waitUntilFinished("throws").value(u"capture").toObject();
        QCOMPARE(thrown.value(u"status").toString(), u"failed"_s);
        QVERIFY(!thrown.value(u"error").toString().isEmpty());
        QCOMPARE(call("DELETE", u"/captures/throws"_s).status, 204);

        QCOMPARE(upload("text-file", "just some text").status, 201);
        QJsonObject result = waitUntilFinished("text-file");
        QCOMPARE(result.value(u"capture").toObject().value(u"error").toString(), u"unreadable_image"_s);
        QCOMPARE(result.value(u"tasks").toArray(), QJsonArray());
        QCOMPARE(call("GET", u"/captures"_s).json().array(), QJsonArray({ result.value(u"capture") }));
        QCOMPARE(call("GET", u"/captures"_s, BorisKey).body, "[]"); // and none of them is shown to another user

        m_recognizer->setScript([](const RecognitionRequest &) { return sampleResult(); });
        QJsonObject retried = call("POST", u"/captures/text-file/retry"_s, AnnaKey, QByteArray()).json().object();
        QCOMPARE(retried.take(u"status"_s), QJsonValue(u"pending"_s));
        QCOMPARE(retried.take(u"error"_s), QJsonValue(u""_s));
        result = waitUntilFinished("text-file");
        QCOMPARE(captureStatus(result), u"done"_s);
        QCOMPARE(result.value(u"tasks").toArray().size(), 2);
        QCOMPARE(m_recognizer->started(), 3);

        // Retrying a finished capture answers with it as it is (that it changes nothing, the
        // list validators show).
        QCOMPARE(call("POST", u"/captures/text-file/retry"_s).json().object(), result.value(u"capture").toObject());
    }

    void deletingPendingCaptureDropsItsOutcome()
    {
        m_recognizer->hold();
        upload("short-lived");
        QVERIFY(QTest::qWaitFor([&] { return m_recognizer->started() == 1; }));
        QCOMPARE(call("DELETE", u"/captures/short-lived"_s).status, 204);
        m_recognizer->release();
        QTest::qWait(200);
        QCOMPARE(listTasks(), QJsonArray());
        // The id is free again.
        QCOMPARE(upload("short-lived").status, 201);
    }

    void taskLifecycle()
    {
        const Answer created = addTask("{\"title\":\"  Buy \\\"oat\\\" milk \u00fc \"}");
        QCOMPARE(created.status, 201);
        QJsonObject task = created.json().object();
        QCOMPARE(task.keys().size(), 12);
        QCOMPARE(task.value(u"title").toString(), u"Buy \"oat\" milk ü"_s);
        QCOMPARE(task.value(u"priority").toString(), u"medium"_s);
        QVERIFY(task.value(u"capture_id").isNull());
        QCOMPARE(task.value(u"created_at"), task.value(u"updated_at"));
        const QString path = pathOf(task);
        QCOMPARE(listTasks(), QJsonArray({ task }));

        QTest::qWait(5);
        const QJsonObject done = call("PATCH", path, AnnaKey, R"({"done":true})").json().object();
        QVERIFY(!done.value(u"done_at").isNull());
        QVERIFY(done.value(u"updated_at") != task.value(u"updated_at"));
        // Marking a done task done again keeps when it was done.
        QTest::qWait(5);
        QCOMPARE(call("PATCH", path, AnnaKey, R"({"done":true})").json().object().value(u"done_at"),
                 done.value(u"done_at"));
        const QJsonObject reopened = call("PATCH", path, AnnaKey, R"({"done":false})").json().object();
        QVERIFY(reopened.value(u"done_at").isNull());
        QCOMPARE(listTasks(), QJsonArray({ reopened }));

        QCOMPARE(call("DELETE", path).status, 204);
        QCOMPARE(call("DELETE", path).code(), "not_found");
        QCOMPARE(listTasks(), QJsonArray());
    }

    void patchChangesExactlyWhatItNames_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QJsonValue>("expected");
        // Titles and descriptions come back as written, whatever they hold.
        for (const auto &[member, text] : { std::pair { u"title"_s, u"say \"hi\" \\ C:\\path 😀"_s },
                                            std::pair { u"description"_s, u"two\nlines\x01\x1f\r\t\b\f\x7f"_s } })
            QTest::addRow("%s", qPrintable(member))
                << QJsonDocument(QJsonObject { { member, text } }).toJson(QJsonDocument::Compact) << member
                << QJsonValue(text);
        QTest::addRow("empty description") << R"({"description":""})"_ba << u"description"_s << QJsonValue(u""_s);
        QTest::addRow("priority") << R"({"priority":"low"})"_ba << u"priority"_s << QJsonValue(u"low"_s);
        QTest::addRow("due date") << R"({"due_date":"2027-01-31"})"_ba << u"due_date"_s << QJsonValue(u"2027-01-31"_s);
        QTest::addRow("leap day") << R"({"due_date":"2028-02-29"})"_ba << u"due_date"_s << QJsonValue(u"2028-02-29"_s);
        QTest::addRow("due date cleared") << R"({"due_date":null})"_ba << u"due_date"_s << QJsonValue();
        QTest::addRow("due at with offset") << R"({"due_at":"2026-12-24T18:30:00+02:00"})"_ba << u"due_at"_s
                                            << QJsonValue(u"2026-12-24T16:30:00.000Z"_s);
        QTest::addRow("due at cleared") << R"({"due_at":null})"_ba << u"due_at"_s << QJsonValue();
        QTest::addRow("nothing") << "{}"_ba << u"title"_s << QJsonValue(u"Original"_s);
    }

    void patchChangesExactlyWhatItNames()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, member);
        QFETCH(QJsonValue, expected);
        const QJsonObject task = addTask(R"({"title":"Original"})").json().object();
        const QString path = pathOf(task);
        QCOMPARE(call("PATCH", path, AnnaKey, R"({"due_date":"2026-01-01","due_at":"2026-01-01T09:00:00Z"})").status,
                 200);
        const QJsonObject before = listTasks().first().toObject();
        const Answer answer = call("PATCH", path, AnnaKey, body);
        QCOMPARE(answer.status, 200);
        const QJsonObject after = answer.json().object();
        QCOMPARE(after.value(member).isNull() ? QJsonValue() : after.value(member), expected);
        for (const QString &other : after.keys()) {
            if (other != member && other != u"updated_at")
                QCOMPARE(after.value(other), before.value(other));
        }
        QCOMPARE(listTasks(), QJsonArray({ after }));
    }

    void pipelinedRequestsAreAnsweredInOrder()
    {
        const QByteArray auth = "Authorization: Bearer " + AnnaKey + "\r\n";
        const QByteArray create = R"({"title":"first"})";
        const QByteArray answers
            = rawExchange(m_service->port(),
                          "POST /tasks HTTP/1.1\r\n" + auth + "Content-Length: " + QByteArray::number(create.size())
                              + "\r\n\r\n" + create + "GET /tasks HTTP/1.1\r\n" + auth + "\r\nGET /nowhere HTTP/1.1\r\n"
                              + auth + "Connection: close\r\n\r\n");
        const qsizetype created = answers.indexOf("HTTP/1.1 201");
        const qsizetype listed = answers.indexOf("HTTP/1.1 200");
        const qsizetype missing = answers.indexOf("HTTP/1.1 404");
        QVERIFY2(created >= 0 && created < listed && listed < missing, answers.constData());
        QVERIFY(answers.indexOf("\"first\"", listed) > listed);
    }

    void recognitionResumesAfterRestart()
    {
        const QJsonObject kept = addTask(R"({"title":"Survives"})").json().object();
        m_recognizer->hold();
        upload("interrupted");
        QVERIFY(QTest::qWaitFor([&] { return m_recognizer->started() == 1; }));
        // Stop in the middle of recognition: the outcome that arrives later is dropped.
        std::thread releaser([recognizer = m_recognizer] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            recognizer->release();
        });
        m_service->stop();
        releaser.join();
        m_service.reset();

        m_recognizer = std::make_shared<ScriptedRecognizer>();
        startService();
        const QJsonObject result = waitUntilFinished("interrupted");
        QCOMPARE(captureStatus(result), u"done"_s);
        QCOMPARE(result.value(u"tasks").toArray().size(), 2);
        QCOMPARE(m_recognizer->started(), 1);
        const QJsonArray tasks = listTasks();
        QCOMPARE(tasks.size(), 3);
        QCOMPARE(tasks[0].toObject(), kept);
    }

    void listsAnswerConditionally_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("condition"); // %1 stands for the current tag
        QTest::addColumn<int>("status");
        const QByteArrayList matching { "%1", "W/%1", "\"old\",  %1 ,", "*" };
        const QByteArrayList others { "\"1.2\"", "abc", "%1, abc", "%1, *", "" };
        for (const QByteArray &path : { "/tasks"_ba, "/captures"_ba }) {
            for (const QByteArray &condition : matching + others)
                QTest::addRow("%s %s", path.constData(), condition.constData())
                    << path << condition << (matching.contains(condition) ? 304 : 200);
        }
    }

    void listsAnswerConditionally()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, condition);
        QFETCH(int, status);
        upload("listed");
        waitUntilFinished("listed");
        const auto get = [&](const QByteArray &tag) {
            return raw("GET " + path, tag.isNull() ? QByteArray() : "If-None-Match: " + tag + "\r\n");
        };
        const QByteArray full = get({});
        QCOMPARE(statusOf(full), 200);
        const QByteArray tag = headerOf(full, "ETag");
        QVERIFY2(tag.startsWith('"') && tag.endsWith('"') && tag.size() > 2, full.constData());

        const QByteArray answer = get(QByteArray(condition).replace("%1", tag));
        QCOMPARE(statusOf(answer), status);
        QCOMPARE(headerOf(answer, "ETag"), tag);
        if (status == 304) {
            QVERIFY2(answer.endsWith("\r\n\r\n") && !answer.contains("Content-Length"), answer.constData());
            return;
        }
        QCOMPARE(bodyOf(answer), bodyOf(full));

        // Another user's writes leave the tag alone; the user's own change it.
        QCOMPARE(addTask(R"({"title":"his"})", BorisKey).status, 201);
        QCOMPARE(statusOf(get(tag)), 304);
        // A retry changes nothing: the capture is done.
        QCOMPARE(call("POST", u"/captures/listed/retry"_s).status, 200);
        QCOMPARE(statusOf(get(tag)), 304);
        const QJsonObject task = addTask(R"({"title":"hers"})").json().object();
        QCOMPARE(statusOf(get(tag)), 200);
        const QByteArray afterCreate = headerOf(get({}), "ETag");
        QCOMPARE(call("DELETE", pathOf(task)).status, 204);
        QVERIFY(headerOf(get({}), "ETag") != afterCreate);
    }

    // Large lists go gzipped to a client that takes gzip, with a tag of their own.
    void largeListsTravelCompressed_data()
    {
        QTest::addColumn<QByteArray>("accepted"); // the Accept-Encoding lines, "|" between two
        QTest::addColumn<bool>("gzip");
        for (const char *accepted : { "gzip, deflate", " br ,  GZip ; q=0.5", "*;q=1", "br|gzip" })
            QTest::addRow("%s", accepted) << QByteArray(accepted) << true;
        for (const char *accepted : { "gzip;q=0, br", "gzip;q=0.000|*", "*;q=0", "gzipped", "identity" })
            QTest::addRow("%s", accepted) << QByteArray(accepted) << false;
        QTest::addRow("none") << QByteArray() << false;
    }

    void largeListsTravelCompressed()
    {
        QFETCH(QByteArray, accepted);
        QFETCH(bool, gzip);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(addTask(R"({"title":"A task with a title of some length"})").status, 201);
        const QByteArray plain = call("GET", u"/tasks"_s).body; // Qt unpacks what it receives
        QVERIFY(plain.size() > 2000);
        QByteArray headers;
        for (const QByteArray &line : accepted.isNull() ? QByteArrayList() : accepted.split('|'))
            headers += "Accept-Encoding: " + line + "\r\n";
        const QByteArray answer = raw("GET /tasks", headers);
        if (!gzip) {
            QVERIFY(!answer.contains("Content-Encoding"));
            QCOMPARE(bodyOf(answer), plain);
            return;
        }
        QCOMPARE(headerOf(answer, "Content-Encoding"), "gzip");
        QCOMPARE(headerOf(answer, "Vary"), "Accept-Encoding");
        QVERIFY(bodyOf(answer).size() < plain.size() / 4);
        const QByteArray tag = headerOf(answer, "ETag");
        QVERIFY2(tag.endsWith("-gzip\""), tag.constData());
        QCOMPARE(statusOf(raw("GET /tasks", headers + "If-None-Match: " + tag + "\r\n")), 304);
        // Small answers go as they are.
        const QByteArray small = raw("GET /captures", headers);
        QVERIFY2(bodyOf(small) == "[]" && !small.contains("Content-Encoding"), small.constData());
    }

    // The same version (and so the same validators) after the schema was looked at again.
    void migrationRunsOnce()
    {
        QByteArrayList versions;
        for (int i = 0; i < 2; ++i) {
            QString error;
            auto db = Database::open(location(), &error);
            QVERIFY2(db, qPrintable(error));
            QCOMPARE(db->users().size(), 3);
            versions.append(db->userVersion(db->users().first().id));
        }
        QCOMPARE(versions.at(1), versions.at(0));
    }

    void twoInstancesShareOneStore()
    {
        if (m_postgres.isEmpty())
            QSKIP("several instances need a shared PostgreSQL store");
        auto otherRecognizer = std::make_shared<ScriptedRecognizer>();
        Service other({ m_dir.path(), QHostAddress::LocalHost, 0, {}, {}, 2, m_postgres, 600 }, otherRecognizer);
        QString error;
        QVERIFY2(other.start(&error), qPrintable(error));
        const auto started = [&] { return m_recognizer->started() + otherRecognizer->started(); };
        const auto hold = [&](bool held) {
            for (ScriptedRecognizer *recognizer : { m_recognizer.get(), otherRecognizer.get() })
                held ? recognizer->hold() : recognizer->release(10);
        };

        // One capture id uploaded to both instances at once: one capture, one recognition.
        hold(true);
        QCOMPARE(racingUploads("twice", { nullptr, &other }), 1);
        hold(false);
        QCOMPARE(waitUntilFinished("twice").value(u"tasks"_s).toArray().size(), 2);
        QCOMPARE(started(), 1);

        // Either instance serves the user, with the same validators.
        m_target = &other;
        QCOMPARE(addTask(R"({"title":"From the other"})").status, 201);
        const QByteArray there = call("GET", u"/tasks"_s).body;
        m_target = nullptr;
        QCOMPARE(call("GET", u"/tasks"_s).body, there);
        QCOMPARE(headerOf(raw("GET /tasks", {}, &other), "ETag"), headerOf(raw("GET /tasks"), "ETag"));

        // A job held by an instance that died: taken over once its lease has run out, and the dead
        // instance's late outcome is dropped.
        auto db = Database::open(m_postgres, &error);
        QVERIFY2(db, qPrintable(error));
        bool added = false;
        CaptureRecord orphan;
        orphan.userId = db->users().first().id;
        orphan.id = u"orphan"_s;
        orphan.timeZone = u"UTC"_s;
        orphan.language = u"en"_s;
        hold(true);
        // Taken by the "dead" instance right away; a live one may race it, which the hold shows.
        db->addCapture(orphan, Png, &added);
        QVERIFY(added);
        const auto dead = db->claimJob(u"dead"_s, 1500);
        hold(false);
        if (!dead)
            QSKIP("a live instance took the job first");
        QTest::qWait(500);
        QCOMPARE(started(), 1);
        QCOMPARE(captureStatus(waitUntilFinished("orphan")), u"done"_s);
        QCOMPARE(started(), 2);
        QVERIFY(!db->finishCapture(dead->row, dead->attempt, false, u"late"_s, {}));
        QCOMPARE(waitUntilFinished("orphan").value(u"tasks"_s).toArray().size(), 2);
    }

    void databaseOutageAnswers503()
    {
        if (m_postgres.isEmpty())
            QSKIP("a SQLite store does not go away");
        QCOMPARE(addTask(R"({"title":"Before"})").status, 201);
        postgres(u"pause"_s);
        auto resume = qScopeGuard([this] { postgres(u"resume"_s); });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"database unavailable"_s));
        for (int i = 0; i < 2; ++i) { // the first meets the broken connection, the second a refused one
            const Answer answer = addTask(R"({"title":"Lost"})");
            QCOMPARE(answer.status, 503);
            QCOMPARE(answer.code(), "unavailable");
        }
        resume.dismiss();
        postgres(u"resume"_s);
        const QJsonArray tasks = listTasks();
        QCOMPARE(tasks.size(), 1);
        QCOMPARE(tasks[0].toObject().value(u"title"_s).toString(), u"Before"_s);
    }

    void speaksTls()
    {
        TestPki pki;
        if (const QString failure = pki.generate(); !failure.isEmpty())
            QSKIP(qPrintable(failure));
        pki.trustAuthority();
        m_service.reset();
        ServiceConfig config;
        config.tlsCertificate = pki.trustedFile(u"crt"_s);
        config.tlsKey = pki.trustedFile(u"key"_s);
        startService(config);
        m_scheme = u"https"_s;

        const Answer answer = call("GET", u"/tasks"_s);
        QCOMPARE(answer.status, 200);
        QCOMPARE(answer.body, "[]");
        QCOMPARE(upload("over-tls").status, 201);
        // Plain HTTP to the TLS port gets no HTTP answer.
        QCOMPARE(statusOf(rawExchange(m_service->port(), "GET /tasks HTTP/1.1\r\n\r\n", 2000)), 0);
    }
};

QTEST_GUILESS_MAIN(TestServiceApi)
#include "test_service_api.moc"
