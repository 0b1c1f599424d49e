// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Task extraction from recognised text: which lines become tasks, their titles, deadlines,
// priorities and sources, in both languages and across time zones.
#include "deadlineparser.h"
#include "taskextractor.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace {
// "title | priority | due | person", due being a date, an instant in UTC, or empty.
QString describe(const RecognizedTask &task)
{
    QString due;
    if (task.dueAt)
        due = task.dueAt->toUTC().toString(Qt::ISODate);
    else if (task.dueDate)
        due = *task.dueDate;
    return task.title + u" | "_s + task.priority + u" | "_s + due + u" | "_s + task.sourcePerson.value_or(QString());
}

QStringList describeAll(const QList<RecognizedTask> &tasks)
{
    QStringList out;
    for (const RecognizedTask &t : tasks)
        out << describe(t);
    return out;
}

// Wednesday 11 March 2026, 10:00 in Kyiv (UTC+2).
const QString wednesdayKyiv = u"2026-03-11T08:00:00Z"_s;
} // namespace

class TestExtraction : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void extract_data();
    void extract();
    void extractLaidOut_data();
    void extractLaidOut();
    void extractScreens_data();
    void extractScreens();
    void sameInstantDiffersByZone();
    void missingCaptureTimeCountsFromNow();
    void resultIsUnchangedByCallingFromManyThreads();
    void deadlineParser_data();
    void deadlineParser();
};

void TestExtraction::extract_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("localTime");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("expected");

    const QString kyiv = u"Europe/Kyiv"_s;
    const QString newYork = u"America/New_York"_s;

    QTest::newRow("check boxes, checked skipped")
        << u"[ ] Buy milk\n- [ ] Call Anna tomorrow\n[x] Pay rent\n☐ Book flights by Friday\n☑ Renew passport\n- [X] Old"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Buy milk | medium |  | "_s, u"Call Anna | medium | 2026-03-12 | "_s,
                         u"Book flights | medium | 2026-03-13 | "_s };
    QTest::newRow("what OCR makes of boxes")
        << u"O Buy milk\n0 Call mom\n[] Walk the dog\n□ Water the plants\n[v] Done already\n|] Feed the cat"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Buy milk | medium |  | "_s, u"Call mom | medium |  | "_s, u"Walk the dog | medium |  | "_s,
                         u"Water the plants | medium |  | "_s, u"Feed the cat | medium |  | "_s };
    QTest::newRow("weekdays count from the local date")
        << u"- Send invoice Friday\n- Team lunch on Wednesday\n- Plan sprint next Wednesday\n- Review PR by Mon"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Send invoice | medium | 2026-03-13 | "_s, u"Team lunch | medium | 2026-03-11 | "_s,
                         u"Plan sprint | medium | 2026-03-18 | "_s, u"Review PR | medium | 2026-03-16 | "_s };
    QTest::newRow("time of day gives an instant in the capture's zone")
        << u"- Call Bob tomorrow at 2pm\n- Submit timesheet by 5 pm\n- Standup 09:30"_s << u"2026-03-11T14:00:00Z"_s
        << newYork << u"en"_s
        << QStringList { u"Call Bob | medium | 2026-03-12T18:00:00Z | "_s,
                         u"Submit timesheet | medium | 2026-03-11T21:00:00Z | "_s,
                         u"Standup | medium | 2026-03-11T13:30:00Z | "_s };
    QTest::newRow("written dates")
        << u"1. Submit report 2026-04-01\n2. Pay the fine 15.03\n3. Renew insurance 01.02.2027\n"
           u"4. Send the draft by March 20\n5. File taxes by 5 Jan\n6) Order 12th of April"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Submit report | medium | 2026-04-01 | "_s,   u"Pay the fine | medium | 2026-03-15 | "_s,
                         u"Renew insurance | medium | 2027-02-01 | "_s, u"Send the draft | medium | 2026-03-20 | "_s,
                         u"File taxes | medium | 2027-01-05 | "_s,      u"Order | medium | 2026-04-12 | "_s };
    QTest::newRow("numbers that are no deadline")
        << u"- Read chapter 3.5\n- Release version 1.2.3\n- Buy 2 apples"_s << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Read chapter 3.5 | medium |  | "_s, u"Release version 1.2.3 | medium |  | "_s,
                         u"Buy 2 apples | medium |  | "_s };
    QTest::newRow("priority words leave the title")
        << u"- URGENT: fix the build\n- Reply to Anna asap\n- Clean the garage someday\n- !! Deploy hotfix\n"
           u"- Read the book (low)\n- Not urgent: update docs\n* High priority: renew the domain"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Fix the build | high |  | "_s,   u"Reply to Anna | high |  | "_s,
                         u"Clean the garage | low |  | "_s, u"Deploy hotfix | high |  | "_s,
                         u"Read the book | low |  | "_s,    u"Update docs | low |  | "_s,
                         u"Renew the domain | high |  | "_s };
    QTest::newRow("a word inside a title is no priority")
        << u"- Fix low battery warning\n- Buy a slow cooker"_s << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Fix low battery warning | medium |  | "_s, u"Buy a slow cooker | medium |  | "_s };
    QTest::newRow("the person a task came from")
        << u"- From Anna: send the slides\n- Review the contract (from Mark Twain)\n- Fix the login page - from Olga"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Send the slides | medium |  | Anna"_s, u"Review the contract | medium |  | Mark Twain"_s,
                         u"Fix the login page | medium |  | Olga"_s };
    QTest::newRow("Ukrainian") << u"☐ Купити молоко\n☐ Подзвонити мамі до п’ятниці\n☐ Здати звіт у понеділок\n"
                                  u"☐ Оплатити інтернет 20 березня\n☑ Зроблено давно\n☐ Записатися до лікаря в середу"_s
                               << wednesdayKyiv << kyiv << u"uk"_s
                               << QStringList { u"Купити молоко | medium |  | "_s,
                                                u"Подзвонити мамі | medium | 2026-03-13 | "_s,
                                                u"Здати звіт | medium | 2026-03-16 | "_s,
                                                u"Оплатити інтернет | medium | 2026-03-20 | "_s,
                                                u"Записатися до лікаря | medium | 2026-03-11 | "_s };
    QTest::newRow("Ukrainian times, priorities and persons")
        << u"- Терміново: оплатити рахунок сьогодні\n- Колись прочитати книгу\n- Від Анни: надіслати звіт завтра о "
           u"14:00\n"
           u"- Зробити: записатися до стоматолога до 12.03\n- Не терміново: помити вікна\n- Відповісти Олегу післязавтра"_s
        << wednesdayKyiv << kyiv << u"uk"_s
        << QStringList { u"Оплатити рахунок | high | 2026-03-11 | "_s,
                         u"Прочитати книгу | low |  | "_s,
                         u"Надіслати звіт | medium | 2026-03-12T12:00:00Z | Анна"_s,
                         u"Записатися до стоматолога | medium | 2026-03-12 | "_s,
                         u"Помити вікна | low |  | "_s,
                         u"Відповісти Олегу | medium | 2026-03-13 | "_s };
    QTest::newRow("a deadline across the change to summer time")
        << u"- Забрати посилку завтра о 10:00"_s << u"2026-03-28T09:00:00Z"_s << kyiv << u"uk"_s
        << QStringList { u"Забрати посилку | medium | 2026-03-29T07:00:00Z | "_s };
    QTest::newRow("wrapped lines, indented")
        << u"- [ ] Send the quarterly report to the\n      finance team by Friday\n- [ ] Book a table"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Send the quarterly report to the finance team | medium | 2026-03-13 | "_s,
                         u"Book a table | medium |  | "_s };
    QTest::newRow("wrapped lines, lower case goes on")
        << u"1. Prepare the slides for the\nquarterly review with every-\none in the team\n2. Email Bob"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Prepare the slides for the quarterly review with everyone in the team | medium |  | "_s,
                         u"Email Bob | medium |  | "_s };
    QTest::newRow("prose has no tasks")
        << u"Hello team,\nThe meeting went well. We discussed the roadmap for the next quarter.\nThanks!"_s
        << wednesdayKyiv << kyiv << u"en"_s << QStringList {};
    QTest::newRow("short imperative lines in a list")
        << u"Weekend\n\nBuy milk\nCall the plumber\nPick up the kids at 17:00\n\nThe weather was great."_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Buy milk | medium |  | "_s, u"Call the plumber | medium |  | "_s,
                         u"Pick up the kids | medium | 2026-03-11T15:00:00Z | "_s };
    QTest::newRow("a lone imperative sentence is no list")
        << u"Dear Anna,\n\nSend me the file when you can.\n\nBest, Bob"_s << wednesdayKyiv << kyiv << u"en"_s
        << QStringList {};
    QTest::newRow("Ukrainian imperative list")
        << u"Купити хліб\nЗабрати костюм з хімчистки\nНаписати Ігорю"_s << wednesdayKyiv << kyiv << u"uk"_s
        << QStringList { u"Купити хліб | medium |  | "_s, u"Забрати костюм з хімчистки | medium |  | "_s,
                         u"Написати Ігорю | medium |  | "_s };
    QTest::newRow("a heading opens a list and lends its day")
        << u"Tomorrow:\nDentist 10:00\nGym\n\nTo do:\nMilk and eggs\nPassport photos"_s << wednesdayKyiv << kyiv
        << u"en"_s
        << QStringList { u"Dentist | medium | 2026-03-12T08:00:00Z | "_s, u"Gym | medium | 2026-03-12 | "_s,
                         u"Milk and eggs | medium |  | "_s, u"Passport photos | medium |  | "_s };
    QTest::newRow("TODO prefix") << u"TODO: rotate the API keys\nTODO migrate the database\nTo do: water the plants"_s
                                 << wednesdayKyiv << kyiv << u"en"_s
                                 << QStringList { u"Rotate the API keys | medium |  | "_s,
                                                  u"Migrate the database | medium |  | "_s,
                                                  u"Water the plants | medium |  | "_s };
    QTest::newRow("what OCR makes of round boxes, and file names that start with todo")
        << u"todo.txt - Text Editor\n\n(_) Reply to the recruiter\n(_.) Pack the camera\n[ І Fix the tap"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Reply to the recruiter | medium |  | "_s, u"Pack the camera | medium |  | "_s,
                         u"Fix the tap | medium |  | "_s };
    QTest::newRow("TODO comments in code, and the code around them")
        << u"int parse(const QString &text)\n{\n    // TODO: handle the timeout error\n    auto tokens = "
           u"tokenize(text);\n"
           u"    # FIXME remove the legacy parser by Friday\n    return tokens.size();\n}"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Handle the timeout error | medium |  | "_s,
                         u"Remove the legacy parser | medium | 2026-03-13 | "_s };
    QTest::newRow("a menu bar is no list of imperatives")
        << u"File Edit View Window Help\nFile the tax return\n\nMail File Edit View Window’ Help\n——"_s << wednesdayKyiv
        << kyiv << u"en"_s << QStringList {};
    QTest::newRow("unknown zone falls back to UTC")
        << u"- Pay rent today"_s << u"2026-03-11T23:30:00Z"_s << u"Nowhere/Atlantis"_s << u"en"_s
        << QStringList { u"Pay rent | medium | 2026-03-11 | "_s };
    QTest::newRow("items under a done heading are finished")
        << u"Errands\n- pick up the parcel\n- buy stamps\n\nDone:\n- pay the water bill\n\nЗроблено:\n- сплатити за "
           u"газ\n\n"
           u"Completed (2)\n[ ] Renew the permit"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"pick up the parcel | medium |  | "_s, u"buy stamps | medium |  | "_s };
    QTest::newRow("form check boxes, statements and decisions are no tasks")
        << u"[ ] Send me the newsletter\n[x] I have read the privacy notice\n☐ Надсилати мені новини\n\nDecisions\n"
           u"- We will move the standup to 9:30.\n- The budget stays as it is.\n\nAction items:\n"
           u"- Draft the Q2 roadmap by Friday"_s
        << wednesdayKyiv << kyiv << u"en"_s << QStringList { u"Draft the Q2 roadmap | medium | 2026-03-13 | "_s };
    QTest::newRow("todo.txt: priorities, finished lines, due: and tags")
        << u"(A) Call the plumber due:2026-03-12\nx 2026-03-09 Pay the electricity bill\nEmail the landlord @home "
           u"+flat\n"
           u"(C) Sort the photos"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Call the plumber | high | 2026-03-12 | "_s, u"Email the landlord | medium |  | "_s,
                         u"Sort the photos | low |  | "_s };
    QTest::newRow("numbered lines stay apart and a weekday after for is the deadline")
        << u"1. Cancel the internet contract\n2. Order packing boxes\n3. Book the movers for Saturday"_s
        << wednesdayKyiv << kyiv << u"en"_s
        << QStringList { u"Cancel the internet contract | medium |  | "_s, u"Order packing boxes | medium |  | "_s,
                         u"Book the movers | medium | 2026-03-14 | "_s };
    QTest::newRow("a TODO comment after code, and a box OCR glued to the item")
        << u"int attempts = 0; // TODO handle timeouts\nORun the migration on staging"_s << wednesdayKyiv << kyiv
        << u"en"_s
        << QStringList { u"Handle timeouts | medium |  | "_s, u"Run the migration on staging | medium |  | "_s };
    QTest::newRow("OCR noise: look-alike letters of the other script, a verb glued to its article")
        << u"- Kупити хліб\n- Fixthe gate\n- Зaбрати пocилку"_s << wednesdayKyiv << kyiv << u"uk"_s
        << QStringList { u"Купити хліб | medium |  | "_s, u"Fix the gate | medium |  | "_s,
                         u"Забрати посилку | medium |  | "_s };
    QTest::newRow("a marker with nothing readable is dropped")
        << u"- urgent\n- ©\n- tomorrow\n[ ] ok"_s << wednesdayKyiv << kyiv << u"en"_s << QStringList {};
}

void TestExtraction::extract()
{
    QFETCH(QString, text);
    QFETCH(QString, localTime);
    QFETCH(QString, zone);
    QFETCH(QString, language);
    QFETCH(QStringList, expected);

    const TaskExtractor::Context context { QDateTime::fromString(localTime, Qt::ISODate), zone, language };
    QVERIFY(context.localTime.isValid());
    const QList<RecognizedTask> tasks = TaskExtractor::extract(text.split(u'\n'), context);
    QCOMPARE(describeAll(tasks), expected);
    for (const RecognizedTask &t : tasks) {
        QVERIFY(!(t.dueAt && t.dueDate));
        QCOMPARE(t.description, QString());
        QVERIFY(!t.sourceApp);
    }
}

Q_DECLARE_METATYPE(QList<TextLine>)

void TestExtraction::extractLaidOut_data()
{
    // Lines as OCR lays them out: text, left, top, height, first of a block.
    QTest::addColumn<QList<TextLine>>("lines");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("a side bar between the lines of a list")
        << QList<TextLine> { { u"Inbox"_s, 60, 100, 20, true },  { u"Buy bread and cheese"_s, 700, 100, 20, true },
                             { u"Sent"_s, 60, 140, 20, true },   { u"Call aunt Mary tonight"_s, 700, 130, 20, true },
                             { u"Drafts"_s, 60, 180, 20, true }, { u"Bring the blue suitcase"_s, 700, 160, 20, true } }
        << QStringList { u"Buy bread and cheese | medium |  | "_s, u"Call aunt Mary | medium | 2026-03-11 | "_s,
                         u"Bring the blue suitcase | medium |  | "_s };
    QTest::newRow("a wrapped item is indented under its text, whatever its first letter")
        << QList<TextLine> { { u"[ ] Send the signed contract to the"_s, 700, 100, 20, true },
                             { u"Legal team by Friday"_s, 740, 124, 20, false },
                             { u"[ ] Reply to Olga"_s, 700, 160, 20, false } }
        << QStringList { u"Send the signed contract to the Legal team | medium | 2026-03-13 | "_s,
                         u"Reply to Olga | medium |  | "_s };
    QTest::newRow("text level with an item in another column is not its continuation")
        << QList<TextLine> { { u"[ ] Buy milk"_s, 100, 100, 20, true }, { u"sunny, 12 degrees"_s, 900, 104, 20, true } }
        << QStringList { u"Buy milk | medium |  | "_s };
    QTest::newRow("a rule OCR read as dashes does not gather the side bar into an item")
        << QList<TextLine> { { u"——"_s, 0, 52, 52, true },
                             { u"inbox"_s, 58, 140, 21, true },
                             { u"Sent"_s, 58, 208, 21, true },
                             { u"- Send the invoice"_s, 601, 434, 29, true } }
        << QStringList { u"Send the invoice | medium |  | "_s };
    QTest::newRow("a paragraph below a gap does not continue an item")
        << QList<TextLine> { { u"- Buy milk"_s, 100, 100, 20, true },
                             { u"and then we went home."_s, 100, 200, 20, true } }
        << QStringList { u"Buy milk | medium |  | "_s };
    QTest::newRow("a heading stands apart from its list, which ends at the next gap")
        << QList<TextLine> { { u"To do"_s, 700, 100, 30, true },
                             { u"Milk"_s, 700, 160, 20, true },
                             { u"Eggs"_s, 700, 190, 20, false },
                             { u"Notes from the meeting"_s, 700, 400, 20, true } }
        << QStringList { u"Milk | medium |  | "_s, u"Eggs | medium |  | "_s };
}

void TestExtraction::extractScreens_data()
{
    // Lines of whole screens, as OCR lays them out: text, left, top, height.
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("chat: requests lose their politeness, bylines give the sender, stamps are no deadlines")
        << QList<QStringList> { { u"Anna Koval 10:42 AM"_s, u"590"_s, u"270"_s, u"23"_s },
                                { u"! | Could you send the slides by Monday?"_s, u"506"_s, u"304"_s, u"29"_s },
                                { u"Taras Bondar 10:44 AM"_s, u"590"_s, u"394"_s, u"23"_s },
                                { u"Sure, the standup moved to 9:30 tomorrow."_s, u"592"_s, u"432"_s, u"29"_s },
                                { u"Olena Shevchenko 10:51 AM"_s, u"590"_s, u"502"_s, u"23"_s },
                                { u"Please review the pricing page by Friday"_s, u"592"_s, u"536"_s, u"29"_s },
                                { u"Message #design"_s, u"500"_s, u"640"_s, u"23"_s } }
        << QStringList { u"Send the slides | medium | 2026-03-16 | Anna Koval"_s,
                         u"Review the pricing page | medium | 2026-03-13 | Olena Shevchenko"_s };
    QTest::newRow("messenger: the name above, the time at the end of the message")
        << QList<QStringList> { { u"Мама"_s, u"650"_s, u"200"_s, u"21"_s },
                                { u"Можеш купити хліб по дорозі додому? 09:12"_s, u"650"_s, u"232"_s, u"29"_s },
                                { u"Оля"_s, u"650"_s, u"550"_s, u"21"_s },
                                { u"Не забудь привітати бабусю! 0931"_s, u"650"_s, u"582"_s, u"29"_s },
                                { u"Вечеря о 19:00 у бабусі 09:40"_s, u"650"_s, u"710"_s, u"29"_s } }
        << QStringList { u"Купити хліб по дорозі додому | medium |  | Мама"_s,
                         u"Привітати бабусю | medium |  | Оля"_s };
    QTest::newRow("board: cards under counted columns, labels and chips belong to their card, Done is finished")
        << QList<QStringList> { { u"To do 3"_s, u"52"_s, u"218"_s, u"23"_s },
                                { u"Done 3"_s, u"1770"_s, u"220"_s, u"21"_s },
                                { u"Write the FAQ page"_s, u"72"_s, u"292"_s, u"29"_s },
                                { u"Choose a font pairing"_s, u"1789"_s, u"288"_s, u"37"_s },
                                { u"Content Mar 14"_s, u"73"_s, u"332"_s, u"17"_s },
                                { u"Design"_s, u"1790"_s, u"326"_s, u"21"_s },
                                { u"Fix the broken footer links"_s, u"74"_s, u"420"_s, u"23"_s },
                                { u"Bug"_s, u"74"_s, u"454"_s, u"21"_s } }
        << QStringList { u"Write the FAQ page | medium | 2026-03-14 | "_s,
                         u"Fix the broken footer links | medium |  | "_s };
    QTest::newRow("table: the task column with its due cell, done rows left out")
        << QList<QStringList> { { u"Task"_s, u"329"_s, u"213"_s, u"41"_s },
                                { u"Owner"_s, u"924"_s, u"213"_s, u"41"_s },
                                { u"[x] ue"_s, u"1335"_s, u"219"_s, u"23"_s },
                                { u"Status"_s, u"1801"_s, u"219"_s, u"23"_s },
                                { u"Order new laptops"_s, u"334"_s, u"279"_s, u"31"_s },
                                { u"Dmytro"_s, u"929"_s, u"269"_s, u"45"_s },
                                { u"2026-03-13"_s, u"1335"_s, u"281"_s, u"23"_s },
                                { u"Open"_s, u"1800"_s, u"281"_s, u"29"_s },
                                { u"Update the price list"_s, u"335"_s, u"341"_s, u"31"_s },
                                { u"Olha"_s, u"928"_s, u"341"_s, u"25"_s },
                                { u"Done"_s, u"1801"_s, u"343"_s, u"23"_s },
                                { u"Plan the team offsite"_s, u"335"_s, u"403"_s, u"25"_s },
                                { u"Taras"_s, u"923"_s, u"399"_s, u"39"_s },
                                { u"Mar 16"_s, u"1335"_s, u"405"_s, u"23"_s } }
        << QStringList { u"Order new laptops | medium | 2026-03-13 | "_s,
                         u"Plan the team offsite | medium | 2026-03-16 | "_s };
    QTest::newRow("furniture: a side bar holding a heading word, the address, stamps and buttons")
        << QList<QStringList> { { u"https://notes.example.com/n/42"_s, u"194"_s, u"40"_s, u"29"_s },
                                { u"Нотатки"_s, u"30"_s, u"92"_s, u"21"_s },
                                { u"Поділитися"_s, u"1300"_s, u"92"_s, u"21"_s },
                                { u"Справи"_s, u"30"_s, u"150"_s, u"27"_s },
                                { u"Ідеї для відпустки"_s, u"30"_s, u"206"_s, u"29"_s },
                                { u"Рецепти"_s, u"30"_s, u"266"_s, u"25"_s },
                                { u"Edited 10 Mar, 21:14"_s, u"550"_s, u"166"_s, u"27"_s },
                                { u"Зробити:"_s, u"550"_s, u"223"_s, u"30"_s },
                                { u"Купити лампочки"_s, u"550"_s, u"284"_s, u"27"_s },
                                { u"Полити квіти"_s, u"550"_s, u"342"_s, u"23"_s },
                                { u"Save Cancel"_s, u"550"_s, u"420"_s, u"23"_s } }
        << QStringList { u"Купити лампочки | medium |  | "_s, u"Полити квіти | medium |  | "_s };
}

void TestExtraction::extractScreens()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(QStringList, expected);
    QList<TextLine> lines;
    for (const QStringList &r : rows) {
        const int height = r.at(3).toInt();
        // About half as wide per letter as the line is high.
        lines << TextLine {
            r.at(0), r.at(1).toInt(), r.at(2).toInt(), height, false, int(r.at(0).size()) * height / 2
        };
    }
    const TaskExtractor::Context context { QDateTime::fromString(wednesdayKyiv, Qt::ISODate), u"Europe/Kyiv"_s,
                                           u"en"_s };
    QCOMPARE(describeAll(TaskExtractor::extract(lines, context)), expected);
}

void TestExtraction::extractLaidOut()
{
    QFETCH(QList<TextLine>, lines);
    QFETCH(QStringList, expected);
    const TaskExtractor::Context context { QDateTime::fromString(wednesdayKyiv, Qt::ISODate), u"Europe/Kyiv"_s,
                                           u"en"_s };
    QCOMPARE(describeAll(TaskExtractor::extract(lines, context)), expected);
}

void TestExtraction::sameInstantDiffersByZone()
{
    // 23:30 UTC is already Thursday in Kyiv but still Wednesday evening in New York.
    const QDateTime instant = QDateTime::fromString(u"2026-03-11T23:30:00Z"_s, Qt::ISODate);
    const QStringList lines { u"- Pay rent today"_s, u"- Call the bank on Friday"_s };
    const auto kyiv = TaskExtractor::extract(lines, { instant, u"Europe/Kyiv"_s, u"en"_s });
    const auto newYork = TaskExtractor::extract(lines, { instant, u"America/New_York"_s, u"en"_s });
    QCOMPARE(describeAll(kyiv),
             (QStringList { u"Pay rent | medium | 2026-03-12 | "_s, u"Call the bank | medium | 2026-03-13 | "_s }));
    QCOMPARE(describeAll(newYork),
             (QStringList { u"Pay rent | medium | 2026-03-11 | "_s, u"Call the bank | medium | 2026-03-13 | "_s }));
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

void TestExtraction::resultIsUnchangedByCallingFromManyThreads()
{
    // The recognizer runs extraction on several workers at once.
    const QStringList lines { u"☐ Подзвонити мамі до п'ятниці"_s, u"- Call Bob tomorrow at 2pm"_s, u"- !! Deploy"_s };
    const TaskExtractor::Context context { QDateTime::fromString(wednesdayKyiv, Qt::ISODate), u"Europe/Kyiv"_s,
                                           u"uk"_s };
    const QStringList expected = describeAll(TaskExtractor::extract(lines, context));
    QCOMPARE(expected.size(), 3);
    QList<QStringList> results(8);
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back(QThread::create([&, i] {
            for (int n = 0; n < 20; ++n)
                results[i] = describeAll(TaskExtractor::extract(lines, context));
        }));
        threads.back()->start();
    }
    for (auto &t : threads)
        QVERIFY(t->wait(60000));
    for (const QStringList &r : results)
        QCOMPARE(r, expected);
}

void TestExtraction::deadlineParser_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("remainder");

    QTest::newRow("none") << u"Buy milk"_s << QString() << QString() << u"Buy milk"_s;
    QTest::newRow("range keeps its start")
        << u"Meeting 14:00-15:30 today"_s << u"2026-03-11"_s << u"14:00"_s << u"Meeting"_s;
    QTest::newRow("12 am is midnight") << u"Backup at 12am"_s << QString() << u"00:00"_s << u"Backup"_s;
    QTest::newRow("12:30 pm") << u"Lunch 12:30 pm"_s << QString() << u"12:30"_s << u"Lunch"_s;
    QTest::newRow("invalid date is left alone") << u"Ticket 31.02"_s << QString() << QString() << u"Ticket 31.02"_s;
    QTest::newRow("dotted time needs a preposition") << u"Call о 14.30"_s << QString() << u"14:30"_s << u"Call"_s;
    QTest::newRow("29 February of next leap year") << u"Party 29.02"_s << u"2028-02-29"_s << QString() << u"Party"_s;
    QTest::newRow("Sunday in Ukrainian") << u"Прибрати в неділю"_s << u"2026-03-15"_s << QString() << u"Прибрати"_s;
    QTest::newRow("next Thursday in Ukrainian")
        << u"Зустріч наступного четверга"_s << u"2026-03-12"_s << QString() << u"Зустріч"_s;
    QTest::newRow("Ukrainian whole hour")
        << u"Зустріч у п'ятницю о 15-й"_s << u"2026-03-13"_s << u"15:00"_s << u"Зустріч"_s;
    QTest::newRow("Ukrainian hour is no day of the month")
        << u"Нарада о 9 год"_s << QString() << u"09:00"_s << u"Нарада"_s;
    QTest::newRow("abbreviation needs a preposition")
        << u"Buy sun cream"_s << QString() << QString() << u"Buy sun cream"_s;
    QTest::newRow("US style month first") << u"Due Apr 3, 2027"_s << u"2027-04-03"_s << QString() << QString();
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
