// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// The whole system on one machine: quibly-service on a free loopback port with its real
// recognizer, and quiblyctl in a private home, from a rendered to-do screenshot to
// done, edit and delete.

#include <QBuffer>
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

namespace {

const QString Zone = u"Europe/Kyiv"_s;

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

QByteArray renderTodoScreenshot()
{
    QImage image(1000, 360, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(26);
    painter.setFont(font);
    const QStringList lines = { u"To do"_s,
                                u"[ ] Call the dentist tomorrow 14:00"_s,
                                u"[ ] Renew the passport by 2026-12-20 urgent"_s,
                                u"[ ] Water the plants someday"_s,
                                u"[x] Buy milk"_s,
                                u"[ ] Send the report to Olena"_s };
    int y = 50;
    for (const QString &line : lines) {
        painter.drawText(40, y, line);
        y += 50;
    }
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
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

    Run run(const QString &program, const QStringList &args, const QByteArray &input = {})
    {
        QProcess process;
        process.setProcessEnvironment(m_env);
        process.start(program, args);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(180000))
            process.kill();
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                 QString::fromUtf8(process.readAllStandardOutput()),
                 QString::fromUtf8(process.readAllStandardError()) };
    }

    Run ctl(const QStringList &args, const QByteArray &input = {})
    {
        return run(QStringLiteral(QUIBLYCTL_EXECUTABLE), args, input);
    }

    QJsonArray list(const QStringList &extra = {})
    {
        const Run listed = ctl(QStringList { u"--json"_s, u"list"_s } + extra);
        if (listed.exitCode != 0)
            qWarning().noquote() << listed.err;
        return QJsonDocument::fromJson(listed.out.toUtf8()).array();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString home = m_dir.filePath(u"home"_s);
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(u"HOME"_s, home);
        m_env.insert(u"XDG_CONFIG_HOME"_s, home + u"/.config"_s);
        m_env.insert(u"XDG_DATA_HOME"_s, home + u"/.local/share"_s);
        m_env.insert(u"XDG_CACHE_HOME"_s, home + u"/.cache"_s);
        m_env.insert(u"XDG_RUNTIME_DIR"_s, m_dir.path());
        m_env.insert(u"TZ"_s, Zone);
        m_env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        m_env.remove(u"DISPLAY"_s);
        m_env.remove(u"WAYLAND_DISPLAY"_s);

        const QString data = m_dir.filePath(u"service"_s);
        const Run key
            = run(QStringLiteral(QUIBLY_SERVICE_EXECUTABLE), { u"--data"_s, data, u"keys"_s, u"create"_s, u"e2e"_s });
        QCOMPARE(key.exitCode, 0);

        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        m_service.setProcessEnvironment(m_env);
        m_service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_service.start(QStringLiteral(QUIBLY_SERVICE_EXECUTABLE),
                        { u"--data"_s, data, u"--listen"_s, u"127.0.0.1:%1"_s.arg(port) });
        QVERIFY(m_service.waitForStarted());

        QCOMPARE(ctl({ u"config"_s, u"server"_s, u"http://127.0.0.1:%1"_s.arg(port) }).exitCode, 0);
        QCOMPARE(ctl({ u"config"_s, u"key"_s }, key.out.trimmed().toUtf8()).exitCode, 0);
        QCOMPARE(ctl({ u"config"_s, u"language"_s, u"en"_s }).exitCode, 0);
        // The service may still be starting: the first list waits for it.
        QVERIFY(QTest::qWaitFor([&] { return ctl({ u"list"_s }).exitCode == 0; }, 20000));
    }

    void cleanupTestCase()
    {
        if (m_service.state() != QProcess::NotRunning) {
            m_service.terminate();
            QVERIFY(m_service.waitForFinished(20000));
            QCOMPARE(m_service.exitCode(), 0);
        }
    }

    void screenshotBecomesTasks()
    {
        const QString png = m_dir.filePath(u"todo.png"_s);
        QFile file(png);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(renderTodoScreenshot());
        if (qEnvironmentVariableIsSet("QUIBLY_E2E_KEEP_IMAGE"))
            QFile::copy(png, qEnvironmentVariable("QUIBLY_E2E_KEEP_IMAGE"));
        file.close();

        const auto localDay = [] { return QDateTime::currentDateTime().toTimeZone(QTimeZone(Zone.toLatin1())).date(); };
        const QDate today = localDay();
        const Run captured = ctl({ u"capture"_s, png, u"--timeout"_s, u"120"_s });
        if (localDay() != today)
            QSKIP("the day changed during the capture; \"tomorrow\" is ambiguous");
        QVERIFY2(captured.exitCode == 0, qPrintable(captured.out + captured.err));
        // The announcements name every task read, and not the checked one.
        for (const QString &title :
             { u"Call the dentist"_s, u"Renew the passport"_s, u"Water the plants"_s, u"Send the report to Olena"_s })
            QVERIFY2(captured.out.contains(title, Qt::CaseInsensitive), qPrintable(captured.out));
        QVERIFY2(!captured.out.contains(u"milk"_s, Qt::CaseInsensitive), qPrintable(captured.out));

        const QJsonArray tasks = list();
        QCOMPARE(tasks.size(), 4);

        const QJsonObject dentist = byTitle(tasks, u"Call the dentist"_s);
        QVERIFY(!dentist.isEmpty());
        const QDateTime at(today.addDays(1), QTime(14, 0), QTimeZone(Zone.toLatin1()));
        QCOMPARE(instant(dentist.value(u"due_at")), at);
        QCOMPARE(dentist.value(u"priority").toString(), u"medium"_s);

        const QJsonObject passport = byTitle(tasks, u"Renew the passport"_s);
        QCOMPARE(passport.value(u"due_date").toString(), u"2026-12-20"_s);
        QVERIFY(passport.value(u"due_at").isNull());
        QCOMPARE(passport.value(u"priority").toString(), u"high"_s);

        const QJsonObject plants = byTitle(tasks, u"Water the plants"_s);
        QCOMPARE(plants.value(u"priority").toString(), u"low"_s);
        QVERIFY(plants.value(u"due_date").isNull() && plants.value(u"due_at").isNull());

        const QJsonObject report = byTitle(tasks, u"Send the report to Olena"_s);
        QCOMPARE(report.value(u"priority").toString(), u"medium"_s);
        QVERIFY(!report.value(u"capture_id").toString().isEmpty());
    }

    void doneEditDeleteRoundTrip()
    {
        const QJsonArray tasks = list();
        const QString plants = QString::number(byTitle(tasks, u"Water the plants"_s).value(u"id").toInteger());
        const QString report = QString::number(byTitle(tasks, u"Send the report to Olena"_s).value(u"id").toInteger());
        const QString passport = QString::number(byTitle(tasks, u"Renew the passport"_s).value(u"id").toInteger());

        QCOMPARE(ctl({ u"done"_s, plants }).exitCode, 0);
        QVERIFY(byTitle(list(), u"Water the plants"_s).isEmpty());
        const QJsonObject done = byTitle(list({ u"--done"_s }), u"Water the plants"_s);
        QVERIFY(!done.value(u"done_at").isNull());
        QCOMPARE(ctl({ u"reopen"_s, plants }).exitCode, 0);
        QVERIFY(byTitle(list(), u"Water the plants"_s).value(u"done_at").isNull());

        const Run edited
            = ctl({ u"edit"_s, report, u"--title"_s, u"Send the annual report to Olena"_s, u"--priority"_s, u"high"_s,
                    u"--due"_s, u"2027-01-15"_s, u"--description"_s, u"Before the board meeting"_s });
        QVERIFY2(edited.exitCode == 0, qPrintable(edited.err));
        const QJsonObject changed = byTitle(list(), u"Send the annual report to Olena"_s);
        QCOMPARE(changed.value(u"priority").toString(), u"high"_s);
        QCOMPARE(changed.value(u"due_date").toString(), u"2027-01-15"_s);
        QCOMPARE(changed.value(u"description").toString(), u"Before the board meeting"_s);

        QCOMPARE(ctl({ u"edit"_s, passport, u"--due-at"_s, u"2026-12-19T09:30:00+02:00"_s }).exitCode, 0);
        QCOMPARE(instant(byTitle(list(), u"Renew the passport"_s).value(u"due_at")),
                 QDateTime(QDate(2026, 12, 19), QTime(7, 30), Qt::UTC));

        QCOMPARE(ctl({ u"delete"_s, report }).exitCode, 0);
        const QJsonArray left = list();
        QCOMPARE(left.size(), 3);
        QVERIFY(byTitle(left, u"Send the annual report to Olena"_s).isEmpty());
        QVERIFY(ctl({ u"delete"_s, report }).exitCode != 0);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_endtoend.moc"
