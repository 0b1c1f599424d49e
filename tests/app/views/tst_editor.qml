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

    SignalSpy {
        id: imageSpy

        signalName: "imageRequested"
    }

    TestCase {
        id: test

        name: "Editor"
        when: windowShown

        property var popover

        function init() {
            failOnWarning(/.?/);
            Fixture.clearRequests();
            const before = Fixture.refreshes;
            Fixture.load([{ id: 5, title: "Pay rent", description: "", priority: "medium", due_date: "2030-05-10",
                            capture_id: "cap-5", source_app: "Mail" }], []);
            tryCompare(Fixture, "refreshes", before + 1);
            popover = createTemporaryObject(popoverComponent, scene);
            waitForItemPolished(popover);
            const list = findChild(popover, "taskList");
            tryVerify(() => findChild(list, "task-5"));
            mouseClick(findChild(findChild(list, "task-5"), "taskRow"));
            tryVerify(() => editor() !== null);
            waitForItemPolished(editor());
            // Clicks reach it once it has faded in.
            tryCompare(editor().parent, "opacity", 1);
        }

        function cleanup() {
            popover.tasks.collapse();
        }

        function editor() {
            return findChild(popover, "taskEditor");
        }

        function child(name) {
            const found = findChild(editor(), name);
            verify(found, "no " + name);
            return found;
        }

        function save() {
            mouseClick(child("doneButton"));
            tryVerify(() => Fixture.requestCount("PATCH", "/tasks/5") === 1);
            return Fixture.bodies("PATCH", "/tasks/5")[0];
        }

        function test_untouchedSendsAnEmptyUpdateAndCloses() {
            compare(save(), {});
            tryVerify(() => editor() === null);
        }

        function test_onlyChangedFieldsAreSent() {
            const description = child("descriptionArea");
            description.forceActiveFocus();
            keyClick(Qt.Key_A);
            keyClick(Qt.Key_Space);
            const priority = child("priorityChoice");
            priority.forceActiveFocus();
            keyClick(Qt.Key_Right);
            compare(save(), { description: "a ", priority: "low" });
        }

        function test_titleOfSpacesIsNotSent() {
            const title = child("titleField");
            title.forceActiveFocus();
            title.selectAll();
            keyClick(Qt.Key_Space);
            keyClick(Qt.Key_Return);
            tryVerify(() => Fixture.requestCount("PATCH", "/tasks/5") === 1);
            compare(Fixture.bodies("PATCH", "/tasks/5")[0], {});
        }

        function test_failedSaveKeepsTheEdits() {
            Fixture.answerOnce("PATCH", "/tasks/5", 500);
            const title = child("titleField");
            title.forceActiveFocus();
            keyClick(Qt.Key_End);
            keyClick(Qt.Key_Exclam);
            compare(save(), { title: "Pay rent!" });
            tryVerify(() => findChild(popover, "problemLine").visible);
            verify(editor() !== null);
            compare(child("titleField").text, "Pay rent!");
        }

        function test_deadlineOffSendsNulls() {
            const check = child("deadlineCheck");
            check.forceActiveFocus();
            keyClick(Qt.Key_Space);
            compare(child("datePicker").visible, false);
            compare(save(), { due_date: null, due_at: null });
        }

        function test_datePickerByKeyboardAlone() {
            const picker = child("datePicker");
            picker.forceActiveFocus();
            keyClick(Qt.Key_Space);
            const grid = findChild(picker, "monthGrid");
            tryVerify(() => grid.activeFocus);
            // A day on, a week on, a month on: 10 May + 8 days + 1 month.
            keyClick(Qt.Key_Right);
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_PageDown);
            keyClick(Qt.Key_Return);
            tryVerify(() => !findChild(picker, "datePopup").visible);
            compare(save(), { due_date: "2030-06-18" });
        }

        function test_timePickerByKeyboardAlone() {
            const timeCheck = child("timeCheck");
            timeCheck.forceActiveFocus();
            keyClick(Qt.Key_Space);
            const picker = child("timePicker");
            verify(picker.visible);
            picker.forceActiveFocus();
            keyClick(Qt.Key_Space);
            const hours = findChild(picker, "hourBox");
            tryVerify(() => hours.activeFocus);
            // From midnight of the day: two hours up, then to the minutes, five down.
            keyClick(Qt.Key_Up);
            keyClick(Qt.Key_Up);
            keyClick(Qt.Key_Tab);
            for (let i = 0; i < 5; ++i)
                keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Return);
            tryVerify(() => !findChild(picker, "timePopup").visible);
            compare(picker.text, "2:55\u202FAM");
            const body = save();
            compare(Object.keys(body), ["due_at"]);
            verify(body.due_at.endsWith("Z"));
        }

        function test_deleteClosesTheEditor() {
            mouseClick(child("deleteButton"));
            tryVerify(() => Fixture.requestCount("DELETE", "/tasks/5") === 1);
            tryVerify(() => editor() === null);
        }

        function test_thumbnailOpensTheImage() {
            imageSpy.target = popover.actions;
            imageSpy.clear();
            compare(child("sourceText").text, "From Mail");
            mouseClick(child("thumbnailButton"));
            compare(imageSpy.count, 1);
            compare(imageSpy.signalArguments[0][0], "cap-5");
        }

        function test_tabFollowsReadingOrder() {
            const title = child("titleField");
            verify(title.activeFocus);
            keyClick(Qt.Key_Tab);
            verify(child("descriptionArea").activeFocus);
            keyClick(Qt.Key_Tab);
            verify(child("deadlineCheck").activeFocus);
            keyClick(Qt.Key_Tab);
            verify(child("datePicker").activeFocus);
        }
    }
}
