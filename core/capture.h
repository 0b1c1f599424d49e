// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "taskitem.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

/*!
 * \brief A screenshot taken but not yet accepted by the service.
 *
 * Written beside its image into the capture queue and sent with it on upload.
 */
struct QueuedCapture
{
    QString id;
    QDateTime localTime;
    QString timeZone;
    QString language;

    bool operator==(const QueuedCapture &) const = default;

    /*! The queue's metadata file form: compact JSON, "localTime" in seconds since 2001-01-01 UTC. */
    QByteArray toFileJson() const;
    /*! Reads the file form (any member order, unknown members ignored); nothing when it does not decode. */
    static std::optional<QueuedCapture> fromFileJson(const QByteArray &json);
};

/*! \brief The service's record of an uploaded screenshot. */
struct Capture
{
    QString id;
    QString status;
    QString error;
    QDateTime localTime;
    QString timeZone;
    QString language;
    QDateTime createdAt;

    bool operator==(const Capture &) const = default;
};

/*! \brief A capture together with the tasks the service read from it. */
struct CaptureResult
{
    Capture capture;
    QList<TaskItem> tasks;

    bool operator==(const CaptureResult &) const = default;
};
