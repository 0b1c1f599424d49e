// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QIcon>
#include <QPainterPath>
#include <QPointF>
#include <QString>

/*!
 * \brief The tray icon: a viewfinder of four rounded corners with a tick inside, and the
 * urgent count as a small badge.
 *
 * Tray protocols show no text beside an icon, so the count the menu bar would show as the
 * button title is drawn into the icon. The drawing is vector work done at the size the host
 * asks for, so the icon stays sharp at every scale. The delegate rebuilds the icon only when
 * the count or the panel palette changes.
 */
namespace MenuBarIcon {
/*! Side of the drawing space in points; coordinates are top-left based, y growing downwards. */
inline constexpr qreal side = 18.0;
inline constexpr qreal lineWidth = 1.6;

/*! The stroked outline (four corners and the tick) in the 18 × 18 space. */
QPainterPath path();

/*! Where an arc of \a radius tangent to (from → corner) and (corner → towards) meets those two lines. */
struct Tangents
{
    QPointF first;
    QPointF second;
    QPointF centre;
};
Tangents tangents(QPointF from, QPointF corner, QPointF towards, qreal radius);

/*! The icon drawn in \a ink, with a badge for \a urgent when it is at least 1. */
QIcon make(int urgent, const QColor &ink);

/*! The ink that reads on the panel: the palette's window text colour. */
QColor inkFor(const QPalette &palette);

/*! The badge text: the count, or "99+" beyond 99. */
QString badgeText(int urgent);

/*! "app.name" alone, or "app.tooltip_urgent" with the count when there is one. */
QString toolTip(int urgent);
} // namespace MenuBarIcon
