// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
//
// Service answers: every decoder must return a record or an error for any bytes, never crash, and a record
// it returns must be whole (every instant valid).
#include "decoder.h"
#include "fuzzcheck.h"

#include <cstdint>

namespace {
void checkTask(const TaskItem &task)
{
    check(task.createdAt.isValid() && task.updatedAt.isValid());
    check(!task.dueAt || task.dueAt->isValid());
    check(!task.doneAt || task.doneAt->isValid());
}

void checkCapture(const Capture &capture)
{
    check(capture.localTime.isValid() && capture.createdAt.isValid());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    if (const auto tasks = Decoder::tasksFromJson(body)) {
        for (const TaskItem &task : tasks.value())
            checkTask(task);
    } else {
        check(!tasks.error().message.isEmpty());
    }
    if (const auto task = Decoder::taskFromJson(body))
        checkTask(task.value());
    if (const auto result = Decoder::captureResultFromJson(body)) {
        checkCapture(result.value().capture);
        for (const TaskItem &task : result.value().tasks)
            checkTask(task);
    }
    if (const auto capture = Decoder::captureFromJson(body))
        checkCapture(capture.value());
    if (const auto captures = Decoder::capturesFromJson(body)) {
        for (const Capture &capture : captures.value())
            checkCapture(capture);
    }
    return 0;
}
