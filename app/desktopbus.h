// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QCoroTask>
#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <chrono>

/*!
 * \brief One Quibly per session, and the desktop's way to drive it.
 *
 * The application owns the bus name org.quibly.Quibly and exports its three actions at
 * /org/quibly/Quibly, so a second launch, quiblyctl and the user's own desktop shortcuts
 * reach the running instance.
 */
class DesktopBus : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quibly.Quibly")
public:
    static QString serviceName();
    static QString objectPath();
    static QString interfaceName();

    enum class Claim {
        Owner, //!< this process owns the name and answers on it
        Forwarded, //!< another instance took ToggleList: this one should leave
        Alone, //!< no bus, or an owner that does not answer: run without the name (queued for it)
    };

    explicit DesktopBus(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    /*!
     * Asks for the name. When another instance holds it, hands it ToggleList and waits up
     * to \a timeout for its answer; an instance that does not answer in time is left alone.
     */
    QCoro::Task<Claim> claim(std::chrono::milliseconds timeout = std::chrono::seconds(2));

    /*! Gives the name up, for a successor process. */
    QCoro::Task<> release();

public Q_SLOTS:
    Q_SCRIPTABLE void Capture();
    Q_SCRIPTABLE void ToggleList();
    Q_SCRIPTABLE void OpenSettings();

Q_SIGNALS:
    void captureRequested();
    void listRequested();
    void settingsRequested();

private:
    QCoro::Task<uint> requestName(uint flags);

    QDBusConnection m_bus;
};
