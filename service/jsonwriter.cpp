// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "jsonwriter.h"

#include "database.h"
#include "timeformat.h"

namespace {

void appendInstant(QByteArray &out, qint64 msecs)
{
    out += '"';
    out += TimeFormat::formatInstant(msecs).toLatin1();
    out += '"';
}

void appendOptional(QByteArray &out, const std::optional<QString> &text)
{
    if (text)
        JsonWriter::appendString(out, *text);
    else
        out += "null";
}

void appendOptionalInstant(QByteArray &out, const std::optional<qint64> &msecs)
{
    if (msecs)
        appendInstant(out, *msecs);
    else
        out += "null";
}

} // namespace

namespace JsonWriter {

void appendString(QByteArray &out, QStringView text)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    out += '"';
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                out += "\\u00";
                out += hex[u >> 4];
                out += hex[u & 0xf];
            }
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendCapture(QByteArray &out, const CaptureRecord &c)
{
    out += "{\"id\":";
    appendString(out, c.id);
    out += ",\"status\":";
    appendString(out, c.status);
    out += ",\"error\":";
    appendString(out, c.error);
    out += ",\"local_time\":";
    appendInstant(out, c.localTime);
    out += ",\"time_zone\":";
    appendString(out, c.timeZone);
    out += ",\"language\":";
    appendString(out, c.language);
    out += ",\"created_at\":";
    appendInstant(out, c.createdAt);
    out += '}';
}

void appendTask(QByteArray &out, const TaskRecord &t)
{
    out += "{\"id\":";
    out += QByteArray::number(t.id);
    out += ",\"capture_id\":";
    appendOptional(out, t.captureId);
    out += ",\"title\":";
    appendString(out, t.title);
    out += ",\"description\":";
    appendString(out, t.description);
    out += ",\"priority\":";
    appendString(out, t.priority);
    out += ",\"due_date\":";
    appendOptional(out, t.dueDate);
    out += ",\"due_at\":";
    appendOptionalInstant(out, t.dueAt);
    out += ",\"source_app\":";
    appendOptional(out, t.sourceApp);
    out += ",\"source_person\":";
    appendOptional(out, t.sourcePerson);
    out += ",\"done_at\":";
    appendOptionalInstant(out, t.doneAt);
    out += ",\"created_at\":";
    appendInstant(out, t.createdAt);
    out += ",\"updated_at\":";
    appendInstant(out, t.updatedAt);
    out += '}';
}

QByteArray capture(const CaptureRecord &c)
{
    QByteArray out;
    appendCapture(out, c);
    return out;
}

QByteArray task(const TaskRecord &t)
{
    QByteArray out;
    appendTask(out, t);
    return out;
}

QByteArray captures(const QList<CaptureRecord> &list)
{
    QByteArray out = "[";
    for (const CaptureRecord &c : list) {
        if (out.size() > 1)
            out += ',';
        appendCapture(out, c);
    }
    out += ']';
    return out;
}

QByteArray tasks(const QList<TaskRecord> &list)
{
    QByteArray out;
    out.reserve(list.size() * 400 + 2);
    out += '[';
    for (const TaskRecord &t : list) {
        if (out.size() > 1)
            out += ',';
        appendTask(out, t);
    }
    out += ']';
    return out;
}

QByteArray captureResult(const CaptureRecord &c, const QList<TaskRecord> &list)
{
    QByteArray out = "{\"capture\":";
    appendCapture(out, c);
    out += ",\"tasks\":";
    out += tasks(list);
    out += '}';
    return out;
}

} // namespace JsonWriter
