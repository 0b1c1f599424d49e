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
    <message id="notification.no_screenshot_tool">
        <source>Quibly found no screenshot tool. Install gnome-screenshot, spectacle, maim or scrot (grim and slurp on Wayland).</source>
        <translation>Quibly found no screenshot tool. Install gnome-screenshot, spectacle, maim or scrot (grim and slurp on Wayland).</translation>
    </message>
    <message id="image.title">
        <source>Screenshot</source>
        <translation>Screenshot</translation>
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
</context>
</TS>
