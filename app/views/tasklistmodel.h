// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "rowlistmodel.h"
#include "taskitem.h"

#include <QDateTime>
#include <QHash>
#include <QPointer>
#include <QQmlEngine>
#include <QTimeZone>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class Store;
class TaskEditorState;

/*!
 * \brief The tasks of the list popover as rows: the open tasks in Ordering's order, then,
 * while showDone is set, the done tasks.
 *
 * Follows the Store row by row. The texts that depend on the day (deadline labels, urgency)
 * are recomputed on every change of the tasks and when the next day or the next deadline
 * begins, on a single-shot timer. Which task is open in the editor lives here too, with the
 * editor's working copy, so that both survive reloads and delegates that scroll away.
 */
class TaskListModel : public RowListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("store.h")
    Q_MOC_INCLUDE("taskeditorstate.h")
    Q_PROPERTY(Store *store READ store WRITE setStore NOTIFY storeChanged)
    Q_PROPERTY(bool showDone READ showDone WRITE setShowDone NOTIFY showDoneChanged)
    Q_PROPERTY(int openCount READ openCount NOTIFY countsChanged)
    Q_PROPERTY(int doneCount READ doneCount NOTIFY countsChanged)
    Q_PROPERTY(QString expandedId READ expandedId NOTIFY expandedIdChanged)
    Q_PROPERTY(TaskEditorState *editor READ editor NOTIFY editorChanged)

public:
    enum Role {
        TaskIdRole = Qt::UserRole,
        TitleRole,
        DetailsRole,
        PriorityRole,
        PriorityNameRole,
        UrgentRole,
        OverdueRole,
        HasDeadlineRole,
        DeadlineTextRole,
        SourceRole,
        DoneRole,
        HasCaptureRole,
        CaptureIdRole,
        ExpandedRole,
        SectionRole,
        SummaryRole,
    };
    Q_ENUM(Role)

    explicit TaskListModel(QObject *parent = nullptr);
    ~TaskListModel() override;

    Store *store() const { return m_store; }
    void setStore(Store *store);
    bool showDone() const { return m_showDone; }
    void setShowDone(bool showDone);
    int openCount() const { return m_openCount; }
    int doneCount() const { return m_doneCount; }
    QString expandedId() const { return m_expandedId; }
    TaskEditorState *editor() const { return m_editor.get(); }

    /*! Opens the open task \a taskId in the editor, closing any other; done tasks never open. */
    Q_INVOKABLE void expand(const QString &taskId);
    Q_INVOKABLE void collapse();

    /*! Replaces the clock and the time zone (tests); the system's by default. */
    void setClock(std::function<QDateTime()> now, const QTimeZone &zone);
    /*! When the texts change next by themselves: the next midnight or an open task's next deadline. */
    QDateTime nextBoundary() const { return m_nextBoundary; }
    /*! The newest record of \a taskId in the Store. */
    std::optional<TaskItem> task(const QString &taskId) const;

Q_SIGNALS:
    void storeChanged();
    void showDoneChanged();
    void countsChanged();
    void expandedIdChanged();
    void editorChanged();

private:
    void rebuild();
    void syncEditor(const QList<TaskItem> &open);
    void dropEditor();
    // What a row shows of its deadline; tasks due the same day (or never) share it.
    struct Deadline
    {
        std::optional<qint64> dayOffset;
        QString text;
    };
    Row rowFor(const TaskItem &task, const QDateTime &now, QHash<QString, Deadline> &deadlines) const;
    void scheduleBoundary(const QList<TaskItem> &open, const QDateTime &now);

    QPointer<Store> m_store;
    QMetaObject::Connection m_storeConnection;
    bool m_showDone = false;
    int m_openCount = 0;
    int m_doneCount = 0;
    QString m_expandedId;
    std::unique_ptr<TaskEditorState> m_editor;
    std::function<QDateTime()> m_now;
    QTimeZone m_zone;
    QTimer *m_boundaryTimer = nullptr;
    QDateTime m_nextBoundary;
};
