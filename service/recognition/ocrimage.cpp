// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "ocrimage.h"

#include <QList>
#include <QPainter>
#include <QPoint>

#include <algorithm>
#include <array>
#include <vector>

namespace OcrImage {
namespace {
// Median grey of the (2r+1)² window around every pixel, by a sliding histogram (Huang): the
// colour of the panel a pixel sits on, since strokes of text cover less than half of any window.
QImage localBackground(const QImage &gray, int r)
{
    const int w = gray.width(), h = gray.height();
    QImage bg(w, h, QImage::Format_Grayscale8);
    const int count = (2 * r + 1) * (2 * r + 1);
    const int half = count / 2;
    auto px = [&](int x, int y) { return gray.constScanLine(std::clamp(y, 0, h - 1))[std::clamp(x, 0, w - 1)]; };
    std::array<int, 256> hist {};
    for (int y = 0; y < h; ++y) {
        hist.fill(0);
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                ++hist[px(dx, y + dy)];
        int median = 0, below = 0; // below = how many values lie under median
        while (below + hist[median] <= half) {
            below += hist[median];
            ++median;
        }
        uchar *out = bg.scanLine(y);
        out[0] = uchar(median);
        for (int x = 1; x < w; ++x) {
            for (int dy = -r; dy <= r; ++dy) {
                const int gone = px(x - r - 1, y + dy), come = px(x + r, y + dy);
                --hist[gone];
                if (gone < median)
                    --below;
                ++hist[come];
                if (come < median)
                    ++below;
            }
            while (below > half) {
                --median;
                below -= hist[median];
            }
            while (below + hist[median] <= half) {
                below += hist[median];
                ++median;
            }
            out[x] = uchar(median);
        }
    }
    return bg;
}
} // namespace

QImage prepare(const QImage &image)
{
    QImage flat = image;
    if (image.hasAlphaChannel()) {
        flat = QImage(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    const QImage gray = flat.convertToFormat(QImage::Format_Grayscale8);
    if (gray.width() < 2 || gray.height() < 2)
        return gray;

    // Screens mix light and dark panels, chat bubbles and tinted side bars; Tesseract wants dark
    // text on one white page and takes a tinted panel for a picture. Ink is whatever differs
    // from the panel it sits on, in either direction.
    // The panel colour is estimated at half resolution (a quarter of the work; panels are large).
    const QImage half
        = gray.scaled((gray.width() + 1) / 2, (gray.height() + 1) / 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QImage bg = localBackground(half, 6);
    QImage page(gray.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < gray.height(); ++y) {
        const uchar *g = gray.constScanLine(y);
        const uchar *b = bg.constScanLine(std::min(y / 2, bg.height() - 1));
        const uchar *above = bg.constScanLine(std::max(0, std::min(y / 2, bg.height() - 1) - 1));
        uchar *out = page.scanLine(y);
        for (int x = 0; x < gray.width(); ++x) {
            const int bx = std::min(x / 2, bg.width() - 1);
            int ink = std::min(255, 2 * std::abs(int(g[x]) - int(b[bx])));
            // Keep the edge between two panels as a thin rule: it tells columns apart.
            if ((x % 2 == 0 && bx > 0 && std::abs(int(b[bx]) - int(b[bx - 1])) > 12)
                || (y % 2 == 0 && std::abs(int(b[bx]) - int(above[bx])) > 12))
                ink = std::max(ink, 160);
            out[x] = uchar(255 - ink);
        }
    }
    return page;
}

QImage withoutRules(const QImage &gray)
{
    QImage out = gray;
    const int w = gray.width(), h = gray.height();
    constexpr int ink = 200;
    // Tables draw each cell's own border: a rule is broken for a few pixels where cells meet.
    // Gaps between text lines are wider, so stacked letter stems never make a rule.
    // Runs of ink along a line of \a length pixels read through \a at; each long one is whitened.
    auto clear = [&](int length, int gap, auto at, auto whiten) {
        for (int i = 0; i < length;) {
            if (at(i) >= ink) {
                ++i;
                continue;
            }
            int end = i + 1, last = i;
            while (end < length && end - last <= gap) {
                if (at(end) < ink)
                    last = end;
                ++end;
            }
            if ((last + 1 - i) * 10 >= length * 3)
                whiten(i, last + 1);
            i = last + 1;
        }
    };
    // Rows first, then columns, each read from the original so that a crossing keeps neither line.
    for (int y = 0; y < h; ++y) {
        const uchar *row = gray.constScanLine(y);
        uchar *dst = out.scanLine(y);
        clear(
            w, 3, [&](int x) { return row[x]; },
            [&](int from, int to) { std::fill(dst + from, dst + to, uchar(255)); });
    }
    // Columns in one sweep down the rows (reading a column at a time would miss the cache on every pixel).
    struct Run
    {
        int start = -1, last = -1;
    };
    std::vector<Run> runs(static_cast<size_t>(w));
    std::vector<std::array<int, 3>> spans; // x, first row, row after the last
    auto close = [&](int x) {
        Run &run = runs[size_t(x)];
        if (run.start >= 0 && (run.last + 1 - run.start) * 10 >= h * 3)
            spans.push_back({ x, run.start, run.last + 1 });
        run = Run {};
    };
    for (int y = 0; y < h; ++y) {
        const uchar *row = gray.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            Run &run = runs[size_t(x)];
            if (row[x] < ink) {
                if (run.start < 0)
                    run.start = y;
                run.last = y;
            } else if (run.start >= 0 && y - run.last > 6) {
                close(x);
            }
        }
    }
    for (int x = 0; x < w; ++x)
        close(x);
    for (const auto &[x, from, to] : spans) {
        for (int y = from; y < to; ++y)
            out.scanLine(y)[x] = 255;
    }
    return out;
}

int letterHeight(const QImage &gray)
{
    // Connected shapes of ink by runs: each row's runs join the runs of the row above that they
    // touch (8-neighbourhood); union-find keeps each shape's vertical extent and width.
    struct Shape
    {
        int parent, top, bottom, left, right;
    };
    std::vector<Shape> shapes;
    auto find = [&](int i) {
        while (shapes[size_t(i)].parent != i) {
            shapes[size_t(i)].parent = shapes[size_t(shapes[size_t(i)].parent)].parent;
            i = shapes[size_t(i)].parent;
        }
        return i;
    };
    auto join = [&](int a, int b) {
        a = find(a);
        b = find(b);
        if (a == b)
            return;
        Shape &into = shapes[size_t(a)];
        const Shape &from = shapes[size_t(b)];
        into.top = std::min(into.top, from.top);
        into.bottom = std::max(into.bottom, from.bottom);
        into.left = std::min(into.left, from.left);
        into.right = std::max(into.right, from.right);
        shapes[size_t(b)].parent = a;
    };
    struct Run
    {
        int start, end, shape; // [start, end)
    };
    std::vector<Run> above, current;
    const int w = gray.width(), h = gray.height();
    for (int y = 0; y < h; ++y) {
        const uchar *row = gray.constScanLine(y);
        current.clear();
        size_t a = 0;
        for (int x = 0; x < w;) {
            if (row[x] >= 128) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < w && row[x] < 128)
                ++x;
            const int id = int(shapes.size());
            shapes.push_back({ id, y, y, start, x - 1 });
            while (a < above.size() && above[a].end < start)
                ++a;
            for (size_t b = a; b < above.size() && above[b].start <= x; ++b)
                join(above[b].shape, id);
            current.push_back({ start, x, id });
        }
        std::swap(above, current);
    }

    // Letters are at most about as wide as high; rules, boxes round whole words and pictures are
    // not. Heights are counted with their neighbours (anti-aliasing makes one letter height vary
    // by a pixel), and the most common one is the x-height of the body text.
    constexpr int tallest = 200;
    std::array<int, tallest + 2> count {};
    int letters = 0;
    for (size_t i = 0; i < shapes.size(); ++i) {
        if (shapes[i].parent != int(i))
            continue;
        const Shape &s = shapes[i];
        const int sh = s.bottom - s.top + 1, sw = s.right - s.left + 1;
        if (sh < 4 || sh > tallest || sw > 2 * sh || sw * 6 < sh)
            continue;
        ++count[size_t(sh)];
        ++letters;
    }
    if (letters < 12)
        return 0;
    int best = 0, bestScore = 0;
    for (int height = 4; height <= tallest; ++height) {
        const int spread = std::max(1, height / 12);
        int score = 0;
        for (int d = -spread; d <= spread; ++d)
            score += count[size_t(std::clamp(height + d, 0, tallest + 1))];
        if (score > bestScore) {
            bestScore = score;
            best = height;
        }
    }
    return best;
}

bool struckThrough(const QImage &gray, QRect line)
{
    line = line.intersected(gray.rect());
    if (line.width() < 3 * line.height() || line.height() < 6)
        return false;
    // A rule through the middle band of the whole line: text rows never run unbroken that far.
    for (int y = line.top() + line.height() / 4; y <= line.bottom() - line.height() / 6; ++y) {
        const uchar *row = gray.constScanLine(y);
        int ink = 0;
        for (int x = line.left(); x <= line.right(); ++x)
            ink += row[x] < 170;
        if (ink * 100 >= line.width() * 85)
            return true;
    }
    return false;
}

namespace {
struct Component
{
    QRect rect;
    int pixels = 0;
};

// Classifies one connected shape (and whatever ink lies inside its bounds, such as a tick).
Mark classify(const QImage &gray, const Component &c, int threshold, QRect line)
{
    const QRect r = c.rect;
    const int w = r.width(), h = r.height();
    if (w * 10 < h * 7 || h * 10 < w * 7)
        return Mark::None;
    auto ink = [&](int x, int y) { return gray.constScanLine(y)[x] < threshold; };

    // Dot: a small filled round or square shape standing in the middle of the text line.
    const int lineHeight = line.height();
    const double fill = double(c.pixels) / double(w * h);
    const int centre = r.center().y();
    if (h * 10 <= lineHeight * 6 && h >= 3 && fill >= 0.6 && w * 4 >= h * 3 && h * 4 >= w * 3
        && centre > line.top() + lineHeight * 3 / 10 && centre < line.bottom() - lineHeight / 5)
        return Mark::Dot;

    if (w < 7 || h < 7 || h < lineHeight / 2 || w * 100 < h * 85 || h * 100 < w * 85)
        return Mark::None;
    // Box: four straight sides, each an unbroken run of ink (rounded corners aside) within the
    // outer three rows or columns. "H", "N" or "П" have a side broken in two or missing.
    auto longestRow = [&](int y) {
        int best = 0, run = 0;
        for (int x = r.left(); x <= r.right(); ++x) {
            run = ink(x, y) ? run + 1 : 0;
            best = std::max(best, run);
        }
        return best;
    };
    auto longestCol = [&](int x) {
        int best = 0, run = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            run = ink(x, y) ? run + 1 : 0;
            best = std::max(best, run);
        }
        return best;
    };
    auto strongRow = [&](int y0, int step) {
        for (int i = 0; i < 3; ++i)
            if (longestRow(y0 + i * step) * 100 >= w * 60)
                return true;
        return false;
    };
    auto strongCol = [&](int x0, int step) {
        for (int i = 0; i < 3; ++i)
            if (longestCol(x0 + i * step) * 100 >= h * 60)
                return true;
        return false;
    };
    if (!strongRow(r.top(), 1) || !strongRow(r.bottom(), -1) || !strongCol(r.left(), 1) || !strongCol(r.right(), -1))
        return Mark::None;

    const int margin = std::max(2, std::min(w, h) / 5);
    int inside = 0, total = 0;
    for (int y = r.top() + margin; y <= r.bottom() - margin; ++y)
        for (int x = r.left() + margin; x <= r.right() - margin; ++x) {
            ++total;
            inside += ink(x, y);
        }
    if (total == 0)
        return Mark::None;
    // A solid square is a bullet: a ticked box keeps some paper inside (around the tick or in it).
    if (inside * 100 >= total * 95)
        return h <= lineHeight ? Mark::Dot : Mark::None;
    return inside * 100 >= total * 6 ? Mark::TickedBox : Mark::EmptyBox;
}
} // namespace

Found markNear(const QImage &gray, QRect area, QRect line, Side side)
{
    area = area.intersected(gray.rect());
    if (area.width() < 4 || area.height() < 4 || line.height() < 4)
        return {};
    int lo = 255, hi = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar *row = gray.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x) {
            lo = std::min<int>(lo, row[x]);
            hi = std::max<int>(hi, row[x]);
        }
    }
    if (hi - lo < 60)
        return {};
    // Nearer the paper than the ink: thin anti-aliased box outlines are light grey.
    const int threshold = hi - (hi - lo) * 2 / 5;

    // Connected shapes of ink in the area (8-neighbourhood); the area is a few line heights wide.
    const int aw = area.width(), ah = area.height();
    QList<int> label(aw * ah, -1);
    QList<Component> components;
    QList<QPoint> stack;
    for (int y = 0; y < ah; ++y) {
        for (int x = 0; x < aw; ++x) {
            if (label[y * aw + x] >= 0 || gray.constScanLine(area.top() + y)[area.left() + x] >= threshold)
                continue;
            Component c;
            int minX = x, maxX = x, minY = y, maxY = y;
            const int id = int(components.size());
            label[y * aw + x] = id;
            stack = { QPoint(x, y) };
            while (!stack.isEmpty()) {
                const QPoint p = stack.takeLast();
                ++c.pixels;
                minX = std::min(minX, p.x());
                maxX = std::max(maxX, p.x());
                minY = std::min(minY, p.y());
                maxY = std::max(maxY, p.y());
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = p.x() + dx, ny = p.y() + dy;
                        if (nx < 0 || ny < 0 || nx >= aw || ny >= ah || label[ny * aw + nx] >= 0)
                            continue;
                        if (gray.constScanLine(area.top() + ny)[area.left() + nx] >= threshold)
                            continue;
                        label[ny * aw + nx] = id;
                        stack.append(QPoint(nx, ny));
                    }
            }
            c.rect
                = QRect(QPoint(area.left() + minX, area.top() + minY), QPoint(area.left() + maxX, area.top() + maxY));
            components.append(c);
        }
    }

    // Shapes that touch the area's edge are cut off and cannot be judged; the marker must be
    // the outermost shape level with the line on the side that faces the text.
    const int middle = line.center().y();
    const Component *outermost = nullptr;
    for (const Component &c : components) {
        const QRect r = c.rect;
        if (std::abs(r.center().y() - middle) > line.height() / 2 && !(r.top() < middle && r.bottom() > middle))
            continue;
        if (r.height() < 3 && r.width() < 3)
            continue; // specks
        if (!outermost
            || (side == Side::Right ? r.right() > outermost->rect.right() : r.left() < outermost->rect.left()))
            outermost = &c;
    }
    Found best;
    if (!outermost)
        return best;
    const QRect r = outermost->rect;
    if (r.top() <= area.top() || r.bottom() >= area.bottom() || r.left() <= area.left()
        || (side == Side::Left && r.right() >= area.right()))
        return best;
    Mark mark = classify(gray, *outermost, threshold, line);
    if (mark == Mark::Dot) {
        // A bullet stands apart; a small round letter ("s", "e", "w") touches its word.
        for (const Component &c : components) {
            if (&c == outermost || c.rect.bottom() < r.top() || c.rect.top() > r.bottom())
                continue;
            const int gap = c.rect.left() > r.right() ? c.rect.left() - r.right() : r.left() - c.rect.right();
            if (gap < std::max(3, r.width()))
                mark = Mark::None;
        }
    }
    if (mark != Mark::None)
        best = { mark, r };
    return best;
}
} // namespace OcrImage
