// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import Quibly.Views

// The scrolling part of the popover: the waiting line, the capture rows and the empty state
// above the task rows (open, then done). As high as its content, at most 460.
Item {
    id: list

    required property TaskListModel tasks
    required property CaptureListModel captures
    required property ListActions actions
    property int queued
    property bool offline
    property bool showEmptyState

    // The view is not the file's root: a root object makes its delegates in its user's
    // context, where Qt 6.4 refuses to create bound components.
    readonly property ListView listView: view

    implicitHeight: Math.min(view.contentHeight, Style.listMaxHeight)

    ListView {
        id: view

        anchors.fill: parent
        clip: true
        spacing: Style.smallSpacing
        boundsBehavior: Flickable.StopAtBounds
        model: list.tasks
        reuseItems: false
        // No current item: the list would move focus to it whenever rows come or go,
        // taking it away from the open editor.
        currentIndex: -1
        highlightFollowsCurrentItem: false
        activeFocusOnTab: false
        keyNavigationEnabled: false

        ScrollIndicator.vertical: ScrollIndicator {}

        header: Qt.createComponent(Qt.resolvedUrl("TaskListHeader.qml"))
        onHeaderItemChanged: {
            const header = headerItem as TaskListHeader;
            if (header)
                header.owner = list;
        }

        // A header that grows (a capture arrives) would otherwise push itself above the top
        // of a list that was showing its beginning.
        Connections {
            target: view.headerItem

            function onHeightChanged() {
                if (!view.moving && view.contentY <= view.originY + view.headerItem.height)
                    view.positionViewAtBeginning();
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

            // The editor is loaded from its file: Qt 6.4's Loader cannot make a bound inline component.
            function loadEditor() {
                if (editor)
                    editorLoader.setSource(Qt.resolvedUrl("TaskEditor.qml"), { editor: editor });
            }

            objectName: "task-" + taskId
            width: ListView.view.width
            implicitHeight: editorLoader.item ? editorLoader.implicitHeight : row.implicitHeight
            height: implicitHeight
            onEditorChanged: loadEditor()
            Component.onCompleted: loadEditor()

            TaskRow {
                id: row

                objectName: "taskRow"
                visible: !editorLoader.item
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
                enabled: !list.offline
                opacity: item ? 1 : 0

                Behavior on opacity {
                    NumberAnimation {
                        duration: Style.animationDuration
                        easing.type: Easing.InOutQuad
                    }
                }
            }

            Connections {
                target: editorLoader.item as TaskEditor

                function onImageRequested(captureId: string) {
                    list.actions.requestImage(captureId);
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
}
