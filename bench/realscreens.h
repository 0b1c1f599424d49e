// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "todoscreens.h"

/*!
 * Screenshots of whole application windows as users capture them: a team chat and a family
 * messenger, webmail with action items, kanban boards, an issue with a task list, a dark notes
 * app, todo.txt in a terminal, a text editor with a "Done:" section, a spreadsheet of tasks, a
 * code editor with TODO comments, a calendar with a task panel, a sign-up form, meeting notes;
 * in English and Ukrainian, with browser chrome or as a captured region, at 1× and 2×. Each
 * screen names its kind so that figures can be given per kind, and the screen furniture that
 * must not become a task. Pages are written as HTML and laid out by Qt's rich-text engine.
 */
namespace RealScreens {
/*! Renders every screen (needs a QGuiApplication for the fonts). */
QList<TodoScreens::Screen> all();
} // namespace RealScreens
