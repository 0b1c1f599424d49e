// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "capture.h"
#include "serviceerror.h"
#include "taskitem.h"

#include <QByteArrayList>
#include <QCoroTask>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QUrl>

#include <chrono>
#include <optional>
#include <variant>

/*!
 * \brief A list as the service last sent it, with the validator that names it.
 *
 * Handed back with the next request for the same list: when the service answers
 * "304 Not Modified", the list stands as it is and is neither sent nor decoded again.
 * A service that sends no validator leaves `etag` empty and is asked unconditionally.
 */
template<typename T> struct Listing
{
    QList<T> items;
    QByteArray etag;
    QByteArray source; //!< the service and key it came from: no other client sends its validator

    bool operator==(const Listing &) const = default;
};

/*!
 * \brief The client of the task-recognition service.
 *
 * Built for one operation from the stored server URL and access key; its fields never
 * change, so one client may run several requests at once. Every endpoint resumes on the
 * thread that awaited it and never throws: failures come back as ServiceError.
 * The client and the session must outlive the tasks it returns.
 *
 * Redirects are followed within the base URL's origin only (scheme, host and port); one
 * to another origin ends as APIError::server with its 3xx status and nothing is sent
 * there. Answers longer than jsonBodyLimit (imageBodyLimit for captureImage) are cut off
 * and end as APIError::server with the answer's status; for a compressed answer the limit
 * applies to its decompressed size. A transfer that stalls for `timeout` ends as
 * APIError::offline.
 *
 * \code
 * QuiblyAPI api(url, key, &nam);
 * auto tasks = co_await api.tasks();
 * if (!tasks.ok()) qWarning() << describe(tasks.error());
 * \endcode
 */
class QuiblyAPI
{
public:
    static constexpr std::chrono::milliseconds defaultTimeout { 30000 };
    /*! Larger answers are cut off and reported as APIError::server with the answer's status. */
    static constexpr qint64 jsonBodyLimit = qint64(16) * 1024 * 1024;
    static constexpr qint64 imageBodyLimit = qint64(64) * 1024 * 1024;

    QuiblyAPI(QUrl baseURL, QString accessKey, QNetworkAccessManager *session,
              std::chrono::milliseconds timeout = defaultTimeout);

    const QUrl &baseURL() const { return m_baseURL; }
    const QString &accessKey() const { return m_accessKey; }

    QCoro::Task<ServiceResult<Capture>> upload(QueuedCapture item, QByteArray png) const;
    QCoro::Task<ServiceResult<CaptureResult>> captureResult(QString id) const;
    QCoro::Task<ServiceResult<QList<Capture>>> openCaptures() const;
    QCoro::Task<ServiceResult<QByteArray>> captureImage(QString id) const;
    QCoro::Task<ServiceResult<Capture>> retryCapture(QString id) const;
    QCoro::Task<ServiceResult<std::monostate>> deleteCapture(QString id) const;
    QCoro::Task<ServiceResult<QList<TaskItem>>> tasks() const;
    /*!
     * The open captures or the tasks, asked for on the condition that they differ from
     * \a known; nothing when the service says they do not. A 304 to a request that named
     * no validator is APIError::server(304), as for any other endpoint.
     */
    QCoro::Task<ServiceResult<std::optional<Listing<Capture>>>> openCaptures(Listing<Capture> known) const;
    QCoro::Task<ServiceResult<std::optional<Listing<TaskItem>>>> tasks(Listing<TaskItem> known) const;
    QCoro::Task<ServiceResult<TaskItem>> createTask(QString title) const;
    QCoro::Task<ServiceResult<TaskItem>> updateTask(qint64 id, QJsonObject fields) const;
    QCoro::Task<ServiceResult<std::monostate>> deleteTask(qint64 id) const;

    /*! Tells this client's listings from those of another service or key. */
    QByteArray listingSource() const;

private:
    struct Answer
    {
        QByteArray body;
        QByteArray etag;
        bool notModified = false; //!< 304 to a conditional request; body is empty
    };

    QNetworkRequest request(const QString &path) const;
    QCoro::Task<Result<Answer, APIError>> data(QNetworkRequest request, QByteArray method,
                                               std::optional<QByteArrayList> body, qint64 bodyLimit) const;
    template<typename T, typename Decode>
    QCoro::Task<ServiceResult<std::optional<Listing<T>>>> list(QString path, Listing<T> known, Decode decode) const;

    QUrl m_baseURL;
    QString m_accessKey;
    QNetworkAccessManager *m_session;
    std::chrono::milliseconds m_timeout;
};
