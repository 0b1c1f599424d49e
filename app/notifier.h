// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "outcome.h"

#include <QString>
#include <QStringList>

/*!
 * \brief Where the Store announces news: the outcome of a capture or a ready text.
 *
 * notify() turns an outcome into the texts of the string tables and hands each to post();
 * a front end (desktop notifications and toast, quiblyctl's standard output) implements
 * post() only.
 */
class Notifier
{
public:
    virtual ~Notifier() = default;

    /*! Shows one message. */
    virtual void post(const QString &text) = 0;

    /*! Posts messages(outcome), one after the other. */
    virtual void notify(const Outcome &outcome);

    /*!
     * The messages for \a outcome: none for waiting (nor for added without titles), one per
     * title for added ("notification.added" with the title), otherwise one.
     */
    static QStringList messages(const Outcome &outcome);
};

/*! \brief A Notifier that writes each message to the log; the application's stand-in until the desktop one is set. */
class LogNotifier : public Notifier
{
public:
    void post(const QString &text) override;
};
