// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "quiblytest.h"
#include "taskstyle.h"
#include "translations.h"

#include <QTest>
#include <QTimeZone>

Q_DECLARE_METATYPE(TaskItem)
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {
const QTimeZone kyiv("Europe/Kyiv");
// Monday 10 March 2025, noon in Kyiv.
const QDateTime now = QDateTime::fromString(u"2025-03-10T12:00:00+02:00"_qs, Qt::ISODate);

QDateTime at(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toUTC();
}

TaskItem task(std::optional<QString> dueDate, std::optional<QDateTime> dueAt)
{
    TaskItem t;
    t.id = 1;
    t.title = u"Task"_qs;
    t.dueDate = std::move(dueDate);
    t.dueAt = std::move(dueAt);
    t.createdAt = now;
    t.updatedAt = now;
    return t;
}
} // namespace

class TaskStyleTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QuiblyTest::failOnUnexpectedWarnings(); }

    void deadline_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<TaskItem>("task");
        QTest::addColumn<QString>("label");

        const auto date = [](const char *text) { return task(QString::fromLatin1(text), std::nullopt); };
        const auto time = [](const char *iso) { return task(std::nullopt, at(iso)); };

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
        QCOMPARE(TaskStyle::deadline(task, now, kyiv), label);
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

QTEST_GUILESS_MAIN(TaskStyleTest)
#include "test_taskstyle.moc"
