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
    <message id="list.empty">
        <source>No open tasks</source>
        <translation>Немає відкритих завдань</translation>
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
        <source>Could not read the screenshot</source>
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
        <translation>Читаю знімок…</translation>
    </message>
    <message id="list.waiting_sign_in">
        <source>Waiting for the service to sign in…</source>
        <translation>Чекаю, поки сервіс увійде…</translation>
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
    <message id="editor.date">
        <source>Day</source>
        <translation>День</translation>
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
    <message id="list.waiting" numerus="yes">
        <source>%n screenshots waiting to upload</source>
        <translation>
            <numerusform>%n знімок чекає на вивантаження</numerusform>
            <numerusform>%n знімки чекають на вивантаження</numerusform>
            <numerusform>%n знімків чекають на вивантаження</numerusform>
        </translation>
    </message>
    <message id="list.done_section" numerus="yes">
        <source>Done (%n)</source>
        <translation>
            <numerusform>Виконані (%n)</numerusform>
            <numerusform>Виконані (%n)</numerusform>
            <numerusform>Виконані (%n)</numerusform>
        </translation>
    </message>
</context>
</TS>
