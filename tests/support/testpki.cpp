// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "testpki.h"

#include <QFile>
#include <QProcess>
#include <QSslKey>

using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A server configuration with a new self-signed certificate written to \a dir as NAME.crt and
// NAME.key; what went wrong goes to \a error.
QSslConfiguration selfSigned(const QString &dir, const QString &name, QString &error)
{
    QProcess openssl;
    openssl.setWorkingDirectory(dir);
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    const QString arguments = u"req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
                              " -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1,DNS:localhost -keyout "_s
        + name + u".key -out "_s + name + u".crt"_s;
    openssl.start(u"openssl"_s, arguments.split(u' '));
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0) {
        error = u"openssl %1 failed: %2"_s.arg(arguments, QString::fromLocal8Bit(openssl.readAll()));
        return {};
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(readAll(dir + u'/' + name + u".crt"_s)));
    configuration.setPrivateKey(QSslKey(readAll(dir + u'/' + name + u".key"_s), QSsl::Ec));
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    if (configuration.localCertificate().isNull() || configuration.privateKey().isNull())
        error = u"openssl wrote files Qt cannot read"_s;
    return configuration;
}

} // namespace

QString TestPki::generate()
{
    if (!m_dir.isValid())
        return u"no temporary directory"_s;
    QString error;
    m_trusted = selfSigned(m_dir.path(), u"trusted"_s, error);
    if (error.isEmpty())
        m_untrusted = selfSigned(m_dir.path(), u"rogue"_s, error);
    return error;
}

void TestPki::trustAuthority() const
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificate(m_trusted.localCertificate());
    QSslConfiguration::setDefaultConfiguration(configuration);
}
