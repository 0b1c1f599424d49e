// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "appdelegate.h"
#include "appidentity.h"
#include "capturer.h"
#include "defaults.h"
#include "popoverwindow.h"
#include "store.h"
#include "testimage.h"
#include "translations.h"

#include <QApplication>
#include <QFile>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {
// Records what the application binds, and how often.
class CountingHotkeys : public HotkeyBackend
{
public:
    QString name() const override { return u"counting"_s; }
    void bind(const QList<Key> &keys) override
    {
        ++binds;
        bound = keys;
    }
    void setSuspended(bool) override { }

    int binds = 0;
    QList<Key> bound;
};
} // namespace

class AppDelegateTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QTest::failOnWarning(QRegularExpression(u".?"_s));
        AppDelegate::Setup setup;
        auto hotkeys = std::make_unique<CountingHotkeys>();
        m_hotkeys = hotkeys.get();
        setup.hotkeys = std::move(hotkeys);
        m_delegate = std::make_unique<AppDelegate>(std::move(setup));
        // Whatever screenshot tool is installed waits for a selection nobody makes here.
        m_delegate->capturer().setPortalEnabled(false);
        m_delegate->capturer().setTimeout(std::chrono::milliseconds(300));
        m_delegate->launch();
        QVERIFY(m_delegate->trayIcon());
        QCOMPARE(m_hotkeys->binds, 1);
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            // No tray: the list is an ordinary window, open from the start.
            QVERIFY(m_delegate->popover());
            QCOMPARE(m_delegate->popover()->kind(), PopoverWindow::Kind::Window);
            QTRY_VERIFY(m_delegate->popover()->isVisible());
        }
    }

    void cleanupTestCase() { m_delegate.reset(); }

    void init()
    {
        if (m_delegate->popover())
            m_delegate->popover()->dismiss();
        QTRY_VERIFY(!m_delegate->popover() || !m_delegate->popover()->justDismissed());
    }

    // Which click does what, with the default and the swapped setting; a capture closes the list.
    void clicks_data()
    {
        QTest::addColumn<QString>("leftClick");
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("opensList");
        const int trigger = QSystemTrayIcon::Trigger, context = QSystemTrayIcon::Context,
                  middle = QSystemTrayIcon::MiddleClick;
        QTest::newRow("default, primary") << QString() << trigger << true;
        QTest::newRow("default, secondary") << QString() << context << false;
        QTest::newRow("default, middle") << QString() << middle << false;
        QTest::newRow("list, primary") << u"list"_s << trigger << true;
        QTest::newRow("capture, primary") << u"capture"_s << trigger << false;
        QTest::newRow("capture, secondary") << u"capture"_s << context << true;
        QTest::newRow("capture, middle") << u"capture"_s << middle << true;
    }

    void clicks()
    {
        QFETCH(QString, leftClick);
        QFETCH(int, reason);
        QFETCH(bool, opensList);
        m_delegate->store().defaults()->setLeftClick(leftClick);
        if (!opensList) {
            m_delegate->togglePopover();
            QTRY_VERIFY(m_delegate->popover()->isVisible());
        }
        QSignalSpy captures(&m_delegate->capturer(), &Capturer::activeChanged);
        Q_EMIT m_delegate->trayIcon()->activated(QSystemTrayIcon::ActivationReason(reason));
        if (opensList) {
            QVERIFY(m_delegate->popover());
            QTRY_VERIFY(m_delegate->popover()->isVisible());
            QCOMPARE(m_delegate->popover()->width(), 400);
            QCOMPARE(captures.size(), 0);
            // The same click again closes it.
            Q_EMIT m_delegate->trayIcon()->activated(QSystemTrayIcon::ActivationReason(reason));
            QVERIFY(!m_delegate->popover()->isVisible());
        } else {
            QTRY_VERIFY(!captures.isEmpty());
            QCOMPARE(captures.first().first().toInt(), 1);
            QVERIFY(!m_delegate->popover()->isVisible());
            QTRY_COMPARE(captures.last().first().toInt(), 0); // no tool here: the capture ends
        }
    }

    void settingsWindowIsReusedAndCentred()
    {
        m_delegate->openSettings();
        QQuickWindow *window = m_delegate->settingsWindow();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->title(), qtTrId("settings.title"));
        const QPoint centred = window->position();
        window->setPosition(5, 5);
        window->close();
        m_delegate->openSettings();
        QCOMPARE(m_delegate->settingsWindow(), window);
        QTRY_COMPARE(window->position(), centred);
        window->close();
    }

    // Closed image windows are dropped when the next one opens.
    void imageWindowsKeepOnlyOpenOnes()
    {
        QVERIFY(m_delegate->showImage(QuiblyTest::encodedImage({ 64, 48 })));
        QVERIFY(m_delegate->showImage(QuiblyTest::encodedImage({ 48, 64 })));
        QCOMPARE(m_delegate->imageWindowCount(), 2);
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *w : windows)
            w->close();
        QVERIFY(!m_delegate->showImage("not an image"));
        QVERIFY(m_delegate->showImage(QuiblyTest::encodedImage({ 30, 30 })));
        QCOMPARE(m_delegate->imageWindowCount(), 1);
    }

    // Settings that leave the hot keys alone, or write the same key again, keep the grabs;
    // a changed key binds both keys again, once.
    void hotkeysRebindOnlyWhenOneChanged()
    {
        Defaults *defaults = m_delegate->store().defaults();
        const Hotkey list = defaults->listHotkey();
        const int binds = m_hotkeys->binds;
        defaults->setLeftClick(u"capture"_s);
        defaults->setTaskLanguage(u"de"_s);
        defaults->setCaptureHotkey(defaults->captureHotkey());
        defaults->setListHotkey(list);
        QCOMPARE(m_hotkeys->binds, binds);

        Hotkey changed = list;
        changed.modifiers ^= Hotkey::shift;
        defaults->setListHotkey(changed);
        QCOMPARE(m_hotkeys->binds, binds + 1);
        QCOMPARE(m_hotkeys->bound.size(), 2);
        QCOMPARE(m_hotkeys->bound.at(1).hotkey, changed);
        QCOMPARE(m_hotkeys->bound.at(0).hotkey, defaults->captureHotkey());
    }

private:
    std::unique_ptr<AppDelegate> m_delegate;
    CountingHotkeys *m_hotkeys = nullptr;
};

int main(int argc, char *argv[])
{
    // Settings, key and queue of its own.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(u"config"_s).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(u"data"_s).toLocal8Bit());
    qputenv("QT_QUICK_BACKEND", "software");
    // No screenshot tool to find: a capture starts and ends at once, with nobody to make a selection.
    qputenv("PATH", home.filePath(u"bin"_s).toLocal8Bit());
    QApplication app(argc, argv);
    AppIdentity::apply();
    QApplication::setQuitOnLastWindowClosed(false);
    Translations::install({ u"en"_s });
    AppDelegateTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_appdelegate.moc"
