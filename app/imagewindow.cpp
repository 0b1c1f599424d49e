// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "imagewindow.h"

#include <QBuffer>
#include <QCursor>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

std::unique_ptr<ImageWindow> ImageWindow::make(const QByteArray &data)
{
    QImage image = decode(data);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return nullptr;

    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // A screenshot shows pixel for pixel: on a scaled screen its natural size is smaller.
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    image.setDevicePixelRatio(ratio);
    const QSize natural = (QSizeF(image.size()) / ratio).toSize().expandedTo(QSize(1, 1));
    std::optional<QSize> available;
    if (screen)
        available = screen->availableGeometry().size();

    std::unique_ptr<ImageWindow> window(new ImageWindow(std::move(image)));
    const QSize size = fittedSize(natural, available);
    window->resize(size);
    if (screen) {
        window->setScreen(screen);
        QRect frame(QPoint(), size);
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    return window;
}

QImage ImageWindow::decode(const QByteArray &data, QByteArray *format)
{
    static const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);
    static const QByteArray pngEnd("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    if (data.startsWith(pngSignature) && !data.endsWith(pngEnd))
        return {};
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (format)
        *format = reader.format();
    return reader.read();
}

QSize ImageWindow::fittedSize(QSize natural, std::optional<QSize> available)
{
    const qreal maxW = available ? 0.8 * available->width() : 960.0;
    const qreal maxH = available ? 0.8 * available->height() : 640.0;
    const qreal scale = std::min({ maxW / natural.width(), maxH / natural.height(), 1.0 });
    return QSize(std::max(1, int(std::lround(natural.width() * scale))),
                 std::max(1, int(std::lround(natural.height() * scale))));
}

ImageWindow::ImageWindow(QImage image)
    : m_image(std::move(image))
{
    setWindowTitle(qtTrId("image.title"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(64, 64);
}

void ImageWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QSizeF picture = QSizeF(m_image.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    QRectF target(QPointF(), picture);
    target.moveCenter(QRectF(rect()).center());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, m_image);
}

void ImageWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
