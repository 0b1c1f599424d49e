// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "fakeservice.h"
#include "wirejson.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using Reply = FakeService::Reply;

namespace {
const QByteArray stamp = "2025-03-01T10:00:00Z";

QByteArray taskJson(qint64 id, const QString &title, const QString &priority = u"medium"_s,
                    const QJsonValue &dueDate = QJsonValue::Null, const QJsonValue &doneAt = QJsonValue::Null)
{
    return QJsonDocument(QJsonObject { { u"id"_s, id },
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
                                       { u"updated_at"_s, u"2025-03-01T10:00:00.250Z"_s } })
        .toJson(QJsonDocument::Compact);
}

QByteArray captureJson(const QString &id, const QString &status, const QString &error = {})
{
    return WireJson::capture(id, status, error);
}

QString uploadedId(const QByteArray &body)
{
    const QByteArray marker = "name=\"id\"\r\n\r\n";
    const qsizetype start = body.indexOf(marker);
    if (start < 0)
        return {};
    const qsizetype from = start + marker.size();
    return QString::fromUtf8(body.mid(from, body.indexOf("\r\n", from) - from));
}

struct Run
{
    int code = -1;
    QString out;
    QString err;
};
} // namespace

Q_DECLARE_METATYPE(FakeService::Reply)

class QuiblyCtlTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeService> m_service;
    QString m_language = u"en"_s;

    QString dataDir() const { return m_home->filePath(u"data"_s); }

    // quiblyctl runs while this process's event loop keeps the fake service answering.
    Run ctl(const QStringList &arguments, const QByteArray &input = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, m_home->path());
        env.insert(u"XDG_CONFIG_HOME"_s, m_home->filePath(u"config"_s));
        env.insert(u"XDG_DATA_HOME"_s, dataDir());
        env.insert(u"LANG"_s, u"C.UTF-8"_s);
        env.remove(u"LC_ALL"_s);
        env.remove(u"LC_MESSAGES"_s);
        env.insert(u"LANGUAGE"_s, m_language);
        process.setProcessEnvironment(env);
        QSignalSpy finished(&process, &QProcess::finished);
        process.start(QStringLiteral(QUIBLYCTL), arguments);
        if (!process.waitForStarted())
            return {};
        process.write(input);
        process.closeWriteChannel();
        if (!finished.wait(60000)) {
            process.kill();
            return {};
        }
        return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                 QString::fromUtf8(process.readAllStandardError()) };
    }

    // quiblyctl with a terminal as standard input (through script(1)), \a input typed into it.
    Run ctlOnTerminal(const QStringList &arguments, const QByteArray &input)
    {
        const QString script = QStandardPaths::findExecutable(u"script"_s);
        if (script.isEmpty())
            return {};
        QStringList command { QStringLiteral(QUIBLYCTL) };
        for (const QString &argument : arguments)
            command.append(u"'"_s + argument + u"'"_s);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, m_home->path());
        env.insert(u"XDG_CONFIG_HOME"_s, m_home->filePath(u"config"_s));
        env.insert(u"XDG_DATA_HOME"_s, dataDir());
        env.insert(u"LANGUAGE"_s, m_language);
        process.setProcessEnvironment(env);
        QSignalSpy finished(&process, &QProcess::finished);
        process.start(script, { u"-qec"_s, command.join(u' '), u"/dev/null"_s });
        if (!process.waitForStarted())
            return {};
        process.write(input);
        // No end of input: a command that waits for one never ends by itself.
        if (!finished.wait(10000)) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                 QString::fromUtf8(process.readAllStandardError()) };
    }

    void configure()
    {
        QCOMPARE(ctl({ u"config"_s, u"server"_s, m_service->url().toString() }).code, 0);
        QCOMPARE(ctl({ u"config"_s, u"key"_s }, "secret\n").code, 0);
    }

    void acceptUploads(const QByteArray &status, const QStringList &titles = {})
    {
        m_service->setHandler([status, titles](const FakeService::Request &request) {
            if (request.method == "POST" && request.path == "/captures")
                return Reply::json(201, captureJson(uploadedId(request.body), u"pending"_s));
            if (request.method == "GET" && request.path.startsWith("/captures/")) {
                const QString id = QString::fromUtf8(request.path.mid(10));
                QByteArray tasks = "[";
                for (int i = 0; i < titles.size(); ++i)
                    tasks += (i ? "," : "") + taskJson(50 + i, titles.at(i));
                return Reply::json(
                    200, "{\"capture\":" + captureJson(id, QString::fromLatin1(status)) + ",\"tasks\":" + tasks + "]}");
            }
            return Reply::json(404, R"({"code":"not_found"})");
        });
    }

    QString png()
    {
        const QString file = m_home->filePath(u"shot.png"_s);
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write("\x89PNG\r\n\x1a\nfake");
        return file;
    }

private Q_SLOTS:
    void init()
    {
        m_language = u"en"_s;
        m_home = std::make_unique<QTemporaryDir>();
        m_service = std::make_unique<FakeService>();
        QVERIFY(m_service->listen());
        m_service->on("GET", "/tasks", Reply::json(200, "[]"));
        m_service->on("GET", "/captures", Reply::json(200, "[]"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList {} << u"no command given"_s;
        QTest::newRow("unknown command") << QStringList { u"frobnicate"_s } << u"unknown command: frobnicate"_s;
        QTest::newRow("extra argument") << QStringList { u"list"_s, u"now"_s } << u"list takes no argument"_s;
        QTest::newRow("missing argument") << QStringList { u"add"_s } << u"add takes one argument"_s;
        QTest::newRow("bad task id") << QStringList { u"done"_s, u"12abc"_s } << u"not a task id: 12abc"_s;
        QTest::newRow("option of another command")
            << QStringList { u"list"_s, u"--title"_s, u"x"_s } << u"--title does not apply to list"_s;
        QTest::newRow("unknown option") << QStringList { u"list"_s, u"--frob"_s } << u"frob"_s;
        QTest::newRow("bad priority") << QStringList { u"edit"_s, u"5"_s, u"--priority"_s, u"urgent"_s }
                                      << u"high, medium or low"_s;
        QTest::newRow("bad day") << QStringList { u"edit"_s, u"5"_s, u"--due"_s, u"2025-02-30"_s } << u"YYYY-MM-DD"_s;
        QTest::newRow("bad instant") << QStringList { u"edit"_s, u"5"_s, u"--due-at"_s, u"2025-03-01 10:00"_s }
                                     << u"RFC 3339"_s;
        QTest::newRow("two deadlines") << QStringList { u"edit"_s, u"5"_s, u"--due"_s, u"2025-03-01"_s, u"--no-due"_s }
                                       << u"exclude each other"_s;
        // The last value would silently win otherwise.
        QTest::newRow("title twice") << QStringList { u"edit"_s, u"5"_s, u"--title"_s, u"A"_s, u"--title"_s, u"B"_s }
                                     << u"--title given more than once"_s;
        QTest::newRow("timeout twice") << QStringList { u"capture"_s, u"-"_s,         u"--timeout"_s,
                                                        u"1"_s,       u"--timeout"_s, u"2"_s }
                                       << u"--timeout given more than once"_s;
        QTest::newRow("bad language") << QStringList { u"config"_s, u"language"_s, u"de"_s } << u"uk or en"_s;
        QTest::newRow("server without URL") << QStringList { u"config"_s, u"server"_s } << u"config server takes"_s;
        QTest::newRow("key with argument") << QStringList { u"config"_s, u"key"_s, u"secret"_s } << u"standard input"_s;
        QTest::newRow("unknown setting") << QStringList { u"config"_s, u"colour"_s } << u"unknown setting: colour"_s;
        QTest::newRow("missing file") << QStringList { u"capture"_s, u"/nonexistent/shot.png"_s }
                                      << u"cannot read /nonexistent/shot.png"_s;
        QTest::newRow("bad timeout") << QStringList { u"capture"_s, u"-"_s, u"--timeout"_s, u"soon"_s }
                                     << u"--timeout takes a number of seconds"_s;
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        configure();
        const Run run = ctl(arguments);
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.startsWith(u"quiblyctl: "_s) && run.err.section(u'\n', 0, 0).contains(message),
                 qPrintable(run.err));
        QVERIFY2(run.err.contains(u"Usage: quiblyctl"_s), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        QVERIFY(m_service->requests().isEmpty());
        QVERIFY(!QDir(dataDir() + u"/Quibly/queue"_s).exists() || QDir(dataDir() + u"/Quibly/queue"_s).isEmpty());
    }

    // The shared problem text speaks of the settings window; the command line says what is
    // missing and which command sets it.
    void notConfiguredSaysWhatIsMissing_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("hint");
        QTest::newRow("no server") << QString() << QByteArray("secret") << u"no server URL is stored"_s;
        QTest::newRow("bare host") << u"localhost:8765"_s << QByteArray("secret")
                                   << u"\"localhost:8765\" is not an absolute URL"_s;
        QTest::newRow("no key") << u"http://127.0.0.1:9"_s << QByteArray() << u"no access key is stored"_s;
    }
    void notConfiguredSaysWhatIsMissing()
    {
        QFETCH(QString, server);
        QFETCH(QByteArray, key);
        QFETCH(QString, hint);
        if (!server.isEmpty()) {
            const Run set = ctl({ u"config"_s, u"server"_s, server });
            QCOMPARE(set.code, 0);
            // Stored as typed, but a URL that cannot work is pointed out at once.
            QCOMPARE(set.err.contains(u"not an absolute URL"_s), !server.startsWith(u"http"_s));
        }
        if (!key.isEmpty())
            QCOMPARE(ctl({ u"config"_s, u"key"_s }, key).code, 0);
        const Run run = ctl({ u"list"_s });
        QCOMPARE(run.code, 3);
        QVERIFY2(run.err.contains(u"not set up"_s), qPrintable(run.err));
        QVERIFY2(run.err.contains(hint), qPrintable(run.err));
        QVERIFY2(run.err.contains(u"quiblyctl config "_s), qPrintable(run.err));
    }
    void configRoundTrip()
    {
        Run run = ctl({ u"config"_s });
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, u"server\t\nlanguage\ten\nkey\tnot stored\n"_s);
        configure();
        QCOMPARE(ctl({ u"config"_s, u"language"_s, u"uk"_s }).code, 0);
        run = ctl({ u"--json"_s, u"config"_s });
        QCOMPARE(run.code, 0);
        const QJsonObject shown = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(shown.value(u"server_url"_s).toString(), m_service->url().toString());
        QCOMPARE(shown.value(u"task_language"_s).toString(), u"uk"_s);
        QCOMPARE(shown.value(u"access_key"_s).toBool(), true);
        QVERIFY(!run.out.contains(u"secret"_s));

        const QString keyFile = dataDir() + u"/Quibly/access-key"_s;
        QFile key(keyFile);
        QVERIFY(key.open(QIODevice::ReadOnly));
        QCOMPARE(key.readAll(), QByteArray("secret"));
        struct stat st
        {
        };
        QCOMPARE(::stat(QFile::encodeName(keyFile).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));

        QCOMPARE(ctl({ u"config"_s, u"key"_s }, "  \n").code, 0);
        QVERIFY(!QFile::exists(keyFile));
        QCOMPARE(ctl({ u"config"_s, u"server"_s, u""_s }).code, 0);
        QCOMPARE(ctl({ u"config"_s }).out, u"server\t\nlanguage\tuk\nkey\tnot stored\n"_s);
    }

    // A terminal never ends its input by itself: a key is one line, and a PNG cannot be typed.
    void terminalInput()
    {
        const QString script = QStandardPaths::findExecutable(u"script"_s);
        if (script.isEmpty() || QProcess::execute(script, { u"-qec"_s, u"true"_s, u"/dev/null"_s }) != 0)
            QSKIP("no script(1) or no pseudo-terminal here");
        Run run = ctlOnTerminal({ u"config"_s, u"key"_s }, "tty-secret\n");
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out.contains(u"Access key:"_s), qPrintable(run.out));
        QFile key(dataDir() + u"/Quibly/access-key"_s);
        QVERIFY(key.open(QIODevice::ReadOnly));
        QCOMPARE(key.readAll(), QByteArray("tty-secret"));

        run = ctlOnTerminal({ u"capture"_s, u"-"_s }, {});
        QCOMPARE(run.code, 2);
        QVERIFY2(run.out.contains(u"standard input is a terminal"_s), qPrintable(run.out));
        QVERIFY(!QDir(dataDir() + u"/Quibly/queue"_s).exists() || QDir(dataDir() + u"/Quibly/queue"_s).isEmpty());
    }

    void notConfigured_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << u"en"_s << u"not set up"_s;
        QTest::newRow("Ukrainian") << u"uk"_s << u"не налаштовано"_s;
    }
    void notConfigured()
    {
        QFETCH(QString, language);
        QFETCH(QString, text);
        m_language = language;
        QCOMPARE(ctl({ u"config"_s, u"server"_s, m_service->url().toString() }).code, 0);
        for (const QString &command : { u"sync"_s, u"list"_s, u"add"_s }) {
            const Run run = ctl(command == u"add" ? QStringList { command, u"x"_s } : QStringList { command });
            QCOMPARE(run.code, 3);
            QVERIFY2(run.err.contains(text), qPrintable(run.err));
        }
        // A capture is still kept for later.
        const Run run = ctl({ u"capture"_s, png() });
        QCOMPARE(run.code, 3);
        QCOMPARE(ctl({ u"queue"_s }).out.count(u'\n'), 1);
        QVERIFY(m_service->requests().isEmpty());
    }

    void listShowsOpenTasksInDisplayOrder()
    {
        configure();
        const QString overdue = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
        m_service->on(
            "GET", "/tasks",
            Reply::json(200,
                        "[" + taskJson(1, u"low one"_s, u"low"_s) + "," + taskJson(2, u"late"_s, u"medium"_s, overdue)
                            + "," + taskJson(3, u"high one"_s, u"high"_s) + ","
                            + taskJson(4, u"finished"_s, u"high"_s, QJsonValue::Null, QString::fromLatin1(stamp))
                            + "]"));
        Run run = ctl({ u"list"_s });
        QCOMPARE(run.code, 0);
        QCOMPARE(
            run.out,
            u"2\t!\tmedium\tYesterday\tlate\n3\t\thigh\tNo deadline\thigh one\n1\t\tlow\tNo deadline\tlow one\n"_s);
        run = ctl({ u"list"_s, u"--done"_s });
        QCOMPARE(run.out, u"4\t\thigh\tNo deadline\tfinished\n"_s);
        run = ctl({ u"badge"_s });
        QCOMPARE(run.out, u"1\n"_s);

        run = ctl({ u"--json"_s, u"list"_s });
        QCOMPARE(run.code, 0);
        const QJsonArray array = QJsonDocument::fromJson(run.out.toUtf8()).array();
        QCOMPARE(array.size(), 3);
        // Written back exactly in the service's form.
        QCOMPARE(array.at(1).toObject(), QJsonDocument::fromJson(taskJson(3, u"high one"_s, u"high"_s)).object());
    }

    void failingServiceExitsWithOne_data()
    {
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<QString>("stderr");
        QTest::addColumn<QString>("detail");
        QTest::newRow("server error") << Reply::empty(502) << u"The service answered with an error."_s
                                      << u"HTTP status 502"_s;
        QTest::newRow("refused key") << Reply::empty(401) << u"did not accept the access key"_s
                                     << u"quiblyctl config key"_s;
        QTest::newRow("refused request") << Reply::json(422, R"({"code":"bad_query"})")
                                         << u"The service answered with an error."_s << u"bad_query"_s;
        QTest::newRow("garbage") << Reply::json(200, R"([{"id":1}])") << u"could not be read: "_s
                                 << u"could not be read: "_s;
    }
    void failingServiceExitsWithOne()
    {
        QFETCH(Reply, reply);
        QFETCH(QString, stderr);
        QFETCH(QString, detail);
        configure();
        m_service->on("GET", "/tasks", reply);
        const Run run = ctl({ u"list"_s });
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(stderr), qPrintable(run.err));
        QVERIFY2(run.err.contains(detail), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }

    void editsSendTheirRequests_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("route");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("add") << QStringList { u"add"_s, u"Buy milk"_s } << QByteArray("POST") << QByteArray("/tasks")
                             << QByteArray(R"({"title":"Buy milk"})");
        QTest::newRow("done") << QStringList { u"done"_s, u"5"_s } << QByteArray("PATCH") << QByteArray("/tasks/5")
                              << QByteArray(R"({"done":true})");
        QTest::newRow("reopen") << QStringList { u"reopen"_s, u"5"_s } << QByteArray("PATCH") << QByteArray("/tasks/5")
                                << QByteArray(R"({"done":false})");
        QTest::newRow("delete, negative id after --")
            << QStringList { u"delete"_s, u"--"_s, u"-5"_s } << QByteArray("DELETE") << QByteArray("/tasks/-5")
            << QByteArray();
        QTest::newRow("edit title and deadline off")
            << QStringList { u"edit"_s, u"5"_s, u"--title"_s, u" New "_s, u"--no-due"_s } << QByteArray("PATCH")
            << QByteArray("/tasks/5") << QByteArray(R"({"due_at":null,"due_date":null,"title":"New"})");
        QTest::newRow("edit nothing") << QStringList { u"edit"_s, u"5"_s } << QByteArray("PATCH")
                                      << QByteArray("/tasks/5") << QByteArray("{}");
        QTest::newRow("edit deadline at") << QStringList { u"edit"_s,       u"5"_s,
                                                           u"--due-at"_s,   u"2025-03-05T12:15:00+02:00"_s,
                                                           u"--priority"_s, u"low"_s }
                                          << QByteArray("PATCH") << QByteArray("/tasks/5")
                                          << QByteArray(R"({"due_at":"2025-03-05T10:15:00Z","priority":"low"})");
        QTest::newRow("retry") << QStringList { u"retry"_s, u"c1"_s } << QByteArray("POST")
                               << QByteArray("/captures/c1/retry") << QByteArray();
        QTest::newRow("delete-capture") << QStringList { u"delete-capture"_s, u"c1"_s } << QByteArray("DELETE")
                                        << QByteArray("/captures/c1") << QByteArray();
    }
    void editsSendTheirRequests()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, route);
        QFETCH(QByteArray, body);
        configure();
        m_service->on("GET", "/tasks",
                      Reply::json(200, "[" + taskJson(5, u"Old"_s, u"medium"_s, u"2025-03-04"_s) + "]"));
        m_service->on("POST", "/tasks", Reply::json(201, taskJson(6, u"Buy milk"_s)));
        m_service->on("PATCH", "/tasks/5", Reply::json(200, taskJson(5, u"x"_s)));
        m_service->on("DELETE", "/tasks/-5", Reply::empty(204));
        m_service->on("POST", "/captures/c1/retry", Reply::json(200, captureJson(u"c1"_s, u"pending"_s)));
        m_service->on("DELETE", "/captures/c1", Reply::empty(204));
        const Run run = ctl(arguments);
        QCOMPARE(run.code, 0);
        const auto sent = m_service->requests(method, route);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(QJsonDocument::fromJson(sent.at(0).body), QJsonDocument::fromJson(body));
        QCOMPARE(sent.at(0).body.isEmpty(), body.isEmpty());
    }

    void editOfUnknownTaskFails()
    {
        configure();
        const Run run = ctl({ u"edit"_s, u"9"_s, u"--title"_s, u"x"_s });
        QCOMPARE(run.code, 1);
        QVERIFY(run.err.contains(u"no task with id 9"_s));
        QVERIFY(m_service->requests("PATCH", "/tasks/9").isEmpty());
    }

    void refusedEditExitsWithOne()
    {
        configure();
        m_service->on("PATCH", "/tasks/5", Reply::json(404, R"({"code":"not_found"})"));
        const Run run = ctl({ u"done"_s, u"5"_s });
        QCOMPARE(run.code, 1);
        QVERIFY(run.err.contains(u"The service answered with an error."_s));
        QVERIFY2(run.err.contains(u"not_found"_s), qPrintable(run.err));
    }

    void captureFollowsUntilAnnounced_data()
    {
        QTest::addColumn<bool>("fromStandardInput");
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("file, two tasks") << false << QByteArray("done") << QStringList { u"A"_s, u"B"_s } << 0
                                         << u"New task: A\nNew task: B\n"_s << QString();
        QTest::newRow("stdin, failed") << true << QByteArray("failed") << QStringList {} << 1
                                       << u"The screenshot could not be read.\n"_s << u"was not read"_s;
    }
    void captureFollowsUntilAnnounced()
    {
        QFETCH(bool, fromStandardInput);
        QFETCH(QByteArray, status);
        QFETCH(QStringList, titles);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        configure();
        acceptUploads(status, titles);
        const QString file = png();
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        const QByteArray bytes = f.readAll();
        const Run run = fromStandardInput ? ctl({ u"capture"_s, u"-"_s }, bytes) : ctl({ u"capture"_s, file });
        QCOMPARE(run.code, code);
        QCOMPARE(run.out, out);
        QVERIFY2(err.isEmpty() ? run.err.isEmpty()
                               : run.err.contains(u"quiblyctl: capture "_s) && run.err.contains(err),
                 qPrintable(run.err));
        const auto uploads = m_service->requests("POST", "/captures");
        QCOMPARE(uploads.size(), 1);
        QVERIFY(uploads.at(0).body.contains(QByteArray("\r\n\r\n" + bytes + "\r\n--")));
        const QString id = uploadedId(uploads.at(0).body);
        QCOMPARE(m_service->requests("GET", "/captures/" + id.toUtf8()).size(), 1);
        QCOMPARE(ctl({ u"queue"_s }).out, QString());
    }

    void captureDroppedByTheServiceEndsTheWait()
    {
        configure();
        // The capture is gone by the time it is asked about, and no reload succeeds.
        m_service->setHandler([](const FakeService::Request &request) {
            if (request.method == "POST" && request.path == "/captures")
                return Reply::json(201, captureJson(uploadedId(request.body), u"pending"_s));
            return Reply::json(404, R"({"code":"not_found"})");
        });
        m_service->on("GET", "/tasks", Reply::empty(502));
        const Run run = ctl({ u"capture"_s, png(), u"--timeout"_s, u"30"_s });
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(u"no longer knows capture"_s), qPrintable(run.err));
        QVERIFY2(!run.err.contains(u"no outcome"_s), qPrintable(run.err));
    }

    void captureWithoutWaiting()
    {
        configure();
        acceptUploads("done");
        const Run run = ctl({ u"capture"_s, png(), u"--no-wait"_s });
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QString());
        QCOMPARE(m_service->requests("POST", "/captures").size(), 1);
        QCOMPARE(m_service->requests().size(), 3); // the upload and one reload, no following
    }

    void emptyFileIsQueuedAsGiven()
    {
        configure();
        acceptUploads("done");
        const QString file = m_home->filePath(u"empty.png"_s);
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const Run run = ctl({ u"capture"_s, file, u"--no-wait"_s });
        QCOMPARE(run.code, 0);
        const auto uploads = m_service->requests("POST", "/captures");
        QCOMPARE(uploads.size(), 1);
        QVERIFY(uploads.at(0).body.contains("Content-Type: image/png\r\n\r\n\r\n--"));
    }

    void refusedCaptureIsAnnounced()
    {
        configure();
        m_service->on("POST", "/captures", Reply::json(422, R"({"code":"not_png"})"));
        const Run run = ctl({ u"capture"_s, png() });
        QCOMPARE(run.code, 1);
        QCOMPARE(run.out, u"The screenshot could not be read.\n"_s);
        QVERIFY2(run.err.contains(u"was not read"_s), qPrintable(run.err));
        QCOMPARE(ctl({ u"queue"_s }).out, QString());
    }

    void refusedKeyEndsTheCaptureAtOnce()
    {
        // Nothing changes until the user stores another key: no following for the default
        // 120 s (which this runner, waiting 60 s, would report as no exit at all).
        configure();
        m_service->on("POST", "/captures", Reply::json(401, R"({"code":"unauthorized"})"));
        m_service->on("GET", "/tasks", Reply::json(401, R"({"code":"unauthorized"})"));
        const Run run = ctl({ u"capture"_s, png() });
        QCOMPARE(run.code, 1);
        QCOMPARE(run.err.count(u"refused the access key"_s), 1);
        QVERIFY2(run.err.contains(u"stays in the local queue"_s), qPrintable(run.err));
        QCOMPARE(QJsonDocument::fromJson(ctl({ u"--json"_s, u"queue"_s }).out.toUtf8()).array().size(), 1);
    }

    void unwritableQueue()
    {
        configure();
        QDir().mkpath(dataDir() + u"/Quibly"_s);
        QFile blocker(dataDir() + u"/Quibly/queue"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const Run run = ctl({ u"capture"_s, png() });
        QCOMPARE(run.code, 1);
        QCOMPARE(run.out, u"The screenshot could not be read.\n"_s);
        QVERIFY2(run.err.contains(u"could not be written to "_s + dataDir()), qPrintable(run.err));
        QVERIFY(m_service->requests().isEmpty());
    }

    void serverGoneKeepsTheCaptureQueued()
    {
        configure();
        const QString url = m_service->url().toString();
        m_service.reset(); // nothing listens any more
        const Run run = ctl({ u"capture"_s, png(), u"--timeout"_s, u"0.3"_s });
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(u"No connection to the service."_s), qPrintable(run.err));
        QCOMPARE(run.err.count(u"No connection to the service."_s), 1);
        QVERIFY2(run.err.contains(u"could not reach "_s + url), qPrintable(run.err));
        QVERIFY2(run.err.contains(u"stays in the local queue"_s), qPrintable(run.err));
        const Run queue = ctl({ u"--json"_s, u"queue"_s });
        const QJsonArray items = QJsonDocument::fromJson(queue.out.toUtf8()).array();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.at(0).toObject().value(u"language"_s).toString(), u"en"_s);
        QVERIFY(QFile::exists(dataDir() + u"/Quibly/queue/"_s + items.at(0).toObject().value(u"id"_s).toString()
                              + u".png"_s));
    }

    void capturesAndSync()
    {
        configure();
        m_service->on("GET", "/captures",
                      Reply::json(200, "[" + captureJson(u"c1"_s, u"failed"_s, u"unreadable"_s) + "]"));
        Run run = ctl({ u"captures"_s });
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.startsWith(u"c1\tfailed\tunreadable\t"_s));
        run = ctl({ u"--json"_s, u"captures"_s });
        QCOMPARE(QJsonDocument::fromJson(run.out.toUtf8()).array().at(0).toObject(),
                 QJsonDocument::fromJson(captureJson(u"c1"_s, u"failed"_s, u"unreadable"_s)).object());
        run = ctl({ u"sync"_s });
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QString());
    }
};

QTEST_GUILESS_MAIN(QuiblyCtlTest)
#include "test_quiblyctl.moc"
