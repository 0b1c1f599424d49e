// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "desktopbus.h"

#include <QCoroDBusPendingCall>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>

using namespace Qt::Literals::StringLiterals;

namespace {
// RequestName flags and answers of the bus daemon.
constexpr uint doNotQueue = 4;
constexpr uint primaryOwner = 1;
constexpr uint alreadyOwner = 4;
} // namespace

QString DesktopBus::serviceName()
{
    return u"org.quibly.Quibly"_s;
}

QString DesktopBus::objectPath()
{
    return u"/org/quibly/Quibly"_s;
}

QString DesktopBus::interfaceName()
{
    return u"org.quibly.Quibly"_s;
}

DesktopBus::DesktopBus(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{ }

QCoro::Task<uint> DesktopBus::requestName(uint flags)
{
    auto message = QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                                  u"org.freedesktop.DBus"_s, u"RequestName"_s);
    message << serviceName() << flags;
    const QDBusPendingReply<uint> reply = co_await m_bus.asyncCall(message);
    co_return reply.isValid() ? reply.value() : 0;
}

QCoro::Task<DesktopBus::Claim> DesktopBus::claim(std::chrono::milliseconds timeout)
{
    if (!m_bus.isConnected())
        co_return Claim::Alone;
    // The object first, so that a launch racing this one already finds someone to answer.
    m_bus.registerObject(objectPath(), this, QDBusConnection::ExportScriptableSlots);
    const uint answer = co_await requestName(doNotQueue);
    if (answer == primaryOwner || answer == alreadyOwner)
        co_return Claim::Owner;

    auto toggle = QDBusMessage::createMethodCall(serviceName(), objectPath(), interfaceName(), u"ToggleList"_s);
    const QDBusPendingReply<> reply = co_await m_bus.asyncCall(toggle, int(timeout.count()));
    if (reply.isValid())
        co_return Claim::Forwarded;
    // The owner hangs: run anyway, and take the name over once it is gone.
    co_await requestName(0);
    co_return Claim::Alone;
}

QCoro::Task<> DesktopBus::release()
{
    auto message = QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                                  u"org.freedesktop.DBus"_s, u"ReleaseName"_s);
    message << serviceName();
    co_await m_bus.asyncCall(message);
}

void DesktopBus::Capture()
{
    Q_EMIT captureRequested();
}

void DesktopBus::ToggleList()
{
    Q_EMIT listRequested();
}

void DesktopBus::OpenSettings()
{
    Q_EMIT settingsRequested();
}
