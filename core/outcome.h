// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "capture.h"

#include <QString>
#include <QStringList>

/*!
 * \brief What the user is told about a capture, derived from its result.
 *
 * Equal when the same case (and, for Added, the same titles in the same order).
 */
struct Outcome
{
    enum class Kind { Added, Waiting, NoTask, RenewSignIn, Failed };

    Kind kind = Kind::Waiting;
    QStringList titles; //!< Added only

    static Outcome added(QStringList titles) { return { Kind::Added, std::move(titles) }; }
    static Outcome waiting() { return { Kind::Waiting, {} }; }
    static Outcome noTask() { return { Kind::NoTask, {} }; }
    static Outcome renewSignIn() { return { Kind::RenewSignIn, {} }; }
    static Outcome failed() { return { Kind::Failed, {} }; }

    static Outcome of(const CaptureResult &result);

    /*! Names the case (and for Added its titles) unambiguously; two outcomes are equal exactly when their texts are. */
    QString text() const;

    /*! Titles only count for Added, so a stray payload on another case cannot split equal outcomes. */
    bool operator==(const Outcome &other) const
    {
        return kind == other.kind && (kind != Kind::Added || titles == other.titles);
    }
};
