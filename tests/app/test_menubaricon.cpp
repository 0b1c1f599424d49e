// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "menubaricon.h"
#include "translations.h"

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {
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

// The opacity at (\a x18, \a y18) on the 18 × 18 design grid.
int alpha(const QImage &image, qreal x18, qreal y18)
{
    const qreal scale = image.width() / 18.0;
    return qAlpha(image.pixel(int(x18 * scale), int(y18 * scale)));
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

    // A corner's arc is tangent to both arms: its centre lies one radius from both lines.
    void tangentsAtAnObliqueCorner()
    {
        const QPointF from(0, 0), corner(10, 0), towards(14, 7);
        const auto t = MenuBarIcon::tangents(from, corner, towards, 2);
        QCOMPARE_LT(std::abs(distanceToLine(t.centre, from, corner) - 2), 1e-9);
        QCOMPARE_LT(std::abs(distanceToLine(t.centre, corner, towards) - 2), 1e-9);
        QCOMPARE_LT(distanceToLine(t.second, corner, towards), 1e-9);
        QCOMPARE_LT(QLineF(corner, t.first).length() - QLineF(corner, t.second).length(), 1e-9);
    }

    void drawnSharpAtEverySize_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : { 22, 32, 64, 128 })
            QTest::addRow("%d", size) << size;
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
        QCOMPARE_GT(alpha(image, 23.0 / 3.0, 109.0 / 9.0 - 0.2), 100); // the tick's lowest point
    }

    // The urgent count: a red badge in the lower right corner with its text, and the tooltip.
    void urgentCount_data()
    {
        QTest::addColumn<int>("urgent");
        QTest::addColumn<QString>("badge"); // empty: none drawn
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("none") << 0 << QString() << u"Quibly"_s;
        QTest::newRow("negative") << -1 << QString() << u"Quibly"_s;
        QTest::newRow("one") << 1 << u"1"_s << u"Quibly — 1 urgent"_s;
        QTest::newRow("99") << 99 << u"99"_s << u"Quibly — 99 urgent"_s;
        QTest::newRow("100") << 100 << u"99+"_s << u"Quibly — 100 urgent"_s;
    }
    void urgentCount()
    {
        QFETCH(int, urgent);
        QFETCH(QString, badge);
        QFETCH(QString, toolTip);
        const QImage image = render(urgent, 64);
        int red = 0;
        for (int y = 40; y < 64; ++y) {
            for (int x = 30; x < 64; ++x) {
                const QRgb pixel = image.pixel(x, y);
                red += qAlpha(pixel) > 200 && qRed(pixel) > 150 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
            }
        }
        QCOMPARE(red > 100, !badge.isEmpty());
        QCOMPARE_GT(alpha(image, 1, 3.5), 200); // the upper left corner never carries the badge
        if (!badge.isEmpty())
            QCOMPARE(MenuBarIcon::badgeText(urgent), badge);
        QCOMPARE(MenuBarIcon::toolTip(urgent), toolTip);
    }

    // A dark panel gets light strokes and the other way round.
    void inkFollowsThePalette()
    {
        const auto strokeOn = [](QColor window, QColor text) {
            QPalette palette;
            palette.setColor(QPalette::Window, window);
            palette.setColor(QPalette::WindowText, text);
            return qGray(render(0, 36, MenuBarIcon::inkFor(palette)).pixel(2, 7));
        };
        QCOMPARE_GT(strokeOn(QColor(0x20, 0x20, 0x20), QColor(0xee, 0xee, 0xee)), 200);
        QCOMPARE_LT(strokeOn(QColor(0xf0, 0xf0, 0xf0), QColor(0x10, 0x10, 0x10)), 60);
    }
};

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    MenuBarIconTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_menubaricon.moc"
