// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
import QtQuick
import QtTest
import Quibly.Views
import Quibly.Test

Item {
    id: scene

    width: 460
    height: 700

    Component {
        id: viewComponent

        SettingsView {}
    }

    TestCase {
        id: test

        name: "SettingsView"
        when: windowShown

        property var form

        function init() {
            failOnWarning(/.?/);
            SettingsFixture.reset();
        }

        function makeView(languages) {
            form = SettingsFixture.form(languages || ["en-US"]);
            const view = createTemporaryObject(viewComponent, scene, { form: form });
            verify(view);
            waitForItemPolished(view);
            return view;
        }

        function child(parent, name) {
            const found = findChild(parent, name);
            verify(found, "no " + name);
            return found;
        }

        function segment(choice, index) {
            return child(choice, "segment" + index);
        }

        function test_defaultLanguageShownNotWritten_data() {
            return [
                { tag: "uk", languages: ["uk-UA", "en-US"], shown: 0 },
                { tag: "en", languages: ["en-GB"], shown: 1 },
                { tag: "de", languages: ["de-DE", "uk-UA"], shown: 1 },
                { tag: "none", languages: [], shown: 1 }
            ];
        }
        function test_defaultLanguageShownNotWritten(data) {
            const view = makeView(data.languages);
            const choice = child(view, "languageChoice");
            compare(choice.currentIndex, data.shown);
            compare(SettingsFixture.storedText("taskLanguage"), "");
            mouseClick(segment(choice, 1 - data.shown));
            compare(SettingsFixture.storedText("taskLanguage"), data.shown === 0 ? "en" : "uk");
        }

        function test_leftClickChoiceDecidesTheIconClick() {
            const view = makeView();
            compare(view.implicitWidth, 460);
            const choice = child(view, "leftClickChoice");
            compare(choice.currentIndex, 0);
            compare(SettingsFixture.click(false), "list");
            mouseClick(segment(choice, 1));
            compare(SettingsFixture.click(false), "capture");
            compare(SettingsFixture.click(true), "list");
        }

        function test_serverFieldWritesEveryEdit() {
            const view = makeView();
            const field = child(view, "serverField");
            compare(field.text, "");
            verify(field.placeholderText.startsWith("https://"));
            compare(SettingsFixture.storedText("serverURL"), "");
            field.forceActiveFocus();
            const typed = "ftp://h";
            for (let i = 0; i < typed.length; ++i) {
                keyClick(typed[i]);
                compare(SettingsFixture.storedText("serverURL"), typed.substring(0, i + 1));
            }
            // Stored as typed; the line under the fields says what is wrong with it.
            tryCompare(child(view, "connectionLine"), "text", qsTrId("settings.connection.scheme"));
        }

        function test_connectionLineAfterTyping() {
            const view = makeView();
            SettingsFixture.answer(401);
            const server = child(view, "serverField");
            server.forceActiveFocus();
            server.insert(0, SettingsFixture.url);
            server.textEdited();
            const key = child(view, "accessKeyField");
            key.forceActiveFocus();
            keyClick("k");
            tryCompare(child(view, "connectionLine"), "text", qsTrId("settings.connection.unauthorized"));
            SettingsFixture.answer(200);
            keyClick("2");
            tryCompare(child(view, "connectionLine"), "text", qsTrId("settings.connection.connected"));
        }

        function test_accessKeyFileAfterEveryKeystroke() {
            const view = makeView();
            const field = child(view, "accessKeyField");
            field.forceActiveFocus();
            for (const [i, letter] of ["a", "b", "c"].entries()) {
                keyClick(letter);
                compare(SettingsFixture.keyFile(), { text: "abc".substring(0, i + 1), mode: 0o600 });
            }
            // A masked field gives nothing to copy.
            field.selectAll();
            field.copy();
            field.cursorPosition = field.length;
            keyClick(Qt.Key_Backspace);
            keyClick(Qt.Key_Backspace);
            keyClick(Qt.Key_Backspace);
            compare(SettingsFixture.keyFile(), undefined);
            field.paste();
            compare(field.text, "");
        }

        function test_recorderRecordsAChord() {
            const view = makeView();
            const recorder = child(child(view, "captureRecorder"), "recorderButton");
            compare(recorder.text, "⌃⌥⌘T");
            compare(child(child(view, "captureRecorder"), "desktopText").text, "Ctrl+Alt+Super+T");
            mouseClick(recorder);
            verify(form.recording);
            compare(recorder.text, qsTrId("settings.press_keys"));
            // Plain and Shift-only keys are ignored and reach nothing else.
            keyClick(Qt.Key_T);
            keyClick(Qt.Key_T, Qt.ShiftModifier);
            verify(form.recording);
            compare(SettingsFixture.storedText("captureHotkey"), "");
            keyClick(Qt.Key_K, Qt.ShiftModifier | Qt.MetaModifier);
            verify(!form.recording);
            compare(recorder.text, "⇧⌘K");
            compare(JSON.parse(SettingsFixture.storedText("captureHotkey")), { keyCode: 40, modifiers: 768, key: "K" });
        }

        function test_escapeKeepsTheOldKey() {
            const view = makeView();
            const recorder = child(child(view, "listRecorder"), "recorderButton");
            mouseClick(recorder);
            keyClick(Qt.Key_Escape);
            verify(!form.recording);
            compare(recorder.text, "⌃⌥⌘L");
            compare(SettingsFixture.storedText("listHotkey"), "");
        }

        function test_recordersAreIndependent() {
            const view = makeView();
            const capture = child(child(view, "captureRecorder"), "recorderButton");
            const list = child(child(view, "listRecorder"), "recorderButton");
            mouseClick(capture);
            mouseClick(list);
            verify(!form.captureRecorder.recording);
            verify(form.listRecorder.recording);
            keyClick(Qt.Key_T, Qt.ControlModifier | Qt.AltModifier | Qt.MetaModifier);
            compare(list.text, "⌃⌥⌘T");
            compare(capture.text, "⌃⌥⌘T");
            verify(SettingsFixture.storedText("listHotkey") !== "");
            compare(SettingsFixture.storedText("captureHotkey"), "");
        }

        function test_focusLeavingStopsRecording() {
            const view = makeView();
            mouseClick(child(child(view, "captureRecorder"), "recorderButton"));
            verify(form.recording);
            child(view, "serverField").forceActiveFocus();
            verify(!form.recording);
        }

        function test_undecodableStoredHotkeyShowsTheDefault() {
            SettingsFixture.store("captureHotkey", "{\"keyCode\": -1}");
            const view = makeView();
            compare(child(child(view, "captureRecorder"), "recorderButton").text, "⌃⌥⌘T");
        }
    }
}
