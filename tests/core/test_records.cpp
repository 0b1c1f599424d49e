// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "apierror.h"
#include "capture.h"
#include "hotkey.h"
#include "iconclick.h"
#include "outcome.h"
#include "taskitem.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
QDateTime utc(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

const qint64 year2001 = 978307200000;

TaskItem titled(const QString &title)
{
    return TaskItem { 1, {}, title, {}, Priority::Low, {}, {}, {}, {}, {}, utc(0), utc(0) };
}

CaptureResult resultOf(const QString &status, const QString &error, const QStringList &titles)
{
    CaptureResult result { Capture { u"c"_s, status, error, utc(0), u"UTC"_s, u"en"_s, utc(0) }, {} };
    for (const QString &title : titles)
        result.tasks.append(titled(title));
    return result;
}
} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void priorityText();
    void taskEquality();
    void queuedFileForm_data();
    void queuedFileForm();
    void queuedRoundTrip();
    void apiError();
    void hotkeyDisplay_data();
    void hotkeyDisplay();
    void carbonModifiers();
    void hotkeyJson_data();
    void hotkeyJson();
    void iconClick_data();
    void iconClick();
    void outcomeOf_data();
    void outcomeOf();
    void outcomeIdentity();
};

void TestRecords::priorityText()
{
    QCOMPARE(PriorityText::allCases.size(), 3u);
    for (Priority p : PriorityText::allCases)
        QCOMPARE(PriorityText::fromText(PriorityText::text(p)), p);
    QCOMPARE(PriorityText::text(Priority::Medium), u"medium"_s);
    QCOMPARE(PriorityText::fromText(u"High"), std::nullopt);
    QCOMPARE(PriorityText::fromText(u" low"), std::nullopt);
    QCOMPARE(PriorityText::fromText(u""), std::nullopt);
    QVERIFY(Priority::High < Priority::Medium && Priority::Medium < Priority::Low);
}

void TestRecords::taskEquality()
{
    const TaskItem a { 1, {}, u"t"_s, {}, Priority::High, {}, {}, {}, {}, {}, utc(0), utc(1) };
    TaskItem b = a;
    QCOMPARE(a, b);
    b.updatedAt = utc(2);
    QVERIFY(a != b);
    b = a;
    b.dueAt = utc(0);
    QVERIFY(a != b);
    b = a;
    b.captureId = QString(); // present but empty differs from absent
    QVERIFY(a != b);
}

void TestRecords::queuedFileForm_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("ms"); // since 1970

    QTest::newRow("zero is 2001") << QByteArray(R"({"id":"a","localTime":0,"timeZone":"UTC","language":"en"})") << true
                                  << year2001;
    QTest::newRow("any order, fraction") << QByteArray(
        R"({"language":"uk","timeZone":"Europe/Kyiv","localTime":762345600.25,"id":"a"})")
                                         << true << year2001 + 762345600250;
    QTest::newRow("rounds to nearest ms")
        << QByteArray(R"({"id":"a","localTime":1.0006,"timeZone":"UTC","language":"en"})") << true << year2001 + 1001;
    QTest::newRow("before 2001") << QByteArray(R"({"id":"a","localTime":-86400.5,"timeZone":"UTC","language":"en"})")
                                 << true << year2001 - 86400500;
    QTest::newRow("unknown member") << QByteArray(
        R"({"id":"a","localTime":0,"timeZone":"UTC","language":"en","v":2,"x":{"y":null}})")
                                    << true << year2001;
    QTest::newRow("id missing") << QByteArray(R"({"localTime":0,"timeZone":"UTC","language":"en"})") << false
                                << qint64(0);
    QTest::newRow("language missing") << QByteArray(R"({"id":"a","localTime":0,"timeZone":"UTC"})") << false
                                      << qint64(0);
    QTest::newRow("localTime as text") << QByteArray(
        R"({"id":"a","localTime":"2025-03-01T10:00:00Z","timeZone":"UTC","language":"en"})")
                                       << false << qint64(0);
    QTest::newRow("localTime null") << QByteArray(R"({"id":"a","localTime":null,"timeZone":"UTC","language":"en"})")
                                    << false << qint64(0);
    QTest::newRow("id a number") << QByteArray(R"({"id":5,"localTime":0,"timeZone":"UTC","language":"en"})") << false
                                 << qint64(0);
    QTest::newRow("absurd time") << QByteArray(R"({"id":"a","localTime":1e300,"timeZone":"UTC","language":"en"})")
                                 << false << qint64(0);
    QTest::newRow("array") << QByteArray(R"([{"id":"a","localTime":0,"timeZone":"UTC","language":"en"}])") << false
                           << qint64(0);
    QTest::newRow("truncated file") << QByteArray(R"({"id":"a","localTime":0,"timeZone":"UT)") << false << qint64(0);
    QTest::newRow("empty file") << QByteArray() << false << qint64(0);
}

void TestRecords::queuedFileForm()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, ok);
    QFETCH(qint64, ms);
    const auto queued = QueuedCapture::fromFileJson(json);
    QCOMPARE(queued.has_value(), ok);
    if (ok) {
        QCOMPARE(queued->localTime, utc(ms));
        QCOMPARE(queued->id, u"a"_s);
    }
}

void TestRecords::queuedRoundTrip()
{
    const QueuedCapture original { u"0f8fad5b-d9cb-469f-a165-70867728950e"_s, utc(1740823200123), u"Europe/Kyiv"_s,
                                   u"uk"_s };
    const QByteArray json = original.toFileJson();
    QVERIFY(!json.contains('\n'));
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    QCOMPARE(object.size(), 4);
    QCOMPARE(object.value(u"localTime"_s).toDouble(), (1740823200123 - year2001) / 1000.0);
    QCOMPARE(QueuedCapture::fromFileJson(json), original);

    // Millisecond instants survive the double in the file, also far from 2001.
    for (qint64 ms : { qint64(0), qint64(-1), qint64(year2001 + 1), qint64(4102444800999), qint64(-2208988800001) }) {
        const QueuedCapture item { u"x"_s, utc(ms), u"UTC"_s, u"en"_s };
        QCOMPARE(QueuedCapture::fromFileJson(item.toFileJson()), item);
    }
}

void TestRecords::apiError()
{
    QCOMPARE(APIError::rejected(u"not_found"_s), APIError::rejected(u"not_found"_s));
    QVERIFY(APIError::rejected(u"not_found"_s) != APIError::rejected(u"unknown"_s));
    QVERIFY(APIError::rejected(u"not_found"_s) != APIError::server(404));
    QVERIFY(APIError::offline() != APIError::unauthorized());
    QVERIFY(APIError::server(500) != APIError::server(502));
    QCOMPARE(APIError::rejected(u"not_found"_s).toString(), u"rejected(not_found)"_s);
    QCOMPARE(APIError::server(502).toString(), u"server(502)"_s);
    QCOMPARE(APIError::offline().toString(), u"offline"_s);
    QCOMPARE(APIError::unauthorized().toString(), u"unauthorized"_s);
}

void TestRecords::hotkeyDisplay_data()
{
    QTest::addColumn<Hotkey>("hotkey");
    QTest::addColumn<QString>("display");
    QTest::newRow("default capture") << Hotkey::defaultCapture() << u"⌃⌥⌘T"_s;
    QTest::newRow("default list") << Hotkey::defaultList() << u"⌃⌥⌘L"_s;
    QTest::newRow("shift command, lower key") << Hotkey { 40, 0x0300, u"k"_s } << u"⇧⌘K"_s;
    QTest::newRow("all four") << Hotkey { 1, 0x1B00, u"s"_s } << u"⌃⌥⇧⌘S"_s;
    QTest::newRow("none") << Hotkey { 1, 0, u"ä"_s } << u"Ä"_s;
    QTest::newRow("unused bits ignored") << Hotkey { 1, 0x00FF | 0x0400 | 0x2000 | 0x0800, u"1"_s } << u"⌥1"_s;
    QTest::newRow("key shown as stored") << Hotkey { 49, 0x1000, u"Space"_s } << u"⌃SPACE"_s;
}

void TestRecords::hotkeyDisplay()
{
    QFETCH(Hotkey, hotkey);
    QFETCH(QString, display);
    QCOMPARE(hotkey.display(), display);
}

void TestRecords::carbonModifiers()
{
    QCOMPARE(Hotkey::carbonModifiers(true, true, true, true), 0x1B00u);
    QCOMPARE(Hotkey::carbonModifiers(false, false, false, true), 0x0200u);
    QCOMPARE(Hotkey::carbonModifiers(true, false, false, false), 0x0100u);
    QCOMPARE(Hotkey::carbonModifiers(false, true, false, false), 0x0800u);
    QCOMPARE(Hotkey::carbonModifiers(false, false, true, false), 0x1000u);
    QCOMPARE(Hotkey::carbonModifiers(false, false, false, false), 0u);
    QCOMPARE(Hotkey::carbonModifiers(true, true, true, false), Hotkey::defaultCapture().modifiers);
}

void TestRecords::hotkeyJson_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<Hotkey>("expected");
    const Hotkey none;
    QTest::newRow("plain") << QByteArray(R"({"keyCode":17,"modifiers":6400,"key":"T"})") << true
                           << Hotkey::defaultCapture();
    QTest::newRow("any order, unknown member")
        << QByteArray(R"({"key":"L","extra":[1],"modifiers":6400,"keyCode":37})") << true << Hotkey::defaultList();
    QTest::newRow("uint32 max") << QByteArray(R"({"keyCode":4294967295,"modifiers":0,"key":""})") << true
                                << Hotkey { 4294967295u, 0, QString() };
    QTest::newRow("key missing") << QByteArray(R"({"keyCode":17,"modifiers":6400})") << false << none;
    QTest::newRow("keyCode -1") << QByteArray(R"({"keyCode":-1,"modifiers":6400,"key":"T"})") << false << none;
    QTest::newRow("keyCode 2^32") << QByteArray(R"({"keyCode":4294967296,"modifiers":6400,"key":"T"})") << false
                                  << none;
    QTest::newRow("modifiers fraction") << QByteArray(R"({"keyCode":17,"modifiers":6400.5,"key":"T"})") << false
                                        << none;
    QTest::newRow("keyCode text") << QByteArray(R"({"keyCode":"17","modifiers":6400,"key":"T"})") << false << none;
    QTest::newRow("key number") << QByteArray(R"({"keyCode":17,"modifiers":6400,"key":5})") << false << none;
    QTest::newRow("modifiers null") << QByteArray(R"({"keyCode":17,"modifiers":null,"key":"T"})") << false << none;
    QTest::newRow("not JSON") << QByteArray("T") << false << none;
    QTest::newRow("empty") << QByteArray() << false << none;
}

void TestRecords::hotkeyJson()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, ok);
    QFETCH(Hotkey, expected);
    const auto hotkey = Hotkey::fromJson(json);
    QCOMPARE(hotkey.has_value(), ok);
    if (ok) {
        QCOMPARE(*hotkey, expected);
        QCOMPARE(Hotkey::fromJson(hotkey->toJson()), hotkey);
    }
}

void TestRecords::iconClick_data()
{
    QTest::addColumn<std::optional<QString>>("setting");
    QTest::addColumn<IconClick>("primary");
    QTest::addColumn<IconClick>("secondary");
    QTest::newRow("absent") << std::optional<QString>() << IconClick::List << IconClick::Capture;
    QTest::newRow("list") << std::optional<QString>(u"list"_s) << IconClick::List << IconClick::Capture;
    QTest::newRow("capture") << std::optional<QString>(u"capture"_s) << IconClick::Capture << IconClick::List;
    QTest::newRow("Capture") << std::optional<QString>(u"Capture"_s) << IconClick::List << IconClick::Capture;
    QTest::newRow("empty") << std::optional<QString>(QString()) << IconClick::List << IconClick::Capture;
    QTest::newRow("padded") << std::optional<QString>(u"capture "_s) << IconClick::List << IconClick::Capture;
}

void TestRecords::iconClick()
{
    QFETCH(std::optional<QString>, setting);
    QFETCH(IconClick, primary);
    QFETCH(IconClick, secondary);
    QCOMPARE(IconClickRule::action(false, setting), primary);
    QCOMPARE(IconClickRule::action(true, setting), secondary);
    QCOMPARE((QSet<IconClick> { primary, secondary }).size(), 2);
}

void TestRecords::outcomeOf_data()
{
    QTest::addColumn<CaptureResult>("result");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("done, two") << resultOf(u"done"_s, {}, { u"A"_s, u"B"_s }) << Outcome::added({ u"A"_s, u"B"_s });
    QTest::newRow("done, none") << resultOf(u"done"_s, {}, {}) << Outcome::noTask();
    QTest::newRow("done, auth error ignored") << resultOf(u"done"_s, u"claude_auth"_s, {}) << Outcome::noTask();
    QTest::newRow("pending") << resultOf(u"pending"_s, {}, {}) << Outcome::waiting();
    QTest::newRow("pending, sign-in") << resultOf(u"pending"_s, u"claude_auth"_s, {}) << Outcome::renewSignIn();
    QTest::newRow("pending, other error") << resultOf(u"pending"_s, u"Claude_auth"_s, {}) << Outcome::waiting();
    QTest::newRow("failed, sign-in") << resultOf(u"failed"_s, u"claude_auth"_s, {}) << Outcome::failed();
    QTest::newRow("unknown status") << resultOf(u"queued"_s, {}, { u"A"_s }) << Outcome::failed();
    QTest::newRow("Done capitalised") << resultOf(u"Done"_s, {}, { u"A"_s }) << Outcome::failed();
    QTest::newRow("empty status") << resultOf(QString(), QString(), {}) << Outcome::failed();
}

void TestRecords::outcomeOf()
{
    QFETCH(CaptureResult, result);
    QFETCH(Outcome, outcome);
    QCOMPARE(Outcome::of(result), outcome);
}

void TestRecords::outcomeIdentity()
{
    // Equal outcomes have equal texts and unequal ones unequal texts, whatever the titles contain.
    const QList<Outcome> outcomes {
        Outcome::waiting(),
        Outcome::noTask(),
        Outcome::renewSignIn(),
        Outcome::failed(),
        Outcome::added({}),
        Outcome::added({ u"A"_s }),
        Outcome::added({ u"A"_s, u"A"_s }),
        Outcome::added({ u"A,A"_s }),
        Outcome::added({ u"A\",\"A"_s }),
        Outcome::added({ u"A"_s, u""_s }),
        Outcome::added({ u""_s }),
        Outcome::added({ u"waiting"_s }),
        Outcome::added({ u"line\nbreak"_s }),
        Outcome::added({ u"a]"_s, u"b"_s }),
        Outcome::added({ u"a"_s, u"]b"_s }),
    };
    QSet<QString> texts;
    for (const Outcome &a : outcomes) {
        texts.insert(a.text());
        for (const Outcome &b : outcomes)
            QCOMPARE(a == b, a.text() == b.text());
    }
    QCOMPARE(texts.size(), outcomes.size());
    QVERIFY(Outcome::added({ u"A"_s }) != Outcome::noTask());
    const Outcome strayTitles { Outcome::Kind::Waiting, { u"x"_s } };
    QCOMPARE(strayTitles, Outcome::waiting());
    QCOMPARE(strayTitles.text(), Outcome::waiting().text());
    QCOMPARE(Outcome::added({ u"A"_s, u"B"_s }).text(), u"added [\"A\",\"B\"]"_s);
    QCOMPARE(Outcome::renewSignIn().text(), u"renewSignIn"_s);
}

QTEST_GUILESS_MAIN(TestRecords)
#include "test_records.moc"
