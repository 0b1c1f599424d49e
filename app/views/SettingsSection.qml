// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quibly.Views

// One group of the settings form: rows on a softly outlined, rounded card.
Pane {
    id: section

    default property alias rows: column.data
    readonly property bool dark: palette.window.hslLightness < 0.5

    topPadding: Style.spacing
    bottomPadding: Style.spacing
    leftPadding: Style.popoverPadding
    rightPadding: Style.popoverPadding

    background: Rectangle {
        radius: Style.rowRadius
        color: Style.withAlpha(section.palette.windowText, section.dark ? 0.07 : 0.035)
        border.width: 1
        border.color: Style.withAlpha(section.palette.windowText, section.dark ? 0.16 : 0.12)
    }

    // A Pane with a single child takes that child's size as its own.
    ColumnLayout {
        id: column

        anchors.fill: parent
        spacing: Style.spacing
    }
}
