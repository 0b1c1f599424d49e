// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "taskeditorstate.h"
#include "translations.h"
#include "viewfixture.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using Edit = std::function<void(TaskEditorState &)>;
Q_DECLARE_METATYPE(Edit)

namespace {
const QTimeZone kyiv("Europe/Kyiv");
} // namespace

class TaskEditorStateTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ViewFixture> m_fixture;

    TaskItem loaded(const QVariantMap &task)
    {
        const int before = m_fixture->refreshes();
        m_fixture->load({ task });
        [&] { QTRY_COMPARE(m_fixture->refreshes(), before + 1); }();
        return m_fixture->store()->tasks().value(0);
    }

private Q_SLOTS:
    void initTestCase() { Translations::install({ u"en"_s }); }
    void init() { m_fixture = std::make_unique<ViewFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void pickersChangeTheDeadlineInTheUsersZone_data()
    {
        QTest::addColumn<QVariantMap>("task");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QByteArray>("fields");

        const QVariantMap day { { u"id"_s, 1 }, { u"due_date"_s, u"2025-03-15"_s } };
        const QVariantMap timed { { u"id"_s, 1 }, { u"due_at"_s, u"2025-03-15T16:30:00Z"_s } };
        const QVariantMap none { { u"id"_s, 1 } };

        QTest::newRow("untouched day") << day << Edit([](TaskEditorState &) {}) << QByteArray("{}");
        QTest::newRow("untouched time") << timed << Edit([](TaskEditorState &) {}) << QByteArray("{}");
        QTest::newRow("another day") << day << Edit([](TaskEditorState &s) { s.setDate(2025, 3, 20); })
                                     << QByteArray(R"({"due_date":"2025-03-20"})");
        QTest::newRow("time added to a day") << day << Edit([](TaskEditorState &s) {
            s.setHasTime(true);
            s.setTime(18, 30);
        }) << QByteArray(R"({"due_at":"2025-03-15T16:30:00Z"})");
        // Summer time begins in Kyiv on 30 March: the same 18:30 is an hour earlier in UTC.
        QTest::newRow("day moved across the clock change")
            << timed << Edit([](TaskEditorState &s) { s.setDate(2025, 4, 2); })
            << QByteArray(R"({"due_at":"2025-04-02T15:30:00Z"})");
        QTest::newRow("time switched off") << timed << Edit([](TaskEditorState &s) { s.setHasTime(false); })
                                           << QByteArray(R"({"due_date":"2025-03-15"})");
        QTest::newRow("deadline switched off") << timed << Edit([](TaskEditorState &s) { s.setHasDeadline(false); })
                                               << QByteArray(R"({"due_at":null,"due_date":null})");
        QTest::newRow("a day that does not exist is refused")
            << day << Edit([](TaskEditorState &s) { s.setDate(2025, 2, 30); }) << QByteArray("{}");
        QTest::newRow("deadline given to a task without one") << none << Edit([](TaskEditorState &s) {
            s.setHasDeadline(true);
            s.setDate(2031, 12, 24);
        }) << QByteArray(R"({"due_date":"2031-12-24"})");
        QTest::newRow("priority") << none << Edit([](TaskEditorState &s) { s.setPriority(0); })
                                  << QByteArray(R"({"priority":"high"})");
        QTest::newRow("priority out of range ignored")
            << none << Edit([](TaskEditorState &s) { s.setPriority(7); }) << QByteArray("{}");
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

    void pickerTextsFollowTheChosenDeadline()
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
        Translations::install({ u"en"_s });
    }

    void saveSendsTheChangesAndFinishes()
    {
        TaskEditorState state(m_fixture->store(), loaded({ { u"id"_s, 7 }, { u"title"_s, u"Old"_s } }), kyiv);
        QSignalSpy finished(&state, &TaskEditorState::finished);
        state.setTitle(u"  New  "_s);
        state.save();
        QVERIFY(state.busy());
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!state.busy());
        const QVariantList expected { QVariantMap { { u"title"_s, u"New"_s } } };
        QCOMPARE(m_fixture->bodies(u"PATCH"_s, u"/tasks/7"_s), expected);
    }

    void failedSaveKeepsTheWorkingCopy()
    {
        TaskEditorState state(m_fixture->store(), loaded({ { u"id"_s, 7 }, { u"title"_s, u"Old"_s } }), kyiv);
        QSignalSpy finished(&state, &TaskEditorState::finished);
        m_fixture->answerOnce(u"PATCH"_s, u"/tasks/7"_s, 500);
        state.setTitle(u"Typed"_s);
        state.setDetails(u"Line one\nline two "_s);
        state.save();
        QTRY_VERIFY(!state.busy());
        QCOMPARE(finished.count(), 0);
        QCOMPARE(state.title(), u"Typed"_s);
        QCOMPARE(state.details(), u"Line one\nline two "_s);
        QCOMPARE(m_fixture->store()->problemText(), qtTrId("list.server_error"));
    }

    void thumbnailIsLoadedOnce_data()
    {
        QTest::addColumn<bool>("present");
        QTest::newRow("image") << true;
        QTest::newRow("image gone") << false;
    }

    void thumbnailIsLoadedOnce()
    {
        QFETCH(bool, present);
        m_fixture->serveImage(u"cap-1"_s, present);
        const TaskItem task = loaded({ { u"id"_s, 1 }, { u"capture_id"_s, u"cap-1"_s } });
        TaskEditorState state(m_fixture->store(), task, kyiv);
        QSignalSpy thumbnail(&state, &TaskEditorState::thumbnailChanged);
        const QByteArray path = "/captures/cap-1/image";
        QTRY_COMPARE(m_fixture->service()->requests("GET", path).size(), 1);
        if (present) {
            QTRY_COMPARE(thumbnail.count(), 1);
            QCOMPARE(state.thumbnail().size(), QSize(128, 80));
        } else {
            QTest::qWait(100);
            QVERIFY(state.thumbnail().isNull());
            // A missing image is no problem worth a line.
            QCOMPARE(m_fixture->store()->problemText(), QString());
        }
        state.setTask(task);
        QTest::qWait(50);
        QCOMPARE(m_fixture->service()->requests("GET", path).size(), 1);
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

    void noCaptureNoImageRequest()
    {
        TaskEditorState state(m_fixture->store(), loaded({ { u"id"_s, 1 } }), kyiv);
        QTest::qWait(50);
        QCOMPARE(m_fixture->service()->requests().size(), 2); // the reload's two requests
    }
};

QTEST_GUILESS_MAIN(TaskEditorStateTest)
#include "test_taskeditorstate.moc"
