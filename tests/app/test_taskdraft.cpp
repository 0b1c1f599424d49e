// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "quiblytest.h"
#include "taskdraft.h"

#include <QJsonDocument>
#include <QTest>

namespace {
const QTimeZone kyiv("Europe/Kyiv");
const QDateTime now(QDate(2025, 3, 1), QTime(9, 30), QTimeZone::utc());

TaskItem task(std::optional<QString> dueDate = {}, std::optional<QDateTime> dueAt = {})
{
    TaskItem t;
    t.id = 7;
    t.title = u"Call Olena"_qs;
    t.description = u"about the invoice"_qs;
    t.priority = Priority::Medium;
    t.dueDate = std::move(dueDate);
    t.dueAt = std::move(dueAt);
    t.createdAt = now;
    t.updatedAt = now;
    return t;
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

using Edit = std::function<void(TaskDraft &)>;
} // namespace

Q_DECLARE_METATYPE(Edit)

class TaskDraftTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QuiblyTest::failOnUnexpectedWarnings(); }

    void draftOfUntouchedTask()
    {
        const QDateTime at(QDate(2025, 3, 4), QTime(15, 0), QTimeZone::utc());
        auto d = TaskDraft::from(task(std::nullopt, at), kyiv, now);
        QVERIFY(d.hasDeadline && d.hasTime);
        QCOMPARE(d.deadline, at);

        d = TaskDraft::from(task(u"2025-03-05"_qs), kyiv, now);
        QVERIFY(d.hasDeadline && !d.hasTime);
        QCOMPARE(d.deadline, QDate(2025, 3, 5).startOfDay(kyiv));

        d = TaskDraft::from(task(), kyiv, now);
        QVERIFY(!d.hasDeadline && !d.hasTime);
        QCOMPARE(d.deadline, now);
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
        TaskDraft draft = TaskDraft::from(original, kyiv, now);
        edit(draft);
        QCOMPARE(json(draft.changes(newest, kyiv)), expected);
    }
};

QTEST_GUILESS_MAIN(TaskDraftTest)
#include "test_taskdraft.moc"
