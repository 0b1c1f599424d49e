// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QBuffer>
#include <QImage>

namespace QuiblyTest {

/*! An image of \a size in one \a colour, encoded as \a format. */
inline QByteArray encodedImage(QSize size, const char *format = "PNG", QColor colour = Qt::darkCyan)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace QuiblyTest
