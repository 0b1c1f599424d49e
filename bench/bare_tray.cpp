// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
//
// The baseline for the tray figures: a bare Qt tray icon plus a hidden Qt Quick list of 200
// rows on the software scene graph, the least a tray program with a QML list costs. A click
// on the icon shows the list. With QUIBLY_TRACE_TIMING set it says, as the application does,
// how long after the click the list's first frame was drawn.
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QSystemTrayIcon>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 2));
        p.drawRoundedRect(QRectF(2, 2, 18, 18), 4, 4);
    }
    QSystemTrayIcon tray { QIcon(pixmap) };

    QQmlEngine engine;
    QQuickWindow view;
    view.setFlags(Qt::Popup | Qt::FramelessWindowHint);
    QQmlComponent component(&engine);
    component.setData(R"(
import QtQuick
ListView {
    width: 400; height: 600
    model: 200
    delegate: Rectangle {
        required property int index
        width: 400; height: 32
        color: index % 2 ? "#f4f4f4" : "white"
        Text { anchors.verticalCenter: parent.verticalCenter; x: 12; text: "Task " + parent.index }
    }
}
)"_ba,
                      QUrl(u"qrc:/bare.qml"_s));
    auto *list = qobject_cast<QQuickItem *>(component.create());
    if (!list)
        qFatal("%s", qPrintable(component.errorString()));
    list->setParentItem(view.contentItem());
    const bool trace = qEnvironmentVariableIsSet("QUIBLY_TRACE_TIMING");
    QElapsedTimer clickClock;
    qint64 clickAt = 0;
    QObject::connect(&view, &QQuickWindow::frameSwapped, &view, [&] {
        if (!clickClock.isValid())
            return;
        std::fprintf(stderr, "bare_tray: timing: click at %lld ms, list drawn %.1f ms later\n", clickAt,
                     double(clickClock.nsecsElapsed()) / 1e6);
        clickClock.invalidate();
    });
    QObject::connect(&tray, &QSystemTrayIcon::activated, &view, [&] {
        if (trace) {
            clickAt = QDateTime::currentMSecsSinceEpoch();
            clickClock.start();
        }
        if (view.isVisible()) {
            view.hide();
        } else {
            view.resize(400, 600);
            view.show();
        }
    });
    tray.show();
    return QApplication::exec();
}
