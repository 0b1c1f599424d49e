// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "screenshot_portal.h"

#include "portalrequest.h"

#include <QCoroDBusPendingCall>
#include <QCoroFuture>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QFile>
#include <QUrl>
#include <QtConcurrent>

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString screenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
constexpr int versionTimeout = 5000; // the portal may have to be started first
} // namespace

PortalScreenshot::PortalScreenshot(const QDBusConnection &bus)
    : m_bus(bus)
{ }

QCoro::Task<ScreenshotSource::Shot> PortalScreenshot::take(QString path, std::chrono::milliseconds timeout)
{
    if (!m_bus.isConnected())
        co_return Shot::Unavailable;
    // Asking for the interface's version also starts a portal that is only activatable.
    QDBusMessage probe = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    probe << screenshotInterface << QStringLiteral("version");
    QDBusPendingCall probing = m_bus.asyncCall(probe, versionTimeout);
    const QDBusMessage version = co_await probing;
    if (version.type() != QDBusMessage::ReplyMessage)
        co_return Shot::Unavailable;

    PortalRequest request(m_bus);
    QDBusMessage call
        = QDBusMessage::createMethodCall(portalService, portalPath, screenshotInterface, QStringLiteral("Screenshot"));
    const QVariantMap options {
        { QStringLiteral("handle_token"), request.token() },
        { QStringLiteral("interactive"), true },
        { QStringLiteral("modal"), true },
    };
    call << QString() << options;
    QDBusPendingCall calling = m_bus.asyncCall(call);
    const QDBusMessage reply = co_await calling;
    if (reply.type() != QDBusMessage::ReplyMessage) {
        if (reply.errorName() == QLatin1String("org.freedesktop.portal.Error.NotAllowed"))
            co_return Shot::Refused;
        co_return Shot::Failed;
    }
    if (!reply.arguments().isEmpty())
        request.follow(reply.arguments().constFirst().value<QDBusObjectPath>().path());

    auto waiting = request.wait(timeout);
    const std::optional<PortalRequest::Response> response = co_await std::move(waiting);
    if (!response)
        co_return Shot::Failed;
    if (response->code == 1)
        co_return Shot::Cancelled;
    if (response->code != 0)
        co_return Shot::Refused;
    const QUrl uri(response->results.value(QStringLiteral("uri")).toString());
    if (!uri.isLocalFile())
        co_return Shot::Failed;
    const QString source = uri.toLocalFile();
    auto copying = QtConcurrent::run([source, path] { return QFile::copy(source, path); });
    const bool copied = co_await copying;
    co_return copied ? Shot::Taken : Shot::Failed;
}
