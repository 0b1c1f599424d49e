// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "desktopnotifier.h"
#include "platform/x11.h"
#include "toast.h"
#include "translations.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

using namespace std::chrono_literals;

namespace {

bool serverOnBus()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(u"org.freedesktop.Notifications"_qs);
}

// A helper program of the test, stopped by its own pid.
class Helper : public QProcess
{
public:
    explicit Helper(const QString &program)
    {
        setStandardOutputFile(nullDevice());
        setStandardErrorFile(nullDevice());
        start(program);
    }
    ~Helper() override { stop(); }
    void stop()
    {
        terminate();
        if (!waitForFinished(3000))
            kill();
        waitForFinished();
    }
};

QJsonArray dunstHistory()
{
    QProcess::execute(u"dunstctl"_qs, { u"close-all"_qs });
    QProcess p;
    p.start(u"dunstctl"_qs, { u"history"_qs });
    p.waitForFinished();
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object().value(u"data"_qs).toArray().at(0).toArray();
}

QStringList field(const QJsonArray &history, const QString &name)
{
    QStringList out;
    for (const QJsonValue &n : history)
        out << n.toObject().value(name).toObject().value(u"data"_qs).toString();
    return out;
}

} // namespace

class NotificationsTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<Helper> m_wm;
    int m_clicks = 0;

    void resetToast()
    {
        Toast::setAnchor({});
        Toast::setAvoid({});
        if (QWidget *panel = Toast::panel(); panel && panel->isVisible()) {
            QTRY_VERIFY_WITH_TIMEOUT(!panel->isVisible(), 5000);
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        Translations::install({ u"en"_qs });
        m_wm = std::make_unique<Helper>(u"openbox"_qs);
        QVERIFY(m_wm->waitForStarted());
        Toast::setTimings({ 600ms, 50ms, 150ms });
        Toast::setOnClick([this] { ++m_clicks; });
    }
    void init()
    {
        resetToast();
        m_clicks = 0;
        QTest::failOnWarning(QRegularExpression(u".*"_qs));
    }

    void keepsTheNewestSixLines()
    {
        for (int i = 1; i <= 7; ++i)
            Toast::show(QString::number(i));
        QCOMPARE(Toast::lines(), (QStringList { u"2"_qs, u"3"_qs, u"4"_qs, u"5"_qs, u"6"_qs, u"7"_qs }));
        const int six = Toast::panel()->height();
        QTRY_VERIFY_WITH_TIMEOUT(!Toast::panel()->isVisible(), 5000);
        Toast::show(u"one"_qs);
        QVERIFY(Toast::panel()->height() < six);
        // A long message takes two lines at most.
        const int one = Toast::panel()->height();
        Toast::show(QString(u"very long news "_qs).repeated(40));
        const int two = Toast::panel()->height() - one;
        QVERIFY(two > 0 && two < 3 * QFontMetrics(Toast::panel()->font()).height() + 8);
    }

    // A new message restarts the timer, also while the panel fades out.
    void aNewMessageKeepsThePanel()
    {
        Toast::show(u"first"_qs);
        QTest::qWait(400);
        Toast::show(u"second"_qs);
        QTest::qWait(400); // 800 ms after the first: past its own 600
        QVERIFY(Toast::panel()->isVisible());
        QCOMPARE(Toast::lines(), (QStringList { u"first"_qs, u"second"_qs }));
        QTRY_VERIFY_WITH_TIMEOUT(Toast::lines().isEmpty(), 5000); // fading now
        QVERIFY(Toast::panel()->isVisible());
        Toast::show(u"new"_qs);
        QTest::qWait(300); // longer than the fade
        QVERIFY(Toast::panel()->isVisible());
        QCOMPARE(Toast::lines(), QStringList { u"new"_qs });
    }

    void placement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QRect>("avoid");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("top"); // -1: check bottom instead
        QTest::addColumn<int>("bottom");
        const QRect none;
        QTest::newRow("under the icon") << QRect(1000, 0, 25, 24) << none << 852 << 30 << -1;
        QTest::newRow("under the open list") << QRect(1000, 0, 25, 24) << QRect(800, 30, 401, 500) << 840 << 536 << -1;
        QTest::newRow("icon at the right edge") << QRect(1410, 0, 25, 24) << none << 1120 << 30 << -1;
        QTest::newRow("panel at the bottom") << QRect(1000, 876, 25, 24) << none << 852 << -1 << 870;
        QTest::newRow("no icon: top right") << none << none << 1108 << 6 << -1;
    }
    void placement()
    {
        QFETCH(QRect, anchor);
        QFETCH(QRect, avoid);
        QFETCH(int, x);
        QFETCH(int, top);
        QFETCH(int, bottom);
        if (anchor.isValid())
            Toast::setAnchor([anchor] { return std::optional<QRect>(anchor); });
        if (avoid.isValid())
            Toast::setAvoid([avoid] { return std::optional<QRect>(avoid); });
        Toast::show(u"placed"_qs);
        QWidget *panel = Toast::panel();
        QTRY_COMPARE(panel->geometry().x(), x);
        QCOMPARE(panel->width(), 320);
        if (top >= 0)
            QCOMPARE(panel->geometry().top(), top);
        else
            QCOMPARE(panel->geometry().bottom() + 1, bottom);
    }

    void clickHidesThenRunsOnClick()
    {
        QWidget other;
        other.setWindowTitle(u"the user's window"_qs);
        other.resize(300, 200);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        Toast::show(u"click me"_qs);
        QWidget *panel = Toast::panel();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        // Never takes the focus from the window the user is in.
        QTest::qWait(100);
        QCOMPARE(QApplication::activeWindow(), &other);
        const QPoint centre = panel->geometry().center();
        QCOMPARE(QProcess::execute(u"xdotool"_qs,
                                   { u"mousemove"_qs, QString::number(centre.x()), QString::number(centre.y()),
                                     u"click"_qs, u"1"_qs }),
                 0);
        QTRY_COMPARE(m_clicks, 1);
        QVERIFY(!panel->isVisible());
        QVERIFY(Toast::lines().isEmpty());
    }

    void roundCornersWithAndWithoutCompositing()
    {
        QVERIFY(!X11::compositing());
        Toast::show(u"square world"_qs);
        QVERIFY(!Toast::panel()->mask().isEmpty());
        QVERIFY(!Toast::panel()->mask().contains(QPoint(0, 0)));
        Helper compositor(u"xcompmgr"_qs);
        QVERIFY(compositor.waitForStarted());
        QTRY_VERIFY(X11::compositing());
        Toast::show(u"translucent world"_qs);
        QVERIFY(Toast::panel()->mask().isEmpty());
        compositor.stop();
        QTRY_VERIFY(!X11::compositing());
    }

    // Without a server everything goes to the toast; a server that appears gets the messages, and
    // when it goes the toast takes over again.
    void messagesGoWhereTheyCanBeSeen()
    {
        QVERIFY(!serverOnBus());
        DesktopNotifier notifier;
        QSignalSpy delivered(&notifier, &DesktopNotifier::delivered);
        QSignalSpy fellBack(&notifier, &DesktopNotifier::fellBack);
        notifier.requestAuthorization();
        notifier.notify(Outcome::added({ u"a"_qs, u"b"_qs }));
        notifier.notify(Outcome::waiting());
        QTRY_COMPARE(fellBack.count(), 2);
        QVERIFY(!notifier.isAuthorized());
        const QStringList added { qtTrId("notification.added").arg(u"a"_qs),
                                  qtTrId("notification.added").arg(u"b"_qs) };
        QCOMPARE(Toast::lines(), added);

        if (QStandardPaths::findExecutable(u"dunst"_qs).isEmpty())
            QSKIP("dunst is not installed");
        auto dunst = std::make_unique<Helper>(u"dunst"_qs);
        QVERIFY(dunst->waitForStarted());
        QTRY_VERIFY(notifier.isAuthorized());
        notifier.notify(Outcome::added({ u"a"_qs, u"b"_qs }));
        notifier.post(u"plain text"_qs);
        QTRY_COMPARE(delivered.count(), 3);
        const QJsonArray history = dunstHistory();
        QCOMPARE(field(history, u"appname"_qs), QStringList(3, u"Quibly"_qs));
        QCOMPARE(field(history, u"summary"_qs), QStringList(3, qtTrId("app.name")));
        QVERIFY(field(history, u"body"_qs).contains(u"plain text"_qs));
        QVERIFY(field(history, u"body"_qs).contains(added.at(1)));
        QCOMPARE(fellBack.count(), 2);

        dunst.reset();
        QTRY_VERIFY(!serverOnBus());
        notifier.post(u"nobody listens"_qs);
        QTRY_COMPARE(fellBack.count(), 3);
        QCOMPARE(Toast::lines().constLast(), u"nobody listens"_qs);

        dunst = std::make_unique<Helper>(u"dunst"_qs);
        QTRY_VERIFY(serverOnBus());
        notifier.post(u"welcome back"_qs);
        QTRY_COMPARE(delivered.count(), 4);
    }
};

QTEST_MAIN(NotificationsTest)
#include "test_notifications.moc"
