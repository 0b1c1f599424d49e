// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "hotkeycenter.h"
#include "keyrecorder.h"
#include "translations.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>

namespace {
/*! Counts the key presses that get through to it. */
class Window : public QWindow
{
public:
    int presses = 0;

protected:
    void keyPressEvent(QKeyEvent *) override { ++presses; }
};

constexpr quint32 xkb(quint32 evdev)
{
    return evdev + 8;
}
constexpr auto hyper = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
} // namespace

class KeyRecorderTest : public QObject
{
    Q_OBJECT
private:
    static void press(QWindow *window, int key, quint32 scanCode, Qt::KeyboardModifiers modifiers = {})
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, 0, 0);
        QCoreApplication::sendEvent(window, &event);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, scanCode, 0, 0);
        QCoreApplication::sendEvent(window, &release);
    }

private Q_SLOTS:
    void initTestCase() { QCOMPARE(Translations::install({ u"en"_qs }), u"en"_qs); }

    void recordsAChordAndSwallowsEveryPress_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("records");
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("mask");
        QTest::addColumn<QString>("text");
        QTest::newRow("T alone is ignored")
            << int(Qt::Key_T) << xkb(20) << Qt::KeyboardModifiers() << false << 0u << 0u << QString();
        QTest::newRow("Shift+T is ignored")
            << int(Qt::Key_T) << xkb(20) << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << 0u << 0u << QString();
        QTest::newRow("Ctrl alone is ignored")
            << int(Qt::Key_Alt) << xkb(56) << Qt::KeyboardModifiers(Qt::ControlModifier) << false << 0u << 0u
            << QString();
        QTest::newRow("Ctrl+Alt+Super+T")
            << int(Qt::Key_T) << xkb(20) << Qt::KeyboardModifiers(hyper) << true << 17u << 6400u << u"T"_qs;
        QTest::newRow("Shift+Super+K") << int(Qt::Key_K) << xkb(37)
                                       << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::MetaModifier) << true << 40u
                                       << 768u << u"K"_qs;
        QTest::newRow("Alt+F5") << int(Qt::Key_F5) << xkb(63) << Qt::KeyboardModifiers(Qt::AltModifier) << true << 96u
                                << 2048u << u"F5"_qs;
        QTest::newRow("no scan code: the US key")
            << int(Qt::Key_L) << 0u << Qt::KeyboardModifiers(hyper) << true << 37u << 6400u << u"L"_qs;
    }
    void recordsAChordAndSwallowsEveryPress()
    {
        QFETCH(int, key);
        QFETCH(quint32, scanCode);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, records);
        Window window;
        KeyRecorder recorder;
        recorder.setHotkey(Hotkey::defaultList());
        QSignalSpy recorded(&recorder, &KeyRecorder::recorded);
        QSignalSpy recording(&recorder, &KeyRecorder::recordingChanged);

        recorder.start();
        press(&window, key, scanCode, modifiers);
        QCOMPARE(window.presses, 0);
        QCOMPARE(recorder.recording(), !records);
        if (records) {
            QFETCH(quint32, keyCode);
            QFETCH(quint32, mask);
            QFETCH(QString, text);
            const Hotkey expected { keyCode, mask, text };
            QCOMPARE(recorded.size(), 1);
            QCOMPARE(recorded.first().first().value<Hotkey>(), expected);
            QCOMPARE(recorder.hotkey(), expected);
            QCOMPARE(recording.size(), 2);
        } else {
            QCOMPARE(recorded.size(), 0);
            QCOMPARE(recorder.hotkey(), Hotkey::defaultList());
        }
        // Once idle, presses reach the window again.
        recorder.stop();
        press(&window, key, scanCode, modifiers);
        QCOMPARE(window.presses, 1);
    }

    void closingOrHidingAnyWindowStopsRecording_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("close") << true;
        QTest::newRow("hide") << false;
    }
    void closingOrHidingAnyWindowStopsRecording()
    {
        QFETCH(bool, close);
        Window other;
        other.show();
        KeyRecorder recorder;
        recorder.start();
        if (close)
            other.close();
        else
            other.hide();
        QVERIFY(!recorder.recording());
    }

    void noteSaysWhatTheDesktopMadeOfIt()
    {
        KeyRecorder recorder;
        QSignalSpy changed(&recorder, &KeyRecorder::noteChanged);
        QCOMPARE(recorder.note(), QString());
        recorder.setTrigger(u"Ctrl+Alt+Y"_qs);
        QVERIFY(recorder.note().contains(u"Ctrl+Alt+Y"_qs));
        recorder.setRefused(true);
        QVERIFY(!recorder.note().contains(u"Ctrl+Alt+Y"_qs));
        recorder.setRefused(false);
        recorder.setTrigger({});
        QCOMPARE(recorder.note(), QString());
        QCOMPARE(changed.size(), 4);
    }

    // Real presses under X11: the recorder gets the current hot key instead of the grab, and
    // the grab works again once recording ends.
    void grabsAreSuspendedWhileRecording()
    {
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("needs an X server");
        if (QStandardPaths::findExecutable(u"xdotool"_qs).isEmpty())
            QSKIP("needs xdotool");
        HotkeyCenter hotkeys;
        int fired = 0;
        hotkeys.registerKeys({ { Hotkey::defaultCapture(), [&fired] { ++fired; }, u"Capture"_qs } });
        const auto active = [&hotkeys] {
            const auto registration = hotkeys.registration(Hotkey::defaultCapture());
            return registration && registration->state == HotkeyCenter::State::Active;
        };
        QTRY_VERIFY(active());
        const auto press = [] {
            QProcess xdotool;
            xdotool.start(u"xdotool"_qs, { u"key"_qs, u"ctrl+alt+super+t"_qs });
            QVERIFY(xdotool.waitForFinished());
        };
        press();
        QTRY_COMPARE(fired, 1);

        Window window;
        window.resize(100, 100);
        window.show();
        window.requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        KeyRecorder recorder;
        recorder.setHotkey(Hotkey::defaultList());
        connect(&recorder, &KeyRecorder::recordingChanged, &hotkeys, &HotkeyCenter::setSuspended);
        QSignalSpy recorded(&recorder, &KeyRecorder::recorded);
        recorder.start();
        press();
        QTRY_COMPARE(recorded.size(), 1);
        QCOMPARE(recorded.first().first().value<Hotkey>(), Hotkey::defaultCapture());
        QCOMPARE(window.presses, 0);
        QCOMPARE(fired, 1);

        QTRY_VERIFY(active());
        press();
        QTRY_COMPARE(fired, 2);
    }
};

QTEST_MAIN(KeyRecorderTest)
#include "test_keyrecorder.moc"
