// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "hotkey.h"
#include "keytranslator.h"

#include <QObject>
#include <QString>

#include <optional>

/*!
 * \brief Records one global hot key from the next suitable key press.
 *
 * While recording, every key event for any window of the application is swallowed, so
 * nothing reaches the controls. Escape cancels; a key held with Ctrl, Alt or Super
 * becomes the new hot key (recorded()); plain and Shift-only keys are ignored. Closing or
 * hiding any window of the application stops recording. The application suspends its own
 * global grabs while recordingChanged() says true, or the current hot key would fire
 * instead of being recorded. HotkeyRecorder.qml is its face.
 */
class KeyRecorder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool recording READ recording NOTIFY recordingChanged)
    Q_PROPERTY(QString text READ text NOTIFY hotkeyChanged)
    Q_PROPERTY(QString desktopText READ desktopText NOTIFY hotkeyChanged)
    Q_PROPERTY(QString note READ note NOTIFY noteChanged)

public:
    explicit KeyRecorder(QObject *parent = nullptr);
    ~KeyRecorder() override;

    /*! The hot key shown while idle. */
    const Hotkey &hotkey() const { return m_hotkey; }
    void setHotkey(const Hotkey &hotkey);

    bool recording() const { return m_recording; }
    /*! The stored form, "⌃⌥⌘T". */
    QString text() const { return m_hotkey.display(); }
    /*! The spelling Linux desktops use, "Ctrl+Alt+Super+T". */
    QString desktopText() const { return desktopText(m_hotkey); }
    static QString desktopText(const Hotkey &hotkey);

    /*! What the desktop made of the hot key: empty when it took it as asked. */
    QString note() const { return m_note; }
    /*! The desktop refused the combination (another program holds it). */
    void setRefused(bool refused);
    /*! The desktop bound \a trigger instead of the combination asked for; empty when as asked. */
    void setTrigger(const QString &trigger);

    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void toggle();

Q_SIGNALS:
    void recordingChanged(bool recording);
    void hotkeyChanged();
    void noteChanged();
    /*! The user pressed \a hotkey; the recorder already left recording mode. */
    void recorded(const Hotkey &hotkey);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void press(const KeyTranslator::Press &press);
    void updateNote();

    Hotkey m_hotkey;
    bool m_recording = false;
    bool m_refused = false;
    QString m_trigger;
    QString m_note;
    std::optional<KeyTranslator> m_translator;
};
