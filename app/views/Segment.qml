// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls

// One segment of a SegmentedChoice: a radio button drawn as part of a joined row.
AbstractButton {
    id: segment

    property bool chosen

    focusPolicy: Qt.NoFocus
    hoverEnabled: true

    Accessible.role: Accessible.RadioButton
    Accessible.name: text
    Accessible.checkable: true
    Accessible.checked: chosen

    contentItem: Text {
        text: segment.text
        font: segment.font
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        color: segment.chosen ? segment.palette.highlightedText : segment.palette.buttonText
        opacity: segment.enabled ? 1 : 0.5
    }

    background: Rectangle {
        radius: Style.fieldRadius - 2
        color: segment.chosen ? segment.palette.highlight
                              : (segment.hovered ? Style.withAlpha(segment.palette.windowText, 0.08) : "transparent")

        Behavior on color {
            ColorAnimation {
                duration: Style.animationDuration / 2
            }
        }
    }

    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }
}
