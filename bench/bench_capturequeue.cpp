// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
//
// Figures for the capture queue: listing a long queue, and what durable, atomic writes cost
// next to a plain write + fsync of the same bytes. Runs in a directory on the build's disk
// (not /tmp, which may be memory-backed and make fsync free).
#include "capturequeue.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QUuid>

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

QueuedCapture capture(int index)
{
    return { QUuid::createUuid().toString(QUuid::WithoutBraces),
             QDateTime(QDate(2025, 3, 1), QTime(10, 0), QTimeZone::utc()).addSecs(index), u"Europe/Kyiv"_s, u"uk"_s };
}

bool plainWrite(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        written += n;
    }
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir root(QDir::currentPath() + u"/bench-queue-XXXXXX"_s);
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot create a directory under %s\n", qPrintable(QDir::currentPath()));
        return 1;
    }

    // pending() over 1,000 queued captures.
    {
        const CaptureQueue queue(root.filePath(u"long"_s));
        const QByteArray png(2048, 'p');
        for (int i = 0; i < 1000; ++i) {
            if (!queue.enqueue(png, capture(1000 - i)).ok())
                return 1;
        }
        QList<double> runs;
        qsizetype listed = 0;
        for (int run = 0; run < 20; ++run) {
            QElapsedTimer timer;
            timer.start();
            listed = queue.pending().size();
            runs.append(timer.nsecsElapsed() / 1e6);
        }
        std::printf("pending() with %lld queued captures: median %.2f ms, best %.2f ms (20 runs)\n",
                    static_cast<long long>(listed), median(runs), *std::min_element(runs.cbegin(), runs.cend()));
    }

    // enqueue of an 8 MiB PNG next to a plain write + fsync of the same bytes.
    {
        QByteArray png(8 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(42);
        generator.fillRange(reinterpret_cast<quint32 *>(png.data()), png.size() / 4);
        const CaptureQueue queue(root.filePath(u"big"_s));
        QDir().mkpath(queue.directory());

        QList<double> enqueueRuns;
        QList<double> plainRuns;
        for (int run = 0; run < 9; ++run) {
            const QueuedCapture meta = capture(run);
            QElapsedTimer timer;
            timer.start();
            if (!queue.enqueue(png, meta).ok())
                return 1;
            enqueueRuns.append(timer.nsecsElapsed() / 1e6);

            timer.restart();
            if (!plainWrite(root.filePath(u"plain-%1.png"_s.arg(run)), png))
                return 1;
            plainRuns.append(timer.nsecsElapsed() / 1e6);
        }
        const double enqueueMs = median(enqueueRuns);
        const double plainMs = median(plainRuns);
        std::printf("enqueue of an 8 MiB PNG: median %.1f ms; plain write + fsync: median %.1f ms; ratio %.2fx "
                    "(9 runs each, interleaved)\n",
                    enqueueMs, plainMs, enqueueMs / plainMs);
    }
    return 0;
}
