// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "hotkey.h"
#include "platform/hotkeybackend.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class Capturer;
class DesktopBus;
class DesktopNotifier;
class HotkeyCenter;
class ImageWindow;
class ListActions;
class SettingsForm;
class PopoverWindow;
class QMenu;
class QNetworkAccessManager;
class QQmlEngine;
class QQuickWindow;
class QWindow;
class Store;
class TrayHost;

/*!
 * \brief The root of the desktop application: the tray icon with the urgent count, the list
 * under it, the settings window, the image windows, the hot keys and the desktop actions.
 *
 * main() creates one and calls launch(); it lives until the process ends. Everything runs
 * on the main thread; work that waits runs in coroutines that resume there.
 */
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    /*! What the application works with. Empty members mean the real thing. */
    struct Setup
    {
        /*! The network session of the Store and the settings' check; the owner ends its requests at quit. */
        QNetworkAccessManager *session = nullptr;
        std::unique_ptr<HotkeyBackend> hotkeys; //!< the mechanism of this session
    };

    explicit AppDelegate(QObject *parent = nullptr);
    explicit AppDelegate(Setup setup, QObject *parent = nullptr);
    ~AppDelegate() override;

    /*! Builds the icon and the list, subscribes to the tasks, starts the Store and the hot keys. Call once. */
    void launch();

    /*! Answers the desktop actions of \a bus (Capture, ToggleList, OpenSettings). */
    void serve(DesktopBus *bus);

    Store &store() const { return *m_store; }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon.get(); }
    PopoverWindow *popover() const { return m_popover.get(); }
    QQuickWindow *settingsWindow() const { return m_settingsWindow.get(); }
    QMenu *trayMenu() const { return m_menu.get(); }
    /*! The urgent count the icon shows. */
    int urgentCount() const { return m_urgent; }
    /*! The image windows kept alive (closed ones are dropped by the next openImage()). */
    qsizetype imageWindowCount() const { return qsizetype(m_imageWindows.size()); }
    HotkeyCenter &hotkeys() const { return *m_hotkeys; }
    Capturer &capturer() const { return *m_capturer; }

public Q_SLOTS:
    /*! Opens or closes the list. */
    void togglePopover();
    /*! Shows the settings window, centred, created on first use. */
    void openSettings();
    /*! One screenshot, handed to the Store. */
    void captureNow();
    /*! Fetches the image of capture \a id and shows it in a new window. */
    void openImage(const QString &id);
    /*! Shows \a data in a new image window; false when it is not an image. */
    bool showImage(const QByteArray &data);

Q_SIGNALS:
    /*! The icon was redrawn for \a urgent urgent tasks. */
    void iconUpdated(int urgent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void click(bool secondary);
    void updateBadge();
    void scheduleMidnight();
    void showIcon();
    void trayChanged();
    void relaunch();
    void registerHotkeys();
    PopoverWindow *ensurePopover();
    QRect iconGeometry() const;
    void warnIfSettingsUnwritable();
    void traceFirstFrame();

    QCoro::Task<> capture();
    QCoro::Task<> fetchImage(QString id);

    std::unique_ptr<DesktopNotifier> m_notifier;
    std::unique_ptr<Store> m_store;
    std::unique_ptr<Capturer> m_capturer;
    std::unique_ptr<SettingsForm> m_settingsForm;
    std::unique_ptr<HotkeyCenter> m_hotkeys;
    std::unique_ptr<TrayHost> m_trayHost;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<PopoverWindow> m_popover;
    std::unique_ptr<QQuickWindow> m_settingsWindow;
    QPointer<ListActions> m_listActions;
    QPointer<DesktopBus> m_bus;
    QNetworkAccessManager *m_session = nullptr;
    std::optional<std::pair<Hotkey, Hotkey>> m_registered;
    std::vector<std::unique_ptr<ImageWindow>> m_imageWindows;
    QTimer m_midnight;
    QTimer m_trayPoll;
    // QUIBLY_TRACE_TIMING: from a click on the icon to the list's first frame, on standard error.
    const bool m_traceTiming = qEnvironmentVariableIsSet("QUIBLY_TRACE_TIMING");
    QElapsedTimer m_clickClock;
    qint64 m_clickAt = 0;
    qint64 m_createNs = 0;
    int m_urgent = -1;
    QColor m_ink;
    bool m_sni = false;
    bool m_launched = false;
};
