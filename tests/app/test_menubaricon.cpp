// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "menubaricon.h"
#include "translations.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr qreal ninth = 1.0 / 9.0;

// The distance from \a p to the line through \a a and \a b.
qreal distanceToLine(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    return std::abs(d.x() * (a.y() - p.y()) - (a.x() - p.x()) * d.y()) / std::hypot(d.x(), d.y());
}

QImage render(int urgent, int size, QColor ink = Qt::black)
{
    return MenuBarIcon::make(urgent, ink).pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

int alpha(const QImage &image, qreal x18, qreal y18)
{
    const qreal scale = image.width() / 18.0;
    return qAlpha(image.pixel(int(x18 * scale), int(y18 * scale)));
}

bool isRed(QRgb pixel)
{
    return qAlpha(pixel) > 200 && qRed(pixel) > 150 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}
} // namespace

class MenuBarIconTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        Translations::install({ u"en"_s });
        QTest::failOnWarning(QRegularExpression(u".?"_s));
    }

    void tangents_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("corner");
        QTest::addColumn<QPointF>("towards");
        QTest::addColumn<QPointF>("first");
        QTest::addColumn<QPointF>("second");
        const qreal a = 25 * ninth, b = 137 * ninth;
        QTest::newRow("top left") << QPointF(1, 41 * ninth) << QPointF(1, 1) << QPointF(a, 1) << QPointF(1, a)
                                  << QPointF(a, 1);
        QTest::newRow("top right") << QPointF(121 * ninth, 1) << QPointF(17, 1) << QPointF(17, a) << QPointF(b, 1)
                                   << QPointF(17, a);
        QTest::newRow("bottom right") << QPointF(17, 121 * ninth) << QPointF(17, 17) << QPointF(b, 17) << QPointF(17, b)
                                      << QPointF(b, 17);
        QTest::newRow("bottom left") << QPointF(41 * ninth, 17) << QPointF(1, 17) << QPointF(1, b) << QPointF(a, 17)
                                     << QPointF(1, b);
    }

    // Each corner's arc meets both arms where an arc of radius 16/9 touches them.
    void tangents()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, corner);
        QFETCH(QPointF, towards);
        QFETCH(QPointF, first);
        QFETCH(QPointF, second);
        const auto t = MenuBarIcon::tangents(from, corner, towards, 16 * ninth);
        QVERIFY(QLineF(t.first, first).length() < 1e-9);
        QVERIFY(QLineF(t.second, second).length() < 1e-9);
        QCOMPARE_LT(std::abs(QLineF(t.centre, t.first).length() - 16 * ninth), 1e-9);
        QCOMPARE_LT(std::abs(QLineF(t.centre, t.second).length() - 16 * ninth), 1e-9);
    }

    // At an oblique corner the arc is still tangent: its centre is one radius from both lines.
    void tangentsAtAnObliqueCorner()
    {
        const QPointF from(0, 0), corner(10, 0), towards(14, 7);
        const auto t = MenuBarIcon::tangents(from, corner, towards, 2);
        QCOMPARE_LT(std::abs(distanceToLine(t.centre, from, corner) - 2), 1e-9);
        QCOMPARE_LT(std::abs(distanceToLine(t.centre, corner, towards) - 2), 1e-9);
        QCOMPARE_LT(distanceToLine(t.second, corner, towards), 1e-9);
        QCOMPARE_LT(QLineF(corner, t.first).length() - QLineF(corner, t.second).length(), 1e-9);
    }

    void pathStaysInsideTheSquareAndTheTickPointsDown()
    {
        const QPainterPath path = MenuBarIcon::path();
        const QRectF bounds = path.boundingRect();
        QCOMPARE_GE(bounds.left(), 1 - 1e-6);
        QCOMPARE_LE(bounds.right(), 17 + 1e-6);
        QCOMPARE_GE(bounds.top(), 1 - 1e-6);
        QCOMPARE_LE(bounds.bottom(), 17 + 1e-6);
        // The last three elements are the tick: its lowest point lies between its two ends.
        const int n = path.elementCount();
        const QPointF start = path.elementAt(n - 3), low = path.elementAt(n - 2), end = path.elementAt(n - 1);
        QCOMPARE_GT(low.y(), start.y());
        QCOMPARE_GT(low.y(), end.y());
        QVERIFY(start.x() < low.x() && low.x() < end.x());
    }

    void drawnSharpAtEverySize_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("22") << 22;
        QTest::newRow("32") << 32;
        QTest::newRow("64") << 64;
        QTest::newRow("128") << 128;
    }

    // Drawn at the size asked for: an arm is as wide as the scaled line, with opaque pixels in
    // the middle (a bitmap scaled up would be a wide soft smear).
    void drawnSharpAtEverySize()
    {
        QFETCH(int, size);
        const QImage image = render(0, size);
        QCOMPARE(image.size(), QSize(size, size));
        const int row = int(3.5 * size / 18.0);
        int opaque = 0, touched = 0;
        for (int x = 0; x < size / 3; ++x) {
            const int a = qAlpha(image.pixel(x, row));
            opaque += a > 200;
            touched += a > 10;
        }
        const qreal line = 1.6 * size / 18.0;
        QCOMPARE_GE(opaque, std::max(1, int(line) - 1));
        QCOMPARE_LE(touched, int(std::ceil(line)) + 2);
        QCOMPARE(alpha(image, 9, 2), 0); // between the top corners
        QCOMPARE_GT(alpha(image, 23.0 / 3.0, 109 * ninth - 0.2), 100); // the tick's lowest point
    }

    void badgeOnlyWithUrgentTasks_data()
    {
        QTest::addColumn<int>("urgent");
        QTest::addColumn<bool>("badge");
        QTest::newRow("none") << 0 << false;
        QTest::newRow("negative") << -1 << false;
        QTest::newRow("three") << 3 << true;
        QTest::newRow("twelve") << 12 << true;
    }

    void badgeOnlyWithUrgentTasks()
    {
        QFETCH(int, urgent);
        QFETCH(bool, badge);
        const QImage image = render(urgent, 64);
        int red = 0;
        for (int y = 40; y < 64; ++y)
            for (int x = 30; x < 64; ++x)
                red += isRed(image.pixel(x, y));
        QCOMPARE(red > 100, badge);
        // The upper left corner never carries the badge.
        QCOMPARE_GT(alpha(image, 1, 3.5), 200);
    }

    void badgeText_data()
    {
        QTest::addColumn<int>("urgent");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << u"1"_s;
        QTest::newRow("12") << 12 << u"12"_s;
        QTest::newRow("99") << 99 << u"99"_s;
        QTest::newRow("100") << 100 << u"99+"_s;
    }

    void badgeText()
    {
        QFETCH(int, urgent);
        QFETCH(QString, text);
        QCOMPARE(MenuBarIcon::badgeText(urgent), text);
    }

    void toolTip()
    {
        QCOMPARE(MenuBarIcon::toolTip(0), u"Quibly"_s);
        QCOMPARE(MenuBarIcon::toolTip(3), u"Quibly — 3 urgent"_s);
    }

    // A dark panel gets light strokes and the other way round.
    void inkFollowsThePalette()
    {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
        QPalette light;
        light.setColor(QPalette::Window, QColor(0xf0, 0xf0, 0xf0));
        light.setColor(QPalette::WindowText, QColor(0x10, 0x10, 0x10));
        const QImage onDark = render(0, 36, MenuBarIcon::inkFor(dark));
        const QImage onLight = render(0, 36, MenuBarIcon::inkFor(light));
        const QRgb a = onDark.pixel(int(1 * 2), int(3.5 * 2));
        const QRgb b = onLight.pixel(int(1 * 2), int(3.5 * 2));
        QCOMPARE_GT(qGray(a), 200);
        QCOMPARE_LT(qGray(b), 60);
    }
};

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    MenuBarIconTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_menubaricon.moc"
