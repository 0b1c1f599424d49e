// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quibly.Views

// The content of the popover under the tray icon: header, problem line, new-task field,
// the list (waiting screenshots, captures being read, open tasks, done tasks) and the
// footer. Its implicit height is the window's height; the list scrolls past 460.
Pane {
    id: root

    // What the buttons do; the application connects to the request signals.
    property ListActions actions: ListActions {
        store: Store
    }

    property bool adding: false
    property string newTitle: ""

    readonly property TaskListModel tasks: TaskListModel {
        store: Store
    }
    readonly property CaptureListModel captures: CaptureListModel {
        store: Store
    }
    readonly property bool showEmptyState: Store.loaded && tasks.openCount === 0 && captures.count === 0
                                           && Store.queued === 0

    // The controls take the system's palette as it is now (light or dark), not as it was
    // when Qt Quick Controls started.
    palette.window: Style.system.window
    palette.windowText: Style.system.windowText
    palette.base: Style.system.base
    palette.alternateBase: Style.system.alternateBase
    palette.text: Style.system.text
    palette.button: Style.system.button
    palette.buttonText: Style.system.buttonText
    palette.highlight: Style.system.highlight
    palette.highlightedText: Style.system.highlightedText
    palette.light: Style.system.light
    palette.midlight: Style.system.midlight
    palette.mid: Style.system.mid
    palette.dark: Style.system.dark
    palette.shadow: Style.system.shadow

    padding: Style.popoverPadding
    implicitWidth: Style.popoverWidth
    width: Style.popoverWidth

    function addTask() {
        if (!actions.add(newTitle))
            return;
        newTitle = "";
        adding = false;
    }

    onAddingChanged: {
        if (adding)
            newTitleField.forceActiveFocus();
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: Style.spacing

        RowLayout {
            objectName: "header"
            spacing: Style.smallSpacing
            Layout.fillWidth: true

            Label {
                text: qsTrId("list.title")
                font.pixelSize: Style.titleFontSize
                font.bold: true
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Item {
                Layout.fillWidth: true
            }
            IconButton {
                objectName: "captureButton"
                symbol: "viewfinder"
                text: qsTrId("list.capture")
                toolTipText: text
                font.weight: Font.DemiBold
                onClicked: root.actions.requestCapture()
            }
            IconButton {
                objectName: "addButton"
                symbol: root.adding ? "xmark" : "plus"
                text: qsTrId("list.add")
                display: AbstractButton.IconOnly
                font.weight: Font.DemiBold
                enabled: !Store.offline
                onClicked: root.adding = !root.adding
            }
        }

        ProblemLine {
            objectName: "problemLine"
            visible: Store.problem.length > 0
            text: Store.problem
            Layout.fillWidth: true
        }

        // The new-task field slides in from the top as it fades in.
        Item {
            objectName: "addArea"
            clip: true
            visible: implicitHeight > 0
            implicitHeight: root.adding ? newTitleField.implicitHeight : 0
            opacity: root.adding ? 1 : 0
            Layout.fillWidth: true
            Layout.preferredHeight: implicitHeight

            Behavior on implicitHeight {
                NumberAnimation {
                    duration: Style.animationDuration
                    easing.type: Easing.InOutQuad
                }
            }
            Behavior on opacity {
                NumberAnimation {
                    duration: Style.animationDuration
                    easing.type: Easing.InOutQuad
                }
            }

            TextField {
                id: newTitleField

                objectName: "newTitleField"
                width: parent.width
                y: parent.height - height
                enabled: root.adding
                text: root.newTitle
                placeholderText: qsTrId("list.new_task")
                font.pixelSize: Style.fieldFontSize
                Accessible.name: qsTrId("list.new_task")
                onTextEdited: root.newTitle = text
                onAccepted: root.addTask()
                Keys.onEscapePressed: root.adding = false
            }
        }

        TaskList {
            objectName: "taskList"
            tasks: root.tasks
            captures: root.captures
            actions: root.actions
            queued: Store.queued
            offline: Store.offline
            showEmptyState: root.showEmptyState
            Layout.fillWidth: true
            Layout.preferredHeight: implicitHeight
            // Hiding it would hide what gives it height: an empty list takes back its gap instead.
            Layout.topMargin: implicitHeight > 0 ? 0 : -Style.spacing
        }

        MenuSeparator {
            padding: 0
            Layout.fillWidth: true
        }

        RowLayout {
            objectName: "footer"
            Layout.fillWidth: true

            IconButton {
                objectName: "doneToggle"
                visible: root.tasks.doneCount > 0
                symbol: root.tasks.showDone ? "chevron-down" : "chevron-right"
                text: qsTrId("list.done_section", root.tasks.doneCount)
                flat: true
                Accessible.role: Accessible.CheckBox
                Accessible.checkable: true
                Accessible.checked: root.tasks.showDone
                onClicked: root.tasks.showDone = !root.tasks.showDone
            }
            Item {
                Layout.fillWidth: true
            }
            IconButton {
                objectName: "settingsButton"
                text: qsTrId("list.settings")
                flat: true
                onClicked: root.actions.requestSettings()
            }
            IconButton {
                objectName: "quitButton"
                text: qsTrId("list.quit")
                flat: true
                onClicked: root.actions.quit()
            }
        }
    }
}
