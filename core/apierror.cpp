// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "apierror.h"

QString APIError::toString() const
{
    switch (kind) {
    case Kind::Rejected:
        return QStringLiteral("rejected(") + code + u')';
    case Kind::Server:
        return QStringLiteral("server(") + QString::number(status) + u')';
    case Kind::Offline:
        return QStringLiteral("offline");
    case Kind::Unauthorized:
        return QStringLiteral("unauthorized");
    }
    Q_UNREACHABLE();
    return {};
}
