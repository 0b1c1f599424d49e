// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Shapes

// A capture the service has not turned into tasks yet: being read (a spinner), or failed
// (a warning with retry and delete). Disabled as a whole while offline.
Control {
    id: row

    property bool showsFailure
    property string message

    signal retryClicked
    signal deleteClicked

    padding: Style.rowPadding

    Accessible.role: Accessible.Grouping
    Accessible.name: message

    background: Shape {
        // Antialiased dashes; the software renderer draws them directly.
        ShapePath {
            strokeWidth: 1
            strokeColor: Style.withAlpha(row.palette.windowText, 0.4 * 0.6)
            strokeStyle: ShapePath.DashLine
            dashPattern: [4, 4]
            capStyle: ShapePath.FlatCap
            fillColor: "transparent"
            startX: 0.5 + Style.rowRadius
            startY: 0.5

            PathLine { x: row.width - 0.5 - Style.rowRadius; y: 0.5 }
            PathArc { x: row.width - 0.5; y: 0.5 + Style.rowRadius; radiusX: Style.rowRadius; radiusY: Style.rowRadius }
            PathLine { x: row.width - 0.5; y: row.height - 0.5 - Style.rowRadius }
            PathArc { x: row.width - 0.5 - Style.rowRadius; y: row.height - 0.5; radiusX: Style.rowRadius; radiusY: Style.rowRadius }
            PathLine { x: 0.5 + Style.rowRadius; y: row.height - 0.5 }
            PathArc { x: 0.5; y: row.height - 0.5 - Style.rowRadius; radiusX: Style.rowRadius; radiusY: Style.rowRadius }
            PathLine { x: 0.5; y: 0.5 + Style.rowRadius }
            PathArc { x: 0.5 + Style.rowRadius; y: 0.5; radiusX: Style.rowRadius; radiusY: Style.rowRadius }
        }
    }

    contentItem: RowLayout {
        spacing: Style.spacing

        BusyIndicator {
            visible: !row.showsFailure
            running: visible
            implicitWidth: 18
            implicitHeight: 18
            padding: 0
            Accessible.ignored: true
        }
        Symbol {
            visible: row.showsFailure
            symbol: "exclamation-triangle-fill"
            color: Style.orange
        }
        Label {
            objectName: "stateText"
            text: row.message
            font.pixelSize: Style.bodyFontSize
            color: row.showsFailure ? row.palette.windowText : Style.secondary(row.palette.windowText)
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        IconButton {
            objectName: "retryButton"
            visible: row.showsFailure
            text: qsTrId("list.retry")
            onClicked: row.retryClicked()
        }
        IconButton {
            objectName: "deleteButton"
            visible: row.showsFailure
            text: qsTrId("list.delete")
            palette.buttonText: Style.red
            onClicked: row.deleteClicked()
        }
    }
}
