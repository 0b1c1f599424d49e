// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QRect>

/*!
 * Image work around OCR: turning a screenshot into the dark-on-light grey page Tesseract reads
 * best, and telling drawn check boxes (which OCR reads as "O", "0", "[]" or drops) apart.
 */
namespace OcrImage
{
/*! Grey, transparent parts on white, and inverted when the page is mostly dark. */
QImage prepare(const QImage &image);

enum class Box { None, Empty, Ticked };

/*! What sits in \a rect of the grey page: a square box outline (empty or ticked), or something else. */
Box boxAt(const QImage &gray, QRect rect);
}
