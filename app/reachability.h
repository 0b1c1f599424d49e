// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

/*!
 * \brief Tells the Store when the network path changes, and whether it is usable.
 *
 * After start() the current state is reported once, then every change, always on the
 * main thread. A source that cannot observe the network reports nothing; the Store's
 * timer alone then drives syncs.
 */
class Reachability : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void start() = 0;

Q_SIGNALS:
    void pathUpdated(bool usable);
};

/*! \brief Reachability through QNetworkInformation: usable means Local, Site or Online. */
class NetworkReachability : public Reachability
{
    Q_OBJECT
public:
    using Reachability::Reachability;

    void start() override;
};
