<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- SPDX-FileCopyrightText: 2026 Quibly developers -->
<!-- SPDX-License-Identifier: MIT -->
<TS version="2.1" language="uk_UA">
<context>
    <name></name>
    <message id="app.name">
        <source>Quibly</source>
        <translation>Quibly</translation>
    </message>
    <message id="list.offline">
        <source>No connection to the service.</source>
        <translation>Немає з’єднання із сервісом.</translation>
    </message>
    <message id="list.unauthorized">
        <source>The service did not accept the access key. Check it in the settings.</source>
        <translation>Сервіс не прийняв ключ доступу. Перевірте його в налаштуваннях.</translation>
    </message>
    <message id="list.server_error">
        <source>The service answered with an error.</source>
        <translation>Сервіс відповів помилкою.</translation>
    </message>
    <message id="list.not_configured">
        <source>Quibly is not set up yet: enter the server address and the access key in the settings.</source>
        <translation>Quibly ще не налаштовано: вкажіть адресу сервера й ключ доступу в налаштуваннях.</translation>
    </message>
    <message id="notification.added">
        <source>New task: %1</source>
        <translation>Нове завдання: %1</translation>
    </message>
    <message id="notification.no_task">
        <source>No tasks found in the screenshot.</source>
        <translation>На знімку не знайдено завдань.</translation>
    </message>
    <message id="notification.renew">
        <source>The service has to renew its sign-in before it can read screenshots. Yours will be read afterwards.</source>
        <translation>Сервісу треба поновити вхід, щоб читати знімки. Ваш знімок буде прочитано після цього.</translation>
    </message>
    <message id="notification.failed">
        <source>The screenshot could not be read.</source>
        <translation>Не вдалося прочитати знімок.</translation>
    </message>
    <message id="notification.screen_permission">
        <source>Quibly needs permission to take screenshots. Allow it in the system settings.</source>
        <translation>Quibly потребує дозволу робити знімки екрана. Надайте його в системних налаштуваннях.</translation>
    </message>
    <message id="notification.no_screenshot_tool">
        <source>Quibly found no screenshot tool. Install gnome-screenshot, spectacle, maim or scrot (grim and slurp on Wayland).</source>
        <translation>Quibly не знайшов інструмента для знімків екрана. Установіть gnome-screenshot, spectacle, maim або scrot (на Wayland — grim і slurp).</translation>
    </message>
    <message id="image.title">
        <source>Screenshot</source>
        <translation>Знімок екрана</translation>
    </message>
    <message id="list.today">
        <source>Today</source>
        <translation>Сьогодні</translation>
    </message>
    <message id="list.tomorrow">
        <source>Tomorrow</source>
        <translation>Завтра</translation>
    </message>
    <message id="list.yesterday">
        <source>Yesterday</source>
        <translation>Учора</translation>
    </message>
    <message id="list.no_deadline">
        <source>No deadline</source>
        <translation>Без терміну</translation>
    </message>
    <message id="priority.high">
        <source>High</source>
        <translation>Високий</translation>
    </message>
    <message id="priority.medium">
        <source>Medium</source>
        <translation>Середній</translation>
    </message>
    <message id="priority.low">
        <source>Low</source>
        <translation>Низький</translation>
    </message>
</context>
</TS>
