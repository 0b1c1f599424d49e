// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "multipart.h"

namespace {

constexpr int MaxParts = 32;
constexpr qsizetype MaxPartHeaderBytes = 8 * 1024;

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && isSpace(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isSpace(v.back()))
        v = v.first(v.size() - 1);
    return v;
}

bool equalsIgnoringCase(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// Splits "value; a=b; c=\"d\"" into the leading value and its parameters. Quoted
// strings may hold ';' and backslash escapes. Returns false on an unterminated quote.
struct HeaderValue
{
    QByteArray value;
    QList<std::pair<QByteArray, QByteArray>> params;
};

std::optional<HeaderValue> parseHeaderValue(QByteArrayView text)
{
    HeaderValue result;
    qsizetype pos = text.indexOf(';');
    result.value = trimmed(pos < 0 ? text : text.first(pos)).toByteArray();
    while (pos >= 0 && pos < text.size()) {
        ++pos; // past ';'
        while (pos < text.size() && isSpace(text[pos]))
            ++pos;
        if (pos >= text.size())
            break;
        const qsizetype eq = text.indexOf('=', pos);
        if (eq < 0)
            return std::nullopt;
        const QByteArray key = trimmed(text.sliced(pos, eq - pos)).toByteArray().toLower();
        pos = eq + 1;
        while (pos < text.size() && isSpace(text[pos]))
            ++pos;
        QByteArray value;
        if (pos < text.size() && text[pos] == '"') {
            ++pos;
            bool closed = false;
            while (pos < text.size()) {
                const char c = text[pos++];
                if (c == '\\' && pos < text.size()) {
                    value.append(text[pos++]);
                } else if (c == '"') {
                    closed = true;
                    break;
                } else {
                    value.append(c);
                }
            }
            if (!closed)
                return std::nullopt;
            while (pos < text.size() && isSpace(text[pos]))
                ++pos;
            if (pos < text.size() && text[pos] != ';')
                return std::nullopt;
        } else {
            const qsizetype end = text.indexOf(';', pos);
            value = trimmed(end < 0 ? text.sliced(pos) : text.sliced(pos, end - pos)).toByteArray();
            pos = end < 0 ? text.size() : end;
        }
        if (key.isEmpty())
            return std::nullopt;
        result.params.append({ key, value });
    }
    return result;
}

std::optional<QByteArray> param(const HeaderValue &header, QByteArrayView key)
{
    for (const auto &[k, v] : header.params) {
        if (k == key)
            return v;
    }
    return std::nullopt;
}

bool isBoundaryChar(char c)
{
    // RFC 2046 bchars
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
        || QByteArrayView("'()+_,-./:=? ").contains(c);
}

// A delimiter counts only where the grammar lets one end: "--" (the close) or
// optional padding then CRLF. Anything else is part content that merely looks alike.
bool endsDelimiter(const QByteArray &body, qsizetype pos)
{
    if (body.size() - pos >= 2 && body[pos] == '-' && body[pos + 1] == '-')
        return true;
    while (pos < body.size() && isSpace(body[pos]))
        ++pos;
    return body.size() - pos >= 2 && body[pos] == '\r' && body[pos + 1] == '\n';
}

qsizetype findDelimiter(const QByteArray &body, const QByteArray &delimiter, qsizetype from)
{
    for (;;) {
        const qsizetype at = body.indexOf(delimiter, from);
        if (at < 0 || endsDelimiter(body, at + delimiter.size()))
            return at;
        from = at + 1;
    }
}

} // namespace

namespace Multipart {

std::optional<QByteArray> boundary(QByteArrayView contentType)
{
    const auto header = parseHeaderValue(contentType);
    if (!header || !equalsIgnoringCase(header->value, "multipart/form-data"))
        return std::nullopt;
    const auto b = param(*header, "boundary");
    if (!b || b->isEmpty() || b->size() > 70 || b->endsWith(' '))
        return std::nullopt;
    for (char c : *b) {
        if (!isBoundaryChar(c))
            return std::nullopt;
    }
    return b;
}

std::optional<QList<Part>> parse(const QByteArray &body, QByteArrayView boundary)
{
    if (boundary.isEmpty())
        return std::nullopt;
    const QByteArray dashBoundary = "--" + boundary.toByteArray();
    const QByteArray delimiter = "\r\n" + dashBoundary;

    // The first delimiter may open the body or follow a preamble ending in CRLF.
    qsizetype pos;
    if (body.startsWith(dashBoundary)) {
        pos = dashBoundary.size();
    } else {
        const qsizetype at = findDelimiter(body, delimiter, 0);
        if (at < 0)
            return std::nullopt;
        pos = at + delimiter.size();
    }

    QList<Part> parts;
    for (;;) {
        // After a delimiter: "--" closes the body, otherwise optional padding then CRLF.
        if (body.size() - pos >= 2 && body[pos] == '-' && body[pos + 1] == '-')
            return parts;
        while (pos < body.size() && isSpace(body[pos]))
            ++pos;
        if (body.size() - pos < 2 || body[pos] != '\r' || body[pos + 1] != '\n')
            return std::nullopt;
        pos += 2;
        if (parts.size() == MaxParts)
            return std::nullopt;

        const qsizetype headersEnd = body.indexOf("\r\n\r\n", pos - 2);
        if (headersEnd < 0 || headersEnd - pos > MaxPartHeaderBytes)
            return std::nullopt;
        Part part;
        bool named = false;
        // headersEnd may equal pos - 2 when the part has no header lines at all.
        qsizetype line = pos;
        while (line < headersEnd) {
            qsizetype eol = body.indexOf("\r\n", line);
            if (eol < 0 || eol > headersEnd)
                eol = headersEnd;
            const QByteArrayView text(body.constData() + line, eol - line);
            line = eol + 2;
            const qsizetype colon = text.indexOf(':');
            if (colon <= 0)
                return std::nullopt;
            const QByteArrayView key = trimmed(text.first(colon));
            const QByteArrayView value = text.sliced(colon + 1);
            if (equalsIgnoringCase(key, "content-disposition")) {
                if (named)
                    return std::nullopt;
                const auto header = parseHeaderValue(value);
                if (!header || !equalsIgnoringCase(header->value, "form-data"))
                    return std::nullopt;
                const auto name = param(*header, "name");
                if (!name)
                    return std::nullopt;
                part.name = *name;
                part.filename = param(*header, "filename");
                named = true;
            } else if (equalsIgnoringCase(key, "content-type")) {
                part.contentType = trimmed(value).toByteArray();
            }
        }
        if (!named)
            return std::nullopt;
        const qsizetype contentStart = headersEnd + 4;
        const qsizetype end = findDelimiter(body, delimiter, contentStart);
        if (end < 0)
            return std::nullopt;
        part.body = body.sliced(contentStart, end - contentStart);
        parts.append(std::move(part));
        pos = end + delimiter.size();
    }
}

} // namespace Multipart
