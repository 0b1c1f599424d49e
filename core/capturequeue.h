// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "capture.h"
#include "result.h"
#include "serviceerror.h"

#include <QCoroTask>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <variant>

/*!
 * \brief Screenshots taken but not yet accepted by the service, kept on disk.
 *
 * The directory is the queue: `<id>.png` and `<id>.json` per capture, the metadata
 * file being the commit marker. Writes are atomic and durable, and private to the user
 * (folder 0700, files 0600). The application and quiblyctl may share one queue; a kernel
 * lock on `drain.lock` keeps two drains from uploading the same capture and ends with its
 * holder, however that ends. A drain first removes what a killed enqueue or removal left
 * behind, so that a kill at any moment strands no screenshot.
 */
class CaptureQueue
{
public:
    struct Drained
    {
        QStringList uploaded;
        QStringList rejected;
        //! Why the drain stopped before the end of the queue (offline, refused key, server
        //! fault); the captures from there on stay queued.
        std::optional<ServiceError> stoppedBy;
        bool operator==(const Drained &) const = default;
    };
    using Upload = std::function<QCoro::Task<ServiceResult<std::monostate>>(QueuedCapture, QByteArray)>;

    explicit CaptureQueue(QString directory);

    const QString &directory() const { return m_directory; }

    /*! Stores the pair; the error text names what failed. */
    Result<std::monostate, QString> enqueue(const QByteArray &png, const QueuedCapture &meta) const;
    /*! enqueue() on a worker thread, awaited: writing and flushing a large screenshot does
     *  not hold up the caller's thread. */
    QCoro::Task<Result<std::monostate, QString>> enqueueInBackground(QByteArray png, QueuedCapture meta) const;
    /*! The queued captures, oldest first. Never fails. */
    QList<QueuedCapture> pending() const;
    /*! Uploads in order; stops at the first failure that is not a refusal. Never fails itself. */
    QCoro::Task<Drained> drain(Upload upload) const;
    /*! Deletes both files of \a id; failures are ignored. */
    void remove(const QString &id) const;

private:
    QString m_directory;
};
