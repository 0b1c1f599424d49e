// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "fakeservice.h"
#include "quiblytest.h"
#include "wirejson.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using Reply = FakeService::Reply;
using QuiblyTest::Run;
Q_DECLARE_METATYPE(FakeService::Reply)

namespace {
const QString notRead = u"The screenshot could not be read.\n"_s;
const QString serviceError = u"The service answered with an error."_s;
} // namespace

// quiblyctl runs as a child process in a home of its own while this process's event loop keeps
// the fake service answering. Standard error is compared line by line with what quiblyctl
// itself says, so that any other message (a Qt warning) fails the test.
class QuiblyCtlTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeService> m_service;
    QString m_language;

    QString dataDir() const { return m_home->filePath(u".local/share/Quibly"_s); }
    bool queueEmpty() const
    {
        return QDir(dataDir() + u"/queue"_s).entryList({ u"*.png"_s, u"*.json"_s }, QDir::Files).isEmpty();
    }

    Run ctl(const QStringList &arguments, const QByteArray &input = {})
    {
        return QuiblyTest::run(QStringLiteral(QUIBLYCTL), arguments,
                               QuiblyTest::privateHome(m_home->path(), m_language), input);
    }

    // Each line of standard error holds the fragment of its place, and there are no others.
    static void compareErr(const Run &run, const QStringList &fragments)
    {
        const QStringList lines = run.errLines();
        QVERIFY2(lines.size() == fragments.size(), qPrintable(run.err));
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(lines.at(i).contains(fragments.at(i)), qPrintable(run.err));
    }

    QString png(const QByteArray &bytes = "\x89PNG\r\n\x1a\nfake")
    {
        QFile file(m_home->filePath(u"shot.png"_s));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return file.fileName();
    }

private Q_SLOTS:
    void init()
    {
        QuiblyTest::failOnUnexpectedWarnings();
        m_language = u"en"_s;
        m_home = std::make_unique<QTemporaryDir>();
        m_service = std::make_unique<FakeService>();
        QVERIFY(m_service->listen());
        m_service->on("GET", "/tasks", Reply::json(200, "[]"));
        m_service->on("GET", "/captures", Reply::json(200, "[]"));
        // Set up as a user would; notConfigured and configRoundTrip take the settings away again.
        const Run server = ctl({ u"config"_s, u"server"_s, m_service->url().toString() });
        const Run key = ctl({ u"config"_s, u"key"_s }, "secret\n");
        QCOMPARE(server.code + key.code, 0);
        QCOMPARE(server.err + key.err, QString());
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const QStringList &arguments, const QString &message) {
            QTest::newRow(name) << arguments << message;
        };
        row("no command", {}, u"no command given"_s);
        row("unknown command", { u"frobnicate"_s }, u"unknown command: frobnicate"_s);
        row("extra argument", { u"list"_s, u"now"_s }, u"list takes no argument"_s);
        row("missing argument", { u"add"_s }, u"add takes one argument"_s);
        row("bad task id", { u"done"_s, u"12abc"_s }, u"not a task id: 12abc"_s);
        row("option of another command", { u"list"_s, u"--title"_s, u"x"_s }, u"--title does not apply to list"_s);
        row("unknown option", { u"list"_s, u"--frob"_s }, u"frob"_s);
        row("bad priority", { u"edit"_s, u"5"_s, u"--priority"_s, u"urgent"_s }, u"high, medium or low"_s);
        row("bad day", { u"edit"_s, u"5"_s, u"--due"_s, u"2025-02-30"_s }, u"YYYY-MM-DD"_s);
        row("bad instant", { u"edit"_s, u"5"_s, u"--due-at"_s, u"2025-03-01 10:00"_s }, u"RFC 3339"_s);
        row("two deadlines", { u"edit"_s, u"5"_s, u"--due"_s, u"2025-03-01"_s, u"--no-due"_s },
            u"exclude each other"_s);
        // The last value would silently win otherwise.
        row("title twice", { u"edit"_s, u"5"_s, u"--title"_s, u"A"_s, u"--title"_s, u"B"_s },
            u"--title given more than once"_s);
        row("bad language", { u"config"_s, u"language"_s, u"de"_s }, u"uk or en"_s);
        row("server without URL", { u"config"_s, u"server"_s }, u"config server takes"_s);
        row("key with argument", { u"config"_s, u"key"_s, u"secret"_s }, u"standard input"_s);
        row("unknown setting", { u"config"_s, u"colour"_s }, u"unknown setting: colour"_s);
        row("missing file", { u"capture"_s, u"/nonexistent/shot.png"_s }, u"cannot read /nonexistent/shot.png"_s);
        row("bad timeout", { u"capture"_s, u"-"_s, u"--timeout"_s, u"soon"_s }, u"--timeout takes a number"_s);
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const QStringList usage = ctl({ u"--help"_s }).out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(usage.size() > 10);
        const Run run = ctl(arguments);
        QCOMPARE(run.code, 2);
        compareErr(run, QStringList { message } + usage);
        QVERIFY(run.err.startsWith(u"quiblyctl: "_s));
        QCOMPARE(run.out, QString());
        QVERIFY(m_service->requests().isEmpty());
        QVERIFY(queueEmpty());
    }

    // The shared problem text speaks of the settings window; the command line says what is
    // missing and which command sets it. A capture is still kept for later.
    void notConfigured_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("missing");
        const auto row
            = [](const char *name, const char *language, const char *server, const char *key, const char *missing) {
                  QTest::newRow(name) << QString::fromUtf8(language) << QString::fromUtf8(server) << QByteArray(key)
                                      << QString::fromUtf8(missing);
              };
        row("no server", "en", "", "secret", "no server URL is stored");
        row("bare host", "en", "localhost:8765", "secret", "\"localhost:8765\" is not an absolute URL");
        row("no key", "en", "http://127.0.0.1:9", "", "no access key is stored");
        row("no key, Ukrainian", "uk", "http://127.0.0.1:9", "", "no access key is stored");
    }
    void notConfigured()
    {
        QFETCH(QString, language);
        QFETCH(QString, server);
        QFETCH(QByteArray, key);
        QFETCH(QString, missing);
        const QStringList err { language == u"uk" ? u"не налаштовано"_s : u"not set up"_s, missing };
        m_language = language;
        // Stored as typed, but a URL that cannot work is pointed out at once; a blank one removes it.
        const Run set = ctl({ u"config"_s, u"server"_s, server });
        QCOMPARE(set.code, 0);
        compareErr(set, server.isEmpty() || server.startsWith(u"http"_s) ? QStringList() : QStringList { missing });
        QCOMPARE(ctl({ u"config"_s, u"key"_s }, key).code, 0);
        for (const QStringList &command :
             { QStringList { u"list"_s }, QStringList { u"add"_s, u"x"_s }, QStringList { u"capture"_s, png() } }) {
            const Run run = ctl(command);
            QCOMPARE(run.code, 3);
            compareErr(run, command.first() == u"capture" ? err + QStringList { u"stays in the local queue"_s } : err);
        }
        QCOMPARE(ctl({ u"queue"_s }).out.count(u'\n'), 1);
        QVERIFY(m_service->requests().isEmpty());
    }

    void configRoundTrip()
    {
        Run run = ctl({ u"--json"_s, u"config"_s });
        QCOMPARE(run.code, 0);
        QCOMPARE(QJsonDocument::fromJson(run.out.toUtf8()).object(),
                 (QJsonObject { { u"server_url"_s, m_service->url().toString() },
                                { u"task_language"_s, u"en"_s },
                                { u"access_key"_s, true } }));
        QVERIFY(!run.out.contains(u"secret"_s));

        const QString keyFile = dataDir() + u"/access-key"_s;
        QFile key(keyFile);
        QVERIFY(key.open(QIODevice::ReadOnly));
        QCOMPARE(key.readAll(), QByteArray("secret"));
        QCOMPARE(key.permissions() & 0x0FFF, QFile::ReadUser | QFile::WriteUser); // and nobody else

        QCOMPARE(ctl({ u"config"_s, u"language"_s, u"uk"_s }).code, 0);
        QCOMPARE(ctl({ u"config"_s, u"key"_s }, "  \n").code, 0);
        QVERIFY(!QFile::exists(keyFile));
        QCOMPARE(ctl({ u"config"_s, u"server"_s, u""_s }).code, 0);
        run = ctl({ u"config"_s });
        QCOMPARE(run.out, u"server\t\nlanguage\tuk\nkey\tnot stored\n"_s);
        QCOMPARE(run.err, QString());
    }

    // A terminal never ends its input by itself: a key is one line, and a PNG cannot be typed.
    void terminalInput()
    {
        const QString script = QStandardPaths::findExecutable(u"script"_s);
        if (script.isEmpty() || QProcess::execute(script, { u"-qec"_s, u"true"_s, u"/dev/null"_s }) != 0)
            QSKIP("no script(1) or no pseudo-terminal here");
        const auto onTerminal = [&](const QString &command, const QByteArray &typed) {
            QProcess process;
            process.setProcessEnvironment(QuiblyTest::privateHome(m_home->path()));
            process.start(script, { u"-qec"_s, QStringLiteral(QUIBLYCTL) + u' ' + command, u"/dev/null"_s });
            process.write(typed); // and no end of input
            if (!process.waitForFinished(10000))
                process.kill();
            return Run { process.exitCode(), QString::fromUtf8(process.readAll()), {} };
        };
        Run run = onTerminal(u"config key"_s, "tty-secret\n");
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out.contains(u"Access key:"_s), qPrintable(run.out));
        QFile key(dataDir() + u"/access-key"_s);
        QVERIFY(key.open(QIODevice::ReadOnly));
        QCOMPARE(key.readAll(), QByteArray("tty-secret"));

        run = onTerminal(u"capture -"_s, {});
        QCOMPARE(run.code, 2);
        QVERIFY2(run.out.contains(u"standard input is a terminal"_s), qPrintable(run.out));
        QVERIFY(queueEmpty());
    }

    // Open tasks in display order, done ones, the badge, open captures, and the JSON forms.
    void listsShowWhatTheServiceHolds()
    {
        const QByteArray capture = WireJson::capture(u"c1"_s, u"failed"_s, u"unreadable"_s);
        m_service->on("GET", "/captures", Reply::json(200, "[" + capture + "]"));
        QVERIFY(ctl({ u"captures"_s }).out.startsWith(u"c1\tfailed\tunreadable\t"_s));
        QCOMPARE(QJsonDocument::fromJson(ctl({ u"--json"_s, u"captures"_s }).out.toUtf8()).array().at(0).toObject(),
                 QJsonDocument::fromJson(capture).object());
        const QString overdue = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
        const QByteArrayList tasks {
            WireJson::task(1, u"low one"_s, u"low"_s), WireJson::task(2, u"late"_s, u"medium"_s, overdue),
            WireJson::task(3, u"high one"_s, u"high"_s),
            WireJson::task(4, u"finished"_s, u"high"_s, {}, QString::fromLatin1(WireJson::stamp))
        };
        m_service->on("GET", "/tasks", Reply::json(200, "[" + tasks.join(',') + "]"));
        const QString open = u"2\t!\tmedium\tYesterday\tlate\n3\t\thigh\tNo deadline\thigh one\n"
                             "1\t\tlow\tNo deadline\tlow one\n"_s;
        QCOMPARE(ctl({ u"list"_s }).out, open);
        QCOMPARE(ctl({ u"list"_s, u"--done"_s }).out, u"4\t\thigh\tNo deadline\tfinished\n"_s);
        QCOMPARE(ctl({ u"badge"_s }).out, u"1\n"_s);
        const Run run = ctl({ u"--json"_s, u"list"_s });
        QCOMPARE(run.code, 0);
        QCOMPARE(run.err, QString());
        const QJsonArray array = QJsonDocument::fromJson(run.out.toUtf8()).array();
        QCOMPARE(array.size(), 3);
        // Written back exactly in the service's form.
        QCOMPARE(array.at(1).toObject(), QJsonDocument::fromJson(tasks.at(2)).object());
        const Run sync = ctl({ u"sync"_s });
        QCOMPARE(sync.code, 0);
        QCOMPARE(sync.out + sync.err, QString());
    }

    void editsSendTheirRequests_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("body");
        const auto row = [](const char *name, const QStringList &arguments, const char *request, const char *body) {
            QTest::newRow(name) << arguments << QByteArray(request) << QByteArray(body);
        };
        row("add", { u"add"_s, u"Buy milk"_s }, "POST /tasks", R"({"title":"Buy milk"})");
        row("done", { u"done"_s, u"5"_s }, "PATCH /tasks/5", R"({"done":true})");
        row("reopen", { u"reopen"_s, u"5"_s }, "PATCH /tasks/5", R"({"done":false})");
        row("delete, negative id after --", { u"delete"_s, u"--"_s, u"-5"_s }, "DELETE /tasks/-5", "");
        row("edit title and deadline off", { u"edit"_s, u"5"_s, u"--title"_s, u" New "_s, u"--no-due"_s },
            "PATCH /tasks/5", R"({"due_at":null,"due_date":null,"title":"New"})");
        row("edit nothing", { u"edit"_s, u"5"_s }, "PATCH /tasks/5", "{}");
        row("edit deadline at",
            { u"edit"_s, u"5"_s, u"--due-at"_s, u"2025-03-05T12:15:00+02:00"_s, u"--priority"_s, u"low"_s },
            "PATCH /tasks/5", R"({"due_at":"2025-03-05T10:15:00Z","priority":"low"})");
        row("retry", { u"retry"_s, u"c1"_s }, "POST /captures/c1/retry", "");
        row("delete-capture", { u"delete-capture"_s, u"c1"_s }, "DELETE /captures/c1", "");
    }
    void editsSendTheirRequests()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, body);
        m_service->on("GET", "/tasks",
                      Reply::json(200, "[" + WireJson::task(5, u"Old"_s, u"medium"_s, u"2025-03-04"_s) + "]"));
        m_service->on("POST", "/tasks", Reply::json(201, WireJson::task(6, u"Buy milk"_s)));
        m_service->on("PATCH", "/tasks/5", Reply::json(200, WireJson::task(5, u"x"_s)));
        m_service->on("DELETE", "/tasks/-5", Reply::empty(204));
        m_service->on("POST", "/captures/c1/retry", Reply::json(200, WireJson::capture(u"c1"_s, u"pending"_s)));
        m_service->on("DELETE", "/captures/c1", Reply::empty(204));
        const Run run = ctl(arguments);
        QCOMPARE(run.code, 0);
        QCOMPARE(run.err, QString());
        const auto sent = m_service->requests(request.split(' ').at(0), request.split(' ').at(1));
        QCOMPARE(sent.size(), 1);
        QCOMPARE(QJsonDocument::fromJson(sent.at(0).body), QJsonDocument::fromJson(body));
        QCOMPARE(sent.at(0).body.isEmpty(), body.isEmpty());
    }

    // What a failing service or a refusal prints, and the exit status 1.
    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("err");
        const auto row = [](const char *name, const QStringList &arguments, const char *request, const Reply &reply,
                            const QStringList &err, const QString &out = {}) {
            QTest::newRow(name) << arguments << QByteArray(request) << reply << out << err;
        };
        const QStringList list { u"list"_s };
        const QStringList capture { u"capture"_s, u"FILE"_s };
        const QString refused = u"did not accept the access key"_s;
        row("server error", list, "GET /tasks", Reply::empty(502),
            { serviceError, u"quiblyctl: the service failed with HTTP status 502"_s });
        row("refused key", list, "GET /tasks", Reply::empty(401),
            { refused, u"refused the access key; store the right one"_s });
        row("refused request", list, "GET /tasks", Reply::json(422, R"({"code":"bad_query"})"),
            { serviceError, u"refused the request: bad_query"_s });
        row("garbage", list, "GET /tasks", Reply::json(200, R"([{"id":1}])"),
            { u"quiblyctl: the service's answer could not be read: "_s, serviceError });
        row("refused edit", { u"done"_s, u"5"_s }, "PATCH /tasks/5", Reply::json(404, R"({"code":"not_found"})"),
            { serviceError, u"refused the request: not_found"_s });
        row("edit of an unknown task", { u"edit"_s, u"9"_s, u"--title"_s, u"x"_s }, "GET /tasks",
            Reply::json(200, "[]"), { u"quiblyctl: no task with id 9"_s });
        row("refused capture", capture, "POST /captures", Reply::json(422, R"({"code":"not_png"})"),
            { u"was not read"_s }, notRead);
        // Nothing can change until another key is stored: no following for the default 120 s
        // (which this runner, waiting 60 s, would report as no exit at all).
        row("capture, key refused after the upload", capture, "GET /tasks", Reply::empty(401),
            { refused, u"refused the access key"_s });
        // The lists still load: the refused upload alone must end the wait.
        row("capture, upload refused", capture, "POST /captures", Reply::json(401, R"({"code":"unauthorized"})"),
            { refused, u"refused the access key"_s, u"stays in the local queue"_s });
        // The capture is gone by the time it is asked about, and no reload succeeds.
        row("capture forgotten", capture + QStringList { u"--timeout"_s, u"30"_s }, "GET /tasks", Reply::empty(502),
            { serviceError, u"HTTP status 502"_s, u"no longer knows capture"_s });
    }
    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, request);
        QFETCH(Reply, reply);
        QFETCH(QString, out);
        QFETCH(QStringList, err);
        m_service->setHandler(WireJson::acceptUploads());
        m_service->on(request.split(' ').at(0), request.split(' ').at(1), reply);
        arguments.replaceInStrings(u"FILE"_s, png());
        const Run run = ctl(arguments);
        QCOMPARE(run.code, 1);
        QCOMPARE(run.out, out);
        compareErr(run, err);
        QVERIFY(m_service->requests("PATCH", "/tasks/9").isEmpty());
        QCOMPARE(queueEmpty(), !run.err.contains(u"stays in the local queue"_s));
    }

    // The task list is refused at once while the open captures are still on the wire: the
    // answer nobody waits for any more must end quietly, every time.
    void refusalWithARequestStillOnTheWire()
    {
        m_service->on("GET", "/tasks", Reply::empty(401));
        // The held answer arrives at a different moment of quiblyctl's exit each time.
        for (int i = 0; i < 20; ++i) {
            Reply held = Reply::json(200, "[]");
            held.delay = std::chrono::milliseconds(i * 5);
            m_service->on("GET", "/captures", held);
            const Run run = ctl({ u"list"_s });
            QCOMPARE(run.code, 1);
            compareErr(run, { u"did not accept the access key"_s, u"refused the access key"_s });
        }
    }

    void captureFollowsUntilAnnounced_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("err");
        const auto row = [](const char *name, const QByteArray &png, const QStringList &arguments, const char *status,
                            const QStringList &titles, int code, const QString &out, const QStringList &err) {
            QTest::newRow(name) << png << arguments << QString::fromLatin1(status) << titles << code << out << err;
        };
        const QByteArray png = "\x89PNG\r\n\x1a\nfake";
        row("file, two tasks", png, { u"FILE"_s }, "done", { u"A"_s, u"B"_s }, 0, u"New task: A\nNew task: B\n"_s, {});
        row("standard input, failed", png, { u"-"_s }, "failed", {}, 1, notRead, { u"was not read"_s });
        row("empty file, no wait", {}, { u"FILE"_s, u"--no-wait"_s }, "done", {}, 0, {}, {});
    }
    void captureFollowsUntilAnnounced()
    {
        QFETCH(QByteArray, png);
        QFETCH(QStringList, arguments);
        QFETCH(QString, status);
        QFETCH(QStringList, titles);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QStringList, err);
        m_service->setHandler(WireJson::acceptUploads(status, titles));
        const Run run = ctl(QStringList { u"capture"_s } + arguments.replaceInStrings(u"FILE"_s, this->png(png)), png);
        QCOMPARE(run.code, code);
        QCOMPARE(run.out, out);
        compareErr(run, err);
        const auto uploads = m_service->requests("POST", "/captures");
        QCOMPARE(uploads.size(), 1);
        QVERIFY(uploads.at(0).body.contains(QByteArray("Content-Type: image/png\r\n\r\n" + png + "\r\n--")));
        const QString id = WireJson::uploadedId(uploads.at(0).body);
        const bool follows = !arguments.contains(u"--no-wait"_s);
        QCOMPARE(m_service->requests("GET", "/captures/" + id.toUtf8()).size(), follows ? 1 : 0);
        if (!follows)
            QCOMPARE(m_service->requests().size(), 3); // the upload and one reload
        QVERIFY(queueEmpty());
    }

    void unwritableQueue()
    {
        QFile blocker(dataDir() + u"/queue"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        const Run run = ctl({ u"capture"_s, png() });
        QCOMPARE(run.code, 1);
        QCOMPARE(run.out, notRead);
        compareErr(run, { u"could not be written to "_s + dataDir() });
        QVERIFY(m_service->requests().isEmpty());
    }

    void serverGoneKeepsTheCaptureQueued()
    {
        const QString url = m_service->url().toString();
        m_service.reset(); // nothing listens any more
        const Run run = ctl({ u"capture"_s, png(), u"--timeout"_s, u"0.3"_s });
        QCOMPARE(run.code, 1);
        compareErr(run,
                   { u"No connection to the service."_s, u"could not reach "_s + url, u"no outcome for capture"_s,
                     u"stays in the local queue"_s });
        const QJsonArray items = QJsonDocument::fromJson(ctl({ u"--json"_s, u"queue"_s }).out.toUtf8()).array();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.at(0).toObject().value(u"language"_s).toString(), u"en"_s);
    }
};

QTEST_GUILESS_MAIN(QuiblyCtlTest)
#include "test_quiblyctl.moc"
