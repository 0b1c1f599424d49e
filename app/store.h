// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "capture.h"
#include "capturequeue.h"
#include "outcome.h"
#include "quiblyapi.h"
#include "serviceerror.h"
#include "taskitem.h"

#include <QCoroTask>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

class Defaults;
class Notifier;
class QNetworkAccessManager;
class Reachability;

/*!
 * \brief The one state object of Quibly: the task list, the open captures, the problem
 * line, and the machinery that keeps them in step with the service.
 *
 * It uploads what the capture queue holds, follows each capture until the service has
 * read it, announces each outcome once through the Notifier, and carries out the user's
 * edits. The application and quiblyctl each own one. Everything runs on the main thread;
 * the guards are plain flags because the coroutines only suspend at their co_awaits.
 */
class Store : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<TaskItem> tasks READ tasks NOTIFY tasksChanged)
    Q_PROPERTY(QList<Capture> openCaptures READ openCaptures NOTIFY openCapturesChanged)
    Q_PROPERTY(QString problem READ problemText NOTIFY problemChanged)
    Q_PROPERTY(bool offline READ offline NOTIFY offlineChanged)
    Q_PROPERTY(bool loaded READ loaded NOTIFY loadedChanged)
    Q_PROPERTY(int queued READ queued NOTIFY queuedChanged)

public:
    /*! What the Store works with. Empty or null members mean the real thing. */
    struct Setup
    {
        Defaults *defaults = nullptr; //!< the user's settings
        QString accessKeyPath; //!< AccessKey::defaultPath()
        QString queueDirectory; //!< $XDG_DATA_HOME/Quibly/queue
        Notifier *notifier = nullptr; //!< announcements go to the log
        Reachability *reachability = nullptr; //!< QNetworkInformation
        QNetworkAccessManager *session = nullptr; //!< one manager for the Store's lifetime
        std::chrono::milliseconds shortInterval { 3000 }; //!< follow loop while a capture is read
        std::chrono::milliseconds longInterval { 30000 }; //!< follow loop otherwise
        std::chrono::milliseconds syncInterval { 30000 }; //!< the repeating sync timer
    };

    /*! The real collaborators and the usual intervals. */
    explicit Store(QObject *parent = nullptr);
    explicit Store(Setup setup, QObject *parent = nullptr);
    ~Store() override;

    static QString defaultQueueDirectory();

    const QList<TaskItem> &tasks() const { return m_tasks.items; }
    const QList<Capture> &openCaptures() const { return m_openCaptures.items; }
    const std::optional<QString> &problem() const { return m_problem; }
    QString problemText() const { return m_problem.value_or(QString()); }
    bool offline() const { return m_offline; }
    bool loaded() const { return m_loaded; }
    int queued() const { return m_queued; }

    const CaptureQueue &queue() const { return m_queue; }
    Defaults *defaults() const { return m_defaults; }

    /*! Starts watching the network, the sync timer and the first sync. Call once. */
    void start();

    /*!
     * A client built from the current server URL (spaces and tabs trimmed; absolute, with
     * scheme and host) and the stored access key; nothing when either is missing.
     * Never kept: a changed setting applies to the next operation.
     */
    std::optional<QuiblyAPI> api() const;
    /*! \a stored as the client would use it: trimmed of spaces and tabs, absolute, with scheme and host. */
    static std::optional<QUrl> usableServerURL(const QString &stored);

    /*! Publishes that the service is not configured. */
    void notConfigured();
    /*! Publishes the problem of a failed service operation. */
    void report(const ServiceError &error);

    /*! Asks for a sync pass; a request during a pass costs exactly one more pass. */
    QCoro::Task<> sync();
    /*! Reloads the tasks and the open captures. */
    QCoro::Task<> refresh();

    /*! Queues \a png, then syncs. A queue that cannot be written is announced as failed. */
    QCoro::Task<> capture(QByteArray png);
    /*! Starts the follow loop unless one runs or nothing is followed. */
    void poll();

    QCoro::Task<bool> add(QString title);
    QCoro::Task<bool> save(TaskItem task, QJsonObject fields);
    QCoro::Task<bool> setDone(TaskItem task, bool done);
    /*! Deletes \a task on the service ("delete" is a C++ keyword). */
    QCoro::Task<bool> deleteTask(TaskItem task);
    QCoro::Task<> retry(Capture capture);
    QCoro::Task<> deleteCapture(Capture capture);

    /*! True while a sync pass or the follow loop runs. */
    bool busy() const { return m_syncing || m_polling; }
    /*! Whether \a captureId is being followed. */
    bool isWatching(const QString &captureId) const { return m_watching.contains(captureId); }

Q_SIGNALS:
    void tasksChanged();
    void openCapturesChanged();
    void problemChanged();
    void offlineChanged();
    void loadedChanged();
    void queuedChanged();
    /*! A service operation failed with \a error (after the problem was published); for logs. */
    void failed(const ServiceError &error);
    /*! \a captureId's outcome \a outcome was announced. */
    void announced(const QString &captureId, const Outcome &outcome);
    /*! \a captureId was written to the queue and is followed from now on. */
    void captureQueued(const QString &captureId);
    /*! The follow loop ended. */
    void pollingStopped();
    /*! A sync request was fully served (no further pass owed). */
    void synced();

private:
    friend class StoreTest;

    /*! api() on the heap, for requests that may outlive the coroutine that started them. */
    std::shared_ptr<const QuiblyAPI> sharedApi() const;
    QCoro::Task<> syncOnce();
    QCoro::Task<> follow();
    QCoro::Task<bool> check();
    /*!
     * Ends an edit's request: a failure is reported, a success reloads the lists.
     * True on success. The caller keeps the client alive until this returns.
     */
    template<typename T> QCoro::Task<bool> conclude(QCoro::Task<ServiceResult<T>> request);

    void announce(const QString &captureId, const Outcome &outcome);
    void setProblem(const std::optional<QString> &problem);
    void setOffline(bool offline);
    void setQueued(int queued);
    void recount();
    void startFollowing();

    Defaults *m_defaults = nullptr;
    std::unique_ptr<Defaults> m_ownDefaults;
    QString m_accessKeyPath;
    CaptureQueue m_queue;
    Notifier *m_notifier = nullptr;
    std::unique_ptr<Notifier> m_ownNotifier;
    Reachability *m_reachability = nullptr;
    QNetworkAccessManager *m_session = nullptr;
    std::chrono::milliseconds m_shortInterval;
    std::chrono::milliseconds m_longInterval;
    std::chrono::milliseconds m_syncInterval;
    QTimer *m_timer = nullptr;

    // With the validators they came with: a sync that finds nothing changed keeps them
    // as they are, decodes nothing and emits nothing.
    Listing<TaskItem> m_tasks;
    Listing<Capture> m_openCaptures;
    std::optional<QString> m_problem;
    bool m_offline = false;
    bool m_loaded = false;
    int m_queued = 0;

    QSet<QString> m_watching;
    QSet<QString> m_notified;
    bool m_polling = false;
    bool m_syncing = false;
    bool m_syncAgain = false;
    bool m_madePrivate = false; // modes left wide by older versions narrowed once
    bool m_drainedOnce = false;
};
