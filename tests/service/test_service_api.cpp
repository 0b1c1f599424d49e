// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// quibly-service's endpoints as a client sees them, over real sockets: on SQLite, and
// on PostgreSQL when QUIBLY_TEST_POSTGRES names a throw-away cluster's directory
// (tests/service/throwaway-postgres, started by ctest).

#include "database.h"
#include "service.h"
#include "servicetestsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSslConfiguration>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include <thread>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray AnnaKey = "key-of-anna";
const QByteArray BorisKey = "key of boris with spaces";
const QByteArray RevokedKey = "key-of-revoked";
const QByteArray Png = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray("image bytes \0\r\n--x", 18);

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

QList<RecognizedTask> sampleTasks()
{
    RecognizedTask pay;
    pay.title = u"Pay the rent"_s;
    pay.priority = u"high"_s;
    pay.dueDate = u"2026-12-07"_s;
    pay.sourcePerson = u"Anna"_s;
    RecognizedTask call;
    call.title = u"Зателефонувати мамі"_s;
    call.dueAt = QDateTime(QDate(2026, 12, 6), QTime(14, 0), Qt::UTC);
    return { pay, call };
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

    // Back to an empty database.
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

    // Stops or starts the cluster's server.
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

    QNetworkRequest request(const QString &path, const QByteArray &key)
    {
        QUrl url;
        url.setScheme(m_scheme);
        url.setHost(u"127.0.0.1"_s);
        url.setPort((m_target ? m_target : m_service.get())->port());
        url.setPath(path);
        QNetworkRequest request(url);
        if (!key.isNull())
            request.setRawHeader("Authorization", "Bearer " + key);
        return request;
    }

    Answer call(const QByteArray &method, const QString &path, const QByteArray &key = AnnaKey,
                const QByteArray &body = {}, const QByteArray &contentType = "application/json")
    {
        QNetworkRequest r = request(path, key);
        if (!body.isNull())
            r.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
        return waitForAnswer(m_nam.sendCustomRequest(r, method, body));
    }

    Answer upload(const QByteArray &id, const QByteArray &image = Png, const QByteArray &key = AnnaKey)
    {
        const QByteArray boundary = "quibly-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper();
        const QByteArray body = multipartBody(boundary,
                                              { { "id", id },
                                                { "local_time", "2026-12-06T12:00:00+02:00" },
                                                { "time_zone", "Europe/Kyiv" },
                                                { "language", "uk" } },
                                              image);
        return call("POST", u"/captures"_s, key, body, "multipart/form-data; boundary=" + boundary);
    }

    QJsonObject waitUntilFinished(const QByteArray &id, const QByteArray &key = AnnaKey)
    {
        QJsonObject result;
        (void)QTest::qWaitFor(
            [&] {
                result = call("GET", u"/captures/"_s + QString::fromLatin1(id), key).json().object();
                return result.value(u"capture").toObject().value(u"status").toString() != u"pending";
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
        QVERIFY(m_dir.isValid());
        for (const QString &entry : QDir(m_dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries))
            QVERIFY(QFileInfo(m_dir.filePath(entry)).isDir() ? QDir(m_dir.filePath(entry)).removeRecursively()
                                                             : QFile::remove(m_dir.filePath(entry)));
        if (!m_postgres.isEmpty())
            resetPostgres();
        addUsers(location());
        m_recognizer = std::make_shared<ScriptedRecognizer>([](const RecognitionRequest &) {
            return RecognitionResult { true, {}, sampleTasks() };
        });
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

    void refusesMissingOrUnknownKeys_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("key");
        const QList<std::pair<QByteArray, QString>> endpoints
            = { { "GET", u"/tasks"_s },         { "POST", u"/tasks"_s },           { "PATCH", u"/tasks/1"_s },
                { "DELETE", u"/tasks/1"_s },    { "GET", u"/captures"_s },         { "POST", u"/captures"_s },
                { "GET", u"/captures/x"_s },    { "GET", u"/captures/x/image"_s }, { "POST", u"/captures/x/retry"_s },
                { "DELETE", u"/captures/x"_s }, { "GET", u"/nowhere"_s } };
        for (const auto &[method, path] : endpoints) {
            QTest::addRow("%s %s no key", method.constData(), qPrintable(path)) << method << path << QByteArray();
            QTest::addRow("%s %s wrong key", method.constData(), qPrintable(path)) << method << path << "nope"_ba;
        }
        QTest::addRow("revoked key") << "GET"_ba << u"/tasks"_s << RevokedKey;
        QTest::addRow("empty bearer") << "GET"_ba << u"/tasks"_s << ""_ba;
        QTest::addRow("prefix of a key") << "GET"_ba << u"/tasks"_s << AnnaKey.first(5);
        QTest::addRow("key of another case") << "GET"_ba << u"/tasks"_s << AnnaKey.toUpper();
    }

    void refusesMissingOrUnknownKeys()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(QByteArray, key);
        const Answer answer = call(method, path, key, method == "GET" ? QByteArray() : "{}"_ba);
        QCOMPARE(answer.status, 401);
        QCOMPARE(answer.code(), "unauthorized");
    }

    void uploadedCaptureIsRecognised()
    {
        const Answer uploaded = upload("1b4e28ba-2fa1-11d2-883f-0016d3cca427");
        QCOMPARE(uploaded.status, 201);
        const QJsonObject capture = uploaded.json().object();
        QCOMPARE(capture.keys(),
                 QStringList({ u"created_at"_s, u"error"_s, u"id"_s, u"language"_s, u"local_time"_s, u"status"_s,
                               u"time_zone"_s }));
        QCOMPARE(capture.value(u"id").toString(), u"1b4e28ba-2fa1-11d2-883f-0016d3cca427"_s);
        QCOMPARE(capture.value(u"status").toString(), u"pending"_s);
        QCOMPARE(capture.value(u"error").toString(u"not a string"_s), QString());
        QCOMPARE(capture.value(u"local_time").toString(), u"2026-12-06T10:00:00.000Z"_s);
        QCOMPARE(capture.value(u"time_zone").toString(), u"Europe/Kyiv"_s);
        QCOMPARE(capture.value(u"language").toString(), u"uk"_s);

        const QJsonObject result = waitUntilFinished("1b4e28ba-2fa1-11d2-883f-0016d3cca427");
        QCOMPARE(result.value(u"capture").toObject().value(u"status").toString(), u"done"_s);
        const QJsonArray tasks = result.value(u"tasks").toArray();
        QCOMPARE(tasks.size(), 2);
        const QJsonObject pay = tasks[0].toObject();
        QCOMPARE(pay.value(u"title").toString(), u"Pay the rent"_s);
        QCOMPARE(pay.value(u"priority").toString(), u"high"_s);
        QCOMPARE(pay.value(u"due_date").toString(), u"2026-12-07"_s);
        QVERIFY(pay.value(u"due_at").isNull());
        QCOMPARE(pay.value(u"source_person").toString(), u"Anna"_s);
        QVERIFY(pay.value(u"source_app").isNull());
        QVERIFY(pay.value(u"done_at").isNull());
        QCOMPARE(pay.value(u"capture_id").toString(), u"1b4e28ba-2fa1-11d2-883f-0016d3cca427"_s);
        QCOMPARE(pay.value(u"description").toString(u"not a string"_s), QString());
        const QJsonObject callMum = tasks[1].toObject();
        QCOMPARE(callMum.value(u"title").toString(), u"Зателефонувати мамі"_s);
        QCOMPARE(callMum.value(u"priority").toString(), u"medium"_s);
        QCOMPARE(callMum.value(u"due_at").toString(), u"2026-12-06T14:00:00.000Z"_s);
        QVERIFY(callMum.value(u"due_date").isNull());

        // The recognizer saw the stored image and the capture's context.
        const auto requests = m_recognizer->requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].image, Png);
        QCOMPARE(requests[0].language, u"uk"_s);
        QCOMPARE(requests[0].timeZone, u"Europe/Kyiv"_s);
        QCOMPARE(requests[0].localTime, QDateTime(QDate(2026, 12, 6), QTime(10, 0), Qt::UTC));

        const QJsonArray all = call("GET", u"/tasks"_s).json().array();
        QCOMPARE(all, tasks);
        QCOMPARE(call("GET", u"/captures"_s).json().array(), QJsonArray());
    }

    void uploadIsIdempotentByCaptureId()
    {
        m_recognizer->hold();
        const Answer first = upload("same-id");
        QCOMPARE(first.status, 201);
        const Answer again = upload("same-id", "other bytes");
        QVERIFY2(again.status == 200, again.body.constData());
        QCOMPARE(again.json(), first.json());

        // Several uploads of one id at the same moment, on separate connections.
        QList<QNetworkReply *> replies;
        for (int i = 0; i < 6; ++i) {
            const QByteArray boundary = "b" + QByteArray::number(i);
            QNetworkRequest r = request(u"/captures"_s, AnnaKey);
            r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("multipart/form-data; boundary=" + boundary));
            r.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
            replies.append(m_nam.post(r,
                                      multipartBody(boundary,
                                                    { { "id", "racing-id" },
                                                      { "local_time", "2026-12-06T10:00:00Z" },
                                                      { "time_zone", "UTC" },
                                                      { "language", "en" } },
                                                    Png)));
        }
        QSet<QByteArray> bodies;
        int created = 0;
        for (QNetworkReply *reply : replies) {
            const Answer answer = waitForAnswer(reply);
            QVERIFY(answer.status == 200 || answer.status == 201);
            created += answer.status == 201;
            bodies.insert(answer.body);
        }
        QCOMPARE(created, 1);
        QCOMPARE(bodies.size(), 1);
        m_recognizer->release(10);
        waitUntilFinished("racing-id");
        waitUntilFinished("same-id");
        QCOMPARE(m_recognizer->started(), 2);
        QCOMPARE(m_recognizer->requests().first().image, Png);
        QCOMPARE(call("GET", u"/tasks"_s).json().array().size(), 4);
    }

    void uploadRejectsMalformedForms_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("body");
        const QList<std::pair<QByteArray, QByteArray>> good = {
            { "id", "abc" }, { "local_time", "2026-12-06T10:00:00Z" }, { "time_zone", "UTC" }, { "language", "en" }
        };
        const auto without = [&](const QByteArray &name) {
            auto fields = good;
            fields.removeIf([&](const auto &f) { return f.first == name; });
            return fields;
        };
        const auto with = [&](const QByteArray &name, const QByteArray &value) {
            auto fields = without(name);
            fields.append({ name, value });
            return fields;
        };
        const QByteArray type = "multipart/form-data; boundary=B";
        const QByteArray complete = multipartBody("B", good, Png);
        QTest::addRow("no boundary") << "multipart/form-data"_ba << complete;
        QTest::addRow("not multipart") << "application/json"_ba << complete;
        QTest::addRow("other boundary") << "multipart/form-data; boundary=C"_ba << complete;
        QTest::addRow("truncated") << type << complete.first(complete.size() - 10);
        QTest::addRow("no closing delimiter") << type << complete.first(complete.size() - 5);
        QTest::addRow("empty body") << type << QByteArray();
        for (const QByteArray &name : { "id"_ba, "local_time"_ba, "time_zone"_ba, "language"_ba })
            QTest::addRow("missing %s", name.constData()) << type << multipartBody("B", without(name), Png);
        QTest::addRow("missing image") << type
                                       << multipartBody("B", good, Png).replace("name=\"image\"", "name=\"img\"");
        QTest::addRow("duplicate id") << type
                                      << multipartBody("B", good + QList { std::pair { "id"_ba, "def"_ba } }, Png);
        QTest::addRow("id with a slash") << type << multipartBody("B", with("id", "../../etc/passwd"), Png);
        QTest::addRow("id with dots") << type << multipartBody("B", with("id", ".."), Png);
        QTest::addRow("empty id") << type << multipartBody("B", with("id", ""), Png);
        QTest::addRow("long id") << type << multipartBody("B", with("id", QByteArray(65, 'a')), Png);
        QTest::addRow("local time without zone")
            << type << multipartBody("B", with("local_time", "2026-12-06T10:00:00"), Png);
        QTest::addRow("local time with space")
            << type << multipartBody("B", with("local_time", "2026-12-06 10:00:00Z"), Png);
        QTest::addRow("local time date only") << type << multipartBody("B", with("local_time", "2026-12-06"), Png);
        QTest::addRow("impossible day") << type << multipartBody("B", with("local_time", "2026-02-30T10:00:00Z"), Png);
        QTest::addRow("empty time zone") << type << multipartBody("B", with("time_zone", ""), Png);
        QTest::addRow("time zone with newline") << type << multipartBody("B", with("time_zone", "Europe/\nKyiv"), Png);
        QTest::addRow("language digits") << type << multipartBody("B", with("language", "42"), Png);
        QTest::addRow("part without disposition") << type << "--B\r\nContent-Type: text/plain\r\n\r\nx\r\n--B--\r\n"_ba;
    }

    void uploadRejectsMalformedForms()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, body);
        const Answer answer = call("POST", u"/captures"_s, AnnaKey, body, contentType);
        QCOMPARE(answer.status, 400);
        QCOMPARE(answer.code(), "invalid_request");
        QCOMPARE(call("GET", u"/captures"_s).json().array(), QJsonArray());
        QCOMPARE(m_recognizer->started(), 0);
    }

    void oversizedImageIsRefused()
    {
        const Answer exact = upload("exactly-the-limit", QByteArray(Service::MaxImageBytes, 'x'));
        QCOMPARE(exact.status, 201);
        const Answer over = upload("over-the-limit", QByteArray(Service::MaxImageBytes + 1, 'x'));
        QCOMPARE(over.status, 413);
        QCOMPARE(over.code(), "too_large");

        // Refused from the headers alone: the answer comes while the body is still unsent.
        const QByteArray head = "POST /captures HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + AnnaKey
            + "\r\nContent-Type: multipart/form-data; boundary=B\r\nContent-Length: 500000000\r\n\r\n";
        const QByteArray raw
            = rawExchange(m_service->port(), head, 5000, [](const QByteArray &r) { return r.contains("too_large"); });
        QCOMPARE(statusOf(raw), 413);
        QVERIFY(raw.contains("Connection: close"));
        QVERIFY(raw.endsWith(R"({"code":"too_large"})"));
        // Without a key the size does not matter: the caller learns nothing more.
        const QByteArray anonymous = rawExchange(m_service->port(), QByteArray(head).replace(AnnaKey, "x"), 5000,
                                                 [](const QByteArray &r) { return r.contains("}"); });
        QCOMPARE(statusOf(anonymous), 401);
        QCOMPARE(call("GET", u"/captures/over-the-limit"_s).status, 404);
    }

    void bodiesWaitForAKnownKey()
    {
        const auto head = [](const QByteArray &key, const QByteArray &extra = {}) -> QByteArray {
            return "POST /captures HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + key
                + "\r\nContent-Type: multipart/form-data; boundary=B\r\nContent-Length: 1000000\r\n" + extra + "\r\n";
        };
        // Refused from the head: the megabyte is never sent, and never buffered.
        const QByteArray refused = rawExchange(m_service->port(), head("not a key"), 5000,
                                               [](const QByteArray &r) { return r.endsWith("}"); });
        QCOMPARE(statusOf(refused), 401);
        QVERIFY(refused.contains("Connection: close"));
        // A known key is told to go on.
        const QByteArray goOn = rawExchange(m_service->port(), head(AnnaKey, "Expect: 100-continue\r\n"), 5000,
                                            [](const QByteArray &r) { return r.contains("\r\n\r\n"); });
        QVERIFY2(goOn.startsWith("HTTP/1.1 100 Continue\r\n\r\n"), goOn.constData());
    }

    void failedCaptureCanBeRetried()
    {
        m_recognizer->setScript([](const RecognitionRequest &request) {
            return request.image.startsWith("\x89PNG") ? RecognitionResult { true, {}, sampleTasks() }
                                                       : RecognitionResult { false, u"unreadable_image"_s, {} };
        });
        QCOMPARE(upload("text-file", "just some text").status, 201);
        QJsonObject result = waitUntilFinished("text-file");
        QCOMPARE(result.value(u"capture").toObject().value(u"status").toString(), u"failed"_s);
        QCOMPARE(result.value(u"capture").toObject().value(u"error").toString(), u"unreadable_image"_s);
        QCOMPARE(result.value(u"tasks").toArray(), QJsonArray());
        const QJsonArray open = call("GET", u"/captures"_s).json().array();
        QCOMPARE(open.size(), 1);
        QCOMPARE(open[0].toObject().value(u"id").toString(), u"text-file"_s);

        m_recognizer->setScript([](const RecognitionRequest &) {
            return RecognitionResult { true, {}, sampleTasks() };
        });
        const Answer retried = call("POST", u"/captures/text-file/retry"_s, AnnaKey, QByteArray());
        QCOMPARE(retried.status, 200);
        QCOMPARE(retried.json().object().value(u"status").toString(), u"pending"_s);
        QCOMPARE(retried.json().object().value(u"error").toString(u"x"_s), QString());
        result = waitUntilFinished("text-file");
        QCOMPARE(result.value(u"capture").toObject().value(u"status").toString(), u"done"_s);
        QCOMPARE(result.value(u"tasks").toArray().size(), 2);
        QCOMPARE(m_recognizer->started(), 2);

        // Retrying a finished capture changes nothing and reads nothing again.
        const Answer again = call("POST", u"/captures/text-file/retry"_s, AnnaKey, QByteArray());
        QCOMPARE(again.status, 200);
        QCOMPARE(again.json().object(), result.value(u"capture").toObject());
        QTest::qWait(100);
        QCOMPARE(m_recognizer->started(), 2);
        QCOMPARE(call("GET", u"/captures"_s).json().array(), QJsonArray());
    }

    void recognizerFailureWithoutCodeStillFails()
    {
        m_recognizer->setScript(
            [](const RecognitionRequest &) -> RecognitionResult { throw std::runtime_error("boom"); });
        upload("throws");
        const QJsonObject capture = waitUntilFinished("throws").value(u"capture").toObject();
        QCOMPARE(capture.value(u"status").toString(), u"failed"_s);
        QVERIFY(!capture.value(u"error").toString().isEmpty());
    }

    void imageAndDeletion()
    {
        upload("with-image");
        waitUntilFinished("with-image");
        const Answer image = call("GET", u"/captures/with-image/image"_s);
        QCOMPARE(image.status, 200);
        QCOMPARE(image.body, Png);
        QCOMPARE(image.contentType, "image/png");

        const Answer deleted = call("DELETE", u"/captures/with-image"_s);
        QCOMPARE(deleted.status, 204);
        for (const auto &[method, path] :
             QList<std::pair<QByteArray, QString>> { { "GET", u"/captures/with-image"_s },
                                                     { "GET", u"/captures/with-image/image"_s },
                                                     { "POST", u"/captures/with-image/retry"_s },
                                                     { "DELETE", u"/captures/with-image"_s } }) {
            const Answer answer = call(method, path);
            QCOMPARE(answer.status, 404);
            QCOMPARE(answer.code(), "not_found");
        }
        if (m_postgres.isEmpty())
            QCOMPARE(QDir(m_dir.filePath(u"images"_s)).entryList(QDir::Files), QStringList());
        // The tasks read from it stay, no longer pointing at a capture.
        const QJsonArray tasks = call("GET", u"/tasks"_s).json().array();
        QCOMPARE(tasks.size(), 2);
        QVERIFY(tasks[0].toObject().value(u"capture_id").isNull());
    }

    void deletingPendingCaptureDropsItsOutcome()
    {
        m_recognizer->hold();
        upload("short-lived");
        QVERIFY(QTest::qWaitFor([&] { return m_recognizer->started() == 1; }));
        QCOMPARE(call("DELETE", u"/captures/short-lived"_s).status, 204);
        m_recognizer->release();
        QTest::qWait(200);
        QCOMPARE(call("GET", u"/tasks"_s).json().array(), QJsonArray());
        // The id is free again.
        QCOMPARE(upload("short-lived").status, 201);
    }

    void taskLifecycle()
    {
        const Answer created = call("POST", u"/tasks"_s, AnnaKey, "{\"title\":\"  Buy \\\"oat\\\" milk \u00fc \"}");
        QCOMPARE(created.status, 201);
        QJsonObject task = created.json().object();
        QCOMPARE(task.keys().size(), 12);
        QCOMPARE(task.value(u"title").toString(), u"Buy \"oat\" milk ü"_s);
        QCOMPARE(task.value(u"priority").toString(), u"medium"_s);
        QVERIFY(task.value(u"capture_id").isNull());
        QCOMPARE(task.value(u"created_at"), task.value(u"updated_at"));
        const QString id = QString::number(task.value(u"id").toInteger());
        QCOMPARE(call("GET", u"/tasks"_s).json().array(), QJsonArray({ task }));

        QTest::qWait(5);
        Answer patched = call("PATCH", u"/tasks/"_s + id, AnnaKey, R"({"done":true})");
        QCOMPARE(patched.status, 200);
        QJsonObject done = patched.json().object();
        QVERIFY(!done.value(u"done_at").isNull());
        QVERIFY(done.value(u"updated_at") != task.value(u"updated_at"));
        // Marking a done task done again keeps when it was done.
        QTest::qWait(5);
        patched = call("PATCH", u"/tasks/"_s + id, AnnaKey, R"({"done":true})");
        QCOMPARE(patched.json().object().value(u"done_at"), done.value(u"done_at"));
        patched = call("PATCH", u"/tasks/"_s + id, AnnaKey, R"({"done":false})");
        QVERIFY(patched.json().object().value(u"done_at").isNull());
        QCOMPARE(call("GET", u"/tasks"_s).json().array(), QJsonArray({ patched.json().object() }));

        QCOMPARE(call("DELETE", u"/tasks/"_s + id).status, 204);
        QCOMPARE(call("DELETE", u"/tasks/"_s + id).code(), "not_found");
        QCOMPARE(call("PATCH", u"/tasks/"_s + id, AnnaKey, R"({"done":true})").code(), "not_found");
        QCOMPARE(call("GET", u"/tasks"_s).json().array(), QJsonArray());
    }

    void patchChangesExactlyWhatItNames_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QJsonValue>("expected");
        QTest::addRow("title") << R"({"title":"New"})"_ba << u"title"_s << QJsonValue(u"New"_s);
        QTest::addRow("description") << R"({"description":"two\nlines"})"_ba << u"description"_s
                                     << QJsonValue(u"two\nlines"_s);
        QTest::addRow("empty description") << R"({"description":""})"_ba << u"description"_s << QJsonValue(u""_s);
        QTest::addRow("priority") << R"({"priority":"low"})"_ba << u"priority"_s << QJsonValue(u"low"_s);
        QTest::addRow("due date") << R"({"due_date":"2027-01-31"})"_ba << u"due_date"_s << QJsonValue(u"2027-01-31"_s);
        QTest::addRow("due date cleared") << R"({"due_date":null})"_ba << u"due_date"_s << QJsonValue();
        QTest::addRow("due at with offset") << R"({"due_at":"2026-12-24T18:30:00+02:00"})"_ba << u"due_at"_s
                                            << QJsonValue(u"2026-12-24T16:30:00.000Z"_s);
        QTest::addRow("due at with fraction")
            << R"({"due_at":"2026-12-24T18:30:00.5Z"})"_ba << u"due_at"_s << QJsonValue(u"2026-12-24T18:30:00.500Z"_s);
        QTest::addRow("due at cleared") << R"({"due_at":null})"_ba << u"due_at"_s << QJsonValue();
        QTest::addRow("nothing") << "{}"_ba << u"title"_s << QJsonValue(u"Original"_s);
    }

    void patchChangesExactlyWhatItNames()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, member);
        QFETCH(QJsonValue, expected);
        const QJsonObject task = call("POST", u"/tasks"_s, AnnaKey, R"({"title":"Original"})").json().object();
        const QString path = u"/tasks/"_s + QString::number(task.value(u"id").toInteger());
        QCOMPARE(call("PATCH", path, AnnaKey, R"({"due_date":"2026-01-01","due_at":"2026-01-01T09:00:00Z"})").status,
                 200);
        const QJsonObject before = call("GET", u"/tasks"_s).json().array().first().toObject();
        const Answer answer = call("PATCH", path, AnnaKey, body);
        QCOMPARE(answer.status, 200);
        const QJsonObject after = answer.json().object();
        QCOMPARE(after.value(member).isNull() ? QJsonValue() : after.value(member), expected);
        for (const QString &other : after.keys()) {
            if (other != member && other != u"updated_at")
                QCOMPARE(after.value(other), before.value(other));
        }
        QCOMPARE(call("GET", u"/tasks"_s).json().array(), QJsonArray({ after }));
    }

    void badTaskBodiesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("body");
        const QList<QByteArray> patches = { "",
                                            "not json",
                                            "[]",
                                            "null",
                                            R"("title")",
                                            R"({"title":"x")",
                                            R"({"titel":"typo"})",
                                            R"({"done":true,"extra":1})",
                                            R"({"title":""})",
                                            R"({"title":"   "})",
                                            R"({"title":null})",
                                            R"({"title":42})",
                                            R"({"description":null})",
                                            R"({"priority":"High"})",
                                            R"({"priority":"urgent"})",
                                            R"({"priority":1})",
                                            R"({"due_date":"2026-1-5"})",
                                            R"({"due_date":"2026-02-30"})",
                                            R"({"due_date":"tomorrow"})",
                                            R"({"due_date":20261206})",
                                            R"({"due_at":"2026-12-06 10:00:00Z"})",
                                            R"({"due_at":"2026-12-06T10:00:00"})",
                                            R"({"due_at":"2026-12-06"})",
                                            R"({"due_at":1765000000})",
                                            R"({"done":"true"})",
                                            R"({"done":1})",
                                            R"({"done":null})",
                                            R"({"done_at":null})",
                                            R"({"id":5})" };
        for (const QByteArray &body : patches)
            QTest::addRow("PATCH %s", body.constData()) << "PATCH"_ba << body;
        const QList<QByteArray> creates = { "",
                                            "{}",
                                            "[]",
                                            R"({"title":""})",
                                            R"({"title":" "})",
                                            R"({"title":7})",
                                            R"({"title":null})",
                                            R"({"title":"a","priority":"high"})",
                                            R"({"name":"a"})",
                                            "{\"title\":\"" + QByteArray(1001, 'a') + "\"}" };
        for (const QByteArray &body : creates)
            QTest::addRow("POST %s", body.left(40).constData()) << "POST"_ba << body;
    }

    void badTaskBodiesAreRefused()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, body);
        const QJsonObject task = call("POST", u"/tasks"_s, AnnaKey, R"({"title":"Keep me"})").json().object();
        const QString path
            = method == "POST" ? u"/tasks"_s : u"/tasks/"_s + QString::number(task.value(u"id").toInteger());
        const Answer answer = call(method, path, AnnaKey, body);
        QCOMPARE(answer.status, 400);
        QCOMPARE(answer.code(), "invalid_request");
        QCOMPARE(call("GET", u"/tasks"_s).json().array(), QJsonArray({ task }));
    }

    void usersSeeOnlyTheirOwnRecords()
    {
        upload("shared-id");
        const QJsonObject annasResult = waitUntilFinished("shared-id");
        const QJsonObject annasTask = call("POST", u"/tasks"_s, AnnaKey, R"({"title":"Anna task"})").json().object();
        const QString taskPath = u"/tasks/"_s + QString::number(annasTask.value(u"id").toInteger());

        QCOMPARE(call("GET", u"/tasks"_s, BorisKey).json().array(), QJsonArray());
        QCOMPARE(call("GET", u"/captures"_s, BorisKey).json().array(), QJsonArray());
        for (const auto &[method, path, body] : QList<std::tuple<QByteArray, QString, QByteArray>> {
                 { "GET", u"/captures/shared-id"_s, {} },
                 { "GET", u"/captures/shared-id/image"_s, {} },
                 { "POST", u"/captures/shared-id/retry"_s, {} },
                 { "DELETE", u"/captures/shared-id"_s, {} },
                 { "PATCH", taskPath, R"({"title":"Boris was here"})" },
                 { "DELETE", taskPath, {} } }) {
            const Answer answer = call(method, path, BorisKey, body);
            QCOMPARE(answer.status, 404);
            QCOMPARE(answer.code(), "not_found");
        }
        // The same capture id is a separate capture for another user.
        m_recognizer->setScript([](const RecognitionRequest &) { return RecognitionResult { true, {}, {} }; });
        QCOMPARE(upload("shared-id", Png, BorisKey).status, 201);
        QCOMPARE(waitUntilFinished("shared-id", BorisKey).value(u"tasks").toArray(), QJsonArray());
        QCOMPARE(waitUntilFinished("shared-id"), annasResult);
        QCOMPARE(call("GET", u"/tasks"_s).json().array().size(), 3);
    }

    void pathsCannotReachOtherFiles_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addRow("dot dot") << "/captures/../../etc/passwd"_ba;
        QTest::addRow("encoded slash") << "/captures/..%2F..%2Fquibly-service.sqlite/image"_ba;
        QTest::addRow("encoded dots") << "/captures/%2e%2e/image"_ba;
        QTest::addRow("absolute") << "/captures/%2Fetc%2Fpasswd/image"_ba;
        QTest::addRow("nul") << "/captures/abc%00/image"_ba;
        QTest::addRow("row number of the file") << "/captures/1/image"_ba;
        QTest::addRow("deeper") << "/captures/x/image/more"_ba;
        QTest::addRow("task with letters") << "/tasks/1abc"_ba;
        QTest::addRow("task overflow") << "/tasks/99999999999999999999"_ba;
        QTest::addRow("trailing slash") << "/tasks/"_ba;
    }

    void pathsCannotReachOtherFiles()
    {
        QFETCH(QByteArray, target);
        upload("real-capture");
        const QByteArray method = target.startsWith("/tasks") ? "DELETE" : "GET";
        const QByteArray raw = rawExchange(m_service->port(),
                                           method + ' ' + target + " HTTP/1.1\r\nAuthorization: Bearer " + AnnaKey
                                               + "\r\nConnection: close\r\n\r\n");
        QCOMPARE(statusOf(raw), 404);
        QVERIFY(raw.endsWith(R"({"code":"not_found"})"));
    }

    void malformedHttpIsAnsweredAndClosed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
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
    }

    void malformedHttpIsAnsweredAndClosed()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        const QByteArray raw = rawExchange(m_service->port(), bytes);
        QCOMPARE(statusOf(raw), status);
        QVERIFY(raw.contains("Connection: close"));
        // The service still answers others.
        QCOMPARE(call("GET", u"/tasks"_s).status, 200);
    }

    void pipelinedRequestsAreAnsweredInOrder()
    {
        const QByteArray auth = "Authorization: Bearer " + AnnaKey + "\r\n";
        const QByteArray create = R"({"title":"first"})";
        const QByteArray raw
            = rawExchange(m_service->port(),
                          "POST /tasks HTTP/1.1\r\n" + auth + "Content-Length: " + QByteArray::number(create.size())
                              + "\r\n\r\n" + create + "GET /tasks HTTP/1.1\r\n" + auth + "\r\nGET /nowhere HTTP/1.1\r\n"
                              + auth + "Connection: close\r\n\r\n");
        const qsizetype created = raw.indexOf("HTTP/1.1 201");
        const qsizetype listed = raw.indexOf("HTTP/1.1 200");
        const qsizetype missing = raw.indexOf("HTTP/1.1 404");
        QVERIFY2(created >= 0 && created < listed && listed < missing, raw.constData());
        QVERIFY(raw.indexOf("\"first\"", listed) > listed);
    }

    void unknownRoutesAndMethods()
    {
        QCOMPARE(call("GET", u"/"_s).code(), "not_found");
        QCOMPARE(call("GET", u"/task"_s).code(), "not_found");
        QCOMPARE(call("PUT", u"/tasks"_s, AnnaKey, "{}").status, 405);
        QCOMPARE(call("GET", u"/tasks/1"_s).status, 405);
        QCOMPARE(call("PATCH", u"/captures/abc"_s, AnnaKey, "{}").status, 405);
        QCOMPARE(call("GET", u"/captures/abc/retry"_s).status, 405);
    }

    void recognitionResumesAfterRestart()
    {
        const QJsonObject kept = call("POST", u"/tasks"_s, AnnaKey, R"({"title":"Survives"})").json().object();
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

        m_recognizer = std::make_shared<ScriptedRecognizer>([](const RecognitionRequest &) {
            return RecognitionResult { true, {}, sampleTasks() };
        });
        startService();
        const QJsonObject result = waitUntilFinished("interrupted");
        QCOMPARE(result.value(u"capture").toObject().value(u"status").toString(), u"done"_s);
        QCOMPARE(result.value(u"tasks").toArray().size(), 2);
        QCOMPARE(m_recognizer->started(), 1);
        const QJsonArray tasks = call("GET", u"/tasks"_s).json().array();
        QCOMPARE(tasks.size(), 3);
        QCOMPARE(tasks[0].toObject(), kept);
    }

    void listsAnswerConditionally_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("condition"); // %1 stands for the current tag
        QTest::addColumn<int>("status");
        for (const QString &path : { u"/tasks"_s, u"/captures"_s }) {
            const QByteArray p = path.toLatin1();
            QTest::addRow("%s current", p.constData()) << path << "%1"_ba << 304;
            QTest::addRow("%s weak form of the current", p.constData()) << path << "W/%1"_ba << 304;
            QTest::addRow("%s in a list", p.constData()) << path << "\"old\",  %1 ,"_ba << 304;
            QTest::addRow("%s star", p.constData()) << path << "*"_ba << 304;
            QTest::addRow("%s another", p.constData()) << path << "\"1.2\""_ba << 200;
            QTest::addRow("%s unquoted", p.constData()) << path << "abc"_ba << 200;
            QTest::addRow("%s garbage beside the current", p.constData()) << path << "%1, abc"_ba << 200;
            QTest::addRow("%s star in a list", p.constData()) << path << "%1, *"_ba << 200;
            QTest::addRow("%s empty", p.constData()) << path << ""_ba << 200;
        }
    }

    void listsAnswerConditionally()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, condition);
        QFETCH(int, status);
        upload("listed");
        waitUntilFinished("listed");
        const auto get = [&](const QByteArray &ifNoneMatch, const QByteArray &key = AnnaKey) {
            QByteArray head
                = "GET " + path.toLatin1() + " HTTP/1.1\r\nAuthorization: Bearer " + key + "\r\nConnection: close\r\n";
            if (!ifNoneMatch.isNull())
                head += "If-None-Match: " + ifNoneMatch + "\r\n";
            return rawExchange(m_service->port(), head + "\r\n");
        };
        const auto etagOf = [](const QByteArray &raw) {
            const qsizetype at = raw.indexOf("\r\nETag: ");
            return at < 0 ? QByteArray() : raw.mid(at + 8, raw.indexOf('\r', at + 8) - at - 8);
        };
        const QByteArray full = get({});
        QCOMPARE(statusOf(full), 200);
        const QByteArray tag = etagOf(full);
        QVERIFY2(tag.startsWith('"') && tag.endsWith('"') && tag.size() > 2, full.constData());

        const QByteArray answer = get(QByteArray(condition).replace("%1", tag));
        QCOMPARE(statusOf(answer), status);
        QCOMPARE(etagOf(answer), tag);
        if (status == 304) {
            QVERIFY2(answer.endsWith("\r\n\r\n") && !answer.contains("Content-Length"), answer.constData());
            return;
        }
        QCOMPARE(answer.sliced(answer.indexOf("\r\n\r\n")), full.sliced(full.indexOf("\r\n\r\n")));

        // Another user's writes leave the tag alone; the user's own change it.
        QCOMPARE(call("POST", u"/tasks"_s, BorisKey, R"({"title":"his"})").status, 201);
        QCOMPARE(statusOf(get(tag)), 304);
        QCOMPARE(call("POST", u"/captures/listed/retry"_s).status, 200); // changes nothing: it is done
        QCOMPARE(statusOf(get(tag)), 304);
        const QJsonObject task = call("POST", u"/tasks"_s, AnnaKey, R"({"title":"hers"})").json().object();
        QCOMPARE(statusOf(get(tag)), 200);
        const QByteArray afterCreate = etagOf(get({}));
        QCOMPARE(call("DELETE", u"/tasks/"_s + QString::number(task.value(u"id").toInteger())).status, 204);
        QVERIFY(etagOf(get({})) != afterCreate);
    }

    void largeListsTravelCompressed()
    {
        for (int i = 0; i < 20; ++i)
            QCOMPARE(call("POST", u"/tasks"_s, AnnaKey, R"({"title":"A task with a title of some length"})").status,
                     201);
        const QByteArray plain = call("GET", u"/tasks"_s).body; // Qt unpacks what it receives
        QVERIFY(plain.size() > 2000);
        const auto get = [&](const QByteArray &extra) {
            return rawExchange(m_service->port(),
                               "GET /tasks HTTP/1.1\r\nAuthorization: Bearer " + AnnaKey + "\r\n" + extra
                                   + "Connection: close\r\n\r\n");
        };
        const QByteArray identity = get("Accept-Encoding: gzip;q=0, br\r\n");
        QVERIFY(!identity.contains("Content-Encoding"));
        QVERIFY(identity.endsWith(plain));
        const QByteArray packed = get("Accept-Encoding: deflate, GZIP\r\n");
        QVERIFY2(packed.contains("\r\nContent-Encoding: gzip\r\n"), packed.constData());
        QVERIFY(packed.contains("\r\nVary: Accept-Encoding\r\n"));
        const qsizetype bodyAt = packed.indexOf("\r\n\r\n") + 4;
        QVERIFY(packed.size() - bodyAt < plain.size() / 4);
        // The gzipped form has its own tag, and it is honoured.
        const qsizetype at = packed.indexOf("\r\nETag: ") + 8;
        const QByteArray tag = packed.mid(at, packed.indexOf('\r', at) - at);
        QVERIFY2(tag.endsWith("-gzip\""), tag.constData());
        QCOMPARE(statusOf(get("Accept-Encoding: gzip\r\nIf-None-Match: " + tag + "\r\n")), 304);
        // Small answers go as they are.
        const QByteArray small = rawExchange(m_service->port(),
                                             "GET /captures HTTP/1.1\r\nAuthorization: Bearer " + AnnaKey
                                                 + "\r\nAccept-Encoding: gzip\r\nConnection: close\r\n\r\n");
        QVERIFY2(small.endsWith("\r\n\r\n[]") && !small.contains("Content-Encoding"), small.constData());
    }

    void migrationRunsOnce()
    {
        QString error;
        QByteArray version;
        for (int i = 0; i < 2; ++i) {
            auto db = Database::open(location(), &error);
            QVERIFY2(db, qPrintable(error));
            const auto users = db->users();
            QCOMPARE(users.size(), 3);
            // The same version (and so the same validators) after the schema was looked at again.
            if (i == 0)
                version = db->userVersion(users.first().id);
            QCOMPARE(db->userVersion(users.first().id), version);
        }
    }

    void twoInstancesShareOneStore()
    {
        if (m_postgres.isEmpty())
            QSKIP("several instances need a shared PostgreSQL store");
        ServiceConfig config;
        config.dataDir = m_dir.path();
        config.database = m_postgres;
        config.port = 0;
        config.leaseMs = 600;
        auto otherRecognizer = std::make_shared<ScriptedRecognizer>([](const RecognitionRequest &) {
            return RecognitionResult { true, {}, sampleTasks() };
        });
        Service other(config, otherRecognizer);
        QString error;
        QVERIFY2(other.start(&error), qPrintable(error));

        // One capture id uploaded to both instances at once: one capture, one recognition.
        m_recognizer->hold();
        otherRecognizer->hold();
        QList<QNetworkReply *> replies;
        for (int i = 0; i < 6; ++i) {
            m_target = i % 2 ? &other : nullptr;
            const QByteArray boundary = "b" + QByteArray::number(i);
            QNetworkRequest r = request(u"/captures"_s, AnnaKey);
            r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("multipart/form-data; boundary=" + boundary));
            replies.append(m_nam.post(r,
                                      multipartBody(boundary,
                                                    { { "id", "twice" },
                                                      { "local_time", "2026-12-06T10:00:00Z" },
                                                      { "time_zone", "UTC" },
                                                      { "language", "en" } },
                                                    Png)));
        }
        int created = 0;
        QSet<QByteArray> bodies;
        for (QNetworkReply *reply : replies) {
            const Answer answer = waitForAnswer(reply);
            QVERIFY2(answer.status == 200 || answer.status == 201, answer.body.constData());
            created += answer.status == 201;
            bodies.insert(answer.body);
        }
        QCOMPARE(created, 1);
        QCOMPARE(bodies.size(), 1);
        m_recognizer->release(10);
        otherRecognizer->release(10);
        QCOMPARE(waitUntilFinished("twice").value(u"tasks"_s).toArray().size(), 2);
        QCOMPARE(m_recognizer->started() + otherRecognizer->started(), 1);

        // Either instance serves the user, with the same validators.
        m_target = &other;
        QCOMPARE(call("POST", u"/tasks"_s, AnnaKey, R"({"title":"From the other"})").status, 201);
        const QByteArray there = call("GET", u"/tasks"_s).body;
        m_target = nullptr;
        QCOMPARE(call("GET", u"/tasks"_s).body, there);
        const auto tagAt = [&](Service &service) {
            const QByteArray raw = rawExchange(service.port(),
                                               "GET /tasks HTTP/1.1\r\nAuthorization: Bearer " + AnnaKey
                                                   + "\r\nConnection: close\r\n\r\n");
            const qsizetype at = raw.indexOf("\r\nETag: ") + 8;
            return raw.mid(at, raw.indexOf('\r', at) - at);
        };
        QCOMPARE(tagAt(other), tagAt(*m_service));

        // A job held by an instance that died: taken over once its lease has run out, and
        // the dead instance's late outcome is dropped.
        auto db = Database::open(m_postgres, &error);
        QVERIFY2(db, qPrintable(error));
        bool added = false;
        CaptureRecord orphan;
        orphan.userId = db->users().first().id;
        orphan.id = u"orphan"_s;
        orphan.timeZone = u"UTC"_s;
        orphan.language = u"en"_s;
        m_recognizer->hold();
        otherRecognizer->hold();
        const int startedBefore = m_recognizer->started() + otherRecognizer->started();
        // Taken by the "dead" instance right away; a live one may race it, which the hold shows.
        db->addCapture(orphan, Png, &added);
        QVERIFY(added);
        const auto dead = db->claimJob(u"dead"_s, 1500);
        m_recognizer->release(10);
        otherRecognizer->release(10);
        if (!dead)
            QSKIP("a live instance took the job first");
        QTest::qWait(500);
        QCOMPARE(m_recognizer->started() + otherRecognizer->started(), startedBefore);
        QCOMPARE(waitUntilFinished("orphan").value(u"capture"_s).toObject().value(u"status"_s).toString(), u"done"_s);
        QCOMPARE(m_recognizer->started() + otherRecognizer->started(), startedBefore + 1);
        QVERIFY(!db->finishCapture(dead->row, dead->attempt, false, u"late"_s, {}));
        QCOMPARE(waitUntilFinished("orphan").value(u"tasks"_s).toArray().size(), 2);
    }

    void databaseOutageAnswers503()
    {
        if (m_postgres.isEmpty())
            QSKIP("a SQLite store does not go away");
        QCOMPARE(call("POST", u"/tasks"_s, AnnaKey, R"({"title":"Before"})").status, 201);
        postgres(u"pause"_s);
        auto resume = qScopeGuard([this] { postgres(u"resume"_s); });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"database unavailable"_s));
        for (int i = 0; i < 2; ++i) { // the first meets the broken connection, the second a refused one
            const Answer answer = call("POST", u"/tasks"_s, AnnaKey, R"({"title":"Lost"})");
            QCOMPARE(answer.status, 503);
            QCOMPARE(answer.code(), "unavailable");
        }
        resume.dismiss();
        postgres(u"resume"_s);
        const QJsonArray tasks = call("GET", u"/tasks"_s).json().array();
        QCOMPARE(tasks.size(), 1);
        QCOMPARE(tasks[0].toObject().value(u"title"_s).toString(), u"Before"_s);
    }

    void speaksTls()
    {
        if (QStandardPaths::findExecutable(u"openssl"_s).isEmpty())
            QSKIP("openssl is not installed");
        const QString cert = m_dir.filePath(u"cert.pem"_s);
        const QString key = m_dir.filePath(u"key.pem"_s);
        QProcess openssl;
        openssl.start(u"openssl"_s,
                      { u"req"_s, u"-x509"_s, u"-newkey"_s, u"rsa:2048"_s, u"-nodes"_s, u"-days"_s, u"2"_s, u"-subj"_s,
                        u"/CN=127.0.0.1"_s, u"-addext"_s, u"subjectAltName=IP:127.0.0.1"_s, u"-keyout"_s, key,
                        u"-out"_s, cert });
        QVERIFY(openssl.waitForFinished(60000));
        QCOMPARE(openssl.exitCode(), 0);

        m_service.reset();
        ServiceConfig config;
        config.tlsCertificate = cert;
        config.tlsKey = key;
        startService(config);
        m_scheme = u"https"_s;

        QSslConfiguration trust = QSslConfiguration::defaultConfiguration();
        trust.setCaCertificates(QSslCertificate::fromPath(cert));
        QNetworkRequest r = request(u"/tasks"_s, AnnaKey);
        r.setSslConfiguration(trust);
        Answer answer = waitForAnswer(m_nam.get(r));
        QCOMPARE(answer.status, 200);
        QCOMPARE(answer.body, "[]");
        QCOMPARE(upload("over-tls").status, 201);

        // Plain HTTP to the TLS port gets no HTTP answer.
        QCOMPARE(statusOf(rawExchange(m_service->port(), "GET /tasks HTTP/1.1\r\n\r\n", 2000)), 0);
    }

    void startFailsClearly()
    {
        if (!m_postgres.isEmpty())
            QSKIP("about the files of the SQLite store");
        m_service.reset();
        QString error;

        QTemporaryDir other;
        QFile notADir(other.filePath(u"file"_s));
        QVERIFY(notADir.open(QIODevice::WriteOnly));
        notADir.close();
        Service onFile({ other.filePath(u"file"_s), QHostAddress::LocalHost, 0, {}, {}, 1, {}, 60000 }, m_recognizer);
        QVERIFY(!onFile.start(&error));
        QVERIFY2(error.contains(u"not a directory"), qPrintable(error));

        QFile garbage(other.filePath(u"garbage/quibly-service.sqlite"_s));
        QVERIFY(QDir(other.path()).mkpath(u"garbage"_s));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, 'g'));
        garbage.close();
        Service onGarbage({ other.filePath(u"garbage"_s), QHostAddress::LocalHost, 0, {}, {}, 1, {}, 60000 },
                          m_recognizer);
        QVERIFY(!onGarbage.start(&error));
        QVERIFY2(error.contains(u"not usable"), qPrintable(error));

        // A lost database beside stored images is not silently replaced by an empty one.
        QVERIFY(QFile::remove(m_dir.filePath(u"quibly-service.sqlite"_s)));
        QFile::remove(m_dir.filePath(u"quibly-service.sqlite-wal"_s));
        QFile::remove(m_dir.filePath(u"quibly-service.sqlite-shm"_s));
        QFile image(m_dir.filePath(u"images/7"_s));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.close();
        Service onLost({ m_dir.path(), QHostAddress::LocalHost, 0, {}, {}, 1, {}, 60000 }, m_recognizer);
        QVERIFY(!onLost.start(&error));
        QVERIFY2(error.contains(u"missing"), qPrintable(error));

        if (::geteuid() != 0) {
            QVERIFY(QDir(other.path()).mkpath(u"readonly"_s));
            {
                Service once({ other.filePath(u"readonly"_s), QHostAddress::LocalHost, 0, {}, {}, 1, {}, 60000 },
                             m_recognizer);
                QVERIFY(once.start(&error));
            }
            for (const QString &name : QDir(other.filePath(u"readonly"_s)).entryList(QDir::Files))
                QFile::setPermissions(other.filePath(u"readonly/"_s + name), QFile::ReadOwner);
            Service readOnly({ other.filePath(u"readonly"_s), QHostAddress::LocalHost, 0, {}, {}, 1, {}, 60000 },
                             m_recognizer);
            QVERIFY(!readOnly.start(&error));
            QVERIFY2(error.contains(u"not usable") || error.contains(u"cannot open"), qPrintable(error));
        }

        Service busy({ other.filePath(u"busy"_s), QHostAddress::LocalHost, 0, {}, {}, 1, {}, 60000 }, m_recognizer);
        QVERIFY(busy.start(&error));
        Service samePort({ other.filePath(u"busy2"_s), QHostAddress::LocalHost, busy.port(), {}, {}, 1, {}, 60000 },
                         m_recognizer);
        QVERIFY(!samePort.start(&error));
        QVERIFY2(error.contains(u"cannot listen"), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestServiceApi)
#include "test_service_api.moc"
