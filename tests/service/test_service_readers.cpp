// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// quibly-service's readers of untrusted input: multipart forms, time stamps and the
// incremental HTTP request reader, plus every input the fuzzers ever found failing.

#include "httprequestparser.h"
#include "multipart.h"
#include "quiblytest.h"
#include "taskbody.h"
#include "timeformat.h"

#include <QDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestServiceReaders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QuiblyTest::failOnUnexpectedWarnings(); }

    void boundary_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("expected"); // null: refused
        QTest::addRow("plain") << "multipart/form-data; boundary=quibly-1F2E"_ba << QByteArray("quibly-1F2E");
        QTest::addRow("quoted") << "multipart/form-data; boundary=\"a b:c\""_ba << QByteArray("a b:c");
        QTest::addRow("case and spaces") << "Multipart/Form-Data ;  charset=utf-8; BOUNDARY=x"_ba << QByteArray("x");
        QTest::addRow("longest") << "multipart/form-data; boundary=" + QByteArray(70, 'a') << QByteArray(70, 'a');
        QTest::addRow("missing") << "multipart/form-data"_ba << QByteArray();
        QTest::addRow("empty") << "multipart/form-data; boundary="_ba << QByteArray();
        QTest::addRow("mixed") << "multipart/mixed; boundary=x"_ba << QByteArray();
        QTest::addRow("too long") << "multipart/form-data; boundary=" + QByteArray(71, 'a') << QByteArray();
        QTest::addRow("bad character") << "multipart/form-data; boundary=\"a\r\nb\""_ba << QByteArray();
        QTest::addRow("unterminated quote") << "multipart/form-data; boundary=\"abc"_ba << QByteArray();
    }

    void boundary()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, expected);
        QCOMPARE(Multipart::boundary(contentType), expected.isNull() ? std::nullopt : std::optional(expected));
    }

    void parts_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArrayList>("parts"); // "name:filename:type=body" each; {"refused"} when refused
        const QByteArray a = "Content-Disposition: form-data; name=\"a\"\r\n\r\n";
        const QByteArrayList refused { "refused" };
        // A body may itself hold CR LF, dashes and a near-miss of the boundary.
        const QByteArray image = "\x89PNG\r\n\x1a\n\0\r\n--Bx\r\n-B"_ba;
        QTest::addRow("two parts") << "--B\r\n" + a
                + "1\r\n--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a\\\"b.png\"\r\n"
                  "Content-Type: image/png\r\n\r\n"
                + image
                + "\r\n--B--\r\n" << QByteArrayList { "a::=1", "file:a\"b.png:image/png=" + image };
        QTest::addRow("preamble and epilogue")
            << "ignored\r\n--B\r\n" + a + "1\r\n--B--\r\nafter" << QByteArrayList { "a::=1" };
        QTest::addRow("padding after delimiter") << "--B  \r\n" + a + "1\r\n--B--" << QByteArrayList { "a::=1" };
        QTest::addRow("no parts") << "--B--\r\n"_ba << QByteArrayList();
        QTest::addRow("no closing delimiter") << "--B\r\n" + a + "1\r\n" << refused;
        QTest::addRow("cut in the headers") << "--B\r\nContent-Disposition: form-da"_ba << refused;
        QTest::addRow("no disposition") << "--B\r\nContent-Type: text/plain\r\n\r\n1\r\n--B--"_ba << refused;
        QTest::addRow("no name") << "--B\r\nContent-Disposition: form-data\r\n\r\n1\r\n--B--"_ba << refused;
        QTest::addRow("not form-data") << "--B\r\nContent-Disposition: attachment; name=a\r\n\r\n1\r\n--B--"_ba
                                       << refused;
        QTest::addRow("two dispositions") << "--B\r\n" + a.first(a.size() - 2) + a + "1\r\n--B--" << refused;
        QTest::addRow("header without colon") << "--B\r\nnonsense\r\n\r\n1\r\n--B--"_ba << refused;
        QTest::addRow("junk after delimiter") << "--Bjunk\r\n" + a + "1\r\n--B--" << refused;
        QTest::addRow("only a preamble") << "no delimiter here"_ba << refused;
    }

    void parts()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArrayList, parts);
        const auto found = Multipart::parse(body, "B");
        QByteArrayList described;
        for (const Multipart::Part &part : found.value_or(QList<Multipart::Part>()))
            described << part.name + ':' + part.filename.value_or(QByteArray()) + ':' + part.contentType + '='
                    + part.body;
        QCOMPARE(found ? described : QByteArrayList { "refused" }, parts);
    }

    void instants_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::addRow("Z") << u"2025-03-01T10:00:00Z"_s << u"2025-03-01T10:00:00.000Z"_s;
        QTest::addRow("fraction") << u"2025-03-01T10:00:00.123Z"_s << u"2025-03-01T10:00:00.123Z"_s;
        QTest::addRow("long fraction") << u"2025-03-01T10:00:00.987654321Z"_s << u"2025-03-01T10:00:00.987Z"_s;
        QTest::addRow("short fraction") << u"2025-03-01T10:00:00.5Z"_s << u"2025-03-01T10:00:00.500Z"_s;
        QTest::addRow("offset") << u"2025-03-01T12:00:00+02:00"_s << u"2025-03-01T10:00:00.000Z"_s;
        QTest::addRow("negative offset over midnight")
            << u"2025-02-28T23:30:00-01:00"_s << u"2025-03-01T00:30:00.000Z"_s;
        QTest::addRow("lower case") << u"2025-03-01t10:00:00z"_s << u"2025-03-01T10:00:00.000Z"_s;
        QTest::addRow("leap day") << u"2024-02-29T00:00:00Z"_s << u"2024-02-29T00:00:00.000Z"_s;
        // As Qt writes them, from the first year to the last.
        for (qint64 ms : { 0LL, -1LL, 951782400000LL, 1796560347123LL, -62135596800000LL, 253402300799999LL }) {
            const QString written = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(u"yyyy-MM-ddTHH:mm:ss.zzzZ"_s);
            QTest::addRow("%s", qPrintable(written)) << written << written;
        }
        for (const QString &bad : { u"2025-03-01"_s, u"2025-03-01T10:00:00"_s, u"2025-03-01 10:00:00Z"_s,
                                    u"2025-03-01T10:00Z"_s, u"2025-03-01T24:00:00Z"_s, u"2025-02-29T10:00:00Z"_s,
                                    u"2025-13-01T10:00:00Z"_s, u"2025-03-01T10:00:60Z"_s, u"2025-03-01T10:00:00+0200"_s,
                                    u"2025-03-01T10:00:00.Z"_s, u"2025-03-01T10:00:00ZZ"_s, u"+2025-03-01T10:00:00Z"_s,
                                    u"2025-03-01T10:00:00+24:00"_s, u"２０２５-03-01T10:00:00Z"_s, u""_s })
            QTest::addRow("bad %s", qPrintable(bad)) << bad << QString();
    }

    void instants()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto instant = TimeFormat::parseInstant(text);
        QCOMPARE(instant ? TimeFormat::formatInstant(*instant) : QString(), expected);
    }

    void requestsArriveInAnyChunks_data()
    {
        QTest::addColumn<int>("chunk");
        for (int chunk : { 1, 2, 3, 7, 64, 100000 })
            QTest::addRow("%d bytes", chunk) << chunk;
    }

    void requestsArriveInAnyChunks()
    {
        QFETCH(int, chunk);
        const QByteArray stream
            = "\r\nPOST /tasks?x=1 HTTP/1.1\r\nHost: a\r\nContent-Length: 4\r\nAUTHORIZATION:  Bearer k \r\n"
              "\r\nbodyGET /captures HTTP/1.0\r\n\r\nDELETE /tasks/1 HTTP/1.1\r\nConnection: close\r\n\r\n";
        HttpRequestParser parser(1024);
        QList<HttpRequest> requests;
        for (qsizetype pos = 0; pos < stream.size(); pos += chunk) {
            parser.append(QByteArrayView(stream).sliced(pos, qMin<qsizetype>(chunk, stream.size() - pos)));
            while (parser.next() == HttpRequestParser::State::Ready)
                requests.append(parser.takeRequest());
        }
        QByteArrayList seen; // method, target, body, authorization, and whether the connection stays
        for (const HttpRequest &r : requests)
            seen << r.method + ' ' + r.path + '?' + r.query + '|' + r.body + '|' + r.header("authorization") + '|'
                    + (r.keepAlive ? "open" : "closed");
        QCOMPARE(seen,
                 (QByteArrayList { "POST /tasks?x=1|body|Bearer k|open", "GET /captures?|||closed",
                                   "DELETE /tasks/1?|||closed" }));
    }

    void oversizedBodyIsReportedFromTheHeaders()
    {
        HttpRequestParser parser(10);
        parser.append("POST /captures HTTP/1.1\r\nContent-Length: 11\r\nExpect: 100-continue\r\n\r\n");
        QCOMPARE(parser.next(), HttpRequestParser::State::Ready);
        const HttpRequest request = parser.takeRequest();
        QVERIFY(request.bodyTooLarge);
        QVERIFY(!request.keepAlive);
        QVERIFY(request.body.isEmpty());

        HttpRequestParser fits(10);
        fits.append("POST /captures HTTP/1.1\r\nContent-Length: 10\r\nExpect: 100-Continue\r\n\r\n");
        QCOMPARE(fits.next(), HttpRequestParser::State::NeedMore);
        QVERIFY(fits.wantsContinue());
        QVERIFY(!fits.wantsContinue()); // said once
        fits.append("0123456789");
        QCOMPARE(fits.next(), HttpRequestParser::State::Ready);
        QCOMPARE(fits.takeRequest().body, "0123456789");
    }

    // Every file under tests/fuzz/regressions/service-* once failed a fuzzer: the readers
    // must now take it without crashing (the sanitizer build checks the rest).
    void fuzzRegressions()
    {
        const QDir root(QStringLiteral(QUIBLY_TEST_DATA "/../fuzz/regressions"));
        int count = 0;
        for (const QString &dir : root.entryList({ u"service-*"_s }, QDir::Dirs)) {
            for (const QFileInfo &file : QDir(root.filePath(dir)).entryInfoList(QDir::Files)) {
                QFile f(file.filePath());
                QVERIFY(f.open(QIODevice::ReadOnly));
                const QByteArray input = f.readAll();
                const qsizetype newline = input.indexOf('\n');
                if (const auto b = Multipart::boundary(newline < 0 ? input : input.first(newline)))
                    (void)Multipart::parse(input.sliced(newline + 1), *b);
                (void)TaskBody::readChanges(input);
                (void)TaskBody::readNewTask(input);
                (void)TimeFormat::parseInstant(QString::fromUtf8(input));
                HttpRequestParser parser(4096);
                parser.append(input);
                while (parser.next() == HttpRequestParser::State::Ready) {
                    if (parser.takeRequest().bodyTooLarge)
                        break;
                }
                ++count;
            }
        }
        qInfo() << count << "fuzzer findings replayed";
    }
};

QTEST_GUILESS_MAIN(TestServiceReaders)
#include "test_service_readers.moc"
