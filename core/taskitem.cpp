// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "taskitem.h"

QString PriorityText::text(Priority priority)
{
    switch (priority) {
    case Priority::High:
        return QStringLiteral("high");
    case Priority::Medium:
        return QStringLiteral("medium");
    case Priority::Low:
        return QStringLiteral("low");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<Priority> PriorityText::fromText(QStringView text)
{
    if (text == u"high")
        return Priority::High;
    if (text == u"medium")
        return Priority::Medium;
    if (text == u"low")
        return Priority::Low;
    return std::nullopt;
}
