// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "tasklistmodel.h"

#include "ordering.h"
#include "store.h"
#include "taskeditorstate.h"
#include "taskstyle.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
// Qt::UserRole order; must match TaskListModel::Role.
QList<QByteArray> taskRoles()
{
    return { "taskId",       "title",  "details", "priority",   "priorityName", "urgent",   "overdue", "hasDeadline",
             "deadlineText", "source", "done",    "hasCapture", "captureId",    "expanded", "section", "summary" };
}

// A timer interval is an int of milliseconds; far boundaries are reached in steps.
constexpr qint64 longestWait = 24LL * 60 * 60 * 1000;
} // namespace

TaskListModel::TaskListModel(QObject *parent)
    : RowListModel(taskRoles(), parent)
    , m_now([] { return QDateTime::currentDateTimeUtc(); })
    , m_zone(QTimeZone::systemTimeZone())
{
    m_boundaryTimer = new QTimer(this);
    m_boundaryTimer->setSingleShot(true);
    m_boundaryTimer->setTimerType(Qt::PreciseTimer);
    connect(m_boundaryTimer, &QTimer::timeout, this, &TaskListModel::rebuild);
}

TaskListModel::~TaskListModel() = default;

void TaskListModel::setStore(Store *store)
{
    if (m_store == store)
        return;
    disconnect(m_storeConnection);
    m_store = store;
    if (m_store)
        m_storeConnection = connect(m_store, &Store::tasksChanged, this, &TaskListModel::rebuild);
    rebuild();
    Q_EMIT storeChanged();
}

void TaskListModel::setShowDone(bool showDone)
{
    if (m_showDone == showDone)
        return;
    m_showDone = showDone;
    rebuild();
    Q_EMIT showDoneChanged();
}

void TaskListModel::setClock(std::function<QDateTime()> now, const QTimeZone &zone)
{
    m_now = std::move(now);
    m_zone = zone;
    rebuild();
}

std::optional<TaskItem> TaskListModel::task(const QString &taskId) const
{
    if (!m_store)
        return std::nullopt;
    const auto &tasks = m_store->tasks();
    const auto found = std::find_if(tasks.cbegin(), tasks.cend(),
                                    [&taskId](const TaskItem &task) { return QString::number(task.id) == taskId; });
    if (found == tasks.cend())
        return std::nullopt;
    return *found;
}

void TaskListModel::expand(const QString &taskId)
{
    const auto found = task(taskId);
    if (!found || found->isDone() || taskId == m_expandedId)
        return;
    // Another task's unsaved edits are dropped with its editor.
    dropEditor();
    m_expandedId = taskId;
    Q_EMIT expandedIdChanged();
    rebuild();
}

void TaskListModel::collapse()
{
    if (m_expandedId.isEmpty())
        return;
    m_expandedId.clear();
    Q_EMIT expandedIdChanged();
    rebuild();
}

void TaskListModel::dropEditor()
{
    if (!m_editor)
        return;
    // Its save or delete may still be waiting for the service; it ends once it resumes.
    m_editor->disconnect(this);
    m_editor.release()->deleteLater();
    Q_EMIT editorChanged();
}

void TaskListModel::rebuild()
{
    const QDateTime now = m_now();
    const QList<TaskItem> tasks = m_store ? m_store->tasks() : QList<TaskItem>();
    const QList<TaskItem> open = Ordering::open(tasks, now, m_zone);
    const QList<TaskItem> done = Ordering::done(tasks);

    syncEditor(open);

    QList<Row> rows;
    rows.reserve(open.size() + (m_showDone ? done.size() : 0));
    QHash<QString, Deadline> deadlines;
    for (const TaskItem &task : open)
        rows.append(rowFor(task, now, deadlines));
    if (m_showDone)
        for (const TaskItem &task : done)
            rows.append(rowFor(task, now, deadlines));
    replaceRows(std::move(rows));

    if (m_openCount != open.size() || m_doneCount != done.size()) {
        m_openCount = int(open.size());
        m_doneCount = int(done.size());
        Q_EMIT countsChanged();
    }
    scheduleBoundary(open, now);
}

void TaskListModel::syncEditor(const QList<TaskItem> &open)
{
    const auto current = std::find_if(
        open.cbegin(), open.cend(), [this](const TaskItem &task) { return QString::number(task.id) == m_expandedId; });
    if (current == open.cend()) {
        // The task left the open list: its working copy goes; the expansion stays for its return.
        dropEditor();
        return;
    }
    if (m_editor) {
        m_editor->setTask(*current);
        return;
    }
    m_editor = std::make_unique<TaskEditorState>(m_store, *current, m_zone);
    // Queued: the editor is still inside its own save or delete when it finishes.
    connect(m_editor.get(), &TaskEditorState::finished, this, &TaskListModel::collapse, Qt::QueuedConnection);
    Q_EMIT editorChanged();
}

RowListModel::Row TaskListModel::rowFor(const TaskItem &task, const QDateTime &now,
                                        QHash<QString, Deadline> &deadlines) const
{
    const QString id = QString::number(task.id);
    const bool hasDeadline = task.dueDate.has_value() || task.dueAt.has_value();
    // Working out a day in the zone and formatting it is most of a row's cost, and thousands of
    // tasks share a few deadlines.
    QString key;
    if (task.dueAt)
        key = task.dueAt->isValid() ? u'@' + QString::number(task.dueAt->toMSecsSinceEpoch()) : u"@"_s;
    else if (task.dueDate)
        key = u'#' + *task.dueDate;
    auto known = deadlines.constFind(key);
    if (known == deadlines.constEnd())
        known
            = deadlines.insert(key, { Ordering::dayOffset(task, now, m_zone), TaskStyle::deadline(task, now, m_zone) });
    const auto dayOffset = known->dayOffset;
    const bool overdue = !task.isDone() && ((dayOffset && *dayOffset < 0) || (task.dueAt && *task.dueAt < now));
    const QString deadline = known->text;
    const QString priorityName = TaskStyle::name(task.priority);
    const QString summary = priorityName + u", "_s + deadline;
    QList<QVariant> values { id,
                             task.title,
                             task.description,
                             int(task.priority),
                             priorityName,
                             Ordering::isUrgent(task, dayOffset),
                             overdue,
                             hasDeadline,
                             deadline,
                             TaskStyle::source(task).value_or(QString()),
                             task.isDone(),
                             task.captureId.has_value(),
                             task.captureId.value_or(QString()),
                             !task.isDone() && id == m_expandedId,
                             task.isDone() ? u"done"_s : u"open"_s,
                             summary };
    return { id, std::move(values) };
}

void TaskListModel::scheduleBoundary(const QList<TaskItem> &open, const QDateTime &now)
{
    const QDate today = now.toTimeZone(m_zone).date();
    QDateTime next = today.addDays(1).startOfDay(m_zone);
    for (const TaskItem &task : open)
        if (task.dueAt && *task.dueAt > now && *task.dueAt < next)
            next = *task.dueAt;
    m_nextBoundary = next.toUTC();
    // A moment past the boundary, so that the clock reads the new day when the timer fires.
    const qint64 wait = std::clamp<qint64>(now.msecsTo(m_nextBoundary) + 50, 50, longestWait);
    m_boundaryTimer->start(int(wait));
}
