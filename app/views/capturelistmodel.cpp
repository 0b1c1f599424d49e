// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "capturelistmodel.h"

#include "capture.h"
#include "store.h"

CaptureListModel::CaptureListModel(QObject *parent)
    : RowListModel({ "captureId", "status", "failed", "stateText" }, parent)
{ }

void CaptureListModel::setStore(Store *store)
{
    if (m_store == store)
        return;
    disconnect(m_storeConnection);
    m_store = store;
    if (m_store)
        m_storeConnection = connect(m_store, &Store::openCapturesChanged, this, &CaptureListModel::rebuild);
    rebuild();
    Q_EMIT storeChanged();
}

QString CaptureListModel::stateText(const Capture &capture)
{
    if (capture.status == u"failed")
        return qtTrId("list.failed");
    if (capture.error == u"claude_auth")
        return qtTrId("list.waiting_sign_in");
    return qtTrId("list.recognising");
}

void CaptureListModel::rebuild()
{
    QList<Row> rows;
    if (m_store) {
        rows.reserve(m_store->openCaptures().size());
        for (const Capture &capture : m_store->openCaptures())
            rows.append(
                { capture.id, { capture.id, capture.status, capture.status == u"failed", stateText(capture) } });
    }
    replaceRows(std::move(rows));
}
