// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QCoroTask>
#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

/*!
 * \brief Desktop notifications through the freedesktop notification server on the session bus.
 *
 * The only mechanism for system notifications on Linux desktops; DesktopNotifier falls back
 * to the toast where it fails.
 */
class Presenter : public QObject
{
    Q_OBJECT
public:
    explicit Presenter(const QDBusConnection &bus, QObject *parent = nullptr);

    /*! Whether a server answers: none when one does, else the reason. */
    QCoro::Task<std::optional<QString>> check();
    /*! Shows one notification: none when the server took it, else the reason. */
    QCoro::Task<std::optional<QString>> present(const QString &title, const QString &body);

Q_SIGNALS:
    /*! A server took the name (for example started after us). */
    void serverAppeared();

private:
    QDBusConnection m_bus;
};
