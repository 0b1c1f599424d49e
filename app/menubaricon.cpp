// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "menubaricon.h"

#include <QFont>
#include <QIconEngine>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include <cmath>
#include <numbers>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr qreal ninth = 1.0 / 9.0;
constexpr qreal cornerRadius = 16 * ninth;

QPointF unit(QPointF v)
{
    const qreal length = std::hypot(v.x(), v.y());
    return length > 0 ? v / length : QPointF();
}

// Angle of \a p around \a centre in QPainterPath's convention: degrees, counter-clockwise on screen.
qreal screenAngle(QPointF centre, QPointF p)
{
    return std::atan2(-(p.y() - centre.y()), p.x() - centre.x()) * 180.0 / std::numbers::pi;
}

// A straight line towards \a corner, then an arc tangent to both lines, ending on its second tangent point.
void roundedCorner(QPainterPath &path, QPointF corner, QPointF towards, qreal radius)
{
    const auto t = MenuBarIcon::tangents(path.currentPosition(), corner, towards, radius);
    path.lineTo(t.first);
    const qreal start = screenAngle(t.centre, t.first);
    qreal sweep = screenAngle(t.centre, t.second) - start;
    if (sweep > 180)
        sweep -= 360;
    else if (sweep < -180)
        sweep += 360;
    path.arcTo(QRectF(t.centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)), start, sweep);
}

/*!
 * Draws the icon at whatever size the tray asks for. QSystemTrayIcon asks for pixmaps;
 * they are rendered here instead of scaled from one bitmap.
 */
class Engine : public QIconEngine
{
public:
    Engine(int urgent, QColor ink)
        : m_urgent(urgent)
        , m_ink(ink)
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QImage image = render(rect.size() * dpr, mode);
        image.setDevicePixelRatio(dpr);
        painter->drawImage(rect, image);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        return QPixmap::fromImage(render(size, mode));
    }

    // SNI hosts get a pixmap per listed size: list the usual panel sizes.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return { { 16, 16 }, { 22, 22 }, { 24, 24 }, { 32, 32 }, { 48, 48 }, { 64, 64 } };
    }

    QIconEngine *clone() const override { return new Engine(m_urgent, m_ink); }
    QString key() const override { return u"quibly-menubar"_s; }

private:
    QImage render(QSize size, QIcon::Mode mode) const
    {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        if (size.isEmpty())
            return image;
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        // A square icon area centred in whatever the host hands over.
        const qreal edge = std::min(size.width(), size.height());
        const qreal scale = edge / MenuBarIcon::side;
        p.translate((size.width() - edge) / 2.0, (size.height() - edge) / 2.0);

        QColor ink = m_ink;
        if (mode == QIcon::Disabled)
            ink.setAlphaF(0.4f);
        p.setBrush(Qt::NoBrush);
        p.save();
        p.scale(scale, scale);
        p.setPen(QPen(ink, MenuBarIcon::lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(MenuBarIcon::path());
        p.restore();

        if (m_urgent >= 1)
            drawBadge(p, edge);
        return image;
    }

    // A red pill in the lower right corner; the strokes under it and a thin ring around it are
    // cleared so the digits stay legible on any panel.
    void drawBadge(QPainter &p, qreal edge) const
    {
        const QString text = MenuBarIcon::badgeText(m_urgent);
        const qreal height = std::max(edge * 0.58, 7.0);
        QFont font;
        font.setPixelSize(std::max(int(std::lround(height * 0.8)), 6));
        font.setBold(true);
        const QFontMetricsF metrics(font);
        const qreal width = std::max(height, metrics.horizontalAdvance(text) + height * 0.4);
        const QRectF pill(edge - width, edge - height, width, height);
        const qreal ring = std::max(edge / 18.0, 1.0);

        p.save();
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRoundedRect(pill.adjusted(-ring, -ring, ring, ring), height / 2 + ring, height / 2 + ring);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setBrush(QColor(0xd7, 0x26, 0x1e));
        p.drawRoundedRect(pill, height / 2, height / 2);
        p.setPen(Qt::white);
        p.setFont(font);
        p.drawText(pill, Qt::AlignCenter, text);
        p.restore();
    }

    int m_urgent;
    QColor m_ink;
};
} // namespace

MenuBarIcon::Tangents MenuBarIcon::tangents(QPointF from, QPointF corner, QPointF towards, qreal radius)
{
    const QPointF u1 = unit(from - corner);
    const QPointF u2 = unit(towards - corner);
    const qreal cosine = std::clamp(u1.x() * u2.x() + u1.y() * u2.y(), -1.0, 1.0);
    const qreal angle = std::acos(cosine);
    // Distance from the corner to either tangent point, and to the centre along the bisector.
    const qreal along = radius / std::tan(angle / 2);
    const qreal toCentre = radius / std::sin(angle / 2);
    return { corner + u1 * along, corner + u2 * along, corner + unit(u1 + u2) * toCentre };
}

QPainterPath MenuBarIcon::path()
{
    QPainterPath path;
    // Top left.
    path.moveTo(1, 41 * ninth);
    roundedCorner(path, { 1, 1 }, { 25 * ninth, 1 }, cornerRadius);
    path.lineTo(41 * ninth, 1);
    // Top right.
    path.moveTo(121 * ninth, 1);
    roundedCorner(path, { 17, 1 }, { 17, 25 * ninth }, cornerRadius);
    path.lineTo(17, 41 * ninth);
    // Bottom right.
    path.moveTo(17, 121 * ninth);
    roundedCorner(path, { 17, 17 }, { 137 * ninth, 17 }, cornerRadius);
    path.lineTo(121 * ninth, 17);
    // Bottom left.
    path.moveTo(41 * ninth, 17);
    roundedCorner(path, { 1, 17 }, { 1, 137 * ninth }, cornerRadius);
    path.lineTo(1, 121 * ninth);
    // The tick.
    path.moveTo(5, 85 * ninth);
    path.lineTo(23.0 / 3.0, 109 * ninth);
    path.lineTo(13, 19.0 / 3.0);
    return path;
}

QIcon MenuBarIcon::make(int urgent, const QColor &ink)
{
    return QIcon(new Engine(urgent, ink));
}

QColor MenuBarIcon::inkFor(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::WindowText);
}

QString MenuBarIcon::badgeText(int urgent)
{
    return urgent > 99 ? u"99+"_s : QString::number(urgent);
}

QString MenuBarIcon::toolTip(int urgent)
{
    if (urgent < 1)
        return qtTrId("app.name");
    //: Tray tooltip; %1 is the number of urgent tasks
    return qtTrId("app.tooltip_urgent").arg(urgent);
}
