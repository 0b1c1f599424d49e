// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QRegion>

struct xcb_connection_t;

/*! \brief Small questions to the X server; all answer "no" outside an X11 session. */
namespace X11 {
/*! Qt's connection to the X server, or null when the session is not X11. */
xcb_connection_t *connection();
/*! The root window of the default screen, or 0. */
quint32 rootWindow();
/*! Whether a compositing manager runs (owns _NET_WM_CM_S<screen>), so translucent windows blend. */
bool compositing();
/*!
 * Whether a pointer button or a key is held down now. While one is, X keeps it grabbed for
 * the window that took the press, so another client's grab of the pointer or keyboard fails.
 */
bool inputHeld();
} // namespace X11
