// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "desktopbus.h"
#include "quiblyctl.h"
#include "quiblytest.h"
#include "testawait.h"
#include "trayhost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextStream>
#include <QThread>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {
// quiblyctl in this process, on the default session connection.
QuiblyTest::Run runCtl(const QStringList &arguments)
{
    QuiblyTest::Run run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    QuiblyCtl ctl(out, err);
    run.code = QuiblyTest::await(ctl.run(QStringList { u"quiblyctl"_s } + arguments));
    err.flush();
    return run;
}
} // namespace

class DesktopBusTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("needs a session bus (run under dbus-run-session)");
        QTest::failOnWarning(QRegularExpression(u".?"_s));
    }

    void cleanup()
    {
        for (const QString &name : std::as_const(m_connections))
            QDBusConnection::disconnectFromBus(name);
        m_connections.clear();
    }

    // quiblyctl's actions, and a second launch, which hands the first its list and is told to leave.
    void reachingTheRunningInstance_data()
    {
        QTest::addColumn<QString>("action"); // empty: a second launch
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("capture") << u"capture"_s << QByteArray(SIGNAL(captureRequested()));
        QTest::newRow("list") << u"list"_s << QByteArray(SIGNAL(listRequested()));
        QTest::newRow("settings") << u"settings"_s << QByteArray(SIGNAL(settingsRequested()));
        QTest::newRow("second launch") << QString() << QByteArray(SIGNAL(listRequested()));
    }

    void reachingTheRunningInstance()
    {
        QFETCH(QString, action);
        QFETCH(QByteArray, signal);
        // The instance needs a connection other than quiblyctl's.
        DesktopBus running(open(u"running"_s));
        QCOMPARE(QuiblyTest::await(running.claim()), DesktopBus::Claim::Owner);
        QSignalSpy spy(&running, signal.constData());
        if (action.isEmpty()) {
            DesktopBus second(open(u"second"_s));
            QCOMPARE(QuiblyTest::await(second.claim()), DesktopBus::Claim::Forwarded);
        } else {
            const auto run = runCtl({ u"app"_s, action });
            QCOMPARE(run.code, int(QuiblyCtl::Success));
            QVERIFY(run.err.isEmpty());
        }
        QTRY_COMPARE(spy.size(), 1);
    }

    void quiblyctlWithoutARunningInstance()
    {
        const auto notRunning = runCtl({ u"app"_s, u"list"_s });
        QCOMPARE(notRunning.code, int(QuiblyCtl::NotConfigured));
        QVERIFY(notRunning.err.contains(u"not running"_s));
        QCOMPARE(runCtl({ u"app"_s, u"quit"_s }).code, int(QuiblyCtl::Usage));
    }

    // An owner that hangs delays a new launch only for the time-out, then the launch runs on
    // its own and takes the name once the hung owner is gone.
    void hungOwnerIsGivenUpOn()
    {
        QThread thread;
        thread.start();
        auto *hung = new DesktopBus(open(u"hung"_s));
        hung->moveToThread(&thread);
        std::optional<DesktopBus::Claim> hungClaim;
        QMetaObject::invokeMethod(hung, [&] {
            [](DesktopBus *bus, std::optional<DesktopBus::Claim> &claim) -> QCoro::Task<> {
                claim = co_await bus->claim();
            }(hung, hungClaim);
        });
        QTRY_VERIFY(hungClaim.has_value());
        QCOMPARE(*hungClaim, DesktopBus::Claim::Owner);
        // The owner's thread stops answering.
        QMetaObject::invokeMethod(hung, [] { QThread::sleep(3); });

        DesktopBus launch(open(u"launch"_s));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(QuiblyTest::await(launch.claim(400ms)), DesktopBus::Claim::Alone);
        QCOMPARE_LT(clock.elapsed(), 2500);

        // The hung process goes away: its queued successor owns the name.
        thread.quit();
        thread.wait();
        delete hung;
        QDBusConnection::disconnectFromBus(u"hung"_s);
        m_connections.removeAll(u"hung"_s);
        QTRY_COMPARE(QDBusConnection::sessionBus().interface()->serviceOwner(DesktopBus::serviceName()).value(),
                     QDBusConnection(u"launch"_s).baseService());
    }

    void trayHostNeedsAMenu_data()
    {
        QTest::addColumn<bool>("sni");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("watcher");
        QTest::addColumn<bool>("menu");
        QTest::newRow("XEmbed tray") << false << u"XFCE"_s << QString() << false;
        QTest::newRow("Plasma") << true << u"KDE"_s << u"plasmashell"_s << false;
        QTest::newRow("Plasma's watcher in kded") << true << u"KDE"_s << u"kded6"_s << false;
        QTest::newRow("GNOME's extension") << true << u"ubuntu:GNOME"_s << u"gnome-shell"_s << true;
        QTest::newRow("a bar of its own") << true << QString() << u"status-notifie"_s << true;
        QTest::newRow("owner unknown, KDE session") << true << u"KDE"_s << QString() << false;
        QTest::newRow("owner unknown, other session") << true << u"sway"_s << QString() << true;
    }

    void trayHostNeedsAMenu()
    {
        QFETCH(bool, sni);
        QFETCH(QString, desktop);
        QFETCH(QString, watcher);
        QFETCH(bool, menu);
        QCOMPARE(TrayHost::needsMenu(sni, desktop, watcher), menu);
    }

    // The watcher's owner is found through the bus: here this very test program owns it.
    void trayHostFollowsTheWatcher()
    {
        TrayHost host;
        QVERIFY(!host.watcherPresent());
        QSignalSpy changed(&host, &TrayHost::watcherChanged);
        QDBusConnection watcher = open(u"watcher"_s);
        QVERIFY(watcher.registerService(TrayHost::watcherService()));
        QTRY_COMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toBool(), true);
        QVERIFY(host.watcherPresent());
        QCOMPARE(host.watcherProgram(), u"test_desktopbus"_s);
        watcher.unregisterService(TrayHost::watcherService());
        QTRY_COMPARE(changed.size(), 2);
        QCOMPARE(changed.at(1).at(0).toBool(), false);
    }

private:
    // A connection of its own per simulated process: the bus then sees separate clients.
    QDBusConnection open(const QString &name)
    {
        m_connections.append(name);
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    }

    QStringList m_connections;
};

QTEST_GUILESS_MAIN(DesktopBusTest)
#include "test_desktopbus.moc"
