// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "hotkey.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class HotkeyBackend;

/*!
 * \brief Global hot keys: runs an action when its combination is pressed, whichever
 * application is in front.
 *
 * The application owns one for the whole process. The mechanism is chosen when it is
 * created: key grabs on the X server under X11, the desktop's GlobalShortcuts portal on
 * Wayland, none elsewhere (every key then reports Unsupported). Actions run on the main
 * thread. The settings window reads registrations() to say when a combination was refused
 * or which trigger the desktop chose, and suspends the grabs while it records a key.
 */
class HotkeyCenter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool suspended READ isSuspended WRITE setSuspended NOTIFY suspendedChanged)
    Q_PROPERTY(QString mechanism READ mechanism CONSTANT)

public:
    using Action = std::function<void()>;

    struct Binding
    {
        Hotkey hotkey;
        Action action;
        QString description; //!< shown by desktops that list the shortcuts of applications
    };

    enum class State {
        Pending, //!< waiting for the desktop's answer, or suspended
        Active, //!< pressing the combination runs the action
        Refused, //!< another application holds the combination
        Unsupported, //!< no physical key for the code, or no mechanism in this session
    };
    Q_ENUM(State)

    struct Registration
    {
        Hotkey hotkey;
        State state = State::Pending;
        /*!
         * The combination as the desktop spells it: "Ctrl+Alt+Super+T" for a grab, the
         * portal's description of the trigger it chose (which may differ from the one asked
         * for), empty while unknown.
         */
        QString trigger;
        bool operator==(const Registration &) const = default;
    };

    /*! Picks the mechanism of this session. */
    explicit HotkeyCenter(QObject *parent = nullptr);
    /*! With a given mechanism (tests, or a caller that knows better). */
    explicit HotkeyCenter(std::unique_ptr<HotkeyBackend> backend, QObject *parent = nullptr);
    ~HotkeyCenter() override;

    /*!
     * Replaces every earlier registration. The first binding gets number 1, the next 2, and
     * so on; a binding that cannot be honoured is skipped and the others still work. An
     * empty list releases everything.
     */
    void registerKeys(const QList<Binding> &bindings);

    /*! One entry per binding of the last registerKeys(), in its order. */
    QList<Registration> registrations() const { return m_registrations; }
    /*! The registration of \a hotkey, if it is among the registered ones. */
    std::optional<Registration> registration(const Hotkey &hotkey) const;

    /*!
     * While suspended no action runs and, where the mechanism allows, the combinations are
     * released so that they reach the focused window (the hot key recorder). Lifting the
     * suspension takes them again.
     */
    bool isSuspended() const { return m_suspended; }
    void setSuspended(bool suspended);

    /*! "x11", "portal" or "none". */
    QString mechanism() const;

    /*! The usual desktop spelling of \a hotkey: "Ctrl+Alt+Super+T". */
    static QString spelling(const Hotkey &hotkey);

Q_SIGNALS:
    /*! A state or trigger of registrations() changed. */
    void registrationsChanged();
    void suspendedChanged();

private:
    void onStateChanged(int number, HotkeyCenter::State state, const QString &trigger);
    void onActivated(int number);

    std::unique_ptr<HotkeyBackend> m_backend;
    QHash<int, Action> m_actions;
    QList<Registration> m_registrations;
    bool m_suspended = false;
};
