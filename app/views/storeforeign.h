// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "store.h"

#include <QQmlEngine>

/*!
 * \brief Makes the one Store the QML singleton `Store` of Quibly.Views.
 *
 * The Store stays free of QML; its owner (the application, or a test) hands it to an
 * engine with provide() before the first view loads, and keeps owning it. The QML side
 * only reads its state; actions go through ListActions.
 */
class StoreForeign
{
    Q_GADGET
    QML_FOREIGN(Store)
    QML_NAMED_ELEMENT(Store)
    QML_SINGLETON

public:
    /*! Makes \a store the singleton of \a engine. Call before loading any view. */
    static void provide(QQmlEngine *engine, Store *store);
    static Store *create(QQmlEngine *engine, QJSEngine *);
};
