// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "reachability.h"

#include <QNetworkInformation>
#include <QTimer>

namespace {
bool usable(QNetworkInformation::Reachability reachability)
{
    switch (reachability) {
    case QNetworkInformation::Reachability::Local:
    case QNetworkInformation::Reachability::Site:
    case QNetworkInformation::Reachability::Online:
        return true;
    case QNetworkInformation::Reachability::Unknown:
    case QNetworkInformation::Reachability::Disconnected:
        return false;
    }
    return false;
}
} // namespace

void NetworkReachability::start()
{
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return;
    auto *info = QNetworkInformation::instance();
    if (!info)
        return;
    connect(info, &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) { Q_EMIT pathUpdated(usable(reachability)); });
    // Report the state found at start as a change of its own, like a path monitor does.
    QTimer::singleShot(0, this, [this] {
        if (auto *current = QNetworkInformation::instance())
            Q_EMIT pathUpdated(usable(current->reachability()));
    });
}
