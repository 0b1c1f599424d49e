// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "ordering.h"

#include <QHash>

#include <algorithm>
#include <limits>
#include <vector>

// open() and badge() run whenever the task list changes (for the badge and the list view), so each task's
// due day and urgency are worked out once per call instead of at every comparison. The order is the one
// the comparison chain (urgent, priority, deadline, creation, id, input position) defines.

namespace {

// An absent deadline sorts as the start of the year 4001 UTC, after every real deadline before it.
const qint64 noDeadlineMs = QDateTime(QDate(4001, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();

QTimeZone usable(const QTimeZone &zone)
{
    return zone.isValid() ? zone : QTimeZone::utc();
}

// One dash-separated piece of a dueDate text: an optional "+", then ASCII digits, within 64 bits.
std::optional<qint64> readPiece(QStringView piece)
{
    if (piece.startsWith(u'+'))
        piece = piece.mid(1);
    if (piece.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : piece) {
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return std::nullopt;
        const int digit = c.unicode() - u'0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// The calendar day named by a dueDate text: exactly three integer pieces (others are dropped, not counted).
std::optional<QDate> parseDueDate(QStringView text)
{
    std::array<qint64, 3> numbers {};
    int count = 0;
    for (const QStringView piece : text.split(u'-', Qt::SkipEmptyParts)) {
        if (const auto number = readPiece(piece)) {
            if (count == 3)
                return std::nullopt;
            numbers[std::size_t(count++)] = *number;
        }
    }
    if (count != 3)
        return std::nullopt;
    constexpr qint64 intMax = std::numeric_limits<int>::max();
    if (numbers[0] > intMax || numbers[1] > 12 || numbers[2] > 31)
        return std::nullopt;
    const QDate date { int(numbers[0]), int(numbers[1]), int(numbers[2]) };
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QDate localDate(const QDateTime &instant, const QTimeZone &zone)
{
    return instant.toTimeZone(zone).date();
}

// The due day as a calendar date, when its start exists as an instant in the zone.
std::optional<QDate> dueDate(const TaskItem &task, const QTimeZone &zone)
{
    QDate date;
    if (task.dueAt) {
        if (!task.dueAt->isValid())
            return std::nullopt;
        date = localDate(*task.dueAt, zone);
    } else if (task.dueDate) {
        const auto parsed = parseDueDate(*task.dueDate);
        if (!parsed)
            return std::nullopt;
        date = *parsed;
    } else {
        return std::nullopt;
    }
    if (!date.isValid() || !date.startOfDay(zone).isValid())
        return std::nullopt;
    return date;
}

// Start instants of days, asked for many times with few distinct days; startOfDay() has to search around
// daylight-saving gaps, so remember each answer.
class DayStarts
{
public:
    explicit DayStarts(const QTimeZone &zone)
        : m_zone(zone)
    { }

    std::optional<qint64> operator()(QDate date)
    {
        const auto it = m_known.constFind(date.toJulianDay());
        if (it != m_known.constEnd())
            return *it;
        const QDateTime start = date.startOfDay(m_zone);
        if (!start.isValid())
            return std::nullopt;
        const qint64 ms = start.toMSecsSinceEpoch();
        m_known.insert(date.toJulianDay(), ms);
        return ms;
    }

private:
    QTimeZone m_zone;
    QHash<qint64, qint64> m_known;
};

// The first instant after each day, remembered like DayStarts.
class DayEnds
{
public:
    explicit DayEnds(const QTimeZone &zone)
        : m_zone(zone)
    { }

    std::optional<qint64> operator()(QDate date)
    {
        const auto it = m_known.constFind(date.toJulianDay());
        if (it != m_known.constEnd())
            return *it;
        const QDateTime end = date.endOfDay(m_zone);
        if (!end.isValid())
            return std::nullopt;
        const qint64 ms = end.toMSecsSinceEpoch() + 1;
        m_known.insert(date.toJulianDay(), ms);
        return ms;
    }

private:
    QTimeZone m_zone;
    QHash<qint64, qint64> m_known;
};

// Local dates of instants. Deadlines crowd into a few stretches of constant offset, so the stretch of the
// last lookup is kept and most instants need no time-zone search at all.
class LocalDates
{
public:
    explicit LocalDates(const QTimeZone &zone)
        : m_zone(zone)
    { }

    QDate operator()(const QDateTime &instant)
    {
        const qint64 ms = instant.toMSecsSinceEpoch();
        if (!(ms >= m_from && ms < m_until)) {
            m_from = std::numeric_limits<qint64>::min();
            m_until = std::numeric_limits<qint64>::max();
            if (m_zone.hasTransitions()) {
                const QTimeZone::OffsetData previous = m_zone.previousTransition(instant.addMSecs(1));
                const QTimeZone::OffsetData next = m_zone.nextTransition(instant);
                if (previous.atUtc.isValid())
                    m_from = previous.atUtc.toMSecsSinceEpoch();
                if (next.atUtc.isValid())
                    m_until = next.atUtc.toMSecsSinceEpoch();
            }
            m_offsetMs = qint64(m_zone.offsetFromUtc(instant)) * 1000;
        }
        const qint64 localMs = ms + m_offsetMs;
        const qint64 days = localMs / 86400000 - (localMs % 86400000 < 0 ? 1 : 0);
        return QDate::fromJulianDay(days + 2440588);
    }

private:
    QTimeZone m_zone;
    qint64 m_from = 0; // the stretch [m_from, m_until) has the offset m_offsetMs
    qint64 m_until = 0;
    qint64 m_offsetMs = 0;
};

struct SortKey
{
    bool urgent;
    int rank;
    qint64 due;
    qint64 created;
    qint64 id;
    qsizetype index;
};

qint64 instantKey(const QDateTime &instant)
{
    // Invalid instants order before every valid one, as QDateTime itself orders them.
    return instant.isValid() ? instant.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

// Everything the comparison needs, computed once per task.
class Evaluator
{
public:
    Evaluator(const QDateTime &now, const QTimeZone &zone)
        : m_zone(usable(zone))
        , m_starts(m_zone)
        , m_ends(m_zone)
        , m_dates(m_zone)
        , m_today(localDate(now, m_zone))
    { }

    struct Deadline
    {
        std::optional<QDate> day;
        std::optional<qint64> instant;
    };

    Deadline deadline(const TaskItem &task)
    {
        if (task.dueAt) {
            if (!task.dueAt->isValid())
                return {};
            const QDate day = m_dates(*task.dueAt);
            if (!day.isValid() || !m_starts(day))
                return {};
            return { day, task.dueAt->toMSecsSinceEpoch() };
        }
        if (!task.dueDate)
            return {};
        const auto day = parseDueDate(*task.dueDate);
        if (!day || !m_starts(*day))
            return {};
        // A day without a time counts as due at the first instant after it, so it sorts after every exact time
        // on that day. That is the next midnight, or the next day's late start where a daylight-saving gap
        // swallows midnight, or the day after that where the calendar skips a whole day.
        return { day, m_ends(*day) };
    }

    bool isUrgent(const TaskItem &task, const Deadline &deadline) const
    {
        return !task.doneAt && deadline.day && m_today.isValid() && m_today.daysTo(*deadline.day) <= 0;
    }

    bool isUrgent(const TaskItem &task)
    {
        if (task.doneAt)
            return false;
        return isUrgent(task, deadline(task));
    }

private:
    QTimeZone m_zone;
    DayStarts m_starts;
    DayEnds m_ends;
    LocalDates m_dates;
    QDate m_today;
};

} // namespace

std::optional<QDateTime> Ordering::dueDay(const TaskItem &task, const QTimeZone &zone)
{
    const QTimeZone effective = usable(zone);
    const auto date = dueDate(task, effective);
    if (!date)
        return std::nullopt;
    return date->startOfDay(effective);
}

std::optional<qint64> Ordering::dayOffset(const TaskItem &task, const QDateTime &now, const QTimeZone &zone)
{
    const QTimeZone effective = usable(zone);
    const auto date = dueDate(task, effective);
    // Most tasks have no deadline: no need to find today in the zone for them.
    if (!date)
        return std::nullopt;
    const QDate today = localDate(now, effective);
    if (!today.isValid())
        return std::nullopt;
    return today.daysTo(*date);
}

bool Ordering::isUrgent(const TaskItem &task, const QDateTime &now, const QTimeZone &zone)
{
    return !task.doneAt && isUrgent(task, dayOffset(task, now, zone));
}

bool Ordering::isUrgent(const TaskItem &task, std::optional<qint64> dayOffset)
{
    return !task.doneAt && dayOffset && *dayOffset <= 0;
}

QList<TaskItem> Ordering::open(const QList<TaskItem> &tasks, const QDateTime &now, const QTimeZone &zone)
{
    Evaluator evaluator(now, zone);
    std::vector<SortKey> keys;
    keys.reserve(std::size_t(tasks.size()));
    for (qsizetype i = 0; i < tasks.size(); ++i) {
        const TaskItem &task = tasks[i];
        if (task.doneAt)
            continue;
        const auto deadline = evaluator.deadline(task);
        keys.push_back({ evaluator.isUrgent(task, deadline), int(task.priority),
                         deadline.instant.value_or(noDeadlineMs), instantKey(task.createdAt), task.id, i });
    }
    // The input position as the last key makes the unstable sort give the stable order.
    std::sort(keys.begin(), keys.end(), [](const SortKey &a, const SortKey &b) {
        if (a.urgent != b.urgent)
            return a.urgent;
        if (!a.urgent && a.rank != b.rank) // among urgent tasks priority does not count
            return a.rank < b.rank;
        if (a.due != b.due)
            return a.due < b.due;
        if (a.created != b.created)
            return a.created < b.created;
        if (a.id != b.id)
            return a.id < b.id;
        return a.index < b.index;
    });
    QList<TaskItem> result;
    result.reserve(qsizetype(keys.size()));
    for (const SortKey &key : keys)
        result.append(tasks[key.index]);
    return result;
}

QList<TaskItem> Ordering::done(const QList<TaskItem> &tasks)
{
    QList<TaskItem> result;
    for (const TaskItem &task : tasks) {
        if (task.doneAt)
            result.append(task);
    }
    std::stable_sort(result.begin(), result.end(), [](const TaskItem &a, const TaskItem &b) {
        return instantKey(*a.doneAt) > instantKey(*b.doneAt);
    });
    return result;
}

int Ordering::badge(const QList<TaskItem> &tasks, const QDateTime &now, const QTimeZone &zone)
{
    Evaluator evaluator(now, zone);
    int count = 0;
    for (const TaskItem &task : tasks) {
        if (evaluator.isUrgent(task))
            ++count;
    }
    return count;
}
