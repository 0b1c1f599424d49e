// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QRect>

/*!
 * Image work around OCR: turning a screenshot into the dark-on-light grey page Tesseract reads
 * best, and finding the list markers OCR misses: drawn check boxes (read as "O", "0", "[]" or
 * dropped, often as a column of their own) and bullet dots (read as "e", "¢", "°").
 */
namespace OcrImage {
/*! Grey, transparent parts on white, and inverted when the page is mostly dark. */
QImage prepare(const QImage &image);

/*!
 * The page without the long straight rules of tables, panels and separators (longer than three
 * tenths of the page): OCR takes a grid of cells for pictures and reads nothing inside them.
 */
QImage withoutRules(const QImage &gray);

/*!
 * The typical height of lower-case letters (the x-height) on the grey page, in pixels: the most
 * common height among letter-sized shapes of ink. 0 when the page holds too little text to tell.
 */
int letterHeight(const QImage &gray);

enum class Mark { None, EmptyBox, TickedBox, Dot };

struct Found
{
    Mark mark = Mark::None;
    QRect rect; //!< where the mark is, when there is one
};

/*! Which end of the area the marker must be: nearest the text it belongs to. */
enum class Side { Left, Right };

/*!
 * The list marker in \a area of the grey page, level with the text line \a line: a box or dot
 * that is the outermost shape on \a side (so that the dot of an "i" in a neighbouring word
 * does not count).
 */
Found markNear(const QImage &gray, QRect area, QRect line, Side side);

/*! Whether the text line is struck through: done items in many to-do apps. */
bool struckThrough(const QImage &gray, QRect line);
} // namespace OcrImage
