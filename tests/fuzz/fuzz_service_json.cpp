// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// libFuzzer target: quibly-service's readers of task bodies and time stamps.

#include "fuzzcheck.h"
#include "taskbody.h"
#include "timeformat.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto title = TaskBody::readNewTask(input))
        check(!title->isEmpty() && title->size() <= TaskBody::MaxTitleLength);
    if (const auto changes = TaskBody::readChanges(input)) {
        check(!changes->dueDate || !*changes->dueDate || TimeFormat::isCalendarDay(**changes->dueDate));
        check(!changes->dueAt || !*changes->dueAt || (*changes->dueAt)->isValid());
    }
    const QString text = QString::fromUtf8(input);
    if (const auto instant = TimeFormat::parseInstant(text)) {
        // What is written back must read again as the same instant.
        const auto again = TimeFormat::parseInstant(TimeFormat::formatInstant(*instant));
        check(again && *again == *instant);
    }
    (void)TimeFormat::isCalendarDay(text);
    return 0;
}
