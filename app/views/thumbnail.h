// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QImage>
#include <QQmlEngine>
#include <QQuickPaintedItem>

/*!
 * \brief An image scaled to fill its item (cropped, centred) inside a rounded rectangle,
 * or the placeholder colour while there is none. Shows the capture in the task editor.
 */
class Thumbnail : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    // A QImage in a variant: QML has no image type of its own.
    Q_PROPERTY(QVariant image READ imageVariant WRITE setImageVariant NOTIFY imageChanged)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(QColor placeholder READ placeholder WRITE setPlaceholder NOTIFY placeholderChanged)

public:
    explicit Thumbnail(QQuickItem *parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage &image);
    QVariant imageVariant() const { return m_image; }
    void setImageVariant(const QVariant &image) { setImage(image.value<QImage>()); }
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    QColor placeholder() const { return m_placeholder; }
    void setPlaceholder(const QColor &placeholder);

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void imageChanged();
    void radiusChanged();
    void placeholderChanged();

private:
    QImage m_image;
    qreal m_radius = 0;
    QColor m_placeholder;
};
