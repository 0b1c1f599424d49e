// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// The quibly-service program: key sub-commands, start-up failures and a clean stop on SIGTERM.

#include "quiblytest.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using QuiblyTest::Run;

class TestServiceProcess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QProcessEnvironment environment() const { return QuiblyTest::privateHome(m_dir.path()); }

    Run service(const QString &data, const QStringList &arguments)
    {
        return QuiblyTest::run(QStringLiteral(QUIBLY_SERVICE_EXECUTABLE), QStringList { u"--data"_s, data } + arguments,
                               environment());
    }

    // One line of standard error, the service's own.
    static void expectError(const Run &run, int code, const QString &message)
    {
        QCOMPARE(run.code, code);
        QCOMPARE(run.errLines().size(), 1);
        QVERIFY2(run.err.startsWith(u"quibly-service: "_s) && run.err.contains(message), qPrintable(run.err));
    }

    static QString freeAddress()
    {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost, 0) ? u"127.0.0.1:%1"_s.arg(probe.serverPort()) : QString();
    }

    static int getTasks(const QString &address, const QByteArray &key)
    {
        QNetworkAccessManager nam;
        QNetworkRequest request(QUrl(u"http://%1/tasks"_s.arg(address)));
        request.setRawHeader("Authorization", "Bearer " + key);
        std::unique_ptr<QNetworkReply> reply(nam.get(request));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        return finished.wait(10000) ? reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : -1;
    }

private Q_SLOTS:
    void init() { QuiblyTest::failOnUnexpectedWarnings(); }

    void keysAreCreatedListedAndRevoked()
    {
        QTemporaryDir data;
        const Run created = service(data.path(), { u"keys"_s, u"create"_s, u"anna"_s });
        QVERIFY(created.code == 0 && created.err.isEmpty());
        const QByteArray key = created.out.trimmed().toUtf8();
        QVERIFY(key.size() >= 40 && !key.contains(' '));
        QVERIFY(service(data.path(), { u"keys"_s, u"create"_s, u"boris"_s }).out.trimmed().toUtf8() != key);
        expectError(service(data.path(), { u"keys"_s, u"create"_s, u"anna"_s }), 1, u"exists already"_s);

        // Only a hash is stored: the key itself appears nowhere in the data directory.
        for (const QString &name : QDir(data.path()).entryList(QDir::Files)) {
            QFile file(data.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(!file.readAll().contains(key), qPrintable(name));
        }
        const Run list = service(data.path(), { u"keys"_s, u"list"_s });
        QCOMPARE(list.code, 0);
        QVERIFY(list.out.contains(u"anna\t"_s) && list.out.contains(u"active"_s)
                && !list.out.contains(QString::fromUtf8(key)));

        const QString address = freeAddress();
        QProcess running;
        running.setProcessEnvironment(environment());
        running.start(QStringLiteral(QUIBLY_SERVICE_EXECUTABLE),
                      { u"--data"_s, data.path(), u"--listen"_s, address, u"--workers"_s, u"1"_s });
        QVERIFY(running.waitForStarted());
        QByteArray log;
        QVERIFY(QTest::qWaitFor([&] { return (log += running.readAllStandardError()).contains("listening"); }, 10000));
        QCOMPARE(getTasks(address, key), 200);

        QCOMPARE(service(data.path(), { u"keys"_s, u"revoke"_s, u"anna"_s }).code, 0);
        QCOMPARE(getTasks(address, key), 401); // takes effect without a restart
        expectError(service(data.path(), { u"keys"_s, u"revoke"_s, u"anna"_s }), 1, u"no active key named anna"_s);
        QVERIFY(service(data.path(), { u"keys"_s, u"list"_s }).out.contains(u"revoked"_s));

        // SIGTERM ends it cleanly, and its log never shows a key.
        ::kill(pid_t(running.processId()), SIGTERM);
        QVERIFY(running.waitForFinished(10000));
        QVERIFY(running.exitStatus() == QProcess::NormalExit && running.exitCode() == 0);
        log += running.readAllStandardError();
        QVERIFY2(log.contains("GET /tasks 200") && log.contains("GET /tasks 401") && !log.contains(key),
                 log.constData());
        // Its own lines only: notes, and one line per request.
        static const QRegularExpression own(u"^(quibly-service: |\\d{4}-\\d\\d-\\d\\dT[\\d:.]+ [A-Z]+ /)"_s);
        for (const QString &line : QString::fromUtf8(log).split(u'\n', Qt::SkipEmptyParts))
            QVERIFY2(own.match(line).hasMatch(), qPrintable(line));
    }

    void badStartsExitWithAReason_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::addRow("listen without port") << QStringList { u"--listen"_s, u"127.0.0.1"_s } << 2 << u"--listen"_s;
        QTest::addRow("listen on a name") << QStringList { u"--listen"_s, u"example.org:1"_s } << 2 << u"--listen"_s;
        QTest::addRow("no workers") << QStringList { u"--workers"_s, u"0"_s } << 2 << u"--workers"_s;
        QTest::addRow("cert without key")
            << QStringList { u"--tls-cert"_s, u"/nonexistent"_s } << 1 << u"go together"_s;
        QTest::addRow("missing cert") << QStringList { u"--tls-cert"_s, u"/nonexistent"_s, u"--tls-key"_s, u"/x"_s }
                                      << 1 << u"certificate"_s;
        QTest::addRow("unknown command") << QStringList { u"serve"_s } << 2 << u"unknown command"_s;
        QTest::addRow("keys without verb") << QStringList { u"keys"_s } << 2 << u"usage"_s;
        QTest::addRow("unusable database") << QStringList { u"DAMAGED"_s } << 1 << u"quibly-service.sqlite"_s;
        QTest::addRow("read-only database") << QStringList { u"READ_ONLY"_s } << 1 << u"quibly-service.sqlite"_s;
        QTest::addRow("database lost beside images") << QStringList { u"IMAGES_ONLY"_s } << 1 << u"is missing"_s;
        QTest::addRow("data directory is a file") << QStringList { u"FILE"_s } << 1 << u"not a directory"_s;
        QTest::addRow("port in use") << QStringList { u"BUSY"_s } << 1 << u"cannot listen"_s;
    }
    void badStartsExitWithAReason()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir data;
        QString dir = data.path();
        QString address = freeAddress();
        QTcpServer busy;
        const auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile file(data.filePath(name));
            QVERIFY(QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) && file.write(bytes) >= 0);
        };
        // Words in capitals set the scene rather than being passed on.
        if (args.removeAll(u"DAMAGED"_s))
            write(u"quibly-service.sqlite"_s, QByteArray(8192, '\x42'));
        if (args.removeAll(u"READ_ONLY"_s)) {
            if (::geteuid() == 0)
                QSKIP("root writes read-only files");
            QCOMPARE(service(dir, { u"keys"_s, u"list"_s }).code, 0);
            for (const QString &name : QDir(dir).entryList(QDir::Files))
                QVERIFY(QFile::setPermissions(data.filePath(name), QFile::ReadOwner));
        }
        if (args.removeAll(u"IMAGES_ONLY"_s))
            write(u"images/7"_s, {});
        if (args.removeAll(u"FILE"_s)) {
            write(u"file"_s, {});
            dir = data.filePath(u"file"_s);
        }
        if (args.removeAll(u"BUSY"_s)) {
            QVERIFY(busy.listen(QHostAddress::LocalHost));
            address = u"127.0.0.1:%1"_s.arg(busy.serverPort());
        }
        expectError(service(dir, QStringList { u"--listen"_s, address } + args), exitCode, message);
    }
};

QTEST_GUILESS_MAIN(TestServiceProcess)
#include "test_service_process.moc"
