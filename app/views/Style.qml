// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
pragma Singleton
pragma ComponentBehavior: Bound

import QtQuick

// The metrics and the few fixed colours the views share. Everything else takes its colour from
// the palette, so that the views follow the system's light or dark appearance.
QtObject {
    readonly property int popoverWidth: 400
    readonly property int popoverPadding: 14
    readonly property int spacing: 10
    readonly property int smallSpacing: 8
    readonly property int listMaxHeight: 460
    readonly property int rowPadding: 10
    readonly property int rowRadius: 10
    readonly property int editorPadding: 12
    readonly property int editorRadius: 12
    readonly property int fieldRadius: 6
    readonly property int iconSize: 16
    readonly property int checkSize: 18

    readonly property int titleFontSize: 17
    readonly property int fieldFontSize: 14
    readonly property int bodyFontSize: 13
    readonly property int metaFontSize: 12

    readonly property int animationDuration: 200
    readonly property int toolTipDelay: 600

    readonly property SystemPalette system: SystemPalette {
        colorGroup: SystemPalette.Active
    }
    readonly property bool dark: system.window.hslLightness < 0.5

    readonly property color red: dark ? "#ff6b60" : "#d1291f"
    readonly property color orange: dark ? "#ffa23a" : "#c45a00"
    readonly property color gray: dark ? "#9a9aa0" : "#85858b"

    // Text one step fainter than the palette's text: dates, counts, hints.
    function secondary(text: color): color {
        return Qt.rgba(text.r, text.g, text.b, 0.6);
    }
    // Two steps fainter: placeholders.
    function tertiary(text: color): color {
        return Qt.rgba(text.r, text.g, text.b, 0.4);
    }
    function withAlpha(base: color, alpha: real): color {
        return Qt.rgba(base.r, base.g, base.b, alpha);
    }
}
