// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "rowlistmodel.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {
// Marks the elements of the longest strictly increasing subsequence of \a values.
QList<bool> longestIncreasing(const QList<int> &values)
{
    QList<int> tails; // tails[l]: index of the smallest tail of an increasing run of length l + 1
    QList<int> previous(values.size(), -1);
    for (int i = 0; i < values.size(); ++i) {
        const auto at = std::lower_bound(tails.cbegin(), tails.cend(), values.at(i),
                                         [&values](int index, int value) { return values.at(index) < value; });
        const auto length = at - tails.cbegin();
        if (length > 0)
            previous[i] = tails.at(length - 1);
        if (at == tails.cend())
            tails.append(i);
        else
            tails[length] = i;
    }
    QList<bool> kept(values.size(), false);
    for (int i = tails.isEmpty() ? -1 : tails.constLast(); i >= 0; i = previous.at(i))
        kept[i] = true;
    return kept;
}
} // namespace

RowListModel::RowListModel(QList<QByteArray> roles, QObject *parent)
    : QAbstractListModel(parent)
    , m_roles(std::move(roles))
{ }

int RowListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant RowListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int column = role - Qt::UserRole;
    const Row &row = m_rows.at(index.row());
    return column >= 0 && column < row.values.size() ? row.values.at(column) : QVariant();
}

QHash<int, QByteArray> RowListModel::roleNames() const
{
    QHash<int, QByteArray> names;
    for (int i = 0; i < m_roles.size(); ++i)
        names.insert(Qt::UserRole + i, m_roles.at(i));
    return names;
}

int RowListModel::rowOf(const QString &key) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).key == key)
            return i;
    return -1;
}

void RowListModel::replaceRows(QList<Row> rows)
{
    const int before = count();
    removeGone(rows);
    reorder(rows);
    insertAndUpdate(rows);
    if (count() != before)
        Q_EMIT countChanged();
}

void RowListModel::removeGone(const QList<Row> &rows)
{
    QSet<QString> wanted;
    wanted.reserve(rows.size());
    for (const Row &row : rows)
        wanted.insert(row.key);
    // From the end, one removal per run of gone rows.
    for (int last = int(m_rows.size()) - 1; last >= 0; --last) {
        if (wanted.contains(m_rows.at(last).key))
            continue;
        int first = last;
        while (first > 0 && !wanted.contains(m_rows.at(first - 1).key))
            --first;
        beginRemoveRows(QModelIndex(), first, last);
        m_rows.remove(first, last - first + 1);
        endRemoveRows();
        last = first;
    }
}

void RowListModel::reorder(const QList<Row> &rows)
{
    QHash<QString, int> target;
    target.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i)
        target.insert(rows.at(i).key, i);

    // The rows already in order among themselves stay; only the others move.
    QList<int> order;
    order.reserve(m_rows.size());
    for (const Row &row : std::as_const(m_rows))
        order.append(target.value(row.key));
    const QList<bool> kept = longestIncreasing(order);
    QList<int> moving;
    for (int i = 0; i < kept.size(); ++i)
        if (!kept.at(i))
            moving.append(order.at(i));
    std::sort(moving.begin(), moving.end());

    // Placed in order of their new position, each row goes right after the row that
    // precedes it in the new list among those already in order (or to the top).
    for (int wantedAt : std::as_const(moving)) {
        const QString &key = rows.at(wantedAt).key;
        const int from = rowOf(key);
        int to = 0;
        for (int i = wantedAt - 1; i >= 0; --i) {
            const int previous = rowOf(rows.at(i).key);
            if (previous >= 0 && previous != from) {
                to = previous + 1;
                break;
            }
        }
        if (to == from || to == from + 1)
            continue;
        beginMoveRows(QModelIndex(), from, from, QModelIndex(), to);
        m_rows.move(from, to > from ? to - 1 : to);
        endMoveRows();
    }
}

void RowListModel::insertAndUpdate(QList<Row> &rows)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (i < m_rows.size() && m_rows.at(i).key == rows.at(i).key) {
            Row &row = m_rows[i];
            QList<int> changed;
            for (int role = 0; role < rows.at(i).values.size(); ++role)
                if (role >= row.values.size() || row.values.at(role) != rows.at(i).values.at(role))
                    changed.append(Qt::UserRole + role);
            if (!changed.isEmpty()) {
                row.values = std::move(rows[i].values);
                Q_EMIT dataChanged(index(i), index(i), changed);
            }
            continue;
        }
        // Existing rows are in order by now, so the new rows run up to the next existing one.
        const bool hasNext = i < m_rows.size();
        int end = i + 1;
        while (end < rows.size() && !(hasNext && rows.at(end).key == m_rows.at(i).key))
            ++end;
        beginInsertRows(QModelIndex(), i, end - 1);
        for (int k = i; k < end; ++k)
            m_rows.insert(k, std::move(rows[k]));
        endInsertRows();
        i = end - 1;
    }
}
