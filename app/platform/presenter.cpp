// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "presenter.h"

#include <QCoroDBusPendingCall>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

Presenter::Presenter(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
    auto *watcher = new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &Presenter::serverAppeared);
}

QCoro::Task<std::optional<QString>> Presenter::check()
{
    const QDBusMessage call
        = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetServerInformation"));
    QDBusPendingCall pending = m_bus.asyncCall(call);
    const QDBusMessage reply = co_await pending;
    if (reply.type() == QDBusMessage::ErrorMessage)
        co_return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    co_return std::nullopt;
}

QCoro::Task<std::optional<QString>> Presenter::present(const QString &title, const QString &body)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    const QVariantMap hints {
        { QStringLiteral("desktop-entry"), QStringLiteral("org.quibly.Quibly") },
        { QStringLiteral("urgency"), QVariant::fromValue(uchar(1)) },
    };
    call << QStringLiteral("Quibly") << uint(0) << QStringLiteral("org.quibly.Quibly") << title << body << QStringList()
         << hints << int(-1);
    QDBusPendingCall pending = m_bus.asyncCall(call);
    const QDBusMessage reply = co_await pending;
    if (reply.type() == QDBusMessage::ErrorMessage)
        co_return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    co_return std::nullopt;
}
