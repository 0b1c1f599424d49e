// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts

// The Store's current problem, as it wrote it.
RowLayout {
    id: line

    property string text

    spacing: 6

    Symbol {
        symbol: "wifi-exclamation"
        color: Style.orange
        Layout.alignment: Qt.AlignTop
        Layout.topMargin: 1
    }
    PlainLabel {
        objectName: "problemText"
        text: line.text
        color: Style.orange
        font.pixelSize: Style.bodyFontSize
        font.weight: Font.DemiBold
        wrapMode: Text.Wrap
        Layout.fillWidth: true
        Accessible.role: Accessible.AlertMessage
        Accessible.name: text
    }
}
