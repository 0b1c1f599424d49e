// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "autostart.h"
#include "translations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class AutostartTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;
    QTemporaryDir m_system;
    QString userEntry() const { return m_home.filePath(u"autostart/org.quibly.Quibly.desktop"_qs); }
    QString systemEntry() const { return m_system.filePath(u"autostart/org.quibly.Quibly.desktop"_qs); }

    static void put(const QString &path, const QByteArray &contents)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_system.path()));
        QCOMPARE(Autostart::userEntryPath(), userEntry());
        QCOMPARE(Translations::install({ u"en"_qs }), u"en"_qs);
    }
    void init()
    {
        QDir(m_home.path()).removeRecursively();
        QDir(m_system.path()).removeRecursively();
        QDir().mkpath(m_home.path());
        QDir().mkpath(m_system.path());
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
            put(userEntry(), user);
        if (!system.isEmpty())
            put(systemEntry(), system);
        QCOMPARE(Autostart::isEnabled(), enabled);
    }

    void switchingOnAndOff()
    {
        QCOMPARE(Autostart::setEnabled(true, u"/opt/My Apps/quibly"_qs), QString());
        QVERIFY(Autostart::isEnabled());
        QVERIFY(contents(userEntry()).contains("\nExec=\"/opt/My Apps/quibly\"\n"));
        QCOMPARE(Autostart::setEnabled(false), QString());
        QVERIFY(!QFile::exists(userEntry()));
        QVERIFY(!Autostart::isEnabled());
        // Switching off what is already off succeeds.
        QCOMPARE(Autostart::setEnabled(false), QString());
    }

    void switchingOffMasksASystemEntry()
    {
        put(systemEntry(), "[Desktop Entry]\nType=Application\nExec=quibly\n");
        QCOMPARE(Autostart::setEnabled(false), QString());
        QVERIFY(!Autostart::isEnabled());
        QVERIFY(QFile::exists(systemEntry()));
        QCOMPARE(Autostart::setEnabled(true, u"quibly"_qs), QString());
        QVERIFY(Autostart::isEnabled());
    }

    void failureIsReportedAndChangesNothing()
    {
        // A file where the autostart folder belongs: nothing can be written there, even as root.
        put(m_home.filePath(u"autostart"_qs), "not a folder");
        const QString error = Autostart::setEnabled(true, u"quibly"_qs);
        QVERIFY(!error.isEmpty());
        QVERIFY(error.contains(userEntry()));
        QVERIFY(!Autostart::isEnabled());
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
};

QTEST_GUILESS_MAIN(AutostartTest)
#include "test_autostart.moc"
