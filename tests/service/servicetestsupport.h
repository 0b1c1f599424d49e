// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

// Helpers for talking to a quibly-service in the test process over real sockets, and for describing
// what a recognizer read.

#include "recognizer.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <atomic>
#include <functional>

/*! A recognizer whose answers the test scripts; it records what it was asked.
 */
class ScriptedRecognizer : public Recognizer
{
public:
    using Script = std::function<RecognitionResult(const RecognitionRequest &)>;

    explicit ScriptedRecognizer(Script script = {})
        : m_script(std::move(script))
    { }

    RecognitionResult recognize(const RecognitionRequest &request) override
    {
        Script script;
        {
            QMutexLocker lock(&m_mutex);
            m_requests.append(request);
            script = m_script;
        }
        ++m_started;
        if (m_gated)
            m_gate.acquire();
        return script ? script(request) : RecognitionResult { true, {}, {} };
    }

    void setScript(Script script)
    {
        QMutexLocker lock(&m_mutex);
        m_script = std::move(script);
    }
    //! From now on every recognition waits for release().
    void hold() { m_gated = true; }
    void release(int n = 1) { m_gate.release(n); }
    int started() const { return m_started; }
    QList<RecognitionRequest> requests()
    {
        QMutexLocker lock(&m_mutex);
        return m_requests;
    }

private:
    QMutex m_mutex;
    Script m_script;
    QList<RecognitionRequest> m_requests;
    std::atomic_int m_started = 0;
    std::atomic_bool m_gated = false;
    QSemaphore m_gate;
};

struct Answer
{
    int status = 0; //!< 0: no HTTP answer
    QByteArray body;
    QByteArray contentType;
    QJsonDocument json() const { return QJsonDocument::fromJson(body); }
    QByteArray code() const { return json().object().value(u"code").toString().toUtf8(); }
};

inline Answer waitForAnswer(QNetworkReply *reply)
{
    // A spy's wait runs the event loop without qWaitFor's naps, which would throttle the in-process
    // server to a few chunks per interval on large uploads.
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!reply->isFinished() && !finished.wait(30000))
        reply->abort();
    Answer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    answer.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    reply->deleteLater();
    return answer;
}

//! Writes raw bytes to the server (running in this thread's event loop) and collects what it sends
//! until it closes the connection, `done` says enough, or time runs out.
inline QByteArray rawExchange(quint16 port, const QByteArray &bytes, int timeoutMs = 5000,
                              const std::function<bool(const QByteArray &)> &done = {})
{
    QTcpSocket socket;
    QByteArray received;
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [&] { received += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000))
        return {};
    socket.write(bytes);
    (void)QTest::qWaitFor([&] { return socket.state() != QAbstractSocket::ConnectedState || (done && done(received)); },
                          timeoutMs);
    received += socket.readAll();
    return received;
}

inline int statusOf(const QByteArray &rawResponse)
{
    return rawResponse.startsWith("HTTP/1.1 ") ? rawResponse.mid(9, 3).toInt() : 0;
}

//! The value of the field \a name in a raw answer; null when it has none.
inline QByteArray headerOf(const QByteArray &rawResponse, const QByteArray &name)
{
    const QByteArray key = "\r\n" + name + ": ";
    const qsizetype at = rawResponse.indexOf(key);
    const qsizetype start = at + key.size();
    return at < 0 ? QByteArray() : rawResponse.mid(start, rawResponse.indexOf('\r', start) - start);
}

inline QByteArray bodyOf(const QByteArray &rawResponse)
{
    const qsizetype at = rawResponse.indexOf("\r\n\r\n");
    return at < 0 ? QByteArray() : rawResponse.sliced(at + 4);
}

inline QJsonObject jsonObject(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

//! Wednesday 11 March 2026, 10:00 in Kyiv (UTC+2): when the screens of the recognition tests are
//! read.
inline const QDateTime WednesdayInKyiv = QDateTime(QDate(2026, 3, 11), QTime(8, 0), Qt::UTC);

//! "title | priority | due | from person" for each task, leaving out a medium priority and what is
//! missing; due is a date or an instant in UTC.
inline QStringList describe(const QList<RecognizedTask> &tasks)
{
    QStringList out;
    for (const RecognizedTask &t : tasks) {
        QStringList parts { t.title };
        if (t.priority != u"medium")
            parts << t.priority;
        if (t.dueAt || t.dueDate)
            parts << (t.dueAt ? t.dueAt->toUTC().toString(Qt::ISODate) : *t.dueDate);
        if (t.sourcePerson)
            parts << QStringLiteral("from ") + *t.sourcePerson;
        out << parts.join(QStringLiteral(" | "));
    }
    return out;
}
