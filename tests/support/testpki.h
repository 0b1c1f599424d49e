// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QString>
#include <QTemporaryDir>

/*!
 * \brief Certificates made for one test run with the `openssl` command.
 *
 * A throw-away certificate authority, a server certificate for 127.0.0.1 and "localhost"
 * signed by it, and an unrelated self-signed certificate for the same names that no one
 * trusts. Pass trustedServer() or untrustedServer() to FakeService::listenTls(), and call
 * trustAuthority() so that the client's default TLS configuration accepts the first.
 */
class TestPki
{
public:
    /*! Runs openssl; returns an empty string on success, else what went wrong. */
    QString generate();

    const QSslCertificate &authority() const { return m_authority; }
    QSslConfiguration trustedServer() const;
    QSslConfiguration untrustedServer() const;

    /*! Adds the authority to QSslConfiguration::defaultConfiguration() for this process. */
    void trustAuthority() const;

private:
    QTemporaryDir m_dir;
    QSslCertificate m_authority;
    QSslCertificate m_server;
    QSslKey m_serverKey;
    QSslCertificate m_rogue;
    QSslKey m_rogueKey;
};
