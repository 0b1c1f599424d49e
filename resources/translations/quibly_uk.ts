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
    <message id="app.tooltip_urgent">
        <source>Quibly — %1 urgent</source>
        <translation>Quibly — термінових: %1</translation>
    </message>
    <message id="app.menu_list">
        <source>Open list</source>
        <translation>Відкрити список</translation>
    </message>
    <message id="app.menu_capture">
        <source>Take screenshot</source>
        <translation>Зробити знімок екрана</translation>
    </message>
    <message id="app.menu_settings">
        <source>Settings…</source>
        <translation>Налаштування…</translation>
    </message>
    <message id="app.menu_quit">
        <source>Quit</source>
        <translation>Вийти</translation>
    </message>
    <message id="app.settings_unwritable">
        <source>Quibly cannot save its settings: %1 is not writable.</source>
        <translation>Quibly не може зберегти налаштування: до %1 не можна записати.</translation>
    </message>
    <message id="list.title">
        <source>Tasks</source>
        <translation>Завдання</translation>
    </message>
    <message id="list.capture">
        <source>Capture</source>
        <translation>Знімок</translation>
    </message>
    <message id="list.add">
        <source>Add a task</source>
        <translation>Додати завдання</translation>
    </message>
    <message id="list.new_task">
        <source>New task</source>
        <translation>Нове завдання</translation>
    </message>
    <message id="list.waiting" numerus="yes">
        <source>%n screenshot waiting to be sent</source>
        <translation>
            <numerusform>%n знімок чекає на надсилання</numerusform>
            <numerusform>%n знімки чекають на надсилання</numerusform>
            <numerusform>%n знімків чекають на надсилання</numerusform>
        </translation>
    </message>
    <message id="list.empty">
        <source>No open tasks. Take a screenshot of a to-do and it appears here.</source>
        <translation>Відкритих завдань немає. Зробіть знімок списку справ, і завдання з’являться тут.</translation>
    </message>
    <message id="list.done_section" numerus="yes">
        <source>Done (%n)</source>
        <translation>
            <numerusform>Виконане (%n)</numerusform>
            <numerusform>Виконане (%n)</numerusform>
            <numerusform>Виконане (%n)</numerusform>
        </translation>
    </message>
    <message id="list.settings">
        <source>Settings…</source>
        <translation>Налаштування…</translation>
    </message>
    <message id="list.quit">
        <source>Quit</source>
        <translation>Вийти</translation>
    </message>
    <message id="list.failed">
        <source>The screenshot could not be read</source>
        <translation>Не вдалося прочитати знімок</translation>
    </message>
    <message id="list.retry">
        <source>Retry</source>
        <translation>Повторити</translation>
    </message>
    <message id="list.delete">
        <source>Delete</source>
        <translation>Видалити</translation>
    </message>
    <message id="list.recognising">
        <source>Reading the screenshot…</source>
        <translation>Знімок читається…</translation>
    </message>
    <message id="list.waiting_sign_in">
        <source>Waiting for the service to renew its sign-in…</source>
        <translation>Чекає, доки сервіс поновить вхід…</translation>
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
    <message id="editor.title">
        <source>Title</source>
        <translation>Назва</translation>
    </message>
    <message id="editor.description">
        <source>Description</source>
        <translation>Опис</translation>
    </message>
    <message id="editor.deadline">
        <source>Deadline</source>
        <translation>Термін</translation>
    </message>
    <message id="editor.time">
        <source>Time</source>
        <translation>Час</translation>
    </message>
    <message id="editor.priority">
        <source>Priority</source>
        <translation>Пріоритет</translation>
    </message>
    <message id="editor.open_image">
        <source>Open the screenshot</source>
        <translation>Відкрити знімок</translation>
    </message>
    <message id="editor.source">
        <source>From %1</source>
        <translation>Джерело: %1</translation>
    </message>
    <message id="editor.delete">
        <source>Delete</source>
        <translation>Видалити</translation>
    </message>
    <message id="editor.done">
        <source>Done</source>
        <translation>Готово</translation>
    </message>
    <message id="image.title">
        <source>Screenshot</source>
        <translation>Знімок екрана</translation>
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
    <message id="settings.title">
        <source>Quibly Settings</source>
        <translation>Налаштування Quibly</translation>
    </message>
    <message id="settings.capture_hotkey">
        <source>Take a screenshot</source>
        <translation>Зробити знімок</translation>
    </message>
    <message id="settings.list_hotkey">
        <source>Open the task list</source>
        <translation>Відкрити список завдань</translation>
    </message>
    <message id="settings.press_keys">
        <source>Press keys…</source>
        <translation>Натисніть клавіші…</translation>
    </message>
    <message id="settings.recorder_hint">
        <source>Click, then press the new combination with Ctrl, Alt or Super. Esc cancels.</source>
        <translation>Клацніть і натисніть нове поєднання з Ctrl, Alt або Super. Esc скасовує.</translation>
    </message>
    <message id="settings.hotkey_refused">
        <source>The desktop did not let Quibly use this combination: another program may hold it.</source>
        <translation>Стільниця не дала Quibly це поєднання: можливо, його тримає інша програма.</translation>
    </message>
    <message id="settings.hotkey_trigger">
        <source>The desktop uses %1 instead.</source>
        <translation>Стільниця використовує натомість %1.</translation>
    </message>
    <message id="settings.left_click">
        <source>Left click on the icon</source>
        <translation>Клік лівою кнопкою на значку</translation>
    </message>
    <message id="settings.right_click_hint">
        <source>A right click does the other.</source>
        <translation>Клік правою кнопкою робить інше.</translation>
    </message>
    <message id="settings.left_click.list">
        <source>Opens the list</source>
        <translation>Відкриває список</translation>
    </message>
    <message id="settings.left_click.capture">
        <source>Takes a screenshot</source>
        <translation>Робить знімок</translation>
    </message>
    <message id="settings.task_language">
        <source>Language of the tasks</source>
        <translation>Мова завдань</translation>
    </message>
    <message id="language.uk">
        <source>Ukrainian</source>
        <translation>Українська</translation>
    </message>
    <message id="language.en">
        <source>English</source>
        <translation>Англійська</translation>
    </message>
    <message id="settings.server">
        <source>Server</source>
        <translation>Сервер</translation>
    </message>
    <message id="settings.access_key">
        <source>Access key</source>
        <translation>Ключ доступу</translation>
    </message>
    <message id="settings.launch_at_login">
        <source>Start at login</source>
        <translation>Запускати під час входу</translation>
    </message>
    <message id="settings.launch_at_login_failed">
        <source>Could not change %1: %2</source>
        <translation>Не вдалося змінити %1: %2</translation>
    </message>
    <message id="settings.connection.checking">
        <source>Checking the connection…</source>
        <translation>Перевірка з’єднання…</translation>
    </message>
    <message id="settings.connection.connected">
        <source>Connected</source>
        <translation>З’єднано</translation>
    </message>
    <message id="settings.connection.unauthorized">
        <source>The service did not accept the access key</source>
        <translation>Сервіс не прийняв ключ доступу</translation>
    </message>
    <message id="settings.connection.no_answer">
        <source>No answer from the server</source>
        <translation>Сервер не відповідає</translation>
    </message>
    <message id="settings.connection.server_error">
        <source>The server answered with error %1</source>
        <translation>Сервер відповів помилкою %1</translation>
    </message>
    <message id="settings.connection.not_service">
        <source>The server answered, but not as the task service does</source>
        <translation>Сервер відповів, але не так, як сервіс завдань</translation>
    </message>
    <message id="settings.connection.invalid_url">
        <source>Not a web address: enter it as https:// followed by the host name</source>
        <translation>Це не веб-адреса: введіть https:// і назву сервера</translation>
    </message>
    <message id="settings.connection.scheme">
        <source>The address must begin with https:// or http://</source>
        <translation>Адреса має починатися з https:// або http://</translation>
    </message>
    <message id="settings.connection.no_key">
        <source>Enter the access key</source>
        <translation>Введіть ключ доступу</translation>
    </message>
    <message id="list.mark_done">
        <source>Mark as done</source>
        <translation>Позначити виконаним</translation>
    </message>
    <message id="list.mark_open">
        <source>Mark as not done</source>
        <translation>Позначити невиконаним</translation>
    </message>
    <message id="list.urgent">
        <source>Urgent</source>
        <translation>Терміново</translation>
    </message>
    <message id="editor.date">
        <source>Day</source>
        <translation>День</translation>
    </message>
    <message id="editor.previous_month">
        <source>Previous month</source>
        <translation>Попередній місяць</translation>
    </message>
    <message id="editor.next_month">
        <source>Next month</source>
        <translation>Наступний місяць</translation>
    </message>
    <message id="editor.hour">
        <source>Hour</source>
        <translation>Година</translation>
    </message>
    <message id="editor.minute">
        <source>Minute</source>
        <translation>Хвилина</translation>
    </message>
    <message id="editor.day_period">
        <source>AM or PM</source>
        <translation>До чи після полудня</translation>
    </message>
</context>
</TS>
