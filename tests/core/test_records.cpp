// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "capture.h"
#include "hotkey.h"
#include "iconclick.h"
#include "outcome.h"
#include "quiblytest.h"
#include "taskitem.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
QDateTime utc(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

const qint64 year2001 = 978307200000;

CaptureResult resultOf(const QString &status, const QString &error, const QStringList &titles)
{
    CaptureResult result { Capture { u"c"_s, status, error, utc(0), u"UTC"_s, u"en"_s, utc(0) }, {} };
    for (const QString &title : titles)
        result.tasks.append(TaskItem { 1, {}, title, {}, Priority::Low, {}, {}, {}, {}, {}, utc(0), utc(0) });
    return result;
}
} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QuiblyTest::failOnUnexpectedWarnings(); }

    // The queue's metadata files: seconds since 2001 as a double, members in any order.
    void queuedFileForm_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<std::optional<qint64>>("ms"); // since 1970; none: refused
        const auto row = [](const char *name, const char *json, std::optional<qint64> ms) {
            QTest::newRow(name) << QByteArray(json) << ms;
        };
        row("zero is 2001", R"({"id":"a","localTime":0,"timeZone":"UTC","language":"en"})", year2001);
        row("any order, fraction", R"({"language":"uk","timeZone":"Europe/Kyiv","localTime":762345600.25,"id":"a"})",
            year2001 + 762345600250);
        row("rounds to nearest ms", R"({"id":"a","localTime":1.0006,"timeZone":"UTC","language":"en"})",
            year2001 + 1001);
        row("before 2001", R"({"id":"a","localTime":-86400.5,"timeZone":"UTC","language":"en"})", year2001 - 86400500);
        row("unknown member", R"({"id":"a","localTime":0,"timeZone":"UTC","language":"en","v":2,"x":{"y":null}})",
            year2001);
        row("id missing", R"({"localTime":0,"timeZone":"UTC","language":"en"})", {});
        row("language missing", R"({"id":"a","localTime":0,"timeZone":"UTC"})", {});
        row("localTime as text", R"({"id":"a","localTime":"2025-03-01T10:00:00Z","timeZone":"UTC","language":"en"})",
            {});
        row("id a number", R"({"id":5,"localTime":0,"timeZone":"UTC","language":"en"})", {});
        row("absurd time", R"({"id":"a","localTime":1e300,"timeZone":"UTC","language":"en"})", {});
        row("array", R"([{"id":"a","localTime":0,"timeZone":"UTC","language":"en"}])", {});
        row("truncated file", "{\"id\":\"a\",\"localTime\":0,\"timeZone\":\"UT", {});
    }
    void queuedFileForm()
    {
        QFETCH(QByteArray, json);
        QFETCH(std::optional<qint64>, ms);
        const auto queued = QueuedCapture::fromFileJson(json);
        QCOMPARE(queued.has_value(), ms.has_value());
        if (queued) {
            QCOMPARE(queued->localTime, utc(*ms));
            QCOMPARE(queued->id, u"a"_s);
        }
    }

    // Millisecond instants survive the double in the file, also far from 2001, and nothing else is written.
    void queuedRoundTrip()
    {
        for (qint64 ms :
             { qint64(1740823200123), qint64(-1), year2001 + 1, qint64(4102444800999), qint64(-2208988800001) }) {
            const QueuedCapture item { u"0f8fad5b-d9cb-469f-a165-70867728950e"_s, utc(ms), u"Europe/Kyiv"_s, u"uk"_s };
            QCOMPARE(QueuedCapture::fromFileJson(item.toFileJson()), item);
            QCOMPARE(QJsonDocument::fromJson(item.toFileJson()).object().size(), 4);
        }
    }

    void hotkeyDisplay_data()
    {
        QTest::addColumn<Hotkey>("hotkey");
        QTest::addColumn<QString>("display");
        QTest::newRow("default capture") << Hotkey::defaultCapture() << u"⌃⌥⌘T"_s;
        QTest::newRow("shift command, lower key") << Hotkey { 40, 0x0300, u"k"_s } << u"⇧⌘K"_s;
        QTest::newRow("none") << Hotkey { 1, 0, u"ä"_s } << u"Ä"_s;
        QTest::newRow("unused bits ignored") << Hotkey { 1, 0x00FF | 0x0400 | 0x2000 | 0x0800, u"1"_s } << u"⌥1"_s;
        // As the settings form builds them from the keys held down.
        QTest::newRow("all four") << Hotkey { 1, Hotkey::carbonModifiers(true, true, true, true), u"s"_s }
                                  << u"⌃⌥⇧⌘S"_s;
        QTest::newRow("command") << Hotkey { 1, Hotkey::carbonModifiers(true, false, false, false), u"c"_s } << u"⌘C"_s;
        QTest::newRow("option") << Hotkey { 1, Hotkey::carbonModifiers(false, true, false, false), u"o"_s } << u"⌥O"_s;
        QTest::newRow("control, key shown as stored")
            << Hotkey { 49, Hotkey::carbonModifiers(false, false, true, false), u"Space"_s } << u"⌃SPACE"_s;
        QTest::newRow("shift") << Hotkey { 1, Hotkey::carbonModifiers(false, false, false, true), u"x"_s } << u"⇧X"_s;
    }
    void hotkeyDisplay()
    {
        QFETCH(Hotkey, hotkey);
        QFETCH(QString, display);
        QCOMPARE(hotkey.display(), display);
    }

    void hotkeyJson_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<std::optional<Hotkey>>("expected");
        const auto row = [](const char *name, const char *json, std::optional<Hotkey> expected = {}) {
            QTest::newRow(name) << QByteArray(json) << expected;
        };
        row("plain", R"({"keyCode":17,"modifiers":6400,"key":"T"})", Hotkey::defaultCapture());
        row("any order, unknown member", R"({"key":"L","extra":[1],"modifiers":6400,"keyCode":37})",
            Hotkey::defaultList());
        row("uint32 max", R"({"keyCode":4294967295,"modifiers":0,"key":""})", Hotkey { 4294967295u, 0, QString() });
        row("key missing", R"({"keyCode":17,"modifiers":6400})");
        row("keyCode -1", R"({"keyCode":-1,"modifiers":6400,"key":"T"})");
        row("keyCode 2^32", R"({"keyCode":4294967296,"modifiers":6400,"key":"T"})");
        row("modifiers fraction", R"({"keyCode":17,"modifiers":6400.5,"key":"T"})");
        row("keyCode text", R"({"keyCode":"17","modifiers":6400,"key":"T"})");
        row("key number", R"({"keyCode":17,"modifiers":6400,"key":5})");
        row("not JSON", "T");
    }
    void hotkeyJson()
    {
        QFETCH(QByteArray, json);
        QFETCH(std::optional<Hotkey>, expected);
        const auto hotkey = Hotkey::fromJson(json);
        QCOMPARE(hotkey, expected);
        if (hotkey)
            QCOMPARE(Hotkey::fromJson(hotkey->toJson()), hotkey);
    }

    void iconClick_data()
    {
        QTest::addColumn<std::optional<QString>>("setting");
        QTest::addColumn<IconClick>("primary");
        QTest::newRow("absent") << std::optional<QString>() << IconClick::List;
        QTest::newRow("list") << std::optional<QString>(u"list"_s) << IconClick::List;
        QTest::newRow("capture") << std::optional<QString>(u"capture"_s) << IconClick::Capture;
        QTest::newRow("Capture") << std::optional<QString>(u"Capture"_s) << IconClick::List;
        QTest::newRow("padded") << std::optional<QString>(u"capture "_s) << IconClick::List;
    }
    void iconClick()
    {
        QFETCH(std::optional<QString>, setting);
        QFETCH(IconClick, primary);
        QCOMPARE(IconClickRule::action(false, setting), primary);
        QCOMPARE(IconClickRule::action(true, setting),
                 primary == IconClick::List ? IconClick::Capture : IconClick::List);
    }

    void outcomeOf_data()
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
    }
    void outcomeOf()
    {
        QFETCH(CaptureResult, result);
        QFETCH(Outcome, outcome);
        QCOMPARE(Outcome::of(result), outcome);
    }

    // The text is the key under which an outcome counts as announced: equal outcomes have equal
    // texts and unequal ones unequal texts, whatever the titles contain.
    void outcomeIdentity()
    {
        QList<Outcome> outcomes { Outcome::waiting(), Outcome::noTask(), Outcome::renewSignIn(), Outcome::failed(),
                                  Outcome { Outcome::Kind::Waiting, { u"x"_s } } };
        for (const QStringList &titles : QList<QStringList> { {},
                                                              { u"A"_s },
                                                              { u"A"_s, u"A"_s },
                                                              { u"A,A"_s },
                                                              { u"A\",\"A"_s },
                                                              { u"A"_s, u""_s },
                                                              { u"waiting"_s },
                                                              { u"a]"_s, u"b"_s },
                                                              { u"a"_s, u"]b"_s } })
            outcomes.append(Outcome::added(titles));
        for (const Outcome &a : outcomes) {
            for (const Outcome &b : outcomes)
                QCOMPARE(a == b, a.text() == b.text());
        }
        QCOMPARE(outcomes.at(4), Outcome::waiting()); // stray titles do not make another waiting
        QCOMPARE(Outcome::added({ u"A"_s, u"B"_s }).text(), u"added [\"A\",\"B\"]"_s);
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "test_records.moc"
