// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// libFuzzer target: quibly-service's readers of task bodies and time stamps.

#include "taskbody.h"
#include "timeformat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto title = TaskBody::readNewTask(input)) {
        if (title->isEmpty() || title->size() > TaskBody::MaxTitleLength)
            std::abort();
    }
    if (const auto changes = TaskBody::readChanges(input)) {
        if (changes->dueDate && *changes->dueDate && !TimeFormat::isCalendarDay(**changes->dueDate))
            std::abort();
        if (changes->dueAt && *changes->dueAt && !(*changes->dueAt)->isValid())
            std::abort();
    }
    const QString text = QString::fromUtf8(input);
    if (const auto instant = TimeFormat::parseInstant(text)) {
        // What is written back must read again as the same instant.
        const auto again = TimeFormat::parseInstant(TimeFormat::formatInstant(*instant));
        if (!again || *again != *instant)
            std::abort();
    }
    (void)TimeFormat::isCalendarDay(text);
    return 0;
}
