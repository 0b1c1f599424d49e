// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "hotkeybackend.h"

#include <QCoroTask>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QVariantMap>

/*! One shortcut as the GlobalShortcuts portal passes it: (sa{sv}). */
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcut)
QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

/*!
 * \brief Hot keys through the desktop's GlobalShortcuts portal (Wayland, where a desktop
 * offers it).
 *
 * One session per registration; each key is bound with a preferred trigger built from the
 * record ("CTRL+ALT+LOGO+t"). The desktop may ask the user and may choose another trigger:
 * its description is reported as the key's trigger. A key the desktop leaves out is
 * Refused; without the portal every key is Unsupported.
 */
class PortalHotkeys : public HotkeyBackend
{
    Q_OBJECT
public:
    explicit PortalHotkeys(const QDBusConnection &bus, QObject *parent = nullptr);
    ~PortalHotkeys() override;

    QString name() const override { return QStringLiteral("portal"); }
    void bind(const QList<Key> &keys) override;
    /*! The desktop keeps its shortcuts; HotkeyCenter ignores their presses meanwhile. */
    void setSuspended(bool) override { }

    /*! The trigger asked for \a hotkey, in the shortcut settings' notation. */
    static QString preferredTrigger(const Hotkey &hotkey);
    /*! The longest wait for each answer of the desktop (it may ask the user first). */
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    static void registerTypes();

private Q_SLOTS:
    void onActivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                     const QVariantMap &options);

private:
    QCoro::Task<> establish(quint64 generation, QList<Key> keys);
    void closeSession();
    void report(const QList<Key> &keys, HotkeyCenter::State state);

    QDBusConnection m_bus;
    QString m_session;
    quint64 m_generation = 0;
    QHash<QString, int> m_numbers; // shortcut id → key number
    std::chrono::milliseconds m_timeout { 120000 };
};
