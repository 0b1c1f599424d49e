// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.impl

// One of our symbols (resources/icons/<name>.svg), drawn in a single colour.
IconImage {
    id: icon

    property string symbol
    property int size: Style.iconSize

    sourceSize.width: size
    sourceSize.height: size
    source: symbol.length > 0 ? Qt.resolvedUrl("icons/" + symbol + ".svg") : ""
    color: palette.windowText
    fillMode: Image.PreserveAspectFit
    Accessible.ignored: true
}
