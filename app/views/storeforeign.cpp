// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "storeforeign.h"

#include <QPointer>

namespace {
// The Store travels on the engine rather than in a static, so that each engine (the
// application's, each test's) serves its own.
constexpr char storeProperty[] = "quiblyStore";
} // namespace

void StoreForeign::provide(QQmlEngine *engine, Store *store)
{
    engine->setProperty(storeProperty, QVariant::fromValue(QPointer<QObject>(store)));
}

Store *StoreForeign::create(QQmlEngine *engine, QJSEngine *)
{
    auto *store = qobject_cast<Store *>(engine->property(storeProperty).value<QPointer<QObject>>().data());
    if (!store) {
        qCritical("quibly: the views were loaded before a Store was provided");
        return nullptr;
    }
    // Owned by its creator: the engine must never delete it.
    QJSEngine::setObjectOwnership(store, QJSEngine::CppOwnership);
    return store;
}
