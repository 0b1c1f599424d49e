// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls

// Shown when the loaded list has nothing open, nothing being read and nothing waiting.
Label {
    id: empty

    text: qsTrId("list.empty")
    color: Style.secondary(palette.windowText)
    font.pixelSize: Style.fieldFontSize
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    wrapMode: Text.Wrap
    topPadding: 24
    bottomPadding: 24
    height: Math.max(80, implicitHeight)
}
