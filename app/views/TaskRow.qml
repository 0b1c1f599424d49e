// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// One task: the check toggle in its priority's colour, the title, and the deadline with the
// source. A click anywhere but on the toggle opens the task.
AbstractButton {
    id: row

    property string title
    property bool done
    property int priority: 1
    property bool urgent
    property string deadlineText
    property string source
    // A spoken line with the priority and the deadline.
    property string summary
    // False while offline: the toggle is inert; the row still opens.
    property bool interactive: true

    signal toggled
    signal opened

    readonly property color priorityColor: priority === 0 ? Style.red : priority === 1 ? Style.orange : Style.gray
    readonly property color secondaryColor: Style.secondary(palette.windowText)

    padding: Style.rowPadding
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus
    onClicked: opened()
    Keys.onReturnPressed: opened()
    Keys.onEnterPressed: opened()

    Accessible.role: Accessible.Button
    Accessible.name: title
    Accessible.description: summary
    Accessible.onPressAction: opened()

    background: Rectangle {
        radius: Style.rowRadius
        color: Style.withAlpha(row.palette.windowText, row.hovered ? 0.08 : 0.05)
        border.width: row.visualFocus ? 2 : 0
        border.color: row.palette.highlight
    }

    contentItem: RowLayout {
        spacing: Style.spacing

        CheckToggle {
            objectName: "checkToggle"
            enabled: row.interactive
            done: row.done
            symbolColor: row.priorityColor
            accessibleName: (row.done ? qsTrId("list.mark_open") : qsTrId("list.mark_done")) + ": " + row.title
            Layout.alignment: Qt.AlignTop
            onClicked: row.toggled()
        }

        ColumnLayout {
            spacing: 3
            Layout.fillWidth: true

            PlainLabel {
                objectName: "titleText"
                text: row.title
                font.pixelSize: Style.fieldFontSize
                font.weight: Font.DemiBold
                font.strikeout: row.done
                color: row.done ? row.secondaryColor : row.palette.windowText
                wrapMode: Text.Wrap
                maximumLineCount: 3
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
            RowLayout {
                spacing: 0
                Layout.fillWidth: true

                Label {
                    objectName: "deadlineText"
                    text: row.deadlineText
                    font.pixelSize: Style.metaFontSize
                    font.weight: row.urgent ? Font.DemiBold : Font.Normal
                    color: row.urgent ? Style.red : row.secondaryColor
                }
                PlainLabel {
                    objectName: "sourceText"
                    visible: row.source.length > 0
                    text: " · " + row.source
                    font.pixelSize: Style.metaFontSize
                    color: row.secondaryColor
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                }
                Item {
                    visible: row.source.length === 0
                    Layout.fillWidth: true
                }
            }
        }
    }

    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }
}
