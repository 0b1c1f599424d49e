// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
//
// Upload throughput of a 20 MiB capture over loopback, next to `curl -F` posting the same
// file to the same server in the same run, and the client process's peak memory during the
// upload. The server runs in a child process (this program with --serve) so that its buffers
// do not count against the client.
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

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype fileSize = 20 * 1024 * 1024;
const QByteArray captureJson = R"({"id":"6f1c2b1e-0000-4000-8000-000000000001","status":"pending","error":"",)"
                               R"("local_time":"2025-03-01T12:00:00+02:00","time_zone":"Europe/Kyiv",)"
                               R"("language":"uk","created_at":"2025-03-01T10:00:01Z"})";

int serve()
{
    auto *service = new FakeService(qApp);
    service->setRecordBodies(false);
    service->on("POST", "/captures", FakeService::Reply::json(201, captureJson));
    if (!service->listen())
        return 1;
    std::printf("%u\n", unsigned(service->port()));
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().contains(u"--serve"_s))
        return serve();

    QProcess server;
    server.start(QCoreApplication::applicationFilePath(), { u"--serve"_s });
    if (!server.waitForReadyRead(10000)) {
        std::fprintf(stderr, "the server did not start\n");
        return 1;
    }
    const quint16 port = quint16(server.readLine().trimmed().toUInt());
    QUrl base(u"http://127.0.0.1/"_s);
    base.setPort(port);

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
    const QuiblyAPI api(base, u"bench-key"_s, &nam);
    const QueuedCapture item { u"6f1c2b1e-0000-4000-8000-000000000001"_s,
                               QDateTime(QDate(2025, 3, 1), QTime(10, 0), QTimeZone::utc()), u"Europe/Kyiv"_s,
                               u"uk"_s };

    // Warm the connection and the code paths once, then measure.
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        if (!QuiblyTest::await(api.upload(item, file.readAll())).ok()) {
            std::fprintf(stderr, "warm-up upload failed\n");
            return 1;
        }
    }

    const qint64 baselineKb = statusKb("VmRSS:");
    const bool peakReset = resetPeak();
    QList<double> clientRuns;
    QList<double> curlRuns;
    qint64 peakKb = 0;
    for (int run = 0; run < 5; ++run) {
        // The client: read the queued file and upload it, as a drain does.
        QElapsedTimer timer;
        timer.start();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QByteArray png = file.readAll();
        file.close();
        const auto result = QuiblyTest::await(api.upload(item, std::move(png)));
        clientRuns.append(timer.nsecsElapsed() / 1e9);
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
        curlRuns.append(curl.readAllStandardOutput().toDouble());
    }

    const double mib = double(fileSize) / (1024 * 1024);
    const double client = median(clientRuns);
    const double curl = median(curlRuns);
    std::printf("upload of a %.0f MiB capture over loopback (median of 5):\n", mib);
    std::printf("  QuiblyAPI::upload (file read + body + send + answer): %.3f s, %.0f MiB/s\n", client, mib / client);
    std::printf("  curl -F (time_total):                                 %.3f s, %.0f MiB/s\n", curl, mib / curl);
    std::printf("  throughput ratio client/curl: %.2fx\n", curl / client);
    std::printf("  client peak memory (VmHWM%s): %.1f MiB, %.1f MiB above the %.1f MiB resident before; "
                "%.2fx the file size above that baseline\n",
                peakReset ? ", reset before the measured runs" : ", since start", peakKb / 1024.0,
                (peakKb - baselineKb) / 1024.0, baselineKb / 1024.0, (peakKb - baselineKb) / 1024.0 / mib);

    server.kill();
    server.waitForFinished();
    return 0;
}
