// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "hotkeybackend.h"

#include <QAbstractNativeEventFilter>
#include <QHash>

struct xcb_connection_t;

/*!
 * \brief Hot keys as passive key grabs on the X root window.
 *
 * Each combination is grabbed once for every state of the lock modifiers (CapsLock,
 * NumLock, ScrollLock, as the modifier map assigns them), so that a lit lock key does not
 * disable it. A combination another client holds (BadAccess) is released again and
 * reported Refused. Presses arrive in a native event filter on the main thread.
 */
class X11Hotkeys : public HotkeyBackend, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    /*! Null outside an X11 session. */
    static std::unique_ptr<X11Hotkeys> create();
    ~X11Hotkeys() override;

    QString name() const override { return QStringLiteral("x11"); }
    void bind(const QList<Key> &keys) override;
    void setSuspended(bool suspended) override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    X11Hotkeys(xcb_connection_t *connection, quint32 root);

    struct Grab
    {
        int number = 0;
        quint8 keycode = 0;
        quint16 modifiers = 0;
        bool held = false;
    };

    void readModifierMap();
    void grabAll();
    void releaseAll();
    bool grab(Grab &g);
    void ungrab(const Grab &g);
    QList<quint16> lockCombinations() const;

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    QList<Key> m_keys;
    QList<Grab> m_grabs;
    bool m_suspended = false;
    quint16 m_numLock = 0;
    quint16 m_scrollLock = 0;
    quint16 m_alt = 0;
    quint16 m_super = 0;
    // Key auto-repeat sends a release and a press with the same time stamp: not a new press.
    QHash<quint8, quint32> m_releasedAt;
};
