// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Task extraction from recognised text: which lines become tasks, their titles, deadlines,
// priorities and sources, in both languages and across time zones.
#include "deadlineparser.h"
#include "servicetestsupport.h"
#include "taskextractor.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestExtraction : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void extract_data();
    void extract();
    void extractScreens_data();
    void extractScreens();
    void missingCaptureTimeCountsFromNow();
    void deadlineParser_data();
    void deadlineParser();
};

void TestExtraction::extract_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("localTime");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QStringList>("expected");
    const auto row
        = [](const char *name, const QString &text, const QStringList &expected, const QString &language = u"en"_s,
             const QString &localTime = {}, const QString &zone = u"Europe/Kyiv"_s) {
              QTest::newRow(name) << text << language << localTime << zone << expected;
          };

    row("check boxes, checked skipped",
        u"[ ] Buy milk\n- [ ] Call Anna tomorrow\n[x] Pay rent\n☐ Book flights by Friday\n☑ Renew passport\n- [X] Old"_s,
        { u"Buy milk"_s, u"Call Anna | 2026-03-12"_s, u"Book flights | 2026-03-13"_s });
    row("what OCR makes of boxes",
        u"O Buy milk\n0 Call mom\n[] Walk the dog\n□ Water the plants\n[v] Done already\n|] Feed the cat"_s,
        { u"Buy milk"_s, u"Call mom"_s, u"Walk the dog"_s, u"Water the plants"_s, u"Feed the cat"_s });
    row("weekdays count from the local date",
        u"- Send invoice Friday\n- Team lunch on Wednesday\n- Plan sprint next Wednesday\n- Review PR by Mon"_s,
        { u"Send invoice | 2026-03-13"_s, u"Team lunch | 2026-03-11"_s, u"Plan sprint | 2026-03-18"_s,
          u"Review PR | 2026-03-16"_s });
    row("time of day gives an instant in the capture's zone",
        u"- Call Bob tomorrow at 2pm\n- Submit timesheet by 5 pm\n- Standup 09:30"_s,
        { u"Call Bob | 2026-03-12T18:00:00Z"_s, u"Submit timesheet | 2026-03-11T21:00:00Z"_s,
          u"Standup | 2026-03-11T13:30:00Z"_s },
        u"en"_s, u"2026-03-11T14:00:00Z"_s, u"America/New_York"_s);
    row("written dates",
        u"1. Submit report 2026-04-01\n2. Pay the fine 15.03\n3. Renew insurance 01.02.2027\n"
        u"4. Send the draft by March 20\n5. File taxes by 5 Jan\n6) Order 12th of April"_s,
        { u"Submit report | 2026-04-01"_s, u"Pay the fine | 2026-03-15"_s, u"Renew insurance | 2027-02-01"_s,
          u"Send the draft | 2026-03-20"_s, u"File taxes | 2027-01-05"_s, u"Order | 2026-04-12"_s });
    row("numbers that are no deadline", u"- Read chapter 3.5\n- Release version 1.2.3\n- Buy 2 apples"_s,
        { u"Read chapter 3.5"_s, u"Release version 1.2.3"_s, u"Buy 2 apples"_s });
    row("priority words leave the title",
        u"- URGENT: fix the build\n- Reply to Anna asap\n- Clean the garage someday\n- !! Deploy hotfix\n"
        u"- Read the book (low)\n- Not urgent: update docs\n* High priority: renew the domain\n"
        u"- Fix low battery warning\n- Buy a slow cooker"_s, // a word inside a title is no priority
        { u"Fix the build | high"_s, u"Reply to Anna | high"_s, u"Clean the garage | low"_s, u"Deploy hotfix | high"_s,
          u"Read the book | low"_s, u"Update docs | low"_s, u"Renew the domain | high"_s, u"Fix low battery warning"_s,
          u"Buy a slow cooker"_s });
    row("the person a task came from",
        u"- From Anna: send the slides\n- Review the contract (from Mark Twain)\n- Fix the login page - from Olga"_s,
        { u"Send the slides | from Anna"_s, u"Review the contract | from Mark Twain"_s,
          u"Fix the login page | from Olga"_s });
    row("Ukrainian",
        u"☐ Купити молоко\n☐ Подзвонити мамі до п’ятниці\n☐ Здати звіт у понеділок\n"
        u"☐ Оплатити інтернет 20 березня\n☑ Зроблено давно\n☐ Записатися до лікаря в середу"_s,
        { u"Купити молоко"_s, u"Подзвонити мамі | 2026-03-13"_s, u"Здати звіт | 2026-03-16"_s,
          u"Оплатити інтернет | 2026-03-20"_s, u"Записатися до лікаря | 2026-03-11"_s },
        u"uk"_s);
    row("Ukrainian times, priorities and persons",
        u"- Терміново: оплатити рахунок сьогодні\n- Колись прочитати книгу\n- Від Анни: надіслати звіт завтра о "
        u"14:00\n"
        u"- Зробити: записатися до стоматолога до 12.03\n- Не терміново: помити вікна\n- Відповісти Олегу післязавтра"_s,
        { u"Оплатити рахунок | high | 2026-03-11"_s, u"Прочитати книгу | low"_s,
          u"Надіслати звіт | 2026-03-12T12:00:00Z | from Анна"_s, u"Записатися до стоматолога | 2026-03-12"_s,
          u"Помити вікна | low"_s, u"Відповісти Олегу | 2026-03-13"_s },
        u"uk"_s);
    row("a deadline across the change to summer time", u"- Забрати посилку завтра о 10:00"_s,
        { u"Забрати посилку | 2026-03-29T07:00:00Z"_s }, u"uk"_s, u"2026-03-28T09:00:00Z"_s);
    row("wrapped lines, indented",
        u"- [ ] Send the quarterly report to the\n      finance team by Friday\n- [ ] Book a table"_s,
        { u"Send the quarterly report to the finance team | 2026-03-13"_s, u"Book a table"_s });
    row("wrapped lines, lower case goes on",
        u"1. Prepare the slides for the\nquarterly review with every-\none in the team\n2. Email Bob"_s,
        { u"Prepare the slides for the quarterly review with everyone in the team"_s, u"Email Bob"_s });
    row("prose has no tasks",
        u"Hello team,\nThe meeting went well. We discussed the roadmap for the next quarter.\nThanks!"_s, {});
    row("short imperative lines in a list",
        u"Weekend\n\nBuy milk\nCall the plumber\nPick up the kids at 17:00\n\nThe weather was great."_s,
        { u"Buy milk"_s, u"Call the plumber"_s, u"Pick up the kids | 2026-03-11T15:00:00Z"_s });
    row("a lone imperative sentence is no list", u"Dear Anna,\n\nSend me the file when you can.\n\nBest, Bob"_s, {});
    row("Ukrainian imperative list", u"Купити хліб\nЗабрати костюм з хімчистки\nНаписати Ігорю"_s,
        { u"Купити хліб"_s, u"Забрати костюм з хімчистки"_s, u"Написати Ігорю"_s }, u"uk"_s);
    row("a heading opens a list and lends its day",
        u"Tomorrow:\nDentist 10:00\nGym\n\nTo do:\nMilk and eggs\nPassport photos"_s,
        { u"Dentist | 2026-03-12T08:00:00Z"_s, u"Gym | 2026-03-12"_s, u"Milk and eggs"_s, u"Passport photos"_s });
    row("TODO prefix", u"TODO: rotate the API keys\nTODO migrate the database\nTo do: water the plants"_s,
        { u"Rotate the API keys"_s, u"Migrate the database"_s, u"Water the plants"_s });
    row("what OCR makes of round boxes, and file names that start with todo",
        u"todo.txt - Text Editor\n\n(_) Reply to the recruiter\n(_.) Pack the camera\n[ І Fix the tap"_s,
        { u"Reply to the recruiter"_s, u"Pack the camera"_s, u"Fix the tap"_s });
    row("TODO comments in code, and the code around them",
        u"int parse(const QString &text)\n{\n    // TODO: handle the timeout error\n\n"
        u"    auto tokens = tokenize(text);\n    # FIXME remove the legacy parser by Friday\n    return tokens.size();\n}"_s,
        { u"Handle the timeout error"_s, u"Remove the legacy parser | 2026-03-13"_s });
    row("a menu bar is no list of imperatives",
        u"File Edit View Window Help\nFile the tax return\n\nMail File Edit View Window’ Help\n——"_s, {});
    // 23:30 UTC is already Thursday in Kyiv but still Wednesday evening in New York.
    const QString dues = u"- Pay rent today\n- Call the bank on Friday"_s;
    const QString lateUTC = u"2026-03-11T23:30:00Z"_s;
    row("same instant, Kyiv", dues, { u"Pay rent | 2026-03-12"_s, u"Call the bank | 2026-03-13"_s }, u"en"_s, lateUTC);
    row("same instant, New York", dues, { u"Pay rent | 2026-03-11"_s, u"Call the bank | 2026-03-13"_s }, u"en"_s,
        lateUTC, u"America/New_York"_s);
    row("unknown zone falls back to UTC", dues, { u"Pay rent | 2026-03-11"_s, u"Call the bank | 2026-03-13"_s },
        u"en"_s, lateUTC, u"Nowhere/Atlantis"_s);
    row("items under a done heading are finished",
        u"Errands\n- pick up the parcel\n- buy stamps\n\nDone:\n- pay the water bill\n\nЗроблено:\n- сплатити за "
        u"газ\n\n"
        u"Completed (2)\n[ ] Renew the permit"_s,
        { u"pick up the parcel"_s, u"buy stamps"_s });
    row("form check boxes, statements and decisions are no tasks",
        u"[ ] Send me the newsletter\n[x] I have read the privacy notice\n☐ Надсилати мені новини\n\nDecisions\n"
        u"- We will move the standup to 9:30.\n- The budget stays as it is.\n\nAction items:\n"
        u"- Draft the Q2 roadmap by Friday"_s,
        { u"Draft the Q2 roadmap | 2026-03-13"_s });
    row("todo.txt: priorities, finished lines, due: and tags",
        u"(A) Call the plumber due:2026-03-12\nx 2026-03-09 Pay the electricity bill\nEmail the landlord @home +flat\n"
        u"(C) Sort the photos"_s,
        { u"Call the plumber | high | 2026-03-12"_s, u"Email the landlord"_s, u"Sort the photos | low"_s });
    row("numbered lines stay apart, a weekday after for is the deadline, a statement is none",
        u"Checklist for the move\n1. Cancel the internet contract\n2. Order packing boxes\n"
        u"3. Book the movers for Saturday\nThe new flat is ready from 20 March."_s,
        { u"Cancel the internet contract"_s, u"Order packing boxes"_s, u"Book the movers | 2026-03-14"_s });
    row("a TODO comment after code, and a box OCR glued to the item",
        u"int attempts = 0; // TODO handle timeouts\nORun the migration on staging"_s,
        { u"Handle timeouts"_s, u"Run the migration on staging"_s });
    row("OCR noise: look-alike letters of the other script, a verb glued to its article",
        u"- Kупити хліб\n- Fixthe gate\n- Зaбрати пocилку"_s,
        { u"Купити хліб"_s, u"Fix the gate"_s, u"Забрати посилку"_s }, u"uk"_s);
    row("a marker with nothing readable is dropped", u"- urgent\n- ©\n- tomorrow\n[ ] ok"_s, {});
}

void TestExtraction::extract()
{
    QFETCH(QString, text);
    QFETCH(QString, language);
    QFETCH(QString, localTime);
    QFETCH(QString, zone);
    QFETCH(QStringList, expected);

    const TaskExtractor::Context context { localTime.isEmpty() ? WednesdayInKyiv
                                                               : QDateTime::fromString(localTime, Qt::ISODate),
                                           zone, language };
    QVERIFY(context.localTime.isValid());
    const QList<RecognizedTask> tasks = TaskExtractor::extract(text.split(u'\n'), context);
    QCOMPARE(describe(tasks), expected);
    for (const RecognizedTask &t : tasks) {
        QVERIFY(!(t.dueAt && t.dueDate));
        QCOMPARE(t.description, QString());
        QVERIFY(!t.sourceApp);
    }
}

void TestExtraction::extractScreens_data()
{
    // Screens as OCR lays out their lines: left, top, height, text; "^" starts a layout block.
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("chat: requests lose their politeness, bylines give the sender, stamps are no deadlines")
        << QString(u"590 270 23 Anna Koval 10:42 AM\n506 304 29 ! | Could you send the slides by Monday?\n"
                   u"590 394 23 Taras Bondar 10:44 AM\n592 432 29 Sure, the standup moved to 9:30 tomorrow.\n"
                   u"590 502 23 Olena Shevchenko 10:51 AM\n592 536 29 Please review the pricing page by Friday\n"
                   u"500 640 23 Message #design"_s)
        << QStringList { u"Send the slides | 2026-03-16 | from Anna Koval"_s,
                         u"Review the pricing page | 2026-03-13 | from Olena Shevchenko"_s };
    QTest::newRow("messenger: the name above, the time at the end of the message")
        << QString(u"650 200 21 Мама\n650 232 29 Можеш купити хліб по дорозі додому? 09:12\n650 550 21 Оля\n"
                   u"650 582 29 Не забудь привітати бабусю! 0931\n650 710 29 Вечеря о 19:00 у бабусі 09:40"_s)
        << QStringList { u"Купити хліб по дорозі додому | from Мама"_s, u"Привітати бабусю | from Оля"_s };
    QTest::newRow("board: cards under counted columns, labels and chips belong to their card, Done is finished")
        << QString(u"52 218 23 To do 3\n1770 220 21 Done 3\n72 292 29 Write the FAQ page\n"
                   u"1789 288 37 Choose a font pairing\n73 332 17 Content Mar 14\n1790 326 21 Design\n"
                   u"74 420 23 Fix the broken footer links\n74 454 21 Bug"_s)
        << QStringList { u"Write the FAQ page | 2026-03-14"_s, u"Fix the broken footer links"_s };
    QTest::newRow("table: the task column with its due cell, done rows left out")
        << QString(u"329 213 41 Task\n924 213 41 Owner\n1335 219 23 [x] ue\n1801 219 23 Status\n"
                   u"334 279 31 Order new laptops\n929 269 45 Dmytro\n1335 281 23 2026-03-13\n1800 281 29 Open\n"
                   u"335 341 31 Update the price list\n928 341 25 Olha\n1801 343 23 Done\n"
                   u"335 403 25 Plan the team offsite\n923 399 39 Taras\n1335 405 23 Mar 16"_s)
        << QStringList { u"Order new laptops | 2026-03-13"_s, u"Plan the team offsite | 2026-03-16"_s };
    QTest::newRow("furniture: a side bar holding a heading word, the address, stamps and buttons")
        << QString(u"194 40 29 https://notes.example.com/n/42\n30 92 21 Нотатки\n1300 92 21 Поділитися\n"
                   u"30 150 27 Справи\n30 206 29 Ідеї для відпустки\n30 266 25 Рецепти\n"
                   u"550 166 27 Edited 10 Mar, 21:14\n550 223 30 Зробити:\n550 284 27 Купити лампочки\n"
                   u"550 342 23 Полити квіти\n550 420 23 Save Cancel"_s)
        << QStringList { u"Купити лампочки"_s, u"Полити квіти"_s };
    QTest::newRow("a side bar between the lines of a list")
        << QString(u"60 100 20 ^Inbox\n700 100 20 ^Buy bread and cheese\n60 140 20 ^Sent\n"
                   u"700 130 20 ^Call aunt Mary tonight\n60 180 20 ^Drafts\n700 160 20 ^Bring the blue suitcase"_s)
        << QStringList { u"Buy bread and cheese"_s, u"Call aunt Mary | 2026-03-11"_s, u"Bring the blue suitcase"_s };
    QTest::newRow("a wrapped item is indented under its text, whatever its first letter")
        << QString(u"700 100 20 ^[ ] Send the signed contract to the\n740 124 20 Legal team by Friday\n"
                   u"700 160 20 [ ] Reply to Olga"_s)
        << QStringList { u"Send the signed contract to the Legal team | 2026-03-13"_s, u"Reply to Olga"_s };
    QTest::newRow("text level with an item in another column is not its continuation")
        << QString(u"100 100 20 ^[ ] Buy milk\n900 104 20 ^sunny, 12 degrees"_s) << QStringList { u"Buy milk"_s };
    QTest::newRow("a rule OCR read as dashes does not gather the side bar into an item")
        << QString(u"0 52 52 ^——\n58 140 21 ^inbox\n58 208 21 ^Sent\n601 434 29 ^- Send the invoice"_s)
        << QStringList { u"Send the invoice"_s };
    QTest::newRow("a paragraph below a gap does not continue an item")
        << QString(u"100 100 20 ^- Buy milk\n100 200 20 ^and then we went home."_s) << QStringList { u"Buy milk"_s };
    QTest::newRow("a heading stands apart from its list, which ends at the next gap")
        << QString(u"700 100 30 ^To do\n700 160 20 ^Milk\n700 190 20 Eggs\n700 400 20 ^Notes from the meeting"_s)
        << QStringList { u"Milk"_s, u"Eggs"_s };
}

void TestExtraction::extractScreens()
{
    QFETCH(QString, screen);
    QFETCH(QStringList, expected);
    QList<TextLine> lines;
    for (const QString &r : screen.split(u'\n')) {
        const int height = r.section(u' ', 2, 2).toInt();
        QString text = r.section(u' ', 3);
        const bool blockStart = text.startsWith(u'^');
        if (blockStart)
            text.remove(0, 1);
        // About half as wide per letter as the line is high.
        lines << TextLine { text,       r.section(u' ', 0, 0).toInt(), r.section(u' ', 1, 1).toInt(), height,
                            blockStart, int(text.size()) * height / 2 };
    }
    QCOMPARE(
        describe(TaskExtractor::extract(lines, TaskExtractor::Context { WednesdayInKyiv, u"Europe/Kyiv"_s, u"en"_s })),
        expected);
}

void TestExtraction::missingCaptureTimeCountsFromNow()
{
    const QDate before = QDateTime::currentDateTimeUtc().date();
    const auto tasks
        = TaskExtractor::extract(QStringList { u"- Pay rent tomorrow"_s }, { QDateTime(), u"UTC"_s, u"en"_s });
    const QDate after = QDateTime::currentDateTimeUtc().date();
    QCOMPARE(tasks.size(), 1);
    QVERIFY(tasks.first().dueDate == before.addDays(1).toString(Qt::ISODate)
            || tasks.first().dueDate == after.addDays(1).toString(Qt::ISODate));
}

void TestExtraction::deadlineParser_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("remainder");
    const auto row = [](const char *name, const QString &text, const QString &date, const QString &time,
                        const QString &remainder) { QTest::newRow(name) << text << date << time << remainder; };
    row("none", u"Buy milk"_s, {}, {}, u"Buy milk"_s);
    row("range keeps its start", u"Meeting 14:00-15:30 today"_s, u"2026-03-11"_s, u"14:00"_s, u"Meeting"_s);
    row("12 am is midnight", u"Backup at 12am"_s, {}, u"00:00"_s, u"Backup"_s);
    row("12:30 pm", u"Lunch 12:30 pm"_s, {}, u"12:30"_s, u"Lunch"_s);
    row("invalid date is left alone", u"Ticket 31.02"_s, {}, {}, u"Ticket 31.02"_s);
    row("dotted time needs a preposition", u"Call о 14.30"_s, {}, u"14:30"_s, u"Call"_s);
    row("29 February of next leap year", u"Party 29.02"_s, u"2028-02-29"_s, {}, u"Party"_s);
    row("Sunday in Ukrainian", u"Прибрати в неділю"_s, u"2026-03-15"_s, {}, u"Прибрати"_s);
    row("next Thursday in Ukrainian", u"Зустріч наступного четверга"_s, u"2026-03-12"_s, {}, u"Зустріч"_s);
    row("Ukrainian whole hour", u"Зустріч у п'ятницю о 15-й"_s, u"2026-03-13"_s, u"15:00"_s, u"Зустріч"_s);
    row("Ukrainian hour is no day of the month", u"Нарада о 9 год"_s, {}, u"09:00"_s, u"Нарада"_s);
    row("abbreviation needs a preposition", u"Buy sun cream"_s, {}, {}, u"Buy sun cream"_s);
    row("US style month first", u"Due Apr 3, 2027"_s, u"2027-04-03"_s, {}, {});
}

void TestExtraction::deadlineParser()
{
    QFETCH(QString, text);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, remainder);
    const DeadlineParser::Match m = DeadlineParser::parse(text, QDate(2026, 3, 11));
    QCOMPARE(m.date ? m.date->toString(Qt::ISODate) : QString(), date);
    QCOMPARE(m.time ? m.time->toString(u"HH:mm"_s) : QString(), time);
    QCOMPARE(m.remainder, remainder);
}

QTEST_GUILESS_MAIN(TestExtraction)
#include "test_extraction.moc"
