// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "thumbnail.h"

#include <QPainter>
#include <QPainterPath>

Thumbnail::Thumbnail(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void Thumbnail::setImage(const QImage &image)
{
    m_image = image;
    update();
    Q_EMIT imageChanged();
}

void Thumbnail::setRadius(qreal radius)
{
    if (qFuzzyCompare(m_radius, radius))
        return;
    m_radius = radius;
    update();
    Q_EMIT radiusChanged();
}

void Thumbnail::setPlaceholder(const QColor &placeholder)
{
    if (m_placeholder == placeholder)
        return;
    m_placeholder = placeholder;
    update();
    Q_EMIT placeholderChanged();
}

void Thumbnail::paint(QPainter *painter)
{
    const QRectF area = boundingRect();
    QPainterPath clip;
    clip.addRoundedRect(area, m_radius, m_radius);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_image.isNull()) {
        painter->fillPath(clip, m_placeholder);
        return;
    }
    painter->setClipPath(clip);
    // Fill the area, cropping what does not fit, centred.
    const QSizeF shown = QSizeF(m_image.size()).scaled(area.size(), Qt::KeepAspectRatioByExpanding);
    const QRectF target(area.center() - QPointF(shown.width() / 2, shown.height() / 2), shown);
    painter->drawImage(target, m_image);
}
