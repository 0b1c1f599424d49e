// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "imagewindow.h"
#include "popoverwindow.h"
#include "testimage.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {
// A layout whose implicit height is only known once it is polished, like the list's.
const QByteArray content = R"(
import QtQuick
import QtQuick.Layouts
Item {
    implicitWidth: 400
    implicitHeight: column.implicitHeight
    ColumnLayout {
        id: column
        width: parent.width
        spacing: 10
        Repeater {
            model: 5
            Rectangle { Layout.fillWidth: true; implicitHeight: 40; color: "steelblue" }
        }
    }
}
)";
using QuiblyTest::encodedImage;
} // namespace

// The application's own windows: the list popover and the image window.
class PopoverWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(u".?"_s)); }

    void placement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<QPoint>("expected");
        // Window 400 × 300 on an available area of (0,0)–(1440,870) (a panel below it).
        QTest::newRow("icon in a top panel: centred below") << QRect(700, 2, 24, 24) << QPoint() << QPoint(511, 30);
        QTest::newRow("icon in a bottom panel: above") << QRect(700, 874, 24, 24) << QPoint() << QPoint(511, 570);
        QTest::newRow("icon at the right edge: kept inside")
            << QRect(1420, 874, 20, 20) << QPoint() << QPoint(1040, 570);
        QTest::newRow("icon at the left edge: kept inside") << QRect(0, 2, 20, 20) << QPoint() << QPoint(0, 26);
        QTest::newRow("no geometry: the click") << QRect() << QPoint(300, 10) << QPoint(100, 15);
        QTest::newRow("geometry at the origin means none")
            << QRect(0, 0, 22, 22) << QPoint(900, 860) << QPoint(700, 556);
    }

    void placement()
    {
        QFETCH(QRect, anchor);
        QFETCH(QPoint, cursor);
        QFETCH(QPoint, expected);
        QCOMPARE(PopoverWindow::placement(QSize(400, 300), anchor, cursor, QRect(0, 0, 1440, 870)), expected);
    }

    // The first frame already has the final height: no jump after showing.
    void sizedBeforeTheFirstShow()
    {
        PopoverWindow window;
        QQuickItem *item = load(window);
        QSignalSpy resized(&window, &QWindow::heightChanged);
        window.open(QRect(700, 874, 24, 24), {});
        const int shownHeight = window.height();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(shownHeight, 5 * 40 + 4 * 10);
        QCOMPARE(window.width(), 400);
        QCOMPARE(item->height(), shownHeight);
        QTest::qWait(50);
        QCOMPARE(window.height(), shownHeight);
        QCOMPARE(resized.size(), 0);
    }

    void escapeAndAnOutsidePressClose()
    {
        PopoverWindow window;
        load(window);
        QSignalSpy dismissed(&window, &PopoverWindow::dismissed);
        window.open({}, QPoint(300, 300));
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        QCOMPARE(dismissed.size(), 1);
        QVERIFY(!window.justDismissed()); // Escape is no tray click

        window.open({}, QPoint(300, 300));
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(20, 20)); // inside: stays
        QVERIFY(window.isVisible());
        QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(-30, 20));
        QVERIFY(!window.isVisible());
        QCOMPARE(dismissed.size(), 2);
        // The tray click that caused this press must not reopen the list; a click on the icon
        // after a press elsewhere must.
        const QPoint press = window.mapToGlobal(QPoint(-30, 20));
        QVERIFY(window.justDismissed());
        QVERIFY(window.justDismissed(QRect(press - QPoint(5, 5), QSize(10, 10))));
        QVERIFY(!window.justDismissed(QRect(press + QPoint(50, 50), QSize(10, 10))));
        QTRY_VERIFY(!window.justDismissed());
    }

    // Without a tray the list is an ordinary window: closing it only hides it.
    void windowKindSurvivesClose()
    {
        PopoverWindow window(PopoverWindow::Kind::Window);
        load(window);
        window.open({}, QPoint(300, 300));
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(-30, 20));
        QVERIFY(window.isVisible());
        window.close();
        QVERIFY(!window.isVisible());
        window.open({}, QPoint(300, 300));
        QVERIFY(window.isVisible());
    }

    void fittedSize_data()
    {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QSize>("available"); // invalid: no screen
        QTest::addColumn<QSize>("expected");
        const QSize screen(1440, 875);
        QTest::newRow("fits: never enlarged") << QSize(1000, 500) << screen << QSize(1000, 500);
        QTest::newRow("large") << QSize(3000, 2000) << screen << QSize(1050, 700);
        QTest::newRow("tall") << QSize(400, 3500) << screen << QSize(80, 700);
        QTest::newRow("wide") << QSize(5760, 300) << screen << QSize(1152, 60);
        QTest::newRow("no screen") << QSize(1920, 1080) << QSize() << QSize(960, 540);
    }
    void fittedSize()
    {
        QFETCH(QSize, natural);
        QFETCH(QSize, available);
        QFETCH(QSize, expected);
        const std::optional<QSize> area = available.isValid() ? std::optional(available) : std::nullopt;
        QCOMPARE(ImageWindow::fittedSize(natural, area), expected);
    }

    void decodes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("window");
        QTest::newRow("png") << encodedImage({ 300, 200 }, "PNG") << true;
        QTest::newRow("jpeg") << encodedImage({ 300, 200 }, "JPEG") << true;
        QTest::newRow("webp") << encodedImage({ 300, 200 }, "WEBP") << true;
        QTest::newRow("garbage") << QByteArray("not an image at all") << false;
        QTest::newRow("truncated png") << encodedImage({ 300, 200 }, "PNG").left(40) << false;
    }
    void decodes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, window);
        auto w = ImageWindow::make(bytes);
        QCOMPARE(bool(w), window);
        if (w) {
            QCOMPARE(w->size(), QSize(300, 200) / QGuiApplication::primaryScreen()->devicePixelRatio());
            QCOMPARE(w->windowTitle(), qtTrId("image.title"));
        }
    }

    void limitedByTheScreenAndClosedByEscape()
    {
        auto w = ImageWindow::make(encodedImage({ 4000, 1000 }, "PNG"));
        QVERIFY(w);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(w->width() <= int(0.8 * area.width()) + 1);
        QCOMPARE(qRound(double(w->width()) / w->height()), 4);
        QCOMPARE(w->geometry().center(), area.center());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
    }

private:
    QQuickItem *load(PopoverWindow &window)
    {
        QQmlComponent component(&m_engine);
        component.setData(content, QUrl(u"qrc:/content.qml"_s));
        auto *item = qobject_cast<QQuickItem *>(component.create());
        if (!item)
            qFatal("%s", qPrintable(component.errorString()));
        item->setParent(&window);
        window.setContent(item);
        return item;
    }

    QQmlEngine m_engine;
};

QTEST_MAIN(PopoverWindowTest)
#include "test_popoverwindow.moc"
