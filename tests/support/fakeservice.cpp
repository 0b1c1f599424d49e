// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "fakeservice.h"

#include <QSslSocket>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Accepts connections itself so that a TLS handshake starts on our own socket object and
// every connection is counted, also those whose handshake fails.
class Listener : public QTcpServer
{
public:
    std::function<void(qintptr)> onIncoming;

protected:
    void incomingConnection(qintptr descriptor) override { onIncoming(descriptor); }
};

// Clients read the status code; the phrase only has to be there.
QByteArray reasonPhrase(int status)
{
    return status < 300 ? "OK" : status < 400 ? "Redirect" : "Error";
}

bool bodyForbidden(int status)
{
    return (status >= 100 && status < 200) || status == 204 || status == 304;
}

} // namespace

struct FakeService::Connection
{
    enum class State { Head, Body, Answering, Closed };

    QPointer<QTcpSocket> socket;
    QByteArray buffer;
    State state = State::Head;
    int index = -1; //!< the request being read or answered
    qint64 remaining = 0; //!< body bytes (or chunk bytes) still to come
    bool closeAfter = false;
};

QByteArray FakeService::Request::header(QByteArrayView name) const
{
    for (const auto &[key, value] : headers) {
        if (QByteArrayView(key).compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool FakeService::Request::hasHeader(QByteArrayView name) const
{
    return std::any_of(headers.cbegin(), headers.cend(), [name](const Header &header) {
        return QByteArrayView(header.first).compare(name, Qt::CaseInsensitive) == 0;
    });
}

bool FakeService::listen(const QHostAddress &address)
{
    return listenTls(QSslConfiguration(), address);
}

bool FakeService::listenTls(const QSslConfiguration &server, const QHostAddress &address)
{
    auto *listener = new Listener;
    listener->setParent(this);
    m_server = listener;
    m_tls = !server.isNull();
    listener->onIncoming = [this, server](qintptr descriptor) {
        QTcpSocket *socket = m_tls ? new QSslSocket(this) : new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        ++m_connections;
        auto *connection = new Connection;
        connection->socket = socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, connection] { readFrom(connection); });
        connect(socket, &QTcpSocket::disconnected, this, [connection, socket] {
            connection->state = Connection::State::Closed;
            socket->deleteLater();
        });
        connect(socket, &QObject::destroyed, socket, [connection] { delete connection; });
        if (m_tls) {
            auto *tls = static_cast<QSslSocket *>(socket);
            tls->setSslConfiguration(server);
            connect(tls, &QSslSocket::sslErrors, tls, [tls](const QList<QSslError> &) { tls->abort(); });
            tls->startServerEncryption();
        }
    };
    return listener->listen(address, 0);
}

QUrl FakeService::url(const QString &path) const
{
    QUrl url;
    url.setScheme(m_tls ? u"https"_s : u"http"_s);
    url.setHost(m_server ? m_server->serverAddress().toString() : u"127.0.0.1"_s);
    url.setPort(port());
    url.setPath(path);
    return url;
}

QList<FakeService::Request> FakeService::requests(const QByteArray &method, const QByteArray &path) const
{
    QList<Request> matching;
    for (const auto &request : m_requests) {
        if (request.method == method && request.path == path)
            matching.append(request);
    }
    return matching;
}

void FakeService::readFrom(Connection *connection)
{
    QTcpSocket *socket = connection->socket;
    if (!socket)
        return;
    connection->buffer += socket->readAll();

    using State = Connection::State;
    while (connection->socket && (connection->state == State::Head || connection->state == State::Body)) {
        if (connection->state == State::Head) {
            const qsizetype end = connection->buffer.indexOf("\r\n\r\n");
            if (end < 0) {
                if (connection->buffer.size() > 1024 * 1024)
                    socket->abort();
                return;
            }
            Request request;
            request.head = connection->buffer.left(end + 4);
            connection->buffer.remove(0, end + 4);
            const QList<QByteArray> lines = request.head.first(end).split('\n');
            const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            request.method = requestLine.value(0);
            request.target = requestLine.value(1);
            request.path = request.target.split('?').first();
            for (const QByteArray &line : lines.sliced(1)) {
                if (const qsizetype colon = line.indexOf(':'); colon > 0)
                    request.headers.append({ line.left(colon), line.mid(colon + 1).trimmed() });
            }
            m_requests.append(request);
            connection->index = int(m_requests.size() - 1);
            connection->closeAfter = request.header("connection").toLower() == "close";
            // The client sends its bodies with a length; a chunked one would be read wrongly here.
            if (request.header("transfer-encoding").size() > 0) {
                socket->abort();
                return;
            }
            connection->remaining = request.header("content-length").toLongLong();
            connection->state = State::Body;
        }
        const qint64 n = std::min<qint64>(connection->remaining, connection->buffer.size());
        if (m_recordBodies)
            m_requests[connection->index].body += QByteArrayView(connection->buffer).first(n);
        connection->buffer.remove(0, n);
        connection->remaining -= n;
        if (connection->remaining > 0)
            return;
        connection->state = State::Answering;
        Q_EMIT requestReceived(connection->index);
        answer(connection, connection->index);
    }
}

FakeService::Reply FakeService::replyFor(const Request &request)
{
    const QByteArray key = routeKey(request.method, request.path);
    if (auto queued = m_queued.find(key); queued != m_queued.end() && !queued->empty()) {
        Reply reply = std::move(queued->front());
        queued->pop_front();
        return reply;
    }
    if (auto route = m_routes.constFind(key); route != m_routes.cend())
        return *route;
    if (m_handler)
        return m_handler(request);
    return Reply::json(404, R"({"code":"not_found"})");
}

void FakeService::answer(Connection *connection, int index)
{
    const Reply reply = replyFor(m_requests.at(index));
    auto respond = [this, connection, reply] {
        QTcpSocket *socket = connection->socket;
        if (!socket || connection->state == Connection::State::Closed)
            return;
        if (reply.drop == Reply::Drop::BeforeAnswer) {
            connection->state = Connection::State::Closed;
            socket->disconnectFromHost();
            return;
        }
        send(connection, reply, connection->closeAfter || reply.drop == Reply::Drop::DuringAnswer);
        if (connection->state == Connection::State::Closed)
            return;
        connection->state = Connection::State::Head;
        // Requests sent back to back on the same connection are already waiting in the buffer.
        if (!connection->buffer.isEmpty())
            QTimer::singleShot(0, socket, [this, connection] { readFrom(connection); });
    };
    if (reply.delay.count() > 0)
        QTimer::singleShot(reply.delay, connection->socket.data(), respond);
    else
        respond();
}

void FakeService::send(Connection *connection, const Reply &reply, bool close)
{
    QTcpSocket *socket = connection->socket;
    const bool withBody = !bodyForbidden(reply.status);
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    for (const auto &[name, value] : reply.headers)
        head += name + ": " + value + "\r\n";
    if (reply.chunked && withBody)
        head += "Transfer-Encoding: chunked\r\n";
    else if (withBody)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    if (close)
        head += "Connection: close\r\n";
    head += "\r\n";
    socket->write(head);

    if (withBody && reply.drop == Reply::Drop::DuringAnswer) {
        socket->write(reply.body.left(reply.body.size() / 2));
    } else if (withBody && reply.chunked) {
        constexpr qsizetype chunk = 64 * 1024;
        for (qsizetype at = 0; at < reply.body.size(); at += chunk) {
            const QByteArrayView piece = QByteArrayView(reply.body).sliced(at, std::min(chunk, reply.body.size() - at));
            socket->write(QByteArray::number(piece.size(), 16) + "\r\n");
            socket->write(piece.data(), piece.size());
            socket->write("\r\n");
        }
        socket->write("0\r\n\r\n");
    } else if (withBody) {
        socket->write(reply.body);
    }
    if (close) {
        connection->state = Connection::State::Closed;
        socket->disconnectFromHost();
    }
}
