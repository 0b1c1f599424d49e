// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Requests per second for GET /tasks with 1,000 tasks, measured with wrk against a
// quibly-service on loopback, with and without a matching validator; the service's peak
// resident memory (VmHWM); and what one idle sync of QuiblyAPI costs: HTTP bytes on the
// wire (through a counting relay) and client CPU time, for an unconditional uncompressed
// reload (the former behaviour), a first compressed one, and a conditional one (304).
//
//   bench_service_tasks [--tasks N] [--duration SECONDS] [--connections N] [--threads N]

#include "quiblyapi.h"

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
#include <cstdlib>
#include <ctime>

using namespace std::chrono_literals;

namespace {

// Relays one service port and counts the bytes both ways. With `identity` on, it asks the
// service for uncompressed answers, as the client's requests were answered before.
class CountingRelay : public QObject
{
public:
    CountingRelay(quint16 target)
        : m_target(target)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *in = m_server.nextPendingConnection()) {
                auto *out = new QTcpSocket(in);
                out->connectToHost(QHostAddress::LocalHost, m_target);
                connect(in, &QTcpSocket::readyRead, this, [this, in, out] {
                    QByteArray data = in->readAll();
                    if (identity) {
                        static const QRegularExpression accepted(QStringLiteral("\r\nAccept-Encoding: [^\r]*"),
                                                                 QRegularExpression::CaseInsensitiveOption);
                        data = QString::fromLatin1(data)
                                   .replace(accepted, QStringLiteral("\r\nAccept-Encoding: identity"))
                                   .toLatin1();
                    }
                    bytes += data.size();
                    out->write(data);
                });
                connect(out, &QTcpSocket::readyRead, this, [this, in, out] {
                    const QByteArray data = out->readAll();
                    bytes += data.size();
                    in->write(data);
                });
                connect(in, &QTcpSocket::disconnected, in, &QObject::deleteLater);
                connect(out, &QTcpSocket::disconnected, in, &QTcpSocket::disconnectFromHost);
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }

    qint64 bytes = 0;
    bool identity = false;

private:
    QTcpServer m_server;
    quint16 m_target;
};

template<typename T> T await(QCoro::Task<T> task)
{
    std::optional<T> result;
    auto keep = [&]() -> QCoro::Task<> { result.emplace(co_await std::move(task)); };
    QCoro::waitFor(keep());
    return std::move(*result);
}

double processCpuMs()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct SyncCost
{
    double bytes = 0;
    double cpuMs = 0;
};

// One sync's reload as the Store does it: the tasks and the open captures, each asked
// on the condition of the last answer when `conditional`.
SyncCost syncCost(const QuiblyAPI &api, CountingRelay *relay, bool conditional, int rounds)
{
    Listing<TaskItem> tasks;
    Listing<Capture> captures;
    const auto once = [&] {
        auto t = await(api.tasks(conditional ? tasks : Listing<TaskItem> {}));
        auto c = await(api.openCaptures(conditional ? captures : Listing<Capture> {}));
        if (!t.ok() || !c.ok()) {
            std::fprintf(stderr, "bench_service_tasks: a sync failed\n");
            std::exit(1);
        }
        if (t.value())
            tasks = *t.value();
        if (c.value())
            captures = *c.value();
    };
    once(); // the connection is open and the lists are known
    const qint64 bytesBefore = relay ? relay->bytes : 0;
    const double cpuBefore = processCpuMs();
    for (int i = 0; i < rounds; ++i)
        once();
    return { double((relay ? relay->bytes : 0) - bytesBefore) / rounds, (processCpuMs() - cpuBefore) / rounds };
}

QByteArray etagOf(quint16 port, const QByteArray &head)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write(head + "Connection: close\r\n\r\n");
    QByteArray answer;
    while (socket.waitForReadyRead(5000))
        answer += socket.readAll();
    const qsizetype at = answer.indexOf("\r\nETag: ");
    return at < 0 ? QByteArray() : answer.mid(at + 8, answer.indexOf('\r', at + 8) - at - 8);
}

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

    {
        QNetworkAccessManager session;
        CountingRelay relay(port);
        const QString keyText = QString::fromLatin1(key);
        const QuiblyAPI relayed(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(relay.port())), keyText, &session);
        const QuiblyAPI direct(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)), keyText, &session);
        constexpr int ByteRounds = 5;
        constexpr int CpuRounds = 100;
        relay.identity = true;
        const SyncCost before = syncCost(relayed, &relay, false, ByteRounds);
        relay.identity = false;
        const SyncCost full = syncCost(relayed, &relay, false, ByteRounds);
        const SyncCost idle = syncCost(relayed, &relay, true, ByteRounds);
        const double fullCpu = syncCost(direct, nullptr, false, CpuRounds / 4).cpuMs;
        const double idleCpu = syncCost(direct, nullptr, true, CpuRounds).cpuMs;
        std::printf("One sync's reload (GET /tasks + GET /captures) with %d tasks, HTTP bytes both ways:\n"
                    "  unconditional, uncompressed (before): %8.0f bytes\n"
                    "  unconditional, gzip:                  %8.0f bytes, client CPU %.2f ms\n"
                    "  idle, conditional (304):              %8.0f bytes, client CPU %.2f ms\n\n",
                    tasks, before.bytes, full.bytes, fullCpu, idle.bytes, idleCpu);
    }

    const QByteArray tag = etagOf(port, "GET /tasks HTTP/1.1\r\n" + auth);
    const auto runWrk = [&](const QByteArray &extraHeader) {
        QProcess load;
        load.setProcessChannelMode(QProcess::MergedChannels);
        QStringList arguments { QStringLiteral("-t%1").arg(parser.value(threadsOption)),
                                QStringLiteral("-c%1").arg(parser.value(connectionsOption)),
                                QStringLiteral("-d%1s").arg(parser.value(durationOption)),
                                QStringLiteral("--latency"),
                                QStringLiteral("-H"),
                                QString::fromLatin1("Authorization: Bearer " + key) };
        if (!extraHeader.isEmpty())
            arguments << QStringLiteral("-H") << QString::fromLatin1(extraHeader);
        arguments << QStringLiteral("http://127.0.0.1:%1/tasks").arg(port);
        load.start(wrk, arguments);
        load.waitForFinished(-1);
        return QString::fromLocal8Bit(load.readAll());
    };
    const QString report = runWrk({});
    const QString conditional = runWrk("If-None-Match: " + tag);
    const QByteArray peak = procStatus(server.processId(), "VmHWM:");
    server.terminate();
    server.waitForFinished(10000);

    bool ok = !tag.isEmpty();
    const auto summary = [&](const QString &output, const char *what) {
        const auto match = QRegularExpression(QStringLiteral("Requests/sec:\\s*([0-9.]+)")).match(output);
        const auto non2xx = QRegularExpression(QStringLiteral("Non-2xx or 3xx responses:\\s*(\\d+)")).match(output);
        std::printf("%s\n", qPrintable(output));
        std::printf("GET /tasks with %d tasks, %s: %s requests/s (%s connections, %s s)%s\n\n", tasks, what,
                    match.hasMatch() ? qPrintable(match.captured(1)) : "?", qPrintable(parser.value(connectionsOption)),
                    qPrintable(parser.value(durationOption)),
                    non2xx.hasMatch() ? qPrintable(QStringLiteral(", %1 failed answers").arg(non2xx.captured(1))) : "");
        ok = ok && match.hasMatch() && !non2xx.hasMatch();
    };
    summary(report, "no validator (200, uncompressed)");
    summary(conditional, "matching If-None-Match (304)");
    std::printf("quibly-service memory: %s resident after loading, %s peak (VmHWM)\n", idleRss.constData(),
                peak.constData());
    return ok ? 0 : 1;
}
