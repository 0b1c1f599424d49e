// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
//
// Queue metadata files as found on disk (possibly truncated or corrupted): a file either is a queued capture
// or is not, and one that is must survive being written and read again unchanged.
#include "capture.h"
#include "fuzzcheck.h"
#include "hotkey.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto queued = QueuedCapture::fromFileJson(json)) {
        check(queued->localTime.isValid());
        check(QueuedCapture::fromFileJson(queued->toFileJson()) == queued);
    }
    // The stored hot key settings are the same kind of small local JSON.
    if (const auto hotkey = Hotkey::fromJson(json))
        check(Hotkey::fromJson(hotkey->toJson()) == hotkey);
    return 0;
}
