// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quibly.Views

// A button that shows a global hot key; clicked, it records the next combination pressed.
// The recording itself (which keys count, Escape, swallowing every press) is KeyRecorder's.
ColumnLayout {
    id: root

    required property KeyRecorder recorder
    // What the hot key does, for the screen reader.
    property string label

    spacing: 2

    Button {
        id: button

        objectName: "recorderButton"
        Layout.alignment: Qt.AlignRight
        Layout.preferredWidth: Math.max(implicitWidth, 132)
        Layout.minimumWidth: implicitWidth
        text: root.recorder.recording ? qsTrId("settings.press_keys") : root.recorder.text
        highlighted: root.recorder.recording
        focusPolicy: Qt.StrongFocus
        font.pixelSize: Style.bodyFontSize

        Accessible.name: root.label
        Accessible.description: root.recorder.recording ? qsTrId("settings.press_keys") : root.recorder.desktopText
        ToolTip.text: qsTrId("settings.recorder_hint")
        ToolTip.visible: hovered && !root.recorder.recording
        ToolTip.delay: Style.toolTipDelay

        onClicked: {
            forceActiveFocus();
            root.recorder.toggle();
        }
        // Recording ends with the focus, so the grabs never stay suspended behind the user's back.
        onActiveFocusChanged: {
            if (!activeFocus)
                root.recorder.stop();
        }

        HoverHandler {
            cursorShape: Qt.PointingHandCursor
        }
    }

    Label {
        objectName: "desktopText"
        Layout.alignment: Qt.AlignRight
        text: root.recorder.desktopText
        font.pixelSize: Style.metaFontSize
        color: Style.secondary(button.palette.windowText)
        visible: !root.recorder.recording
    }

    Label {
        objectName: "note"
        Layout.alignment: Qt.AlignRight
        Layout.maximumWidth: 260
        horizontalAlignment: Text.AlignRight
        text: root.recorder.note
        font.pixelSize: Style.metaFontSize
        color: Style.orange
        wrapMode: Text.Wrap
        visible: text !== ""
    }
}
