// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "imagewindow.h"

#include <QApplication>
#include <QBuffer>
#include <QScreen>
#include <QTest>

namespace {
QByteArray encoded(QSize size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}
} // namespace

class ImageWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(u".*"_qs)); }

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
        QTest::newRow("tiny") << QSize(3, 2) << screen << QSize(3, 2);
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
        QTest::newRow("png") << encoded({ 300, 200 }, "PNG") << true;
        QTest::newRow("jpeg") << encoded({ 300, 200 }, "JPEG") << true;
        QTest::newRow("webp") << encoded({ 300, 200 }, "WEBP") << true;
        QTest::newRow("garbage") << QByteArray("not an image at all") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("truncated png") << encoded({ 300, 200 }, "PNG").left(40) << false;
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
        auto w = ImageWindow::make(encoded({ 4000, 1000 }, "PNG"));
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
};

QTEST_MAIN(ImageWindowTest)
#include "test_imagewindow.moc"
