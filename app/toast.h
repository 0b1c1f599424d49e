// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

class QWidget;

/*!
 * \brief The small panel under the tray icon that lists the latest messages and fades away
 * by itself: where announcements go when desktop notifications cannot be shown.
 *
 * At most six lines; it stays five seconds after the latest one. It never takes focus and
 * stays above other windows. Main thread only. The application sets the anchor, the
 * rectangle to keep clear of and the click action once at launch.
 */
namespace Toast {
/*! Adds a line and shows the panel (unless suspended), restarting the five seconds. */
void show(const QString &text);

/*! The tray icon's rectangle in screen coordinates, or none when it is not known. */
void setAnchor(std::function<std::optional<QRect>()> anchor);
/*! The open list's frame, or none when it is closed: the toast then hangs below the list. */
void setAvoid(std::function<std::optional<QRect>()> avoid);
/*! Run after the user clicked the toast (which hides it first). */
void setOnClick(std::function<void()> onClick);

/*! Hidden at once while true (a screenshot is being taken); lines that remain show again after. */
void setSuspended(bool suspended);

/*! The lines on show, oldest first. */
QStringList lines();
/*! The panel, null before the first message. */
QWidget *panel();

/*! How long things take; tests shorten them. */
struct Timings
{
    std::chrono::milliseconds stay { 5000 };
    std::chrono::milliseconds fadeIn { 200 };
    std::chrono::milliseconds fadeOut { 250 };
};
void setTimings(const Timings &timings);
} // namespace Toast
