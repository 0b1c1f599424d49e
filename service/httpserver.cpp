// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "httpserver.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>

Q_LOGGING_CATEGORY(lcHttp, "quibly.service.http", QtInfoMsg)

namespace {

constexpr int IdleTimeoutMs = 30000;
// A client that keeps sending a refused body is given this long before it is cut off.
constexpr int DiscardTimeoutMs = 10000;
constexpr qint64 MaxDiscardBytes = 256 * 1024 * 1024;
constexpr int MaxConnections = 1000;

QByteArray reason(int status)
{
    switch (status) {
    case 100:
        return "Continue";
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 411:
        return "Length Required";
    case 413:
        return "Content Too Large";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return status < 300 ? "OK" : status < 500 ? "Client Error" : "Server Error";
    }
}

HttpResponse protocolError(int status)
{
    return { status,
             "application/json",
             status == 431 || status == 413 ? R"({"code":"too_large"})" : R"({"code":"invalid_request"})",
             {} };
}

} // namespace

HttpServer::HttpServer(qint64 maxBodyBytes, Handler handler, HeadCheck headCheck, QObject *parent)
    : QObject(parent)
    , m_maxBody(maxBodyBytes)
    , m_handler(std::move(handler))
    , m_headCheck(std::move(headCheck))
{ }

HttpServer::~HttpServer()
{
    close();
}

bool HttpServer::listen(const QHostAddress &address, quint16 port, const std::optional<QSslConfiguration> &tls,
                        QString *error)
{
    close();
    if (tls) {
        auto *server = new QSslServer(this);
        server->setSslConfiguration(*tls);
        m_server = server;
    } else {
        m_server = new QTcpServer(this);
    }
    m_server->setMaxPendingConnections(128);
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, &HttpServer::acceptConnections);
    if (!m_server->listen(address, port)) {
        if (error)
            *error = m_server->errorString();
        delete m_server;
        m_server = nullptr;
        return false;
    }
    return true;
}

quint16 HttpServer::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

void HttpServer::close()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    const auto connections = findChildren<HttpConnection *>(Qt::FindDirectChildrenOnly);
    qDeleteAll(connections);
}

void HttpServer::acceptConnections()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket *socket = m_server->nextPendingConnection();
        if (findChildren<HttpConnection *>(Qt::FindDirectChildrenOnly).size() >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        new HttpConnection(socket, m_maxBody, m_handler, m_headCheck, this);
    }
}

QByteArray HttpServer::serialize(const HttpResponse &response, bool keepAlive)
{
    QByteArray out;
    out.reserve(160 + response.body.size());
    out += "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason(response.status) + "\r\n";
    if (!response.contentType.isEmpty())
        out += "Content-Type: " + response.contentType + "\r\n";
    for (const auto &[name, value] : response.headers)
        out += name + ": " + value + "\r\n";
    // A 304 stands for an answer that is not sent: a length would have to be that answer's.
    if (response.status != 304)
        out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    out += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    out += response.body;
    return out;
}

HttpConnection::HttpConnection(QTcpSocket *socket, qint64 maxBodyBytes, const HttpServer::Handler &handler,
                               const HttpServer::HeadCheck &headCheck, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_parser(maxBodyBytes)
    , m_handler(handler)
    , m_headCheck(headCheck)
    , m_idle(new QTimer(this))
{
    socket->setParent(this);
    m_idle->setSingleShot(true);
    m_idle->setInterval(IdleTimeoutMs);
    connect(m_idle, &QTimer::timeout, this, [this] {
        if (m_socket)
            m_socket->abort();
        deleteLater();
    });
    connect(socket, &QTcpSocket::readyRead, this, &HttpConnection::readAvailable);
    connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    connect(socket, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError)
            qCDebug(lcHttp) << "connection error:" << (m_socket ? m_socket->errorString() : QString());
        deleteLater();
    });
    if (auto *ssl = qobject_cast<QSslSocket *>(socket)) {
        connect(ssl, &QSslSocket::sslErrors, this, [this] { deleteLater(); });
    }
    m_idle->start();
    if (socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &HttpConnection::readAvailable, Qt::QueuedConnection);
}

void HttpConnection::readAvailable()
{
    if (!m_socket)
        return;
    if (m_closing) {
        discard();
        return;
    }
    m_idle->start();
    m_parser.append(m_socket->readAll());
    for (;;) {
        const auto state = m_parser.next();
        if (state == HttpRequestParser::State::NeedMore) {
            const HttpRequest *head = m_parser.pendingHead();
            if (head && !m_headChecked && m_headCheck) {
                m_headChecked = true;
                QElapsedTimer timer;
                timer.start();
                if (const auto refusal = m_headCheck(*head)) {
                    log(*head, refusal->status, timer.nsecsElapsed());
                    m_discardLeft = head->contentLength - m_parser.bufferedBytes();
                    respond(*refusal, false);
                    return;
                }
            }
            if (m_parser.wantsContinue())
                m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
            return;
        }
        if (state == HttpRequestParser::State::Error) {
            const HttpResponse response = protocolError(m_parser.errorStatus());
            qCInfo(lcHttp).noquote() << "-"
                                     << "-" << response.status << "0.0ms";
            respond(response, false);
            return;
        }
        const HttpRequest request = m_parser.takeRequest();
        m_headChecked = false;
        QElapsedTimer timer;
        timer.start();
        HttpResponse response;
        try {
            response = m_handler(request);
        } catch (const std::exception &e) {
            qCWarning(lcHttp) << "request failed:" << e.what();
            response = { 500, "application/json", R"({"code":"internal_error"})", {} };
        }
        log(request, response.status, timer.nsecsElapsed());
        if (request.bodyTooLarge)
            m_discardLeft = request.contentLength - m_parser.bufferedBytes();
        respond(response, request.keepAlive);
        if (m_closing || !m_socket)
            return;
    }
}

void HttpConnection::log(const HttpRequest &request, int status, qint64 nsecs)
{
    qCInfo(lcHttp).noquote() << QString::fromLatin1(request.method) << QString::fromLatin1(request.path) << status
                             << QString::number(double(nsecs) / 1e6, 'f', 1) + u"ms";
}

void HttpConnection::respond(const HttpResponse &response, bool keepAlive)
{
    if (!m_socket)
        return;
    m_socket->write(HttpServer::serialize(response, keepAlive));
    if (!keepAlive)
        closeAfterWriting();
}

void HttpConnection::closeAfterWriting()
{
    m_closing = true;
    // Reading on after the answer keeps the kernel from resetting the connection
    // under a client that is still sending, so that it gets to read the answer.
    if (m_discardLeft > MaxDiscardBytes)
        m_discardLeft = MaxDiscardBytes;
    m_idle->start(DiscardTimeoutMs);
    discard();
}

void HttpConnection::discard()
{
    if (!m_socket)
        return;
    const qint64 available = m_socket->bytesAvailable();
    m_socket->skip(available);
    m_discardLeft -= available;
    if (m_discardLeft <= 0)
        m_socket->disconnectFromHost();
}
