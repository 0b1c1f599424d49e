// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls

// A multi-line text box that grows with its text from 56 to 120 high, then scrolls. Tab
// leaves it rather than typing a tab.
ScrollView {
    id: box

    property string text

    // The user changed the text.
    signal edited(string text)

    implicitHeight: Math.min(120, Math.max(56, area.implicitHeight))
    contentWidth: availableWidth
    ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

    background: Rectangle {
        radius: Style.fieldRadius
        color: "transparent"
        border.width: area.activeFocus ? 2 : 1
        border.color: area.activeFocus ? box.palette.highlight
                                       : Style.withAlpha(Style.secondary(box.palette.windowText), 0.3)
    }

    TextArea {
        id: area

        objectName: "descriptionArea"
        text: box.text
        padding: 4
        leftPadding: 8
        rightPadding: 8
        wrapMode: TextEdit.Wrap
        font.pixelSize: Style.bodyFontSize
        placeholderText: qsTrId("editor.description")
        placeholderTextColor: Style.tertiary(box.palette.windowText)
        background: null
        Accessible.name: qsTrId("editor.description")
        onTextChanged: {
            if (text !== box.text)
                box.edited(text);
        }
        Keys.onTabPressed: event => {
            area.nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason);
        }
        Keys.onBacktabPressed: event => {
            area.nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason);
        }
    }
}
