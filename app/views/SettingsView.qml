// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quibly.Views

// The content of the settings window: a grouped form, 460 wide, as high as its rows. Every
// change is written at once by SettingsForm; there is nothing to save or cancel.
Pane {
    id: root

    required property SettingsForm form

    implicitWidth: 460
    padding: 20
    font.pixelSize: Style.bodyFontSize

    Component.onCompleted: root.form.checkConnection()

    // Each opening of the window asks the service again.
    Connections {
        target: root.Window.window
        ignoreUnknownSignals: true
        function onVisibleChanged() {
            if (root.Window.window && root.Window.window.visible)
                root.form.checkConnection();
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 14

        SettingsSection {
            Layout.fillWidth: true

            RowLayout {
                Label {
                    Layout.fillWidth: true
                    text: qsTrId("settings.capture_hotkey")
                    wrapMode: Text.Wrap
                }
                HotkeyRecorder {
                    objectName: "captureRecorder"
                    recorder: root.form.captureRecorder
                    label: qsTrId("settings.capture_hotkey")
                }
            }
            RowLayout {
                Label {
                    Layout.fillWidth: true
                    text: qsTrId("settings.list_hotkey")
                    wrapMode: Text.Wrap
                }
                HotkeyRecorder {
                    objectName: "listRecorder"
                    recorder: root.form.listRecorder
                    label: qsTrId("settings.list_hotkey")
                }
            }
        }

        SettingsSection {
            Layout.fillWidth: true

            RowLayout {
                Label {
                    Layout.fillWidth: true
                    text: qsTrId("settings.left_click")
                    wrapMode: Text.Wrap
                }
                SegmentedChoice {
                    objectName: "leftClickChoice"
                    readonly property var values: ["list", "capture"]
                    label: qsTrId("settings.left_click")
                    options: [qsTrId("settings.left_click.list"), qsTrId("settings.left_click.capture")]
                    currentIndex: values.indexOf(root.form.leftClick)
                    onActivated: index => root.form.leftClick = values[index]
                }
            }
            Label {
                Layout.fillWidth: true
                Layout.topMargin: -Style.spacing + 2
                text: qsTrId("settings.right_click_hint")
                font.pixelSize: Style.metaFontSize
                color: Style.secondary(root.palette.windowText)
                wrapMode: Text.Wrap
            }
            RowLayout {
                Label {
                    Layout.fillWidth: true
                    text: qsTrId("settings.task_language")
                    wrapMode: Text.Wrap
                }
                SegmentedChoice {
                    objectName: "languageChoice"
                    readonly property var values: ["uk", "en"]
                    label: qsTrId("settings.task_language")
                    options: [qsTrId("language.uk"), qsTrId("language.en")]
                    currentIndex: values.indexOf(root.form.taskLanguage)
                    onActivated: index => root.form.taskLanguage = values[index]
                }
            }
        }

        SettingsSection {
            Layout.fillWidth: true

            Label {
                text: qsTrId("settings.server")
            }
            TextField {
                objectName: "serverField"
                Layout.fillWidth: true
                text: root.form.serverUrl
                placeholderText: root.form.serverPlaceholder
                inputMethodHints: Qt.ImhUrlCharactersOnly | Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                selectByMouse: true
                Accessible.name: qsTrId("settings.server")
                onTextEdited: root.form.serverUrl = text
            }
            Label {
                text: qsTrId("settings.access_key")
            }
            TextField {
                objectName: "accessKeyField"
                Layout.fillWidth: true
                // The key is never shown, copied or read out: a password field allows none of it.
                echoMode: TextInput.Password
                text: root.form.accessKey
                inputMethodHints: Qt.ImhSensitiveData | Qt.ImhNoPredictiveText | Qt.ImhHiddenText
                selectByMouse: true
                Accessible.name: qsTrId("settings.access_key")
                Accessible.passwordEdit: true
                onTextEdited: root.form.accessKey = text
            }
            Label {
                objectName: "connectionLine"
                Layout.fillWidth: true
                text: root.form.connectionText
                visible: text !== ""
                wrapMode: Text.Wrap
                font.pixelSize: Style.metaFontSize
                color: root.form.connection === SettingsForm.Failed ? Style.red
                     : root.form.connection === SettingsForm.Connected ? root.palette.windowText
                     : Style.secondary(root.palette.windowText)
            }
        }

        SettingsSection {
            Layout.fillWidth: true

            RowLayout {
                Label {
                    Layout.fillWidth: true
                    text: qsTrId("settings.launch_at_login")
                    wrapMode: Text.Wrap
                }
                Switch {
                    id: launchSwitch
                    objectName: "launchSwitch"
                    checked: root.form.startAtLogin
                    Accessible.name: qsTrId("settings.launch_at_login")
                    onToggled: {
                        root.form.startAtLogin = checked;
                        // A switch that could not be set turns back.
                        checked = Qt.binding(() => root.form.startAtLogin);
                    }
                    HoverHandler {
                        cursorShape: Qt.PointingHandCursor
                    }
                }
            }
            Label {
                objectName: "launchError"
                Layout.fillWidth: true
                text: root.form.startAtLoginError
                visible: text !== ""
                wrapMode: Text.Wrap
                font.pixelSize: Style.metaFontSize
                color: Style.red
            }
        }
    }
}
