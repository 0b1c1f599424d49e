// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quibly.Views

// The inline editor of one open task, over its working copy (TaskEditorState). It closes
// when the service accepted a save or a delete; until then the user's edits stay.
Pane {
    id: root

    required property TaskEditorState editor

    signal imageRequested(string captureId)

    objectName: "taskEditor"
    padding: Style.editorPadding
    font.pixelSize: Style.bodyFontSize

    Keys.onReturnPressed: root.editor.save()
    Keys.onEnterPressed: root.editor.save()

    background: Rectangle {
        radius: Style.editorRadius
        color: root.palette.base
        border.width: 2
        border.color: Style.withAlpha(root.palette.highlight, 0.5)
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: Style.spacing

        TextField {
            id: titleField

            objectName: "titleField"
            text: root.editor.title
            placeholderText: qsTrId("editor.title")
            font.pixelSize: Style.fieldFontSize
            font.weight: Font.DemiBold
            Layout.fillWidth: true
            // Return reaches the editor, which saves.
            onTextEdited: root.editor.title = text
            Accessible.name: qsTrId("editor.title")
            Component.onCompleted: forceActiveFocus()
        }

        DescriptionBox {
            objectName: "descriptionBox"
            text: root.editor.details
            Layout.fillWidth: true
            onEdited: text => root.editor.details = text
        }

        RowLayout {
            spacing: Style.spacing
            Layout.fillWidth: true

            CheckBox {
                objectName: "deadlineCheck"
                text: qsTrId("editor.deadline")
                checked: root.editor.hasDeadline
                onToggled: root.editor.hasDeadline = checked
                padding: 0
            }
            DatePicker {
                objectName: "datePicker"
                visible: root.editor.hasDeadline
                year: root.editor.year
                month: root.editor.month
                day: root.editor.day
                text: root.editor.dayText
                language: root.editor.language
                onPicked: (year, month, day) => root.editor.setDate(year, month, day)
            }
            CheckBox {
                objectName: "timeCheck"
                visible: root.editor.hasDeadline
                text: qsTrId("editor.time")
                checked: root.editor.hasTime
                onToggled: root.editor.hasTime = checked
                padding: 0
            }
            TimePicker {
                objectName: "timePicker"
                visible: root.editor.hasDeadline && root.editor.hasTime
                hour: root.editor.hour
                minute: root.editor.minute
                text: root.editor.timeText
                uses24Hour: root.editor.uses24Hour
                onPicked: (hour, minute) => root.editor.setTime(hour, minute)
            }
            Item {
                Layout.fillWidth: true
            }
        }

        RowLayout {
            spacing: Style.spacing
            Layout.fillWidth: true

            Label {
                text: qsTrId("editor.priority")
            }
            SegmentedChoice {
                objectName: "priorityChoice"
                label: qsTrId("editor.priority")
                options: root.editor.priorityNames
                currentIndex: root.editor.priority
                onActivated: index => root.editor.priority = index
            }
            Item {
                Layout.fillWidth: true
            }
        }

        RowLayout {
            visible: root.editor.captureId.length > 0
            spacing: Style.spacing
            Layout.fillWidth: true

            AbstractButton {
                id: thumbnailButton

                objectName: "thumbnailButton"
                implicitWidth: 64
                implicitHeight: 40
                focusPolicy: Qt.StrongFocus
                onClicked: root.imageRequested(root.editor.captureId)
                ToolTip.visible: hovered
                ToolTip.text: qsTrId("editor.open_image")
                ToolTip.delay: Style.toolTipDelay
                Accessible.role: Accessible.Button
                Accessible.name: qsTrId("editor.open_image")
                Accessible.onPressAction: root.imageRequested(root.editor.captureId)

                contentItem: Thumbnail {
                    image: root.editor.thumbnail
                    radius: Style.fieldRadius
                    placeholder: Style.withAlpha(Style.secondary(root.palette.windowText), 0.15)
                }
                background: Rectangle {
                    radius: Style.fieldRadius
                    color: "transparent"
                    border.width: thumbnailButton.visualFocus ? 2 : 0
                    border.color: root.palette.highlight
                }
                HoverHandler {
                    cursorShape: Qt.PointingHandCursor
                }
            }
            PlainLabel {
                objectName: "sourceText"
                visible: text.length > 0
                text: root.editor.sourceText
                font.pixelSize: Style.metaFontSize
                color: Style.secondary(root.palette.windowText)
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
            Item {
                visible: root.editor.sourceText.length === 0
                Layout.fillWidth: true
            }
        }

        RowLayout {
            Layout.fillWidth: true

            IconButton {
                objectName: "deleteButton"
                text: qsTrId("editor.delete")
                palette.buttonText: Style.red
                onClicked: root.editor.remove()
            }
            Item {
                Layout.fillWidth: true
            }
            IconButton {
                objectName: "doneButton"
                text: qsTrId("editor.done")
                highlighted: true
                onClicked: root.editor.save()
            }
        }
    }
}
