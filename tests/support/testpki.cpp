// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "testpki.h"

#include <QFile>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

QString runOpenssl(const QString &workDir, const QStringList &arguments)
{
    QProcess openssl;
    openssl.setWorkingDirectory(workDir);
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(u"openssl"_s, arguments);
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0)
        return u"openssl %1 failed: %2"_s.arg(arguments.join(u' '), QString::fromLocal8Bit(openssl.readAll()));
    return {};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QSslConfiguration serverConfiguration(const QSslCertificate &certificate, const QSslKey &key)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(certificate);
    configuration.setPrivateKey(key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    return configuration;
}

} // namespace

QString TestPki::generate()
{
    if (!m_dir.isValid())
        return u"no temporary directory"_s;
    const QString dir = m_dir.path();
    const QString ecKey = u" -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"_s;
    const QString names = u"subjectAltName=IP:127.0.0.1,DNS:localhost"_s;

    QFile extensions(dir + u"/server.ext"_s);
    if (!extensions.open(QIODevice::WriteOnly))
        return u"cannot write server.ext"_s;
    extensions.write(names.toUtf8() + "\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n");
    extensions.close();

    const QStringList steps {
        u"req -x509"_s + ecKey
            + u" -keyout ca.key -out ca.crt -days 2 -subj /CN=Quibly-Test-Authority"
              " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign"_s,
        u"req"_s + ecKey + u" -keyout server.key -out server.csr -subj /CN=127.0.0.1"_s,
        u"x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out server.crt -days 2"
        " -extfile server.ext"_s,
        u"req -x509"_s + ecKey + u" -keyout rogue.key -out rogue.crt -days 2 -subj /CN=127.0.0.1 -addext "_s + names,
    };
    for (const QString &step : steps) {
        if (QString error = runOpenssl(dir, step.split(u' ')); !error.isEmpty())
            return error;
    }

    m_authority = QSslCertificate(readAll(dir + u"/ca.crt"_s));
    m_server = QSslCertificate(readAll(dir + u"/server.crt"_s));
    m_serverKey = QSslKey(readAll(dir + u"/server.key"_s), QSsl::Ec);
    m_rogue = QSslCertificate(readAll(dir + u"/rogue.crt"_s));
    m_rogueKey = QSslKey(readAll(dir + u"/rogue.key"_s), QSsl::Ec);
    if (m_authority.isNull() || m_server.isNull() || m_serverKey.isNull() || m_rogue.isNull() || m_rogueKey.isNull())
        return u"openssl wrote files Qt cannot read"_s;
    return {};
}

QSslConfiguration TestPki::trustedServer() const
{
    return serverConfiguration(m_server, m_serverKey);
}

QSslConfiguration TestPki::untrustedServer() const
{
    return serverConfiguration(m_rogue, m_rogueKey);
}

void TestPki::trustAuthority() const
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificate(m_authority);
    QSslConfiguration::setDefaultConfiguration(configuration);
}
