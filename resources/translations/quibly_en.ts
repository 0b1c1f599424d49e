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
    <message id="app.tooltip_urgent">
        <source>Quibly — %1 urgent</source>
        <translation>Quibly — %1 urgent</translation>
    </message>
    <message id="app.menu_list">
        <source>Open list</source>
        <translation>Open list</translation>
    </message>
    <message id="app.menu_capture">
        <source>Take screenshot</source>
        <translation>Take screenshot</translation>
    </message>
    <message id="app.menu_settings">
        <source>Settings…</source>
        <translation>Settings…</translation>
    </message>
    <message id="app.menu_quit">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message id="app.settings_unwritable">
        <source>Quibly cannot save its settings: %1 is not writable.</source>
        <translation>Quibly cannot save its settings: %1 is not writable.</translation>
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
    <message id="list.waiting" numerus="yes">
        <source>%n screenshot waiting to be sent</source>
        <translation>
            <numerusform>%n screenshot waiting to be sent</numerusform>
            <numerusform>%n screenshots waiting to be sent</numerusform>
        </translation>
    </message>
    <message id="list.empty">
        <source>No open tasks. Take a screenshot of a to-do and it appears here.</source>
        <translation>No open tasks. Take a screenshot of a to-do and it appears here.</translation>
    </message>
    <message id="list.done_section" numerus="yes">
        <source>Done (%n)</source>
        <translation>
            <numerusform>Done (%n)</numerusform>
            <numerusform>Done (%n)</numerusform>
        </translation>
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
        <source>The screenshot could not be read</source>
        <translation>The screenshot could not be read</translation>
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
        <source>Waiting for the service to renew its sign-in…</source>
        <translation>Waiting for the service to renew its sign-in…</translation>
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
    <message id="image.title">
        <source>Screenshot</source>
        <translation>Screenshot</translation>
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
    <message id="notification.no_screenshot_tool">
        <source>Quibly found no screenshot tool. Install gnome-screenshot, spectacle, maim or scrot (grim and slurp on Wayland).</source>
        <translation>Quibly found no screenshot tool. Install gnome-screenshot, spectacle, maim or scrot (grim and slurp on Wayland).</translation>
    </message>
    <message id="settings.title">
        <source>Quibly Settings</source>
        <translation>Quibly Settings</translation>
    </message>
    <message id="settings.capture_hotkey">
        <source>Take a screenshot</source>
        <translation>Take a screenshot</translation>
    </message>
    <message id="settings.list_hotkey">
        <source>Open the task list</source>
        <translation>Open the task list</translation>
    </message>
    <message id="settings.press_keys">
        <source>Press keys…</source>
        <translation>Press keys…</translation>
    </message>
    <message id="settings.recorder_hint">
        <source>Click, then press the new combination with Ctrl, Alt or Super. Esc cancels.</source>
        <translation>Click, then press the new combination with Ctrl, Alt or Super. Esc cancels.</translation>
    </message>
    <message id="settings.hotkey_refused">
        <source>The desktop did not let Quibly use this combination: another program may hold it.</source>
        <translation>The desktop did not let Quibly use this combination: another program may hold it.</translation>
    </message>
    <message id="settings.hotkey_trigger">
        <source>The desktop uses %1 instead.</source>
        <translation>The desktop uses %1 instead.</translation>
    </message>
    <message id="settings.left_click">
        <source>Left click on the icon</source>
        <translation>Left click on the icon</translation>
    </message>
    <message id="settings.right_click_hint">
        <source>A right click does the other.</source>
        <translation>A right click does the other.</translation>
    </message>
    <message id="settings.left_click.list">
        <source>Opens the list</source>
        <translation>Opens the list</translation>
    </message>
    <message id="settings.left_click.capture">
        <source>Takes a screenshot</source>
        <translation>Takes a screenshot</translation>
    </message>
    <message id="settings.task_language">
        <source>Language of the tasks</source>
        <translation>Language of the tasks</translation>
    </message>
    <message id="language.uk">
        <source>Ukrainian</source>
        <translation>Ukrainian</translation>
    </message>
    <message id="language.en">
        <source>English</source>
        <translation>English</translation>
    </message>
    <message id="settings.server">
        <source>Server</source>
        <translation>Server</translation>
    </message>
    <message id="settings.access_key">
        <source>Access key</source>
        <translation>Access key</translation>
    </message>
    <message id="settings.launch_at_login">
        <source>Start at login</source>
        <translation>Start at login</translation>
    </message>
    <message id="settings.launch_at_login_failed">
        <source>Could not change %1: %2</source>
        <translation>Could not change %1: %2</translation>
    </message>
    <message id="settings.connection.checking">
        <source>Checking the connection…</source>
        <translation>Checking the connection…</translation>
    </message>
    <message id="settings.connection.connected">
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message id="settings.connection.unauthorized">
        <source>The service did not accept the access key</source>
        <translation>The service did not accept the access key</translation>
    </message>
    <message id="settings.connection.no_answer">
        <source>No answer from the server</source>
        <translation>No answer from the server</translation>
    </message>
    <message id="settings.connection.server_error">
        <source>The server answered with error %1</source>
        <translation>The server answered with error %1</translation>
    </message>
    <message id="settings.connection.not_service">
        <source>The server answered, but not as the task service does</source>
        <translation>The server answered, but not as the task service does</translation>
    </message>
    <message id="settings.connection.invalid_url">
        <source>Not a web address: enter it as https:// followed by the host name</source>
        <translation>Not a web address: enter it as https:// followed by the host name</translation>
    </message>
    <message id="settings.connection.scheme">
        <source>The address must begin with https:// or http://</source>
        <translation>The address must begin with https:// or http://</translation>
    </message>
    <message id="settings.connection.no_key">
        <source>Enter the access key</source>
        <translation>Enter the access key</translation>
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
    <message id="editor.date">
        <source>Day</source>
        <translation>Day</translation>
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
</context>
</TS>
