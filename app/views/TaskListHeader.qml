// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import Quibly.Views

// What the list shows above the tasks: the waiting line, the capture rows and the empty
// state. A file of its own because Qt 6.4's ListView loses a bound inline header when its
// model changes; the list hands itself over as the owner.
Column {
    id: header

    property TaskList owner
    readonly property bool hasContent: owner !== null
                                       && (owner.queued > 0 || owner.captures.count > 0 || owner.showEmptyState)

    width: owner ? owner.width : 0
    spacing: Style.smallSpacing
    bottomPadding: hasContent && owner.tasks.count > 0 ? Style.smallSpacing : 0

    WaitingLine {
        objectName: "waitingLine"
        visible: header.owner !== null && header.owner.queued > 0
        count: header.owner ? header.owner.queued : 0
        width: parent.width
    }
    Repeater {
        model: header.owner ? header.owner.captures : null

        delegate: CaptureRow {
            required property string captureId
            required property bool failed
            required property string stateText

            showsFailure: failed
            message: stateText
            width: parent.width
            enabled: !header.owner.offline
            onRetryClicked: header.owner.actions.retry(captureId)
            onDeleteClicked: header.owner.actions.deleteCapture(captureId)
        }
    }
    EmptyState {
        objectName: "emptyState"
        visible: header.owner !== null && header.owner.showEmptyState
        width: parent.width
    }
}
