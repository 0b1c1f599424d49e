// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

/*!
 * Names shared by the application and quiblyctl, so that both read and write the same
 * settings file and data directory.
 */
namespace AppIdentity {
/*! Sets organisation and application name "Quibly" and the desktop file name. Call right after creating the application
 * object. */
void apply();
} // namespace AppIdentity
