// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "textline.h"

#include <QList>
#include <QString>

/*!
 * Reads the layout of a screenshot's lines before task extraction: drops the furniture of
 * windows and pages (browser tabs and addresses, navigation side bars, buttons, placeholders,
 * shell prompts, status bars, "2 days ago" stamps) and turns the rows of a table of tasks into
 * list items, leaving out the rows whose status says they are done. Pure and thread-safe.
 */
namespace LayoutAnalysis {
QList<TextLine> analyse(const QList<TextLine> &lines);

/*! Whether a line on its own is furniture whatever its place: an address, a button row, a prompt, a stamp. */
bool isFurniture(const QString &text);
} // namespace LayoutAnalysis
