// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// The quibly-service program: key sub-commands, start-up failures and a clean stop on SIGTERM.

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The request log is part of what is checked: keep the caller's logging rules out.
QProcessEnvironment serviceEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"QT_LOGGING_RULES"_s);
    return env;
}

Run runService(const QStringList &args, const QByteArray &input = {})
{
    QProcess process;
    process.setProcessEnvironment(serviceEnvironment());
    process.start(QStringLiteral(QUIBLY_SERVICE_EXECUTABLE), args);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        process.kill();
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
             process.readAllStandardError() };
}

quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

class TestServiceProcess : public QObject
{
    Q_OBJECT

private:
    int getTasks(quint16 port, const QByteArray &key)
    {
        QNetworkAccessManager nam;
        QNetworkRequest request(QUrl(u"http://127.0.0.1:%1/tasks"_s.arg(port)));
        request.setRawHeader("Authorization", "Bearer " + key);
        QNetworkReply *reply = nam.get(request);
        QSignalSpy finished(reply, &QNetworkReply::finished);
        if (!finished.wait(10000))
            return -1;
        reply->deleteLater();
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }

private Q_SLOTS:
    void keysAreCreatedListedAndRevoked()
    {
        QTemporaryDir dir;
        const QStringList data = { u"--data"_s, dir.path() };
        const Run created = runService(data + QStringList { u"keys"_s, u"create"_s, u"anna"_s });
        QCOMPARE(created.exitCode, 0);
        const QByteArray key = created.out.trimmed();
        QVERIFY(key.size() >= 40);
        QVERIFY(!key.contains(' '));
        const Run second = runService(data + QStringList { u"keys"_s, u"create"_s, u"boris"_s });
        QVERIFY(second.out.trimmed() != key);
        QCOMPARE(runService(data + QStringList { u"keys"_s, u"create"_s, u"anna"_s }).exitCode, 1);

        // Only a hash is stored: the key itself appears nowhere in the data directory.
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(!file.readAll().contains(key), qPrintable(name));
        }

        Run list = runService(data + QStringList { u"keys"_s, u"list"_s });
        QCOMPARE(list.exitCode, 0);
        QVERIFY(list.out.contains("anna\t"));
        QVERIFY(list.out.contains("active"));
        QVERIFY(!list.out.contains(key));

        const quint16 port = freePort();
        QProcess service;
        service.setProcessEnvironment(serviceEnvironment());
        service.start(QStringLiteral(QUIBLY_SERVICE_EXECUTABLE),
                      data + QStringList { u"--listen"_s, u"127.0.0.1:%1"_s.arg(port), u"--workers"_s, u"1"_s });
        QVERIFY(service.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return service.readAllStandardError().contains("listening"); }, 10000));
        QCOMPARE(getTasks(port, key), 200);

        QCOMPARE(runService(data + QStringList { u"keys"_s, u"revoke"_s, u"anna"_s }).exitCode, 0);
        QCOMPARE(getTasks(port, key), 401); // takes effect without a restart
        QCOMPARE(runService(data + QStringList { u"keys"_s, u"revoke"_s, u"anna"_s }).exitCode, 1);
        list = runService(data + QStringList { u"keys"_s, u"list"_s });
        QVERIFY(list.out.contains("revoked"));

        // SIGTERM ends it cleanly, and its log never shows a key.
        ::kill(pid_t(service.processId()), SIGTERM);
        QVERIFY(service.waitForFinished(10000));
        QCOMPARE(service.exitStatus(), QProcess::NormalExit);
        QCOMPARE(service.exitCode(), 0);
        const QByteArray log = service.readAllStandardError();
        QVERIFY(log.contains("GET /tasks 200"));
        QVERIFY(log.contains("GET /tasks 401"));
        QVERIFY(!log.contains(key));
    }

    void badStartsExitWithAReason_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("message");
        QTest::addRow("listen without port") << QStringList { u"--listen"_s, u"127.0.0.1"_s } << 2 << "--listen"_ba;
        QTest::addRow("listen on a name") << QStringList { u"--listen"_s, u"example.org:1"_s } << 2 << "--listen"_ba;
        QTest::addRow("no workers") << QStringList { u"--workers"_s, u"0"_s } << 2 << "--workers"_ba;
        QTest::addRow("cert without key")
            << QStringList { u"--tls-cert"_s, u"/nonexistent"_s } << 1 << "go together"_ba;
        QTest::addRow("missing cert") << QStringList { u"--tls-cert"_s, u"/nonexistent"_s, u"--tls-key"_s, u"/x"_s }
                                      << 1 << "certificate"_ba;
        QTest::addRow("unknown command") << QStringList { u"serve"_s } << 2 << "unknown command"_ba;
        QTest::addRow("keys without verb") << QStringList { u"keys"_s } << 2 << "usage"_ba;
    }

    void badStartsExitWithAReason()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, message);
        QTemporaryDir dir;
        const Run run = runService(
            QStringList { u"--data"_s, dir.path(), u"--listen"_s, u"127.0.0.1:%1"_s.arg(freePort()) } + args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), run.err.constData());
    }

    void unusableDatabaseStopsTheStart()
    {
        QTemporaryDir dir;
        QFile db(dir.filePath(u"quibly-service.sqlite"_s));
        QVERIFY(db.open(QIODevice::WriteOnly));
        db.write(QByteArray(8192, '\x42'));
        db.close();
        const Run run = runService({ u"--data"_s, dir.path(), u"--listen"_s, u"127.0.0.1:%1"_s.arg(freePort()) });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("quibly-service.sqlite"), run.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestServiceProcess)
#include "test_service_process.moc"
