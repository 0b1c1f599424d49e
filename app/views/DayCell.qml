// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls

// One day of the date picker's month: the chosen day filled, today in the accent colour,
// the keyboard's day ringed, days of the neighbouring months faint.
Label {
    id: cell

    property int day
    property bool today
    property bool inMonth: true
    property bool chosen
    property bool underCursor

    text: day
    font.bold: today
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    topPadding: 5
    bottomPadding: 5
    leftPadding: 7
    rightPadding: 7
    opacity: inMonth ? 1 : 0.4
    color: chosen ? palette.highlightedText : today ? palette.highlight : palette.windowText

    background: Rectangle {
        radius: height / 2
        color: cell.chosen ? cell.palette.highlight : "transparent"
        border.width: cell.underCursor ? 2 : 0
        border.color: cell.chosen ? cell.palette.highlightedText : cell.palette.highlight
    }
}
