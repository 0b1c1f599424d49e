// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "defaults.h"
#include "quiblytest.h"
#include "settingskey.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class DefaultsTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString file() const { return m_dir.filePath(QStringLiteral("Quibly.conf")); }

private Q_SLOTS:
    void init()
    {
        QuiblyTest::failOnUnexpectedWarnings();
        QFile::remove(file());
    }

    void taskLanguageRule_data()
    {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("expected");
        QTest::newRow("uk-UA first") << QStringList { u"uk-UA"_qs, u"en-US"_qs } << u"uk"_qs;
        QTest::newRow("bare uk") << QStringList { u"uk"_qs } << u"uk"_qs;
        QTest::newRow("en-GB") << QStringList { u"en-GB"_qs } << u"en"_qs;
        QTest::newRow("de-DE") << QStringList { u"de-DE"_qs } << u"en"_qs;
        QTest::newRow("uk only second") << QStringList { u"de-DE"_qs, u"uk-UA"_qs } << u"en"_qs;
        QTest::newRow("none") << QStringList {} << u"en"_qs;
    }
    void taskLanguageRule()
    {
        QFETCH(QStringList, preferred);
        QFETCH(QString, expected);
        Defaults defaults(file(), preferred);
        QCOMPARE(defaults.taskLanguage(), expected);
    }

    void storedTaskLanguageWinsEvenWhenEmpty()
    {
        Defaults defaults(file(), { u"uk-UA"_qs });
        defaults.setTaskLanguage(u"en"_qs);
        QCOMPARE(defaults.taskLanguage(), u"en"_qs);
        defaults.setTaskLanguage(QString());
        QCOMPARE(defaults.taskLanguage(), QString());
    }

    void everyWriteSignalsItsKey()
    {
        Defaults defaults(file(), {});
        QSignalSpy spy(&defaults, &Defaults::changed);
        defaults.setServerURL(u"https://example.org"_qs);
        defaults.setTaskLanguage(u"uk"_qs);
        defaults.setCaptureHotkey(Hotkey { 17, Hotkey::control, u"t"_qs });
        defaults.setListHotkey(Hotkey { 37, Hotkey::command, u"l"_qs });
        defaults.setLeftClick(u"capture"_qs);
        defaults.setServerURL(std::nullopt);
        const QStringList keys { SettingsKey::serverURL,  SettingsKey::taskLanguage, SettingsKey::captureHotkey,
                                 SettingsKey::listHotkey, SettingsKey::leftClick,    SettingsKey::serverURL };
        QCOMPARE(spy.count(), keys.size());
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(spy.at(i).at(0).toString(), keys.at(i));
        QCOMPARE(defaults.serverURL(), std::nullopt);
    }

    // Stored as given under the key texts, and seen by another instance at its next read.
    void valuesRoundTripUnderTheirKeyTexts()
    {
        Defaults app(file(), {});
        QCOMPARE(app.serverURL(), std::nullopt);
        QCOMPARE(app.leftClick(), std::nullopt);
        Defaults other(file(), {});
        other.setServerURL(u" https://example.org\t"_qs);
        other.setLeftClick(u"capture"_qs);
        QCOMPARE(app.serverURL(), std::optional<QString>(u" https://example.org\t"_qs));
        QSettings raw(file(), QSettings::IniFormat);
        QCOMPARE(raw.value(u"serverURL"_qs).toString(), u" https://example.org\t"_qs);
        QCOMPARE(raw.value(u"leftClick"_qs).toString(), u"capture"_qs);
    }

    void hotkeysFallBackToDefaults()
    {
        Defaults defaults(file(), {});
        QCOMPARE(defaults.captureHotkey(), Hotkey::defaultCapture());
        QCOMPARE(defaults.listHotkey(), Hotkey::defaultList());
        {
            QSettings raw(file(), QSettings::IniFormat);
            raw.setValue(SettingsKey::captureHotkey, QByteArray("not json"));
        }
        QCOMPARE(defaults.captureHotkey(), Hotkey::defaultCapture());
        const Hotkey custom { 17, Hotkey::control | Hotkey::shift, u"t"_qs };
        defaults.setListHotkey(custom);
        QCOMPARE(defaults.listHotkey(), custom);
    }
};

QTEST_GUILESS_MAIN(DefaultsTest)
#include "test_defaults.moc"
