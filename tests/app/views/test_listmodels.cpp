// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "capture.h"
#include "capturelistmodel.h"
#include "ordering.h"
#include "quiblytest.h"
#include "rowlistmodel.h"
#include "taskdraft.h"
#include "taskeditorstate.h"
#include "tasklistmodel.h"
#include "taskstyle.h"
#include "translations.h"
#include "viewfixture.h"

#include <QAbstractItemModelTester>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using Edit = std::function<void(TaskEditorState &)>;
using DraftEdit = std::function<void(TaskDraft &)>;
Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(DraftEdit)
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {
const QTimeZone kyiv("Europe/Kyiv");
const QDateTime draftNow(QDate(2025, 3, 1), QTime(9, 30), QTimeZone::utc());
// Monday 10 March 2025, noon in Kyiv.
const QDateTime styleNow = QDateTime::fromString(u"2025-03-10T12:00:00+02:00"_s, Qt::ISODate);

QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toUTC();
}

// A task record as the service sends it, with a day or a time as its deadline.
TaskItem item(std::optional<QString> dueDate = {}, std::optional<QDateTime> dueAt = {})
{
    TaskItem t;
    t.id = 7;
    t.title = u"Call Olena"_s;
    t.description = u"about the invoice"_s;
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

QVariantMap task(qint64 id, const QString &title, QVariantMap extra = {})
{
    extra.insert(u"id"_s, id);
    extra.insert(u"title"_s, title);
    return extra;
}

// The rows' keys in order, each one character long in these tests.
QString keys(const RowListModel &model)
{
    QString result;
    for (const auto &row : model.rows())
        result += row.key;
    return result;
}

QVariant role(const TaskListModel &model, const QString &key, TaskListModel::Role role)
{
    return model.data(model.index(model.rowOf(key)), role);
}
class KeyedModel : public RowListModel
{
public:
    KeyedModel()
        : RowListModel({ "key", "text" })
    { }

    // Rows named by single letters, each with the letter as its text: "A" is row "a" with a new text.
    void set(const QString &letters)
    {
        QList<Row> rows;
        for (QChar letter : letters)
            rows.append({ QString(letter.toLower()), { QString(letter.toLower()), QString(letter) } });
        replaceRows(rows);
    }
};

} // namespace

// The C++ side of the list: the row diffing, the task and capture models, the editor's state and
// its working copy (TaskDraft), the texts a task row shows (TaskStyle).
class ListModelsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ViewFixture> m_fixture;
    QDateTime m_now;

    void load(const QVariantList &tasks, const QVariantList &captures = {})
    {
        const int before = m_fixture->refreshes();
        m_fixture->load(tasks, captures);
        QTRY_COMPARE(m_fixture->refreshes(), before + 1);
    }

    TaskItem loaded(const QVariantMap &task)
    {
        load({ task });
        return m_fixture->store()->tasks().value(0);
    }

    std::unique_ptr<TaskListModel> taskModel()
    {
        auto model = std::make_unique<TaskListModel>();
        model->setClock([this] { return m_now; }, kyiv);
        model->setStore(m_fixture->store());
        return model;
    }

private Q_SLOTS:
    void init()
    {
        QuiblyTest::failOnUnexpectedWarnings();
        Translations::install({ u"en"_s });
        m_fixture = std::make_unique<ViewFixture>();
        // Monday 10 March 2025, 21:00 in Kyiv.
        m_now = QDateTime::fromString(u"2025-03-10T19:00:00Z"_s, Qt::ISODate);
    }

    void cleanup() { m_fixture.reset(); }

    void openTasksInOrderThenDoneOnRequest()
    {
        const QVariantList tasks {
            task(1, u"Low"_s, { { u"priority"_s, u"low"_s } }),
            task(2, u"Done"_s, { { u"done_at"_s, u"2025-03-09T10:00:00Z"_s }, { u"due_date"_s, u"2025-03-10"_s } }),
            task(3, u"Due today"_s, { { u"due_date"_s, u"2025-03-10"_s } }),
            task(4, u"High"_s, { { u"priority"_s, u"high"_s } }),
        };
        load(tasks);
        auto model = taskModel();
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);

        QCOMPARE(keys(*model), u"341"_s);
        QCOMPARE(model->openCount(), 3);
        QCOMPARE(model->doneCount(), 1);
        QCOMPARE(role(*model, u"3"_s, TaskListModel::UrgentRole).toBool(), true);
        QCOMPARE(role(*model, u"3"_s, TaskListModel::DeadlineTextRole).toString(), u"Today"_s);
        QCOMPARE(role(*model, u"4"_s, TaskListModel::SummaryRole).toString(), u"High, No deadline"_s);

        QSignalSpy inserted(model.get(), &QAbstractItemModel::rowsInserted);
        model->setShowDone(true);
        QCOMPARE(keys(*model), u"3412"_s);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(role(*model, u"2"_s, TaskListModel::SectionRole).toString(), u"done"_s);
        // Due the same day as an urgent task, but done.
        QCOMPARE(role(*model, u"2"_s, TaskListModel::UrgentRole).toBool(), false);
        QCOMPARE(role(*model, u"2"_s, TaskListModel::DeadlineTextRole).toString(), u"Today"_s);
        model->setShowDone(false);
        QCOMPARE(model->count(), 3);
    }

    // One task expanded at a time; its editor survives refreshes and, as an expansion, the task's absence.
    void expansionSurvivesRefreshesAndTheTasksAbsence()
    {
        const QVariantList both { task(1, u"One"_s), task(2, u"Two"_s) };
        load(both);
        auto model = taskModel();
        model->expand(u"1"_s);
        model->editor()->setTitle(u"Unsaved"_s);
        model->expand(u"2"_s);
        QCOMPARE(role(*model, u"1"_s, TaskListModel::ExpandedRole).toBool(), false);
        QCOMPARE(role(*model, u"2"_s, TaskListModel::ExpandedRole).toBool(), true);
        QPointer<TaskEditorState> editor = model->editor();
        QCOMPARE(editor->taskId(), u"2"_s);
        editor->setTitle(u"Typed by the user"_s);

        load({ task(1, u"One"_s), task(2, u"Two, renamed elsewhere"_s) });
        QCOMPARE(model->editor(), editor.data());
        QCOMPARE(editor->title(), u"Typed by the user"_s);
        QCOMPARE(editor->task().title, u"Two, renamed elsewhere"_s);

        // Done elsewhere: the working copy goes, the expansion stays for the task's return.
        load({ task(1, u"One"_s), task(2, u"Two"_s, { { u"done_at"_s, u"2025-03-10T10:00:00Z"_s } }) });
        QCOMPARE(model->editor(), nullptr);
        QTRY_VERIFY(!editor);
        QCOMPARE(model->expandedId(), u"2"_s);

        load(both);
        QVERIFY(model->editor());
        QCOMPARE(model->editor()->title(), u"Two"_s);
        model->expand(u"1"_s);
        QCOMPARE(model->editor()->title(), u"One"_s); // the unsaved edit went with its editor
        model->collapse();
        QCOMPARE(model->editor(), nullptr);
        QCOMPARE(model->expandedId(), QString());
    }

    void textsChangeAtTheNextBoundary()
    {
        // Due tomorrow at 09:00 Kyiv time; "now" is 21:00 the day before. (ICU 72 puts a narrow
        // no-break space before the day period.)
        load({ task(1, u"Timed"_s, { { u"due_at"_s, u"2025-03-11T07:00:00Z"_s } }),
               task(2, u"Later"_s, { { u"due_date"_s, u"2025-03-11"_s } }) });
        auto model = taskModel();
        const QDateTime midnight = QDateTime::fromString(u"2025-03-10T22:00:00Z"_s, Qt::ISODate);
        QCOMPARE(model->nextBoundary(), midnight);
        QCOMPARE(role(*model, u"1"_s, TaskListModel::DeadlineTextRole).toString(), u"Tomorrow, 9:00\u202FAM"_s);

        QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
        m_now = midnight.addSecs(1);
        auto *timer = model->findChild<QTimer *>();
        QVERIFY(timer && timer->isActive());
        QMetaObject::invokeMethod(timer, "timeout");
        QCOMPARE(role(*model, u"1"_s, TaskListModel::DeadlineTextRole).toString(), u"Today, 9:00\u202FAM"_s);
        QCOMPARE(role(*model, u"2"_s, TaskListModel::UrgentRole).toBool(), true);
        QCOMPARE(changed.count(), 2);
        // The next boundary is now the timed deadline, before the next midnight.
        QCOMPARE(model->nextBoundary(), QDateTime::fromString(u"2025-03-11T07:00:00Z"_s, Qt::ISODate));

        m_now = model->nextBoundary().addSecs(1);
        QMetaObject::invokeMethod(timer, "timeout");
        QCOMPARE(role(*model, u"1"_s, TaskListModel::OverdueRole).toBool(), true);
    }

    // A failed capture is failed whatever its error; a pending one may wait for a sign-in.
    void captureRowsSayWhatTheServiceDoes()
    {
        const auto capture = [](const QString &id, const QString &status, const QString &error) {
            return QVariantMap { { u"id"_s, id }, { u"status"_s, status }, { u"error"_s, error } };
        };
        load({},
             { capture(u"c1"_s, u"pending"_s, {}), capture(u"c2"_s, u"pending"_s, u"claude_auth"_s),
               capture(u"c3"_s, u"failed"_s, u"claude_auth"_s) });
        CaptureListModel model;
        model.setStore(m_fixture->store());
        const auto text = [&](int row) { return model.data(model.index(row), CaptureListModel::StateTextRole); };
        const auto failed = [&](int row) { return model.data(model.index(row), CaptureListModel::FailedRole); };
        QCOMPARE(text(0).toString(), qtTrId("list.recognising"));
        QCOMPARE(text(1).toString(), qtTrId("list.waiting_sign_in"));
        QCOMPARE(text(2).toString(), qtTrId("list.failed"));
        QCOMPARE(failed(0).toBool() || failed(1).toBool(), false);
        QCOMPARE(failed(2).toBool(), true);
    }

    void appliesTheNewListWithFewOperations_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("insertions");
        QTest::addColumn<int>("removals");
        QTest::addColumn<int>("moves");
        QTest::addColumn<int>("changes");

        QTest::newRow("first load is one insertion") << u""_s << u"abcdef"_s << 1 << 0 << 0 << 0;
        QTest::newRow("unchanged") << u"abc"_s << u"abc"_s << 0 << 0 << 0 << 0;
        QTest::newRow("one new at the top") << u"abc"_s << u"xabc"_s << 1 << 0 << 0 << 0;
        QTest::newRow("runs of new rows") << u"abc"_s << u"xyaczw"_s << 2 << 1 << 0 << 0;
        QTest::newRow("one gone") << u"abcd"_s << u"abd"_s << 0 << 1 << 0 << 0;
        QTest::newRow("runs of gone rows") << u"abcdefg"_s << u"adg"_s << 0 << 2 << 0 << 0;
        QTest::newRow("everything gone") << u"abc"_s << u""_s << 0 << 1 << 0 << 0;
        QTest::newRow("last to first is one move") << u"abcde"_s << u"eabcd"_s << 0 << 0 << 1 << 0;
        QTest::newRow("first to last is one move") << u"abcde"_s << u"bcdea"_s << 0 << 0 << 1 << 0;
        QTest::newRow("swap of neighbours") << u"abcd"_s << u"acbd"_s << 0 << 0 << 1 << 0;
        QTest::newRow("reversed") << u"abcd"_s << u"dcba"_s << 0 << 0 << 3 << 0;
        QTest::newRow("all at once") << u"abcdef"_s << u"fxbdyc"_s << 2 << 2 << 2 << 0;
        QTest::newRow("a row moved and changed") << u"abc"_s << u"cAb"_s << 0 << 0 << 1 << 1;
    }

    void appliesTheNewListWithFewOperations()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, insertions);
        QFETCH(int, removals);
        QFETCH(int, moves);
        QFETCH(int, changes);

        KeyedModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.set(before);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.set(after);

        QCOMPARE(keys(model), after.toLower());
        QCOMPARE(inserted.count(), insertions);
        QCOMPARE(removed.count(), removals);
        QCOMPARE(moved.count(), moves);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(changed.count(), changes);
        // A changed row sends only itself and the roles that changed.
        for (const auto &arguments : changed) {
            const int row = arguments.at(0).toModelIndex().row();
            QCOMPARE(arguments.at(1).toModelIndex().row(), row);
            QCOMPARE(arguments.at(2).value<QList<int>>(), QList<int> { Qt::UserRole + 1 });
            QCOMPARE(model.data(model.index(row), Qt::UserRole + 1).toString(), QString(after.at(row)));
        }
    }

    void anyShuffleEndsInTheNewOrder()
    {
        // Random lists against random lists: the result is always the new list, and the
        // model stays consistent for its views at every step.
        QRandomGenerator random(20260307);
        const QString alphabet = u"abcdefghijklmnopqrstuvwxyz"_s;
        KeyedModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int round = 0; round < 300; ++round) {
            QString order = alphabet;
            std::shuffle(order.begin(), order.end(), random);
            order.truncate(random.bounded(alphabet.size() + 1));
            model.set(order);
            QCOMPARE(keys(model), order);
        }
    }

    void pickersChangeTheDeadlineInTheUsersZone_data()
    {
        QTest::addColumn<QVariantMap>("task");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QByteArray>("fields");

        const QVariantMap day { { u"id"_s, 1 }, { u"due_date"_s, u"2025-03-15"_s } };
        const QVariantMap timed { { u"id"_s, 1 }, { u"due_at"_s, u"2025-03-15T16:30:00Z"_s } };
        const QVariantMap none { { u"id"_s, 1 } };
        const auto row = [](const char *name, const QVariantMap &task, const char *fields, const Edit &edit) {
            QTest::newRow(name) << task << edit << QByteArray(fields);
        };
        row("untouched time", timed, "{}", [](TaskEditorState &) {});
        row("another day", day, R"({"due_date":"2025-03-20"})", [](TaskEditorState &s) { s.setDate(2025, 3, 20); });
        row("time added to a day", day, R"({"due_at":"2025-03-15T16:30:00Z"})", [](TaskEditorState &s) {
            s.setHasTime(true);
            s.setTime(18, 30);
        });
        // Summer time begins in Kyiv on 30 March: the same 18:30 is an hour earlier in UTC.
        row("day moved across the clock change", timed, R"({"due_at":"2025-04-02T15:30:00Z"})",
            [](TaskEditorState &s) { s.setDate(2025, 4, 2); });
        row("a day that does not exist is refused", day, "{}", [](TaskEditorState &s) { s.setDate(2025, 2, 30); });
        row("deadline given to a task without one", none, R"({"due_date":"2031-12-24"})", [](TaskEditorState &s) {
            s.setHasDeadline(true);
            s.setDate(2031, 12, 24);
        });
        row("priority out of range ignored", none, "{}", [](TaskEditorState &s) { s.setPriority(7); });
    }

    void pickersChangeTheDeadlineInTheUsersZone()
    {
        QFETCH(QVariantMap, task);
        QFETCH(Edit, edit);
        QFETCH(QByteArray, fields);
        TaskEditorState state(m_fixture->store(), loaded(task), kyiv);
        edit(state);
        QCOMPARE(QJsonDocument(state.changes()).toJson(QJsonDocument::Compact), fields);
    }

    // The pickers' texts follow the chosen deadline and, like the priority names, the language.
    void textsFollowTheDeadlineAndTheLanguage()
    {
        TaskEditorState state(m_fixture->store(),
                              loaded({ { u"id"_s, 1 }, { u"due_at"_s, u"2025-03-15T16:30:00Z"_s } }), kyiv);
        QCOMPARE(state.year(), 2025);
        QCOMPARE(state.hour(), 18);
        QCOMPARE(state.dayText(), u"Mar 15, 2025"_s);
        QCOMPARE(state.timeText(), u"6:30\u202FPM"_s);
        QVERIFY(!state.uses24Hour());
        Translations::install({ u"uk"_s });
        QCOMPARE(state.timeText(), u"18:30"_s);
        QVERIFY(state.uses24Hour());
        QCOMPARE(TaskStyle::name(Priority::High), u"Високий"_s);
        Translations::install({ u"en"_s });
        QCOMPARE(TaskStyle::name(Priority::Low), u"Low"_s);
    }

    // The thumbnail is asked for once per editor; a missing image is no problem worth a line.
    void thumbnailIsLoadedOnce_data()
    {
        QTest::addColumn<QString>("capture");
        QTest::addColumn<bool>("present");
        QTest::newRow("image") << u"cap-1"_s << true;
        QTest::newRow("image gone") << u"cap-1"_s << false;
        QTest::newRow("no capture") << QString() << false;
    }
    void thumbnailIsLoadedOnce()
    {
        QFETCH(QString, capture);
        QFETCH(bool, present);
        m_fixture->serveImage(u"cap-1"_s, present);
        QVariantMap record { { u"id"_s, 1 } };
        if (!capture.isEmpty())
            record.insert(u"capture_id"_s, capture);
        const TaskItem task = loaded(record);
        TaskEditorState state(m_fixture->store(), task, kyiv);
        QSignalSpy thumbnail(&state, &TaskEditorState::thumbnailChanged);
        const auto asked = [this] { return m_fixture->requestCount(u"GET"_s, u"/captures/cap-1/image"_s); };
        QTRY_COMPARE(asked(), capture.isEmpty() ? 0 : 1);
        if (present) {
            QTRY_COMPARE(thumbnail.count(), 1);
            QCOMPARE(state.thumbnail().size(), QSize(128, 80));
        }
        state.setTask(task);
        QTest::qWait(100);
        QCOMPARE(asked(), capture.isEmpty() ? 0 : 1);
        QCOMPARE(state.thumbnail().isNull(), !present);
        QCOMPARE(m_fixture->store()->problemText(), QString());
    }

    void editorClosedBeforeTheThumbnailArrives()
    {
        auto reply = FakeService::Reply::bytes(200, QByteArray(), "image/png");
        reply.delay = 200ms;
        m_fixture->service()->on("GET", "/captures/cap-2/image", reply);
        auto state = std::make_unique<TaskEditorState>(
            m_fixture->store(), loaded({ { u"id"_s, 1 }, { u"capture_id"_s, u"cap-2"_s } }), kyiv);
        QTRY_COMPARE(m_fixture->service()->requests("GET", "/captures/cap-2/image").size(), 1);
        state.reset();
        // The answer comes to an editor that is gone: nothing happens, nothing crashes.
        QTest::qWait(400);
    }

    void changes_data()
    {
        QTest::addColumn<TaskItem>("original");
        QTest::addColumn<DraftEdit>("edit");
        QTest::addColumn<TaskItem>("newest");
        QTest::addColumn<QByteArray>("expected");

        const auto row = [](const char *name, const TaskItem &original, const char *expected, const DraftEdit &edit) {
            QTest::newRow(name) << original << edit << original << QByteArray(expected);
        };
        auto renamed = item();
        renamed.title = u"Call Olena back"_s;

        row("title blank keeps the old", item(), R"({"priority":"high"})", [](TaskDraft &d) {
            d.title = u"   "_s;
            d.priority = Priority::High;
        });
        row("title only padded", item(), "{}", [](TaskDraft &d) { d.title = u"  Call Olena \n"_s; });
        row("title changed, trimmed", item(), R"({"title":"Call Ivan"})",
            [](TaskDraft &d) { d.title = u" Call Ivan "_s; });
        row("local day differs from UTC day", item(std::nullopt, utc("2025-03-04T22:30:00Z")),
            R"({"due_date":"2025-03-05"})", [](TaskDraft &d) { d.hasTime = false; });
        row("time switched on", item(u"2025-03-05"_s), R"({"due_at":"2025-03-05T12:15:30Z"})", [](TaskDraft &d) {
            d.hasTime = true;
            d.deadline = QDateTime(QDate(2025, 3, 5), QTime(14, 15, 30, 500), QTimeZone("Europe/Kyiv"));
        });
        row("deadline added to a task without one", item(), R"({"due_date":"2025-03-01"})",
            [](TaskDraft &d) { d.hasDeadline = true; });
        QTest::newRow("newest record renamed meanwhile")
            << item() << DraftEdit([](TaskDraft &) {}) << renamed << QByteArray(R"({"title":"Call Olena"})");
    }

    void changes()
    {
        QFETCH(TaskItem, original);
        QFETCH(DraftEdit, edit);
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

        const auto date = [](const char *text) { return item(QString::fromLatin1(text), std::nullopt); };
        const auto time = [](const char *iso) { return item(std::nullopt, utc(iso)); };

        const auto row = [](const char *name, const char *language, const TaskItem &task, const QString &label) {
            QTest::newRow(name) << QString::fromLatin1(language) << task << label;
        };
        row("uk today", "uk", date("2025-03-10"), u"Сьогодні"_s);
        row("uk today with time", "uk", time("2025-03-10T18:30:00+02:00"), u"Сьогодні, 18:30"_s);
        row("uk yesterday", "uk", date("2025-03-09"), u"Учора"_s);
        row("en in five days", "en", date("2025-03-15"), u"March 15"_s);
        row("uk in five days", "uk", date("2025-03-15"), u"15 березня"_s);
        row("uk long overdue", "uk", date("2025-02-01"), u"1 лютого"_s);
        // 22:30 UTC is already the next day in Kyiv: both the day and the time are Kyiv's.
        row("uk day and time in the user's zone", "uk", time("2025-03-12T22:30:00Z"), u"13 березня, 00:30"_s);
        row("en no deadline", "en", item(), u"No deadline"_s);
        row("uk unreadable date", "uk", date("2025/03/15"), u"Без терміну"_s);
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
        const auto row = [](const char *name, std::optional<QString> app, std::optional<QString> person,
                            std::optional<QString> label) { QTest::newRow(name) << app << person << label; };
        row("neither", {}, {}, {});
        row("person only", {}, u"Anna"_s, u"Anna"_s);
        row("both", u"Slack"_s, u"Anna"_s, u"Slack, Anna"_s);
        row("empty app still counts", QString(), u"Anna"_s, u", Anna"_s);
    }
    void source()
    {
        QFETCH(std::optional<QString>, app);
        QFETCH(std::optional<QString>, person);
        QFETCH(std::optional<QString>, label);
        TaskItem t = item(std::nullopt, std::nullopt);
        t.sourceApp = app;
        t.sourcePerson = person;
        QCOMPARE(TaskStyle::source(t), label);
    }
};

QTEST_GUILESS_MAIN(ListModelsTest)
#include "test_listmodels.moc"
