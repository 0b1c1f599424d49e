// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// The model-backed reader against a scripted chat endpoint: what it sends, which answers it
// takes, and that every failure gives the built-in extraction's tasks.
#include "fakeservice.h"
#include "modelreader.h"
#include "servicetestsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTest>

#include <future>

using namespace Qt::Literals::StringLiterals;

namespace {
const TaskExtractor::Context context { WednesdayInKyiv, u"Europe/Kyiv"_s, u"en"_s };
const QList<TextLine> lines = TextLine::fromPlainText({ u"- Buy milk"_s, u"- Call Anna tomorrow"_s });

QByteArray completion(const QString &content)
{
    const QJsonObject message { { u"role"_s, u"assistant"_s }, { u"content"_s, content } };
    return QJsonDocument(QJsonObject { { u"choices"_s, QJsonArray { QJsonObject { { u"message"_s, message } } } } })
        .toJson(QJsonDocument::Compact);
}

// One task whose members are valid but for \a change ("member":value, or a member's name alone to leave it out).
QByteArray oneTask(const QString &change)
{
    QString task = uR"("title":"A","due_date":null,"due_time":null,"priority":"low","source_person":null)"_s;
    const QString name = change.section(u':', 0, 0);
    const qsizetype at = task.indexOf(name);
    const qsizetype end = task.indexOf(u',', at) < 0 ? task.size() : task.indexOf(u',', at);
    task.replace(at, end - at, change.contains(u':') ? change : QString());
    task.replace(u",,"_s, u","_s);
    return completion(u"{\"tasks\":[{"_s + task + u"}]}"_s);
}

const QString validTasks = uR"({"tasks":[{"title":"Send the slides","due_date":"2026-03-16","due_time":null,)"
                           uR"("priority":"high","source_person":"Anna"},{"title":"Call the bank","due_date":null,)"
                           uR"("due_time":"14:30","priority":"medium","source_person":null}]})"_s;

// Runs the reader on a thread of its own, as the service's workers do, while this thread serves the fake.
QList<RecognizedTask> readOnWorker(const ModelReader &reader, const QImage &image = {})
{
    auto tasks = std::async(std::launch::async, [&] { return reader.readOrExtract(lines, context, image); });
    (void)QTest::qWaitFor([&] { return tasks.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 20000);
    return tasks.get();
}
} // namespace

class TestModelReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data()
    {
        QTest::addColumn<int>("status"); // 0: the connection is refused
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<QStringList>("expected");

        const QStringList model { u"Send the slides | high | 2026-03-16 | from Anna"_s,
                                  u"Call the bank | 2026-03-11T12:30:00Z"_s };
        const QStringList builtIn = describe(TaskExtractor::extract(lines, context));
        QVERIFY(builtIn != model);

        QTest::newRow("valid") << 200 << completion(validTasks) << 0 << model;
        QTest::newRow("valid in a code fence")
            << 200 << completion(u"```json\n"_s + validTasks + u"\n```"_s) << 0 << model;
        QTest::newRow("no tasks is an answer") << 200 << completion(u"{\"tasks\":[]}"_s) << 0 << QStringList {};
        QTest::newRow("well-formed task") << 200 << oneTask(u"\"title\":\"A\""_s) << 0 << QStringList { u"A | low"_s };
        QTest::newRow("prose instead of JSON")
            << 200 << completion(u"Sure! Your tasks: send the slides."_s) << 0 << builtIn;
        QTest::newRow("unknown member") << 200 << oneTask(u"\"title\":\"A\",\"notes\":\"x\""_s) << 0 << builtIn;
        QTest::newRow("missing member") << 200 << oneTask(u"\"due_time\""_s) << 0 << builtIn;
        QTest::newRow("date in another form") << 200 << oneTask(u"\"due_date\":\"16/03/2026\""_s) << 0 << builtIn;
        QTest::newRow("priority out of the enum") << 200 << oneTask(u"\"priority\":\"urgent\""_s) << 0 << builtIn;
        QTest::newRow("empty title") << 200 << oneTask(u"\"title\":\" \""_s) << 0 << builtIn;
        QTest::newRow("extra top-level member") << 200 << completion(u"{\"tasks\":[],\"note\":1}"_s) << 0 << builtIn;
        QTest::newRow("not a chat completion") << 200 << QByteArray(R"({"error":"model not loaded"})") << 0 << builtIn;
        QTest::newRow("server error") << 500 << completion(validTasks) << 0 << builtIn;
        QTest::newRow("slower than the time-out") << 200 << completion(validTasks) << 3000 << builtIn;
        QTest::newRow("no endpoint") << 0 << QByteArray() << 0 << builtIn;
    }

    void answers()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, delayMs);
        QFETCH(QStringList, expected);

        FakeService endpoint;
        QVERIFY(endpoint.listen());
        FakeService::Reply reply = FakeService::Reply::json(status, body);
        reply.delay = std::chrono::milliseconds(delayMs);
        endpoint.on("POST", "/v1/chat/completions", reply);
        QUrl url = endpoint.url(u"/v1"_s);
        if (status == 0) { // a port that was free a moment ago
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            url.setPort(probe.serverPort());
        }
        const ModelReader reader({ url, u"qwen2.5:7b"_s, std::chrono::milliseconds(800), false });
        QCOMPARE(describe(readOnWorker(reader)), expected);
        QCOMPARE(endpoint.requests().size(), status == 0 ? 0 : 1);
    }

    void sendsLinesWithLayoutSchemaAndImage()
    {
        FakeService endpoint;
        QVERIFY(endpoint.listen());
        endpoint.on("POST", "/v1/chat/completions", FakeService::Reply::json(200, completion(u"{\"tasks\":[]}"_s)));
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::white);
        const ModelReader reader({ endpoint.url(u"/v1/"_s), u"qwen2.5vl"_s, std::chrono::seconds(5), true });
        readOnWorker(reader, image);

        QCOMPARE(endpoint.requests().size(), 1);
        const auto &request = endpoint.requests().first();
        QCOMPARE(request.header("content-type"), QByteArray("application/json"));
        const QJsonObject sent = QJsonDocument::fromJson(request.body).object();
        QCOMPARE(sent.value(u"model"_s).toString(), u"qwen2.5vl"_s);
        QCOMPARE(sent.value(u"response_format"_s).toObject().value(u"type"_s).toString(), u"json_schema"_s);
        const QJsonArray content = sent.value(u"messages"_s).toArray().at(1).toObject().value(u"content"_s).toArray();
        QCOMPARE(content.size(), 2);
        const QString text = content.at(0).toObject().value(u"text"_s).toString();
        QVERIFY2(text.contains(u"2026-03-11T10:00 (Europe/Kyiv, Wednesday)"_s), qPrintable(text));
        QVERIFY2(text.contains(u"[0,4,2] - Buy milk\n"_s), qPrintable(text));
        const QString imageURL = content.at(1).toObject().value(u"image_url"_s).toObject().value(u"url"_s).toString();
        QVERIFY(imageURL.startsWith(u"data:image/png;base64,iVBOR"_s));
    }
};

QTEST_GUILESS_MAIN(TestModelReader)
#include "test_modelreader.moc"
