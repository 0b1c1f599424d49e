// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

// What the recognition tests share: the moment their screens are read, and a short form of what
// was read.

#include "recognizer.h"

#include <QDateTime>
#include <QStringList>

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
