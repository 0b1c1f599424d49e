// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "modelreader.h"

#include "tesseractrecognizer.h"

#include <QBuffer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimeZone>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

Q_LOGGING_CATEGORY(lcModel, "quibly.model")

namespace {
constexpr qsizetype maxTasks = 50;
constexpr qsizetype maxTitle = 200;
constexpr qint64 maxAnswerBytes = 1 << 20;

const char *const instructions
    = "You read screenshots for a to-do app. You get the text lines that OCR found on one screenshot, each "
      "with its position in pixels as [left,top,height], in reading order. List the tasks the user has to do: "
      "to-do items, unchecked check boxes, cards and table rows that are not done, requests and reminders "
      "addressed to the user in messages. Leave out window and page furniture (menus, navigation, tabs, "
      "buttons, names, time stamps, counters, form fields), finished items (ticked, struck through, under "
      "\"Done\" or \"Completed\"), statements, decisions and announcements. Write each title as a short "
      "imperative in the task language, without politeness (\"could you send the slides by Monday?\" becomes "
      "\"Send the slides\"), without the deadline and without the sender. Give a deadline only when the text "
      "sets one for the task, as due_date (yyyy-MM-dd, resolved against the capture's local date) and "
      "due_time (HH:mm) or null; a message's time stamp is no deadline. priority is \"high\" for urgent "
      "tasks, \"low\" for tasks marked as not urgent, else \"medium\". source_person is who asked, or null. "
      "Answer with one JSON object and nothing else.";

QJsonObject schema()
{
    const QJsonObject nullableString { { u"type"_s, QJsonArray { u"string"_s, u"null"_s } } };
    const QJsonObject task {
        { u"type"_s, u"object"_s },
        { u"properties"_s,
          QJsonObject { { u"title"_s, QJsonObject { { u"type"_s, u"string"_s } } },
                        { u"due_date"_s, nullableString },
                        { u"due_time"_s, nullableString },
                        { u"priority"_s,
                          QJsonObject { { u"type"_s, u"string"_s },
                                        { u"enum"_s, QJsonArray { u"high"_s, u"medium"_s, u"low"_s } } } },
                        { u"source_person"_s, nullableString } } },
        { u"required"_s, QJsonArray { u"title"_s, u"due_date"_s, u"due_time"_s, u"priority"_s, u"source_person"_s } },
        { u"additionalProperties"_s, false },
    };
    return QJsonObject {
        { u"type"_s, u"object"_s },
        { u"properties"_s,
          QJsonObject { { u"tasks"_s, QJsonObject { { u"type"_s, u"array"_s }, { u"items"_s, task } } } } },
        { u"required"_s, QJsonArray { u"tasks"_s } },
        { u"additionalProperties"_s, false },
    };
}

QTimeZone zoneOf(const TaskExtractor::Context &context)
{
    QTimeZone zone(context.timeZone.toUtf8());
    return zone.isValid() ? zone : QTimeZone::utc();
}

bool fail(QString *why, const QString &reason)
{
    if (why)
        *why = reason;
    return false;
}

// A member that must be a string, or null when \a nullable.
bool readString(const QJsonObject &o, const QString &key, bool nullable, std::optional<QString> &out)
{
    const QJsonValue v = o.value(key);
    if (v.isNull() && nullable) {
        out.reset();
        return true;
    }
    if (!v.isString())
        return false;
    out = v.toString();
    return true;
}

bool readTask(const QJsonValue &value, const QDate today, const QTimeZone &zone, RecognizedTask &task, QString *why)
{
    if (!value.isObject())
        return fail(why, u"a task is not an object"_s);
    const QJsonObject o = value.toObject();
    static const QStringList members { u"title"_s, u"due_date"_s, u"due_time"_s, u"priority"_s, u"source_person"_s };
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (!members.contains(it.key()))
            return fail(why, u"unknown member \"%1\""_s.arg(it.key()));
    }
    if (o.size() != members.size())
        return fail(why, u"a task lacks a member"_s);
    std::optional<QString> title, date, time, priority, person;
    if (!readString(o, u"title"_s, false, title) || !readString(o, u"due_date"_s, true, date)
        || !readString(o, u"due_time"_s, true, time) || !readString(o, u"priority"_s, false, priority)
        || !readString(o, u"source_person"_s, true, person))
        return fail(why, u"a member has the wrong type"_s);
    task.title = title->simplified();
    if (task.title.isEmpty() || task.title.size() > maxTitle)
        return fail(why, u"a title is empty or too long"_s);
    if (*priority != u"high"_s && *priority != u"medium"_s && *priority != u"low"_s)
        return fail(why, u"unknown priority"_s);
    task.priority = *priority;
    std::optional<QDate> day;
    if (date) {
        const QDate d = QDate::fromString(*date, u"yyyy-MM-dd"_s);
        if (!d.isValid())
            return fail(why, u"due_date is not yyyy-MM-dd"_s);
        day = d;
    }
    if (time) {
        const QTime t = QTime::fromString(*time, u"HH:mm"_s);
        if (!t.isValid())
            return fail(why, u"due_time is not HH:mm"_s);
        // A time alone means today, as it does in the built-in extraction.
        task.dueAt = QDateTime(day.value_or(today), t, zone).toUTC();
    } else if (day) {
        task.dueDate = day->toString(u"yyyy-MM-dd"_s);
    }
    if (person && !person->simplified().isEmpty()) {
        if (person->size() > 100)
            return fail(why, u"source_person is too long"_s);
        task.sourcePerson = person->simplified();
    }
    return true;
}
} // namespace

ModelReader::ModelReader(Config config)
    : m_config(std::move(config))
{ }

QByteArray ModelReader::requestBody(const QList<TextLine> &lines, const TaskExtractor::Context &context,
                                    const QImage &image) const
{
    const QTimeZone zone = zoneOf(context);
    const QDateTime local
        = (context.localTime.isValid() ? context.localTime : QDateTime::currentDateTimeUtc()).toTimeZone(zone);
    QString text = u"Capture time: %1 (%2, %3). Task language: %4.\nLines:\n"_s.arg(
        local.toString(u"yyyy-MM-ddTHH:mm"_s), QString::fromUtf8(zone.id()),
        QLocale::c().dayName(local.date().dayOfWeek()), context.language == u"uk"_s ? u"Ukrainian"_s : u"English"_s);
    for (const TextLine &line : lines)
        text += u"[%1,%2,%3] %4\n"_s.arg(line.left).arg(line.top).arg(line.height).arg(line.text);

    QJsonValue content = text;
    if (m_config.sendImage && !image.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        content = QJsonArray {
            QJsonObject { { u"type"_s, u"text"_s }, { u"text"_s, text } },
            QJsonObject {
                { u"type"_s, u"image_url"_s },
                { u"image_url"_s,
                  QJsonObject {
                      { u"url"_s, QString(u"data:image/png;base64,"_s + QString::fromLatin1(png.toBase64())) } } } },
        };
    }
    const QJsonObject body {
        { u"model"_s, m_config.model },
        { u"temperature"_s, 0 },
        { u"stream"_s, false },
        { u"messages"_s,
          QJsonArray { QJsonObject { { u"role"_s, u"system"_s }, { u"content"_s, QString::fromUtf8(instructions) } },
                       QJsonObject { { u"role"_s, u"user"_s }, { u"content"_s, content } } } },
        { u"response_format"_s,
          QJsonObject {
              { u"type"_s, u"json_schema"_s },
              { u"json_schema"_s,
                QJsonObject { { u"name"_s, u"tasks"_s }, { u"strict"_s, true }, { u"schema"_s, schema() } } } } },
    };
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

std::optional<QList<RecognizedTask>> ModelReader::parseAnswer(const QByteArray &body,
                                                              const TaskExtractor::Context &context, QString *why)
{
    QJsonParseError error;
    const QJsonDocument answer = QJsonDocument::fromJson(body, &error);
    const QJsonArray choices = answer.object().value(u"choices"_s).toArray();
    const QJsonValue message = choices.isEmpty() ? QJsonValue() : choices.first().toObject().value(u"message"_s);
    const QJsonValue contentValue = message.toObject().value(u"content"_s);
    if (error.error != QJsonParseError::NoError || !contentValue.isString()) {
        fail(why, u"not a chat completion"_s);
        return std::nullopt;
    }
    QString content = contentValue.toString().trimmed();
    // Some servers wrap the object in a Markdown code fence even when asked for JSON alone.
    if (content.startsWith(u"```"_s) && content.endsWith(u"```"_s) && content.size() >= 6) {
        content = content.mid(3, content.size() - 6);
        if (content.startsWith(u"json"_s))
            content = content.mid(4);
    }
    const QJsonDocument tasksDoc = QJsonDocument::fromJson(content.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !tasksDoc.isObject()) {
        fail(why, u"the content is not a JSON object"_s);
        return std::nullopt;
    }
    const QJsonObject root = tasksDoc.object();
    if (root.size() != 1 || !root.value(u"tasks"_s).isArray()) {
        fail(why, u"the object is not {\"tasks\": [...]}"_s);
        return std::nullopt;
    }
    const QJsonArray items = root.value(u"tasks"_s).toArray();
    if (items.size() > maxTasks) {
        fail(why, u"too many tasks"_s);
        return std::nullopt;
    }
    const QTimeZone zone = zoneOf(context);
    const QDate today
        = (context.localTime.isValid() ? context.localTime : QDateTime::currentDateTimeUtc()).toTimeZone(zone).date();
    QList<RecognizedTask> tasks;
    for (const QJsonValue &item : items) {
        RecognizedTask task;
        if (!readTask(item, today, zone, task, why))
            return std::nullopt;
        tasks << task;
    }
    return tasks;
}

std::optional<QList<RecognizedTask>> ModelReader::read(const QList<TextLine> &lines,
                                                       const TaskExtractor::Context &context, const QImage &image,
                                                       QString *why) const
{
    QUrl url = m_config.url;
    url.setPath(url.path().endsWith(u'/') ? url.path() + u"chat/completions"_s : url.path() + u"/chat/completions"_s);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);

    // This runs on a recognition worker thread: the wait below blocks that worker only.
    QNetworkAccessManager nam;
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(
        nam.post(request, requestBody(lines, context, image)), [](QNetworkReply *r) { r->deleteLater(); });
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Refuse an answer larger than any list of tasks could be before it is all in memory.
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64) {
        if (received > maxAnswerBytes)
            reply->abort();
    });
    deadline.start(m_config.timeout);
    if (!reply->isFinished())
        loop.exec();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (timedOut) {
        fail(why, u"no answer within %1 ms"_s.arg(m_config.timeout.count()));
        return std::nullopt;
    }
    if (reply->error() != QNetworkReply::NoError || status != 200) {
        fail(why, status != 0 ? u"HTTP status %1"_s.arg(status) : reply->errorString());
        return std::nullopt;
    }
    return parseAnswer(reply->readAll(), context, why);
}

QList<RecognizedTask> ModelReader::readOrExtract(const QList<TextLine> &lines, const TaskExtractor::Context &context,
                                                 const QImage &image) const
{
    QString why;
    if (auto tasks = read(lines, context, image, &why))
        return *tasks;
    qCInfo(lcModel, "model %s gave no valid answer (%s): using the built-in extraction", qPrintable(m_config.model),
           qPrintable(why));
    return TaskExtractor::extract(lines, context);
}

ModelRecognizer::ModelRecognizer(ModelReader::Config config, std::unique_ptr<TesseractRecognizer> ocr)
    : m_reader(std::move(config))
    , m_ocr(std::move(ocr))
{ }

ModelRecognizer::~ModelRecognizer() = default;

RecognitionResult ModelRecognizer::recognize(const RecognitionRequest &request)
{
    RecognitionResult result;
    QImage image;
    if (request.image.startsWith("\x89PNG\r\n\x1a\n") || request.image.startsWith("\xff\xd8\xff"))
        image.loadFromData(request.image);
    if (image.isNull()) {
        result.error = u"unreadable_image"_s;
        return result;
    }
    const TesseractRecognizer::Reading reading = m_ocr->readLines(image, request.language);
    if (!reading.error.isEmpty()) {
        result.error = reading.error;
        return result;
    }
    result.done = true;
    result.tasks
        = m_reader.readOrExtract(reading.lines, { request.localTime, request.timeZone, request.language }, image);
    return result;
}
