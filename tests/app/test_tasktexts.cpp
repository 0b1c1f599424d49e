// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// The editor's working copy of a task (TaskDraft) and the texts a task row shows (TaskStyle).
#include "quiblytest.h"
#include "taskdraft.h"
#include "taskstyle.h"
#include "translations.h"

#include <QJsonDocument>
#include <QTest>
#include <QTimeZone>

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {
const QTimeZone kyiv("Europe/Kyiv");
const QDateTime draftNow(QDate(2025, 3, 1), QTime(9, 30), QTimeZone::utc());
// Monday 10 March 2025, noon in Kyiv.
const QDateTime styleNow = QDateTime::fromString(u"2025-03-10T12:00:00+02:00"_qs, Qt::ISODate);

QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toUTC();
}

TaskItem task(std::optional<QString> dueDate = {}, std::optional<QDateTime> dueAt = {})
{
    TaskItem t;
    t.id = 7;
    t.title = u"Call Olena"_qs;
    t.description = u"about the invoice"_qs;
    t.priority = Priority::Medium;
    t.dueDate = std::move(dueDate);
    t.dueAt = std::move(dueAt);
    t.createdAt = draftNow;
    t.updatedAt = draftNow;
    return t;
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

using Edit = std::function<void(TaskDraft &)>;
} // namespace

Q_DECLARE_METATYPE(Edit)

class TaskTextsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QuiblyTest::failOnUnexpectedWarnings(); }

    void draftOfUntouchedTask()
    {
        const QDateTime at(QDate(2025, 3, 4), QTime(15, 0), QTimeZone::utc());
        auto d = TaskDraft::from(task(std::nullopt, at), kyiv, draftNow);
        QVERIFY(d.hasDeadline && d.hasTime);
        QCOMPARE(d.deadline, at);

        d = TaskDraft::from(task(u"2025-03-05"_qs), kyiv, draftNow);
        QVERIFY(d.hasDeadline && !d.hasTime);
        QCOMPARE(d.deadline, QDate(2025, 3, 5).startOfDay(kyiv));

        d = TaskDraft::from(task(), kyiv, draftNow);
        QVERIFY(!d.hasDeadline && !d.hasTime);
        QCOMPARE(d.deadline, draftNow);
        QCOMPARE(d.title, u"Call Olena"_qs);
        QCOMPARE(d.details, u"about the invoice"_qs);
    }

    void changes_data()
    {
        QTest::addColumn<TaskItem>("original");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<TaskItem>("newest");
        QTest::addColumn<QByteArray>("expected");

        const QDateTime at(QDate(2025, 3, 4), QTime(15, 0), QTimeZone::utc()); // 17:00 in Kyiv
        const auto none = [](TaskDraft &) {};
        auto renamed = task();
        renamed.title = u"Call Olena back"_qs;

        QTest::newRow("nothing changed") << task() << Edit(none) << task() << QByteArray("{}");
        QTest::newRow("title blank keeps the old") << task() << Edit([](TaskDraft &d) {
            d.title = u"   "_qs;
            d.priority = Priority::High;
        }) << task() << QByteArray(R"({"priority":"high"})");
        QTest::newRow("title only padded")
            << task() << Edit([](TaskDraft &d) { d.title = u"  Call Olena \n"_qs; }) << task() << QByteArray("{}");
        QTest::newRow("title changed, trimmed") << task() << Edit([](TaskDraft &d) { d.title = u" Call Ivan "_qs; })
                                                << task() << QByteArray(R"({"title":"Call Ivan"})");
        QTest::newRow("description keeps a trailing space")
            << task() << Edit([](TaskDraft &d) { d.details += u' '; }) << task()
            << QByteArray(R"({"description":"about the invoice "})");
        QTest::newRow("day untouched") << task(u"2025-03-05"_qs) << Edit(none) << task(u"2025-03-05"_qs)
                                       << QByteArray("{}");
        QTest::newRow("time switched off, same day")
            << task(std::nullopt, at) << Edit([](TaskDraft &d) { d.hasTime = false; }) << task(std::nullopt, at)
            << QByteArray(R"({"due_date":"2025-03-04"})");
        QTest::newRow("local day differs from UTC day")
            << task(std::nullopt, QDateTime(QDate(2025, 3, 4), QTime(22, 30), QTimeZone::utc()))
            << Edit([](TaskDraft &d) { d.hasTime = false; })
            << task(std::nullopt, QDateTime(QDate(2025, 3, 4), QTime(22, 30), QTimeZone::utc()))
            << QByteArray(R"({"due_date":"2025-03-05"})");
        QTest::newRow("time switched on") << task(u"2025-03-05"_qs) << Edit([](TaskDraft &d) {
            d.hasTime = true;
            d.deadline = QDateTime(QDate(2025, 3, 5), QTime(14, 15, 30, 500), QTimeZone("Europe/Kyiv"));
        }) << task(u"2025-03-05"_qs) << QByteArray(R"({"due_at":"2025-03-05T12:15:30Z"})");
        QTest::newRow("timed deadline untouched")
            << task(std::nullopt, at) << Edit(none) << task(std::nullopt, at) << QByteArray("{}");
        QTest::newRow("deadline switched off")
            << task(u"2025-03-05"_qs) << Edit([](TaskDraft &d) { d.hasDeadline = false; }) << task(u"2025-03-05"_qs)
            << QByteArray(R"({"due_at":null,"due_date":null})");
        QTest::newRow("no deadline stays none") << task() << Edit(none) << task() << QByteArray("{}");
        QTest::newRow("deadline added to a task without one")
            << task() << Edit([](TaskDraft &d) { d.hasDeadline = true; }) << task()
            << QByteArray(R"({"due_date":"2025-03-01"})");
        QTest::newRow("newest record renamed meanwhile")
            << task() << Edit(none) << renamed << QByteArray(R"({"title":"Call Olena"})");
    }
    void changes()
    {
        QFETCH(TaskItem, original);
        QFETCH(Edit, edit);
        QFETCH(TaskItem, newest);
        QFETCH(QByteArray, expected);
        TaskDraft draft = TaskDraft::from(original, kyiv, draftNow);
        edit(draft);
        QCOMPARE(json(draft.changes(newest, kyiv)), expected);
    }

    void deadline_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<TaskItem>("task");
        QTest::addColumn<QString>("label");

        const auto date = [](const char *text) { return task(QString::fromLatin1(text), std::nullopt); };
        const auto time = [](const char *iso) { return task(std::nullopt, utc(iso)); };

        QTest::newRow("en today") << u"en"_qs << date("2025-03-10") << u"Today"_qs;
        QTest::newRow("uk today") << u"uk"_qs << date("2025-03-10") << u"Сьогодні"_qs;
        QTest::newRow("uk today with time") << u"uk"_qs << time("2025-03-10T18:30:00+02:00") << u"Сьогодні, 18:30"_qs;
        // ICU 72 puts a narrow no-break space before the day period.
        QTest::newRow("en today with time")
            << u"en"_qs << time("2025-03-10T18:30:00+02:00") << u"Today, 6:30\u202FPM"_qs;
        QTest::newRow("uk yesterday") << u"uk"_qs << date("2025-03-09") << u"Учора"_qs;
        QTest::newRow("en tomorrow early")
            << u"en"_qs << time("2025-03-11T09:05:00+02:00") << u"Tomorrow, 9:05\u202FAM"_qs;
        QTest::newRow("en in five days") << u"en"_qs << date("2025-03-15") << u"March 15"_qs;
        QTest::newRow("uk in five days") << u"uk"_qs << date("2025-03-15") << u"15 березня"_qs;
        QTest::newRow("uk long overdue") << u"uk"_qs << date("2025-02-01") << u"1 лютого"_qs;
        // 22:30 UTC is already the next day in Kyiv: both the day and the time are Kyiv's.
        QTest::newRow("uk day and time in the user's zone")
            << u"uk"_qs << time("2025-03-12T22:30:00Z") << u"13 березня, 00:30"_qs;
        QTest::newRow("en no deadline") << u"en"_qs << task(std::nullopt, std::nullopt) << u"No deadline"_qs;
        QTest::newRow("uk unreadable date") << u"uk"_qs << date("2025/03/15") << u"Без терміну"_qs;
    }
    void deadline()
    {
        QFETCH(QString, language);
        QFETCH(TaskItem, task);
        QFETCH(QString, label);
        QCOMPARE(Translations::install({ language }), language);
        QCOMPARE(TaskStyle::deadline(task, styleNow, kyiv), label);
    }

    void source_data()
    {
        QTest::addColumn<std::optional<QString>>("app");
        QTest::addColumn<std::optional<QString>>("person");
        QTest::addColumn<std::optional<QString>>("label");
        QTest::newRow("neither") << std::optional<QString>() << std::optional<QString>() << std::optional<QString>();
        QTest::newRow("person only") << std::optional<QString>() << std::optional(u"Anna"_qs)
                                     << std::optional(u"Anna"_qs);
        QTest::newRow("both") << std::optional(u"Slack"_qs) << std::optional(u"Anna"_qs)
                              << std::optional(u"Slack, Anna"_qs);
        QTest::newRow("empty app still counts")
            << std::optional(QString()) << std::optional(u"Anna"_qs) << std::optional(u", Anna"_qs);
    }
    void source()
    {
        QFETCH(std::optional<QString>, app);
        QFETCH(std::optional<QString>, person);
        QFETCH(std::optional<QString>, label);
        TaskItem t = task(std::nullopt, std::nullopt);
        t.sourceApp = app;
        t.sourcePerson = person;
        QCOMPARE(TaskStyle::source(t), label);
    }

    void priorityNames()
    {
        QCOMPARE(Translations::install({ u"uk"_qs }), u"uk"_qs);
        QCOMPARE(TaskStyle::name(Priority::High), u"Високий"_qs);
        QCOMPARE(Translations::install({ u"en"_qs }), u"en"_qs);
        QCOMPARE(TaskStyle::name(Priority::Low), u"Low"_qs);
    }
};

QTEST_GUILESS_MAIN(TaskTextsTest)
#include "test_tasktexts.moc"
