// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "listactions.h"

#include "store.h"

#include <algorithm>

namespace {
// An edit that nobody awaits keeps running and frees itself when it ends.
template<typename T> void detach(QCoro::Task<T> task)
{
    Q_UNUSED(task)
}

const TaskItem *findTask(const QList<TaskItem> &tasks, const QString &taskId)
{
    const auto found = std::find_if(tasks.cbegin(), tasks.cend(),
                                    [&taskId](const TaskItem &task) { return QString::number(task.id) == taskId; });
    return found == tasks.cend() ? nullptr : &*found;
}

const Capture *findCapture(const QList<Capture> &captures, const QString &captureId)
{
    const auto found = std::find_if(captures.cbegin(), captures.cend(),
                                    [&captureId](const Capture &capture) { return capture.id == captureId; });
    return found == captures.cend() ? nullptr : &*found;
}
} // namespace

ListActions::ListActions(QObject *parent)
    : QObject(parent)
{ }

void ListActions::setStore(Store *store)
{
    if (m_store == store)
        return;
    m_store = store;
    Q_EMIT storeChanged();
}

std::optional<QString> ListActions::trimmedTitle(const QString &text)
{
    // QString::trimmed() removes exactly the Unicode white space, line breaks included.
    QString title = text.trimmed();
    if (title.isEmpty())
        return std::nullopt;
    return title;
}

bool ListActions::add(const QString &text)
{
    const auto title = trimmedTitle(text);
    if (!title || !m_store)
        return false;
    detach(m_store->add(*title));
    return true;
}

void ListActions::setDone(const QString &taskId, bool done)
{
    if (!m_store)
        return;
    if (const TaskItem *task = findTask(m_store->tasks(), taskId))
        detach(m_store->setDone(*task, done));
}

void ListActions::remove(const QString &taskId)
{
    if (!m_store)
        return;
    if (const TaskItem *task = findTask(m_store->tasks(), taskId))
        detach(m_store->deleteTask(*task));
}

void ListActions::retry(const QString &captureId)
{
    if (!m_store)
        return;
    if (const Capture *capture = findCapture(m_store->openCaptures(), captureId))
        detach(m_store->retry(*capture));
}

void ListActions::deleteCapture(const QString &captureId)
{
    if (!m_store)
        return;
    if (const Capture *capture = findCapture(m_store->openCaptures(), captureId))
        detach(m_store->deleteCapture(*capture));
}
