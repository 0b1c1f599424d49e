// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QUrl>

#include <chrono>
#include <deque>
#include <functional>
#include <utility>

class QTcpSocket;

/*!
 * \brief A scriptable stand-in for the task-recognition service, for tests.
 *
 * A small HTTP/1.1 server (plain or TLS) on a loopback address in the test process, on the
 * thread that created it. It records every request byte for byte (request line, header
 * lines as sent, body) and answers as the test scripted it: status, body, extra headers,
 * a delay, or a dropped connection before or during the answer.
 *
 * Qt sends a request again on a fresh connection when the first one closes before any
 * answer (Drop::BeforeAnswer): to make such a failure stick, queue the drop several times.
 *
 * An answer is chosen in this order: the next one-shot reply queued for the route with
 * enqueue(), the route's standing reply set with on(), the handler set with setHandler(),
 * and finally 404 with {"code":"not_found"}. Routes match the method and the request
 * path (the target without its query, exactly as sent, percent-encoding included).
 */
class FakeService : public QObject
{
    Q_OBJECT
public:
    using Header = std::pair<QByteArray, QByteArray>;

    /*! One request as it arrived. */
    struct Request
    {
        QByteArray method; //!< "GET", "POST", …
        QByteArray target; //!< the request target as sent, e.g. "/api/tasks?x=1"
        QByteArray path; //!< the target without its query, still percent-encoded
        QByteArray head; //!< request line and header lines, each with its CR LF, and the blank line
        QList<Header> headers; //!< in the order sent, names and values as sent (values trimmed)
        QByteArray body; //!< empty when bodies are not recorded (see setRecordBodies)

        /*! The first value of header \a name (case-insensitive), or a null array. */
        QByteArray header(QByteArrayView name) const;
        bool hasHeader(QByteArrayView name) const;
    };

    /*! What to do with one request. */
    struct Reply
    {
        enum class Drop {
            None, //!< answer normally
            BeforeAnswer, //!< read the whole request, then close the connection without a word
            DuringAnswer, //!< send the status line, headers and half the body, then close
        };

        int status = 200;
        QByteArray body {};
        QList<Header> headers {}; //!< extra headers; Content-Length is always added
        std::chrono::milliseconds delay { 0 }; //!< wait this long after the request before answering
        Drop drop = Drop::None;
        bool chunked = false; //!< send the body with chunked transfer coding, without Content-Length

        static Reply json(int status, QByteArray body) { return bytes(status, std::move(body), "application/json"); }
        static Reply empty(int status) { return { .status = status }; } //!< no body, no Content-Type
        static Reply bytes(int status, QByteArray body, QByteArray contentType)
        {
            return { .status = status,
                     .body = std::move(body),
                     .headers = { { "Content-Type", std::move(contentType) } } };
        }
        static Reply dropped(Drop drop) { return { .drop = drop }; }
    };

    using Handler = std::function<Reply(const Request &)>;

    using QObject::QObject;

    /*! Plain HTTP on \a address, port chosen by the system. */
    bool listen(const QHostAddress &address = QHostAddress::LocalHost);
    /*! HTTPS with \a server (certificate, private key) on \a address. */
    bool listenTls(const QSslConfiguration &server, const QHostAddress &address = QHostAddress::LocalHost);

    quint16 port() const { return m_server ? m_server->serverPort() : 0; }
    /*! "http://127.0.0.1:<port>" (or https) followed by \a path. */
    QUrl url(const QString &path = {}) const;

    /*! The standing reply for \a method and \a path. */
    void on(const QByteArray &method, const QByteArray &path, Reply reply) { m_routes[routeKey(method, path)] = reply; }
    /*! A one-shot reply, used before the standing one; several queue up in order. */
    void enqueue(const QByteArray &method, const QByteArray &path, Reply reply)
    {
        m_queued[routeKey(method, path)].push_back(std::move(reply));
    }
    /*! Answers whatever no route answers. */
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    /*! Keep request bodies (default) or only count their bytes. */
    void setRecordBodies(bool record) { m_recordBodies = record; }

    /*! Every request so far, in order of arrival of its head. */
    const QList<Request> &requests() const { return m_requests; }
    /*! Requests whose method and path match. */
    QList<Request> requests(const QByteArray &method, const QByteArray &path) const;
    /*! Connections accepted so far (TLS: also those whose handshake failed). */
    int connectionCount() const { return m_connections; }
    void clearRequests() { m_requests.clear(); }

Q_SIGNALS:
    /*! A request has fully arrived: requests().at(index). */
    void requestReceived(int index);

private:
    static QByteArray routeKey(const QByteArray &method, const QByteArray &path) { return method + ' ' + path; }
    struct Connection;

    void accept();
    void readFrom(Connection *connection);
    void answer(Connection *connection, int index);
    Reply replyFor(const Request &request);
    void send(Connection *connection, const Reply &reply, bool close);

    QTcpServer *m_server = nullptr;
    bool m_tls = false;
    bool m_recordBodies = true;
    int m_connections = 0;
    QHash<QByteArray, Reply> m_routes;
    QHash<QByteArray, std::deque<Reply>> m_queued;
    Handler m_handler;
    QList<Request> m_requests;
};
