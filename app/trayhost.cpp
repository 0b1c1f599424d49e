// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "trayhost.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QFile>

using namespace Qt::Literals::StringLiterals;

QString TrayHost::watcherService()
{
    return u"org.kde.StatusNotifierWatcher"_s;
}

TrayHost::TrayHost(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    if (!m_bus.isConnected())
        return;
    m_watcher = new QDBusServiceWatcher(watcherService(), m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                Q_EMIT watcherChanged(!newOwner.isEmpty());
            });
}

bool TrayHost::watcherPresent() const
{
    return m_bus.isConnected() && m_bus.interface()->isServiceRegistered(watcherService()).value();
}

QString TrayHost::watcherProgram() const
{
    if (!m_bus.isConnected())
        return {};
    const auto pid = m_bus.interface()->servicePid(watcherService());
    if (!pid.isValid())
        return {};
    QFile comm(u"/proc/%1/comm"_s.arg(pid.value()));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

bool TrayHost::needsMenu(bool sni, const QString &currentDesktop, const QString &watcherProgram)
{
    if (!sni)
        return false;
    if (watcherProgram.isEmpty())
        return !currentDesktop.split(u':').contains(u"KDE"_s, Qt::CaseInsensitive);
    return !watcherProgram.startsWith(u"plasmashell"_s) && !watcherProgram.startsWith(u"kded"_s);
}
