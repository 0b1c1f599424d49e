// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "portalrequest.h"

#include <QCoroSignal>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QPointer>
#include <QUuid>

namespace {
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
}

PortalRequest::PortalRequest(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_token(QStringLiteral("quibly") + QUuid::createUuid().toString(QUuid::Id128))
    , m_path(pathFor(bus.baseService(), m_token))
{
    subscribe();
}

PortalRequest::~PortalRequest()
{
    unsubscribe();
}

QString PortalRequest::pathFor(const QString &uniqueName, const QString &token)
{
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender + QLatin1Char('/') + token;
}

void PortalRequest::follow(const QString &path)
{
    if (path.isEmpty() || path == m_path)
        return;
    unsubscribe();
    m_path = path;
    subscribe();
}

void PortalRequest::subscribe()
{
    m_bus.connect(QString(), m_path, requestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::unsubscribe()
{
    m_bus.disconnect(QString(), m_path, requestInterface, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::onResponse(uint code, const QVariantMap &results)
{
    if (m_response)
        return;
    m_response = Response { code, results };
    Q_EMIT answered();
}

QCoro::Task<std::optional<PortalRequest::Response>> PortalRequest::wait(std::chrono::milliseconds timeout)
{
    if (!m_response) {
        QPointer<PortalRequest> self(this);
        auto answering = qCoro(this, &PortalRequest::answered, timeout);
        co_await std::move(answering);
        if (!self)
            co_return std::nullopt;
    }
    if (!m_response) {
        // Take the dialog away rather than leave it waiting for an answer nobody reads.
        m_bus.asyncCall(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.portal.Desktop"), m_path,
                                                       requestInterface, QStringLiteral("Close")));
    }
    co_return m_response;
}
