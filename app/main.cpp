// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "appdelegate.h"
#include "appidentity.h"
#include "desktopbus.h"
#include "maskedaccessible.h"
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
    Translations::install();
    // Before the first Qt Quick window: screen readers get the access key's mask, never the key.
    MaskedAccessible::install();
    // The views are laid out for Fusion, which follows the desktop's palette.
    QQuickStyle::setStyle(u"Fusion"_s);

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
