// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "keycodes.h"
#include "keyrecorder.h"
#include "keytranslator.h"
#include "translations.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

Q_DECLARE_METATYPE(std::optional<quint32>)

namespace {
/*! Counts the key presses that get through to it. */
class Window : public QWindow
{
public:
    int presses = 0;

protected:
    void keyPressEvent(QKeyEvent *) override { ++presses; }
};

void press(QWindow *window, int key, quint32 scanCode, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, 0, 0);
    QCoreApplication::sendEvent(window, &event);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, scanCode, 0, 0);
    QCoreApplication::sendEvent(window, &release);
}

constexpr auto hyper = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
using Press = KeyTranslator::Press;
const Hotkey oldKey { 40, Hotkey::control | Hotkey::shift, QStringLiteral("K") };
} // namespace

// What a key press means for a hot key (KeyTranslator), and the recorder built on it.
class KeyRecorderTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QCOMPARE(Translations::install({ u"en"_qs }), u"en"_qs); }

    void physicalKeyAndLayoutText_data()
    {
        QTest::addColumn<QString>("layouts");
        QTest::addColumn<quint32>("group");
        QTest::addColumn<quint32>("evdev");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("mask");
        QTest::addColumn<QString>("text");
        auto row = [](const char *name, const char *layouts, quint32 group, quint32 evdev,
                      Qt::KeyboardModifiers modifiers, quint32 keyCode, quint32 mask, const QString &text) {
            QTest::newRow(name) << QString::fromLatin1(layouts) << group << evdev << modifiers << keyCode << mask
                                << text;
        };
        row("ua T writes Е", "ua", 0, 20, hyper, 17, 6400, u"Е"_qs);
        row("de Y key writes Z", "de", 0, 21, Qt::ControlModifier, 16, 4096, u"Z"_qs);
        row("de Ö", "de", 0, 39, Qt::ControlModifier, 41, 4096, u"Ö"_qs);
        row("de dead circumflex", "de", 0, 41, Qt::ControlModifier, 50, 4096, u"^"_qs);
        row("ua digit ignores shift", "ua", 0, 2, Qt::ShiftModifier | Qt::ControlModifier, 18, 4608, u"1"_qs);
        row("us,ua in the first group", "us,ua", 0, 20, hyper, 17, 6400, u"T"_qs);
        row("us,ua in the second group", "us,ua", 1, 20, hyper, 17, 6400, u"Е"_qs);
        row("F5 by name", "ua", 0, 63, Qt::ControlModifier, 96, 4096, u"F5"_qs);
        row("space by name", "us", 0, 57, Qt::MetaModifier, 49, 256, u"SPACE"_qs);
        row("Alt itself writes nothing", "us", 0, 56, Qt::ControlModifier, 58, 4096, QString());
        row("AltGr itself writes nothing", "de", 0, 100, Qt::ControlModifier, 61, 4096, QString());
        row("Print is F13", "us", 0, 99, Qt::MetaModifier, 105, 256, u"PRINT"_qs);
    }
    void physicalKeyAndLayoutText()
    {
        QFETCH(QString, layouts);
        QFETCH(quint32, group);
        QFETCH(quint32, evdev);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(quint32, keyCode);
        QFETCH(quint32, mask);
        QFETCH(QString, text);
        const auto translator = KeyTranslator::forLayouts(layouts);
        QVERIFY(translator.hasKeymap());
        Press press;
        press.nativeScanCode = evdev + 8;
        press.modifiers = modifiers;
        press.nativeModifiers = group << 13;
        const auto key = translator.translate(press);
        QCOMPARE(key.keyCode, std::optional<quint32>(keyCode));
        QCOMPARE(key.modifiers, mask);
        QCOMPARE(key.text, text);
        QCOMPARE(KeyCodes::toEvdev(keyCode), std::optional<quint32>(evdev));
    }

    // Offscreen and synthetic presses carry no scan code: the key's place on a US keyboard stands
    // in, whatever the layout. A key of no place a hot key can name gives no code.
    void pressWithoutAUsableScanCode_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<std::optional<quint32>>("keyCode");
        QTest::addColumn<QString>("text");
        QTest::newRow("T") << int(Qt::Key_T) << 0u << std::optional(17u) << u"T"_qs;
        QTest::newRow("7") << int(Qt::Key_7) << 0u << std::optional(26u) << u"7"_qs;
        QTest::newRow("F12") << int(Qt::Key_F12) << 0u << std::optional(111u) << u"F12"_qs;
        QTest::newRow("Left") << int(Qt::Key_Left) << 0u << std::optional(123u) << u"LEFT"_qs;
        QTest::newRow("KEY_UNKNOWN") << 0 << 240u + 8 << std::optional<quint32>() << QString();
    }
    void pressWithoutAUsableScanCode()
    {
        QFETCH(int, key);
        QFETCH(quint32, scanCode);
        QFETCH(std::optional<quint32>, keyCode);
        QFETCH(QString, text);
        Press press;
        press.key = key;
        press.nativeScanCode = scanCode;
        press.modifiers = Qt::ControlModifier;
        const auto result = KeyTranslator::forLayouts(u"ua"_qs).translate(press);
        QCOMPARE(result.keyCode, keyCode);
        if (keyCode)
            QCOMPARE(result.text, text);
    }

    void everyStoredCodeRoundTrips()
    {
        int known = 0;
        for (quint32 code = 0; code < 128; ++code) {
            if (auto evdev = KeyCodes::toEvdev(code)) {
                ++known;
                QCOMPARE(KeyCodes::fromEvdev(*evdev), std::optional<quint32>(code));
            }
        }
        QVERIFY(known > 100);
    }

    // Presses without a modifier other than Shift are no chord; every press while recording
    // is swallowed. Scan codes are X11 key codes (evdev + 8).
    void recordsAChordAndSwallowsEveryPress_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<Hotkey>("recorded"); // the old one: nothing recorded
        const Hotkey none = oldKey;
        const Hotkey hyperT { 17, 6400, u"T"_qs };
        QTest::newRow("T alone") << int(Qt::Key_T) << 28u << Qt::KeyboardModifiers() << none;
        QTest::newRow("Shift+T") << int(Qt::Key_T) << 28u << Qt::KeyboardModifiers(Qt::ShiftModifier) << none;
        QTest::newRow("Ctrl alone") << int(Qt::Key_Alt) << 64u << Qt::KeyboardModifiers(Qt::ControlModifier) << none;
        QTest::newRow("Ctrl+Alt+Super+T") << int(Qt::Key_T) << 28u << Qt::KeyboardModifiers(hyper) << hyperT;
        QTest::newRow("Alt+F5") << int(Qt::Key_F5) << 71u << Qt::KeyboardModifiers(Qt::AltModifier)
                                << Hotkey { 96, 2048, u"F5"_qs };
    }
    void recordsAChordAndSwallowsEveryPress()
    {
        QFETCH(int, key);
        QFETCH(quint32, scanCode);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(Hotkey, recorded);
        const bool records = recorded != oldKey;
        Window window;
        KeyRecorder recorder;
        recorder.setHotkey(oldKey);
        QSignalSpy spy(&recorder, &KeyRecorder::recorded);
        QSignalSpy recording(&recorder, &KeyRecorder::recordingChanged);

        recorder.start();
        press(&window, key, scanCode, modifiers);
        QCOMPARE(window.presses, 0);
        QCOMPARE(recorder.recording(), !records);
        QCOMPARE(recorder.hotkey(), recorded);
        QCOMPARE(spy.size(), records ? 1 : 0);
        QCOMPARE(recording.size(), records ? 2 : 1);
        if (records)
            QCOMPARE(spy.first().first().value<Hotkey>(), recorded);
        // Once idle, presses reach the window again.
        recorder.stop();
        press(&window, key, scanCode, modifiers);
        QCOMPARE(window.presses, 1);
    }

    void closingOrHidingAnyWindowStopsRecording()
    {
        for (const bool close : { true, false }) {
            Window other;
            other.show();
            KeyRecorder recorder;
            recorder.start();
            close ? void(other.close()) : other.hide();
            QVERIFY2(!recorder.recording(), close ? "closed" : "hidden");
        }
    }
};

QTEST_MAIN(KeyRecorderTest)
#include "test_keyrecorder.moc"
