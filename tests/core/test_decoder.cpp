// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "decoder.h"
#include "quiblytest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {
const QByteArray baseTask = R"({"id":7,"capture_id":"c1","title":"Pay rent","description":"","priority":"high",
"due_date":"2025-03-05","due_at":"2025-03-01T10:00:00Z","source_app":"Mail","source_person":"Ann","done_at":null,
"created_at":"2025-02-28T09:00:00.5Z","updated_at":"2025-02-28T09:00:00+01:00"})";

const QByteArray baseCapture = R"({"id":"0b6c","status":"done","error":"","local_time":"2025-03-01T12:00:00+02:00",
"time_zone":"Europe/Kyiv","language":"uk","created_at":"2025-03-01T10:00:01.250Z"})";

QDateTime utc(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QLatin1StringView(iso), Qt::ISODateWithMs).toUTC();
}

QJsonObject object(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

// baseline with \a member set to the JSON literal \a value, or removed for a null array.
QByteArray withMember(const QByteArray &json, const QString &member, const QByteArray &value)
{
    QJsonObject o = object(json);
    if (value.isNull())
        o.remove(member);
    else
        o.insert(member, QJsonDocument::fromJson("[" + value + "]").array().at(0));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray withId(const QByteArray &id)
{
    return QByteArray(baseTask).replace("\"id\":7", QByteArray("\"id\":" + id));
}

template<typename T> QString errorOf(const T &result)
{
    return result.ok() ? QString() : result.error().description();
}
} // namespace

class TestDecoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QuiblyTest::failOnUnexpectedWarnings(); }

    void rfc3339_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: must fail

        const QDateTime base = utc("2025-03-01T10:00:00Z");
        QTest::newRow("Z, no fraction") << u"2025-03-01T10:00:00Z"_s << base;
        QTest::newRow("fraction and offset") << u"2025-03-01T12:00:00.123+02:00"_s << base.addMSecs(123);
        QTest::newRow("negative half-hour offset") << u"2025-03-01T05:30:00-04:30"_s << base;
        QTest::newRow("unknown local offset") << u"2025-03-01T10:00:00-00:00"_s << base;
        QTest::newRow("one digit") << u"2025-03-01T10:00:00.1Z"_s << base.addMSecs(100);
        QTest::newRow("nine digits truncate") << u"2025-03-01T10:00:00.123999999Z"_s << base.addMSecs(123);
        QTest::newRow("no round up into next second") << u"2025-03-01T10:00:00.99999Z"_s << base.addMSecs(999);
        QTest::newRow("lower-case t and z") << u"2025-03-01t10:00:00z"_s << base;
        QTest::newRow("offset crosses the day") << u"2025-03-01T23:30:00-01:00"_s << utc("2025-03-02T00:30:00Z");
        QTest::newRow("leap day of 2000") << u"2000-02-29T00:00:00Z"_s << utc("2000-02-29T00:00:00Z");
        QTest::newRow("before 1970") << u"1969-12-31T23:59:59.999Z"_s << utc(-1);
        QTest::newRow("year 0000") << u"0000-01-01T00:00:00Z"_s << utc(-62167219200000);
        QTest::newRow("year 9999") << u"9999-12-31T23:59:59Z"_s << utc(253402300799000);
        QTest::newRow("leap second with offset") << u"2017-01-01T01:59:60.5+02:00"_s << utc("2016-12-31T23:59:59.999Z");
        // '|'-separated; the first is the empty text.
        const QString refused
            = u"|2025-03-01|2025-03-01T10:00:00|2025-03-01T10:00:00.123|2025-03-01 10:00:00Z|"
              "2025-03-01T10:00Z|2025-03-01T10:00:00.Z|2025-03-01T10:00:00,123Z|2025-03-01T10:00:00+0200|"
              "2025-03-01T10:00:00+02|2025-03-01T10:00:00+24:00|2025-03-01T10:00:00+02:60|"
              "2025-13-01T10:00:00Z|2025-03-00T10:00:00Z|2025-02-29T10:00:00Z|1900-02-29T10:00:00Z|"
              "2025-04-31T10:00:00Z|2025-03-01T24:00:00Z|2025-03-01T10:60:00Z|2025-03-01T10:00:61Z|"
              "2016-12-31T12:00:60Z|25-03-01T10:00:00Z|+2025-03-01T10:00:00Z|2025-3-01T10:00:00Z|"
              "2025-03-01T10:00:00Zjunk|2025-03-01T10:00:00Z | 2025-03-01T10:00:00Z|"
              "2025-03-01T10:00:00+02:00:00|２０２５-03-01T10:00:00Z|2025/03/01T10:00:00Z|2025-03-01X10:00:00Z"_s;
        for (const QString &bad : refused.split(u'|'))
            QTest::addRow("refused: %s", qPrintable(bad)) << bad << QDateTime();
    }
    void rfc3339()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const auto result = Decoder::rfc3339(text);
        QCOMPARE(errorOf(result), expected.isValid() ? QString() : u"not an RFC 3339 time: "_s + text);
        if (result.ok()) {
            QCOMPARE(result.value(), expected);
            QCOMPARE(result.value().timeSpec(), Qt::UTC);
        }
    }

    void formatRfc3339_data()
    {
        QTest::addColumn<QDateTime>("instant");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("expected");
        const QDateTime winter = utc("2025-03-01T10:00:00Z");
        QTest::newRow("UTC") << winter << QByteArray("UTC") << u"2025-03-01T10:00:00Z"_s;
        QTest::newRow("Kyiv winter") << winter << QByteArray("Europe/Kyiv") << u"2025-03-01T12:00:00+02:00"_s;
        QTest::newRow("Kyiv summer, fraction dropped")
            << utc("2025-07-01T10:00:00.999Z") << QByteArray("Europe/Kyiv") << u"2025-07-01T13:00:00+03:00"_s;
        QTest::newRow("Santiago") << winter << QByteArray("America/Santiago") << u"2025-03-01T07:00:00-03:00"_s;
        QTest::newRow("Kolkata") << winter << QByteArray("Asia/Kolkata") << u"2025-03-01T15:30:00+05:30"_s;
        QTest::newRow("London winter is Z") << winter << QByteArray("Europe/London") << u"2025-03-01T10:00:00Z"_s;
        QTest::newRow("before 1970 floors")
            << utc("1969-12-31T23:59:59.500Z") << QByteArray("UTC") << u"1969-12-31T23:59:59Z"_s;
        QTest::newRow("invalid") << QDateTime() << QByteArray("UTC") << QString();
    }
    void formatRfc3339()
    {
        QFETCH(QDateTime, instant);
        QFETCH(QByteArray, zone);
        QFETCH(QString, expected);
        QCOMPARE(Decoder::formatRfc3339(instant, QTimeZone(zone)), expected);
    }

    void formatRoundTrip()
    {
        // Whatever the zone (including historical offsets with seconds), the text names the same whole second.
        for (const char *zone : { "UTC", "Europe/Kyiv", "Asia/Kathmandu", "Pacific/Chatham", "America/St_Johns" }) {
            for (const char *iso : { "1900-01-01T00:00:00Z", "2025-03-30T00:59:59.999Z", "2025-10-26T01:00:00Z",
                                     "2099-06-15T12:34:56.789Z" }) {
                const QDateTime instant = utc(iso);
                const QString text = Decoder::formatRfc3339(instant, QTimeZone(zone));
                QCOMPARE(Decoder::rfc3339(text).value(), utc(instant.toMSecsSinceEpoch() / 1000 * 1000));
            }
        }
    }

    void fullTask()
    {
        const auto decoded = Decoder::taskFromJson(baseTask);
        QCOMPARE(errorOf(decoded), QString());
        QCOMPARE(decoded.value(),
                 (TaskItem { 7, u"c1"_s, u"Pay rent"_s, QString(), Priority::High, u"2025-03-05"_s,
                             utc("2025-03-01T10:00:00Z"), u"Mail"_s, u"Ann"_s, std::nullopt,
                             utc("2025-02-28T09:00:00.500Z"), utc("2025-02-28T08:00:00Z") }));
    }

    void taskMember_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QByteArray>("value"); // JSON literal; null QByteArray removes the member
        QTest::addColumn<QString>("error"); // empty: decodes

        const QByteArray missing;
        auto row = [](const char *name, const char *member, const QByteArray &value, const char *error) {
            QTest::newRow(name) << QString::fromLatin1(member) << value << QString::fromUtf8(error);
        };
        row("id missing", "id", missing, "id: missing");
        row("id null", "id", "null", "id: null where a value is required");
        row("id text", "id", "\"7\"", "id: expected an integer, got a string");
        row("capture_id missing", "capture_id", missing, "");
        row("capture_id null", "capture_id", "null", "");
        row("capture_id number", "capture_id", "5", "capture_id: expected a string or null, got a number");
        row("title empty", "title", "\"\"", "");
        row("description missing", "description", missing, "description: missing");
        row("priority capitalised", "priority", "\"High\"", "priority: unknown priority: High");
        row("priority padded", "priority", "\" low\"", "priority: unknown priority:  low");
        row("priority number", "priority", "1", "priority: expected a string, got a number");
        row("priority low", "priority", "\"low\"", "");
        row("due_date unchecked text", "due_date", "\"next week\"", "");
        row("due_at null", "due_at", "null", "");
        row("due_at number", "due_at", "1740823200", "due_at: expected an RFC 3339 time string, got a number");
        row("source_app bool", "source_app", "false", "source_app: expected a string or null, got a boolean");
        row("done_at set", "done_at", "\"2025-03-02T08:00:00Z\"", "");
        row("created_at null", "created_at", "null", "created_at: null where a value is required");
        row("updated_at no zone", "updated_at", "\"2025-02-28T09:00:00\"",
            "updated_at: not an RFC 3339 time: 2025-02-28T09:00:00");
        row("unknown member", "colour", "{\"nested\":[1,2]}", "");
        row("unknown member looking like a field", "Title", "5", "");
    }
    void taskMember()
    {
        QFETCH(QString, member);
        QFETCH(QByteArray, value);
        QFETCH(QString, error);
        const auto decoded = Decoder::taskFromJson(withMember(baseTask, member, value));
        QCOMPARE(errorOf(decoded), error);
        if (!decoded.ok())
            return;
        // Null and missing leave an optional field absent; everything else lands in its field.
        const TaskItem &task = decoded.value();
        if (member == u"capture_id")
            QCOMPARE(task.captureId, std::nullopt);
        if (member == u"due_at")
            QCOMPARE(task.dueAt, std::nullopt);
        if (member == u"done_at")
            QCOMPARE(task.doneAt, utc("2025-03-02T08:00:00Z"));
        if (member == u"due_date")
            QCOMPARE(task.dueDate, u"next week"_s);
    }

    // Ids are exact 64-bit integers: a literal that may have been rounded into another id is refused.
    void integerLimits_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<std::optional<qint64>>("expected");
        const auto row
            = [](const char *id, std::optional<qint64> expected) { QTest::newRow(id) << QByteArray(id) << expected; };
        row("9223372036854775807", std::numeric_limits<qint64>::max());
        row("-9223372036854775808", std::numeric_limits<qint64>::min());
        row("9007199254740993", 9007199254740993); // beyond 2^53
        // Qt's parser hands whole numbers written with an exponent or ".0" over as integers.
        row("1e3", 1000);
        row("12.0", 12);
        for (const char *bad : { "9223372036854775808", "1e300", "12.25", "9007199254740993.0", "9.2233720368547e18",
                                 "-9223372036854775809", "-9223372036854779999" })
            row(bad, std::nullopt);
    }
    void integerLimits()
    {
        QFETCH(QByteArray, id);
        QFETCH(std::optional<qint64>, expected);
        const auto decoded = Decoder::taskFromJson(withId(id));
        QCOMPARE(decoded.ok(), expected.has_value());
        if (expected)
            QCOMPARE(decoded.value().id, *expected);
        else
            QVERIFY(decoded.error().description().startsWith(u"id: "_s));
    }

    // Errors name the member path down from the answer's root.
    void errorPaths()
    {
        const QJsonValue noTitle = object(withMember(baseTask, u"title"_s, {}));
        QCOMPARE(errorOf(Decoder::task(noTitle, u"tasks[3]"_s)), u"tasks[3].title: missing"_s);
        QCOMPARE(errorOf(Decoder::tasks(QJsonArray { object(baseTask), noTitle }, u"tasks"_s)),
                 u"tasks[1].title: missing"_s);
        // A member spelled otherwise reports the spelling that was read.
        QCOMPARE(
            errorOf(Decoder::taskFromJson(withMember(withMember(baseTask, u"due_at"_s, {}), u"Due_At"_s, "\"x\""))),
            u"Due_At: not an RFC 3339 time: x"_s);
    }

    // A member spelled as its field is read too; the service's own spelling wins.
    void spellings_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<std::optional<QString>>("captureId");
        QTest::newRow("camel") << u"captureId"_s << std::optional(u"x"_s);
        QTest::newRow("capitals normalised, double underscore") << u"Capture__ID"_s << std::optional(u"x"_s);
        QTest::newRow("capitals without underscore stay") << u"CaptureId"_s << std::optional<QString>();
        QTest::newRow("leading underscore kept") << u"_capture_id"_s << std::optional<QString>();
        QTest::newRow("trailing underscore kept") << u"capture_id_"_s << std::optional<QString>();
    }
    void spellings()
    {
        QFETCH(QString, member);
        QFETCH(std::optional<QString>, captureId);
        const QByteArray json = withMember(withMember(baseTask, u"capture_id"_s, {}), member, "\"x\"");
        QCOMPARE(Decoder::taskFromJson(json).value().captureId, captureId);
        QCOMPARE(Decoder::taskFromJson(withMember(json, u"capture_id"_s, "\"wire\"")).value().captureId, u"wire"_s);
    }

    void captureMember_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("error");
        auto row = [](const char *name, const char *member, const QByteArray &value, const char *error) {
            QTest::newRow(name) << QString::fromLatin1(member) << value << QString::fromUtf8(error);
        };
        row("as written", "id", "\"0b6c\"", "");
        row("error null", "error", "null", "error: null where a value is required");
        row("error missing", "error", QByteArray(), "error: missing");
        row("status number", "status", "3", "status: expected a string, got a number");
        row("local_time bad", "local_time", "\"2025-03-01T12:00\"",
            "local_time: not an RFC 3339 time: 2025-03-01T12:00");
        row("language null", "language", "null", "language: null where a value is required");
        row("camel spelling", "timeZone", "\"UTC\"", "");
    }
    void captureMember()
    {
        QFETCH(QString, member);
        QFETCH(QByteArray, value);
        QFETCH(QString, error);
        const auto decoded = Decoder::captureFromJson(withMember(baseCapture, member, value));
        QCOMPARE(errorOf(decoded), error);
        if (!decoded.ok())
            return;
        QCOMPARE(decoded.value(),
                 (Capture { u"0b6c"_s, u"done"_s, QString(), utc("2025-03-01T10:00:00Z"), u"Europe/Kyiv"_s, u"uk"_s,
                            utc("2025-03-01T10:00:01.250Z") }));
    }

    // Task lists and capture results: how many tasks come out, or how the error starts.
    void bodies_data()
    {
        QTest::addColumn<bool>("result"); // a capture result, else a task list
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("tasks"); // -1: fails
        QTest::addColumn<QString>("error");
        const QByteArray bad = withMember(baseTask, u"due_at"_s, "\"2025-03-01\"");
        const QByteArray two = "[" + baseTask + "," + baseTask + "]";
        const auto row = [](const char *name, bool result, const QByteArray &body, int tasks, const QString &error) {
            QTest::newRow(name) << result << body << tasks << error;
        };
        const auto result = [](const QByteArray &capture, const QByteArray &tasks) -> QByteArray {
            return "{\"capture\":" + capture + (tasks.isNull() ? QByteArray() : ",\"tasks\":" + tasks) + "}";
        };
        row("list: empty", false, "[]", 0, {});
        row("list: two", false, two, 2, {});
        row("list: third fails", false, "[" + baseTask + "," + baseTask + "," + bad + "]", -1,
            u"[2].due_at: not an RFC 3339 time: 2025-03-01"_s);
        row("list: element not an object", false, "[1]", -1, u"[0]: expected a task object, got a number"_s);
        row("list: object body", false, baseTask, -1, u"expected an array, got an object"_s);
        // Ids that may have been rounded are found in the text; text that only looks like one, in a string, is not.
        const QByteArray rounded = withId("-9223372036854775809");
        const QString roundedError = u"id: not an exact 64-bit integer: -9223372036854775809"_s;
        row("list: second id rounded", false, "[" + baseTask + "," + rounded + "]", -1, u"[1]."_s + roundedError);
        row("result: id rounded", true, result(baseCapture, "[" + rounded + "]"), -1, u"tasks[0]."_s + roundedError);
        row("list: rounded id in a string", false,
            "[" + withMember(withId("-9223372036854775808"), u"title"_s, "\"-9223372036854775809 \\\" 1e19\"") + "]", 1,
            {});
        row("list: not JSON", false, "<html>", -1, u"not valid JSON: "_s);
        row("list: truncated", false, "[" + baseTask.left(40), -1, u"not valid JSON: "_s);
        row("result: no tasks", true, result(baseCapture, "[]"), 0, {});
        row("result: two tasks", true, result(baseCapture, two), 2, {});
        row("result: tasks missing", true, result(baseCapture, {}), -1, u"tasks: missing"_s);
        row("result: tasks object", true, result(baseCapture, "{}"), -1, u"tasks: expected an array, got an object"_s);
        row("result: second task fails", true, result(baseCapture, "[" + baseTask + "," + bad + "]"), -1,
            u"tasks[1].due_at: not an RFC 3339 time: 2025-03-01"_s);
        row("result: capture fails", true, result(withMember(baseCapture, u"error"_s, "null"), "[]"), -1,
            u"capture.error: null where a value is required"_s);
        row("result: capture missing", true, "{\"tasks\":[]}", -1, u"capture: missing"_s);
        row("result: array body", true, "[]", -1, u"expected a capture result object, got an array"_s);
    }
    void bodies()
    {
        QFETCH(bool, result);
        QFETCH(QByteArray, body);
        QFETCH(int, tasks);
        QFETCH(QString, error);
        const auto list = Decoder::tasksFromJson(body);
        const auto captureResult = Decoder::captureResultFromJson(body);
        const QString problem = result ? errorOf(captureResult) : errorOf(list);
        QVERIFY2(problem.startsWith(error), qPrintable(problem));
        QCOMPARE(result ? (captureResult.ok() ? captureResult.value().tasks.size() : -1)
                        : (list.ok() ? list.value().size() : -1),
                 tasks);
    }
};

QTEST_GUILESS_MAIN(TestDecoder)
#include "test_decoder.moc"
