// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

/*!
 * Conditional requests and content coding for quibly-service's answers: clients
 * that sync every few seconds should neither receive nor decode a list that has
 * not changed, and should receive a changed one compressed.
 */
namespace HttpContent {

//! Answers below this size are sent as they are: gzip's frame would eat the gain.
constexpr qsizetype MinCompressedSize = 1024;

/*!
 * Which of \a current (opaque tags with their quotes: the representations the
 * answer could have now) an If-None-Match field of \a headerValues (one entry per
 * line received) matches, compared weakly as RFC 9110 wants for If-None-Match; `*`
 * matches the first. Nothing when none matches, and nothing for a field that does
 * not parse: it is ignored, and the full answer is sent.
 */
std::optional<QByteArray> matchingTag(const QList<QByteArray> &headerValues, const QList<QByteArray> &current);

//! Whether an Accept-Encoding field lets gzip through (a q-value of 0 refuses it).
bool acceptsGzip(const QList<QByteArray> &headerValues);

//! \a data in the gzip format (RFC 1952).
QByteArray gzip(QByteArrayView data);

} // namespace HttpContent
