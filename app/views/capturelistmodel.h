// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "rowlistmodel.h"

#include <QPointer>
#include <QQmlEngine>

class Store;
struct Capture;

/*!
 * \brief The Store's open captures as rows, in the Store's order, for the capture rows of
 * the list popover: whether the service failed to read one, and the text that says so.
 */
class CaptureListModel : public RowListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("store.h")
    Q_PROPERTY(Store *store READ store WRITE setStore NOTIFY storeChanged)

public:
    enum Role { CaptureIdRole = Qt::UserRole, StatusRole, FailedRole, StateTextRole };
    Q_ENUM(Role)

    explicit CaptureListModel(QObject *parent = nullptr);

    Store *store() const { return m_store; }
    void setStore(Store *store);

    /*! What the row of \a capture says: failed, waiting for the service's sign-in, or being read. */
    static QString stateText(const Capture &capture);

Q_SIGNALS:
    void storeChanged();

private:
    void rebuild();

    QPointer<Store> m_store;
    QMetaObject::Connection m_storeConnection;
};
