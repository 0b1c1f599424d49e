// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "notifier.h"
#include "translations.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

namespace {
const QString sourceRoot = QStringLiteral(QUIBLY_TEST_DATA "/../..");

/*! One string table: each id with its texts (several for a numerus message). */
QMap<QString, QStringList> readTable(const QString &language)
{
    QFile file(sourceRoot + u"/resources/translations/quibly_"_qs + language + u".ts"_qs);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QMap<QString, QStringList> table;
    QXmlStreamReader xml(&file);
    QString id;
    bool numerus = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"message") {
            id = xml.attributes().value(u"id"_qs).toString();
            numerus = xml.attributes().value(u"numerus"_qs) == u"yes";
            table[id];
        } else if (xml.name() == u"translation" && xml.attributes().value(u"type"_qs) == u"unfinished") {
            table[id].append(QString());
        } else if ((xml.name() == u"translation" && !numerus) || xml.name() == u"numerusform") {
            table[id].append(xml.readElementText());
        }
    }
    return table;
}

/*! Every id the program looks up, from qtTrId, qsTrId and QT_TRID_NOOP in its sources. */
QSet<QString> idsInSources()
{
    static const QRegularExpression call(u"(?:qtTrId|qsTrId|QT_TRID_NOOP)\\(\\s*\"([^\"]+)\""_qs);
    QSet<QString> ids;
    for (const char *folder : { "app", "core", "cli" }) {
        QDirIterator it(sourceRoot + u'/' + QLatin1String(folder), { u"*.cpp"_qs, u"*.h"_qs, u"*.qml"_qs }, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            for (const auto &match : call.globalMatch(QString::fromUtf8(file.readAll())))
                ids.insert(match.captured(1));
        }
    }
    return ids;
}

QStringList placeholders(const QString &text)
{
    static const QRegularExpression marker(u"%(?:\\d+|n)"_qs);
    QStringList found;
    for (const auto &match : marker.globalMatch(text))
        found.append(match.captured());
    found.sort();
    return found;
}
} // namespace

Q_DECLARE_METATYPE(Outcome)

class TranslationsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void interfaceLanguage_data()
    {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("language");
        QTest::newRow("uk-UA") << QStringList { u"uk-UA"_qs } << u"uk"_qs;
        QTest::newRow("German, then Ukrainian") << QStringList { u"de-DE"_qs, u"uk-UA"_qs } << u"uk"_qs;
        QTest::newRow("en-GB") << QStringList { u"en-GB"_qs, u"uk"_qs } << u"en"_qs;
        QTest::newRow("nothing we have") << QStringList { u"fr-FR"_qs } << u"en"_qs;
        QTest::newRow("none") << QStringList {} << u"en"_qs;
    }
    void interfaceLanguage()
    {
        QFETCH(QStringList, preferred);
        QFETCH(QString, language);
        QCOMPARE(Translations::install(preferred), language);
    }

    // Both tables hold every id the sources use, with the same placeholders, and the
    // compiled tables carry every text.
    void everyIdHasATextInBothTables()
    {
        const auto english = readTable(u"en"_qs);
        const auto ukrainian = readTable(u"uk"_qs);
        QVERIFY(english.size() > 50);
        QCOMPARE(english.keys(), ukrainian.keys());
        const QSet<QString> used = idsInSources();
        QVERIFY(used.contains(u"list.not_configured"_qs));
        for (const QString &id : used)
            QVERIFY2(english.contains(id), qPrintable(u"no text for "_qs + id));
        for (auto it = english.cbegin(); it != english.cend(); ++it) {
            const QStringList &en = it.value();
            const QStringList &uk = ukrainian.value(it.key());
            // English has two plural forms, Ukrainian three (one, few, many).
            QVERIFY2(en.size() == 1 ? uk.size() == 1 : en.size() == 2 && uk.size() == 3, qPrintable(it.key()));
            const QStringList expected = placeholders(en.first());
            for (const QString &text : en + uk) {
                QVERIFY2(!text.trimmed().isEmpty(), qPrintable(it.key()));
                QVERIFY2(placeholders(text) == expected, qPrintable(it.key() + u": "_qs + text));
            }
        }
        // The formats whose arguments other code relies on.
        QCOMPARE(placeholders(english.value(u"notification.added"_qs).first()), QStringList { u"%1"_qs });
        QCOMPARE(placeholders(english.value(u"list.waiting"_qs).first()), QStringList { u"%n"_qs });
        for (const QString &language : { u"en"_qs, u"uk"_qs }) {
            QCOMPARE(Translations::install({ language }), language);
            for (const QString &id : english.keys())
                QVERIFY2(qtTrId(id.toUtf8().constData()) != id, qPrintable(language + u": "_qs + id));
        }
    }

    void ukrainianPluralForms_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("expected");
        QTest::newRow("1") << 1 << u"1 знімок чекає на надсилання"_qs;
        QTest::newRow("3") << 3 << u"3 знімки чекають на надсилання"_qs;
        QTest::newRow("11") << 11 << u"11 знімків чекають на надсилання"_qs;
        QTest::newRow("21") << 21 << u"21 знімок чекає на надсилання"_qs;
        QTest::newRow("22") << 22 << u"22 знімки чекають на надсилання"_qs;
    }
    void ukrainianPluralForms()
    {
        QFETCH(int, count);
        QFETCH(QString, expected);
        Translations::install({ u"uk"_qs });
        QCOMPARE(qtTrId("list.waiting", count), expected);
    }

    // The other outcomes' messages are checked where the store announces them.
    void notifierMessages_data()
    {
        Translations::install({ u"en"_qs });
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("waiting") << Outcome::waiting() << QStringList {};
        QTest::newRow("added, none") << Outcome::added({}) << QStringList {};
        QTest::newRow("title with a placeholder")
            << Outcome::added({ u"Pay 100%1"_qs }) << QStringList { u"New task: Pay 100%1"_qs };
    }
    void notifierMessages()
    {
        QFETCH(Outcome, outcome);
        QFETCH(QStringList, expected);
        QCOMPARE(Notifier::messages(outcome), expected);
    }
};

QTEST_GUILESS_MAIN(TranslationsTest)
#include "test_translations.moc"
