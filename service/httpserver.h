// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "httprequestparser.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>

#include <functional>
#include <optional>

class QTcpServer;
class QTcpSocket;
class QTimer;

struct HttpResponse
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers;
};

/*!
 * \brief The HTTP/1.1 front of quibly-service: plain TCP or TLS, keep-alive,
 * pipelined requests answered in order.
 *
 * Its own front rather than QHttpServer because the service must refuse an
 * oversized upload from its headers, before the body is buffered, and must bound
 * header sizes and idle connections; QHttpServer 6.4 reads every body whole. The
 * handler runs on the thread that owns the server and must not block.
 */
class HttpServer : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<HttpResponse(const HttpRequest &)>;
    //! Sees the head of a request whose body is still on its way; an answer refuses
    //! the request at once, so that nobody is made to wait for (or buffer) a body that
    //! will be refused anyway.
    using HeadCheck = std::function<std::optional<HttpResponse>(const HttpRequest &head)>;

    HttpServer(qint64 maxBodyBytes, Handler handler, HeadCheck headCheck = {}, QObject *parent = nullptr);
    ~HttpServer() override;

    //! Starts listening; with a TLS configuration every connection is HTTPS.
    bool listen(const QHostAddress &address, quint16 port, const std::optional<QSslConfiguration> &tls, QString *error);
    quint16 port() const;
    //! Stops accepting and drops every open connection.
    void close();

    static QByteArray serialize(const HttpResponse &response, bool keepAlive);

private:
    void acceptConnections();

    qint64 m_maxBody;
    Handler m_handler;
    HeadCheck m_headCheck;
    QTcpServer *m_server = nullptr;
};

/*! One client connection of HttpServer. */
class HttpConnection : public QObject
{
    Q_OBJECT

public:
    HttpConnection(QTcpSocket *socket, qint64 maxBodyBytes, const HttpServer::Handler &handler,
                   const HttpServer::HeadCheck &headCheck, QObject *parent);

private:
    void readAvailable();
    void respond(const HttpResponse &response, bool keepAlive);
    void log(const HttpRequest &request, int status, qint64 nsecs);
    void closeAfterWriting();
    void discard();

    QPointer<QTcpSocket> m_socket;
    HttpRequestParser m_parser;
    const HttpServer::Handler &m_handler;
    const HttpServer::HeadCheck &m_headCheck;
    QTimer *m_idle;
    bool m_headChecked = false;
    bool m_closing = false;
    qint64 m_discardLeft = 0;
};
