// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "serviceerror.h"

QString describe(const ServiceError &error)
{
    if (const auto *apiError = std::get_if<APIError>(&error))
        return apiError->toString();
    return std::get<DecodeError>(error).description();
}
