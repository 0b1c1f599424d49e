// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "bench_common.h"
#include "ordering.h"

#include <QRandomGenerator>

#include <cstdio>

namespace {
// A user's list: a quarter without deadline, timed deadlines spread over two months around today (some
// overdue, so urgent), date-only deadlines, a few unreadable dueDate texts, a sixth done.
QList<TaskItem> makeTasks(int count, const QDateTime &now, const QTimeZone &zone)
{
    QRandomGenerator random(42);
    const QDate today = now.toTimeZone(zone).date();
    QList<TaskItem> tasks;
    tasks.reserve(count);
    for (int i = 0; i < count; ++i) {
        TaskItem t;
        t.id = i;
        t.title = QStringLiteral("Task %1").arg(i);
        t.priority = Priority(random.bounded(3));
        t.createdAt = now.addSecs(-qint64(random.bounded(90 * 86400)));
        t.updatedAt = t.createdAt;
        switch (random.bounded(8)) {
        case 0:
        case 1:
            break;
        case 2:
        case 3:
        case 4:
            t.dueAt = now.addSecs(qint64(random.bounded(-30 * 86400, 30 * 86400)));
            break;
        case 5:
        case 6:
            t.dueDate = today.addDays(random.bounded(-30, 30)).toString(Qt::ISODate);
            break;
        default:
            t.dueDate = QStringLiteral("someday");
            break;
        }
        if (random.bounded(6) == 0)
            t.doneAt = now.addSecs(-qint64(random.bounded(86400)));
        tasks.append(std::move(t));
    }
    return tasks;
}
} // namespace

int main()
{
    const QTimeZone zone("Europe/Kyiv");
    const QDateTime now = QDateTime(QDate(2025, 3, 10), QTime(10, 0), zone).toUTC();
    std::printf("Ordering (zone %s; thread CPU time, best / median of 21 runs)\n", zone.id().constData());
    for (int count : { 1000, 10000 }) {
        const QList<TaskItem> tasks = makeTasks(count, now, zone);
        int sink = 0;
        const Timing open = measure(21, [&] { sink += int(Ordering::open(tasks, now, zone).size()); });
        const Timing badge = measure(21, [&] { sink += Ordering::badge(tasks, now, zone); });
        const Timing done = measure(21, [&] { sink += int(Ordering::done(tasks).size()); });
        std::printf(
            "  %6d tasks: open %6.3f / %6.3f ms   badge %6.3f / %6.3f ms   done %6.3f / %6.3f ms   (urgent %d)\n",
            count, open.best, open.median, badge.best, badge.median, done.best, done.median,
            Ordering::badge(tasks, now, zone));
        if (sink == -1)
            std::printf("\n");
    }
    return 0;
}
