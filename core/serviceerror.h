// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "apierror.h"
#include "decoder.h"
#include "result.h"

#include <variant>

/*! \brief Why a service operation failed: the service's answer, or an answer that did not decode. */
using ServiceError = std::variant<APIError, DecodeError>;

template<typename T>
using ServiceResult = Result<T, ServiceError>;

/*! For logs: the APIError's text or the decoding error's description. */
QString describe(const ServiceError &error);
