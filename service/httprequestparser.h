// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

/*! One HTTP/1.1 request as the front hands it to the router. */
struct HttpRequest
{
    QByteArray method;
    QByteArray path; //!< the target's path, still percent-encoded
    QByteArray query;
    QList<std::pair<QByteArray, QByteArray>> headers; //!< names in lower case
    QByteArray body;
    bool keepAlive = true;
    //! The announced body exceeds the limit; it has not been read and `body` is empty.
    bool bodyTooLarge = false;
    qint64 contentLength = 0;

    QByteArray header(QByteArrayView lowerCaseName) const;
    //! Every line of a field that may be sent several times, in order.
    QList<QByteArray> headerValues(QByteArrayView lowerCaseName) const;
};

/*!
 * \brief Incremental reader of HTTP/1.1 requests from a byte stream.
 *
 * Bodies need a Content-Length (chunked transfer coding is refused). A body longer
 * than the limit is not buffered: the request is reported at once, flagged
 * bodyTooLarge, so that the front can answer 413 before the client sends it.
 */
class HttpRequestParser
{
public:
    enum class State { NeedMore, Ready, Error };

    explicit HttpRequestParser(qint64 maxBodyBytes);

    void append(QByteArrayView bytes);
    //! Tries to complete one request from what has been appended.
    State next();
    HttpRequest takeRequest();
    int errorStatus() const { return m_errorStatus; }
    //! Headers of the current request are read, its body is still expected, and
    //! the client asked to be told to go on.
    bool wantsContinue();
    qsizetype bufferedBytes() const { return m_buffer.size(); }
    //! The head of a request whose body is still being received, or nullptr.
    const HttpRequest *pendingHead() const { return m_haveHead ? &m_request : nullptr; }

    static constexpr qsizetype MaxHeaderBytes = 32 * 1024;

private:
    State fail(int status);
    State parseHead(qsizetype headEnd);

    QByteArray m_buffer;
    qint64 m_maxBody;
    HttpRequest m_request;
    bool m_haveHead = false;
    bool m_continueSent = false;
    int m_errorStatus = 0;
};
