// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "appdelegate.h"

#include "capturer.h"
#include "defaults.h"
#include "desktopbus.h"
#include "desktopnotifier.h"
#include "hotkeycenter.h"
#include "iconclick.h"
#include "imagewindow.h"
#include "listactions.h"
#include "menubaricon.h"
#include "ordering.h"
#include "popoverwindow.h"
#include "settingsform.h"
#include "settingskey.h"
#include "store.h"
#include "storeforeign.h"
#include "toast.h"
#include "trayhost.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QMenu>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlEngineExtensionPlugin>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QThreadPool>
#include <QTimeZone>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

// The views' module is linked in statically.
Q_IMPORT_QML_PLUGIN(Quibly_ViewsPlugin)

namespace {
void detach(QCoro::Task<> task)
{
    Q_UNUSED(task)
}

const QUrl popoverUrl { u"qrc:/qt/qml/Quibly/Views/Popover.qml"_s };
const QUrl settingsUrl { u"qrc:/qt/qml/Quibly/Views/SettingsView.qml"_s };

Store::Setup storeSetup(Notifier *notifier, QNetworkAccessManager *session)
{
    Store::Setup setup;
    setup.notifier = notifier;
    setup.session = session;
    return setup;
}

// While no tray exists, how often to look for one that Qt would embed into (XEmbed trays
// announce themselves only through an X selection Qt does not report).
constexpr auto trayPollInterval = std::chrono::seconds(2);
// Time for a new StatusNotifierWatcher to get its host registered before we start over.
constexpr auto relaunchDelay = std::chrono::seconds(2);
} // namespace

AppDelegate::AppDelegate(Setup setup, QObject *parent)
    : QObject(parent)
    , m_notifier(std::make_unique<DesktopNotifier>())
    , m_store(std::make_unique<Store>(storeSetup(m_notifier.get(), setup.session)))
    , m_capturer(std::make_unique<Capturer>(m_notifier.get()))
    , m_hotkeys(setup.hotkeys ? std::make_unique<HotkeyCenter>(std::move(setup.hotkeys))
                              : std::make_unique<HotkeyCenter>())
    , m_trayHost(std::make_unique<TrayHost>())
    , m_session(setup.session)
{
    m_midnight.setSingleShot(true);
    m_midnight.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_midnight, &QTimer::timeout, this, [this] {
        updateBadge();
        scheduleMidnight();
    });
    m_trayPoll.setInterval(trayPollInterval);
    connect(&m_trayPoll, &QTimer::timeout, this, [this] {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            trayChanged();
    });
}

AppDelegate::AppDelegate(QObject *parent)
    : AppDelegate(Setup {}, parent)
{ }

AppDelegate::~AppDelegate()
{
    // Windows go before the engine that created their content, the form before its window.
    Toast::setAnchor({});
    Toast::setAvoid({});
    Toast::setOnClick({});
    m_settingsWindow.reset();
    m_settingsForm.reset();
    m_popover.reset();
}

void AppDelegate::launch()
{
    Q_ASSERT(!m_launched);
    m_launched = true;

    // 1–3. The icon, its drawing and its clicks. Qt speaks SNI when a watcher is there at
    // start, XEmbed otherwise (and only SNI on Wayland).
    m_sni = QGuiApplication::platformName().startsWith(u"wayland"_s) || m_trayHost->watcherPresent();
    m_trayIcon = std::make_unique<QSystemTrayIcon>();
    connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this, &AppDelegate::activated);
    if (TrayHost::needsMenu(m_sni, qEnvironmentVariable("XDG_CURRENT_DESKTOP"), m_trayHost->watcherProgram())) {
        m_menu = std::make_unique<QMenu>();
        m_menu->addAction(qtTrId("app.menu_list"), this, &AppDelegate::togglePopover);
        m_menu->addAction(qtTrId("app.menu_capture"), this, &AppDelegate::captureNow);
        m_menu->addAction(qtTrId("app.menu_settings"), this, &AppDelegate::openSettings);
        m_menu->addSeparator();
        m_menu->addAction(qtTrId("app.menu_quit"), qApp, &QCoreApplication::quit);
        m_trayIcon->setContextMenu(m_menu.get());
    }
    connect(m_trayHost.get(), &TrayHost::watcherChanged, this, [this](bool present) {
        // A restarted watcher forgets its items: register again.
        if (present && m_sni && m_trayIcon->isVisible()) {
            m_trayIcon->hide();
            m_trayIcon->show();
        }
        // Qt chose the tray protocol at start and will not take up a watcher that came later
        // (the desktop's panel started after us at login): only a new process can.
        if (present && !QSystemTrayIcon::isSystemTrayAvailable())
            QTimer::singleShot(relaunchDelay, this, &AppDelegate::relaunch);
        trayChanged();
    });
    qApp->installEventFilter(this);

    // 5–6. The toast hangs under the icon and clear of the open list; notifications are asked for.
    QPointer<AppDelegate> self(this);
    Toast::setAnchor([self]() -> std::optional<QRect> {
        const QRect icon = self ? self->iconGeometry() : QRect();
        if (!icon.isValid() || icon.topLeft() == QPoint(0, 0))
            return std::nullopt;
        return icon;
    });
    Toast::setAvoid([self]() -> std::optional<QRect> {
        if (!self || !self->m_popover || !self->m_popover->isVisible())
            return std::nullopt;
        return self->m_popover->frameGeometry();
    });
    Toast::setOnClick([self] {
        if (self && !(self->m_popover && self->m_popover->isVisible()))
            self->togglePopover();
    });
    m_notifier->requestAuthorization();

    // 7. The urgent count follows the task list, from the first list the Store publishes on.
    connect(m_store.get(), &Store::tasksChanged, this, &AppDelegate::updateBadge);
    updateBadge();
    scheduleMidnight();
    showIcon();

    // 9–11. The Store, the hot keys, and their re-registration after a settings change.
    m_store->start();
    registerHotkeys();
    connect(m_store->defaults(), &Defaults::changed, this, [this](const QString &key) {
        if (key == SettingsKey::captureHotkey || key == SettingsKey::listHotkey)
            registerHotkeys();
    });
    warnIfSettingsUnwritable();
}

void AppDelegate::serve(DesktopBus *bus)
{
    m_bus = bus;
    connect(bus, &DesktopBus::captureRequested, this, &AppDelegate::captureNow);
    connect(bus, &DesktopBus::listRequested, this, &AppDelegate::togglePopover);
    connect(bus, &DesktopBus::settingsRequested, this, &AppDelegate::openSettings);
}

void AppDelegate::showIcon()
{
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_trayPoll.stop();
        m_trayIcon->show();
        return;
    }
    // No tray at all: the list is an ordinary window until a tray shows up.
    m_trayPoll.start();
    ensurePopover()->setKind(PopoverWindow::Kind::Window);
    m_popover->open({}, QCursor::pos());
}

void AppDelegate::trayChanged()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable() || (m_trayIcon->isVisible() && !m_trayPoll.isActive()))
        return;
    m_trayPoll.stop();
    if (m_popover && m_popover->kind() == PopoverWindow::Kind::Window)
        m_popover->setKind(PopoverWindow::Kind::Popup);
    m_trayIcon->show();
}

void AppDelegate::relaunch()
{
    if (QSystemTrayIcon::isSystemTrayAvailable() || !m_trayHost->watcherPresent())
        return;
    [](QPointer<AppDelegate> self) -> QCoro::Task<> {
        // Let the new process own the name, so that it does not just hand us its list.
        if (self && self->m_bus)
            co_await self->m_bus->release();
        if (QProcess::startDetached(QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1)))
            QCoreApplication::quit();
    }(this);
}

void AppDelegate::activated(QSystemTrayIcon::ActivationReason reason)
{
    if (m_traceTiming) {
        m_clickAt = QDateTime::currentMSecsSinceEpoch();
        m_createNs = 0;
        m_clickClock.start();
    }
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        click(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier));
        break;
    case QSystemTrayIcon::Context:
    case QSystemTrayIcon::MiddleClick:
        click(true);
        break;
    case QSystemTrayIcon::DoubleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}

void AppDelegate::click(bool secondary)
{
    if (IconClickRule::action(secondary, m_store->defaults()->leftClick()) == IconClick::Capture) {
        m_clickClock.invalidate();
        if (m_popover)
            m_popover->dismiss();
        captureNow();
    } else {
        togglePopover();
    }
}

QRect AppDelegate::iconGeometry() const
{
    return m_trayIcon && m_trayIcon->isVisible() ? m_trayIcon->geometry() : QRect();
}

PopoverWindow *AppDelegate::ensurePopover()
{
    if (m_popover)
        return m_popover.get();
    QElapsedTimer creating;
    creating.start();
    // The first view waits for the font database and the image readers. Both are shared by all
    // threads, so another thread fills them while this one builds the engine and the types; at
    // start-up they would only take memory that an unopened list never uses.
    QThreadPool::globalInstance()->start([] {
        QFontDatabase::families();
        QImageReader::supportedImageFormats();
    });
    if (!m_engine) {
        m_engine = std::make_unique<QQmlEngine>();
        m_engine->addImportPath(u"qrc:/qt/qml"_s);
        StoreForeign::provide(m_engine.get(), m_store.get());
    }
    m_popover = std::make_unique<PopoverWindow>(PopoverWindow::Kind::Popup);
    // The window paces asynchronous creation: the rows in the list's cache beyond its visible
    // part are made after the first frame, not before it.
    m_engine->setIncubationController(m_popover->incubationController());
    QQmlComponent component(m_engine.get(), popoverUrl);
    auto *content = component.isReady() ? qobject_cast<QQuickItem *>(component.create()) : nullptr;
    if (!content) {
        qCritical("quibly: the list view did not load: %s", qPrintable(component.errorString()));
        return m_popover.get();
    }
    QQmlEngine::setObjectOwnership(content, QQmlEngine::CppOwnership);
    content->setParent(m_popover.get());
    m_popover->setContent(content);
    m_listActions = content->property("actions").value<ListActions *>();
    if (m_listActions) {
        QPointer<AppDelegate> self(this);
        connect(m_listActions, &ListActions::captureRequested, this, [self] {
            if (!self)
                return;
            self->m_popover->dismiss();
            self->captureNow();
        });
        connect(m_listActions, &ListActions::settingsRequested, this, &AppDelegate::openSettings);
        connect(m_listActions, &ListActions::imageRequested, this, &AppDelegate::openImage);
        connect(m_listActions, &ListActions::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    connect(m_popover.get(), &PopoverWindow::opened, this, [this] { detach(m_store->sync()); });
    if (m_traceTiming) {
        m_createNs = creating.nsecsElapsed();
        connect(m_popover.get(), &QQuickWindow::frameSwapped, this, &AppDelegate::traceFirstFrame);
    }
    return m_popover.get();
}

void AppDelegate::togglePopover()
{
    PopoverWindow *popover = ensurePopover();
    if (popover->isVisible() || popover->justDismissed(iconGeometry())) {
        // The press that just closed it was the click on the icon that led here.
        popover->dismiss();
        m_clickClock.invalidate();
        return;
    }
    popover->open(iconGeometry(), QCursor::pos());
}

void AppDelegate::openSettings()
{
    if (m_popover)
        m_popover->dismiss();
    if (!m_settingsWindow) {
        ensurePopover(); // the engine and the Store singleton
        SettingsForm::Setup setup;
        setup.defaults = m_store->defaults();
        setup.session = m_session;
        m_settingsForm = std::make_unique<SettingsForm>(setup);
        // Recording a hot key must not fire the hot keys being recorded; the recorders also show
        // what the desktop refused or chose instead.
        m_settingsForm->followHotkeys(m_hotkeys.get());
        QQmlComponent component(m_engine.get(), settingsUrl);
        std::unique_ptr<QObject> created(component.isReady() ? component.createWithInitialProperties(
                                             { { u"form"_s, QVariant::fromValue(m_settingsForm.get()) } })
                                                             : nullptr);
        auto *content = qobject_cast<QQuickItem *>(created.get());
        if (!content) {
            qCritical("quibly: the settings view did not load: %s", qPrintable(component.errorString()));
            m_settingsForm.reset();
            return;
        }
        created.release();
        m_settingsWindow = std::make_unique<QQuickWindow>();
        m_settingsWindow->setTitle(qtTrId("settings.title"));
        m_settingsWindow->setFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        QQmlEngine::setObjectOwnership(content, QQmlEngine::CppOwnership);
        content->setParent(m_settingsWindow.get());
        content->setParentItem(m_settingsWindow->contentItem());
        const auto fit = [this, content] {
            const QSize size(int(std::ceil(content->implicitWidth())), int(std::ceil(content->implicitHeight())));
            content->setSize(size);
            // Titled and closable only: the size follows the content, the user does not resize it.
            m_settingsWindow->setMinimumSize(size);
            m_settingsWindow->setMaximumSize(size);
            m_settingsWindow->resize(size);
        };
        connect(content, &QQuickItem::implicitHeightChanged, m_settingsWindow.get(), fit);
        connect(content, &QQuickItem::implicitWidthChanged, m_settingsWindow.get(), fit);
        fit();
        connect(m_settingsWindow.get(), &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible)
                m_settingsForm->stopRecording();
        });
    }
    // Centred on every opening, on the screen under the pointer.
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        m_settingsWindow->setScreen(screen);
        const QRect available = screen->availableGeometry();
        m_settingsWindow->setPosition(available.center()
                                      - QPoint(m_settingsWindow->width() / 2, m_settingsWindow->height() / 2));
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->requestActivate();
}

void AppDelegate::captureNow()
{
    capture();
}

QCoro::Task<> AppDelegate::capture()
{
    QPointer<AppDelegate> self(this);
    const std::optional<QByteArray> png = co_await m_capturer->capture();
    if (!self || !png)
        co_return;
    co_await m_store->capture(*png);
}

void AppDelegate::openImage(const QString &id)
{
    fetchImage(id);
}

QCoro::Task<> AppDelegate::fetchImage(QString id)
{
    QPointer<AppDelegate> self(this);
    const std::optional<QuiblyAPI> api = m_store->api();
    if (!api)
        co_return;
    const auto image = co_await api->captureImage(id);
    if (!self || !image.ok())
        co_return;
    showImage(image.value());
}

bool AppDelegate::showImage(const QByteArray &data)
{
    std::unique_ptr<ImageWindow> window = ImageWindow::make(data);
    if (!window)
        return false;
    std::erase_if(m_imageWindows, [](const std::unique_ptr<ImageWindow> &w) { return !w->isVisible(); });
    if (m_popover)
        m_popover->dismiss();
    window->show();
    window->raise();
    window->activateWindow();
    m_imageWindows.push_back(std::move(window));
    return true;
}

void AppDelegate::updateBadge()
{
    const int urgent = Ordering::badge(m_store->tasks(), QDateTime::currentDateTime(), QTimeZone::systemTimeZone());
    // An XEmbed panel may say which colour its icons should have; otherwise the desktop's palette.
    const QColor ink
        = (m_sni ? std::nullopt : TrayHost::xembedInk()).value_or(MenuBarIcon::inkFor(QGuiApplication::palette()));
    if (urgent == m_urgent && ink == m_ink)
        return;
    m_urgent = urgent;
    m_ink = ink;
    if (!m_trayIcon)
        return;
    m_trayIcon->setIcon(MenuBarIcon::make(urgent, ink));
    m_trayIcon->setToolTip(MenuBarIcon::toolTip(urgent));
    Q_EMIT iconUpdated(urgent);
}

void AppDelegate::scheduleMidnight()
{
    // The count depends on the day: refresh it at the next local midnight.
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime next = now.date().addDays(1).startOfDay();
    m_midnight.start(std::chrono::milliseconds(std::max<qint64>(1000, now.msecsTo(next) + 500)));
}

bool AppDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        updateBadge();
    return QObject::eventFilter(watched, event);
}

void AppDelegate::registerHotkeys()
{
    const Defaults *defaults = m_store->defaults();
    const std::pair<Hotkey, Hotkey> wanted { defaults->captureHotkey(), defaults->listHotkey() };
    if (m_registered == wanted)
        return;
    m_registered = wanted;
    QPointer<AppDelegate> self(this);
    m_hotkeys->registerKeys({
        { wanted.first,
          [self] {
              if (self)
                  self->captureNow();
          },
          qtTrId("app.menu_capture") },
        { wanted.second,
          [self] {
              if (self)
                  self->togglePopover();
          },
          qtTrId("app.menu_list") },
    });
}

void AppDelegate::traceFirstFrame()
{
    if (!m_clickClock.isValid())
        return;
    // The wall-clock time of the click lets a harness add what happened before it reached us.
    std::fprintf(stderr, "quibly: timing: click at %lld ms, list drawn %.1f ms later (view created in %.1f ms)\n",
                 m_clickAt, double(m_clickClock.nsecsElapsed()) / 1e6, double(m_createNs) / 1e6);
    m_clickClock.invalidate();
}

void AppDelegate::warnIfSettingsUnwritable()
{
    const QFileInfo file(m_store->defaults()->fileName());
    QFileInfo place = file;
    while (!place.exists() && place.absolutePath() != place.absoluteFilePath())
        place = QFileInfo(place.absolutePath());
    if (place.isWritable())
        return;
    // Said once, after the notification server had a moment to answer.
    QTimer::singleShot(std::chrono::seconds(2), this, [this, path = file.absoluteFilePath()] {
        m_notifier->post(qtTrId("app.settings_unwritable").arg(path));
    });
}
