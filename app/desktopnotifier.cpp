// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "desktopnotifier.h"

#include "platform/presenter.h"
#include "toast.h"

#include <QMetaObject>
#include <QPointer>

#include <cstdio>

namespace {
void logUnavailable(const QString &reason)
{
    std::fprintf(stderr, "quibly: notifications unavailable, using the toast: %s\n", qUtf8Printable(reason));
}
} // namespace

DesktopNotifier::DesktopNotifier(QObject *parent)
    : DesktopNotifier(QDBusConnection::sessionBus(), parent)
{ }

DesktopNotifier::DesktopNotifier(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_presenter(new Presenter(bus, this))
{
    // A server started after us (or again after it went away) is used from then on.
    connect(m_presenter, &Presenter::serverAppeared, this, [this] { authorize(); });
}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::requestAuthorization()
{
    authorize();
}

QCoro::Task<> DesktopNotifier::authorize()
{
    QPointer<DesktopNotifier> self(this);
    auto checking = m_presenter->check();
    const std::optional<QString> error = co_await std::move(checking);
    if (!self)
        co_return;
    if (error)
        logUnavailable(*error);
    setAuthorized(!error);
}

void DesktopNotifier::setAuthorized(bool authorized)
{
    if (authorized == m_authorized)
        return;
    m_authorized = authorized;
    Q_EMIT authorizedChanged(authorized);
}

void DesktopNotifier::post(const QString &text)
{
    // Queued even on the main thread, so posts from every thread keep one order.
    QMetaObject::invokeMethod(
        this, [this, text] { deliver(text); }, Qt::QueuedConnection);
}

QCoro::Task<> DesktopNotifier::deliver(QString text)
{
    if (!m_authorized) {
        toToast(text);
        co_return;
    }
    QPointer<DesktopNotifier> self(this);
    auto presenting = m_presenter->present(qtTrId("app.name"), text);
    const std::optional<QString> error = co_await std::move(presenting);
    if (!self)
        co_return;
    if (error) {
        logUnavailable(*error);
        toToast(text);
        co_return;
    }
    Q_EMIT delivered(text);
}

void DesktopNotifier::toToast(const QString &text)
{
    Toast::show(text);
    Q_EMIT fellBack(text);
}
