// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QDBusConnection>
#include <QObject>

#include <chrono>
#include <optional>

class Notifier;

/*!
 * \brief Takes one interactive screenshot and hands back its PNG bytes.
 *
 * It draws no selection of its own: it asks the desktop's screenshot portal (interactive)
 * where the session bus offers one, and otherwise runs the first installed screenshot tool
 * of a fixed list. The toast is hidden meanwhile so it never shows in the picture. The
 * application owns one; several captures may run at once.
 */
class Capturer : public QObject
{
    Q_OBJECT
public:
    /*! Messages (a refused permission, no tool installed) go to \a notifier. */
    explicit Capturer(Notifier *notifier, QObject *parent = nullptr);
    /*! With the portal looked for on \a bus. */
    Capturer(Notifier *notifier, const QDBusConnection &bus, QObject *parent = nullptr);
    ~Capturer() override;

    /*!
     * PNG bytes, or none when the user cancelled, the portal refused, no tool is installed,
     * the tool failed or wrote something that is not an image, or nothing came back within
     * timeout(). Never blocks the caller's thread.
     */
    QCoro::Task<std::optional<QByteArray>> capture();

    /*! The longest wait for the user and the portal or tool: three minutes unless set. */
    std::chrono::milliseconds timeout() const { return m_timeout; }
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    /*! Whether to ask the portal at all (true unless set). */
    void setPortalEnabled(bool enabled) { m_portalEnabled = enabled; }

    /*! A new temporary path "quibly-<UPPER-UUID>.png". */
    static QString temporaryPath();

Q_SIGNALS:
    /*! One capture began or ended (for the toast and for tests). */
    void activeChanged(int active);

private:
    void setActive(int delta);

    Notifier *m_notifier = nullptr;
    QDBusConnection m_bus;
    std::chrono::milliseconds m_timeout { 180000 };
    bool m_portalEnabled = true;
    int m_active = 0;
};
