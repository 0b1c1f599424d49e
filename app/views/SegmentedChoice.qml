// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// A choice of one among a few options, as joined segments. One Tab stop for the whole
// row; the arrow keys (and Home/End) move the choice, as in a group of radio buttons.
Control {
    id: root

    // The group's name for the screen reader, like the label beside it.
    property string label
    // The segments' texts, in order.
    property var options: []
    property int currentIndex: -1

    // The user picked `index` (not sent when currentIndex is set from outside).
    signal activated(int index)

    function choose(index: int) {
        if (!enabled || index < 0 || index >= options.length || index === currentIndex)
            return;
        currentIndex = index;
        activated(index);
    }

    readonly property real segmentWidth: {
        let widest = 0;
        for (const option of options)
            widest = Math.max(widest, metrics.advanceWidth(option));
        return Math.ceil(widest) + 2 * 12;
    }

    focusPolicy: Qt.TabFocus
    font.pixelSize: Style.bodyFontSize
    implicitWidth: options.length * segmentWidth
    implicitHeight: Math.max(26, Math.ceil(metrics.height) + 10)

    Accessible.role: Accessible.Grouping
    Accessible.name: label

    Keys.onLeftPressed: choose(currentIndex + (mirrored ? 1 : -1))
    Keys.onRightPressed: choose(currentIndex + (mirrored ? -1 : 1))
    Keys.onUpPressed: choose(currentIndex - 1)
    Keys.onDownPressed: choose(currentIndex + 1)
    Keys.onPressed: event => {
        if (event.key === Qt.Key_Home) {
            choose(0);
            event.accepted = true;
        } else if (event.key === Qt.Key_End) {
            choose(options.length - 1);
            event.accepted = true;
        }
    }

    FontMetrics {
        id: metrics
        font: root.font
    }

    background: Rectangle {
        radius: Style.fieldRadius
        color: root.palette.button
        border.width: root.visualFocus ? 2 : 1
        border.color: root.visualFocus ? root.palette.highlight : Style.withAlpha(root.palette.windowText, 0.25)
    }

    contentItem: RowLayout {
        spacing: 0

        Repeater {
            model: root.options

            delegate: Segment {
                required property string modelData
                required property int index

                objectName: "segment" + index
                text: modelData
                font: root.font
                chosen: index === root.currentIndex
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredWidth: root.segmentWidth
                Layout.margins: 2
                onClicked: root.choose(index)
                Accessible.onPressAction: root.choose(index)
            }
        }
    }
}
