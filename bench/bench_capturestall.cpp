// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
//
// How long the main thread stops answering while the Store queues a 10 MB screenshot: a
// 1 ms timer ticks on the main thread and the longest gap between two ticks is the stall a
// user would feel in the tray and the list. Runs in a directory on the build's disk (not
// /tmp, which may be memory-backed and make fsync free); no service is configured, so the
// sync that follows each capture ends at once.
#include "defaults.h"
#include "store.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QCoroTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int runs = 9;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

QCoro::Task<int> measure(const QString &root)
{
    Defaults defaults(root + u"/Quibly.conf"_s, { u"en"_s });
    Store::Setup setup;
    setup.defaults = &defaults;
    setup.accessKeyPath = root + u"/Quibly/access-key"_s;
    setup.queueDirectory = root + u"/Quibly/queue"_s;
    Store store(setup);

    QByteArray png(10 * 1000 * 1000, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(png.data()), png.size() / 4);

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, &store, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });

    QList<double> stalls;
    QList<double> durations;
    QList<double> blocking;
    QList<double> idle;
    for (int run = 0; run < runs; ++run) {
        // For comparison, interleaved: the same write done on the main thread, which blocks it
        // for all of its duration (as capture() did before it moved the write to a worker).
        const QueuedCapture meta { u"blocking-%1"_s.arg(run), QDateTime::currentDateTimeUtc(), u"UTC"_s, u"en"_s };
        QElapsedTimer blocked;
        blocked.start();
        if (!store.queue().enqueue(png, meta).ok())
            co_return 1;
        blocking.append(blocked.nsecsElapsed() / 1e6);

        clock.start();
        lastTick = 0;
        longestGap = 0;
        ticker.start();
        auto capturing = store.capture(png);
        co_await std::move(capturing);
        const qint64 end = clock.nsecsElapsed();
        ticker.stop();
        longestGap = std::max(longestGap, end - lastTick);
        stalls.append(longestGap / 1e6);
        durations.append(end / 1e6);

        // The noise floor: the longest gap over as long a time with nothing to do.
        clock.start();
        lastTick = 0;
        longestGap = 0;
        ticker.start();
        co_await QCoro::sleepFor(std::chrono::nanoseconds(end));
        ticker.stop();
        idle.append(std::max(longestGap, clock.nsecsElapsed() - lastTick) / 1e6);
    }
    if (store.queued() != 2 * runs) {
        std::fprintf(stderr, "expected %d queued captures, found %d\n", 2 * runs, store.queued());
        co_return 1;
    }
    std::printf("queuing a 10 MB capture: longest main-thread stall median %.1f ms, worst %.1f ms; "
                "capture() took median %.1f ms (%d runs, 1 ms ticker)\n",
                median(stalls), *std::max_element(stalls.cbegin(), stalls.cend()), median(durations), runs);
    std::printf("idle main thread over as long a time: longest gap median %.1f ms, worst %.1f ms\n", median(idle),
                *std::max_element(idle.cbegin(), idle.cend()));
    std::printf("the same write on the main thread blocks it for: median %.1f ms, worst %.1f ms\n", median(blocking),
                *std::max_element(blocking.cbegin(), blocking.cend()));
    co_return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir root(QDir::currentPath() + u"/bench-stall-XXXXXX"_s);
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot create a directory under %s\n", qPrintable(QDir::currentPath()));
        return 1;
    }
    int status = 1;
    auto run = [&]() -> QCoro::Task<> {
        auto measuring = measure(root.path());
        status = co_await std::move(measuring);
        QCoreApplication::quit();
    };
    QTimer::singleShot(0, &app, [&] { run(); });
    app.exec();
    return status;
}
