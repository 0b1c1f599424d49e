// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "hotkeys_x11.h"

#include "keycodes.h"
#include "x11.h"

#include <QCoreApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

namespace {

constexpr xcb_keysym_t numLockSym = 0xff7f;
constexpr xcb_keysym_t scrollLockSym = 0xff14;
constexpr xcb_keysym_t altSym = 0xffe9;
constexpr xcb_keysym_t superSym = 0xffeb;

// The modifier bit (Mod1…Mod5, Shift, Lock, Control) that carries the key of \a sym, or 0.
quint16 modifierOf(xcb_key_symbols_t *symbols, const xcb_get_modifier_mapping_reply_t *map, xcb_keysym_t sym)
{
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, sym);
    if (!codes)
        return 0;
    const xcb_keycode_t *mapped = xcb_get_modifier_mapping_keycodes(map);
    const int perModifier = map->keycodes_per_modifier;
    quint16 mask = 0;
    for (int mod = 0; mod < 8 && !mask; ++mod) {
        for (int i = 0; i < perModifier && !mask; ++i) {
            const xcb_keycode_t k = mapped[mod * perModifier + i];
            for (const xcb_keycode_t *code = codes; k && *code != XCB_NO_SYMBOL; ++code)
                if (*code == k)
                    mask = quint16(1u << mod);
        }
    }
    std::free(codes);
    return mask;
}

} // namespace

std::unique_ptr<X11Hotkeys> X11Hotkeys::create()
{
    xcb_connection_t *c = X11::connection();
    if (!c)
        return nullptr;
    return std::unique_ptr<X11Hotkeys>(new X11Hotkeys(c, X11::rootWindow()));
}

X11Hotkeys::X11Hotkeys(xcb_connection_t *connection, quint32 root)
    : m_connection(connection)
    , m_root(root)
{
    readModifierMap();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11Hotkeys::~X11Hotkeys()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    releaseAll();
}

void X11Hotkeys::readModifierMap()
{
    xcb_get_modifier_mapping_reply_t *map
        = xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr);
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(m_connection);
    if (map && symbols) {
        m_numLock = modifierOf(symbols, map, numLockSym);
        m_scrollLock = modifierOf(symbols, map, scrollLockSym);
        m_alt = modifierOf(symbols, map, altSym);
        m_super = modifierOf(symbols, map, superSym);
    }
    if (symbols)
        xcb_key_symbols_free(symbols);
    std::free(map);
    // The usual assignment, where the map does not say.
    if (!m_alt)
        m_alt = XCB_MOD_MASK_1;
    if (!m_super)
        m_super = XCB_MOD_MASK_4;
}

QList<quint16> X11Hotkeys::lockCombinations() const
{
    QList<quint16> locks { XCB_MOD_MASK_LOCK };
    if (m_numLock)
        locks << m_numLock;
    if (m_scrollLock && m_scrollLock != m_numLock)
        locks << m_scrollLock;
    QList<quint16> combinations;
    for (quint32 subset = 0; subset < (1u << locks.size()); ++subset) {
        quint16 mask = 0;
        for (int i = 0; i < locks.size(); ++i)
            if (subset & (1u << i))
                mask |= locks.at(i);
        combinations << mask;
    }
    return combinations;
}

void X11Hotkeys::bind(const QList<Key> &keys)
{
    releaseAll();
    // The lock keys may have moved since (a layout set after login): grab with today's map.
    readModifierMap();
    m_keys = keys;
    m_grabs.clear();
    for (const Key &key : keys) {
        const auto keycode = KeyCodes::toXkb(key.hotkey.keyCode);
        if (!keycode || *keycode > 255) {
            Q_EMIT stateChanged(key.number, HotkeyCenter::State::Unsupported, {});
            continue;
        }
        quint16 mods = 0;
        if (key.hotkey.modifiers & Hotkey::control)
            mods |= XCB_MOD_MASK_CONTROL;
        if (key.hotkey.modifiers & Hotkey::shift)
            mods |= XCB_MOD_MASK_SHIFT;
        if (key.hotkey.modifiers & Hotkey::option)
            mods |= m_alt;
        if (key.hotkey.modifiers & Hotkey::command)
            mods |= m_super;
        m_grabs.append({ key.number, quint8(*keycode), mods, false });
    }
    if (m_suspended) {
        for (const Grab &g : std::as_const(m_grabs))
            Q_EMIT stateChanged(g.number, HotkeyCenter::State::Pending, {});
        return;
    }
    grabAll();
}

void X11Hotkeys::setSuspended(bool suspended)
{
    if (suspended == m_suspended)
        return;
    m_suspended = suspended;
    if (suspended) {
        releaseAll();
        for (const Grab &g : std::as_const(m_grabs))
            Q_EMIT stateChanged(g.number, HotkeyCenter::State::Pending, {});
    } else {
        grabAll();
    }
}

void X11Hotkeys::grabAll()
{
    for (Grab &g : m_grabs) {
        const bool ok = grab(g);
        QString trigger;
        for (const Key &k : std::as_const(m_keys))
            if (k.number == g.number)
                trigger = HotkeyCenter::spelling(k.hotkey);
        Q_EMIT stateChanged(g.number, ok ? HotkeyCenter::State::Active : HotkeyCenter::State::Refused, trigger);
    }
}

void X11Hotkeys::releaseAll()
{
    for (Grab &g : m_grabs) {
        if (g.held)
            ungrab(g);
        g.held = false;
    }
}

bool X11Hotkeys::grab(Grab &g)
{
    const QList<quint16> locks = lockCombinations();
    QList<xcb_void_cookie_t> cookies;
    for (quint16 lock : locks)
        cookies << xcb_grab_key_checked(m_connection, 1, m_root, g.modifiers | lock, g.keycode, XCB_GRAB_MODE_ASYNC,
                                        XCB_GRAB_MODE_ASYNC);
    // BadAccess (another client holds one of the combinations) is the usual error; any
    // error leaves the key unusable in some lock state, so it counts as refused.
    bool refused = false;
    for (const xcb_void_cookie_t &cookie : std::as_const(cookies)) {
        if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    if (refused) {
        // Ungrabbing only ever releases our own grabs, so the other client keeps its own.
        ungrab(g);
        return false;
    }
    g.held = true;
    return true;
}

void X11Hotkeys::ungrab(const Grab &g)
{
    for (quint16 lock : lockCombinations())
        xcb_ungrab_key(m_connection, g.keycode, m_root, g.modifiers | lock);
    xcb_flush(m_connection);
}

bool X11Hotkeys::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || m_suspended)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const quint8 type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
    if (key->event != m_root)
        return false;
    const quint16 locks = XCB_MOD_MASK_LOCK | m_numLock | m_scrollLock;
    // Only the eight modifier bits: the rest are pointer buttons and the keyboard group.
    const quint16 mods = key->state & 0xff & ~locks;
    for (const Grab &g : std::as_const(m_grabs)) {
        if (!g.held || g.keycode != key->detail || g.modifiers != mods)
            continue;
        if (type == XCB_KEY_RELEASE) {
            m_releasedAt.insert(g.keycode, key->time);
        } else if (m_releasedAt.value(g.keycode) != key->time) {
            Q_EMIT activated(g.number);
        }
        return true;
    }
    return false;
}
