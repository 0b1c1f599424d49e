// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

class QDBusServiceWatcher;

/*!
 * \brief What the session offers as a tray: the StatusNotifierWatcher on the bus (SNI) or
 * an XEmbed tray, and whether its host can tell a primary from a secondary click.
 *
 * The watcher may start after Quibly at login, and may restart; the delegate follows it
 * through watcherChanged() to put its icon back.
 */
class TrayHost : public QObject
{
    Q_OBJECT
public:
    static QString watcherService();

    explicit TrayHost(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    /*! Whether a StatusNotifierWatcher owns its name now. */
    bool watcherPresent() const;
    /*! The program name of the watcher's owner ("plasmashell", "gnome-shell", …), empty when unknown. */
    QString watcherProgram() const;

    /*!
     * Whether the icon needs a menu for its secondary actions: under SNI every host but
     * KDE Plasma's either cannot tell the buttons apart (GNOME's AppIndicator extension) or
     * sends nothing on a right click without a menu. XEmbed trays pass every button on.
     */
    static bool needsMenu(bool sni, const QString &currentDesktop, const QString &watcherProgram);

    /*!
     * The foreground colour an XEmbed tray asks its icons to use (_NET_SYSTEM_TRAY_COLORS, set
     * by Xfce's, MATE's and other panels that know their theme), or none.
     */
    static std::optional<QColor> xembedInk();

Q_SIGNALS:
    /*! The watcher came (\a present) or went. */
    void watcherChanged(bool present);

private:
    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher = nullptr;
};
