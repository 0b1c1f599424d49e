// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "store.h"

#include "accesskey.h"
#include "defaults.h"
#include "durablefile.h"
#include "notifier.h"
#include "quiblyapi.h"
#include "reachability.h"

#include <QCoroFuture>
#include <QCoroTimer>
#include <QNetworkAccessManager>
#include <QStandardPaths>
#include <QTimeZone>
#include <QUrl>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>

namespace {
// A task that nobody awaits keeps running and frees itself when it ends.
void detach(QCoro::Task<> task)
{
    Q_UNUSED(task)
}

QNetworkAccessManager *sharedSession()
{
    // Like the platform's shared session: created once on the main thread and kept until the
    // process ends, so that no request is ever cut off by the manager going away first.
    static auto *session = new QNetworkAccessManager();
    return session;
}

QCoro::Task<> sleep(std::chrono::milliseconds interval)
{
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    timer.start(interval);
    co_await timer;
}

// The client travels with each request so that a request left running (the open captures
// after the task list failed) never outlives it.
QCoro::Task<ServiceResult<std::optional<Listing<TaskItem>>>> loadTasks(std::shared_ptr<const QuiblyAPI> client,
                                                                       Listing<TaskItem> known)
{
    auto asking = client->tasks(std::move(known));
    co_return co_await std::move(asking);
}

QCoro::Task<ServiceResult<std::optional<Listing<Capture>>>> loadOpenCaptures(std::shared_ptr<const QuiblyAPI> client,
                                                                             Listing<Capture> known)
{
    auto asking = client->openCaptures(std::move(known));
    co_return co_await std::move(asking);
}

QCoro::Task<> makePrivate(QString accessKeyPath, QString queueDirectory)
{
    QFuture<void> narrowing = QtConcurrent::run([accessKeyPath, queueDirectory] {
        AccessKey::makePrivate(accessKeyPath);
        DurableFile::makePrivate(queueDirectory);
    });
    co_await narrowing;
}

QCoro::Task<ServiceResult<std::monostate>> uploadOne(std::shared_ptr<const QuiblyAPI> client, QueuedCapture item,
                                                     QByteArray png)
{
    auto uploading = client->upload(std::move(item), std::move(png));
    auto uploaded = co_await std::move(uploading);
    if (!uploaded.ok())
        co_return std::move(uploaded).error();
    co_return serviceSuccess();
}

bool isNotFound(const ServiceError &error)
{
    const auto *api = std::get_if<APIError>(&error);
    return api && api->kind == APIError::Kind::Rejected && api->code == u"not_found";
}

QString trimSpacesAndTabs(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}
} // namespace

Store::Store(Setup setup, QObject *parent)
    : QObject(parent)
    , m_defaults(setup.defaults)
    , m_accessKeyPath(setup.accessKeyPath.isEmpty() ? AccessKey::defaultPath() : setup.accessKeyPath)
    , m_queue(setup.queueDirectory.isEmpty() ? defaultQueueDirectory() : setup.queueDirectory)
    , m_notifier(setup.notifier)
    , m_reachability(setup.reachability)
    , m_session(setup.session ? setup.session : sharedSession())
    , m_shortInterval(setup.shortInterval)
    , m_longInterval(setup.longInterval)
    , m_syncInterval(setup.syncInterval)
{
    if (!m_defaults) {
        m_ownDefaults = std::make_unique<Defaults>();
        m_defaults = m_ownDefaults.get();
    }
    if (!m_notifier) {
        m_ownNotifier = std::make_unique<LogNotifier>();
        m_notifier = m_ownNotifier.get();
    }
    if (!m_reachability)
        m_reachability = new NetworkReachability(this);
}

Store::Store(QObject *parent)
    : Store(Setup {}, parent)
{ }

Store::~Store() = default;

QString Store::defaultQueueDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Quibly/queue");
}

void Store::start()
{
    connect(m_reachability, &Reachability::pathUpdated, this, [this](bool usable) {
        if (usable)
            detach(sync());
    });
    m_reachability->start();

    delete m_timer;
    m_timer = new QTimer(this);
    m_timer->setInterval(m_syncInterval);
    connect(m_timer, &QTimer::timeout, this, [this] { detach(sync()); });
    m_timer->start();

    QTimer::singleShot(0, this, [this] { detach(sync()); });
}

std::optional<QuiblyAPI> Store::api() const
{
    const auto stored = m_defaults->serverURL();
    if (!stored)
        return std::nullopt;
    const auto url = usableServerURL(*stored);
    if (!url)
        return std::nullopt;
    auto key = AccessKey::read(m_accessKeyPath);
    if (!key)
        return std::nullopt;
    return QuiblyAPI(*url, *key, m_session);
}

std::optional<QUrl> Store::usableServerURL(const QString &stored)
{
    const QUrl url(trimSpacesAndTabs(stored), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        return std::nullopt;
    return url;
}

std::shared_ptr<const QuiblyAPI> Store::sharedApi() const
{
    auto client = api();
    if (!client)
        return nullptr;
    return std::make_shared<const QuiblyAPI>(std::move(*client));
}

void Store::notConfigured()
{
    setProblem(qtTrId("list.not_configured"));
    setOffline(true);
}

void Store::report(const ServiceError &error)
{
    const auto *api = std::get_if<APIError>(&error);
    if (api && api->kind == APIError::Kind::Offline) {
        setProblem(qtTrId("list.offline"));
        setOffline(true);
    } else if (api && api->kind == APIError::Kind::Unauthorized) {
        setProblem(qtTrId("list.unauthorized"));
        setOffline(true);
    } else {
        setProblem(qtTrId("list.server_error"));
    }
    Q_EMIT failed(error);
}

QCoro::Task<> Store::sync()
{
    if (m_syncing) {
        m_syncAgain = true;
        co_return;
    }
    QPointer<Store> self(this);
    m_syncing = true;
    m_syncAgain = false;
    co_await syncOnce();
    if (!self)
        co_return;
    while (m_syncAgain) {
        m_syncAgain = false;
        co_await syncOnce();
        if (!self)
            co_return;
    }
    m_syncing = false;
    Q_EMIT synced();
}

QCoro::Task<> Store::syncOnce()
{
    QPointer<Store> self(this);
    if (!m_madePrivate) {
        // Folders and files that an older version or a hand left open to other accounts.
        m_madePrivate = true;
        auto narrowing = makePrivate(m_accessKeyPath, m_queue.directory());
        co_await std::move(narrowing);
        if (!self)
            co_return;
    }
    const auto shared = sharedApi();
    if (!shared) {
        notConfigured();
        co_return;
    }
    // Most passes (the idle tick) find the queue empty, and the last count says so without
    // waking a worker thread. The first pass always drains, sweeping what a killed writer
    // left; what another program queues meanwhile shows in the count and goes next pass.
    std::optional<ServiceError> uploadStopped;
    if (!m_drainedOnce || m_queued > 0) {
        m_drainedOnce = true;
        // Awaited tasks are named locals throughout: GCC 12 may destroy temporaries of a
        // co_await expression (lambda captures, by-value arguments) twice.
        CaptureQueue::Upload upload = [shared](QueuedCapture item, QByteArray png) {
            return uploadOne(shared, std::move(item), std::move(png));
        };
        auto draining = m_queue.drain(std::move(upload));
        const CaptureQueue::Drained drained = co_await std::move(draining);
        if (!self)
            co_return;

        for (const QString &id : drained.rejected) {
            m_watching.remove(id);
            announce(id, Outcome::failed());
        }
        uploadStopped = drained.stoppedBy;
    }
    recount();

    co_await refresh();
    if (!self)
        co_return;
    // A service may take the key for its lists and still refuse uploads with it: the reload's
    // success must not hide that nothing leaves the queue until another key is stored. Other
    // upload failures stay the queue's business: the next pass tries again.
    const auto *uploadError = uploadStopped ? std::get_if<APIError>(&*uploadStopped) : nullptr;
    if (uploadError && uploadError->kind == APIError::Kind::Unauthorized && !m_problem)
        report(*uploadStopped);
    startFollowing();
}

QCoro::Task<> Store::refresh()
{
    QPointer<Store> self(this);
    const auto shared = sharedApi();
    if (!shared) {
        notConfigured();
        co_return;
    }
    // Both requests are on the wire before either answer is looked at.
    auto tasksRequest = loadTasks(shared, m_tasks);
    auto capturesRequest = loadOpenCaptures(shared, m_openCaptures);

    auto tasks = co_await tasksRequest;
    if (!self)
        co_return;
    if (!tasks.ok()) {
        // The open captures' request runs on by itself; its answer is dropped.
        report(tasks.error());
        co_return;
    }
    auto captures = co_await capturesRequest;
    if (!self)
        co_return;
    if (!captures.ok()) {
        report(captures.error());
        co_return;
    }

    // Nothing new (304): the lists stand, and nobody is told they changed.
    if (tasks.value()) {
        m_tasks = std::move(*std::move(tasks).value());
        Q_EMIT tasksChanged();
    }
    if (captures.value()) {
        m_openCaptures = std::move(*std::move(captures).value());
        Q_EMIT openCapturesChanged();
    }
    setProblem(std::nullopt);
    setOffline(false);
    if (!m_loaded) {
        m_loaded = true;
        Q_EMIT loadedChanged();
    }
    for (const Capture &capture : std::as_const(m_openCaptures.items))
        if (capture.status == u"pending")
            m_watching.insert(capture.id);
}

QCoro::Task<> Store::capture(QByteArray png)
{
    const QueuedCapture meta { QUuid::createUuid().toString(QUuid::WithoutBraces).toLower(),
                               QDateTime::currentDateTimeUtc(), QString::fromUtf8(QTimeZone::systemTimeZoneId()),
                               m_defaults->taskLanguage() };
    // A large screenshot takes tens of milliseconds to write and flush: off the main thread.
    QPointer<Store> self(this);
    auto writing = m_queue.enqueueInBackground(std::move(png), meta);
    const auto written = co_await std::move(writing);
    if (!self)
        co_return;
    if (!written.ok()) {
        // Always announced: a screenshot that could not be kept is lost.
        m_notifier->post(qtTrId("notification.failed"));
        co_return;
    }
    m_watching.insert(meta.id);
    recount();
    Q_EMIT captureQueued(meta.id);
    co_await sync();
}

void Store::poll()
{
    startFollowing();
}

void Store::startFollowing()
{
    if (m_polling || m_watching.isEmpty())
        return;
    m_polling = true;
    detach(follow());
}

QCoro::Task<> Store::follow()
{
    QPointer<Store> self(this);
    auto interval = m_shortInterval;
    while (!m_watching.isEmpty()) {
        co_await sleep(interval);
        if (!self)
            co_return;
        const bool wait = co_await check();
        if (!self)
            co_return;
        interval = wait ? m_longInterval : m_shortInterval;
    }
    m_polling = false;
    Q_EMIT pollingStopped();
}

QCoro::Task<bool> Store::check()
{
    QPointer<Store> self(this);
    const auto client = api();
    if (!client)
        co_return true;

    QSet<QString> onDisk;
    for (const QueuedCapture &item : m_queue.pending())
        onDisk.insert(item.id);

    bool nothingWaiting = true;
    const QSet<QString> snapshot = m_watching;
    for (const QString &id : snapshot) {
        if (onDisk.contains(id))
            continue;
        auto asking = client->captureResult(id);
        const auto result = co_await std::move(asking);
        if (!self)
            co_return true;
        if (!result.ok()) {
            if (isNotFound(result.error())) {
                m_watching.remove(id);
                continue;
            }
            report(result.error());
            co_return true;
        }
        const Outcome outcome = Outcome::of(result.value());
        switch (outcome.kind) {
        case Outcome::Kind::Waiting:
            nothingWaiting = false;
            break;
        case Outcome::Kind::RenewSignIn:
            announce(id, outcome);
            break;
        case Outcome::Kind::Added:
        case Outcome::Kind::NoTask:
        case Outcome::Kind::Failed:
            announce(id, outcome);
            m_watching.remove(id);
            break;
        }
    }

    co_await refresh();
    if (!self)
        co_return true;
    co_return nothingWaiting && !m_watching.isEmpty();
}

QCoro::Task<bool> Store::add(QString title)
{
    const auto client = api();
    if (!client) {
        notConfigured();
        co_return false;
    }
    auto creating = client->createTask(std::move(title));
    auto concluding = conclude(std::move(creating));
    co_return co_await std::move(concluding);
}

QCoro::Task<bool> Store::save(TaskItem task, QJsonObject fields)
{
    const auto client = api();
    if (!client) {
        notConfigured();
        co_return false;
    }
    auto updating = client->updateTask(task.id, std::move(fields));
    auto concluding = conclude(std::move(updating));
    co_return co_await std::move(concluding);
}

QCoro::Task<bool> Store::setDone(TaskItem task, bool done)
{
    return save(std::move(task), QJsonObject { { QStringLiteral("done"), done } });
}

QCoro::Task<bool> Store::deleteTask(TaskItem task)
{
    const auto client = api();
    if (!client) {
        notConfigured();
        co_return false;
    }
    auto deleting = client->deleteTask(task.id);
    auto concluding = conclude(std::move(deleting));
    co_return co_await std::move(concluding);
}

QCoro::Task<> Store::retry(Capture capture)
{
    QPointer<Store> self(this);
    const QString prefix = capture.id + u' ';
    m_notified.removeIf([&prefix](const QString &key) { return key.startsWith(prefix); });

    if (const auto client = api()) {
        auto retrying = client->retryCapture(capture.id);
        auto concluding = conclude(std::move(retrying));
        co_await std::move(concluding);
        if (!self)
            co_return;
    } else {
        notConfigured();
    }
    m_watching.insert(capture.id);
    poll();
}

QCoro::Task<> Store::deleteCapture(Capture capture)
{
    m_watching.remove(capture.id);
    const auto client = api();
    if (!client) {
        notConfigured();
        co_return;
    }
    auto deleting = client->deleteCapture(capture.id);
    auto concluding = conclude(std::move(deleting));
    co_await std::move(concluding);
}

template<typename T> QCoro::Task<bool> Store::conclude(QCoro::Task<ServiceResult<T>> request)
{
    QPointer<Store> self(this);
    const auto answer = co_await std::move(request);
    if (!self)
        co_return false;
    if (!answer.ok()) {
        report(answer.error());
        co_return false;
    }
    co_await refresh();
    co_return true;
}

void Store::announce(const QString &captureId, const Outcome &outcome)
{
    const QString key = captureId + u' ' + outcome.text();
    if (m_notified.contains(key))
        return;
    m_notified.insert(key);
    m_notifier->notify(outcome);
    Q_EMIT announced(captureId, outcome);
}

void Store::setProblem(const std::optional<QString> &problem)
{
    if (m_problem == problem)
        return;
    m_problem = problem;
    Q_EMIT problemChanged();
}

void Store::setOffline(bool offline)
{
    if (m_offline == offline)
        return;
    m_offline = offline;
    Q_EMIT offlineChanged();
}

void Store::setQueued(int queued)
{
    if (m_queued == queued)
        return;
    m_queued = queued;
    Q_EMIT queuedChanged();
}

void Store::recount()
{
    setQueued(int(m_queue.pending().size()));
}
