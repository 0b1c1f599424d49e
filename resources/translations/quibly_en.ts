<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- SPDX-FileCopyrightText: 2026 Quibly developers -->
<!-- SPDX-License-Identifier: MIT -->
<TS version="2.1" language="en_US">
<context>
    <name></name>
    <message id="app.name">
        <source>Quibly</source>
        <translation>Quibly</translation>
    </message>
    <message id="list.offline">
        <source>No connection to the service.</source>
        <translation>No connection to the service.</translation>
    </message>
    <message id="list.unauthorized">
        <source>The service did not accept the access key. Check it in the settings.</source>
        <translation>The service did not accept the access key. Check it in the settings.</translation>
    </message>
    <message id="list.server_error">
        <source>The service answered with an error.</source>
        <translation>The service answered with an error.</translation>
    </message>
    <message id="list.not_configured">
        <source>Quibly is not set up yet: enter the server address and the access key in the settings.</source>
        <translation>Quibly is not set up yet: enter the server address and the access key in the settings.</translation>
    </message>
    <message id="notification.added">
        <source>New task: %1</source>
        <translation>New task: %1</translation>
    </message>
    <message id="notification.no_task">
        <source>No tasks found in the screenshot.</source>
        <translation>No tasks found in the screenshot.</translation>
    </message>
    <message id="notification.renew">
        <source>The service has to renew its sign-in before it can read screenshots. Yours will be read afterwards.</source>
        <translation>The service has to renew its sign-in before it can read screenshots. Yours will be read afterwards.</translation>
    </message>
    <message id="notification.failed">
        <source>The screenshot could not be read.</source>
        <translation>The screenshot could not be read.</translation>
    </message>
    <message id="notification.screen_permission">
        <source>Quibly needs permission to take screenshots. Allow it in the system settings.</source>
        <translation>Quibly needs permission to take screenshots. Allow it in the system settings.</translation>
    </message>
    <message id="list.today">
        <source>Today</source>
        <translation>Today</translation>
    </message>
    <message id="list.tomorrow">
        <source>Tomorrow</source>
        <translation>Tomorrow</translation>
    </message>
    <message id="list.yesterday">
        <source>Yesterday</source>
        <translation>Yesterday</translation>
    </message>
    <message id="list.no_deadline">
        <source>No deadline</source>
        <translation>No deadline</translation>
    </message>
    <message id="priority.high">
        <source>High</source>
        <translation>High</translation>
    </message>
    <message id="priority.medium">
        <source>Medium</source>
        <translation>Medium</translation>
    </message>
    <message id="priority.low">
        <source>Low</source>
        <translation>Low</translation>
    </message>
    <message id="list.title">
        <source>Tasks</source>
        <translation>Tasks</translation>
    </message>
    <message id="list.capture">
        <source>Capture</source>
        <translation>Capture</translation>
    </message>
    <message id="list.add">
        <source>Add a task</source>
        <translation>Add a task</translation>
    </message>
    <message id="list.new_task">
        <source>New task</source>
        <translation>New task</translation>
    </message>
    <message id="list.empty">
        <source>No open tasks</source>
        <translation>No open tasks</translation>
    </message>
    <message id="list.settings">
        <source>Settings…</source>
        <translation>Settings…</translation>
    </message>
    <message id="list.quit">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message id="list.failed">
        <source>Could not read the screenshot</source>
        <translation>Could not read the screenshot</translation>
    </message>
    <message id="list.retry">
        <source>Retry</source>
        <translation>Retry</translation>
    </message>
    <message id="list.delete">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="list.recognising">
        <source>Reading the screenshot…</source>
        <translation>Reading the screenshot…</translation>
    </message>
    <message id="list.waiting_sign_in">
        <source>Waiting for the service to sign in…</source>
        <translation>Waiting for the service to sign in…</translation>
    </message>
    <message id="list.mark_done">
        <source>Mark as done</source>
        <translation>Mark as done</translation>
    </message>
    <message id="list.mark_open">
        <source>Mark as not done</source>
        <translation>Mark as not done</translation>
    </message>
    <message id="list.urgent">
        <source>Urgent</source>
        <translation>Urgent</translation>
    </message>
    <message id="editor.title">
        <source>Title</source>
        <translation>Title</translation>
    </message>
    <message id="editor.description">
        <source>Description</source>
        <translation>Description</translation>
    </message>
    <message id="editor.deadline">
        <source>Deadline</source>
        <translation>Deadline</translation>
    </message>
    <message id="editor.time">
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message id="editor.date">
        <source>Day</source>
        <translation>Day</translation>
    </message>
    <message id="editor.priority">
        <source>Priority</source>
        <translation>Priority</translation>
    </message>
    <message id="editor.open_image">
        <source>Open the screenshot</source>
        <translation>Open the screenshot</translation>
    </message>
    <message id="editor.source">
        <source>From %1</source>
        <translation>From %1</translation>
    </message>
    <message id="editor.delete">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="editor.done">
        <source>Done</source>
        <translation>Done</translation>
    </message>
    <message id="editor.previous_month">
        <source>Previous month</source>
        <translation>Previous month</translation>
    </message>
    <message id="editor.next_month">
        <source>Next month</source>
        <translation>Next month</translation>
    </message>
    <message id="editor.hour">
        <source>Hour</source>
        <translation>Hour</translation>
    </message>
    <message id="editor.minute">
        <source>Minute</source>
        <translation>Minute</translation>
    </message>
    <message id="editor.day_period">
        <source>AM or PM</source>
        <translation>AM or PM</translation>
    </message>
    <message id="list.waiting" numerus="yes">
        <source>%n screenshots waiting to upload</source>
        <translation>
            <numerusform>%n screenshot waiting to upload</numerusform>
            <numerusform>%n screenshots waiting to upload</numerusform>
        </translation>
    </message>
    <message id="list.done_section" numerus="yes">
        <source>Done (%n)</source>
        <translation>
            <numerusform>Done (%n)</numerusform>
            <numerusform>Done (%n)</numerusform>
        </translation>
    </message>
</context>
</TS>
