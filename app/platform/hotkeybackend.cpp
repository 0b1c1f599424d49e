// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "hotkeybackend.h"

#include "hotkeys_portal.h"
#include "hotkeys_x11.h"

#include <QDBusConnection>

#include <QGuiApplication>

std::unique_ptr<HotkeyBackend> HotkeyBackend::create()
{
    if (auto x11 = X11Hotkeys::create())
        return x11;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return std::make_unique<PortalHotkeys>(QDBusConnection::sessionBus());
    return std::make_unique<NoHotkeys>();
}

void NoHotkeys::bind(const QList<Key> &keys)
{
    for (const Key &key : keys)
        Q_EMIT stateChanged(key.number, HotkeyCenter::State::Unsupported, {});
}
