// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "bench_common.h"
#include "decoder.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// A task list answer as the service writes it: every member present, about half of the optional ones set.
QByteArray makeBody(int count)
{
    QByteArray body = "[";
    for (int i = 0; i < count; ++i) {
        if (i)
            body += ',';
        const QByteArray n = QByteArray::number(i);
        body += "{\"id\":" + QByteArray::number(1000000000000LL + i)
            + ",\"capture_id\":" + (i % 2 ? QByteArray("\"0f8fad5b-d9cb-469f-a165-70867728950e\"") : QByteArray("null"))
            + ",\"title\":\"Reply to the supplier about invoice " + n
            + "\",\"description\":\"Ask for the corrected VAT line and the new due date.\",\"priority\":\""
            + (i % 3 == 0       ? "high"
                   : i % 3 == 1 ? "medium"
                                : "low")
            + "\",\"due_date\":" + (i % 4 == 0 ? QByteArray("\"2025-03-12\"") : QByteArray("null"))
            + ",\"due_at\":" + (i % 4 == 1 ? QByteArray("\"2025-03-12T17:30:00+02:00\"") : QByteArray("null"))
            + ",\"source_app\":\"Mail\",\"source_person\":" + (i % 2 ? QByteArray("\"Olena\"") : QByteArray("null"))
            + ",\"done_at\":" + (i % 6 == 0 ? QByteArray("\"2025-03-09T08:15:00.250Z\"") : QByteArray("null"))
            + ",\"created_at\":\"2025-03-01T10:00:00.123456Z\",\"updated_at\":\"2025-03-02T11:30:00Z\"}";
    }
    return body + "]";
}
} // namespace

int main()
{
    const QByteArray body = makeBody(10000);
    qsizetype sink = 0;
    // Alternate the two so that both see the same state of the machine.
    std::vector<double> parse, decode;
    for (int run = 0; run < 21; ++run) {
        parse.push_back(measure(1, [&] { sink += QJsonDocument::fromJson(body).array().size(); }).best);
        decode.push_back(measure(1, [&] {
                             const auto tasks = Decoder::tasksFromJson(body);
                             sink += tasks.ok() ? tasks.value().size() : -1;
                         }).best);
    }
    std::sort(parse.begin(), parse.end());
    std::sort(decode.begin(), decode.end());
    const auto check = Decoder::tasksFromJson(body);
    std::printf("Decoding a 10,000-task list (%.1f MB; thread CPU time, best / median of 21 runs)%s\n",
                double(body.size()) / 1e6, check.ok() ? "" : " -- FAILED TO DECODE");
    std::printf("  QJsonDocument::fromJson   %7.2f / %7.2f ms\n", parse.front(), parse[10]);
    std::printf("  Decoder::tasksFromJson    %7.2f / %7.2f ms   (includes fromJson)\n", decode.front(), decode[10]);
    std::printf("  ratio                     %7.2f / %7.2f x\n", decode.front() / parse.front(),
                decode[10] / parse[10]);

    const Timing dates = measure(15, [&] {
        for (int i = 0; i < 10000; ++i)
            sink += Decoder::rfc3339(u"2025-03-01T10:00:00.123+02:00").ok();
    });
    std::printf("  10,000 RFC 3339 readings  %7.2f / %7.2f ms\n", dates.best, dates.median);
    return sink == -1;
}
