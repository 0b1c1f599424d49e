// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

class QCoreApplication;

/*!
 * \brief Quits the event loop on SIGTERM, SIGINT and SIGHUP, as the Quit action does.
 *
 * A session ending sends SIGTERM; handled, the application still finishes a screenshot it was
 * writing and ends its requests instead of vanishing mid-way. A second signal, while the first
 * quit is still under way, ends the process at once. Does nothing where there are no such signals.
 */
namespace QuitSignals {
void install(QCoreApplication *app);
}
