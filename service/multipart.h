// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

/*!
 * A strict reader of multipart/form-data bodies (RFC 7578). It takes the whole body,
 * which the HTTP front has already limited in size, and refuses anything it cannot
 * read completely: a missing or malformed delimiter, a part without a
 * Content-Disposition naming it, or a body that ends before the closing delimiter.
 */
namespace Multipart {

struct Part
{
    QByteArray name;
    std::optional<QByteArray> filename;
    QByteArray contentType; //!< empty when the part names none
    QByteArray body;
};

//! The boundary parameter of a "multipart/form-data" Content-Type, or nothing.
std::optional<QByteArray> boundary(QByteArrayView contentType);

//! All parts of `body`, in order, or nothing when the body is malformed.
std::optional<QList<Part>> parse(const QByteArray &body, QByteArrayView boundary);

} // namespace Multipart
