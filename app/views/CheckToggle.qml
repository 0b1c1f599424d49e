// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls

// The round check button of a task row: an empty circle while open, a filled check when done.
AbstractButton {
    id: check

    property bool done
    property color symbolColor
    property string accessibleName

    focusPolicy: Qt.StrongFocus
    implicitWidth: Style.checkSize + 4
    implicitHeight: Style.checkSize + 4

    Accessible.role: Accessible.CheckBox
    Accessible.name: accessibleName
    Accessible.checkable: true
    Accessible.checked: done
    Accessible.onPressAction: clicked()
    Accessible.onToggleAction: clicked()

    contentItem: Symbol {
        symbol: check.done ? "checkmark-circle-fill" : "circle"
        size: Style.checkSize
        color: check.symbolColor
        opacity: check.enabled ? (check.pressed ? 0.6 : 1) : 0.45
    }
    background: Rectangle {
        radius: width / 2
        color: "transparent"
        border.width: check.visualFocus ? 2 : 0
        border.color: check.palette.highlight
    }
    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }
}
