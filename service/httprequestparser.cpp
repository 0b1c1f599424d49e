// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "httprequestparser.h"

namespace {

bool isTokenChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
        || QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView v)
{
    if (v.isEmpty())
        return false;
    for (char c : v) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

QByteArray trimmedValue(QByteArrayView v)
{
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
        v = v.sliced(1);
    while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\t'))
        v = v.first(v.size() - 1);
    return v.toByteArray();
}

// Content-Length: digits only, no sign, no overflow.
bool parseLength(QByteArrayView v, qint64 *out)
{
    if (v.isEmpty() || v.size() > 18)
        return false;
    qint64 n = 0;
    for (char c : v) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
    }
    *out = n;
    return true;
}

} // namespace

QByteArray HttpRequest::header(QByteArrayView lowerCaseName) const
{
    for (const auto &[name, value] : headers) {
        if (name == lowerCaseName)
            return value;
    }
    return {};
}

QList<QByteArray> HttpRequest::headerValues(QByteArrayView lowerCaseName) const
{
    QList<QByteArray> values;
    for (const auto &[name, value] : headers) {
        if (name == lowerCaseName)
            values.append(value);
    }
    return values;
}

HttpRequestParser::HttpRequestParser(qint64 maxBodyBytes)
    : m_maxBody(maxBodyBytes)
{ }

void HttpRequestParser::append(QByteArrayView bytes)
{
    m_buffer.append(bytes);
}

HttpRequestParser::State HttpRequestParser::fail(int status)
{
    m_errorStatus = status;
    m_buffer.clear();
    return State::Error;
}

HttpRequestParser::State HttpRequestParser::next()
{
    if (m_errorStatus)
        return State::Error;
    if (!m_haveHead) {
        // Tolerate empty lines between requests (RFC 9112, 2.2).
        while (m_buffer.startsWith("\r\n"))
            m_buffer.remove(0, 2);
        const qsizetype headEnd = m_buffer.indexOf("\r\n\r\n");
        if (headEnd < 0) {
            if (m_buffer.size() > MaxHeaderBytes)
                return fail(431);
            return State::NeedMore;
        }
        if (headEnd > MaxHeaderBytes)
            return fail(431);
        const State state = parseHead(headEnd);
        if (state != State::NeedMore)
            return state;
    }
    if (m_buffer.size() < m_request.contentLength)
        return State::NeedMore;
    m_request.body = m_buffer.first(m_request.contentLength);
    m_buffer.remove(0, m_request.contentLength);
    return State::Ready;
}

HttpRequestParser::State HttpRequestParser::parseHead(qsizetype headEnd)
{
    const QByteArray head = m_buffer.first(headEnd);
    m_buffer.remove(0, headEnd + 4);
    m_request = HttpRequest();
    m_continueSent = false;

    const QList<QByteArray> lines = head.split('\n');
    QByteArrayView requestLine = lines.first();
    if (!requestLine.endsWith('\r') && lines.size() > 1)
        return fail(400);
    if (requestLine.endsWith('\r'))
        requestLine = requestLine.first(requestLine.size() - 1);
    const QList<QByteArray> words = requestLine.toByteArray().split(' ');
    if (words.size() != 3 || !isToken(words[0]) || words[1].isEmpty() || words[1][0] != '/')
        return fail(400);
    for (char c : words[1]) {
        if (c <= ' ' || c == 127)
            return fail(400);
    }
    if (words[2] == "HTTP/1.1")
        m_request.keepAlive = true;
    else if (words[2] == "HTTP/1.0")
        m_request.keepAlive = false;
    else if (words[2].startsWith("HTTP/"))
        return fail(505);
    else
        return fail(400);
    m_request.method = words[0];
    const qsizetype question = words[1].indexOf('?');
    m_request.path = question < 0 ? words[1] : words[1].first(question);
    m_request.query = question < 0 ? QByteArray() : words[1].sliced(question + 1);

    bool haveLength = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArrayView line = lines[i];
        // Every header line but the last ends in CR; the last one's CRLF was cut with the blank line.
        if (i + 1 < lines.size()) {
            if (!line.endsWith('\r'))
                return fail(400);
            line = line.first(line.size() - 1);
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.first(colon)))
            return fail(400);
        const QByteArray name = line.first(colon).toByteArray().toLower();
        const QByteArray value = trimmedValue(line.sliced(colon + 1));
        for (char c : value) {
            if ((c < ' ' && c != '\t') || c == 127)
                return fail(400);
        }
        if (name == "content-length") {
            qint64 length = 0;
            if (!parseLength(value, &length) || (haveLength && length != m_request.contentLength))
                return fail(400);
            haveLength = true;
            m_request.contentLength = length;
        } else if (name == "transfer-encoding") {
            return fail(501);
        } else if (name == "connection") {
            const QByteArray lower = value.toLower();
            if (lower.contains("close"))
                m_request.keepAlive = false;
            else if (lower.contains("keep-alive"))
                m_request.keepAlive = true;
        }
        if (m_request.headers.size() >= 100)
            return fail(431);
        m_request.headers.append({ name, value });
    }

    if (m_request.contentLength > m_maxBody) {
        // Not read: the front answers and closes the connection.
        m_request.bodyTooLarge = true;
        m_request.keepAlive = false;
        return State::Ready;
    }
    m_haveHead = true;
    return State::NeedMore;
}

bool HttpRequestParser::wantsContinue()
{
    if (!m_haveHead || m_continueSent || m_request.contentLength == 0 || !m_buffer.isEmpty())
        return false;
    if (m_request.header("expect").toLower() != "100-continue")
        return false;
    m_continueSent = true;
    return true;
}

HttpRequest HttpRequestParser::takeRequest()
{
    m_haveHead = false;
    return std::exchange(m_request, HttpRequest());
}
