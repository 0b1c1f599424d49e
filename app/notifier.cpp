// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "notifier.h"

#include <QDebug>

void Notifier::notify(const Outcome &outcome)
{
    const QStringList texts = messages(outcome);
    for (const QString &text : texts)
        post(text);
}

QStringList Notifier::messages(const Outcome &outcome)
{
    switch (outcome.kind) {
    case Outcome::Kind::Waiting:
        return {};
    case Outcome::Kind::NoTask:
        return { qtTrId("notification.no_task") };
    case Outcome::Kind::RenewSignIn:
        return { qtTrId("notification.renew") };
    case Outcome::Kind::Failed:
        return { qtTrId("notification.failed") };
    case Outcome::Kind::Added: {
        QStringList texts;
        for (const QString &title : outcome.titles)
            texts.append(qtTrId("notification.added").arg(title));
        return texts;
    }
    }
    return {};
}

void LogNotifier::post(const QString &text)
{
    qInfo().noquote() << text;
}
