// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "httpcontent.h"

#include <zlib.h>

namespace HttpContent {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isSpace(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isSpace(text.back()))
        text.chop(1);
    return text;
}

// Splits a comma-separated field; empty members are allowed and dropped (RFC 9110 5.6.1).
QList<QByteArrayView> members(const QList<QByteArray> &values)
{
    QList<QByteArrayView> result;
    for (const QByteArray &value : values) {
        QByteArrayView rest(value);
        while (!rest.isEmpty()) {
            const qsizetype comma = rest.indexOf(',');
            const QByteArrayView member = trimmed(comma < 0 ? rest : rest.first(comma));
            if (!member.isEmpty())
                result.append(member);
            rest = comma < 0 ? QByteArrayView() : rest.sliced(comma + 1);
        }
    }
    return result;
}

bool isOpaqueTag(QByteArrayView tag)
{
    if (tag.size() < 2 || tag.front() != '"' || tag.back() != '"')
        return false;
    for (char c : tag.sliced(1, tag.size() - 2)) {
        const auto u = static_cast<unsigned char>(c);
        if (!(u == 0x21 || (u >= 0x23 && u != 0x7f)))
            return false;
    }
    return true;
}

} // namespace

std::optional<QByteArray> matchingTag(const QList<QByteArray> &headerValues, const QList<QByteArray> &current)
{
    // Entity tags may not contain commas, so splitting on them first is safe.
    const QList<QByteArrayView> tags = members(headerValues);
    if (tags.size() == 1 && tags.front() == "*" && !current.isEmpty())
        return current.front();
    std::optional<QByteArray> match;
    for (QByteArrayView candidate : tags) {
        if (candidate.startsWith("W/"))
            candidate = candidate.sliced(2);
        if (!isOpaqueTag(candidate))
            return std::nullopt;
        if (!match && current.contains(candidate))
            match = candidate.toByteArray();
    }
    return match;
}

bool acceptsGzip(const QList<QByteArray> &headerValues)
{
    bool accepted = false;
    for (QByteArrayView member : members(headerValues)) {
        const qsizetype semicolon = member.indexOf(';');
        const QByteArrayView coding = trimmed(semicolon < 0 ? member : member.first(semicolon));
        if (coding.compare("gzip", Qt::CaseInsensitive) != 0 && coding.compare("x-gzip", Qt::CaseInsensitive) != 0
            && coding != "*")
            continue;
        bool refused = false;
        if (semicolon >= 0) {
            const QByteArrayView parameter = trimmed(member.sliced(semicolon + 1));
            if (parameter.size() > 2 && (parameter.startsWith("q=") || parameter.startsWith("Q="))) {
                bool ok = false;
                const double q = parameter.sliced(2).toDouble(&ok);
                refused = !ok || q <= 0;
            }
        }
        // An explicit gzip entry outweighs the wildcard, whichever comes first.
        if (coding != "*")
            return !refused;
        accepted = !refused;
    }
    return accepted;
}

QByteArray gzip(QByteArrayView data)
{
    z_stream stream {};
    // 15 window bits plus 16: a gzip header and trailer rather than zlib's.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))) + 32, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int status = deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return status == Z_STREAM_END ? out : QByteArray();
}

} // namespace HttpContent
