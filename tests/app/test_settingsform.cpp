// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "accesskey.h"
#include "autostart.h"
#include "defaults.h"
#include "fakeservice.h"
#include "hotkeycenter.h"
#include "platform/hotkeybackend.h"
#include "settingsform.h"
#include "settingskey.h"
#include "translations.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Reply = FakeService::Reply;

namespace {
/*! Hot keys whose desktop answers the test gives. */
class ScriptedHotkeys : public HotkeyBackend
{
public:
    bool suspended = false;
    QString name() const override { return u"scripted"_qs; }
    void bind(const QList<Key> &) override { }
    void setSuspended(bool on) override { suspended = on; }
};
} // namespace
using Connection = SettingsForm::Connection;

class SettingsFormTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<SettingsForm> m_form;

    QString settingsFile() const { return m_dir.filePath(u"Quibly.conf"_qs); }
    QString keyFile() const { return m_dir.filePath(u"data/Quibly/access-key"_qs); }

    void makeForm(const QStringList &preferred = { u"en-US"_qs })
    {
        m_form.reset();
        m_defaults = std::make_unique<Defaults>(settingsFile(), preferred);
        m_form = std::make_unique<SettingsForm>(SettingsForm::Setup {
            m_defaults.get(), keyFile(), nullptr, std::chrono::milliseconds(50), std::chrono::milliseconds(3000) });
    }
    QByteArray keyOnDisk() const
    {
        QFile file(keyFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(u"config"_qs)));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_dir.filePath(u"system"_qs)));
        QCOMPARE(Translations::install({ u"en"_qs }), u"en"_qs);
    }
    void init()
    {
        QFile::remove(settingsFile());
        QFile::remove(keyFile());
        QDir(m_dir.filePath(u"config"_qs)).removeRecursively();
        makeForm();
    }
    void cleanup()
    {
        m_form.reset();
        m_defaults.reset();
    }

    void badServerUrlIsStoredAndExplained_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("spaces inside") << u"https://my host/api"_qs << QByteArray("settings.connection.invalid_url");
        QTest::newRow("no scheme") << u"tasks.example.org"_qs << QByteArray("settings.connection.invalid_url");
        QTest::newRow("ftp") << u"ftp://tasks.example.org/"_qs << QByteArray("settings.connection.scheme");
        QTest::newRow("10000 characters")
            << u"https://"_qs + QString(10000, u'a') + u".org"_qs << QByteArray("settings.connection.invalid_url");
    }
    void badServerUrlIsStoredAndExplained()
    {
        QFETCH(QString, url);
        QFETCH(QByteArray, text);
        AccessKey::write(u"key"_qs, keyFile());
        m_form->setServerUrl(url);
        QCOMPARE(m_defaults->serverURL(), std::optional<QString>(url));
        QTRY_COMPARE(m_form->connectionText(), qtTrId(text.constData()));
        QCOMPARE(m_form->connection(), Connection::Failed);
    }

    void pastedLineBreaksAreNoPartOfTheKey()
    {
        QSignalSpy changed(m_form.get(), &SettingsForm::accessKeyChanged);
        m_form->setAccessKey(u"abc\r\ndef\n"_qs);
        QCOMPARE(m_form->accessKey(), u"abcdef"_qs);
        QCOMPARE(keyOnDisk(), QByteArray("abcdef"));
        // The same key with a break again: nothing to write, but the field must drop the break.
        m_form->setAccessKey(u"abcdef\n"_qs);
        QCOMPARE(changed.size(), 2);
    }

    void failedSwitchTurnsBackAndSaysWhy()
    {
        // A file where the autostart folder belongs: the entry cannot be written, even as root.
        QDir().mkpath(m_dir.filePath(u"config"_qs));
        QFile blocker(m_dir.filePath(u"config/autostart"_qs));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QSignalSpy changed(m_form.get(), &SettingsForm::startAtLoginChanged);
        m_form->setStartAtLogin(true);
        QVERIFY(!m_form->startAtLogin());
        QVERIFY(!m_form->startAtLoginError().isEmpty());
        QCOMPARE(changed.size(), 1);
    }

    void connectionLine_data()
    {
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<Connection>("connection");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("requests");
        QTest::newRow("connected") << Reply::json(200, "[]") << Connection::Connected
                                   << u"settings.connection.connected"_qs << 1;
        QTest::newRow("key refused") << Reply::json(401, "{\"error\":\"unauthorized\"}") << Connection::Failed
                                     << u"settings.connection.unauthorized"_qs << 1;
        QTest::newRow("server error") << Reply::empty(502) << Connection::Failed
                                      << u"settings.connection.server_error"_qs << 1;
        QTest::newRow("not the service") << Reply::bytes(200, "<html></html>", "text/html") << Connection::Failed
                                         << u"settings.connection.not_service"_qs << 1;
        QTest::newRow("dropped") << Reply::dropped(Reply::Drop::BeforeAnswer) << Connection::Failed
                                 << u"settings.connection.no_answer"_qs
                                 << 2; // Qt sends a request again once after a connection closed unanswered
    }
    void connectionLine()
    {
        QFETCH(Reply, reply);
        QFETCH(Connection, connection);
        QFETCH(QString, text);
        QFETCH(int, requests);
        FakeService service;
        QVERIFY(service.listen());
        service.on("GET", "/captures", reply);
        // Typing the address and the key, keystroke by keystroke, asks once after the pause.
        const QString url = service.url().toString();
        for (qsizetype i = 1; i <= url.size(); ++i)
            m_form->setServerUrl(url.left(i));
        m_form->setAccessKey(u"k"_qs);
        QCOMPARE(m_form->connection(), Connection::Unknown);
        QTRY_COMPARE(m_form->connection(), connection);
        QCOMPARE(service.requests("GET", "/captures").size(), requests);
        QCOMPARE(service.requests().first().header("authorization"), QByteArray("Bearer k"));
        const QString expected = qtTrId(text.toUtf8().constData());
        QVERIFY2(m_form->connectionText().startsWith(expected.section(u'%', 0, 0)),
                 qPrintable(m_form->connectionText()));
    }

    void editWhileCheckingDropsTheOldAnswer()
    {
        FakeService service;
        QVERIFY(service.listen());
        auto slow = Reply::json(401, "{}");
        slow.delay = std::chrono::milliseconds(300);
        service.enqueue("GET", "/captures", slow);
        service.on("GET", "/captures", Reply::json(200, "[]"));
        m_form->setAccessKey(u"old"_qs);
        m_form->setServerUrl(service.url().toString());
        QTRY_COMPARE(m_form->connection(), Connection::Checking);
        m_form->setAccessKey(u"new"_qs);
        QTRY_COMPARE(m_form->connection(), Connection::Connected);
        QTest::qWait(400);
        QCOMPARE(m_form->connection(), Connection::Connected);
    }

    void recordersAreIndependentAndSuspendTheGrabsOnce()
    {
        QSignalSpy recording(m_form.get(), &SettingsForm::recordingChanged);
        m_form->captureRecorder()->start();
        m_form->listRecorder()->start();
        QVERIFY(!m_form->captureRecorder()->recording());
        QVERIFY(m_form->listRecorder()->recording());
        // The other recorder taking over is no reason to restore the grabs in between.
        QCOMPARE(recording.size(), 1);
        m_form->listRecorder()->stop();
        QCOMPARE(recording.size(), 2);
        QCOMPARE(recording.at(0).first().toBool(), true);
        QCOMPARE(recording.at(1).first().toBool(), false);
    }

    void followsWhatTheDesktopMadeOfTheHotkeys()
    {
        auto owned = std::make_unique<ScriptedHotkeys>();
        ScriptedHotkeys *backend = owned.get();
        HotkeyCenter hotkeys(std::move(owned));
        hotkeys.registerKeys({ { Hotkey::defaultCapture(), [] {}, {} }, { Hotkey::defaultList(), [] {}, {} } });
        m_form->followHotkeys(&hotkeys);
        Q_EMIT backend->stateChanged(1, HotkeyCenter::State::Refused, {});
        Q_EMIT backend->stateChanged(2, HotkeyCenter::State::Active, u"Ctrl+Alt+Y"_qs);
        QCOMPARE(m_form->captureRecorder()->note(), qtTrId("settings.hotkey_refused"));
        QVERIFY(m_form->listRecorder()->note().contains(u"Ctrl+Alt+Y"_qs));
        // The desktop taking the combination as asked leaves nothing to say.
        Q_EMIT backend->stateChanged(2, HotkeyCenter::State::Active, u"Ctrl+Alt+Super+L"_qs);
        QCOMPARE(m_form->listRecorder()->note(), QString());

        m_form->captureRecorder()->start();
        QVERIFY(backend->suspended);
        m_form->captureRecorder()->stop();
        QVERIFY(!backend->suspended);
    }
};

QTEST_GUILESS_MAIN(SettingsFormTest)
#include "test_settingsform.moc"
