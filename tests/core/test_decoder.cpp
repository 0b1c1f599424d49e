// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "decoder.h"

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
    QDateTime dt = QDateTime::fromString(QLatin1StringView(iso), Qt::ISODateWithMs);
    Q_ASSERT(dt.isValid());
    return dt.toUTC();
}

QJsonObject object(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

// One JSON value from its literal text, parsed by Qt as the service's answer would be.
QJsonValue literal(const QByteArray &text)
{
    return QJsonDocument::fromJson("[" + text + "]").array().at(0);
}

QByteArray withMember(const QByteArray &json, const QString &member, const QByteArray &value)
{
    QJsonObject o = object(json);
    if (value.isNull())
        o.remove(member);
    else
        o.insert(member, literal(value));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString describe(const DecodeError &error)
{
    return error.description();
}
} // namespace

class TestDecoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rfc3339_data();
    void rfc3339();
    void rfc3339Error();
    void formatRfc3339_data();
    void formatRfc3339();
    void formatRoundTrip();
    void fieldName_data();
    void fieldName();
    void fullTask();
    void taskMember_data();
    void taskMember();
    void integerLimits_data();
    void integerLimits();
    void roundedIdPaths();
    void keySpellings();
    void captureMember_data();
    void captureMember();
    void lists_data();
    void lists();
    void captureResult_data();
    void captureResult();
    void pathPrefix();
};

void TestDecoder::rfc3339_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected"); // invalid: must fail

    const QDateTime base = utc("2025-03-01T10:00:00Z");
    QTest::newRow("Z, no fraction") << u"2025-03-01T10:00:00Z"_s << base;
    QTest::newRow("three digits") << u"2025-03-01T10:00:00.123Z"_s << base.addMSecs(123);
    QTest::newRow("positive offset") << u"2025-03-01T12:00:00+02:00"_s << base;
    QTest::newRow("fraction and offset") << u"2025-03-01T12:00:00.123+02:00"_s << base.addMSecs(123);
    QTest::newRow("negative half-hour offset") << u"2025-03-01T05:30:00-04:30"_s << base;
    QTest::newRow("unknown local offset") << u"2025-03-01T10:00:00-00:00"_s << base;
    QTest::newRow("one digit") << u"2025-03-01T10:00:00.1Z"_s << base.addMSecs(100);
    QTest::newRow("nine digits truncate") << u"2025-03-01T10:00:00.123999999Z"_s << base.addMSecs(123);
    QTest::newRow("no round up into next second") << u"2025-03-01T10:00:00.99999Z"_s << base.addMSecs(999);
    QTest::newRow("lower-case t and z") << u"2025-03-01t10:00:00z"_s << base;
    QTest::newRow("offset crosses the day") << u"2025-03-01T23:30:00-01:00"_s << utc("2025-03-02T00:30:00Z");
    QTest::newRow("leap day") << u"2024-02-29T00:00:00Z"_s << utc("2024-02-29T00:00:00Z");
    QTest::newRow("leap day of 2000") << u"2000-02-29T00:00:00Z"_s << utc("2000-02-29T00:00:00Z");
    QTest::newRow("before 1970") << u"1969-12-31T23:59:59.999Z"_s << utc(-1);
    QTest::newRow("year 0000") << u"0000-01-01T00:00:00Z"_s << utc(-62167219200000);
    QTest::newRow("year 9999") << u"9999-12-31T23:59:59Z"_s << utc(253402300799000);
    QTest::newRow("leap second") << u"2016-12-31T23:59:60Z"_s << utc("2016-12-31T23:59:59.999Z");
    QTest::newRow("leap second with offset") << u"2017-01-01T01:59:60.5+02:00"_s << utc("2016-12-31T23:59:59.999Z");

    const QDateTime fails;
    QTest::newRow("date only") << u"2025-03-01"_s << fails;
    QTest::newRow("no zone") << u"2025-03-01T10:00:00"_s << fails;
    QTest::newRow("no zone with fraction") << u"2025-03-01T10:00:00.123"_s << fails;
    QTest::newRow("space for T") << u"2025-03-01 10:00:00Z"_s << fails;
    QTest::newRow("no seconds") << u"2025-03-01T10:00Z"_s << fails;
    QTest::newRow("empty fraction") << u"2025-03-01T10:00:00.Z"_s << fails;
    QTest::newRow("comma fraction") << u"2025-03-01T10:00:00,123Z"_s << fails;
    QTest::newRow("offset without colon") << u"2025-03-01T10:00:00+0200"_s << fails;
    QTest::newRow("offset hours only") << u"2025-03-01T10:00:00+02"_s << fails;
    QTest::newRow("offset 24 hours") << u"2025-03-01T10:00:00+24:00"_s << fails;
    QTest::newRow("offset 60 minutes") << u"2025-03-01T10:00:00+02:60"_s << fails;
    QTest::newRow("month 13") << u"2025-13-01T10:00:00Z"_s << fails;
    QTest::newRow("month 0") << u"2025-00-01T10:00:00Z"_s << fails;
    QTest::newRow("day 0") << u"2025-03-00T10:00:00Z"_s << fails;
    QTest::newRow("29 Feb of a common year") << u"2025-02-29T10:00:00Z"_s << fails;
    QTest::newRow("29 Feb of 1900") << u"1900-02-29T10:00:00Z"_s << fails;
    QTest::newRow("31 April") << u"2025-04-31T10:00:00Z"_s << fails;
    QTest::newRow("hour 24") << u"2025-03-01T24:00:00Z"_s << fails;
    QTest::newRow("minute 60") << u"2025-03-01T10:60:00Z"_s << fails;
    QTest::newRow("second 61") << u"2025-03-01T10:00:61Z"_s << fails;
    QTest::newRow("leap second at noon") << u"2016-12-31T12:00:60Z"_s << fails;
    QTest::newRow("two-digit year") << u"25-03-01T10:00:00Z"_s << fails;
    QTest::newRow("signed year") << u"+2025-03-01T10:00:00Z"_s << fails;
    QTest::newRow("one-digit month") << u"2025-3-01T10:00:00Z"_s << fails;
    QTest::newRow("trailing text") << u"2025-03-01T10:00:00Zjunk"_s << fails;
    QTest::newRow("trailing space") << u"2025-03-01T10:00:00Z "_s << fails;
    QTest::newRow("leading space") << u" 2025-03-01T10:00:00Z"_s << fails;
    QTest::newRow("text after offset") << u"2025-03-01T10:00:00+02:00:00"_s << fails;
    QTest::newRow("full-width digits") << u"２０２５-03-01T10:00:00Z"_s << fails;
    QTest::newRow("empty") << QString() << fails;
    QTest::newRow("slashes") << u"2025/03/01T10:00:00Z"_s << fails;
    QTest::newRow("other letter") << u"2025-03-01X10:00:00Z"_s << fails;
}

void TestDecoder::rfc3339()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    const auto result = Decoder::rfc3339(text);
    if (!expected.isValid()) {
        QVERIFY(!result.ok());
        QCOMPARE(result.error().description(), u"not an RFC 3339 time: "_s + text);
        return;
    }
    QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.error().description()));
    QCOMPARE(result.value(), expected);
    QCOMPARE(result.value().timeSpec(), Qt::UTC);
}

void TestDecoder::rfc3339Error()
{
    // The message quotes exactly the text that was read, through the member path of a record.
    const auto task = Decoder::taskFromJson(withMember(baseTask, u"due_at"_s, "\"2025-03-01 10:00:00Z\""));
    QVERIFY(!task.ok());
    QCOMPARE(task.error().path, u"due_at"_s);
    QCOMPARE(task.error().message, u"not an RFC 3339 time: 2025-03-01 10:00:00Z"_s);
}

void TestDecoder::formatRfc3339_data()
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
    QTest::newRow("previous day") << utc("2025-03-01T01:00:00Z") << QByteArray("America/New_York")
                                  << u"2025-02-28T20:00:00-05:00"_s;
    QTest::newRow("before 1970 floors") << utc("1969-12-31T23:59:59.500Z") << QByteArray("UTC")
                                        << u"1969-12-31T23:59:59Z"_s;
}

void TestDecoder::formatRfc3339()
{
    QFETCH(QDateTime, instant);
    QFETCH(QByteArray, zone);
    QFETCH(QString, expected);
    QCOMPARE(Decoder::formatRfc3339(instant, QTimeZone(zone)), expected);
}

void TestDecoder::formatRoundTrip()
{
    // Whatever the zone (including historical offsets with seconds), the text names the same whole second.
    const QList<QByteArray> zones {
        "UTC", "Europe/Kyiv", "America/Santiago", "Asia/Kathmandu", "Pacific/Chatham", "America/St_Johns"
    };
    const QList<QDateTime> instants { utc("1900-01-01T00:00:00Z"),     utc("1970-01-01T00:00:00Z"),
                                      utc("2025-03-30T00:59:59.999Z"), utc("2025-10-26T01:00:00Z"),
                                      utc("2025-09-07T03:30:00Z"),     utc("2099-06-15T12:34:56.789Z") };
    for (const QByteArray &zone : zones) {
        for (const QDateTime &instant : instants) {
            const QString text = Decoder::formatRfc3339(instant, QTimeZone(zone));
            const auto back = Decoder::rfc3339(text);
            QVERIFY2(back.ok(), qPrintable(text));
            QCOMPARE(back.value(), utc(instant.toMSecsSinceEpoch() - instant.toMSecsSinceEpoch() % 1000));
        }
    }
    QVERIFY(Decoder::formatRfc3339(QDateTime(), QTimeZone("UTC")).isEmpty());
}

void TestDecoder::fieldName_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("field");
    QTest::newRow("snake") << u"capture_id"_s << u"captureId"_s;
    QTest::newRow("three words") << u"source_person_name"_s << u"sourcePersonName"_s;
    QTest::newRow("already camel") << u"captureId"_s << u"captureId"_s;
    QTest::newRow("capitals without underscore stay") << u"CaptureID"_s << u"CaptureID"_s;
    QTest::newRow("capitals normalised") << u"Due_AT"_s << u"dueAt"_s;
    QTest::newRow("double underscore") << u"due__at"_s << u"dueAt"_s;
    QTest::newRow("leading underscore kept") << u"_due_at"_s << u"_dueAt"_s;
    QTest::newRow("trailing underscore kept") << u"title_"_s << u"title_"_s;
    QTest::newRow("underscores only") << u"__"_s << u"__"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestDecoder::fieldName()
{
    QFETCH(QString, member);
    QFETCH(QString, field);
    QCOMPARE(Decoder::fieldName(member), field);
}

void TestDecoder::fullTask()
{
    const auto decoded = Decoder::taskFromJson(baseTask);
    QVERIFY2(decoded.ok(), qPrintable(decoded.ok() ? QString() : decoded.error().description()));
    const TaskItem expected { 7,
                              u"c1"_s,
                              u"Pay rent"_s,
                              QString(),
                              Priority::High,
                              u"2025-03-05"_s,
                              utc("2025-03-01T10:00:00Z"),
                              u"Mail"_s,
                              u"Ann"_s,
                              std::nullopt,
                              utc("2025-02-28T09:00:00.500Z"),
                              utc("2025-02-28T08:00:00Z") };
    QCOMPARE(decoded.value(), expected);
}

void TestDecoder::taskMember_data()
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
    row("id fraction", "id", "1.5", "id: not a 64-bit integer: 1.5");
    row("id bool", "id", "true", "id: expected an integer, got a boolean");
    row("capture_id missing", "capture_id", missing, "");
    row("capture_id null", "capture_id", "null", "");
    row("capture_id number", "capture_id", "5", "capture_id: expected a string or null, got a number");
    row("title missing", "title", missing, "title: missing");
    row("title null", "title", "null", "title: null where a value is required");
    row("title array", "title", "[]", "title: expected a string, got an array");
    row("title empty", "title", "\"\"", "");
    row("description missing", "description", missing, "description: missing");
    row("description object", "description", "{}", "description: expected a string, got an object");
    row("priority capitalised", "priority", "\"High\"", "priority: unknown priority: High");
    row("priority other word", "priority", "\"urgent\"", "priority: unknown priority: urgent");
    row("priority null", "priority", "null", "priority: null where a value is required");
    row("priority number", "priority", "1", "priority: expected a string, got a number");
    row("priority low", "priority", "\"low\"", "");
    row("due_date unchecked text", "due_date", "\"next week\"", "");
    row("due_date number", "due_date", "20250305", "due_date: expected a string or null, got a number");
    row("due_at null", "due_at", "null", "");
    row("due_at missing", "due_at", missing, "");
    row("due_at date only", "due_at", "\"2025-03-01\"", "due_at: not an RFC 3339 time: 2025-03-01");
    row("due_at number", "due_at", "1740823200", "due_at: expected an RFC 3339 time string, got a number");
    row("source_app bool", "source_app", "false", "source_app: expected a string or null, got a boolean");
    row("source_person null", "source_person", "null", "");
    row("done_at set", "done_at", "\"2025-03-02T08:00:00Z\"", "");
    row("done_at bad", "done_at", "\"yesterday\"", "done_at: not an RFC 3339 time: yesterday");
    row("created_at missing", "created_at", missing, "created_at: missing");
    row("created_at null", "created_at", "null", "created_at: null where a value is required");
    row("updated_at no zone", "updated_at", "\"2025-02-28T09:00:00\"",
        "updated_at: not an RFC 3339 time: 2025-02-28T09:00:00");
    row("unknown member", "colour", "{\"nested\":[1,2]}", "");
    row("unknown member looking like a field", "Title", "5", "");
}

void TestDecoder::taskMember()
{
    QFETCH(QString, member);
    QFETCH(QByteArray, value);
    QFETCH(QString, error);
    const auto decoded = Decoder::taskFromJson(withMember(baseTask, member, value));
    if (!error.isEmpty()) {
        QVERIFY(!decoded.ok());
        QCOMPARE(decoded.error().description(), error);
        return;
    }
    QVERIFY2(decoded.ok(), qPrintable(decoded.ok() ? QString() : decoded.error().description()));
    // Null and missing leave an optional field absent; everything else lands in its field.
    const TaskItem &task = decoded.value();
    if (member == u"capture_id")
        QCOMPARE(task.captureId, std::optional<QString>());
    if (member == u"due_at")
        QCOMPARE(task.dueAt, std::optional<QDateTime>());
    if (member == u"done_at") {
        QVERIFY(task.isDone());
        QCOMPARE(*task.doneAt, utc("2025-03-02T08:00:00Z"));
    }
    if (member == u"due_date")
        QCOMPARE(task.dueDate, std::optional<QString>(u"next week"_s));
    if (member == u"priority")
        QCOMPARE(task.priority, Priority::Low);
    if (member == u"title")
        QCOMPARE(task.title, QString());
}

void TestDecoder::integerLimits_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("int64 max") << QByteArray("9223372036854775807") << true << std::numeric_limits<qint64>::max();
    QTest::newRow("int64 min") << QByteArray("-9223372036854775808") << true << std::numeric_limits<qint64>::min();
    QTest::newRow("beyond 2^53, exact") << QByteArray("9007199254740993") << true << qint64(9007199254740993);
    QTest::newRow("int64 max + 1") << QByteArray("9223372036854775808") << false << qint64(0);
    QTest::newRow("huge") << QByteArray("1e300") << false << qint64(0);
    QTest::newRow("negative") << QByteArray("-3") << true << qint64(-3);
    // Qt's parser hands whole numbers written with an exponent or ".0" over as integers.
    QTest::newRow("exponent") << QByteArray("1e3") << true << qint64(1000);
    QTest::newRow("point zero") << QByteArray("12.0") << true << qint64(12);
    QTest::newRow("fraction") << QByteArray("12.25") << false << qint64(0);
    QTest::newRow("exponent below 2^53") << QByteArray("9e15") << true << qint64(9000000000000000);
    // Beyond 2^53 a literal with a fraction or an exponent may have been rounded into another id.
    QTest::newRow("2^53 + 1 written with .0") << QByteArray("9007199254740993.0") << false << qint64(0);
    QTest::newRow("exponent beyond 2^53") << QByteArray("9.2233720368547e18") << false << qint64(0);
    QTest::newRow("just below int64 min") << QByteArray("-9223372036854775809") << false << qint64(0);
    QTest::newRow("far below int64 min") << QByteArray("-9223372036854779999") << false << qint64(0);
}

void TestDecoder::integerLimits()
{
    QFETCH(QByteArray, id);
    QFETCH(bool, ok);
    QFETCH(qint64, expected);
    QByteArray body = baseTask;
    body.replace(QByteArray("\"id\":7"), QByteArray("\"id\":" + id));
    const auto decoded = Decoder::taskFromJson(body);
    QCOMPARE(decoded.ok(), ok);
    if (ok)
        QCOMPARE(decoded.value().id, expected);
    else
        QVERIFY(decoded.error().description().startsWith(u"id: "_s));
}

void TestDecoder::roundedIdPaths()
{
    QByteArray rounded = baseTask;
    rounded.replace(QByteArray("\"id\":7"), QByteArray("\"id\":-9223372036854775809"));
    QByteArray exact = baseTask;
    exact.replace(QByteArray("\"id\":7"), QByteArray("\"id\":-9223372036854775808"));

    const auto list = Decoder::tasksFromJson("[" + baseTask + "," + rounded + "]");
    QVERIFY(!list.ok());
    QCOMPARE(list.error().description(), u"[1].id: not an exact 64-bit integer: -9223372036854775809"_s);

    const QByteArray capture = "{\"capture\":" + baseCapture + ",\"tasks\":[" + rounded + "]}";
    const auto result = Decoder::captureResultFromJson(capture);
    QVERIFY(!result.ok());
    QCOMPARE(result.error().description(), u"tasks[0].id: not an exact 64-bit integer: -9223372036854775809"_s);

    // Text that only looks like such a number, inside strings, changes nothing.
    QByteArray quoted = exact;
    quoted.replace(QByteArray("\"title\":\"Pay rent\""), QByteArray("\"title\":\"-9223372036854775809 \\\" 1e19\""));
    const auto fine = Decoder::taskFromJson(quoted);
    QVERIFY2(fine.ok(), qPrintable(fine.ok() ? QString() : fine.error().description()));
    QCOMPARE(fine.value().id, std::numeric_limits<qint64>::min());
}

void TestDecoder::keySpellings()
{
    auto captureIdOf = [](const QByteArray &json) -> std::optional<QString> {
        const auto decoded = Decoder::taskFromJson(json);
        Q_ASSERT(decoded.ok());
        return decoded.value().captureId;
    };
    QByteArray json = withMember(baseTask, u"capture_id"_s, {});

    QCOMPARE(captureIdOf(withMember(json, u"captureId"_s, "\"field\"")), u"field"_s);
    QCOMPARE(captureIdOf(withMember(json, u"Capture_ID"_s, "\"shouty\"")), u"shouty"_s);
    QCOMPARE(captureIdOf(withMember(json, u"capture__id"_s, "\"double\"")), u"double"_s);
    QCOMPARE(captureIdOf(withMember(json, u"CaptureId"_s, "\"other\"")), std::nullopt);
    QCOMPARE(captureIdOf(withMember(json, u"_capture_id"_s, "\"private\"")), std::nullopt);
    // Both spellings: the service's own wins.
    QCOMPARE(captureIdOf(withMember(withMember(json, u"captureId"_s, "\"field\""), u"capture_id"_s, "\"wire\"")),
             u"wire"_s);

    // A differently spelled member that fails reports the spelling that was read.
    const auto bad = Decoder::taskFromJson(withMember(withMember(baseTask, u"due_at"_s, {}), u"Due_At"_s, "\"x\""));
    QVERIFY(!bad.ok());
    QCOMPARE(bad.error().description(), u"Due_At: not an RFC 3339 time: x"_s);
}

void TestDecoder::captureMember_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("error");
    auto row = [](const char *name, const char *member, const QByteArray &value, const char *error) {
        QTest::newRow(name) << QString::fromLatin1(member) << value << QString::fromUtf8(error);
    };
    row("as written", "id", "\"0b6c\"", "");
    row("error null", "error", "null", "error: null where a value is required");
    row("error empty", "error", "\"\"", "");
    row("error missing", "error", QByteArray(), "error: missing");
    row("status number", "status", "3", "status: expected a string, got a number");
    row("local_time bad", "local_time", "\"2025-03-01T12:00\"", "local_time: not an RFC 3339 time: 2025-03-01T12:00");
    row("time_zone missing", "time_zone", QByteArray(), "time_zone: missing");
    row("language null", "language", "null", "language: null where a value is required");
    row("created_at missing", "created_at", QByteArray(), "created_at: missing");
    row("camel spelling", "timeZone", "\"UTC\"", "");
}

void TestDecoder::captureMember()
{
    QFETCH(QString, member);
    QFETCH(QByteArray, value);
    QFETCH(QString, error);
    const auto decoded = Decoder::captureFromJson(withMember(baseCapture, member, value));
    if (!error.isEmpty()) {
        QVERIFY(!decoded.ok());
        QCOMPARE(decoded.error().description(), error);
        return;
    }
    QVERIFY2(decoded.ok(), qPrintable(decoded.ok() ? QString() : decoded.error().description()));
    const Capture expected { u"0b6c"_s,
                             u"done"_s,
                             QString(),
                             utc("2025-03-01T10:00:00Z"),
                             u"Europe/Kyiv"_s,
                             u"uk"_s,
                             utc("2025-03-01T10:00:01.250Z") };
    QCOMPARE(decoded.value(), expected);
}

void TestDecoder::lists_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("count"); // -1: fails
    QTest::addColumn<QString>("error");

    const QByteArray bad = withMember(baseTask, u"due_at"_s, "\"2025-03-01\"");
    const QByteArray badPriority = withMember(baseTask, u"priority"_s, "\"High\"");
    QTest::newRow("empty") << QByteArray("[]") << 0 << QString();
    QTest::newRow("two") << "[" + baseTask + "," + baseTask + "]" << 2 << QString();
    QTest::newRow("third fails") << "[" + baseTask + "," + baseTask + "," + bad + "]" << -1
                                 << u"[2].due_at: not an RFC 3339 time: 2025-03-01"_s;
    QTest::newRow("first fails, priority")
        << "[" + badPriority + "," + baseTask + "]" << -1 << u"[0].priority: unknown priority: High"_s;
    QTest::newRow("element not an object") << QByteArray("[1]") << -1 << u"[0]: expected a task object, got a number"_s;
    QTest::newRow("object body") << baseTask << -1 << u"expected an array, got an object"_s;
    QTest::newRow("not JSON") << QByteArray("<html>") << -1 << u"not valid JSON: "_s;
    QTest::newRow("empty body") << QByteArray() << -1 << u"not valid JSON: "_s;
    QTest::newRow("truncated") << "[" + baseTask.left(40) << -1 << u"not valid JSON: "_s;
}

void TestDecoder::lists()
{
    QFETCH(QByteArray, body);
    QFETCH(int, count);
    QFETCH(QString, error);
    const auto decoded = Decoder::tasksFromJson(body);
    if (count < 0) {
        QVERIFY(!decoded.ok());
        QVERIFY2(decoded.error().description().startsWith(error), qPrintable(decoded.error().description()));
        return;
    }
    QVERIFY(decoded.ok());
    QCOMPARE(decoded.value().size(), count);

    const auto captures = Decoder::capturesFromJson(body == "[]" ? body : "[" + baseCapture + "]");
    QVERIFY(captures.ok());
}

void TestDecoder::captureResult_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("tasks"); // -1: fails
    QTest::addColumn<QString>("error");

    const QByteArray bad = withMember(baseTask, u"due_at"_s, "\"2025-03-01\"");
    auto result = [](const QByteArray &capture, const QByteArray &tasks) -> QByteArray {
        QByteArray body = "{\"capture\":" + capture;
        if (!tasks.isNull())
            body += ",\"tasks\":" + tasks;
        return body + "}";
    };
    QTest::newRow("no tasks") << result(baseCapture, "[]") << 0 << QString();
    QTest::newRow("two tasks") << result(baseCapture, "[" + baseTask + "," + baseTask + "]") << 2 << QString();
    QTest::newRow("tasks missing") << result(baseCapture, {}) << -1 << u"tasks: missing"_s;
    QTest::newRow("tasks null") << result(baseCapture, "null") << -1 << u"tasks: null where a value is required"_s;
    QTest::newRow("tasks object") << result(baseCapture, "{}") << -1 << u"tasks: expected an array, got an object"_s;
    QTest::newRow("fourth task fails") << result(baseCapture,
                                                 "[" + baseTask + "," + baseTask + "," + baseTask + "," + bad + "]")
                                       << -1 << u"tasks[3].due_at: not an RFC 3339 time: 2025-03-01"_s;
    QTest::newRow("capture fails") << result(withMember(baseCapture, u"error"_s, "null"), "[]") << -1
                                   << u"capture.error: null where a value is required"_s;
    QTest::newRow("capture missing") << QByteArray("{\"tasks\":[]}") << -1 << u"capture: missing"_s;
    QTest::newRow("capture a string") << result("\"x\"", "[]") << -1 << u"capture: expected an object, got a string"_s;
    QTest::newRow("array body") << QByteArray("[]") << -1 << u"expected a capture result object, got an array"_s;
}

void TestDecoder::captureResult()
{
    QFETCH(QByteArray, body);
    QFETCH(int, tasks);
    QFETCH(QString, error);
    const auto decoded = Decoder::captureResultFromJson(body);
    if (tasks < 0) {
        QVERIFY(!decoded.ok());
        QCOMPARE(describe(decoded.error()), error);
        return;
    }
    QVERIFY2(decoded.ok(), qPrintable(decoded.ok() ? QString() : decoded.error().description()));
    QCOMPARE(decoded.value().tasks.size(), tasks);
    QCOMPARE(decoded.value().capture.id, u"0b6c"_s);
}

void TestDecoder::pathPrefix()
{
    const QJsonValue bad = object(withMember(baseTask, u"title"_s, {}));
    const auto task = Decoder::task(bad, u"tasks[3]"_s);
    QVERIFY(!task.ok());
    QCOMPARE(task.error().description(), u"tasks[3].title: missing"_s);

    const auto list = Decoder::tasks(QJsonArray { object(baseTask), bad }, u"tasks"_s);
    QVERIFY(!list.ok());
    QCOMPARE(list.error().description(), u"tasks[1].title: missing"_s);

    const auto fine = Decoder::task(object(baseTask));
    QVERIFY(fine.ok());
    QCOMPARE(fine.value().id, 7);
}

QTEST_GUILESS_MAIN(TestDecoder)
#include "test_decoder.moc"
