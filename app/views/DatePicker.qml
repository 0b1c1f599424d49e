// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// A button with the chosen day that opens a month in a popup. In the month the arrow keys
// move by a day or a week, Page Up and Page Down by a month, Return or Space picks the day,
// Escape closes. The week starts on the interface language's first weekday.
Button {
    id: picker

    // The chosen day; month 1-12.
    property int year
    property int month
    property int day
    // The interface language, for month and weekday names.
    property string language: "en"

    signal picked(int year, int month, int day)

    readonly property var calendarLocale: Qt.locale(language)
    // The day the keyboard is on, and so the month shown.
    property date cursor: new Date(year, month - 1, day)

    font.pixelSize: Style.bodyFontSize
    Accessible.name: qsTrId("editor.date") + ": " + text
    onClicked: {
        cursor = new Date(year, month - 1, day);
        popup.open();
    }

    HoverHandler {
        cursorShape: Qt.PointingHandCursor
    }

    function moveCursor(days: int, months: int) {
        const next = new Date(cursor.getFullYear(), cursor.getMonth() + months, 1);
        // A month step keeps the day where the month has it, else its last day.
        const lastDay = new Date(next.getFullYear(), next.getMonth() + 1, 0).getDate();
        cursor = new Date(next.getFullYear(), next.getMonth(), Math.min(cursor.getDate(), lastDay) + days);
    }

    function pick(date: date) {
        popup.close();
        picked(date.getFullYear(), date.getMonth() + 1, date.getDate());
    }

    Popup {
        id: popup

        objectName: "datePopup"
        y: picker.height + 4
        padding: 8
        focus: true
        onOpened: grid.forceActiveFocus()

        ColumnLayout {
            spacing: 4

            RowLayout {
                Layout.fillWidth: true

                IconButton {
                    objectName: "previousMonth"
                    symbol: "chevron-left"
                    text: qsTrId("editor.previous_month")
                    display: AbstractButton.IconOnly
                    flat: true
                    focusPolicy: Qt.NoFocus
                    onClicked: picker.moveCursor(0, -1)
                }
                Label {
                    objectName: "monthTitle"
                    text: picker.calendarLocale.standaloneMonthName(picker.cursor.getMonth(), Locale.LongFormat) + " "
                          + picker.cursor.getFullYear()
                    font.weight: Font.DemiBold
                    horizontalAlignment: Text.AlignHCenter
                    Layout.fillWidth: true
                }
                IconButton {
                    objectName: "nextMonth"
                    symbol: "chevron-right"
                    text: qsTrId("editor.next_month")
                    display: AbstractButton.IconOnly
                    flat: true
                    focusPolicy: Qt.NoFocus
                    onClicked: picker.moveCursor(0, 1)
                }
            }

            DayOfWeekRow {
                locale: picker.calendarLocale // qmllint disable type
                font.pixelSize: Style.metaFontSize
                Layout.fillWidth: true
            }

            MonthGrid {
                id: grid

                objectName: "monthGrid"
                month: picker.cursor.getMonth()
                year: picker.cursor.getFullYear()
                locale: picker.calendarLocale // qmllint disable type
                focus: true
                font.pixelSize: Style.bodyFontSize
                Layout.fillWidth: true
                onClicked: date => picker.pick(date)

                Accessible.role: Accessible.Table
                Accessible.name: picker.calendarLocale.toString(picker.cursor, Locale.LongFormat)

                Keys.onLeftPressed: picker.moveCursor(grid.mirrored ? 1 : -1, 0)
                Keys.onRightPressed: picker.moveCursor(grid.mirrored ? -1 : 1, 0)
                Keys.onUpPressed: picker.moveCursor(-7, 0)
                Keys.onDownPressed: picker.moveCursor(7, 0)
                Keys.onReturnPressed: picker.pick(picker.cursor)
                Keys.onEnterPressed: picker.pick(picker.cursor)
                Keys.onSpacePressed: picker.pick(picker.cursor)
                Keys.onPressed: event => {
                    if (event.key === Qt.Key_PageUp) {
                        picker.moveCursor(0, -1);
                        event.accepted = true;
                    } else if (event.key === Qt.Key_PageDown) {
                        picker.moveCursor(0, 1);
                        event.accepted = true;
                    }
                }

                // MonthGrid 6.4 hands its delegates `model` as a context property, which a bound
                // component cannot take: this delegate is unbound, and its lookups unchecked.
                // qmllint disable unqualified
                delegate: DayCell {
                    day: model.day
                    today: model.today
                    inMonth: model.month === grid.month
                    chosen: model.year === picker.year && model.month === picker.month - 1 && model.day === picker.day
                    underCursor: grid.activeFocus && model.year === picker.cursor.getFullYear()
                                 && model.month === picker.cursor.getMonth() && model.day === picker.cursor.getDate()
                }
                // qmllint enable unqualified
            }
        }
    }
}
