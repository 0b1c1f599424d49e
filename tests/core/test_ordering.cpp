// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "ordering.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
QDateTime at(const char *iso)
{
    const QDateTime dt = QDateTime::fromString(QLatin1StringView(iso), Qt::ISODateWithMs);
    Q_ASSERT(dt.isValid());
    return dt.toUTC();
}

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

QList<qint64> ids(const QList<TaskItem> &tasks)
{
    QList<qint64> result;
    for (const TaskItem &t : tasks)
        result.append(t.id);
    return result;
}

// The ordering written as the plain comparison, re-evaluated at every step: the reference the fast version
// must match exactly.
QList<TaskItem> referenceOpen(const QList<TaskItem> &tasks, const QDateTime &now, const QTimeZone &zone)
{
    const QDateTime noDeadline(QDate(4001, 1, 1), QTime(0, 0), Qt::UTC);
    auto dueInstant = [&](const TaskItem &t) -> QDateTime {
        if (t.dueAt)
            return *t.dueAt;
        if (const auto day = Ordering::dueDay(t, zone))
            return day->toTimeZone(zone).date().endOfDay(zone).addMSecs(1);
        return noDeadline;
    };
    QList<TaskItem> open;
    std::copy_if(tasks.begin(), tasks.end(), std::back_inserter(open), [](const TaskItem &t) { return !t.doneAt; });
    std::stable_sort(open.begin(), open.end(), [&](const TaskItem &a, const TaskItem &b) {
        const bool ua = Ordering::isUrgent(a, now, zone);
        const bool ub = Ordering::isUrgent(b, now, zone);
        if (ua != ub)
            return ua;
        if (!ua && a.priority != b.priority)
            return a.priority < b.priority;
        const QDateTime da = dueInstant(a);
        const QDateTime db = dueInstant(b);
        if (da != db)
            return da < db;
        if (a.createdAt != b.createdAt)
            return a.createdAt < b.createdAt;
        return a.id < b.id;
    });
    return open;
}
} // namespace

class TestOrdering : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dueDayAndOffset_data();
    void dueDayAndOffset();
    void urgency();
    void openOrder_data();
    void openOrder();
    void dateOnlyEndsWithItsDay_data();
    void dateOnlyEndsWithItsDay();
    void doneOrder();
    void badge();
    void emptyLists();
    void matchesPlainComparison_data();
    void matchesPlainComparison();
};

void TestOrdering::dueDayAndOffset_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<TaskShape>("shape");
    QTest::addColumn<QDateTime>("dueDay"); // invalid: absent
    QTest::addColumn<int>("offset");

    const QDateTime none;
    const QByteArray kyiv = "Europe/Kyiv";
    const QDateTime kyivNow = at("2025-03-10T10:00:00+02:00");
    auto dueAt = [](const char *iso) { return TaskShape { .dueAt = at(iso) }; };
    auto dueDate = [](const char *text) { return TaskShape { .dueDate = QString::fromUtf8(text) }; };

    QTest::newRow("23:30 today") << kyiv << kyivNow << dueAt("2025-03-10T23:30:00+02:00")
                                 << at("2025-03-10T00:00:00+02:00") << 0;
    QTest::newRow("00:30 tomorrow") << kyiv << kyivNow << dueAt("2025-03-11T00:30:00+02:00")
                                    << at("2025-03-11T00:00:00+02:00") << 1;
    QTest::newRow("date yesterday") << kyiv << kyivNow << dueDate("2025-03-09") << at("2025-03-09T00:00:00+02:00")
                                    << -1;
    QTest::newRow("dueAt wins over dueDate")
        << kyiv << kyivNow << TaskShape { .dueAt = at("2025-03-12T09:00:00+02:00"), .dueDate = u"2025-03-01"_s }
        << at("2025-03-12T00:00:00+02:00") << 2;
    QTest::newRow("day boundary is the zone's")
        << kyiv << at("2025-03-10T22:30:00Z") << dueDate("2025-03-11") << at("2025-03-11T00:00:00+02:00") << 0;
    QTest::newRow("UTC sees another day")
        << QByteArray("UTC") << at("2025-03-10T22:30:00Z") << dueDate("2025-03-11") << at("2025-03-11T00:00:00Z") << 1;
    QTest::newRow("slashes") << kyiv << kyivNow << dueDate("2025/03/10") << none << 0;
    QTest::newRow("time after the day") << kyiv << kyivNow << dueDate("2025-03-10T10:00") << none << 0;
    QTest::newRow("two numbers") << kyiv << kyivNow << dueDate("2025-03") << none << 0;
    QTest::newRow("four numbers") << kyiv << kyivNow << dueDate("2025-03-10-01") << none << 0;
    QTest::newRow("three numbers of four pieces")
        << kyiv << kyivNow << dueDate("2025-03-x-12") << at("2025-03-12T00:00:00+02:00") << 2;
    QTest::newRow("plus signs, empty pieces")
        << kyiv << kyivNow << dueDate("--+2025--+03--12-") << at("2025-03-12T00:00:00+02:00") << 2;
    QTest::newRow("short pieces") << kyiv << kyivNow << dueDate("2025-3-9") << at("2025-03-09T00:00:00+02:00") << -1;
    QTest::newRow("a bare sign is no number")
        << kyiv << kyivNow << dueDate("+-2025-03-12") << at("2025-03-12T00:00:00+02:00") << 2;
    QTest::newRow("leading space") << kyiv << kyivNow << dueDate(" 2025-03-10") << none << 0;
    QTest::newRow("overflowing piece dropped")
        << kyiv << kyivNow << dueDate("99999999999999999999-2025-03-12") << at("2025-03-12T00:00:00+02:00") << 2;
    QTest::newRow("month 13") << kyiv << kyivNow << dueDate("2025-13-01") << none << 0;
    QTest::newRow("30 February") << kyiv << kyivNow << dueDate("2025-02-30") << none << 0;
    QTest::newRow("year beyond int") << kyiv << kyivNow << dueDate("3000000000-01-01") << none << 0;
    QTest::newRow("no deadline") << kyiv << kyivNow << TaskShape {} << none << 0;

    // Kyiv's short and long days.
    QTest::newRow("Kyiv spring, last second of the short day")
        << kyiv << at("2025-03-30T23:30:00+03:00") << dueAt("2025-03-30T23:59:59+03:00")
        << at("2025-03-30T00:00:00+02:00") << 0;
    QTest::newRow("Kyiv spring, next day")
        << kyiv << at("2025-03-30T23:30:00+03:00") << dueAt("2025-03-31T01:00:00+03:00")
        << at("2025-03-31T00:00:00+03:00") << 1;
    QTest::newRow("Kyiv autumn, repeated hour")
        << kyiv << at("2025-10-26T03:30:00+02:00") << dueAt("2025-10-26T03:30:00+03:00")
        << at("2025-10-26T00:00:00+03:00") << 0;
    // Santiago: the day the clocks go forward starts at 01:00; the day they go back has 00:00 twice over 23:00.
    const QByteArray santiago = "America/Santiago";
    QTest::newRow("Santiago day starting at 01:00")
        << santiago << at("2025-09-06T12:00:00-04:00") << dueDate("2025-09-07") << at("2025-09-07T01:00:00-03:00") << 1;
    QTest::newRow("Santiago, just before the gap")
        << santiago << at("2025-09-06T23:59:59-04:00") << dueAt("2025-09-07T01:00:00-03:00")
        << at("2025-09-07T01:00:00-03:00") << 1;
    QTest::newRow("Santiago, repeated 23:00 is still the 5th")
        << santiago << at("2025-04-05T23:30:00-04:00") << dueDate("2025-04-05") << at("2025-04-05T00:00:00-03:00") << 0;
    QTest::newRow("Santiago, day after the long day")
        << santiago << at("2025-04-05T23:30:00-04:00") << dueAt("2025-04-06T00:00:00-04:00")
        << at("2025-04-06T00:00:00-04:00") << 1;
}

void TestOrdering::dueDayAndOffset()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, now);
    QFETCH(TaskShape, shape);
    QFETCH(QDateTime, dueDay);
    QFETCH(int, offset);
    const QTimeZone tz(zone);
    QVERIFY(tz.isValid());
    const TaskItem t = task(shape);
    const auto day = Ordering::dueDay(t, tz);
    const auto days = Ordering::dayOffset(t, now, tz);
    if (!dueDay.isValid()) {
        QCOMPARE(day, std::nullopt);
        QCOMPARE(days, std::nullopt);
        QVERIFY(!Ordering::isUrgent(t, now, tz));
        return;
    }
    QVERIFY(day.has_value());
    QCOMPARE(*day, dueDay);
    QCOMPARE(days, std::optional<qint64>(offset));
    QCOMPARE(Ordering::isUrgent(t, now, tz), offset <= 0);
}

void TestOrdering::urgency()
{
    const QTimeZone kyiv("Europe/Kyiv");
    const QDateTime now = at("2025-03-10T10:00:00+02:00");
    const TaskItem overdue = task({ .priority = Priority::Low, .dueDate = u"2025-03-01"_s });
    QVERIFY(Ordering::isUrgent(overdue, now, kyiv));
    TaskItem finished = overdue;
    finished.doneAt = now;
    QVERIFY(!Ordering::isUrgent(finished, now, kyiv));
    QCOMPARE(Ordering::badge({ overdue, finished }, now, kyiv), 1);
    QVERIFY(!Ordering::isUrgent(task({ .priority = Priority::High }), now, kyiv));
}

void TestOrdering::openOrder_data()
{
    QTest::addColumn<QList<TaskShape>>("shapes");
    QTest::addColumn<QList<qint64>>("expected");

    using P = Priority;
    QTest::newRow("urgent first, priority ignored among urgent")
        << QList<TaskShape> { { .id = 1, .priority = P::High, .dueAt = at("2025-03-10T18:00:00+02:00") },
                              { .id = 2, .priority = P::Low, .dueDate = u"2025-03-08"_s } }
        << QList<qint64> { 2, 1 };
    QTest::newRow("urgent before higher priority")
        << QList<TaskShape> { { .id = 1, .priority = P::High },
                              { .id = 2, .priority = P::Low, .dueDate = u"2025-03-10"_s } }
        << QList<qint64> { 2, 1 };
    QTest::newRow("priority before deadline when not urgent")
        << QList<TaskShape> { { .id = 1, .priority = P::Medium, .dueDate = u"2025-03-17"_s },
                              { .id = 2, .priority = P::High } }
        << QList<qint64> { 2, 1 };
    QTest::newRow("deadline before none")
        << QList<TaskShape> { { .id = 1, .priority = P::Low },
                              { .id = 2, .priority = P::Low, .dueDate = u"2025-03-13"_s } }
        << QList<qint64> { 2, 1 };
    QTest::newRow("timed before date-only on the same day, however late")
        << QList<TaskShape> { { .id = 1, .dueDate = u"2025-03-10"_s },
                              { .id = 2, .dueAt = at("2025-03-10T23:59:00+02:00") } }
        << QList<qint64> { 2, 1 };
    QTest::newRow("date-only before the next day's first minute")
        << QList<TaskShape> { { .id = 1, .dueAt = at("2025-03-12T00:01:00+02:00") },
                              { .id = 2, .dueDate = u"2025-03-11"_s } }
        << QList<qint64> { 2, 1 };
    QTest::newRow("then creation, then id")
        << QList<TaskShape> { { .id = 5, .createdAt = at("2025-01-02T00:00:00Z") },
                              { .id = 9, .createdAt = at("2025-01-01T00:00:00Z") },
                              { .id = 3, .createdAt = at("2025-01-02T00:00:00Z") },
                              { .id = -4, .createdAt = at("2025-01-02T00:00:00Z") } }
        << QList<qint64> { 9, -4, 3, 5 };
    QTest::newRow("done tasks left out") << QList<TaskShape> { { .id = 1, .doneAt = at("2025-03-01T00:00:00Z") },
                                                               { .id = 2 } }
                                         << QList<qint64> { 2 };
    QTest::newRow("deadline beyond 4001 sorts after none")
        << QList<TaskShape> { { .id = 1, .dueAt = at("5000-01-01T00:00:00Z") }, { .id = 2 } } << QList<qint64> { 2, 1 };
    QTest::newRow("unreadable dueDate counts as none")
        << QList<TaskShape> { { .id = 1, .dueDate = u"soon"_s }, { .id = 2, .dueDate = u"2025-04-01"_s }, { .id = 0 } }
        << QList<qint64> { 2, 0, 1 };
}

void TestOrdering::openOrder()
{
    QFETCH(QList<TaskShape>, shapes);
    QFETCH(QList<qint64>, expected);
    QList<TaskItem> tasks;
    for (const TaskShape &s : shapes)
        tasks.append(task(s));
    const QTimeZone kyiv("Europe/Kyiv");
    const QDateTime now = at("2025-03-10T10:00:00+02:00");
    QCOMPARE(ids(Ordering::open(tasks, now, kyiv)), expected);
    std::reverse(tasks.begin(), tasks.end());
    QCOMPARE(ids(Ordering::open(tasks, now, kyiv)), expected);
}

void TestOrdering::dateOnlyEndsWithItsDay_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QString>("dueDate");
    QTest::addColumn<QDateTime>("lastBefore"); // a timed deadline that must sort before the date-only one
    QTest::addColumn<QDateTime>("firstAfter"); // and one that must sort after it

    // Santiago's 7 September 2025 begins at 01:00: the 6th ends there, the 7th at the next midnight.
    QTest::newRow("Santiago, day before the gap")
        << QByteArray("America/Santiago") << u"2025-09-06"_s << at("2025-09-06T23:59:59.999-04:00")
        << at("2025-09-07T01:00:00.001-03:00");
    QTest::newRow("Santiago, day that starts at 01:00")
        << QByteArray("America/Santiago") << u"2025-09-07"_s << at("2025-09-07T23:59:59-03:00")
        << at("2025-09-08T00:30:00-03:00");
    QTest::newRow("Santiago, 25-hour day") << QByteArray("America/Santiago") << u"2025-04-05"_s
                                           << at("2025-04-05T23:59:59-04:00") << at("2025-04-06T00:00:01-04:00");
    QTest::newRow("Kyiv, 23-hour day") << QByteArray("Europe/Kyiv") << u"2025-03-30"_s
                                       << at("2025-03-30T23:59:59+03:00") << at("2025-03-31T00:00:01+03:00");
    // Apia skipped 30 December 2011: the 29th ended where the 31st began.
    QTest::newRow("Apia, day before a skipped day")
        << QByteArray("Pacific/Apia") << u"2011-12-29"_s << at("2011-12-29T23:59:59-10:00")
        << at("2011-12-31T00:00:01+14:00");
}

void TestOrdering::dateOnlyEndsWithItsDay()
{
    QFETCH(QByteArray, zone);
    QFETCH(QString, dueDate);
    QFETCH(QDateTime, lastBefore);
    QFETCH(QDateTime, firstAfter);
    const QTimeZone tz(zone);
    // All three are due days ahead and of one priority, so the deadline decides.
    const QDateTime now = lastBefore.addDays(-10);
    const QList<TaskItem> tasks { task({ .id = 1, .dueAt = firstAfter }), task({ .id = 2, .dueDate = dueDate }),
                                  task({ .id = 3, .dueAt = lastBefore }) };
    QCOMPARE(ids(Ordering::open(tasks, now, tz)), (QList<qint64> { 3, 2, 1 }));
}

void TestOrdering::doneOrder()
{
    const QDateTime t0 = at("2025-03-01T10:00:00Z");
    QList<TaskItem> tasks { task({ .id = 1, .doneAt = t0 }),
                            task({ .id = 2 }),
                            task({ .id = 3, .doneAt = t0.addSecs(60) }),
                            task({ .id = 4, .doneAt = t0 }),
                            task({ .id = 5, .doneAt = t0.addMSecs(1) }),
                            task({ .id = 6, .doneAt = t0 }) };
    QCOMPARE(ids(Ordering::done(tasks)), (QList<qint64> { 3, 5, 1, 4, 6 }));
    // Equal instants keep the order they were given in.
    std::swap(tasks[0], tasks[5]);
    QCOMPARE(ids(Ordering::done(tasks)), (QList<qint64> { 3, 5, 6, 4, 1 }));
}

void TestOrdering::badge()
{
    const QTimeZone kyiv("Europe/Kyiv");
    const QDateTime now = at("2025-03-10T10:00:00+02:00");
    const QList<TaskItem> tasks {
        task({ .id = 1, .dueAt = at("2025-03-10T23:59:59+02:00") }), // today
        task({ .id = 2, .dueAt = at("2025-03-11T00:00:00+02:00") }), // tomorrow
        task({ .id = 3, .dueDate = u"2024-12-31"_s }), // overdue
        task({ .id = 4, .dueDate = u"2024-12-31"_s, .doneAt = now }), // done
        task({ .id = 5, .priority = Priority::High }), // no deadline
    };
    QCOMPARE(Ordering::badge(tasks, now, kyiv), 2);
    // The same count heads the open list.
    const QList<TaskItem> open = Ordering::open(tasks, now, kyiv);
    QCOMPARE(ids(open.mid(0, 2)), (QList<qint64> { 3, 1 }));
    QVERIFY(!Ordering::isUrgent(open[2], now, kyiv));
}

void TestOrdering::emptyLists()
{
    const QTimeZone zone("UTC");
    const QDateTime now = at("2025-03-10T10:00:00Z");
    QCOMPARE(Ordering::badge({}, now, zone), 0);
    QVERIFY(Ordering::open({}, now, zone).isEmpty());
    QVERIFY(Ordering::done({}).isEmpty());
}

void TestOrdering::matchesPlainComparison_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("now");
    QTest::newRow("Kyiv, spring change") << QByteArray("Europe/Kyiv") << at("2025-03-30T02:30:00+02:00");
    QTest::newRow("Kyiv, autumn change") << QByteArray("Europe/Kyiv") << at("2025-10-26T03:30:00+02:00");
    QTest::newRow("Santiago, gap at midnight") << QByteArray("America/Santiago") << at("2025-09-06T23:30:00-04:00");
    QTest::newRow("Santiago, repeated hour") << QByteArray("America/Santiago") << at("2025-04-05T23:30:00-04:00");
    QTest::newRow("Lord Howe, half-hour change")
        << QByteArray("Australia/Lord_Howe") << at("2025-04-06T01:45:00+11:00");
    QTest::newRow("UTC") << QByteArray("UTC") << at("2025-06-01T00:00:00Z");
    QTest::newRow("Apia, skipped day") << QByteArray("Pacific/Apia") << at("2011-12-29T12:00:00-10:00");
}

void TestOrdering::matchesPlainComparison()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, now);
    const QTimeZone tz(zone);
    QVERIFY(tz.isValid());

    QRandomGenerator random(20250301);
    const QDate today = now.toTimeZone(tz).date();
    for (int round = 0; round < 20; ++round) {
        QList<TaskItem> tasks;
        for (int i = 0; i < 150; ++i) {
            TaskShape s;
            s.id = random.bounded(-20, 40); // repeated ids exercise the stable tail
            s.priority = Priority(random.bounded(3));
            s.createdAt = at("2025-01-01T00:00:00Z").addSecs(random.bounded(3) * 60);
            switch (random.bounded(5)) {
            case 0:
                break;
            case 1:
            case 2:
                // Around today, at hours near the zone's changes and midnights.
                s.dueAt = now.addSecs(qint64(random.bounded(-4 * 24, 4 * 24)) * 1800 + random.bounded(3) - 1);
                break;
            case 3:
                s.dueDate = today.addDays(random.bounded(-3, 4)).toString(Qt::ISODate);
                break;
            default:
                s.dueDate = QStringList { u"2025-1-x-1"_s, u"nope"_s, u"2011-12-30"_s, u"2025-09-07"_s }.at(
                    random.bounded(4));
                break;
            }
            if (random.bounded(6) == 0)
                s.doneAt = now;
            tasks.append(task(s));
        }
        const QList<TaskItem> open = Ordering::open(tasks, now, tz);
        const QList<TaskItem> expected = referenceOpen(tasks, now, tz);
        QCOMPARE(open, expected);
        const int urgent = int(std::count_if(expected.begin(), expected.end(),
                                             [&](const TaskItem &t) { return Ordering::isUrgent(t, now, tz); }));
        QCOMPARE(Ordering::badge(tasks, now, tz), urgent);
    }
}

QTEST_GUILESS_MAIN(TestOrdering)
#include "test_ordering.moc"
