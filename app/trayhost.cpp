// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "trayhost.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

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

namespace {
struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, uint16_t(strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}
} // namespace

std::optional<QColor> TrayHost::xembedInk()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return std::nullopt;
    xcb_connection_t *connection = x11->connection();
    const xcb_atom_t selection = atom(connection, "_NET_SYSTEM_TRAY_S0");
    const xcb_atom_t colors = atom(connection, "_NET_SYSTEM_TRAY_COLORS");
    if (selection == XCB_ATOM_NONE || colors == XCB_ATOM_NONE)
        return std::nullopt;
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr));
    if (!owner || owner->owner == XCB_WINDOW_NONE)
        return std::nullopt;
    const XcbReply<xcb_get_property_reply_t> property(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, owner->owner, colors, XCB_ATOM_CARDINAL, 0, 12), nullptr));
    // Foreground, error, warning, success: 16-bit red, green, blue each, as 32-bit cardinals.
    if (!property || property->format != 32 || xcb_get_property_value_length(property.get()) < int(3 * 4))
        return std::nullopt;
    const auto *rgb = static_cast<const uint32_t *>(xcb_get_property_value(property.get()));
    return QColor::fromRgba64(quint16(rgb[0]), quint16(rgb[1]), quint16(rgb[2]));
}
