// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "hotkeycenter.h"
#include "platform/hotkeys_portal.h"
#include "platform/portalrequest.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdlib>

using State = HotkeyCenter::State;

namespace {

const Hotkey capture = Hotkey::defaultCapture(); // Ctrl+Alt+Super+T
const Hotkey list = Hotkey::defaultList(); // Ctrl+Alt+Super+L
const Hotkey shiftK { 40, Hotkey::control | Hotkey::shift, QStringLiteral("K") };
const Hotkey noSuchKey { 200, Hotkey::control, QStringLiteral("?") };

void xdotool(const QStringList &arguments)
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), arguments), 0);
}

// Another X client that holds a combination, as a desktop's own shortcut daemon would.
class OtherClient
{
public:
    OtherClient() { m_c = xcb_connect(nullptr, nullptr); }
    ~OtherClient() { xcb_disconnect(m_c); }
    bool grab(quint8 keycode, quint16 mods)
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        xcb_generic_error_t *e = xcb_request_check(
            m_c, xcb_grab_key_checked(m_c, 1, root, mods, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(e);
        return !e;
    }

    // Moves every key of modifier \a from to modifier \a to (indices 0…7); returns the old map.
    QByteArray moveModifier(int from, int to)
    {
        xcb_get_modifier_mapping_reply_t *map
            = xcb_get_modifier_mapping_reply(m_c, xcb_get_modifier_mapping(m_c), nullptr);
        const int per = map->keycodes_per_modifier;
        QByteArray codes(reinterpret_cast<const char *>(xcb_get_modifier_mapping_keycodes(map)), 8 * per);
        std::free(map);
        const QByteArray old = codes;
        for (int i = 0; i < per; ++i) {
            codes[to * per + i] = codes[from * per + i];
            codes[from * per + i] = 0;
        }
        setModifiers(codes);
        return old;
    }
    void setModifiers(const QByteArray &codes)
    {
        auto *reply = xcb_set_modifier_mapping_reply(
            m_c,
            xcb_set_modifier_mapping(m_c, quint8(codes.size() / 8),
                                     reinterpret_cast<const xcb_keycode_t *>(codes.constData())),
            nullptr);
        std::free(reply);
    }

private:
    xcb_connection_t *m_c = nullptr;
};

// org.freedesktop.portal.GlobalShortcuts on a bus connection of its own. The desktop binds
// every shortcut but gives the list key a trigger of its own choosing.
class FakeShortcutsPortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"fake-shortcuts"_qs);
    QStringList sessions;
    QList<QList<PortalShortcut>> bound;
    int leaveOut = 0; // a shortcut number the desktop does not bind

    FakeShortcutsPortal()
    {
        PortalHotkeys::registerTypes();
        bus.registerObject(u"/org/freedesktop/portal/desktop"_qs, this,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        bus.registerService(u"org.freedesktop.portal.Desktop"_qs);
    }
    ~FakeShortcutsPortal() override
    {
        bus.unregisterService(u"org.freedesktop.portal.Desktop"_qs);
        bus.unregisterObject(u"/org/freedesktop/portal/desktop"_qs);
    }
    uint version() const { return 1; }
    void press(int session, const QString &id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(u"/org/freedesktop/portal/desktop"_qs,
                                                         u"org.freedesktop.portal.GlobalShortcuts"_qs, u"Activated"_qs);
        signal << QVariant::fromValue(QDBusObjectPath(sessions.at(session))) << id << qulonglong(0) << QVariantMap();
        bus.send(signal);
    }

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap &options, const QDBusMessage &message)
    {
        const QString session = u"/org/freedesktop/portal/desktop/session/"_qs
            + message.service().mid(1).replace(u'.', u'_') + u'/'
            + options.value(u"session_handle_token"_qs).toString();
        sessions << session;
        return respond(message, options, { { u"session_handle"_qs, session } });
    }
    QDBusObjectPath BindShortcuts(const QDBusObjectPath &, const QList<PortalShortcut> &shortcuts, const QString &,
                                  const QVariantMap &options, const QDBusMessage &message)
    {
        bound << shortcuts;
        QList<PortalShortcut> chosen;
        for (PortalShortcut s : shortcuts) {
            if (s.id == u"hotkey-"_qs + QString::number(leaveOut))
                continue;
            const QString trigger = s.properties.value(u"preferred_trigger"_qs).toString();
            s.properties.insert(u"trigger_description"_qs, trigger.endsWith(u"+l"_qs) ? u"Super+F12"_qs : trigger);
            chosen << s;
        }
        return respond(message, options, { { u"shortcuts"_qs, QVariant::fromValue(chosen) } });
    }

private:
    QDBusObjectPath respond(const QDBusMessage &message, const QVariantMap &options, const QVariantMap &results)
    {
        const QString path = PortalRequest::pathFor(message.service(), options.value(u"handle_token"_qs).toString());
        QTimer::singleShot(10, this, [this, path, results] {
            QDBusMessage signal
                = QDBusMessage::createSignal(path, u"org.freedesktop.portal.Request"_qs, u"Response"_qs);
            signal << uint(0) << results;
            bus.send(signal);
        });
        return QDBusObjectPath(path);
    }
};

constexpr quint16 ctrlAltSuper = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

} // namespace

class HotkeyCenterTest : public QObject
{
    Q_OBJECT
    QList<int> m_fired;

    QList<HotkeyCenter::Binding> bindings(const QList<Hotkey> &keys)
    {
        QList<HotkeyCenter::Binding> out;
        for (int i = 0; i < keys.size(); ++i)
            out.append({ keys.at(i), [this, i] { m_fired.append(i); }, {} });
        return out;
    }
    static QList<State> states(const HotkeyCenter &center)
    {
        QList<State> out;
        for (const auto &r : center.registrations())
            out << r.state;
        return out;
    }
    // Presses \a keys, then a sentinel that must fire: whatever \a keys did has happened by then.
    void pressThenSentinel(const QString &keys, const QString &sentinel, int sentinelIndex)
    {
        QStringList arguments { QStringLiteral("key") };
        if (!keys.isEmpty())
            arguments << keys;
        xdotool(arguments << sentinel);
        QTRY_VERIFY(m_fired.contains(sentinelIndex));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
    }
    void init()
    {
        m_fired.clear();
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    }

    // A layout set after start-up may put NumLock on Mod3 instead of Mod2.
    void firesInEveryLockState_data()
    {
        QTest::addColumn<QStringList>("locks");
        QTest::addColumn<bool>("numLockOnMod3");
        QTest::newRow("none") << QStringList {} << false;
        QTest::newRow("CapsLock") << QStringList { u"Caps_Lock"_qs } << false;
        QTest::newRow("NumLock") << QStringList { u"Num_Lock"_qs } << false;
        QTest::newRow("both") << QStringList { u"Caps_Lock"_qs, u"Num_Lock"_qs } << false;
        QTest::newRow("NumLock on Mod3") << QStringList { u"Num_Lock"_qs } << true;
    }
    void firesInEveryLockState()
    {
        QFETCH(QStringList, locks);
        QFETCH(bool, numLockOnMod3);
        OtherClient other;
        HotkeyCenter center;
        const QByteArray old = numLockOnMod3 ? other.moveModifier(4, 5) : QByteArray();
        const auto restore = qScopeGuard([&] {
            if (!old.isEmpty())
                other.setModifiers(old);
        });
        QCOMPARE(center.mechanism(), u"x11"_qs);
        center.registerKeys(bindings({ capture, list }));
        QCOMPARE(states(center), (QList<State> { State::Active, State::Active }));
        QCOMPARE(center.registrations().at(0).trigger, u"Ctrl+Alt+Super+T"_qs);
        for (const QString &lock : locks)
            xdotool({ u"key"_qs, lock });
        xdotool({ u"key"_qs, u"ctrl+alt+super+l"_qs });
        QTRY_COMPARE(m_fired, QList<int> { 1 });
        xdotool({ u"key"_qs, u"ctrl+alt+super+t"_qs });
        QTRY_COMPARE(m_fired, (QList<int> { 1, 0 }));
        for (const QString &lock : locks)
            xdotool({ u"key"_qs, lock });
    }

    // A key another client holds, or one this keyboard lacks, is skipped; the others work.
    void unavailableKeysAreSkipped()
    {
        OtherClient other;
        QVERIFY(other.grab(28, ctrlAltSuper));
        HotkeyCenter center;
        QSignalSpy changed(&center, &HotkeyCenter::registrationsChanged);
        center.registerKeys(bindings({ capture, noSuchKey, list }));
        QCOMPARE(states(center), (QList<State> { State::Refused, State::Unsupported, State::Active }));
        QCOMPARE(center.registration(capture)->state, State::Refused);
        QVERIFY(changed.count() >= 1);
        // The refused key released what it had taken in the other lock states.
        QVERIFY(other.grab(28, ctrlAltSuper | XCB_MOD_MASK_LOCK));
        pressThenSentinel(u"ctrl+alt+super+t"_qs, u"ctrl+alt+super+l"_qs, 2);
        QCOMPARE(m_fired, QList<int> { 2 });
    }

    // Suspending, registering other keys and registering none each release what is no longer
    // wanted; resuming takes the keys back.
    void grabsFollowTheRegistrations()
    {
        HotkeyCenter center;
        center.registerKeys(bindings({ capture, list }));
        center.setSuspended(true);
        QCOMPARE(states(center), (QList<State> { State::Pending, State::Pending }));
        {
            // Released: the combination now reaches whoever asks for it (the recorder's window).
            OtherClient other;
            QVERIFY(other.grab(28, ctrlAltSuper));
        }
        center.setSuspended(false);
        QCOMPARE(states(center), (QList<State> { State::Active, State::Active }));
        xdotool({ u"key"_qs, u"ctrl+alt+super+t"_qs });
        QTRY_COMPARE(m_fired, QList<int> { 0 });

        m_fired.clear();
        center.registerKeys(bindings({ shiftK }));
        QCOMPARE(states(center), QList<State> { State::Active });
        pressThenSentinel(u"ctrl+alt+super+t"_qs, u"ctrl+shift+k"_qs, 0);
        QCOMPARE(m_fired, QList<int> { 0 });

        center.registerKeys({});
        QVERIFY(center.registrations().isEmpty());
        OtherClient other;
        QVERIFY(other.grab(28, ctrlAltSuper));
        QVERIFY(other.grab(45, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT));
    }

    void portalBindsAndReportsTheChosenTriggers_data()
    {
        QTest::addColumn<int>("leaveOut");
        QTest::addColumn<QList<State>>("expected");
        QTest::newRow("both bound") << 0 << QList<State> { State::Active, State::Active };
        QTest::newRow("capture left out") << 1 << QList<State> { State::Refused, State::Active };
    }
    void portalBindsAndReportsTheChosenTriggers()
    {
        QFETCH(int, leaveOut);
        QFETCH(QList<State>, expected);
        FakeShortcutsPortal portal;
        portal.leaveOut = leaveOut;
        HotkeyCenter center(std::make_unique<PortalHotkeys>(QDBusConnection::sessionBus()));
        QCOMPARE(center.mechanism(), u"portal"_qs);
        center.registerKeys(bindings({ capture, list }));
        QCOMPARE(states(center), (QList<State> { State::Pending, State::Pending }));
        QTRY_COMPARE(states(center), expected);
        QCOMPARE(portal.bound.size(), 1);
        QCOMPARE(portal.bound.first().at(0).properties.value(u"preferred_trigger"_qs).toString(),
                 u"CTRL+ALT+LOGO+t"_qs);
        QCOMPARE(center.registrations().at(1).trigger, u"Super+F12"_qs);

        if (leaveOut)
            return;
        portal.press(0, u"hotkey-2"_qs);
        QTRY_COMPARE(m_fired, QList<int> { 1 });
        center.setSuspended(true);
        portal.press(0, u"hotkey-2"_qs);
        QTest::qWait(200); // the press arrives while suspended
        center.setSuspended(false);
        portal.press(0, u"hotkey-1"_qs);
        portal.press(0, u"hotkey-2"_qs);
        QTRY_COMPARE(m_fired, (QList<int> { 1, 0, 1 }));

        // A new registration opens a new session; presses from the old one are ignored.
        m_fired.clear();
        center.registerKeys(bindings({ list }));
        QTRY_COMPARE(portal.sessions.size(), 2);
        QTRY_COMPARE(states(center), QList<State> { State::Active });
        portal.press(0, u"hotkey-1"_qs);
        portal.press(1, u"hotkey-1"_qs);
        QTRY_COMPARE(m_fired, QList<int> { 0 });
    }

    void portalMissingMeansUnsupported()
    {
        HotkeyCenter center(std::make_unique<PortalHotkeys>(QDBusConnection::sessionBus()));
        center.registerKeys(bindings({ capture }));
        QTRY_COMPARE(states(center), QList<State> { State::Unsupported });
    }

    void heldKeyFiresOnce()
    {
        HotkeyCenter center;
        center.registerKeys(bindings({ capture, list }));
        xdotool({ u"keydown"_qs, u"ctrl+alt+super+t"_qs });
        // Auto-repeat would send more presses while the key is down.
        QTest::qWait(800);
        xdotool({ u"keyup"_qs, u"ctrl+alt+super+t"_qs });
        pressThenSentinel(QString(), u"ctrl+alt+super+l"_qs, 1);
        QCOMPARE(m_fired, (QList<int> { 0, 1 }));
    }
};

QTEST_MAIN(HotkeyCenterTest)
#include "test_hotkeycenter.moc"
