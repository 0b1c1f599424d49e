// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "taskeditorstate.h"

#include "datetexts.h"
#include "store.h"
#include "taskstyle.h"
#include "translations.h"

#include <QBuffer>
#include <QCoroFuture>
#include <QImageReader>
#include <QtConcurrent>

namespace {
// The thumbnail is drawn 64 × 40; decoded for twice that, for high-density screens.
constexpr QSize thumbnailPixels(128, 80);

// Decodes \a bytes just large enough to fill the thumbnail; off the main thread, since a
// full screenshot takes a while to decode.
QImage decodeThumbnail(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > thumbnailPixels.width() || size.height() > thumbnailPixels.height()))
        reader.setScaledSize(size.scaled(thumbnailPixels, Qt::KeepAspectRatioByExpanding));
    return reader.read();
}
} // namespace

TaskEditorState::TaskEditorState(Store *store, const TaskItem &task, const QTimeZone &zone, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_task(task)
    , m_zone(zone)
    , m_draft(TaskDraft::from(task, zone, QDateTime::currentDateTimeUtc()))
{
    if (m_task.captureId) {
        auto loading = loadThumbnail();
        Q_UNUSED(loading)
    }
}

TaskEditorState::~TaskEditorState() = default;

void TaskEditorState::setTitle(const QString &title)
{
    if (m_draft.title == title)
        return;
    m_draft.title = title;
    Q_EMIT titleChanged();
}

void TaskEditorState::setDetails(const QString &details)
{
    if (m_draft.details == details)
        return;
    m_draft.details = details;
    Q_EMIT detailsChanged();
}

void TaskEditorState::setPriority(int priority)
{
    if (priority < int(Priority::High) || priority > int(Priority::Low) || priority == int(m_draft.priority))
        return;
    m_draft.priority = Priority(priority);
    Q_EMIT priorityChanged();
}

void TaskEditorState::setHasDeadline(bool hasDeadline)
{
    if (m_draft.hasDeadline == hasDeadline)
        return;
    m_draft.hasDeadline = hasDeadline;
    Q_EMIT hasDeadlineChanged();
}

void TaskEditorState::setHasTime(bool hasTime)
{
    if (m_draft.hasTime == hasTime)
        return;
    m_draft.hasTime = hasTime;
    Q_EMIT hasTimeChanged();
}

void TaskEditorState::setDeadline(const QDateTime &deadline)
{
    if (!deadline.isValid() || deadline == m_draft.deadline)
        return;
    m_draft.deadline = deadline.toUTC();
    Q_EMIT deadlineChanged();
}

void TaskEditorState::setDate(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!date.isValid())
        return;
    const QDateTime local = this->local();
    QDateTime chosen(date, local.time(), m_zone);
    // A time skipped by a clock change that day moves to the next valid one.
    if (!chosen.isValid())
        chosen = date.startOfDay(m_zone);
    setDeadline(chosen);
}

void TaskEditorState::setTime(int hour, int minute)
{
    const QTime time(hour, minute);
    if (!time.isValid())
        return;
    QDateTime chosen(local().date(), time, m_zone);
    if (!chosen.isValid())
        return;
    setDeadline(chosen);
}

QString TaskEditorState::dayText() const
{
    return DateTexts::day(local().date(), Translations::language());
}

QString TaskEditorState::timeText() const
{
    return DateTexts::time(local().time(), Translations::language());
}

QString TaskEditorState::language() const
{
    return Translations::language();
}

bool TaskEditorState::uses24Hour() const
{
    return DateTexts::uses24Hour(Translations::language());
}

QStringList TaskEditorState::priorityNames() const
{
    QStringList names;
    for (Priority priority : PriorityText::allCases)
        names.append(TaskStyle::name(priority));
    return names;
}

QString TaskEditorState::sourceText() const
{
    const auto source = TaskStyle::source(m_task);
    return source ? qtTrId("editor.source").arg(*source) : QString();
}

void TaskEditorState::setTask(const TaskItem &task)
{
    if (task == m_task)
        return;
    m_task = task;
    Q_EMIT taskChanged();
}

void TaskEditorState::setPending(int delta)
{
    const bool wasBusy = busy();
    m_pending += delta;
    if (busy() != wasBusy)
        Q_EMIT busyChanged();
}

void TaskEditorState::save()
{
    auto task = saving();
    Q_UNUSED(task)
}

void TaskEditorState::remove()
{
    auto task = removing();
    Q_UNUSED(task)
}

QCoro::Task<> TaskEditorState::saving()
{
    if (!m_store)
        co_return;
    QPointer<TaskEditorState> self(this);
    setPending(1);
    const bool saved = co_await m_store->save(m_task, changes());
    if (!self)
        co_return;
    setPending(-1);
    if (saved)
        Q_EMIT finished();
}

QCoro::Task<> TaskEditorState::removing()
{
    if (!m_store)
        co_return;
    QPointer<TaskEditorState> self(this);
    setPending(1);
    const bool removed = co_await m_store->deleteTask(m_task);
    if (!self)
        co_return;
    setPending(-1);
    if (removed)
        Q_EMIT finished();
}

QCoro::Task<> TaskEditorState::loadThumbnail()
{
    if (!m_store)
        co_return;
    auto client = m_store->api();
    if (!client)
        co_return;
    QPointer<TaskEditorState> self(this);
    // The client lives in this frame until its answer has come.
    const QuiblyAPI api = std::move(*client);
    auto answer = co_await api.captureImage(*m_task.captureId);
    if (!self || !answer.ok())
        co_return;
    QImage image = co_await QtConcurrent::run(decodeThumbnail, std::move(answer).value());
    if (!self || image.isNull())
        co_return;
    m_thumbnail = std::move(image);
    Q_EMIT thumbnailChanged();
}
