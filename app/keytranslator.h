// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <Qt>

#include <memory>
#include <optional>

class QKeyEvent;
struct xkb_context;
struct xkb_keymap;

/*!
 * \brief Turns a key press into what a Hotkey stores: the code of the physical key,
 * the modifier bits and the text the key writes without modifiers.
 *
 * The text comes from the keyboard layout the press was typed in (so the T key reads
 * "Е" in a Ukrainian layout), the key code from the key's place on the keyboard (17
 * whatever the layout). Used by the hot-key recorder.
 */
class KeyTranslator
{
public:
    /*! What a key press reports, apart from the Qt event, so tests can state it directly. */
    struct Press
    {
        quint32 nativeScanCode = 0; //!< XKB key code (evdev + 8) on X11 and Wayland, 0 elsewhere
        int key = 0; //!< Qt::Key
        Qt::KeyboardModifiers modifiers;
        quint32 nativeModifiers = 0; //!< X11 core state: the layout group sits in bits 13 and 14
        quint32 nativeVirtualKey = 0; //!< the keysym, where the platform reports one
        static Press of(const QKeyEvent &event);
    };

    struct Key
    {
        std::optional<quint32> keyCode; //!< nothing for a key Hotkey cannot name
        quint32 modifiers = 0; //!< Hotkey's modifier bits
        QString text; //!< upper-cased; a name such as "F5" or "Space" for keys that write nothing visible
    };

    /*!
     * The desktop's keyboard: the X server's keymap on X11. Elsewhere key codes still come
     * from the press and texts from the keysym it reports, or from a US layout.
     */
    static KeyTranslator forDesktop();
    /*! XKB layouts by name ("us", "ua", "de", or several as "us,ua"), for tests. */
    static KeyTranslator forLayouts(const QString &layouts, const QString &variants = {});

    KeyTranslator(KeyTranslator &&) noexcept;
    KeyTranslator &operator=(KeyTranslator &&) noexcept;
    ~KeyTranslator();

    bool hasKeymap() const { return m_keymap != nullptr; }
    Key translate(const Press &press) const;

    /*! Hotkey's modifier bits for Qt's: Meta (Super) is command, Alt is option. */
    static quint32 modifierMask(Qt::KeyboardModifiers modifiers);

private:
    KeyTranslator(xkb_context *context, xkb_keymap *keymap);
    /*! The XKB key code of the US key that produces \a qtKey, for presses without a scan code. */
    std::optional<quint32> usKeycode(int qtKey) const;
    const KeyTranslator &usLayout() const;

    xkb_context *m_context = nullptr;
    xkb_keymap *m_keymap = nullptr;
    mutable std::unique_ptr<KeyTranslator> m_us;
};
