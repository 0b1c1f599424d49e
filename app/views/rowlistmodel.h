// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QQmlEngine>
#include <QString>
#include <QVariant>

/*!
 * \brief A list model of keyed rows that takes a whole new list and applies it as row
 * operations: removals, the fewest moves, insertions, and dataChanged with only the roles
 * whose values differ.
 *
 * The Store replaces its lists on every reload; the views must not see that as a reset,
 * or every delegate is rebuilt and scrolling, focus and the open editor are lost.
 * TaskListModel and CaptureListModel fill it.
 */
class RowListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    /*! One row: its stable key and one value per role, in the order of the role names. */
    struct Row
    {
        QString key;
        QList<QVariant> values;
    };

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_rows.size()); }
    /*! The row of \a key, or -1. */
    int rowOf(const QString &key) const;
    const QList<Row> &rows() const { return m_rows; }

    /*! Makes \a rows the content (keys unique), changing only what differs. */
    void replaceRows(QList<Row> rows);

Q_SIGNALS:
    void countChanged();

protected:
    /*! \a roles name the roles from Qt::UserRole on, in the order of Row::values. */
    explicit RowListModel(QList<QByteArray> roles, QObject *parent = nullptr);

private:
    void removeGone(const QList<Row> &rows);
    void reorder(const QList<Row> &rows);
    void insertAndUpdate(QList<Row> &rows);

    QList<QByteArray> m_roles;
    QList<Row> m_rows;
};
