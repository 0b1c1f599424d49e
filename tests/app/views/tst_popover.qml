// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
import QtQuick
import QtTest
import Quibly.Views
import Quibly.Test

Item {
    id: scene

    width: 400
    height: 760

    Component {
        id: popoverComponent

        Popover {}
    }

    TestCase {
        id: test

        name: "Popover"
        when: windowShown

        SignalSpy {
            id: spy
        }

        function init() {
            failOnWarning(/.?/);
        }

        function cleanup() {
            Fixture.load([], []);
            tryCompare(Store, "problem", "");
        }

        function makePopover() {
            const popover = createTemporaryObject(popoverComponent, scene);
            verify(popover);
            waitForItemPolished(popover);
            return popover;
        }

        function child(parent, name) {
            const found = findChild(parent, name);
            verify(found, "no " + name);
            return found;
        }

        function load(tasks, captures) {
            const before = Fixture.refreshes;
            Fixture.load(tasks, captures || []);
            tryCompare(Fixture, "refreshes", before + 1);
        }

        function test_requestsGoThroughTheActions_data() {
            return [
                { tag: "capture", button: "captureButton", signal: "captureRequested" },
                { tag: "settings", button: "settingsButton", signal: "settingsRequested" },
                { tag: "quit", button: "quitButton", signal: "quitRequested" },
            ];
        }

        function test_requestsGoThroughTheActions(data) {
            const popover = makePopover();
            spy.target = popover.actions;
            spy.signalName = data.signal;
            spy.clear();
            mouseClick(child(popover, data.button));
            compare(spy.count, 1);
        }

        function test_addFieldTrimsAndCloses_data() {
            return [
                { tag: "spaces and line break around", typed: "  Buy milk \n", sent: "Buy milk" },
                { tag: "inner spaces kept", typed: "\tCall  Anna ", sent: "Call  Anna" },
            ];
        }

        function test_addFieldTrimsAndCloses(data) {
            const popover = makePopover();
            mouseClick(child(popover, "addButton"));
            compare(popover.adding, true);
            const field = child(popover, "newTitleField");
            tryVerify(() => field.activeFocus);
            popover.newTitle = data.typed;
            keyClick(Qt.Key_Return);
            // Closed and emptied before the service answers.
            compare(popover.adding, false);
            compare(popover.newTitle, "");
            tryVerify(() => Fixture.requestCount("POST", "/tasks") === 1);
            compare(Fixture.bodies("POST", "/tasks")[0].title, data.sent);
            Fixture.clearRequests();
        }

        function test_blankTitleKeepsTheFieldOpen() {
            const popover = makePopover();
            mouseClick(child(popover, "addButton"));
            popover.newTitle = " \n\t ";
            tryVerify(() => child(popover, "newTitleField").activeFocus);
            keyClick(Qt.Key_Return);
            compare(popover.adding, true);
            compare(popover.newTitle, " \n\t ");
            wait(50);
            compare(Fixture.requestCount("POST", "/tasks"), 0);
        }

        function test_closingTheFieldKeepsItsText() {
            const popover = makePopover();
            const add = child(popover, "addButton");
            mouseClick(add);
            popover.newTitle = "Half typed";
            keyClick(Qt.Key_Escape);
            compare(popover.adding, false);
            mouseClick(add);
            compare(child(popover, "newTitleField").text, "Half typed");
        }
    }
}
