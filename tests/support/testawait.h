// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QCoroTask>

#include <optional>

namespace QuiblyTest {

/*!
 * \brief Runs the event loop until \a task has finished and returns its value.
 *
 * QCoro::waitFor needs a default-constructible result; ServiceResult and the other
 * Result types have none. Test code only: it spins a nested event loop.
 */
template<typename T> T await(QCoro::Task<T> task)
{
    std::optional<T> result;
    auto keep = [&]() -> QCoro::Task<> { result.emplace(co_await std::move(task)); };
    QCoro::waitFor(keep());
    return std::move(*result);
}

} // namespace QuiblyTest
