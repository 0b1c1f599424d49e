// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls

// A push button with one of our symbols. Its text is the tooltip and the accessible name,
// and shows beside the symbol unless `display` is AbstractButton.IconOnly.
Button {
    id: control

    property string symbol
    property color symbolColor: control.palette.buttonText
    property int symbolSize: Style.iconSize

    icon.source: symbol.length > 0 ? Qt.resolvedUrl("icons/" + symbol + ".svg") : ""
    icon.width: symbolSize
    icon.height: symbolSize
    icon.color: enabled ? symbolColor : Style.tertiary(symbolColor)
    font.pixelSize: Style.bodyFontSize
    // An icon alone makes a square button rather than one as wide as a word.
    implicitWidth: display === AbstractButton.IconOnly
                   ? implicitHeight
                   : Math.max(implicitBackgroundWidth + leftInset + rightInset,
                              implicitContentWidth + leftPadding + rightPadding)

    // Shown on hover; an icon-only button explains itself with its text.
    property string toolTipText: display === AbstractButton.IconOnly ? text : ""

    ToolTip.visible: hovered && toolTipText.length > 0
    ToolTip.text: toolTipText
    ToolTip.delay: Style.toolTipDelay
    Accessible.name: text

    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }
}
