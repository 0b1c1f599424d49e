// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QCoroTask>
#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <chrono>
#include <optional>

/*!
 * \brief One request of an xdg-desktop-portal call: the Response signal on the request's
 * object path.
 *
 * The path is predictable from our unique bus name and a handle token, so it is followed
 * before the call is made: a portal that answers at once is not missed.
 */
class PortalRequest : public QObject
{
    Q_OBJECT
public:
    struct Response
    {
        uint code = 2; //!< 0 success, 1 cancelled by the user, 2 other
        QVariantMap results;
    };

    /*! Follows the path for a fresh handle token on \a bus. */
    explicit PortalRequest(const QDBusConnection &bus, QObject *parent = nullptr);
    ~PortalRequest() override;

    /*! The handle_token option of the call. */
    QString token() const { return m_token; }
    QString path() const { return m_path; }
    /*! Follows \a path instead, when the portal answered the call with another one. */
    void follow(const QString &path);
    /*! The response, or none after \a timeout (the request is then closed). */
    QCoro::Task<std::optional<Response>> wait(std::chrono::milliseconds timeout);

    /*! The path a request with \a token has for the caller \a uniqueName (":1.42"). */
    static QString pathFor(const QString &uniqueName, const QString &token);

Q_SIGNALS:
    void answered();

private Q_SLOTS:
    void onResponse(uint code, const QVariantMap &results);

private:
    void subscribe();
    void unsubscribe();

    QDBusConnection m_bus;
    QString m_token;
    QString m_path;
    std::optional<Response> m_response;
};
