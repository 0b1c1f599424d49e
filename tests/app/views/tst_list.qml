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

        name: "List"
        when: windowShown

        function init() {
            failOnWarning(/.?/);
        }

        function cleanup() {
            load([], []);
            Fixture.clearRequests();
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

        function row(popover, taskId) {
            const list = child(popover, "taskList");
            waitForItemPolished(list.listView);
            return findChild(list, "task-" + taskId);
        }

        function test_emptyStateOnlyWhenNothingIsListed() {
            const popover = makePopover();
            load([], []);
            const empty = child(popover, "emptyState");
            load([{ id: 1, title: "Done", done_at: "2025-03-01T10:00:00Z" }], []);
            compare(empty.visible, true);
            const toggle = child(popover, "doneToggle");
            compare(toggle.visible, true);
            compare(toggle.text, "Done (1)");

            load([], [{ id: "c1", status: "pending" }]);
            compare(empty.visible, false);
            compare(toggle.visible, false);

            load([{ id: 2, title: "Open" }], []);
            compare(empty.visible, false);
        }

        function test_doneSectionOpensAndCounts() {
            const popover = makePopover();
            load([{ id: 1, title: "Open" }, { id: 2, title: "Done", done_at: "2025-03-01T10:00:00Z" },
                  { id: 3, title: "Done too", done_at: "2025-03-02T10:00:00Z" }]);
            const toggle = child(popover, "doneToggle");
            compare(toggle.text, "Done (2)");
            verify(!row(popover, 2));
            mouseClick(toggle);
            tryVerify(() => row(popover, 2) && row(popover, 3));
            // Most recently done first, after the open task.
            verify(row(popover, 3).y < row(popover, 2).y);
            verify(row(popover, 1).y < row(popover, 3).y);

            // A done row never opens; its toggle opens the task again.
            mouseClick(findChild(row(popover, 2), "taskRow"));
            compare(popover.tasks.expandedId, "");
            mouseClick(findChild(row(popover, 2), "checkToggle"));
            tryVerify(() => Fixture.requestCount("PATCH", "/tasks/2") === 1);
            compare(Fixture.bodies("PATCH", "/tasks/2")[0].done, false);
            popover.tasks.showDone = false;
        }

        function test_refreshKeepsRowsAndTheOpenEditor() {
            const popover = makePopover();
            load([{ id: 1, title: "One" }, { id: 2, title: "Two" }]);
            const first = row(popover, 1);
            mouseClick(findChild(row(popover, 2), "taskRow"));
            tryVerify(() => findChild(row(popover, 2), "taskEditor"));
            const editor = findChild(row(popover, 2), "taskEditor");
            const field = child(editor, "titleField");
            field.forceActiveFocus();
            field.selectAll();
            keyClick(Qt.Key_X);

            load([{ id: 3, title: "New", priority: "high" }, { id: 1, title: "One" }, { id: 2, title: "Two" }]);
            compare(row(popover, 1), first);
            compare(findChild(row(popover, 2), "taskEditor"), editor);
            compare(field.text, "x");
            verify(field.activeFocus);

            // Gone and back: the editor returns with the record of that moment.
            load([{ id: 1, title: "One" }]);
            tryVerify(() => !row(popover, 2));
            load([{ id: 1, title: "One" }, { id: 2, title: "Two again" }]);
            tryVerify(() => findChild(row(popover, 2), "taskEditor"));
            compare(child(findChild(row(popover, 2), "taskEditor"), "titleField").text, "Two again");
            popover.tasks.collapse();
        }

        function test_offlineRowsOpenButDoNotToggle() {
            const popover = makePopover();
            load([{ id: 1, title: "One" }, { id: 2, title: "Two" }]);
            Fixture.goOffline();
            compare(child(popover, "addButton").enabled, false);
            verify(child(popover, "problemLine").visible);
            compare(child(popover, "problemText").text, "No connection to the service.");

            mouseClick(findChild(row(popover, 1), "checkToggle"));
            mouseClick(findChild(row(popover, 1), "taskRow"));
            tryVerify(() => findChild(row(popover, 1), "taskEditor"));
            compare(findChild(row(popover, 1), "taskEditor").enabled, false);
            // Another row moves the expansion there.
            mouseClick(findChild(row(popover, 2), "taskRow"));
            tryVerify(() => findChild(row(popover, 2), "taskEditor") && !findChild(row(popover, 1), "taskEditor"));
            wait(50);
            compare(Fixture.requestCount("PATCH", "/tasks/1"), 0);
            popover.tasks.collapse();
        }

        function test_captureRowsRetryAndDelete_data() {
            return [
                { tag: "retry", button: "retryButton", method: "POST", path: "/captures/c9/retry" },
                { tag: "delete", button: "deleteButton", method: "DELETE", path: "/captures/c9" },
            ];
        }

        function test_captureRowsRetryAndDelete(data) {
            const popover = makePopover();
            load([], [{ id: "c9", status: "failed" }]);
            const list = child(popover, "taskList");
            const button = child(list, data.button);
            verify(button.visible);
            mouseClick(button);
            tryVerify(() => Fixture.requestCount(data.method, data.path) === 1);
        }

        function test_offlineCaptureRowsAreInert() {
            const popover = makePopover();
            load([], [{ id: "c9", status: "failed" }]);
            Fixture.goOffline();
            const list = child(popover, "taskList");
            mouseClick(child(list, "retryButton"));
            mouseClick(child(list, "deleteButton"));
            wait(50);
            compare(Fixture.requestCount("POST", "/captures/c9/retry") + Fixture.requestCount("DELETE", "/captures/c9"), 0);
        }

        function test_listStopsGrowingAt460() {
            const popover = makePopover();
            const tasks = [];
            for (let i = 1; i <= 40; ++i)
                tasks.push({ id: i, title: "Task " + i });
            load(tasks);
            const list = child(popover, "taskList");
            tryCompare(list, "height", 460);
            compare(popover.width, 400);
        }
    }
}
