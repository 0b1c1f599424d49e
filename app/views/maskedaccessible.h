// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

/*!
 * \brief Keeps what password fields hold away from assistive technology.
 *
 * Qt Quick 6.4 reports a password field's real text as its accessible value and through
 * its text interface, where any accessibility client can read it. Once installed, such
 * fields describe themselves with the masked text they show instead. Accessibility
 * factories are asked in the order they were installed: call this before the first
 * Qt Quick window is created, as the application and the view tests do.
 */
namespace MaskedAccessible {
void install();
}
