// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import Quibly.Views

// The scrolling part of the popover: the waiting line, the capture rows and the empty state
// above the task rows (open, then done). As high as its content, at most 460.
ListView {
    id: list

    required property TaskListModel tasks
    required property CaptureListModel captures
    required property ListActions actions
    property int queued
    property bool offline
    property bool showEmptyState

    implicitHeight: Math.min(contentHeight, Style.listMaxHeight)
    clip: true
    spacing: Style.smallSpacing
    boundsBehavior: Flickable.StopAtBounds
    model: tasks
    reuseItems: false
    activeFocusOnTab: false
    keyNavigationEnabled: false

    ScrollIndicator.vertical: ScrollIndicator {}

    header: Column {
        width: ListView.view.width
        spacing: Style.smallSpacing
        bottomPadding: height > 0 && list.count > 0 ? Style.smallSpacing : 0

        WaitingLine {
            objectName: "waitingLine"
            visible: list.queued > 0
            count: list.queued
            width: parent.width
        }
        Repeater {
            model: list.captures

            delegate: CaptureRow {
                required property string captureId
                required property bool failed
                required property string stateText

                width: parent.width
                enabled: !list.offline
                onRetryClicked: list.actions.retry(captureId)
                onDeleteClicked: list.actions.deleteCapture(captureId)
            }
        }
        EmptyState {
            objectName: "emptyState"
            visible: list.showEmptyState
            width: parent.width
        }
    }

    delegate: Item {
        id: entry

        required property string taskId
        required property string title
        required property int priority
        required property bool urgent
        required property string deadlineText
        required property string source
        required property bool done
        required property bool expanded
        required property string summary

        readonly property TaskEditorState editor: expanded ? list.tasks.editor : null

        objectName: "task-" + taskId
        width: ListView.view.width
        implicitHeight: editorLoader.active ? editorLoader.implicitHeight : row.implicitHeight
        height: implicitHeight

        TaskRow {
            id: row

            objectName: "taskRow"
            visible: !editorLoader.active
            width: parent.width
            title: entry.title
            done: entry.done
            priority: entry.priority
            urgent: entry.urgent
            deadlineText: entry.deadlineText
            source: entry.source
            summary: entry.summary
            interactive: !list.offline
            onToggled: list.actions.setDone(entry.taskId, !entry.done)
            onOpened: {
                if (!entry.done)
                    list.tasks.expand(entry.taskId);
            }
        }

        Loader {
            id: editorLoader

            active: entry.editor !== null
            width: parent.width
            opacity: 0
            onLoaded: opacity = 1

            Behavior on opacity {
                NumberAnimation {
                    duration: Style.animationDuration
                    easing.type: Easing.InOutQuad
                }
            }

            sourceComponent: TaskEditor {
                objectName: "taskEditor"
                editor: entry.editor as TaskEditorState
                enabled: !list.offline
                onImageRequested: captureId => list.actions.requestImage(captureId)
            }
        }
    }

    add: Transition {
        NumberAnimation {
            property: "opacity"
            from: 0
            to: 1
            duration: Style.animationDuration
            easing.type: Easing.InOutQuad
        }
    }
    remove: Transition {
        NumberAnimation {
            property: "opacity"
            to: 0
            duration: Style.animationDuration
            easing.type: Easing.InOutQuad
        }
    }
    displaced: Transition {
        NumberAnimation {
            property: "y"
            duration: Style.animationDuration
            easing.type: Easing.InOutQuad
        }
    }
    move: Transition {
        NumberAnimation {
            property: "y"
            duration: Style.animationDuration
            easing.type: Easing.InOutQuad
        }
    }
}
