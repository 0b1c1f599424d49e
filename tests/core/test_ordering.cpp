// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "ordering.h"
#include "quiblytest.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
QDateTime at(const char *iso)
{
    return QDateTime::fromString(QLatin1StringView(iso), Qt::ISODateWithMs).toUTC();
}

const QDateTime kyivNow = at("2025-03-10T10:00:00+02:00");

struct TaskShape
{
    qint64 id = 1;
    Priority priority = Priority::Medium;
    std::optional<QDateTime> dueAt {};
    std::optional<QString> dueDate {};
    std::optional<QDateTime> doneAt {};
    QDateTime createdAt = at("2025-01-01T00:00:00Z");
};

TaskItem task(const TaskShape &s)
{
    return TaskItem {
        s.id, {}, u"task %1"_s.arg(s.id), {}, s.priority, s.dueDate, s.dueAt, {}, {}, s.doneAt, s.createdAt, s.createdAt
    };
}

QList<TaskItem> tasks(const QList<TaskShape> &shapes)
{
    QList<TaskItem> result;
    for (const TaskShape &s : shapes)
        result.append(task(s));
    return result;
}

QList<qint64> ids(const QList<TaskItem> &tasks)
{
    QList<qint64> result;
    for (const TaskItem &t : tasks)
        result.append(t.id);
    return result;
}

} // namespace

class TestOrdering : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QuiblyTest::failOnUnexpectedWarnings(); }

    void dueDayAndOffset_data()
    {
        QTest::addColumn<TaskShape>("shape");
        QTest::addColumn<QDateTime>("dueDay"); // invalid: absent
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("now");

        const auto row = [](const char *name, const TaskShape &shape, const char *dueDay, int offset,
                            const QByteArray &zone = "Europe/Kyiv", const QDateTime &now = kyivNow) {
            QTest::newRow(name) << shape << (dueDay ? at(dueDay) : QDateTime()) << offset << zone << now;
        };
        const auto dueAt = [](const char *iso) { return TaskShape { .dueAt = at(iso) }; };
        const auto dueDate = [](const char *text) { return TaskShape { .dueDate = QString::fromUtf8(text) }; };

        row("23:30 today", dueAt("2025-03-10T23:30:00+02:00"), "2025-03-10T00:00:00+02:00", 0);
        row("00:30 tomorrow", dueAt("2025-03-11T00:30:00+02:00"), "2025-03-11T00:00:00+02:00", 1);
        row("date yesterday", dueDate("2025-03-09"), "2025-03-09T00:00:00+02:00", -1);
        row("dueAt wins over dueDate", { .dueAt = at("2025-03-12T09:00:00+02:00"), .dueDate = u"2025-03-01"_s },
            "2025-03-12T00:00:00+02:00", 2);
        row("day boundary is the zone's", dueDate("2025-03-11"), "2025-03-11T00:00:00+02:00", 0, "Europe/Kyiv",
            at("2025-03-10T22:30:00Z"));
        row("UTC sees another day", dueDate("2025-03-11"), "2025-03-11T00:00:00Z", 1, "UTC",
            at("2025-03-10T22:30:00Z"));
        row("three numbers of four pieces", dueDate("2025-03-x-12"), "2025-03-12T00:00:00+02:00", 2);
        row("plus signs, empty pieces", dueDate("--+2025--+03--12-"), "2025-03-12T00:00:00+02:00", 2);
        row("short pieces", dueDate("2025-3-9"), "2025-03-09T00:00:00+02:00", -1);
        row("a bare sign is no number", dueDate("+-2025-03-12"), "2025-03-12T00:00:00+02:00", 2);
        row("overflowing piece dropped", dueDate("99999999999999999999-2025-03-12"), "2025-03-12T00:00:00+02:00", 2);
        row("no deadline", TaskShape {}, nullptr, 0);
        for (const char *text : { "2025/03/10", "2025-03-10T10:00", "2025-03", "2025-03-10-01", " 2025-03-10",
                                  "2025-02-30", "3000000000-01-01" })
            row(text, dueDate(text), nullptr, 0);
        row("done is never urgent", { .dueDate = u"2025-03-01"_s, .doneAt = kyivNow }, "2025-03-01T00:00:00+02:00", -9);

        row("Kyiv spring, last second of the short day", dueAt("2025-03-30T23:59:59+03:00"),
            "2025-03-30T00:00:00+02:00", 0, "Europe/Kyiv", at("2025-03-30T23:30:00+03:00"));
        row("Kyiv spring, next day", dueAt("2025-03-31T01:00:00+03:00"), "2025-03-31T00:00:00+03:00", 1, "Europe/Kyiv",
            at("2025-03-30T23:30:00+03:00"));
        row("Kyiv autumn, repeated hour", dueAt("2025-10-26T03:30:00+03:00"), "2025-10-26T00:00:00+03:00", 0,
            "Europe/Kyiv", at("2025-10-26T03:30:00+02:00"));
        // Santiago: the day the clocks go forward starts at 01:00; the day they go back has 00:00 twice over 23:00.
        row("Santiago day starting at 01:00", dueDate("2025-09-07"), "2025-09-07T01:00:00-03:00", 1, "America/Santiago",
            at("2025-09-06T12:00:00-04:00"));
        row("Santiago, just before the gap", dueAt("2025-09-07T01:00:00-03:00"), "2025-09-07T01:00:00-03:00", 1,
            "America/Santiago", at("2025-09-06T23:59:59-04:00"));
        row("Santiago, repeated 23:00 is still the 5th", dueDate("2025-04-05"), "2025-04-05T00:00:00-03:00", 0,
            "America/Santiago", at("2025-04-05T23:30:00-04:00"));
        row("Santiago, day after the long day", dueAt("2025-04-06T00:00:00-04:00"), "2025-04-06T00:00:00-04:00", 1,
            "America/Santiago", at("2025-04-05T23:30:00-04:00"));
    }
    void dueDayAndOffset()
    {
        QFETCH(TaskShape, shape);
        QFETCH(QDateTime, dueDay);
        QFETCH(int, offset);
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, now);
        const QTimeZone tz(zone);
        const TaskItem t = task(shape);
        QCOMPARE(Ordering::dueDay(t, tz), dueDay.isValid() ? std::optional(dueDay) : std::nullopt);
        QCOMPARE(Ordering::dayOffset(t, now, tz), dueDay.isValid() ? std::optional<qint64>(offset) : std::nullopt);
        QCOMPARE(Ordering::isUrgent(t, now, tz), dueDay.isValid() && offset <= 0 && !t.doneAt);
        QCOMPARE(Ordering::badge({ t, t }, now, tz), Ordering::isUrgent(t, now, tz) ? 2 : 0);
    }

    void openOrder_data()
    {
        QTest::addColumn<QList<TaskShape>>("shapes");
        QTest::addColumn<QList<qint64>>("expected");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("now");
        using P = Priority;
        const auto row = [](const char *name, const QList<TaskShape> &shapes, const QList<qint64> &expected,
                            const QByteArray &zone = "Europe/Kyiv", const QDateTime &now = kyivNow) {
            QTest::newRow(name) << shapes << expected << zone << now;
        };
        row("urgent first, priority ignored among urgent",
            { { .id = 1, .priority = P::High, .dueAt = at("2025-03-10T18:00:00+02:00") },
              { .id = 2, .priority = P::Low, .dueDate = u"2025-03-08"_s } },
            { 2, 1 });
        row("urgent before higher priority",
            { { .id = 1, .priority = P::High }, { .id = 2, .priority = P::Low, .dueDate = u"2025-03-10"_s } },
            { 2, 1 });
        row("priority before deadline when not urgent",
            { { .id = 3, .priority = P::Low, .dueDate = u"2025-03-12"_s },
              { .id = 1, .priority = P::Medium, .dueDate = u"2025-03-17"_s },
              { .id = 2, .priority = P::High } },
            { 2, 1, 3 });
        row("timed before date-only on the same day, however late",
            { { .id = 1, .dueDate = u"2025-03-10"_s }, { .id = 2, .dueAt = at("2025-03-10T23:59:00+02:00") } },
            { 2, 1 });
        row("date-only before the next day's first minute",
            { { .id = 1, .dueAt = at("2025-03-12T00:01:00+02:00") }, { .id = 2, .dueDate = u"2025-03-11"_s } },
            { 2, 1 });
        row("then creation, then id",
            { { .id = 5, .createdAt = at("2025-01-02T00:00:00Z") },
              { .id = 9, .createdAt = at("2025-01-01T00:00:00Z") },
              { .id = 3, .createdAt = at("2025-01-02T00:00:00Z") },
              { .id = -4, .createdAt = at("2025-01-02T00:00:00Z") } },
            { 9, -4, 3, 5 });
        row("done tasks left out", { { .id = 1, .doneAt = at("2025-03-01T00:00:00Z") }, { .id = 2 } }, { 2 });
        row("deadline beyond 4001 sorts after none", { { .id = 1, .dueAt = at("5000-01-01T00:00:00Z") }, { .id = 2 } },
            { 2, 1 });
        row("unreadable dueDate counts as none",
            { { .id = 1, .dueDate = u"soon"_s }, { .id = 2, .dueDate = u"2025-04-01"_s }, { .id = 0 } }, { 2, 0, 1 });
        row("empty", {}, {});

        // A date-only deadline sorts between the last instant of its day and the first of the next,
        // on days with a gap, a repeated hour or none at all. All three are due days ahead.
        const auto day = [&row](const char *name, const char *zone, const char *dueDate, const char *lastBefore,
                                const char *firstAfter) {
            row(name,
                { { .id = 1, .dueAt = at(firstAfter) },
                  { .id = 2, .dueDate = QString::fromLatin1(dueDate) },
                  { .id = 3, .dueAt = at(lastBefore) } },
                { 3, 2, 1 }, zone, at(lastBefore).addDays(-10));
        };
        // Santiago's 7 September 2025 begins at 01:00: the 6th ends there, the 7th at the next midnight.
        day("Santiago, day before the gap", "America/Santiago", "2025-09-06", "2025-09-06T23:59:59.999-04:00",
            "2025-09-07T01:00:00.001-03:00");
        day("Santiago, day that starts at 01:00", "America/Santiago", "2025-09-07", "2025-09-07T23:59:59-03:00",
            "2025-09-08T00:30:00-03:00");
        day("Santiago, 25-hour day", "America/Santiago", "2025-04-05", "2025-04-05T23:59:59-04:00",
            "2025-04-06T00:00:01-04:00");
        day("Kyiv, 23-hour day", "Europe/Kyiv", "2025-03-30", "2025-03-30T23:59:59+03:00", "2025-03-31T00:00:01+03:00");
        // Apia skipped 30 December 2011: the 29th ended where the 31st began.
        day("Apia, day before a skipped day", "Pacific/Apia", "2011-12-29", "2011-12-29T23:59:59-10:00",
            "2011-12-31T00:00:01+14:00");

        // Local dates are worked out once per stretch between two changes of the zone's offset: the
        // first instant of a stretch and one after a change already belong to the new offset.
        row("instant of a change takes the new offset",
            { { .id = 1, .dueAt = at("2025-04-06T02:00:00Z") },
              { .id = 2, .dueAt = at("2025-04-06T03:00:00Z") },
              { .id = 3, .priority = P::High } },
            { 1, 2, 3 }, "America/Santiago", at("2025-04-05T12:00:00-03:00"));
        row("instant before a change, looked up after it",
            { { .id = 1, .dueAt = at("2025-09-07T04:00:00Z") },
              { .id = 2, .dueAt = at("2025-09-07T03:30:00Z") },
              { .id = 3, .priority = P::High } },
            { 2, 3, 1 }, "America/Santiago", at("2025-09-06T12:00:00-04:00"));
        row("offset after a change",
            { { .id = 1, .dueAt = at("2025-03-29T12:00:00Z") },
              { .id = 2, .dueAt = at("2025-03-30T21:30:00Z") },
              { .id = 3, .priority = P::High } },
            { 1, 3, 2 }, "Europe/Kyiv", at("2025-03-30T12:00:00Z"));
    }
    void openOrder()
    {
        QFETCH(QList<TaskShape>, shapes);
        QFETCH(QList<qint64>, expected);
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, now);
        QList<TaskItem> list = tasks(shapes);
        QCOMPARE(ids(Ordering::open(list, now, QTimeZone(zone))), expected);
        std::reverse(list.begin(), list.end());
        QCOMPARE(ids(Ordering::open(list, now, QTimeZone(zone))), expected);
    }

    void doneOrder()
    {
        const QDateTime t0 = at("2025-03-01T10:00:00Z");
        QList<TaskItem> list = tasks({ { .id = 1, .doneAt = t0 },
                                       { .id = 2 },
                                       { .id = 3, .doneAt = t0.addSecs(60) },
                                       { .id = 4, .doneAt = t0 },
                                       { .id = 5, .doneAt = t0.addMSecs(1) },
                                       { .id = 6, .doneAt = t0 } });
        QCOMPARE(ids(Ordering::done(list)), (QList<qint64> { 3, 5, 1, 4, 6 }));
        // Equal instants keep the order they were given in.
        std::swap(list[0], list[5]);
        QCOMPARE(ids(Ordering::done(list)), (QList<qint64> { 3, 5, 6, 4, 1 }));
        // Open tasks alike in every key as well.
        const QList<TaskItem> alike
            = tasks({ { .id = 7, .dueDate = u"soon"_s }, { .id = 7, .dueDate = u"later"_s }, { .id = 7 } });
        QCOMPARE(Ordering::open(alike, kyivNow, QTimeZone("Europe/Kyiv")), alike);
    }
};

QTEST_GUILESS_MAIN(TestOrdering)
#include "test_ordering.moc"
