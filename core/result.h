// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <utility>
#include <variant>

/*!
 * \brief A value or an error, for operations whose failure the caller branches on.
 *
 * Used by the decoder, the service client and the capture queue. Operations with no
 * value on success use `Result<std::monostate, E>`.
 */
template<typename T, typename E> class Result
{
public:
    Result(T value)
        : m_data(std::in_place_index<0>, std::move(value))
    { }
    Result(E error)
        : m_data(std::in_place_index<1>, std::move(error))
    { }

    bool ok() const { return m_data.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T &value() const & { return std::get<0>(m_data); }
    T &value() & { return std::get<0>(m_data); }
    T &&value() && { return std::get<0>(std::move(m_data)); }
    const E &error() const & { return std::get<1>(m_data); }
    E &&error() && { return std::get<1>(std::move(m_data)); }

    bool operator==(const Result &) const = default;

private:
    std::variant<T, E> m_data;
};
