// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QSslConfiguration>
#include <QString>
#include <QTemporaryDir>

/*!
 * \brief Two self-signed certificates for 127.0.0.1 and "localhost", made for one test run with
 * the `openssl` command: one that this process trusts once trustAuthority() was called, and
 * one that no one trusts. Pass trustedServer() or untrustedServer() to FakeService::listenTls().
 */
class TestPki
{
public:
    /*! Runs openssl; returns an empty string on success, else what went wrong. */
    QString generate();

    QSslConfiguration trustedServer() const { return m_trusted; }
    QSslConfiguration untrustedServer() const { return m_untrusted; }
    /*! The trusted server's PEM files as openssl wrote them: \a suffix "crt" or "key". */
    QString trustedFile(const QString &suffix) const { return m_dir.filePath(QStringLiteral("trusted.") + suffix); }

    /*! Adds the trusted certificate to QSslConfiguration::defaultConfiguration() for this process. */
    void trustAuthority() const;

private:
    QTemporaryDir m_dir;
    QSslConfiguration m_trusted;
    QSslConfiguration m_untrusted;
};
