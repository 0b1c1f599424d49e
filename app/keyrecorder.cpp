// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "keyrecorder.h"

#include "hotkeycenter.h"
#include "keycodes.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWindow>

namespace {
constexpr quint32 escapeKeyCode = 53;
}

KeyRecorder::KeyRecorder(QObject *parent)
    : QObject(parent)
    , m_hotkey(Hotkey::defaultCapture())
{ }

KeyRecorder::~KeyRecorder()
{
    if (m_recording)
        QCoreApplication::instance()->removeEventFilter(this);
}

void KeyRecorder::setHotkey(const Hotkey &hotkey)
{
    if (hotkey == m_hotkey)
        return;
    m_hotkey = hotkey;
    Q_EMIT hotkeyChanged();
}

QString KeyRecorder::desktopText(const Hotkey &hotkey)
{
    return HotkeyCenter::spelling(hotkey);
}

void KeyRecorder::setRefused(bool refused)
{
    m_refused = refused;
    updateNote();
}

void KeyRecorder::setTrigger(const QString &trigger)
{
    m_trigger = trigger;
    updateNote();
}

void KeyRecorder::updateNote()
{
    QString note;
    if (m_refused)
        note = qtTrId("settings.hotkey_refused");
    else if (!m_trigger.isEmpty())
        //: %1 is the key combination the desktop chose, such as Ctrl+Alt+T
        note = qtTrId("settings.hotkey_trigger").arg(m_trigger);
    if (note == m_note)
        return;
    m_note = note;
    Q_EMIT noteChanged();
}

void KeyRecorder::start()
{
    if (m_recording)
        return;
    // The layout may have changed since the last recording: read the keymap afresh.
    m_translator.emplace(KeyTranslator::forDesktop());
    QCoreApplication::instance()->installEventFilter(this);
    m_recording = true;
    Q_EMIT recordingChanged(true);
}

void KeyRecorder::stop()
{
    if (!m_recording)
        return;
    QCoreApplication::instance()->removeEventFilter(this);
    m_translator.reset();
    m_recording = false;
    Q_EMIT recordingChanged(false);
}

void KeyRecorder::toggle()
{
    if (m_recording)
        stop();
    else
        start();
}

bool KeyRecorder::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Accepted, so no shortcut of any window fires; the press itself follows.
        event->accept();
        return true;
    case QEvent::KeyPress:
        // Only presses sent to windows count: the same press may be delivered on to items.
        if (watched->isWindowType())
            press(KeyTranslator::Press::of(*static_cast<QKeyEvent *>(event)));
        return true;
    case QEvent::KeyRelease:
        return true;
    case QEvent::Close:
    case QEvent::Hide:
        if (watched->isWindowType())
            stop();
        return false;
    default:
        return false;
    }
}

void KeyRecorder::press(const KeyTranslator::Press &press)
{
    if (!m_translator)
        return;
    const KeyTranslator::Key key = m_translator->translate(press);
    if (press.key == Qt::Key_Escape || key.keyCode == escapeKeyCode) {
        stop();
        return;
    }
    const quint32 chord = Hotkey::command | Hotkey::option | Hotkey::control;
    if (!key.keyCode || key.text.isEmpty() || !(key.modifiers & chord))
        return;
    const Hotkey hotkey { *key.keyCode, key.modifiers, key.text };
    stop();
    setHotkey(hotkey);
    Q_EMIT recorded(hotkey);
}
