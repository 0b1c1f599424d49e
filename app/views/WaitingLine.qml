// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// How many screenshots still wait on disk for their upload.
Control {
    id: line

    property int count

    padding: Style.spacing

    contentItem: RowLayout {
        spacing: 6

        Symbol {
            symbol: "tray-arrow-up"
            color: Style.secondary(line.palette.windowText)
        }
        Label {
            objectName: "waitingText"
            text: qsTrId("list.waiting", line.count)
            color: Style.secondary(line.palette.windowText)
            font.pixelSize: Style.bodyFontSize
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
    }
    Accessible.role: Accessible.StaticText
    Accessible.name: qsTrId("list.waiting", count)
}
