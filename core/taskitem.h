// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QHashFunctions>
#include <QString>

#include <array>
#include <optional>

/*! \brief A task's priority; the declaration order is the rank order. */
enum class Priority { High, Medium, Low };

inline size_t qHash(Priority priority, size_t hashSeed = 0) noexcept
{
    return ::qHash(int(priority), hashSeed);
}

namespace PriorityText {
/*! The three cases in rank order, as the priority picker offers them. */
inline constexpr std::array<Priority, 3> allCases { Priority::High, Priority::Medium, Priority::Low };
/*! "high", "medium" or "low". */
QString text(Priority priority);
/*! The case whose text is exactly \a text (case-sensitive), or nothing. */
std::optional<Priority> fromText(QStringView text);
} // namespace PriorityText

/*!
 * \brief One task as the task-recognition service holds it.
 *
 * A plain value; identity is `id`. Instants are UTC QDateTime values with millisecond
 * precision. A task is done exactly when `doneAt` is set.
 */
struct TaskItem
{
    qint64 id = 0;
    std::optional<QString> captureId;
    QString title;
    QString description;
    Priority priority = Priority::Medium;
    std::optional<QString> dueDate;
    std::optional<QDateTime> dueAt;
    std::optional<QString> sourceApp;
    std::optional<QString> sourcePerson;
    std::optional<QDateTime> doneAt;
    QDateTime createdAt;
    QDateTime updatedAt;

    bool isDone() const { return doneAt.has_value(); }
    bool operator==(const TaskItem &) const = default;
};
