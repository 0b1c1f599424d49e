// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// A button with the chosen time of day that opens hour and minute boxes (with AM and PM
// where the interface language counts 12 hours). Up and Down step, Tab moves on, Return
// or Escape closes; every change applies at once.
Button {
    id: picker

    property int hour
    property int minute
    property bool uses24Hour: true

    signal picked(int hour, int minute)

    font.pixelSize: Style.bodyFontSize
    Accessible.name: qsTrId("editor.time") + ": " + text
    onClicked: popup.open()

    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }

    Popup {
        id: popup

        objectName: "timePopup"
        y: picker.height + 4
        padding: 8
        focus: true
        onOpened: hours.forceActiveFocus()

        RowLayout {
            spacing: 4
            Keys.onReturnPressed: popup.close()
            Keys.onEnterPressed: popup.close()

            SpinBox {
                id: hours

                objectName: "hourBox"
                editable: true
                wrap: true
                from: picker.uses24Hour ? 0 : 1
                to: picker.uses24Hour ? 23 : 12
                value: picker.uses24Hour ? picker.hour : (picker.hour % 12 === 0 ? 12 : picker.hour % 12)
                textFromValue: (value, locale) => picker.uses24Hour ? String(value).padStart(2, "0") : String(value)
                valueFromText: (text, locale) => Number.parseInt(text, 10)
                Accessible.name: qsTrId("editor.hour")
                onValueModified: {
                    const afternoon = picker.hour >= 12;
                    const hour = picker.uses24Hour ? value : (value % 12) + (afternoon ? 12 : 0);
                    picker.picked(hour, picker.minute);
                }
            }
            Label {
                text: ":"
            }
            SpinBox {
                objectName: "minuteBox"
                editable: true
                wrap: true
                from: 0
                to: 59
                value: picker.minute
                textFromValue: (value, locale) => String(value).padStart(2, "0")
                valueFromText: (text, locale) => Number.parseInt(text, 10)
                Accessible.name: qsTrId("editor.minute")
                onValueModified: picker.picked(picker.hour, value)
            }
            SegmentedChoice {
                objectName: "dayPeriod"
                visible: !picker.uses24Hour
                label: qsTrId("editor.day_period")
                options: ["AM", "PM"]
                currentIndex: picker.hour >= 12 ? 1 : 0
                onActivated: index => picker.picked(picker.hour % 12 + (index === 1 ? 12 : 0), picker.minute)
            }
        }
    }
}
