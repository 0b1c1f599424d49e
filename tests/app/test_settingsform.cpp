// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "accesskey.h"
#include "autostart.h"
#include "defaults.h"
#include "fakeservice.h"
#include "hotkeycenter.h"
#include "platform/hotkeybackend.h"
#include "quiblytest.h"
#include "settingsform.h"
#include "settingskey.h"
#include "translations.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(std::optional<QString>)
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

mode_t modeOf(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The permission bits of every entry in \a folder, including hidden ones.
QMap<QString, mode_t> modes(const QString &folder)
{
    QMap<QString, mode_t> result;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        result.insert(name, modeOf(QDir(folder).filePath(name)));
    return result;
}

void writeRaw(const QString &path, const QByteArray &bytes, mode_t mode = 0600)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}
} // namespace
using Connection = SettingsForm::Connection;

// The settings file, the autostart entry, the access key file and the settings window's form over them.
class SettingsFormTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<SettingsForm> m_form;

    QString settingsFile() const { return m_dir.filePath(u"Quibly.conf"_qs); }
    QString keyFile() const { return m_dir.filePath(u"data/Quibly/access-key"_qs); }
    QString keyFolder() const { return m_dir.filePath(u"data/Quibly"_qs); }
    QString userEntry() const { return m_dir.filePath(u"config/autostart/org.quibly.Quibly.desktop"_qs); }
    QString systemEntry() const { return m_dir.filePath(u"system/autostart/org.quibly.Quibly.desktop"_qs); }

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void makeForm(const QStringList &preferred = { u"en-US"_qs })
    {
        m_form.reset();
        m_defaults = std::make_unique<Defaults>(settingsFile(), preferred);
        m_form = std::make_unique<SettingsForm>(SettingsForm::Setup {
            m_defaults.get(), keyFile(), nullptr, std::chrono::milliseconds(50), std::chrono::milliseconds(3000) });
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(u"config"_qs)));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_dir.filePath(u"system"_qs)));
        QCOMPARE(Autostart::userEntryPath(), userEntry());
        QCOMPARE(Translations::install({ u"en"_qs }), u"en"_qs);
    }
    void init()
    {
        QuiblyTest::failOnUnexpectedWarnings();
        QFile::remove(settingsFile());
        QDir(keyFolder()).removeRecursively();
        QDir(m_dir.filePath(u"config"_qs)).removeRecursively();
        QDir(m_dir.filePath(u"system"_qs)).removeRecursively();
        makeForm();
    }

    // Ukrainian only when the first preferred language is (the settings view's test has more
    // lists); a stored choice wins, even an empty one.
    void taskLanguage_data()
    {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<std::optional<QString>>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bare uk") << QStringList { u"uk"_qs } << std::optional<QString>() << u"uk"_qs;
        QTest::newRow("stored en") << QStringList { u"uk-UA"_qs } << std::optional(u"en"_qs) << u"en"_qs;
        QTest::newRow("stored empty") << QStringList { u"uk-UA"_qs } << std::optional(QString()) << QString();
    }
    void taskLanguage()
    {
        QFETCH(QStringList, preferred);
        QFETCH(std::optional<QString>, stored);
        QFETCH(QString, expected);
        Defaults defaults(settingsFile(), preferred);
        if (stored)
            defaults.setTaskLanguage(*stored);
        QCOMPARE(defaults.taskLanguage(), expected);
    }

    // Every write is announced with its key, and another instance sees it at its next read (the
    // settings view's test reads what each key holds in the file).
    void writesAreSignalledAndShared()
    {
        Defaults app(settingsFile(), {});
        Defaults other(settingsFile(), {});
        QCOMPARE(app.serverURL(), std::nullopt);
        QSignalSpy spy(&other, &Defaults::changed);
        other.setServerURL(u" https://example.org\t"_qs);
        other.setTaskLanguage(u"uk"_qs);
        other.setCaptureHotkey(Hotkey { 17, Hotkey::control, u"t"_qs });
        other.setListHotkey(Hotkey { 37, Hotkey::command, u"l"_qs });
        other.setLeftClick(u"capture"_qs);
        const QStringList keys { SettingsKey::serverURL, SettingsKey::taskLanguage, SettingsKey::captureHotkey,
                                 SettingsKey::listHotkey, SettingsKey::leftClick };
        QCOMPARE(spy.count(), keys.size());
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(spy.at(i).at(0).toString(), keys.at(i));
        QCOMPARE(app.serverURL(), std::optional<QString>(u" https://example.org\t"_qs));
        other.setServerURL(std::nullopt);
        QCOMPARE(app.serverURL(), std::nullopt);
    }

    void unreadableHotkeysFallBackToDefaults()
    {
        Defaults defaults(settingsFile(), {});
        {
            QSettings raw(settingsFile(), QSettings::IniFormat);
            raw.setValue(SettingsKey::captureHotkey, QByteArray("not json"));
            raw.setValue(SettingsKey::listHotkey, QByteArray(R"({"keyCode":-1})"));
        }
        QCOMPARE(defaults.captureHotkey(), Hotkey::defaultCapture());
        QCOMPARE(defaults.listHotkey(), Hotkey::defaultList());
    }

    void enabledState_data()
    {
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("system");
        QTest::addColumn<bool>("enabled");
        const QByteArray plain = "[Desktop Entry]\nType=Application\nExec=quibly\n";
        const QByteArray hidden = "[Desktop Entry]\nType=Application\nHidden=true\n";
        QTest::newRow("no entry") << QByteArray() << QByteArray() << false;
        QTest::newRow("user entry") << plain << QByteArray() << true;
        QTest::newRow("user entry hidden") << hidden << QByteArray() << false;
        QTest::newRow("GNOME switch off") << plain + "X-GNOME-Autostart-enabled=false\n" << QByteArray() << false;
        QTest::newRow("Hidden in another group") << plain + "[Desktop Action x]\nHidden=true\n" << QByteArray() << true;
        QTest::newRow("system entry only") << QByteArray() << plain << true;
        QTest::newRow("hidden user entry masks the system one") << hidden << plain << false;
    }
    void enabledState()
    {
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, system);
        QFETCH(bool, enabled);
        if (!user.isEmpty())
            writeRaw(userEntry(), user);
        if (!system.isEmpty())
            writeRaw(systemEntry(), system);
        QCOMPARE(Autostart::isEnabled(), enabled);
    }

    void switchingOnAndOff()
    {
        QCOMPARE(Autostart::setEnabled(true, u"/opt/My Apps/quibly"_qs), QString());
        QVERIFY(Autostart::isEnabled());
        QVERIFY(contents(userEntry()).contains("\nExec=\"/opt/My Apps/quibly\"\n"));
        QCOMPARE(Autostart::setEnabled(false), QString());
        QVERIFY(!QFile::exists(userEntry()));
        // Switching off what is already off succeeds; a system entry is masked, not removed.
        writeRaw(systemEntry(), "[Desktop Entry]\nType=Application\nExec=quibly\n");
        QCOMPARE(Autostart::setEnabled(false), QString());
        QVERIFY(!Autostart::isEnabled());
        QVERIFY(QFile::exists(systemEntry()));
        QCOMPARE(Autostart::setEnabled(true, u"quibly"_qs), QString());
        QVERIFY(Autostart::isEnabled());
    }

    void execQuoting_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << u"/usr/bin/quibly"_qs << u"/usr/bin/quibly"_qs;
        QTest::newRow("space") << u"/a b/quibly"_qs << u"\"/a b/quibly\""_qs;
        QTest::newRow("dollar and quote") << u"/a$\"b"_qs << u"\"/a\\\\$\\\\\"b\""_qs;
        QTest::newRow("backslash") << u"/a\\b"_qs << u"\"/a\\\\\\\\b\""_qs;
        QTest::newRow("percent") << u"/100%/q"_qs << u"/100%%/q"_qs;
    }
    void execQuoting()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QCOMPARE(Autostart::execValue(program), exec);
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<std::optional<QString>>("expected");
        QTest::newRow("trailing line break") << QByteArray("k-123\n") << std::optional<QString>(u"k-123"_qs);
        QTest::newRow("spaces around") << QByteArray("  k 1 \r\n") << std::optional<QString>(u"k 1"_qs);
        QTest::newRow("white space only") << QByteArray(" \n\t ") << std::optional<QString>();
        QTest::newRow("not UTF-8") << QByteArray("k\xff\xfe") << std::optional<QString>();
        QTest::newRow("non-ASCII") << QByteArray("ключ") << std::optional<QString>(u"ключ"_qs);
    }
    void read()
    {
        QFETCH(QByteArray, contents);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(AccessKey::read(keyFile()), std::nullopt); // missing file
        writeRaw(keyFile(), contents);
        QCOMPARE(AccessKey::read(keyFile()), expected);
    }

    void writeThenBlankRemoves()
    {
        AccessKey::write(QString(), keyFile()); // nothing there yet: silent
        QVERIFY(!QFile::exists(keyFile()));
        AccessKey::write(u"  secret-key\n"_qs, keyFile());
        QCOMPARE(contents(keyFile()), QByteArray("secret-key"));
        AccessKey::write(u"  \n \r\n"_qs, keyFile());
        QVERIFY(!QFile::exists(keyFile()));
    }

    // The key must never be readable by others, not even between the steps of a write,
    // and a file or folder whose mode was widened by hand is narrowed again.
    void neverWiderThanOwnerOnly_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<mode_t>("umask");
        QTest::newRow("first write, permissive umask") << false << mode_t(0);
        QTest::newRow("over a 0644 file, permissive umask") << true << mode_t(0);
        QTest::newRow("over a 0644 file, usual umask") << true << mode_t(022);
    }
    void neverWiderThanOwnerOnly()
    {
        QFETCH(bool, existing);
        QFETCH(mode_t, umask);
        if (existing)
            writeRaw(keyFile(), "old", 0644);
        const mode_t previous = ::umask(umask);
        int steps = 0;
        QStringList seen;
        AccessKey::write(u"new-key"_qs, keyFile(), [&] {
            ++steps;
            const auto now = modes(keyFolder());
            for (auto it = now.cbegin(); it != now.cend(); ++it) {
                if (!seen.contains(it.key()))
                    seen.append(it.key());
                QCOMPARE(it.value() & 0077, mode_t(0));
            }
        });
        ::umask(previous);
        QVERIFY(steps >= 5);
        QVERIFY2(seen.size() >= 2, "the temporary file was never observed");
        QCOMPARE(modes(keyFolder()), (QMap<QString, mode_t> { { u"access-key"_qs, mode_t(0600) } }));
        QCOMPARE(modeOf(keyFolder()), mode_t(0700)); // created so, or narrowed from 0755
        QCOMPARE(AccessKey::read(keyFile()), std::optional<QString>(u"new-key"_qs));

        QVERIFY(::chmod(QFile::encodeName(keyFolder()).constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(keyFile()).constData(), 0644) == 0);
        AccessKey::makePrivate(keyFile());
        QCOMPARE(modeOf(keyFolder()), mode_t(0700));
        QCOMPARE(modeOf(keyFile()), mode_t(0600));
    }

    void unwritableFolderLeavesNoKeyAndDoesNotThrow()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QDir().mkpath(keyFolder());
        QFile::setPermissions(keyFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        AccessKey::write(u"k"_qs, keyFile());
        QFile::setPermissions(keyFolder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(AccessKey::read(keyFile()), std::nullopt);
        QCOMPARE(modes(keyFolder()).size(), 0);
    }

    void pastedLineBreaksAreNoPartOfTheKey()
    {
        QSignalSpy changed(m_form.get(), &SettingsForm::accessKeyChanged);
        m_form->setAccessKey(u"abc\r\ndef\n"_qs);
        QCOMPARE(m_form->accessKey(), u"abcdef"_qs);
        QCOMPARE(contents(keyFile()), QByteArray("abcdef"));
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
        QVERIFY(m_form->startAtLoginError().contains(userEntry()));
        QVERIFY(!Autostart::isEnabled());
        QCOMPARE(changed.size(), 1);
    }

    // The address is stored as typed and checked once after the pause, with the key; one that
    // cannot work is explained without asking anything.
    void connectionLine_data()
    {
        QTest::addColumn<QString>("url"); // empty: the fake service's, typed keystroke by keystroke
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<Connection>("connection");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("requests");
        const auto row = [](const char *name, const QString &url, const Reply &reply, Connection connection,
                            const char *text, int requests) {
            QTest::newRow(name) << url << reply << connection << u"settings.connection."_qs + QLatin1String(text)
                                << requests;
        };
        const auto failed = Connection::Failed;
        row("connected", {}, Reply::json(200, "[]"), Connection::Connected, "connected", 1);
        row("key refused", {}, Reply::json(401, "{\"error\":\"unauthorized\"}"), failed, "unauthorized", 1);
        row("server error", {}, Reply::empty(502), failed, "server_error", 1);
        row("not the service", {}, Reply::bytes(200, "<html></html>", "text/html"), failed, "not_service", 1);
        // Qt sends a request again once after a connection closed unanswered.
        row("dropped", {}, Reply::dropped(Reply::Drop::BeforeAnswer), failed, "no_answer", 2);
        row("spaces inside", u"https://my host/api"_qs, {}, failed, "invalid_url", 0);
        row("no scheme", u"tasks.example.org"_qs, {}, failed, "invalid_url", 0);
        row("ftp", u"ftp://tasks.example.org/"_qs, {}, failed, "scheme", 0);
        row("10000 characters", u"https://"_qs + QString(10000, u'a') + u".org"_qs, {}, failed, "invalid_url", 0);
    }
    void connectionLine()
    {
        QFETCH(QString, url);
        QFETCH(Reply, reply);
        QFETCH(Connection, connection);
        QFETCH(QString, text);
        QFETCH(int, requests);
        FakeService service;
        QVERIFY(service.listen());
        service.on("GET", "/captures", reply);
        const QString typed = url.isEmpty() ? service.url().toString() : url;
        for (qsizetype i = url.isEmpty() ? 1 : typed.size(); i <= typed.size(); ++i)
            m_form->setServerUrl(typed.left(i));
        m_form->setAccessKey(u"k"_qs);
        QCOMPARE(m_defaults->serverURL(), std::optional<QString>(typed));
        QCOMPARE(m_form->connection(), Connection::Unknown);
        QTRY_COMPARE(m_form->connection(), connection);
        QCOMPARE(service.requests("GET", "/captures").size(), requests);
        if (requests)
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

    void followsWhatTheDesktopMadeOfTheHotkeys()
    {
        auto owned = std::make_unique<ScriptedHotkeys>();
        ScriptedHotkeys *backend = owned.get();
        HotkeyCenter hotkeys(std::move(owned));
        hotkeys.registerKeys({ { Hotkey::defaultCapture(), [] {}, {} }, { Hotkey::defaultList(), [] {}, {} } });
        m_form->followHotkeys(&hotkeys);
        QSignalSpy noteChanged(m_form->listRecorder(), &KeyRecorder::noteChanged);
        Q_EMIT backend->stateChanged(1, HotkeyCenter::State::Refused, {});
        Q_EMIT backend->stateChanged(2, HotkeyCenter::State::Active, u"Ctrl+Alt+Y"_qs);
        QCOMPARE(m_form->captureRecorder()->note(), qtTrId("settings.hotkey_refused"));
        QVERIFY(m_form->listRecorder()->note().contains(u"Ctrl+Alt+Y"_qs));
        // The desktop taking the combination as asked leaves nothing to say.
        Q_EMIT backend->stateChanged(2, HotkeyCenter::State::Active, u"Ctrl+Alt+Super+L"_qs);
        QCOMPARE(m_form->listRecorder()->note(), QString());
        QCOMPARE(noteChanged.size(), 2);

        // Grabs stay released while either recorder records, also when the other takes over.
        QSignalSpy recording(m_form.get(), &SettingsForm::recordingChanged);
        m_form->captureRecorder()->start();
        m_form->listRecorder()->start();
        QVERIFY(!m_form->captureRecorder()->recording());
        QVERIFY(backend->suspended);
        m_form->listRecorder()->stop();
        QVERIFY(!backend->suspended);
        QCOMPARE(recording.size(), 2);
    }
};

QTEST_GUILESS_MAIN(SettingsFormTest)
#include "test_settingsform.moc"
