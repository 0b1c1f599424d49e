// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// libFuzzer target: quibly-service's incremental HTTP/1.1 request reader. The first
// byte chooses how the rest is cut into the chunks the socket would deliver.

#include "fuzzcheck.h"
#include "httprequestparser.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype chunk = 1 + data[0] % 64;
    const QByteArrayView input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    constexpr qint64 MaxBody = 4096;
    HttpRequestParser parser(MaxBody);
    for (qsizetype pos = 0; pos < input.size(); pos += chunk) {
        parser.append(input.sliced(pos, qMin(chunk, input.size() - pos)));
        for (;;) {
            const auto state = parser.next();
            if (state == HttpRequestParser::State::Error) {
                check(parser.errorStatus() >= 400 && parser.errorStatus() <= 599);
                return 0;
            }
            if (state == HttpRequestParser::State::NeedMore) {
                (void)parser.wantsContinue();
                break;
            }
            const HttpRequest request = parser.takeRequest();
            check(request.body.size() <= MaxBody
                  && (request.bodyTooLarge || request.body.size() == request.contentLength)
                  && request.path.startsWith('/'));
            if (request.bodyTooLarge)
                return 0;
        }
    }
    return 0;
}
