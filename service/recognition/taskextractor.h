// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "recognizer.h"
#include "textline.h"

#include <QDateTime>
#include <QList>
#include <QString>

/*!
 * Turns the lines read from a screenshot into tasks: picks the lines that are to-do items
 * (check boxes, bullets, numbers, "TODO:" prefixes, short imperative lines in a list), joins
 * wrapped lines, skips checked items, and reads deadline, priority and the person a task came
 * from. Pure and thread-safe; the OCR recognizer and its tests call it.
 */
namespace TaskExtractor {
struct Context
{
    QDateTime localTime; //!< the capture's instant; relative deadlines count from its local date
    QString timeZone; //!< IANA id; UTC when unknown
    QString language; //!< "uk" or "en"
};

QList<RecognizedTask> extract(const QList<TextLine> &lines, const Context &context);

/*! Plain text, one line per entry: blank entries separate blocks, leading spaces mark wrapped lines. */
QList<RecognizedTask> extract(const QStringList &lines, const Context &context);

/*! Whether the text opens with a verb of a to-do line ("Call …", "Купити …"). */
bool startsWithVerb(const QString &text);

/*! The line in the form extraction compares: compatibility-normalised, one kind of apostrophe, single spaces. */
QString normalizedLine(const QString &line);
} // namespace TaskExtractor
