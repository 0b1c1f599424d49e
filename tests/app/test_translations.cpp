// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "notifier.h"
#include "translations.h"

#include <QTest>

namespace {
const QStringList keys { u"app.name"_qs,
                         u"list.offline"_qs,
                         u"list.unauthorized"_qs,
                         u"list.server_error"_qs,
                         u"list.not_configured"_qs,
                         u"notification.added"_qs,
                         u"notification.no_task"_qs,
                         u"notification.renew"_qs,
                         u"notification.failed"_qs,
                         u"notification.screen_permission"_qs,
                         u"list.today"_qs,
                         u"list.tomorrow"_qs,
                         u"list.yesterday"_qs,
                         u"list.no_deadline"_qs,
                         u"priority.high"_qs,
                         u"priority.medium"_qs,
                         u"priority.low"_qs };

QString text(const QString &id)
{
    return qtTrId(id.toUtf8().constData());
}

class Recorder : public Notifier
{
public:
    QStringList posted;
    void post(const QString &text) override { posted.append(text); }
};
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

    void everyKeyHasATextInBothLanguages()
    {
        QStringList english;
        QVERIFY(Translations::install({ u"en"_qs }) == u"en"_qs);
        for (const QString &key : keys) {
            QVERIFY2(text(key) != key, qPrintable(key));
            english.append(text(key));
        }
        QCOMPARE(text(u"notification.added"_qs).count(u"%1"_qs), 1);
        QVERIFY(Translations::install({ u"uk"_qs }) == u"uk"_qs);
        for (int i = 0; i < keys.size(); ++i) {
            QVERIFY2(text(keys[i]) != keys[i], qPrintable(keys[i]));
            if (keys[i] != u"app.name"_qs)
                QVERIFY2(text(keys[i]) != english[i], qPrintable(keys[i]));
        }
        QCOMPARE(text(u"notification.added"_qs).count(u"%1"_qs), 1);
    }

    void missingIdShowsTheId()
    {
        Translations::install({ u"uk"_qs });
        QCOMPARE(text(u"list.no_such_text"_qs), u"list.no_such_text"_qs);
    }

    void notifierMessages_data()
    {
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("waiting") << Outcome::waiting() << QStringList {};
        QTest::newRow("added, none") << Outcome::added({}) << QStringList {};
        QTest::newRow("added, three") << Outcome::added({ u"A"_qs, u"B"_qs, u"A"_qs })
                                      << QStringList { u"New task: A"_qs, u"New task: B"_qs, u"New task: A"_qs };
        QTest::newRow("no task") << Outcome::noTask() << QStringList { u"No tasks found in the screenshot."_qs };
        QTest::newRow("failed") << Outcome::failed() << QStringList { u"The screenshot could not be read."_qs };
        QTest::newRow("renew")
            << Outcome::renewSignIn()
            << QStringList {
                   u"The service has to renew its sign-in before it can read screenshots. Yours will be read afterwards."_qs
               };
    }
    void notifierMessages()
    {
        QFETCH(Outcome, outcome);
        QFETCH(QStringList, expected);
        Translations::install({ u"en"_qs });
        Recorder recorder;
        recorder.notify(outcome);
        QCOMPARE(recorder.posted, expected);
    }

    void titleWithPlaceholderTextIsNotExpandedTwice()
    {
        Translations::install({ u"uk"_qs });
        QCOMPARE(Notifier::messages(Outcome::added({ u"Pay 100%1"_qs })),
                 QStringList { u"Нове завдання: Pay 100%1"_qs });
    }
};

QTEST_GUILESS_MAIN(TranslationsTest)
#include "test_translations.moc"
