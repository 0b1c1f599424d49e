// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls

// Text that came from the service or the user: shown as typed, never as markup.
Label {
    textFormat: Text.PlainText
}
