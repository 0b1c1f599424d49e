// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "notifier.h"

#include <QCoroTask>
#include <QDBusConnection>
#include <QObject>

class Presenter;

/*!
 * \brief The application's Notifier: desktop notifications, and the toast where they
 * cannot be shown.
 *
 * "Authorised" means a notification server answered at launch (or appeared later). Until
 * then, and for every message the server fails to take, the message goes to the toast.
 */
class DesktopNotifier : public QObject, public Notifier
{
    Q_OBJECT
    Q_PROPERTY(bool authorized READ isAuthorized NOTIFY authorizedChanged)
public:
    /*! Over the session bus. */
    explicit DesktopNotifier(QObject *parent = nullptr);
    explicit DesktopNotifier(const QDBusConnection &bus, QObject *parent = nullptr);
    ~DesktopNotifier() override;

    /*! Asks the server once; the answer arrives later (authorizedChanged). */
    void requestAuthorization();
    bool isAuthorized() const { return m_authorized; }

    /*! Returns at once, from any thread; messages keep their order. */
    void post(const QString &text) override;

Q_SIGNALS:
    void authorizedChanged(bool authorized);
    /*! A message went to the toast instead of a notification (for tests and logs). */
    void fellBack(const QString &text);
    /*! The server took a message. */
    void delivered(const QString &text);

private:
    QCoro::Task<> authorize();
    QCoro::Task<> deliver(QString text);
    void setAuthorized(bool authorized);
    void toToast(const QString &text);

    Presenter *m_presenter = nullptr;
    bool m_authorized = false;
};
