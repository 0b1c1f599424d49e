// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "decoder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

// Service answers are read member by member with exact lookups (no QString per key, no regular
// expressions): the answers of a full task list are decoded on every sync, and the member path of a
// failure is only assembled once something has failed.

namespace {

// ---------------------------------------------------------------------------------------------
// Calendar arithmetic (proleptic Gregorian, days relative to 1970-01-01)

constexpr bool isLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

constexpr int daysInMonth(int year, int month)
{
    constexpr std::array<int, 12> days { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

constexpr qint64 daysFromCivil(qint64 year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct Civil
{
    qint64 year;
    int month;
    int day;
};

constexpr Civil civilFromDays(qint64 days)
{
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 mp = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    return { yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day };
}

static_assert(daysFromCivil(1970, 1, 1) == 0);
static_assert(daysFromCivil(2001, 1, 1) == 11323);
static_assert(civilFromDays(11323).year == 2001 && civilFromDays(-1).day == 31);

constexpr qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// ---------------------------------------------------------------------------------------------
// RFC 3339 date-time

constexpr bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Reads exactly \a count ASCII digits at \a pos; -1 when any of them is not a digit.
int digits(QStringView text, qsizetype pos, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const QChar c = text[pos + i];
        if (!isDigit(c))
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

std::optional<qint64> parseRfc3339(QStringView text)
{
    // 2025-03-01T10:00:00Z is the shortest accepted form.
    if (text.size() < 20)
        return std::nullopt;
    const int year = digits(text, 0, 4);
    const int month = digits(text, 5, 2);
    const int day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2);
    const int minute = digits(text, 14, 2);
    int second = digits(text, 17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59
        || second < 0 || second > 60)
        return std::nullopt;
    if (day > daysInMonth(year, month))
        return std::nullopt;
    // RFC 3339 takes its letters case-insensitively (ABNF); a space in place of "T" is not accepted.
    if (text[4] != u'-' || text[7] != u'-' || (text[10] != u'T' && text[10] != u't') || text[13] != u':'
        || text[16] != u':')
        return std::nullopt;

    qsizetype pos = 19;
    int millis = 0;
    if (text[pos] == u'.') {
        ++pos;
        const qsizetype first = pos;
        while (pos < text.size() && isDigit(text[pos])) {
            // Digits beyond milliseconds are checked but dropped (truncated, never rounded up into the next second).
            if (pos - first < 3)
                millis = millis * 10 + (text[pos].unicode() - u'0');
            ++pos;
        }
        if (pos == first)
            return std::nullopt;
        for (qsizetype n = pos - first; n < 3; ++n)
            millis *= 10;
    }
    if (pos >= text.size())
        return std::nullopt;

    int offsetMinutes = 0;
    const QChar zone = text[pos];
    if (zone == u'Z' || zone == u'z') {
        ++pos;
    } else if (zone == u'+' || zone == u'-') {
        if (text.size() - pos != 6 || text[pos + 3] != u':')
            return std::nullopt;
        const int offsetHour = digits(text, pos + 1, 2);
        const int offsetMinute = digits(text, pos + 4, 2);
        if (offsetHour < 0 || offsetHour > 23 || offsetMinute < 0 || offsetMinute > 59)
            return std::nullopt;
        offsetMinutes = (offsetHour * 60 + offsetMinute) * (zone == u'-' ? -1 : 1);
        pos += 6;
    } else {
        return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;

    if (second == 60) {
        // A leap second exists only as the last second of a UTC day. The instant type has no room for it,
        // so it is held as the last millisecond of 23:59:59: it stays on its day and in order.
        const int utcMinute = hour * 60 + minute - offsetMinutes;
        const int utcMinuteOfDay = (utcMinute % 1440 + 1440) % 1440;
        if (utcMinuteOfDay != 1439)
            return std::nullopt;
        second = 59;
        millis = 999;
    }

    const qint64 days = daysFromCivil(year, month, day);
    const qint64 seconds = days * 86400 + hour * 3600 + minute * 60 + second - qint64(offsetMinutes) * 60;
    return seconds * 1000 + millis;
}

// ---------------------------------------------------------------------------------------------
// Member paths, assembled only for an error

struct PathNode
{
    const PathNode *parent = nullptr;
    QStringView text; // a member name, or the caller's prefix for the root
    qsizetype index = -1; // an array position instead of a member
    bool root = false;
};

void appendPath(QString &out, const PathNode *node)
{
    if (!node)
        return;
    appendPath(out, node->parent);
    if (node->root) {
        out += node->text;
    } else if (node->index >= 0) {
        out += u'[' + QString::number(node->index) + u']';
    } else {
        if (!out.isEmpty())
            out += u'.';
        out += node->text;
    }
}

DecodeError errorAt(const PathNode *node, QString message)
{
    QString path;
    appendPath(path, node);
    return DecodeError { std::move(path), std::move(message) };
}

QString typeName(QJsonValue::Type type)
{
    switch (type) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

template<typename Value> DecodeError wrongType(const PathNode *node, const char *expected, const Value &value)
{
    return errorAt(node,
                   QLatin1StringView("expected ") + QLatin1StringView(expected) + QLatin1StringView(", got ")
                       + typeName(value.type()));
}

// ---------------------------------------------------------------------------------------------
// Objects: finding members under the key rule

struct Field
{
    QLatin1StringView wire; // as the service writes it
    QLatin1StringView name; // the record's field name
};

// A member read in place in its object (which must outlive it), without a copy into a QJsonValue.
class Slot
{
public:
    Slot() = default;

    void set(QJsonObject::const_iterator it)
    {
        m_it = it;
        m_type = it.value().type();
    }

    QJsonValue::Type type() const { return m_type; }
    bool isUndefined() const { return m_type == QJsonValue::Undefined; }
    bool isNull() const { return m_type == QJsonValue::Null; }
    bool isString() const { return m_type == QJsonValue::String; }
    bool isDouble() const { return m_type == QJsonValue::Double; }
    bool isObject() const { return m_type == QJsonValue::Object; }
    bool isArray() const { return m_type == QJsonValue::Array; }
    QString toString() const { return m_it.value().toString(); }
    double toDouble() const { return m_it.value().toDouble(); }
    QVariant toVariant() const { return m_it.value().toVariant(); }
    QJsonValue toValue() const { return isUndefined() ? QJsonValue(QJsonValue::Undefined) : QJsonValue(m_it.value()); }

private:
    QJsonObject::const_iterator m_it;
    QJsonValue::Type m_type = QJsonValue::Undefined;
};

template<std::size_t N> struct Members
{
    std::array<Slot, N> values; // Undefined when missing
    std::array<QString, N> spelledAs; // the member name as read, for error paths
    std::array<PathNode, N> nodes;
};

template<std::size_t N>
std::size_t fieldIndex(const QString &key, const std::array<Field, N> &fields, QLatin1StringView Field::*name)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (key == fields[i].*name)
            return i;
    }
    return N;
}

// One pass over the object: each key is read once and matched by length and text against the service's
// spellings. Other spellings only cost more when they occur: the field-name spelling ("captureId"), or one that
// reaches a field through the full key rule ("Capture_ID", "due__at"). When one field is spelled several ways,
// the service's spelling wins over the field name, which wins over the others (among those, the first in key
// order).
template<std::size_t N>
void collect(const QJsonObject &object, const std::array<Field, N> &fields, const std::array<QStringView, N> &wireNames,
             const PathNode *parent, Members<N> &members)
{
    std::array<int, N> rank {}; // 0 missing, 1 through the key rule, 2 field name, 3 service spelling
    for (auto it = object.constBegin(), end = object.constEnd(); it != end; ++it) {
        QString key = it.key();
        int keyRank = 3;
        std::size_t i = fieldIndex(key, fields, &Field::wire);
        if (i == N) {
            if (key.contains(u'_')) {
                keyRank = 1;
                i = fieldIndex(Decoder::fieldName(key), fields, &Field::name);
            } else {
                keyRank = 2;
                i = fieldIndex(key, fields, &Field::name);
            }
        }
        if (i < N && keyRank > rank[i]) {
            rank[i] = keyRank;
            members.values[i].set(it);
            members.spelledAs[i] = std::move(key);
        }
    }
    for (std::size_t i = 0; i < N; ++i) {
        members.nodes[i].parent = parent;
        members.nodes[i].text = rank[i] ? QStringView(members.spelledAs[i]) : wireNames[i];
    }
}

// ---------------------------------------------------------------------------------------------
// Typed member readers. Each returns an error or fills \a out.

using Error = std::optional<DecodeError>;

template<typename Value> Error requireValue(const Value &value, const PathNode *node)
{
    if (value.isUndefined())
        return errorAt(node, QStringLiteral("missing"));
    if (value.isNull())
        return errorAt(node, QStringLiteral("null where a value is required"));
    return std::nullopt;
}

template<typename Value> Error readString(const Value &value, const PathNode *node, QString &out)
{
    if (auto error = requireValue(value, node))
        return error;
    if (!value.isString())
        return wrongType(node, "a string", value);
    out = value.toString();
    return std::nullopt;
}

template<typename Value> Error readOptionalString(const Value &value, const PathNode *node, std::optional<QString> &out)
{
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isString())
        return wrongType(node, "a string or null", value);
    out = value.toString();
    return std::nullopt;
}

template<typename Value> Error readInt64(const Value &value, const PathNode *node, qint64 &out)
{
    if (auto error = requireValue(value, node))
        return error;
    if (!value.isDouble())
        return wrongType(node, "an integer", value);
    // Integers that fit come through exactly as qlonglong; anything else (a fraction, or beyond 64 bits)
    // reaches us as a double and must not be rounded into some other id.
    const QVariant variant = value.toVariant();
    if (variant.typeId() != QMetaType::LongLong)
        return errorAt(node, QStringLiteral("not a 64-bit integer: ") + QString::number(value.toDouble(), 'g', 17));
    out = variant.toLongLong();
    return std::nullopt;
}

template<typename Value> Error readInstantText(const Value &value, const PathNode *node, QDateTime &out)
{
    if (!value.isString())
        return wrongType(node, "an RFC 3339 time string", value);
    auto instant = Decoder::rfc3339(value.toString());
    if (!instant)
        return errorAt(node, std::move(instant).error().message);
    out = std::move(instant).value();
    return std::nullopt;
}

template<typename Value> Error readInstant(const Value &value, const PathNode *node, QDateTime &out)
{
    if (auto error = requireValue(value, node))
        return error;
    return readInstantText(value, node, out);
}

template<typename Value>
Error readOptionalInstant(const Value &value, const PathNode *node, std::optional<QDateTime> &out)
{
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    QDateTime instant;
    if (auto error = readInstantText(value, node, instant))
        return error;
    out = std::move(instant);
    return std::nullopt;
}

template<typename Value> Error readPriority(const Value &value, const PathNode *node, Priority &out)
{
    QString text;
    if (auto error = readString(value, node, text))
        return error;
    const auto priority = PriorityText::fromText(text);
    if (!priority)
        return errorAt(node, QStringLiteral("unknown priority: ") + text);
    out = *priority;
    return std::nullopt;
}

template<typename Value> Error requireObject(const Value &value, const PathNode *node)
{
    if (auto error = requireValue(value, node))
        return error;
    if (!value.isObject())
        return wrongType(node, "an object", value);
    return std::nullopt;
}

template<typename Value> Error requireArray(const Value &value, const PathNode *node)
{
    if (auto error = requireValue(value, node))
        return error;
    if (!value.isArray())
        return wrongType(node, "an array", value);
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Records

constexpr std::array<Field, 12> taskFields { {
    { QLatin1StringView("id"), QLatin1StringView("id") },
    { QLatin1StringView("capture_id"), QLatin1StringView("captureId") },
    { QLatin1StringView("title"), QLatin1StringView("title") },
    { QLatin1StringView("description"), QLatin1StringView("description") },
    { QLatin1StringView("priority"), QLatin1StringView("priority") },
    { QLatin1StringView("due_date"), QLatin1StringView("dueDate") },
    { QLatin1StringView("due_at"), QLatin1StringView("dueAt") },
    { QLatin1StringView("source_app"), QLatin1StringView("sourceApp") },
    { QLatin1StringView("source_person"), QLatin1StringView("sourcePerson") },
    { QLatin1StringView("done_at"), QLatin1StringView("doneAt") },
    { QLatin1StringView("created_at"), QLatin1StringView("createdAt") },
    { QLatin1StringView("updated_at"), QLatin1StringView("updatedAt") },
} };
constexpr std::array<QStringView, 12> taskWireNames { u"id",          u"capture_id", u"title",
                                                      u"description", u"priority",   u"due_date",
                                                      u"due_at",      u"source_app", u"source_person",
                                                      u"done_at",     u"created_at", u"updated_at" };

constexpr std::array<Field, 7> captureFields { {
    { QLatin1StringView("id"), QLatin1StringView("id") },
    { QLatin1StringView("status"), QLatin1StringView("status") },
    { QLatin1StringView("error"), QLatin1StringView("error") },
    { QLatin1StringView("local_time"), QLatin1StringView("localTime") },
    { QLatin1StringView("time_zone"), QLatin1StringView("timeZone") },
    { QLatin1StringView("language"), QLatin1StringView("language") },
    { QLatin1StringView("created_at"), QLatin1StringView("createdAt") },
} };
constexpr std::array<QStringView, 7> captureWireNames { u"id",        u"status",   u"error",     u"local_time",
                                                        u"time_zone", u"language", u"created_at" };

constexpr std::array<Field, 2> resultFields { {
    { QLatin1StringView("capture"), QLatin1StringView("capture") },
    { QLatin1StringView("tasks"), QLatin1StringView("tasks") },
} };
constexpr std::array<QStringView, 2> resultWireNames { u"capture", u"tasks" };

Decoded<TaskItem> decodeTask(const QJsonValue &value, const PathNode *node)
{
    if (!value.isObject())
        return wrongType(node, "a task object", value);
    const QJsonObject object = value.toObject();
    Members<12> m;
    collect(object, taskFields, taskWireNames, node, m);

    TaskItem task;
    Error error;
    (error = readInt64(m.values[0], &m.nodes[0], task.id))
        || (error = readOptionalString(m.values[1], &m.nodes[1], task.captureId))
        || (error = readString(m.values[2], &m.nodes[2], task.title))
        || (error = readString(m.values[3], &m.nodes[3], task.description))
        || (error = readPriority(m.values[4], &m.nodes[4], task.priority))
        || (error = readOptionalString(m.values[5], &m.nodes[5], task.dueDate))
        || (error = readOptionalInstant(m.values[6], &m.nodes[6], task.dueAt))
        || (error = readOptionalString(m.values[7], &m.nodes[7], task.sourceApp))
        || (error = readOptionalString(m.values[8], &m.nodes[8], task.sourcePerson))
        || (error = readOptionalInstant(m.values[9], &m.nodes[9], task.doneAt))
        || (error = readInstant(m.values[10], &m.nodes[10], task.createdAt))
        || (error = readInstant(m.values[11], &m.nodes[11], task.updatedAt));
    if (error)
        return std::move(*error);
    return task;
}

Decoded<Capture> decodeCapture(const QJsonValue &value, const PathNode *node)
{
    if (!value.isObject())
        return wrongType(node, "a capture object", value);
    const QJsonObject object = value.toObject();
    Members<7> m;
    collect(object, captureFields, captureWireNames, node, m);

    Capture capture;
    Error error;
    (error = readString(m.values[0], &m.nodes[0], capture.id))
        || (error = readString(m.values[1], &m.nodes[1], capture.status))
        || (error = readString(m.values[2], &m.nodes[2], capture.error))
        || (error = readInstant(m.values[3], &m.nodes[3], capture.localTime))
        || (error = readString(m.values[4], &m.nodes[4], capture.timeZone))
        || (error = readString(m.values[5], &m.nodes[5], capture.language))
        || (error = readInstant(m.values[6], &m.nodes[6], capture.createdAt));
    if (error)
        return std::move(*error);
    return capture;
}

template<typename T, typename DecodeOne>
Decoded<QList<T>> decodeList(const QJsonValue &value, const PathNode *node, DecodeOne decodeOne)
{
    if (auto error = requireArray(value, node))
        return std::move(*error);
    const QJsonArray array = value.toArray();
    QList<T> items;
    items.reserve(array.size());
    PathNode element { node, {}, 0, false };
    for (qsizetype i = 0; i < array.size(); ++i) {
        element.index = i;
        auto item = decodeOne(array.at(i), &element);
        if (!item)
            return std::move(item).error();
        items.append(std::move(item).value());
    }
    return items;
}

Decoded<CaptureResult> decodeCaptureResult(const QJsonValue &value, const PathNode *node)
{
    if (!value.isObject())
        return wrongType(node, "a capture result object", value);
    const QJsonObject object = value.toObject();
    Members<2> m;
    collect(object, resultFields, resultWireNames, node, m);

    if (auto error = requireObject(m.values[0], &m.nodes[0]))
        return std::move(*error);
    auto capture = decodeCapture(m.values[0].toValue(), &m.nodes[0]);
    if (!capture)
        return std::move(capture).error();
    auto tasks = decodeList<TaskItem>(m.values[1].toValue(), &m.nodes[1], decodeTask);
    if (!tasks)
        return std::move(tasks).error();
    return CaptureResult { std::move(capture).value(), std::move(tasks).value() };
}

// Ids must be exact, but Qt's parser reads some number literals through a double and hands the rounded value
// over as an integer: integer literals just below -2^63, and literals with a fraction or an exponent. Below 2^53
// the rounding is exact; beyond it the literal may have named another id. A task id that large is rare, so only
// then is the body scanned for such literals, and an id equal to one of their rounded values is refused.
constexpr qint64 exactInDouble = qint64(1) << 53;

bool mayBeRounded(qint64 id)
{
    return id <= -exactInDouble || id >= exactInDouble;
}

struct RoundedLiteral
{
    qint64 value;
    QByteArray text;
};

QList<RoundedLiteral> roundedLiterals(const QByteArray &body)
{
    QList<RoundedLiteral> found;
    const char *p = body.constData();
    const char *const end = p + body.size();
    while (p < end) {
        if (*p == '"') {
            for (++p; p < end && *p != '"'; ++p) {
                if (*p == '\\')
                    ++p;
            }
            ++p;
            continue;
        }
        if (*p != '-' && (*p < '0' || *p > '9')) {
            ++p;
            continue;
        }
        const char *const start = p;
        bool plainInteger = true;
        for (; p < end && ((*p >= '0' && *p <= '9') || *p == '-' || *p == '+' || *p == '.' || *p == 'e' || *p == 'E');
             ++p) {
            if (*p == '.' || *p == 'e' || *p == 'E')
                plainInteger = false;
        }
        const QByteArrayView literal(start, p - start);
        bool ok = false;
        if (plainInteger) {
            (void)literal.toLongLong(&ok);
            if (ok)
                continue; // read exactly
        }
        const double value = literal.toDouble(&ok);
        // Qt keeps a double as an integer exactly when it is whole and within 64 bits.
        if (!ok || value != std::floor(value) || value < -9223372036854775808.0 || value >= 9223372036854775808.0)
            continue;
        const qint64 rounded = qint64(value);
        if (mayBeRounded(rounded))
            found.append({ rounded, literal.toByteArray() });
    }
    return found;
}

// Refuses the first of \a tasks whose id may have come from a rounded literal of \a body.
Error checkExactIds(const QByteArray &body, const QList<TaskItem> &tasks, const PathNode *listNode, bool isList)
{
    if (std::none_of(tasks.begin(), tasks.end(), [](const TaskItem &task) { return mayBeRounded(task.id); }))
        return std::nullopt;
    const QList<RoundedLiteral> rounded = roundedLiterals(body);
    for (qsizetype i = 0; i < tasks.size(); ++i) {
        if (!mayBeRounded(tasks[i].id))
            continue;
        for (const RoundedLiteral &literal : rounded) {
            if (literal.value == tasks[i].id) {
                const PathNode element { listNode, {}, isList ? i : -1, false };
                const PathNode id { &element, u"id", -1, false };
                return errorAt(&id,
                               QStringLiteral("not an exact 64-bit integer: ") + QString::fromLatin1(literal.text));
            }
        }
    }
    return std::nullopt;
}

Decoded<QJsonValue> parseBody(const QByteArray &body)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return DecodeError { {},
                             QStringLiteral("not valid JSON: ") + parseError.errorString()
                                 + QStringLiteral(" at offset ") + QString::number(parseError.offset) };
    if (document.isArray())
        return QJsonValue(document.array());
    return QJsonValue(document.object());
}

// Runs \a decode on the root of \a body, with the caller's prefix (if any) as the root of every path.
template<typename T, typename Decode> Decoded<T> decodeRoot(const QJsonValue &value, const QString &path, Decode decode)
{
    const PathNode root { nullptr, path, -1, true };
    return decode(value, &root);
}

template<typename T, typename Decode> Decoded<T> decodeBody(const QByteArray &body, Decode decode)
{
    auto value = parseBody(body);
    if (!value)
        return std::move(value).error();
    return decode(value.value(), nullptr);
}

} // namespace

QString Decoder::fieldName(QStringView memberName)
{
    // Leading and trailing underscores are kept; the words between are joined, the first lower-cased and
    // every later one capitalised. A name without inner underscores is left exactly as it is.
    qsizetype first = 0;
    while (first < memberName.size() && memberName[first] == u'_')
        ++first;
    if (first == memberName.size())
        return memberName.toString();
    qsizetype last = memberName.size() - 1;
    while (last > first && memberName[last] == u'_')
        --last;
    const QStringView core = memberName.mid(first, last - first + 1);

    QString joined;
    int words = 0;
    for (const QStringView word : core.split(u'_', Qt::SkipEmptyParts)) {
        if (words++ == 0)
            joined += word.toString().toLower();
        else
            joined += word.left(1).toString().toUpper() + word.mid(1).toString().toLower();
    }
    if (words == 1)
        joined = core.toString();
    return memberName.left(first).toString() + joined + memberName.mid(last + 1).toString();
}

Decoded<QDateTime> Decoder::rfc3339(QStringView text)
{
    const auto ms = parseRfc3339(text);
    if (!ms)
        return DecodeError { {}, QStringLiteral("not an RFC 3339 time: ") + text };
    return QDateTime::fromMSecsSinceEpoch(*ms, Qt::UTC);
}

QString Decoder::formatRfc3339(const QDateTime &instant, const QTimeZone &zone)
{
    if (!instant.isValid())
        return {};
    const QTimeZone effective = zone.isValid() ? zone : QTimeZone::systemTimeZone();
    // RFC 3339 offsets have no seconds; historical offsets such as +02:02:04 are cut to whole minutes and the
    // local time is shifted to match, so the text still names the same instant.
    const int offsetMinutes = effective.offsetFromUtc(instant) / 60;
    const qint64 localSeconds = floorDiv(instant.toMSecsSinceEpoch(), 1000) + qint64(offsetMinutes) * 60;
    const qint64 days = floorDiv(localSeconds, 86400);
    const qint64 secondOfDay = localSeconds - days * 86400;
    const Civil date = civilFromDays(days);
    if (date.year < 0 || date.year > 9999)
        return {};

    char buffer[32];
    int length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", int(date.year), date.month,
                               date.day, int(secondOfDay / 3600), int(secondOfDay / 60 % 60), int(secondOfDay % 60));
    if (offsetMinutes == 0) {
        buffer[length++] = 'Z';
    } else {
        const int magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
        length += std::snprintf(buffer + length, sizeof buffer - std::size_t(length), "%c%02d:%02d",
                                offsetMinutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    }
    return QString::fromLatin1(buffer, length);
}

Decoded<TaskItem> Decoder::task(const QJsonValue &value, const QString &path)
{
    return decodeRoot<TaskItem>(value, path, decodeTask);
}

Decoded<Capture> Decoder::capture(const QJsonValue &value, const QString &path)
{
    return decodeRoot<Capture>(value, path, decodeCapture);
}

Decoded<QList<TaskItem>> Decoder::tasks(const QJsonValue &value, const QString &path)
{
    return decodeRoot<QList<TaskItem>>(value, path, [](const QJsonValue &v, const PathNode *node) {
        return decodeList<TaskItem>(v, node, decodeTask);
    });
}

Decoded<CaptureResult> Decoder::captureResult(const QJsonValue &value, const QString &path)
{
    return decodeRoot<CaptureResult>(value, path, decodeCaptureResult);
}

Decoded<TaskItem> Decoder::taskFromJson(const QByteArray &body)
{
    auto task = decodeBody<TaskItem>(body, decodeTask);
    if (task) {
        if (auto error = checkExactIds(body, { task.value() }, nullptr, false))
            return std::move(*error);
    }
    return task;
}

Decoded<QList<TaskItem>> Decoder::tasksFromJson(const QByteArray &body)
{
    auto tasks = decodeBody<QList<TaskItem>>(
        body, [](const QJsonValue &v, const PathNode *node) { return decodeList<TaskItem>(v, node, decodeTask); });
    if (tasks) {
        if (auto error = checkExactIds(body, tasks.value(), nullptr, true))
            return std::move(*error);
    }
    return tasks;
}

Decoded<Capture> Decoder::captureFromJson(const QByteArray &body)
{
    return decodeBody<Capture>(body, decodeCapture);
}

Decoded<QList<Capture>> Decoder::capturesFromJson(const QByteArray &body)
{
    return decodeBody<QList<Capture>>(
        body, [](const QJsonValue &v, const PathNode *node) { return decodeList<Capture>(v, node, decodeCapture); });
}

Decoded<CaptureResult> Decoder::captureResultFromJson(const QByteArray &body)
{
    auto result = decodeBody<CaptureResult>(body, decodeCaptureResult);
    if (result) {
        const PathNode tasks { nullptr, u"tasks", -1, false };
        if (auto error = checkExactIds(body, result.value().tasks, &tasks, true))
            return std::move(*error);
    }
    return result;
}
