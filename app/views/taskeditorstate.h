// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "taskdraft.h"
#include "taskitem.h"

#include <QCoroTask>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QTimeZone>

class Store;

/*!
 * \brief The task editor's working copy of one task, and its save and delete.
 *
 * Made by TaskListModel when a task opens in the editor and kept until it closes, so that
 * the user's edits survive reloads and the editor's delegate scrolling away. The working
 * copy is set once from the task; newer records of the task only replace what save()
 * compares with (TaskDraft::changes). Also loads the capture's thumbnail, once, off the
 * main thread.
 */
class TaskEditorState : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("TaskListModel makes the editor of the open task")
    Q_PROPERTY(QString taskId READ taskId CONSTANT)
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    Q_PROPERTY(QString details READ details WRITE setDetails NOTIFY detailsChanged)
    Q_PROPERTY(int priority READ priority WRITE setPriority NOTIFY priorityChanged)
    Q_PROPERTY(bool hasDeadline READ hasDeadline WRITE setHasDeadline NOTIFY hasDeadlineChanged)
    Q_PROPERTY(bool hasTime READ hasTime WRITE setHasTime NOTIFY hasTimeChanged)
    Q_PROPERTY(int year READ year NOTIFY deadlineChanged)
    Q_PROPERTY(int month READ month NOTIFY deadlineChanged)
    Q_PROPERTY(int day READ day NOTIFY deadlineChanged)
    Q_PROPERTY(int hour READ hour NOTIFY deadlineChanged)
    Q_PROPERTY(int minute READ minute NOTIFY deadlineChanged)
    Q_PROPERTY(QString dayText READ dayText NOTIFY deadlineChanged)
    Q_PROPERTY(QString timeText READ timeText NOTIFY deadlineChanged)
    Q_PROPERTY(QStringList priorityNames READ priorityNames CONSTANT)
    Q_PROPERTY(QString sourceText READ sourceText NOTIFY taskChanged)
    Q_PROPERTY(QString captureId READ captureId NOTIFY taskChanged)
    Q_PROPERTY(QVariant thumbnail READ thumbnailImage NOTIFY thumbnailChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(QString language READ language CONSTANT)
    Q_PROPERTY(bool uses24Hour READ uses24Hour CONSTANT)

public:
    TaskEditorState(Store *store, const TaskItem &task, const QTimeZone &zone, QObject *parent = nullptr);
    ~TaskEditorState() override;

    QString taskId() const { return QString::number(m_task.id); }
    const TaskItem &task() const { return m_task; }
    const TaskDraft &draft() const { return m_draft; }

    QString title() const { return m_draft.title; }
    void setTitle(const QString &title);
    QString details() const { return m_draft.details; }
    void setDetails(const QString &details);
    int priority() const { return int(m_draft.priority); }
    void setPriority(int priority);
    bool hasDeadline() const { return m_draft.hasDeadline; }
    void setHasDeadline(bool hasDeadline);
    bool hasTime() const { return m_draft.hasTime; }
    void setHasTime(bool hasTime);

    int year() const { return local().date().year(); }
    int month() const { return local().date().month(); }
    int day() const { return local().date().day(); }
    int hour() const { return local().time().hour(); }
    int minute() const { return local().time().minute(); }
    /*! The chosen day with its month and year, as the interface language writes it. */
    QString dayText() const;
    /*! The chosen time of day, in the interface language's short form. */
    QString timeText() const;
    QStringList priorityNames() const;
    /*! "editor.source" with the task's source, or nothing when it has none. */
    QString sourceText() const;
    QString captureId() const { return m_task.captureId.value_or(QString()); }
    QImage thumbnail() const { return m_thumbnail; }
    /*! thumbnail() for QML, which has no image type: a QImage, or nothing before it has loaded. */
    QVariant thumbnailImage() const { return m_thumbnail.isNull() ? QVariant() : QVariant(m_thumbnail); }
    bool busy() const { return m_pending > 0; }
    /*! The interface language, for the pickers' month and weekday names. */
    QString language() const;
    bool uses24Hour() const;

    /*! Keeps the chosen time of day; days past a month's end are refused. */
    Q_INVOKABLE void setDate(int year, int month, int day);
    /*! Keeps the chosen day; seconds are cleared. */
    Q_INVOKABLE void setTime(int hour, int minute);

    /*! The fields that differ from the newest record, keyed by wire name. */
    QJsonObject changes() const { return m_draft.changes(m_task, m_zone); }
    Q_INVOKABLE QVariantMap changedFields() const { return changes().toVariantMap(); }
    /*! Sends changes(); finished() follows when the service accepted them. */
    Q_INVOKABLE void save();
    /*! Deletes the task; finished() follows when the service did. */
    Q_INVOKABLE void remove();

    /*! The newest record of the task; the working copy stays as the user left it. */
    void setTask(const TaskItem &task);

Q_SIGNALS:
    void titleChanged();
    void detailsChanged();
    void priorityChanged();
    void hasDeadlineChanged();
    void hasTimeChanged();
    void deadlineChanged();
    void taskChanged();
    void thumbnailChanged();
    void busyChanged();
    /*! A save or delete succeeded: the editor closes. */
    void finished();

private:
    QDateTime local() const { return m_draft.deadline.toTimeZone(m_zone); }
    void setDeadline(const QDateTime &deadline);
    QCoro::Task<> saving();
    QCoro::Task<> removing();
    QCoro::Task<> loadThumbnail();
    void setPending(int delta);

    QPointer<Store> m_store;
    TaskItem m_task;
    QTimeZone m_zone;
    TaskDraft m_draft;
    QImage m_thumbnail;
    int m_pending = 0;
};
