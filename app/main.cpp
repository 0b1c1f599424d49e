// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "appdelegate.h"
#include "appidentity.h"
#include "desktopbus.h"
#include "maskedaccessible.h"
#include "platform/quitsignals.h"
#include "qmlmodules.h"
#include "translations.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTimer>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {
QCoro::Task<> start(DesktopBus &bus, std::unique_ptr<AppDelegate> &delegate, QNetworkAccessManager *session)
{
    // A second launch hands the first instance its list and leaves.
    const DesktopBus::Claim claim = co_await bus.claim();
    if (claim == DesktopBus::Claim::Forwarded) {
        QCoreApplication::exit(0);
        co_return;
    }
    AppDelegate::Setup setup;
    setup.session = session;
    delegate = std::make_unique<AppDelegate>(std::move(setup));
    delegate->serve(&bus);
    delegate->launch();
}

// Every window of the application is a view; without the modules they import it cannot show
// one, so it names the missing packages and stops instead of failing at the first click.
bool viewsCanLoad()
{
    QStringList more;
    if (const QString style = QQuickStyle::name(); !style.isEmpty() && !style.contains(u'/'))
        more << u"QtQuick.Controls."_s + style;
    const QStringList missing
        = QmlModules::missing(QString::fromUtf16(QmlModules::viewsDir), more, QmlModules::importPaths());
    if (missing.isEmpty())
        return true;
    QStringList packages;
    for (const QString &module : missing)
        if (!packages.contains(QmlModules::debianPackage(module)))
            packages << QmlModules::debianPackage(module);
    qCritical("quibly: Qt Quick modules this application needs are not installed: %s (on Debian: apt install %s)",
              qPrintable(missing.join(u", "_s)), qPrintable(packages.join(u' ')));
    return false;
}
} // namespace

int main(int argc, char *argv[])
{
    // The software scene graph needs half the memory of OpenGL through a software rasteriser
    // and draws these views as well; QT_QUICK_BACKEND still picks another.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication app(argc, argv);
    AppIdentity::apply();
    QApplication::setQuitOnLastWindowClosed(false);
    QuitSignals::install(&app);
    Translations::install();
    // Before the first Qt Quick window: screen readers get the access key's mask, never the key.
    MaskedAccessible::install();
    // The views are laid out for Fusion, which follows the desktop's palette.
    QQuickStyle::setStyle(u"Fusion"_s);
    if (!viewsCanLoad())
        return 1;

    QNetworkAccessManager session;
    DesktopBus bus;
    std::unique_ptr<AppDelegate> delegate;
    QTimer::singleShot(0, &bus, [&] { start(bus, delegate, &session); });
    const int status = QApplication::exec();

    // A sync or a fetch may still be on the wire at quit. Ended here, its coroutine finishes
    // while the Store and Qt are whole; left to the teardown, the reply would outlive what it
    // reports to.
    const auto pending = session.findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : pending)
        reply->abort();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delegate.reset();
    return status;
}
