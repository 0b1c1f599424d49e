// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "capture.h"
#include "capturelistmodel.h"
#include "listactions.h"
#include "ordering.h"
#include "taskeditorstate.h"
#include "tasklistmodel.h"
#include "translations.h"
#include "viewfixture.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {
const QTimeZone kyiv("Europe/Kyiv");

QVariantMap task(qint64 id, const QString &title, QVariantMap extra = {})
{
    extra.insert(u"id"_s, id);
    extra.insert(u"title"_s, title);
    return extra;
}

QStringList keys(const RowListModel &model)
{
    QStringList result;
    for (const auto &row : model.rows())
        result.append(row.key);
    return result;
}

QVariant role(const TaskListModel &model, const QString &key, TaskListModel::Role role)
{
    return model.data(model.index(model.rowOf(key)), role);
}
} // namespace

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

    std::unique_ptr<TaskListModel> taskModel()
    {
        auto model = std::make_unique<TaskListModel>();
        model->setClock([this] { return m_now; }, kyiv);
        model->setStore(m_fixture->store());
        return model;
    }

private Q_SLOTS:
    void initTestCase() { Translations::install({ u"en"_s }); }

    void init()
    {
        m_fixture = std::make_unique<ViewFixture>();
        // Monday 10 March 2025, 21:00 in Kyiv.
        m_now = QDateTime::fromString(u"2025-03-10T19:00:00Z"_s, Qt::ISODate);
    }

    void cleanup() { m_fixture.reset(); }

    void openTasksInOrderThenDoneOnRequest()
    {
        const QVariantList tasks {
            task(1, u"Low"_s, { { u"priority"_s, u"low"_s } }),
            task(2, u"Done"_s, { { u"done_at"_s, u"2025-03-09T10:00:00Z"_s } }),
            task(3, u"Due today"_s, { { u"due_date"_s, u"2025-03-10"_s } }),
            task(4, u"High"_s, { { u"priority"_s, u"high"_s } }),
        };
        load(tasks);
        auto model = taskModel();
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);

        QCOMPARE(keys(*model), (QStringList { u"3"_s, u"4"_s, u"1"_s }));
        QCOMPARE(model->openCount(), 3);
        QCOMPARE(model->doneCount(), 1);
        QCOMPARE(role(*model, u"3"_s, TaskListModel::UrgentRole).toBool(), true);
        QCOMPARE(role(*model, u"3"_s, TaskListModel::DeadlineTextRole).toString(), u"Today"_s);
        QCOMPARE(role(*model, u"4"_s, TaskListModel::SummaryRole).toString(), u"High, No deadline"_s);

        QSignalSpy inserted(model.get(), &QAbstractItemModel::rowsInserted);
        model->setShowDone(true);
        QCOMPARE(keys(*model), (QStringList { u"3"_s, u"4"_s, u"1"_s, u"2"_s }));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(role(*model, u"2"_s, TaskListModel::SectionRole).toString(), u"done"_s);
        model->setShowDone(false);
        QCOMPARE(model->count(), 3);
    }

    void refreshThatChangesOneTaskUpdatesOneRow()
    {
        load({ task(1, u"One"_s), task(2, u"Two"_s), task(3, u"Three"_s) });
        auto model = taskModel();
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
        QSignalSpy inserted(model.get(), &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(model.get(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(model.get(), &QAbstractItemModel::modelReset);

        load({ task(1, u"One"_s), task(2, u"Two, renamed"_s), task(3, u"Three"_s) });

        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), model->rowOf(u"2"_s));
        QCOMPARE(changed.at(0).at(2).value<QList<int>>(), QList<int> { TaskListModel::TitleRole });
        QCOMPARE(inserted.count() + removed.count() + reset.count(), 0);
    }

    void expansionSurvivesRefreshesAndTheTasksAbsence()
    {
        const QVariantList both { task(1, u"One"_s), task(2, u"Two"_s) };
        load(both);
        auto model = taskModel();
        model->expand(u"2"_s);
        QPointer<TaskEditorState> editor = model->editor();
        QVERIFY(editor);
        editor->setTitle(u"Typed by the user"_s);
        QCOMPARE(role(*model, u"2"_s, TaskListModel::ExpandedRole).toBool(), true);

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
        QCOMPARE(role(*model, u"2"_s, TaskListModel::ExpandedRole).toBool(), true);
    }

    void oneTaskExpandedAtATime()
    {
        load({ task(1, u"One"_s), task(2, u"Two"_s),
               task(3, u"Done"_s, { { u"done_at"_s, u"2025-03-10T10:00:00Z"_s } }) });
        auto model = taskModel();
        model->setShowDone(true);
        model->expand(u"1"_s);
        model->editor()->setTitle(u"Unsaved"_s);
        model->expand(u"2"_s);
        QCOMPARE(role(*model, u"1"_s, TaskListModel::ExpandedRole).toBool(), false);
        QCOMPARE(role(*model, u"2"_s, TaskListModel::ExpandedRole).toBool(), true);
        QCOMPARE(model->editor()->taskId(), u"2"_s);

        // Done tasks never open; the open one stays.
        model->expand(u"3"_s);
        QCOMPARE(model->expandedId(), u"2"_s);

        model->expand(u"1"_s);
        QCOMPARE(model->editor()->title(), u"One"_s);
        model->collapse();
        QCOMPARE(model->editor(), nullptr);
        QCOMPARE(model->expandedId(), QString());
    }

    void textsChangeAtTheNextBoundary()
    {
        // Due tomorrow at 09:00 Kyiv time; "now" is 21:00 the day before.
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

    void captureRowsSayWhatTheServiceDoes_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("failed");
        QTest::newRow("pending") << u"pending"_s << u""_s << qtTrId("list.recognising") << false;
        QTest::newRow("pending, sign-in")
            << u"pending"_s << u"claude_auth"_s << qtTrId("list.waiting_sign_in") << false;
        QTest::newRow("failed whatever the error") << u"failed"_s << u"claude_auth"_s << qtTrId("list.failed") << true;
    }

    void captureRowsSayWhatTheServiceDoes()
    {
        QFETCH(QString, status);
        QFETCH(QString, error);
        QFETCH(QString, text);
        QFETCH(bool, failed);
        load({}, { QVariantMap { { u"id"_s, u"c1"_s }, { u"status"_s, status }, { u"error"_s, error } } });
        CaptureListModel model;
        model.setStore(m_fixture->store());
        QCOMPARE(model.count(), 1);
        QCOMPARE(model.data(model.index(0), CaptureListModel::StateTextRole).toString(), text);
        QCOMPARE(model.data(model.index(0), CaptureListModel::FailedRole).toBool(), failed);
    }

    void addFieldTitles_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<std::optional<QString>>("title");
        QTest::newRow("spaces and a line break") << u"  Pay rent \n"_s << std::optional(u"Pay rent"_s);
        QTest::newRow("only white space") << u" \t\n\u00a0\u2003"_s << std::optional<QString>();
        QTest::newRow("inner space kept") << u"a  b"_s << std::optional(u"a  b"_s);
        QTest::newRow("right to left") << u" שלום "_s << std::optional(u"שלום"_s);
        QTest::newRow("empty") << u""_s << std::optional<QString>();
    }

    void addFieldTitles()
    {
        QFETCH(QString, typed);
        QFETCH(std::optional<QString>, title);
        QCOMPARE(ListActions::trimmedTitle(typed), title);
    }
};

QTEST_GUILESS_MAIN(ListModelsTest)
#include "test_listmodels.moc"
