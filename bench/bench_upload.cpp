// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
//
// Upload throughput of a 20 MiB capture, next to `curl -F` posting the same file to the same
// server in the same run, and the client process's peak memory during the upload.
//
// Three servers run in a child process (this program with --serve), so that their buffers do
// not count against the client: the fake service the tests use, and a bare sink that reads
// with plain blocking calls in 1 MiB pieces and answers the same JSON, once as the kernel
// acknowledges by default and once acknowledging every read at once (TCP_QUICKACK). If the
// client is slower than curl against all of them, the client is the bottleneck, not the fake
// service. The last one shows what the end of each upload waits for: Qt 6.4 leaves Nagle's
// algorithm on for HTTP/1 connections (curl turns it off), so the last small segment of a
// body waits for the server's delayed acknowledgement, up to 40 ms on Linux. Over loopback
// every 16 KiB write Qt makes is below the 64 KiB segment size, so every upload meets it.
//
// Over loopback by default. bench/upload_link.sh runs it across a veth pair between two
// network namespaces with the link shaped to a realistic rate; it passes
//   --server-netns NAME --address ADDRESS
// so that the servers start in the other namespace and the client talks to ADDRESS.
#include "fakeservice.h"
#include "quiblyapi.h"
#include "testawait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimeZone>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype fileSize = 20 * 1024 * 1024;
constexpr int runs = 7;
const QByteArray captureJson = R"({"id":"6f1c2b1e-0000-4000-8000-000000000001","status":"pending","error":"",)"
                               R"("local_time":"2025-03-01T12:00:00+02:00","time_zone":"Europe/Kyiv",)"
                               R"("language":"uk","created_at":"2025-03-01T10:00:01Z"})";

// One connection of the bare sink: read a head, discard Content-Length bytes, answer; again.
void sinkConnection(int fd, bool quickAck)
{
    const QByteArray answer = "HTTP/1.1 201 Created\r\nContent-Type: application/json\r\nContent-Length: "
        + QByteArray::number(captureJson.size()) + "\r\n\r\n" + captureJson;
    std::vector<char> piece(1024 * 1024);
    QByteArray pending;
    for (;;) {
        qsizetype end;
        while ((end = pending.indexOf("\r\n\r\n")) < 0) {
            const ssize_t n = ::recv(fd, piece.data(), piece.size(), 0);
            if (n <= 0) {
                ::close(fd);
                return;
            }
            pending.append(piece.data(), n);
        }
        const QByteArray head = pending.left(end).toLower();
        pending.remove(0, end + 4);
        qint64 remaining = 0;
        const qsizetype at = head.indexOf("\r\ncontent-length:");
        if (at >= 0)
            remaining = head.mid(at + 17, head.indexOf('\r', at + 2) - at - 17).trimmed().toLongLong();
        if (head.contains("\r\nexpect: 100-continue"))
            ::send(fd, "HTTP/1.1 100 Continue\r\n\r\n", 25, MSG_NOSIGNAL);
        const qint64 buffered = std::min<qint64>(remaining, pending.size());
        pending.remove(0, buffered);
        remaining -= buffered;
        while (remaining > 0) {
            if (quickAck) {
                // Not sticky: the kernel may fall back to delayed acknowledgements after any read.
                const int on = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
            }
            const ssize_t n = ::recv(fd, piece.data(), size_t(std::min<qint64>(remaining, qint64(piece.size()))), 0);
            if (n <= 0) {
                ::close(fd);
                return;
            }
            remaining -= n;
        }
        ::send(fd, answer.constData(), size_t(answer.size()), MSG_NOSIGNAL);
    }
}

// Starts the bare sink on \a address; returns its port, or 0.
quint16 startSink(const QHostAddress &address, bool quickAck)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where {};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(address.toIPv4Address());
    socklen_t length = sizeof where;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0
        || ::listen(listener, 16) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr *>(&where), &length) != 0)
        return 0;
    std::thread([listener, quickAck] {
        for (;;) {
            const int fd = ::accept(listener, nullptr, nullptr);
            if (fd >= 0)
                std::thread(sinkConnection, fd, quickAck).detach();
        }
    }).detach();
    return ntohs(where.sin_port);
}

int serve(const QHostAddress &address)
{
    auto *service = new FakeService(qApp);
    service->setRecordBodies(false);
    service->on("POST", "/captures", FakeService::Reply::json(201, captureJson));
    const quint16 sink = startSink(address, false);
    const quint16 quickSink = startSink(address, true);
    if (!service->listen(address) || sink == 0 || quickSink == 0)
        return 1;
    std::printf("%u %u %u\n", unsigned(service->port()), unsigned(sink), unsigned(quickSink));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

// Kilobytes from a "Name:   123 kB" line of /proc/self/status.
qint64 statusKb(const char *name)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(qstrlen(name)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Makes VmHWM start again from the current resident size (Linux ≥ 4.0).
bool resetPeak()
{
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

struct Figures
{
    QList<double> client;
    QList<double> fileRead;
    QList<double> curl;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    auto option = [&arguments](const QString &name) {
        const qsizetype at = arguments.indexOf(name);
        return at >= 0 ? arguments.value(at + 1) : QString();
    };
    const QString address = option(u"--address"_s).isEmpty() ? u"127.0.0.1"_s : option(u"--address"_s);
    if (arguments.contains(u"--serve"_s))
        return serve(QHostAddress(address));

    // The servers, in another network namespace when asked.
    QProcess server;
    const QStringList serveArguments { u"--serve"_s, u"--address"_s, address };
    const QString netns = option(u"--server-netns"_s);
    if (netns.isEmpty())
        server.start(QCoreApplication::applicationFilePath(), serveArguments);
    else
        server.start(u"ip"_s,
                     QStringList { u"netns"_s, u"exec"_s, netns, QCoreApplication::applicationFilePath() }
                         + serveArguments);
    if (!server.waitForReadyRead(10000)) {
        std::fprintf(stderr, "the servers did not start\n");
        return 1;
    }
    const QList<QByteArray> ports = server.readLine().trimmed().split(' ');
    auto baseFor = [&address](const QByteArray &port) {
        QUrl base(u"http://"_s + address + u"/"_s);
        base.setPort(port.toInt());
        return base;
    };
    const QList<std::pair<const char *, QUrl>> servers {
        { "fake service", baseFor(ports.value(0)) },
        { "bare sink", baseFor(ports.value(1)) },
        { "bare sink acknowledging at once", baseFor(ports.value(2)) },
    };

    QTemporaryDir dir;
    const QString path = dir.filePath(u"capture.png"_s);
    {
        QByteArray bytes(fileSize, Qt::Uninitialized);
        QRandomGenerator generator(7);
        generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }

    QNetworkAccessManager nam;
    const QueuedCapture item { u"6f1c2b1e-0000-4000-8000-000000000001"_s,
                               QDateTime(QDate(2025, 3, 1), QTime(10, 0), QTimeZone::utc()), u"Europe/Kyiv"_s,
                               u"uk"_s };

    // Warm the connections and the code paths once, then measure.
    for (const auto &[name, base] : servers) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        if (!QuiblyTest::await(QuiblyAPI(base, u"bench-key"_s, &nam).upload(item, file.readAll())).ok()) {
            std::fprintf(stderr, "warm-up upload to the %s failed\n", name);
            return 1;
        }
    }

    const qint64 baselineKb = statusKb("VmRSS:");
    const bool peakReset = resetPeak();
    qint64 peakKb = 0;
    QList<Figures> figures(servers.size());
    // Interleaved, so that whatever else the machine does falls on every figure alike.
    for (int run = 0; run < runs; ++run) {
        for (qsizetype s = 0; s < servers.size(); ++s) {
            const QUrl &base = servers.at(s).second;
            const QuiblyAPI api(base, u"bench-key"_s, &nam);

            // The client: read the queued file and upload it, as a drain does.
            QElapsedTimer timer;
            timer.start();
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            QByteArray png = file.readAll();
            file.close();
            figures[s].fileRead.append(timer.nsecsElapsed() / 1e9);
            const auto result = QuiblyTest::await(api.upload(item, std::move(png)));
            figures[s].client.append(timer.nsecsElapsed() / 1e9);
            if (!result.ok()) {
                std::fprintf(stderr, "upload failed: %s\n", qPrintable(describe(result.error())));
                return 1;
            }
            peakKb = std::max(peakKb, statusKb("VmHWM:"));

            // curl, same file, same server, same form fields.
            QProcess curl;
            curl.start(u"curl"_s,
                       { u"-s"_s, u"-o"_s, u"/dev/null"_s, u"-w"_s, u"%{time_total}"_s, u"-H"_s,
                         u"Authorization: Bearer bench-key"_s, u"-F"_s, u"id="_s + item.id, u"-F"_s,
                         u"local_time=2025-03-01T12:00:00+02:00"_s, u"-F"_s, u"time_zone=Europe/Kyiv"_s, u"-F"_s,
                         u"language=uk"_s, u"-F"_s, u"image=@"_s + path + u";filename=capture.png;type=image/png"_s,
                         base.resolved(QUrl(u"captures"_s)).toString() });
            if (!curl.waitForFinished(60000) || curl.exitCode() != 0) {
                std::fprintf(stderr, "curl failed\n");
                return 1;
            }
            figures[s].curl.append(curl.readAllStandardOutput().toDouble());
        }
    }

    const double mib = double(fileSize) / (1024 * 1024);
    std::printf("upload of a %.0f MiB capture to %s (median of %d, runs interleaved):\n", mib,
                netns.isEmpty() ? "loopback" : qPrintable(address + u" in network namespace "_s + netns), runs);
    for (qsizetype s = 0; s < servers.size(); ++s) {
        const double client = median(figures.at(s).client);
        const double curl = median(figures.at(s).curl);
        std::printf("  to the %s:\n", servers.at(s).first);
        std::printf("    QuiblyAPI::upload (file read + body + send + answer): %.3f s, %4.0f MiB/s"
                    " (file read alone %.3f s)\n",
                    client, mib / client, median(figures.at(s).fileRead));
        std::printf("    curl -F (time_total):                                 %.3f s, %4.0f MiB/s\n", curl,
                    mib / curl);
        std::printf("    throughput ratio client/curl: %.2fx\n", curl / client);
    }
    std::printf("  client peak memory (VmHWM%s): %.1f MiB, %.1f MiB above the %.1f MiB resident before; "
                "%.2fx the file size above that baseline\n",
                peakReset ? ", reset before the measured runs" : ", since start", peakKb / 1024.0,
                (peakKb - baselineKb) / 1024.0, baselineKb / 1024.0, (peakKb - baselineKb) / 1024.0 / mib);

    server.kill();
    server.waitForFinished();
    return 0;
}
