// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/*!
 * One line of text as OCR laid it out. The geometry lets task extraction tell a wrapped
 * continuation (indented under the item's text) from a new item and a gap from a paragraph;
 * lines that come without geometry (plain text) leave it at -1 / 0.
 */
struct TextLine
{
    QString text;
    int left = -1; //!< left edge, in pixels of the OCR'd image (or characters for plain text); -1 when unknown
    int top = -1; //!< top edge
    int height = 0; //!< line height; 0 when unknown
    bool blockStart = false; //!< the first line of a layout block (a column, a panel, a paragraph group)
    int width = 0; //!< line width; 0 when unknown

    int right() const { return width > 0 ? left + width : -1; }

    bool operator==(const TextLine &) const = default;

    /*! Plain text, one line per entry: blank entries separate blocks, leading spaces are indentation. */
    static QList<TextLine> fromPlainText(const QStringList &lines)
    {
        QList<TextLine> out;
        bool gap = true;
        int row = 0;
        for (const QString &raw : lines) {
            ++row;
            if (raw.trimmed().isEmpty()) {
                gap = true;
                continue;
            }
            int indent = 0;
            while (indent < raw.size() && raw.at(indent).isSpace())
                ++indent;
            // A character is about half as wide as a line is high; a blank line leaves a gap as on a screen.
            out.append(TextLine { raw.trimmed(), indent, 4 * row, 2, gap });
            gap = false;
        }
        return out;
    }
};
