// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/*!
 * \brief The closed set of failures of a service request.
 *
 * Build values with the four factories so that payloads of other cases stay empty
 * and equality is "same case, equal payload".
 */
struct APIError
{
    enum class Kind { Rejected, Server, Offline, Unauthorized };

    Kind kind = Kind::Offline;
    QString code; //!< Rejected only: the body's "code", or "unknown"
    int status = 0; //!< Server only: the HTTP status, 0 for a non-HTTP answer

    static APIError rejected(QString code) { return { Kind::Rejected, std::move(code), 0 }; }
    static APIError server(int status) { return { Kind::Server, {}, status }; }
    static APIError offline() { return { Kind::Offline, {}, 0 }; }
    static APIError unauthorized() { return { Kind::Unauthorized, {}, 0 }; }

    bool operator==(const APIError &) const = default;

    /*! For logs: "rejected(not_found)", "server(502)", "offline", "unauthorized". */
    QString toString() const;
};
