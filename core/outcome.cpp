// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "outcome.h"

#include <QJsonArray>
#include <QJsonDocument>

Outcome Outcome::of(const CaptureResult &result)
{
    const Capture &capture = result.capture;
    if (capture.status == u"pending")
        return capture.error == u"claude_auth" ? renewSignIn() : waiting();
    if (capture.status == u"done") {
        if (result.tasks.isEmpty())
            return noTask();
        QStringList titles;
        titles.reserve(result.tasks.size());
        for (const TaskItem &task : result.tasks)
            titles.append(task.title);
        return added(std::move(titles));
    }
    return failed();
}

QString Outcome::text() const
{
    switch (kind) {
    case Kind::Added:
        // The titles as a JSON array: quoting and escaping keep "A,B" apart from "A","B", and ["A"] from ["A","A"].
        return QStringLiteral("added ")
            + QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(titles)).toJson(QJsonDocument::Compact));
    case Kind::Waiting:
        return QStringLiteral("waiting");
    case Kind::NoTask:
        return QStringLiteral("noTask");
    case Kind::RenewSignIn:
        return QStringLiteral("renewSignIn");
    case Kind::Failed:
        return QStringLiteral("failed");
    }
    Q_UNREACHABLE();
    return {};
}
