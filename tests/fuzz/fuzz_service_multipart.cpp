// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// libFuzzer target: quibly-service's multipart/form-data reader. The first line of the
// input is the Content-Type header, the rest the body.

#include "fuzzcheck.h"
#include "multipart.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype newline = input.indexOf('\n');
    const QByteArray contentType = newline < 0 ? input : input.first(newline);
    const QByteArray body = newline < 0 ? QByteArray() : input.sliced(newline + 1);
    const auto boundary = Multipart::boundary(contentType);
    if (!boundary)
        return 0;
    if (const auto parts = Multipart::parse(body, *boundary)) {
        qsizetype total = 0;
        for (const Multipart::Part &part : *parts)
            total += part.body.size();
        // Parts are slices of the body: together they can never be larger.
        check(total <= body.size());
    }
    return 0;
}
