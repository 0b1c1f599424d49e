// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

/*! What a recognizer is given: the uploaded image and the capture's context. */
struct RecognitionRequest
{
    QByteArray image; //!< PNG or JPEG bytes as uploaded
    QDateTime localTime; //!< the capture's local time (an instant)
    QString timeZone; //!< IANA id sent with the upload; deadlines resolve in it
    QString language; //!< "uk" or "en"
};

/*! One task read from an image, with the service's wire values. */
struct RecognizedTask
{
    QString title;
    QString description;
    QString priority = QStringLiteral("medium"); //!< "high", "medium" or "low"
    std::optional<QString> dueDate; //!< yyyy-MM-dd, when the deadline has no time of day
    std::optional<QDateTime> dueAt; //!< when it has one
    std::optional<QString> sourceApp;
    std::optional<QString> sourcePerson;

    bool operator==(const RecognizedTask &) const = default;
};

/*! A finished recognition: done with its tasks (possibly none), or failed with an error code. */
struct RecognitionResult
{
    bool done = false;
    QString error; //!< when not done: "unreadable_image", "ocr_unavailable", …
    QList<RecognizedTask> tasks;
};

/*!
 * \brief Reads tasks from a screenshot.
 *
 * recognize() is called on worker threads, possibly several at once, and must be
 * thread-safe. It may take seconds; it never runs on the HTTP thread.
 */
class Recognizer
{
public:
    virtual ~Recognizer() = default;
    virtual RecognitionResult recognize(const RecognitionRequest &request) = 0;
};
