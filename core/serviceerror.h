// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "apierror.h"
#include "decoder.h"
#include "result.h"

#include <variant>

/*! \brief Why a service operation failed: the service's answer, or an answer that did not decode. */
using ServiceError = std::variant<APIError, DecodeError>;

template<typename T> using ServiceResult = Result<T, ServiceError>;

/*!
 * \brief Success of an operation that has no value.
 *
 * In a coroutine write `co_return serviceSuccess();`, never `co_return std::monostate {};`:
 * QCoro 0.8 stores a bare std::monostate as "no result yet", and the awaiting side then
 * throws std::bad_variant_access.
 */
inline ServiceResult<std::monostate> serviceSuccess()
{
    return ServiceResult<std::monostate>(std::monostate {});
}

/*! For logs: the APIError's text or the decoding error's description. */
QString describe(const ServiceError &error);
