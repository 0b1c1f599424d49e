// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
//
// The RFC 3339 reader on arbitrary text: it must accept or refuse without crashing, refuse with the exact
// message, and whatever it accepts must come back from the writer as the same whole second.
#include "decoder.h"
#include "fuzzcheck.h"

#include <QTimeZone>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto instant = Decoder::rfc3339(text);
    if (!instant) {
        check(instant.error().message == QStringLiteral("not an RFC 3339 time: ") + text);
        return 0;
    }
    const QDateTime value = instant.value();
    check(value.isValid() && value.timeSpec() == Qt::UTC);

    static const QTimeZone zones[] = { QTimeZone::utc(), QTimeZone("Europe/Kyiv"), QTimeZone("America/Santiago") };
    const qint64 ms = value.toMSecsSinceEpoch();
    const qint64 wholeSecond = ms - ((ms % 1000) + 1000) % 1000;
    for (const QTimeZone &zone : zones) {
        const QString written = Decoder::formatRfc3339(value, zone);
        if (written.isEmpty())
            continue; // outside the four-digit years after the zone's offset
        const auto back = Decoder::rfc3339(written);
        check(back.ok() && back.value().toMSecsSinceEpoch() == wholeSecond);
    }
    return 0;
}
