// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "ocrimage.h"

#include <QPainter>

#include <algorithm>
#include <array>

namespace OcrImage
{
QImage prepare(const QImage &image)
{
    QImage flat = image;
    if (image.hasAlphaChannel()) {
        flat = QImage(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    QImage gray = flat.convertToFormat(QImage::Format_Grayscale8);

    std::array<qint64, 256> histogram{};
    for (int y = 0; y < gray.height(); ++y) {
        const uchar *row = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x)
            ++histogram[row[x]];
    }
    const qint64 half = qint64(gray.width()) * gray.height() / 2;
    qint64 seen = 0;
    int median = 0;
    for (; median < 256; ++median) {
        seen += histogram[median];
        if (seen >= half)
            break;
    }
    // Tesseract's own per-line inversion copes with a dark panel here and there, not with a
    // dark theme throughout.
    if (median < 110)
        gray.invertPixels();
    return gray;
}

Box boxAt(const QImage &gray, QRect rect)
{
    rect = rect.intersected(gray.rect());
    if (rect.width() < 6 || rect.height() < 6)
        return Box::None;
    // Find the darkest and lightest grey to place a threshold between ink and paper.
    int lo = 255, hi = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const uchar *row = gray.constScanLine(y);
        for (int x = rect.left(); x <= rect.right(); ++x) {
            lo = std::min<int>(lo, row[x]);
            hi = std::max<int>(hi, row[x]);
        }
    }
    if (hi - lo < 60)
        return Box::None;
    const int threshold = (lo + hi) / 2;
    auto ink = [&](int x, int y) { return gray.constScanLine(y)[x] < threshold; };

    // Tight bounds of the ink.
    int left = rect.right(), right = rect.left(), top = rect.bottom(), bottom = rect.top();
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (ink(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    const int w = right - left + 1, h = bottom - top + 1;
    if (w < 6 || h < 6 || w * 10 < h * 7 || h * 10 < w * 7)
        return Box::None;

    // A box has four straight sides: on each edge (within two pixels) a line that is mostly ink.
    auto rowInk = [&](int y) {
        int n = 0;
        for (int x = left; x <= right; ++x)
            n += ink(x, y);
        return n;
    };
    auto colInk = [&](int x) {
        int n = 0;
        for (int y = top; y <= bottom; ++y)
            n += ink(x, y);
        return n;
    };
    auto strongRow = [&](int y0, int step) {
        for (int i = 0; i < 3; ++i)
            if (rowInk(y0 + i * step) * 10 >= w * 8)
                return true;
        return false;
    };
    auto strongCol = [&](int x0, int step) {
        for (int i = 0; i < 3; ++i)
            if (colInk(x0 + i * step) * 10 >= h * 8)
                return true;
        return false;
    };
    if (!strongRow(top, 1) || !strongRow(bottom, -1) || !strongCol(left, 1) || !strongCol(right, -1))
        return Box::None;

    // Inside the sides: empty paper, or a tick / cross / fill.
    const int margin = std::max(2, std::min(w, h) / 5);
    int inside = 0, total = 0;
    for (int y = top + margin; y <= bottom - margin; ++y)
        for (int x = left + margin; x <= right - margin; ++x) {
            ++total;
            inside += ink(x, y);
        }
    if (total == 0)
        return Box::None;
    // A solid square is a bullet, not a box: ticked boxes keep some paper inside (the tick or its background).
    if (inside * 100 >= total * 95)
        return Box::None;
    return inside * 100 >= total * 8 ? Box::Ticked : Box::Empty;
}
}
