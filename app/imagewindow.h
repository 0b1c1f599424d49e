// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QWidget>

#include <memory>
#include <optional>

/*!
 * \brief The window that shows the screenshot a task was read from.
 *
 * make() decodes the bytes (PNG, JPEG, WebP, whatever Qt's image plugins read) and sizes the
 * window to the picture, shrunk to fit 80 % of the screen but never enlarged; the picture
 * keeps its aspect ratio when the user resizes the window. Escape closes it. The window is
 * not deleted when closed: its owner drops it.
 */
class ImageWindow : public QWidget
{
    Q_OBJECT
public:
    /*! A new window, not yet shown and centred on the screen, or null when \a data is not a usable image. */
    static std::unique_ptr<ImageWindow> make(const QByteArray &data);

    /*!
     * The window size for a picture of \a natural size within \a available (a screen's
     * available geometry, or none without a screen): limits 0.8 × available, else 960 × 640.
     */
    static QSize fittedSize(QSize natural, std::optional<QSize> available);

    /*!
     * The image in \a data with its format ("png", "jpeg", …), or a null image. A PNG cut
     * short is refused before decoding (the decoder would only complain about it).
     */
    static QImage decode(const QByteArray &data, QByteArray *format = nullptr);

    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    explicit ImageWindow(QImage image);

    QImage m_image;
};
