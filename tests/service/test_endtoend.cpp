// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// The whole system on one machine: quibly-service on a free loopback port with its real
// recognizer, and quiblyctl in a private home, from a rendered to-do screenshot to
// done, edit and delete.

#include "quiblytest.h"

#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;
using QuiblyTest::Run;

namespace {
const QByteArray zone = "Europe/Kyiv";

QString renderTodoScreenshot(const QString &file)
{
    QImage image(1000, 360, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(26);
    painter.setFont(font);
    int y = 50;
    for (const QString &line :
         { u"To do"_s, u"[ ] Call the dentist tomorrow 14:00"_s, u"[ ] Renew the passport by 2026-12-20 urgent"_s,
           u"[ ] Water the plants someday"_s, u"[x] Buy milk"_s, u"[ ] Send the report to Olena"_s }) {
        painter.drawText(40, y, line);
        y += 50;
    }
    painter.end();
    image.save(file, "PNG");
    return file;
}

QJsonObject byTitle(const QJsonArray &tasks, const QString &title)
{
    for (const QJsonValue &task : tasks) {
        if (task.toObject().value(u"title").toString().compare(title, Qt::CaseInsensitive) == 0)
            return task.toObject();
    }
    return {};
}

// quiblyctl writes instants in its own RFC 3339 form; compare them as instants.
QDateTime instant(const QJsonValue &value)
{
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}
} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_service;
    QProcessEnvironment m_env;

    Run ctl(const QStringList &args, const QByteArray &input = {})
    {
        return QuiblyTest::run(QStringLiteral(QUIBLYCTL_EXECUTABLE), args, m_env, input, 180000);
    }

    QJsonArray list(const QStringList &extra = {})
    {
        const Run listed = ctl(QStringList { u"--json"_s, u"list"_s } + extra);
        return listed.err.isEmpty() ? QJsonDocument::fromJson(listed.out.toUtf8()).array() : QJsonArray();
    }

    QString idOf(const QString &title) { return QString::number(byTitle(list(), title).value(u"id").toInteger()); }

private Q_SLOTS:
    void init() { QuiblyTest::failOnUnexpectedWarnings(); }

    void initTestCase()
    {
        m_env = QuiblyTest::privateHome(m_dir.filePath(u"home"_s));
        m_env.insert(u"XDG_RUNTIME_DIR"_s, m_dir.path());
        m_env.insert(u"TZ"_s, QString::fromLatin1(zone));
        const QString data = m_dir.filePath(u"service"_s);
        const Run key = QuiblyTest::run(QStringLiteral(QUIBLY_SERVICE_EXECUTABLE),
                                        { u"--data"_s, data, u"keys"_s, u"create"_s, u"e2e"_s }, m_env);
        QCOMPARE(key.code, 0);

        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const QString server = u"127.0.0.1:%1"_s.arg(probe.serverPort());
        probe.close();
        m_service.setProcessEnvironment(m_env);
        m_service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_service.start(QStringLiteral(QUIBLY_SERVICE_EXECUTABLE), { u"--data"_s, data, u"--listen"_s, server });
        QVERIFY(m_service.waitForStarted());

        QCOMPARE(ctl({ u"config"_s, u"server"_s, u"http://"_s + server }).code, 0);
        QCOMPARE(ctl({ u"config"_s, u"key"_s }, key.out.trimmed().toUtf8()).code, 0);
        // The service may still be starting: the first list waits for it.
        QVERIFY(QTest::qWaitFor([&] { return ctl({ u"list"_s }).code == 0; }, 20000));
    }

    void cleanupTestCase()
    {
        m_service.terminate();
        QVERIFY(m_service.waitForFinished(20000));
        QCOMPARE(m_service.exitCode(), 0);
    }

    void screenshotBecomesTasks()
    {
        const QString png = renderTodoScreenshot(m_dir.filePath(u"todo.png"_s));
        const auto localDay = [] { return QDateTime::currentDateTime().toTimeZone(QTimeZone(zone)).date(); };
        const QDate today = localDay();
        const Run captured = ctl({ u"capture"_s, png, u"--timeout"_s, u"120"_s });
        if (localDay() != today)
            QSKIP("the day changed during the capture; \"tomorrow\" is ambiguous");
        QCOMPARE(captured.code, 0);
        QCOMPARE(captured.err, QString());
        // The announcements name every task read, and not the checked one.
        for (const QString &title :
             { u"Call the dentist"_s, u"Renew the passport"_s, u"Water the plants"_s, u"Send the report to Olena"_s })
            QVERIFY2(captured.out.contains(title, Qt::CaseInsensitive), qPrintable(captured.out));
        QVERIFY2(!captured.out.contains(u"milk"_s, Qt::CaseInsensitive), qPrintable(captured.out));

        const QJsonArray tasks = list();
        QCOMPARE(tasks.size(), 4);
        const QJsonObject dentist = byTitle(tasks, u"Call the dentist"_s);
        QCOMPARE(instant(dentist.value(u"due_at")), QDateTime(today.addDays(1), QTime(14, 0), QTimeZone(zone)));
        QCOMPARE(dentist.value(u"priority").toString(), u"medium"_s);
        const QJsonObject passport = byTitle(tasks, u"Renew the passport"_s);
        QCOMPARE(passport.value(u"due_date").toString(), u"2026-12-20"_s);
        QVERIFY(passport.value(u"due_at").isNull());
        QCOMPARE(passport.value(u"priority").toString(), u"high"_s);
        const QJsonObject plants = byTitle(tasks, u"Water the plants"_s);
        QCOMPARE(plants.value(u"priority").toString(), u"low"_s);
        QVERIFY(plants.value(u"due_date").isNull() && plants.value(u"due_at").isNull());
        QVERIFY(!byTitle(tasks, u"Send the report to Olena"_s).value(u"capture_id").toString().isEmpty());
    }

    void doneEditDeleteRoundTrip()
    {
        const QString plants = idOf(u"Water the plants"_s);
        const QString report = idOf(u"Send the report to Olena"_s);
        QCOMPARE(ctl({ u"done"_s, plants }).code, 0);
        QVERIFY(byTitle(list(), u"Water the plants"_s).isEmpty());
        QVERIFY(!byTitle(list({ u"--done"_s }), u"Water the plants"_s).value(u"done_at").isNull());
        QCOMPARE(ctl({ u"reopen"_s, plants }).code, 0);
        QVERIFY(byTitle(list(), u"Water the plants"_s).value(u"done_at").isNull());

        const Run edited
            = ctl({ u"edit"_s, report, u"--title"_s, u"Send the annual report to Olena"_s, u"--priority"_s, u"high"_s,
                    u"--due"_s, u"2027-01-15"_s, u"--description"_s, u"Before the board meeting"_s });
        QCOMPARE(edited.err, QString());
        const QJsonObject changed = byTitle(list(), u"Send the annual report to Olena"_s);
        QCOMPARE(changed.value(u"priority").toString(), u"high"_s);
        QCOMPARE(changed.value(u"due_date").toString(), u"2027-01-15"_s);
        QCOMPARE(changed.value(u"description").toString(), u"Before the board meeting"_s);

        QCOMPARE(ctl({ u"edit"_s, idOf(u"Renew the passport"_s), u"--due-at"_s, u"2026-12-19T09:30:00+02:00"_s }).code,
                 0);
        QCOMPARE(instant(byTitle(list(), u"Renew the passport"_s).value(u"due_at")),
                 QDateTime(QDate(2026, 12, 19), QTime(7, 30), Qt::UTC));

        QCOMPARE(ctl({ u"delete"_s, report }).code, 0);
        const QJsonArray left = list();
        QCOMPARE(left.size(), 3);
        QVERIFY(byTitle(left, u"Send the annual report to Olena"_s).isEmpty());
        QCOMPARE(ctl({ u"delete"_s, report }).code, 1);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_endtoend.moc"
