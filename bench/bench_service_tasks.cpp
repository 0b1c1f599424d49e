// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Requests per second for GET /tasks with 1,000 tasks, measured with wrk against a
// quibly-service on loopback, and the service's peak resident memory (VmHWM).
//
//   bench_service_tasks [--tasks N] [--duration SECONDS] [--connections N] [--threads N]

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

// One blocking request on a fresh connection; this program has no event loop to keep.
int request(quint16 port, const QByteArray &head, const QByteArray &body = {})
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return 0;
    socket.write(head + "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    QByteArray answer;
    while (socket.waitForReadyRead(5000))
        answer += socket.readAll();
    answer += socket.readAll();
    return answer.startsWith("HTTP/1.1 ") ? answer.mid(9, 3).toInt() : 0;
}

QByteArray procStatus(qint64 pid, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return "?";
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.sliced(qstrlen(field)).trimmed();
    }
    return "?";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption tasksOption(QStringLiteral("tasks"), QStringLiteral("Tasks to create."),
                                         QStringLiteral("N"), QStringLiteral("1000"));
    const QCommandLineOption durationOption(QStringLiteral("duration"), QStringLiteral("Seconds of load."),
                                            QStringLiteral("S"), QStringLiteral("10"));
    const QCommandLineOption connectionsOption(QStringLiteral("connections"), QStringLiteral("Open connections."),
                                               QStringLiteral("N"), QStringLiteral("8"));
    const QCommandLineOption threadsOption(QStringLiteral("threads"), QStringLiteral("wrk threads."),
                                           QStringLiteral("N"), QStringLiteral("2"));
    parser.addOptions({ tasksOption, durationOption, connectionsOption, threadsOption });
    parser.addHelpOption();
    parser.process(app);

    const QString wrk = QStandardPaths::findExecutable(QStringLiteral("wrk"));
    if (wrk.isEmpty()) {
        std::fprintf(stderr, "bench_service_tasks: wrk is not installed (apt install wrk)\n");
        return 1;
    }
    const QString service = QCoreApplication::applicationDirPath() + QStringLiteral("/../service/quibly-service");
    QTemporaryDir data;

    QProcess keys;
    keys.start(service,
               { QStringLiteral("--data"), data.path(), QStringLiteral("keys"), QStringLiteral("create"),
                 QStringLiteral("bench") });
    if (!keys.waitForFinished(30000) || keys.exitCode() != 0) {
        std::fprintf(stderr, "bench_service_tasks: cannot create a key with %s\n", qPrintable(service));
        return 1;
    }
    const QByteArray key = keys.readAllStandardOutput().trimmed();

    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    QProcess server;
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice()); // one log line per request is not what is measured
    server.start(service,
                 { QStringLiteral("--data"), data.path(), QStringLiteral("--listen"),
                   QStringLiteral("127.0.0.1:%1").arg(port) });
    if (!server.waitForStarted()) {
        std::fprintf(stderr, "bench_service_tasks: cannot start %s\n", qPrintable(service));
        return 1;
    }
    const QByteArray auth = "Authorization: Bearer " + key + "\r\n";
    for (int attempt = 0; request(port, "GET /tasks HTTP/1.1\r\n" + auth) != 200; ++attempt) {
        if (attempt == 100) {
            std::fprintf(stderr, "bench_service_tasks: the service does not answer\n");
            return 1;
        }
        QThread::msleep(50);
    }

    const int tasks = parser.value(tasksOption).toInt();
    for (int i = 0; i < tasks; ++i) {
        const QByteArray title = "Task number " + QByteArray::number(i) + " with a title of an ordinary length";
        if (request(port, "POST /tasks HTTP/1.1\r\n" + auth + "Content-Type: application/json\r\n",
                    "{\"title\":\"" + title + "\"}")
            != 201) {
            std::fprintf(stderr, "bench_service_tasks: cannot create task %d\n", i);
            return 1;
        }
        if (i % 3 == 0)
            request(port, "PATCH /tasks/" + QByteArray::number(i + 1) + " HTTP/1.1\r\n" + auth,
                    R"({"priority":"high","due_at":"2026-12-24T18:00:00Z","description":"Some words about it"})");
    }
    const QByteArray idleRss = procStatus(server.processId(), "VmRSS:");

    QProcess load;
    load.setProcessChannelMode(QProcess::MergedChannels);
    load.start(wrk,
               { QStringLiteral("-t%1").arg(parser.value(threadsOption)),
                 QStringLiteral("-c%1").arg(parser.value(connectionsOption)),
                 QStringLiteral("-d%1s").arg(parser.value(durationOption)), QStringLiteral("--latency"),
                 QStringLiteral("-H"), QString::fromLatin1("Authorization: Bearer " + key),
                 QStringLiteral("http://127.0.0.1:%1/tasks").arg(port) });
    load.waitForFinished(-1);
    const QString report = QString::fromLocal8Bit(load.readAll());
    const QByteArray peak = procStatus(server.processId(), "VmHWM:");
    server.terminate();
    server.waitForFinished(10000);

    const auto match = QRegularExpression(QStringLiteral("Requests/sec:\\s*([0-9.]+)")).match(report);
    const auto non2xx = QRegularExpression(QStringLiteral("Non-2xx or 3xx responses:\\s*(\\d+)")).match(report);
    std::printf("%s\n", qPrintable(report));
    std::printf("GET /tasks with %d tasks: %s requests/s (%s connections, %s s)%s\n", tasks,
                match.hasMatch() ? qPrintable(match.captured(1)) : "?", qPrintable(parser.value(connectionsOption)),
                qPrintable(parser.value(durationOption)),
                non2xx.hasMatch() ? qPrintable(QStringLiteral(", %1 failed answers").arg(non2xx.captured(1))) : "");
    std::printf("quibly-service memory: %s resident after loading, %s peak (VmHWM)\n", idleRss.constData(),
                peak.constData());
    return match.hasMatch() && !non2xx.hasMatch() ? 0 : 1;
}
