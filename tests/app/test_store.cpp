// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "accesskey.h"
#include "defaults.h"
#include "fakeservice.h"
#include "notifier.h"
#include "quiblytest.h"
#include "reachability.h"
#include "store.h"
#include "translations.h"
#include "wirejson.h"

#include <QCoroTask>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

using namespace std::chrono_literals;
using namespace Qt::Literals::StringLiterals;
using Reply = FakeService::Reply;
Q_DECLARE_METATYPE(FakeService::Reply)

namespace {
QByteArray path(const QString &captureId)
{
    return "/captures/" + captureId.toUtf8();
}

std::optional<QString> text(const char *id)
{
    return *id ? std::optional<QString>(qtTrId(id)) : std::nullopt;
}

Capture captureNamed(const QString &id)
{
    Capture capture;
    capture.id = id;
    return capture;
}

class RecordingNotifier : public Notifier
{
public:
    QStringList posted;
    void post(const QString &text) override { posted.append(text); }
};

class FakeReachability : public Reachability
{
public:
    bool started = false;
    void start() override { started = true; }
    void update(bool usable) { Q_EMIT pathUpdated(usable); }
};
} // namespace

class StoreTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeService> m_service;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<RecordingNotifier> m_notifier;
    std::unique_ptr<FakeReachability> m_reachability;
    QNetworkAccessManager *m_nam = nullptr;
    std::unique_ptr<Store> m_store;

    QString keyPath() const { return m_dir->filePath(u"Quibly/access-key"_s); }

    std::unique_ptr<Store> makeStore(std::chrono::milliseconds shortInterval = 10ms, QString queue = {},
                                     std::chrono::milliseconds syncInterval = 1h)
    {
        return std::make_unique<Store>(
            Store::Setup { m_defaults.get(), keyPath(), queue.isEmpty() ? m_dir->filePath(u"Quibly/queue"_s) : queue,
                           m_notifier.get(), m_reachability.get(), m_nam, shortInterval, 1h, syncInterval });
    }

    int count(const QByteArray &method, const QByteArray &route) const
    {
        return int(m_service->requests(method, route).size());
    }

    QString failedText() const { return qtTrId("notification.failed"); }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(!Translations::install({ u"en"_s }).isEmpty());
        // One manager for the whole run, like the application's, so no request outlives it.
        m_nam = new QNetworkAccessManager(this);
    }

    void init()
    {
        QuiblyTest::failOnUnexpectedWarnings();
        m_dir = std::make_unique<QTemporaryDir>();
        m_service = std::make_unique<FakeService>();
        QVERIFY(m_service->listen());
        m_service->on("GET", "/tasks", Reply::json(200, "[]"));
        m_service->on("GET", "/captures", Reply::json(200, "[]"));
        m_defaults = std::make_unique<Defaults>(m_dir->filePath(u"Quibly.conf"_s), QStringList { u"en-GB"_s });
        m_notifier = std::make_unique<RecordingNotifier>();
        m_reachability = std::make_unique<FakeReachability>();
        m_store = makeStore();
        m_defaults->setServerURL(m_service->url().toString());
        AccessKey::write(u"test-key"_s, keyPath());
    }

    void cleanup()
    {
        // Let running passes end before their Store goes (and start no more); a loop asleep for
        // an hour just stops.
        if (m_store->m_timer)
            m_store->m_timer->stop();
        m_store->m_watching.clear();
        QTRY_VERIFY(!m_store->m_syncing);
        m_store.reset();
        m_service.reset();
    }

    void clientNeedsAUsableURLAndAKey_data()
    {
        QTest::addColumn<std::optional<QString>>("url");
        QTest::addColumn<bool>("key");
        QTest::addColumn<QString>("base"); // empty: no client
        const auto row = [](const char *name, std::optional<QString> url, const QString &base, bool key = true) {
            QTest::newRow(name) << url << key << base;
        };
        row("plain", u"https://q.example/api"_s, u"https://q.example/api"_s);
        row("spaces and tabs trimmed", u" \thttps://q.example \t"_s, u"https://q.example"_s);
        row("line break not trimmed", u"https://q.example\n"_s, {});
        row("no scheme", u"q.example"_s, {});
        row("host:port without scheme", u"localhost:8080"_s, {});
        row("no host", u"mailto:me"_s, {});
        row("empty", u""_s, {});
        row("absent", std::nullopt, {});
        row("no key", u"https://q.example"_s, {}, false);
    }
    void clientNeedsAUsableURLAndAKey()
    {
        QFETCH(std::optional<QString>, url);
        QFETCH(bool, key);
        QFETCH(QString, base);
        m_defaults->setServerURL(url);
        AccessKey::write(key ? u" k 1 \n"_s : QString(), keyPath());
        const auto client = m_store->api();
        QCOMPARE(client.has_value(), !base.isEmpty());
        if (client) {
            QCOMPARE(client->baseURL(), QUrl(base));
            QCOMPARE(client->accessKey(), u"k 1"_s);
        }
        // Changed settings apply to the next operation.
        AccessKey::write(QString(), keyPath());
        QVERIFY(!m_store->api());
    }

    // How problem, offline and loaded move: each row is a series of events.
    void statusFields_data()
    {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("problem"); // a text id, or empty for none
        QTest::addColumn<bool>("offline");
        QTest::addColumn<bool>("loaded");
        const auto row = [](const char *name, const QStringList &events, const QString &problem, bool offline,
                            bool loaded = false) { QTest::newRow(name) << events << problem << offline << loaded; };
        row("initial", {}, {}, false);
        row("offline", { u"offline"_s }, u"list.offline"_s, true);
        row("unauthorized", { u"unauthorized"_s }, u"list.unauthorized"_s, true);
        row("decoding", { u"decoding"_s }, u"list.server_error"_s, false);
        row("server error after offline", { u"offline"_s, u"server"_s }, u"list.server_error"_s, true);
        row("not configured", { u"notConfigured"_s }, u"list.not_configured"_s, true);
        row("refresh clears", { u"unauthorized"_s, u"refresh"_s }, {}, false, true);
        row("loaded stays", { u"refresh"_s, u"offline"_s }, u"list.offline"_s, true, true);
    }
    void statusFields()
    {
        QFETCH(QStringList, events);
        QFETCH(QString, problem);
        QFETCH(bool, offline);
        QFETCH(bool, loaded);
        const QHash<QString, ServiceError> errors {
            { u"offline"_s, APIError::offline() },
            { u"unauthorized"_s, APIError::unauthorized() },
            { u"server"_s, APIError::server(502) },
            { u"decoding"_s, DecodeError { u"tasks[0].id"_s, u"missing"_s } },
        };
        for (const QString &event : events) {
            if (errors.contains(event))
                m_store->report(errors.value(event));
            else if (event == u"notConfigured")
                m_store->notConfigured();
            else
                QCoro::waitFor(m_store->refresh());
        }
        QCOMPARE(m_store->problem(), text(problem.toUtf8().constData()));
        QCOMPARE(m_store->offline(), offline);
        QCOMPARE(m_store->loaded(), loaded);
    }

    void refreshPublishesAndFollowsPendingCaptures()
    {
        m_service->on("GET", "/tasks",
                      Reply::json(200, "[" + WireJson::task(1, u"A"_s) + "," + WireJson::task(2, u"B"_s) + "]"));
        const QByteArrayList captures { WireJson::capture(u"c-pending"_s, u"pending"_s),
                                        WireJson::capture(u"c-failed"_s, u"failed"_s),
                                        WireJson::capture(u"c-odd"_s, u"Pending"_s) };
        m_service->on("GET", "/captures", Reply::json(200, "[" + captures.join(',') + "]"));
        QCoro::waitFor(m_store->refresh());
        QCOMPARE(m_store->tasks().size(), 2);
        QCOMPARE(m_store->tasks().at(1).title, u"B"_s);
        QCOMPARE(m_store->openCaptures().size(), 3);
        QCOMPARE(m_store->m_watching, QSet<QString> { u"c-pending"_s });
        QVERIFY(!m_store->m_polling); // a refresh alone does not follow
    }

    // A list the service answers "not modified" for keeps its rows and announces nothing.
    void unchangedListsStayAsTheyAre()
    {
        for (const QByteArray &path : { "/tasks"_ba, "/captures"_ba }) {
            Reply list = Reply::json(
                200,
                "[" + (path == "/tasks" ? WireJson::task(1, u"A"_s) : WireJson::capture(u"c"_s, u"failed"_s)) + "]");
            const FakeService::Header etag("ETag", "\"" + path + "\"");
            list.headers.append(etag);
            m_service->enqueue("GET", path, list);
            m_service->on("GET", path, Reply { .status = 304, .headers = { etag } });
        }
        QSignalSpy tasksSpy(m_store.get(), &Store::tasksChanged);
        QSignalSpy capturesSpy(m_store.get(), &Store::openCapturesChanged);
        for (int i = 0; i < 3; ++i)
            QCoro::waitFor(m_store->refresh());
        QCOMPARE(m_store->tasks().size(), 1);
        QCOMPARE(m_store->openCaptures().size(), 1);
        QVERIFY(!m_store->problem());
        QCOMPARE(tasksSpy.count(), 1);
        QCOMPARE(capturesSpy.count(), 1);
        const auto asked = m_service->requests("GET", "/tasks");
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked.at(0).hasHeader("if-none-match"), false);
        QCOMPARE(asked.at(2).header("if-none-match"), "\"/tasks\""_ba);
    }

    void failedReloadKeepsTheLists_data()
    {
        QTest::addColumn<QByteArray>("failing");
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<QString>("problem");
        QTest::newRow("tasks, connection lost")
            << QByteArray("/tasks") << Reply::dropped(Reply::Drop::BeforeAnswer) << u"list.offline"_s;
        QTest::newRow("captures, unauthorized")
            << QByteArray("/captures") << Reply::empty(401) << u"list.unauthorized"_s;
        QTest::newRow("tasks, garbage") << QByteArray("/tasks") << Reply::json(200, "[{\"id\":\"x\"}]")
                                        << u"list.server_error"_s;
    }
    void failedReloadKeepsTheLists()
    {
        QFETCH(QByteArray, failing);
        QFETCH(Reply, reply);
        QFETCH(QString, problem);
        m_service->on("GET", "/tasks", Reply::json(200, "[" + WireJson::task(1, u"A"_s) + "]"));
        QCoro::waitFor(m_store->refresh());
        QCOMPARE(m_store->tasks().size(), 1);

        m_service->on("GET", "/tasks", Reply::json(200, "[]"));
        m_service->on("GET", failing, reply);
        QSignalSpy failedSpy(m_store.get(), &Store::failed);
        QCoro::waitFor(m_store->refresh());
        QCOMPARE(m_store->problem(), text(problem.toUtf8().constData()));
        QCOMPARE(m_store->tasks().size(), 1);
        QCOMPARE(failedSpy.count(), 1);
        QVERIFY(m_store->loaded());
    }

    void reloadRunsBothRequestsAtOnceAndReportsTheTasksFirst()
    {
        auto slowFailure = Reply::dropped(Reply::Drop::BeforeAnswer);
        slowFailure.delay = 150ms;
        m_service->on("GET", "/tasks", slowFailure);
        m_service->on("GET", "/captures", Reply::empty(401));
        int seen = 0;
        connect(m_service.get(), &FakeService::requestReceived, this, [&] { ++seen; });
        auto reload = m_store->refresh();
        QTRY_VERIFY(seen >= 2); // both on the wire while the task list is still held back
        QVERIFY(!reload.isReady());
        QCoro::waitFor(reload);
        // The captures failed first in time, but the task list's failure is the one reported.
        QCOMPARE(m_store->problem(), text("list.offline"));
    }

    void syncGuardMergesRequestsIntoOnePass()
    {
        Reply slow = Reply::json(200, "[]");
        slow.delay = 100ms;
        m_service->on("GET", "/tasks", slow);
        auto first = m_store->sync();
        QVERIFY(m_store->m_syncing);
        for (int i = 0; i < 3; ++i)
            QVERIFY(m_store->sync().isReady()); // returned at once
        QCoro::waitFor(first);
        QCOMPARE(count("GET", "/tasks"), 2);
        QVERIFY(!m_store->m_syncing);
        QCoro::waitFor(m_store->sync());
        QCOMPARE(count("GET", "/tasks"), 3);
    }

    void notConfiguredPassTouchesNothing()
    {
        AccessKey::write(QString(), keyPath());
        QCoro::waitFor(m_store->capture("png"));
        QCOMPARE(m_store->queued(), 1);
        auto fresh = makeStore();
        QCoro::waitFor(fresh->sync());
        QCOMPARE(fresh->problem(), text("list.not_configured"));
        QCOMPARE(fresh->queued(), 0); // not recounted
        QCOMPARE(fresh->queue().pending().size(), 1);
        QVERIFY(m_service->requests().isEmpty());
    }

    void refusedUploadsAreAnnouncedOnce()
    {
        m_service->on("POST", "/captures", Reply::json(422, R"({"code":"unreadable"})"));
        // Both captures reach the queue while offline, then one pass refuses them.
        AccessKey::write(QString(), keyPath());
        QCoro::waitFor(m_store->capture("one"));
        QCoro::waitFor(m_store->capture("two"));
        QCOMPARE(m_store->queued(), 2);
        const QStringList ids { m_store->queue().pending().at(0).id, m_store->queue().pending().at(1).id };
        m_store->m_notified.insert(ids.at(1) + u" failed"_s); // announced before

        AccessKey::write(u"test-key"_s, keyPath());
        QCoro::waitFor(m_store->sync());
        QCOMPARE(count("POST", "/captures"), 2);
        QCOMPARE(m_notifier->posted, QStringList { failedText() });
        QVERIFY(!m_store->isWatching(ids.at(0)));
        QVERIFY(!m_store->isWatching(ids.at(1)));
        QCOMPARE(m_store->queued(), 0);
        QCOMPARE(m_store->problem(), std::nullopt);
    }

    void queuedIsRecountedAfterEachPass()
    {
        m_service->enqueue("POST", "/captures", Reply::empty(503));
        m_service->setHandler(WireJson::acceptUploads());
        QSignalSpy queuedSpy(m_store.get(), &Store::queuedChanged);
        QCoro::waitFor(m_store->capture("png"));
        QCOMPARE(m_store->queued(), 1); // the upload failed: kept
        QCOMPARE(m_store->problem(), std::nullopt); // upload failures are the queue's business
        QVERIFY(m_notifier->posted.isEmpty());
        // Still followed, but nothing is asked about a capture the service has not got.
        const QString id = m_store->queue().pending().at(0).id;
        QVERIFY(m_store->isWatching(id));
        QVERIFY(QCoro::waitFor(m_store->check())); // nothing waiting: long
        QCOMPARE(count("GET", path(id)), 0);
        QCoro::waitFor(m_store->sync());
        QCOMPARE(m_store->queued(), 0);
        QCOMPARE(queuedSpy.count(), 2);
        QCOMPARE(count("POST", "/captures"), 2);

        // An idle pass leaves the queue alone; what another program queued still goes within two.
        const QueuedCapture elsewhere { u"elsewhere"_s, QDateTime::currentDateTimeUtc(), u"UTC"_s, u"en"_s };
        QVERIFY(m_store->queue().enqueue("png", elsewhere).ok());
        QCoro::waitFor(m_store->sync());
        QCoro::waitFor(m_store->sync());
        QCOMPARE(count("POST", "/captures"), 3);
        QCOMPARE(m_store->queued(), 0);
    }

    void unwritableQueueIsAnnouncedOnceAndNothingElse()
    {
        QFile blocker(m_dir->filePath(u"blocker"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        auto store = makeStore(10ms, blocker.fileName() + u"/queue"_s);
        QCoro::waitFor(store->capture("png"));
        QCOMPARE(m_notifier->posted, QStringList { failedText() });
        QVERIFY(store->m_watching.isEmpty());
        QCOMPARE(store->queued(), 0);
        QVERIFY(m_service->requests().isEmpty());
    }

    void captureIsQueuedUploadedFollowedAndAnnounced()
    {
        m_defaults->setTaskLanguage(u"uk"_s);
        m_service->setHandler(WireJson::acceptUploads());
        QString id;
        connect(m_store.get(), &Store::captureQueued, this, [&](const QString &queued) {
            id = queued;
            m_service->enqueue("GET", path(id), Reply::json(200, WireJson::result(id, u"pending"_s)));
            m_service->enqueue("GET", path(id), Reply::json(200, WireJson::result(id, u"pending"_s)));
            m_service->on("GET", path(id),
                          Reply::json(200, WireJson::result(id, u"done"_s, {}, { u"A"_s, u"B"_s, u"A"_s })));
        });
        QSignalSpy stopped(m_store.get(), &Store::pollingStopped);
        QCoro::waitFor(m_store->capture("png-bytes"));
        QVERIFY(QUuid::fromString(id).version() == QUuid::Random);
        QCOMPARE(id, id.toLower());
        const auto uploads = m_service->requests("POST", "/captures");
        QCOMPARE(uploads.size(), 1);
        QVERIFY(uploads.at(0).body.contains("name=\"language\"\r\n\r\nuk\r\n"));
        QVERIFY(m_store->isWatching(id));

        QVERIFY(stopped.wait(5000));
        QCOMPARE(count("GET", path(id)), 3);
        QCOMPARE(m_notifier->posted, (QStringList { u"New task: A"_s, u"New task: B"_s, u"New task: A"_s }));
        QVERIFY(!m_store->isWatching(id));

        // The same outcome seen again (a later pending listing, a retry without clearing) stays silent.
        m_store->m_watching.insert(id);
        QCoro::waitFor(m_store->check());
        QCOMPARE(m_notifier->posted.size(), 3);
    }

    void waitingCapturesAreAskedAtTheShortInterval()
    {
        const auto shortInterval = 40ms;
        m_store = makeStore(shortInterval);
        m_service->on("GET", path(u"c1"_s), Reply::json(200, WireJson::result(u"c1"_s, u"pending"_s)));
        QList<qint64> times;
        QElapsedTimer clock;
        clock.start();
        connect(m_service.get(), &FakeService::requestReceived, this, [&](int index) {
            if (m_service->requests().at(index).path == path(u"c1"_s))
                times.append(clock.elapsed());
        });
        m_store->m_watching.insert(u"c1"_s);
        m_store->poll();
        m_store->poll(); // a second call starts no second loop
        QTRY_VERIFY(times.size() >= 4);
        for (int i = 1; i < times.size(); ++i)
            QVERIFY2(times.at(i) - times.at(i - 1) >= shortInterval.count() - 1, qPrintable(QString::number(i)));
        m_store->m_watching.clear();
        QTRY_VERIFY(!m_store->m_polling);
    }

    // A turn with only a sign-in to wait for makes the loop wait long; the notice comes once.
    void renewSignInIsAnnouncedOnceAndKept()
    {
        m_service->on("GET", path(u"c1"_s),
                      Reply::json(200, WireJson::result(u"c1"_s, u"pending"_s, u"claude_auth"_s)));
        m_store->m_watching.insert(u"c1"_s);
        QVERIFY(QCoro::waitFor(m_store->check()));
        m_store->poll();
        QTRY_COMPARE(count("GET", path(u"c1"_s)), 2);
        QTest::qWait(300);
        QCOMPARE(count("GET", path(u"c1"_s)), 2);
        QCOMPARE(m_notifier->posted, QStringList { qtTrId("notification.renew") });
        QVERIFY(m_store->isWatching(u"c1"_s));
    }

    // One turn of the follow loop: the statuses of the followed captures ("gone" answers 404),
    // whether the next turn waits long, how many stay followed, what was announced.
    void checkResult_data()
    {
        QTest::addColumn<QStringList>("statuses"); // per capture: status[:error]
        QTest::addColumn<bool>("waitLong");
        QTest::addColumn<int>("stillWatched");
        QTest::addColumn<QStringList>("posted");
        const QString failed = qtTrId("notification.failed"), noTask = qtTrId("notification.no_task"),
                      renew = qtTrId("notification.renew");
        const auto row
            = [](const char *name, const QStringList &statuses, bool waitLong, int stillWatched,
                 const QStringList &posted) { QTest::newRow(name) << statuses << waitLong << stillWatched << posted; };
        row("one pending", { u"pending"_s, u"done"_s }, false, 1, { noTask });
        row("all done", { u"done"_s, u"failed"_s }, false, 0, { noTask, failed });
        row("renew only", { u"pending:claude_auth"_s }, true, 1, { renew });
        row("renew and pending", { u"pending:claude_auth"_s, u"pending"_s }, false, 2, { renew });
        row("unknown status fails", { u"archived"_s }, false, 0, { failed });
        row("forgotten one dropped silently", { u"gone"_s, u"done"_s }, false, 0, { noTask });
    }
    void checkResult()
    {
        QFETCH(QStringList, statuses);
        QFETCH(bool, waitLong);
        QFETCH(int, stillWatched);
        QFETCH(QStringList, posted);
        for (int i = 0; i < statuses.size(); ++i) {
            const QString id = u"c"_s + QString::number(i);
            const QStringList parts = statuses.at(i).split(u':');
            m_service->on("GET", path(id),
                          parts.at(0) == u"gone" ? Reply::json(404, R"({"code":"not_found"})")
                                                 : Reply::json(200, WireJson::result(id, parts.at(0), parts.value(1))));
            m_store->m_watching.insert(id);
        }
        QCOMPARE(QCoro::waitFor(m_store->check()), waitLong);
        QCOMPARE(m_store->m_watching.size(), stillWatched);
        QCOMPARE(count("GET", "/tasks"), 1); // every complete turn ends with a reload
        m_notifier->posted.sort();
        posted.sort();
        QCOMPARE(m_notifier->posted, posted);
        QCOMPARE(m_store->problem(), std::nullopt);
    }

    void otherFailuresStopTheTurn_data()
    {
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<QString>("problem");
        QTest::newRow("4xx other code") << Reply::json(404, R"({"code":"gone_away"})") << u"list.server_error"_s;
        QTest::newRow("unauthorized") << Reply::empty(401) << u"list.unauthorized"_s;
        QTest::newRow("connection lost") << Reply::dropped(Reply::Drop::BeforeAnswer) << u"list.offline"_s;
    }
    void otherFailuresStopTheTurn()
    {
        QFETCH(Reply, reply);
        QFETCH(QString, problem);
        m_service->setHandler([reply](const FakeService::Request &) { return reply; });
        m_store->m_watching = { u"a"_s, u"b"_s, u"c"_s };
        QVERIFY(QCoro::waitFor(m_store->check()));
        // One capture asked (Qt may resend a request whose connection dropped), no reload.
        QSet<QByteArray> asked;
        for (const auto &request : m_service->requests())
            asked.insert(request.method + ' ' + request.path);
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.cbegin()->startsWith("GET /captures/"));
        QCOMPARE(m_store->m_watching.size(), 3);
        QCOMPARE(m_store->problem(), text(problem.toUtf8().constData()));
        QVERIFY(m_notifier->posted.isEmpty());
    }

    void retryAnnouncesTheSameOutcomeAgain()
    {
        m_service->on("GET", path(u"c1"_s), Reply::json(200, WireJson::result(u"c1"_s, u"failed"_s)));
        m_service->on("POST", path(u"c1"_s) + "/retry", Reply::json(200, WireJson::capture(u"c1"_s, u"pending"_s)));
        m_store->m_watching.insert(u"c1"_s);
        m_store->m_notified.insert(u"other failed"_s);
        QCoro::waitFor(m_store->check());
        QCOMPARE(m_notifier->posted, QStringList { failedText() });

        QSignalSpy stopped(m_store.get(), &Store::pollingStopped);
        QCoro::waitFor(m_store->retry(captureNamed(u"c1"_s)));
        QCOMPARE(count("POST", path(u"c1"_s) + "/retry"), 1);
        QVERIFY(m_store->m_notified.contains(u"other failed"_s));
        QVERIFY(m_store->m_polling);
        QVERIFY(stopped.wait(5000));
        QCOMPARE(m_notifier->posted, (QStringList { failedText(), failedText() }));
    }

    void retryWhileOfflineStillFollows()
    {
        m_service->on("POST", path(u"c1"_s) + "/retry", Reply::dropped(Reply::Drop::BeforeAnswer));
        m_store = makeStore(1h);
        QCoro::waitFor(m_store->retry(captureNamed(u"c1"_s)));
        QCOMPARE(m_store->problem(), text("list.offline"));
        QVERIFY(m_store->isWatching(u"c1"_s));
        QVERIFY(m_store->m_polling);
    }

    void deleteCaptureStopsFollowingAtOnce()
    {
        auto slow = Reply::empty(204);
        slow.delay = 200ms;
        m_service->on("DELETE", path(u"c1"_s), slow);
        m_store->m_watching = { u"c1"_s };
        auto deletion = m_store->deleteCapture(captureNamed(u"c1"_s));
        QVERIFY(!m_store->isWatching(u"c1"_s));
        QVERIFY(!deletion.isReady());
        QCoro::waitFor(deletion);
        QCOMPARE(count("GET", "/tasks"), 1);
    }

    // Each edit sends one request and, when it succeeds, reloads; a reload that fails after it
    // does not make the edit a failure. Without a key nothing is sent.
    void edits_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("problem");
        const auto task = Reply::json(200, WireJson::task(5, u"x"_s));
        const auto row = [](const char *name, const QString &operation, const char *request, const char *body,
                            const Reply &reply, bool result, const QString &problem = {}) {
            QTest::newRow(name) << operation << QByteArray(request) << QByteArray(body) << reply << result << problem;
        };
        row("add", u"add"_s, "POST /tasks", "{\"title\":\" Buy \\\"milk\\\" \"}",
            Reply::json(201, WireJson::task(5, u"x"_s)), true);
        row("done", u"done"_s, "PATCH /tasks/5", R"({"done":true})", task, true);
        row("delete", u"delete"_s, "DELETE /tasks/5", "", Reply::empty(204), true);
        row("delete unknown", u"delete"_s, "DELETE /tasks/5", "", Reply::json(404, R"({"code":"not_found"})"), false,
            u"list.server_error"_s);
        row("refused", u"done"_s, "PATCH /tasks/5", R"({"done":true})", Reply::empty(500), false,
            u"list.server_error"_s);
        row("reload fails after", u"reload fails"_s, "PATCH /tasks/5", R"({"done":true})", task, true,
            u"list.server_error"_s);
        row("no key", u"no key"_s, "PATCH /tasks/5", nullptr, task, false, u"list.not_configured"_s);
    }
    void edits()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, body);
        QFETCH(Reply, reply);
        QFETCH(bool, result);
        QFETCH(QString, problem);
        const QByteArray method = request.split(' ').at(0);
        const QByteArray route = request.split(' ').at(1);
        m_service->on(method, route, reply);
        if (operation == u"reload fails")
            m_service->on("GET", "/tasks", Reply::empty(502));
        if (operation == u"no key")
            AccessKey::write(QString(), keyPath());
        TaskItem task;
        task.id = 5;
        bool answer = false;
        if (operation == u"add")
            answer = QCoro::waitFor(m_store->add(u" Buy \"milk\" "_s));
        else if (operation == u"delete")
            answer = QCoro::waitFor(m_store->deleteTask(task));
        else
            answer = QCoro::waitFor(m_store->setDone(task, true));
        QCOMPARE(answer, result);
        const auto sent = m_service->requests(method, route);
        QCOMPARE(sent.size(), body.isNull() ? 0 : 1);
        if (!body.isNull())
            QCOMPARE(sent.at(0).body, body);
        QCOMPARE(count("GET", "/tasks"), result ? 1 : 0);
        QCOMPARE(m_store->problem(), text(problem.toUtf8().constData()));
        QCOMPARE(m_store->offline(), operation == u"no key");
    }

    void startSyncsOnUsablePathsAndTimer()
    {
        m_store->start();
        QVERIFY(m_reachability->started);
        QTRY_COMPARE(count("GET", "/tasks"), 1);
        QTRY_VERIFY(!m_store->m_syncing);
        m_reachability->update(false);
        m_reachability->update(true);
        QTRY_COMPARE(count("GET", "/tasks"), 2);
        QCOMPARE(m_store->offline(), false);

        m_store = makeStore(10ms, {}, 30ms);
        m_store->start();
        QTRY_VERIFY(count("GET", "/tasks") >= 5);
    }
};

QTEST_GUILESS_MAIN(StoreTest)
#include "test_store.moc"
