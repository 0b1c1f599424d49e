// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
import QtQuick
import QtTest
import Quibly.Views
import Quibly.Test

// Screenshots left on disk stay for the whole process, and nothing may have been loaded
// before the first check: this file has the queue and the first load to itself.
Item {
    id: scene

    width: 400
    height: 760

    Component {
        id: popoverComponent

        Popover {}
    }

    TestCase {
        name: "Waiting"
        when: windowShown

        function init() {
            failOnWarning(/.?/);
        }

        function test_waitingLineCountsTheQueue() {
            const popover = createTemporaryObject(popoverComponent, scene);
            tryVerify(() => findChild(popover, "waitingLine"));
            const line = findChild(popover, "waitingLine");
            compare(line.visible, false);
            // Nothing has been loaded in this process yet: an empty list is not "empty" yet.
            compare(Store.loaded, false);
            compare(findChild(popover, "emptyState").visible, false);
            Fixture.queue(2);
            tryCompare(Store, "queued", 2);
            verify(line.visible);
            compare(findChild(line, "waitingText").text, "2 screenshots waiting to be sent");
        }
    }
}
