// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "keytranslator.h"

#include "hotkey.h"
#include "keycodes.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QtGui/qguiapplication_platform.h>

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <utility>

namespace {
// Dead keys write nothing on their own; show the accent they stand for.
constexpr auto deadKeys = std::to_array<std::pair<xkb_keysym_t, char16_t>>({
    { XKB_KEY_dead_grave, u'`' },
    { XKB_KEY_dead_acute, u'\u00B4' },
    { XKB_KEY_dead_circumflex, u'^' },
    { XKB_KEY_dead_tilde, u'~' },
    { XKB_KEY_dead_macron, u'\u00AF' },
    { XKB_KEY_dead_breve, u'\u02D8' },
    { XKB_KEY_dead_abovedot, u'\u02D9' },
    { XKB_KEY_dead_diaeresis, u'\u00A8' },
    { XKB_KEY_dead_abovering, u'\u02DA' },
    { XKB_KEY_dead_doubleacute, u'\u02DD' },
    { XKB_KEY_dead_caron, u'\u02C7' },
    { XKB_KEY_dead_cedilla, u'\u00B8' },
    { XKB_KEY_dead_ogonek, u'\u02DB' },
});

// Keys without a character, for presses that carry no scan code (offscreen, tests).
constexpr auto namedKeys = std::to_array<std::pair<int, xkb_keysym_t>>({
    { Qt::Key_Space, XKB_KEY_space },
    { Qt::Key_Tab, XKB_KEY_Tab },
    { Qt::Key_Return, XKB_KEY_Return },
    { Qt::Key_Enter, XKB_KEY_KP_Enter },
    { Qt::Key_Backspace, XKB_KEY_BackSpace },
    { Qt::Key_Delete, XKB_KEY_Delete },
    { Qt::Key_Insert, XKB_KEY_Insert },
    { Qt::Key_Home, XKB_KEY_Home },
    { Qt::Key_End, XKB_KEY_End },
    { Qt::Key_PageUp, XKB_KEY_Prior },
    { Qt::Key_PageDown, XKB_KEY_Next },
    { Qt::Key_Left, XKB_KEY_Left },
    { Qt::Key_Right, XKB_KEY_Right },
    { Qt::Key_Up, XKB_KEY_Up },
    { Qt::Key_Down, XKB_KEY_Down },
    { Qt::Key_Print, XKB_KEY_Print },
    { Qt::Key_Escape, XKB_KEY_Escape },
});

bool isModifier(xkb_keysym_t sym)
{
    return (sym >= XKB_KEY_Shift_L && sym <= XKB_KEY_Hyper_R)
        || (sym >= XKB_KEY_ISO_Lock && sym <= XKB_KEY_ISO_Last_Group_Lock) || sym == XKB_KEY_Mode_switch
        || sym == XKB_KEY_Num_Lock;
}

/*! What \a sym writes, or its name when it writes nothing visible; nothing for modifier keys. */
QString keysymText(xkb_keysym_t sym)
{
    if (isModifier(sym))
        return {};
    for (const auto &[dead, accent] : deadKeys)
        if (dead == sym)
            return QString(QChar(accent));
    std::array<char, 16> utf8 {};
    if (xkb_keysym_to_utf8(sym, utf8.data(), utf8.size()) > 0) {
        const QString text = QString::fromUtf8(utf8.data());
        if (!text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace())
            return text;
    }
    std::array<char, 64> name {};
    if (sym == XKB_KEY_NoSymbol || xkb_keysym_get_name(sym, name.data(), name.size()) <= 0)
        return {};
    QString text = QString::fromLatin1(name.data());
    // "space" → "Space", "Prior" stays; names are ASCII.
    text[0] = text[0].toUpper();
    return text;
}

xkb_keymap *keymapFromX11(xkb_context *context)
{
    // qGuiApp casts blindly; a program without a GUI has a plain QCoreApplication.
    const auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    const auto *x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return nullptr;
    xcb_connection_t *connection = x11->connection();
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return nullptr;
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return nullptr;
    return xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
}
} // namespace

KeyTranslator::KeyTranslator(xkb_context *context, xkb_keymap *keymap)
    : m_context(context)
    , m_keymap(keymap)
{ }

KeyTranslator::KeyTranslator(KeyTranslator &&other) noexcept
    : m_context(std::exchange(other.m_context, nullptr))
    , m_keymap(std::exchange(other.m_keymap, nullptr))
    , m_us(std::move(other.m_us))
{ }

KeyTranslator &KeyTranslator::operator=(KeyTranslator &&other) noexcept
{
    std::swap(m_context, other.m_context);
    std::swap(m_keymap, other.m_keymap);
    std::swap(m_us, other.m_us);
    return *this;
}

KeyTranslator::~KeyTranslator()
{
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    if (m_context)
        xkb_context_unref(m_context);
}

KeyTranslator KeyTranslator::forDesktop()
{
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    return KeyTranslator(context, context ? keymapFromX11(context) : nullptr);
}

KeyTranslator KeyTranslator::forLayouts(const QString &layouts, const QString &variants)
{
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return KeyTranslator(nullptr, nullptr);
    const QByteArray layout = layouts.toUtf8();
    const QByteArray variant = variants.toUtf8();
    const xkb_rule_names names { "evdev", "pc105", layout.constData(), variant.constData(), "" };
    return KeyTranslator(context, xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

KeyTranslator::Press KeyTranslator::Press::of(const QKeyEvent &event)
{
    return { event.nativeScanCode(), event.key(), event.modifiers(), event.nativeModifiers(),
             event.nativeVirtualKey() };
}

quint32 KeyTranslator::modifierMask(Qt::KeyboardModifiers modifiers)
{
    return Hotkey::carbonModifiers(modifiers & Qt::MetaModifier, modifiers & Qt::AltModifier,
                                   modifiers & Qt::ControlModifier, modifiers & Qt::ShiftModifier);
}

const KeyTranslator &KeyTranslator::usLayout() const
{
    if (!m_us)
        m_us = std::make_unique<KeyTranslator>(forLayouts(QStringLiteral("us")));
    return *m_us;
}

std::optional<quint32> KeyTranslator::usKeycode(int qtKey) const
{
    xkb_keymap *us = usLayout().m_keymap;
    if (!us)
        return std::nullopt;
    xkb_keysym_t wanted = XKB_KEY_NoSymbol;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        wanted = XKB_KEY_F1 + xkb_keysym_t(qtKey - Qt::Key_F1);
    for (const auto &[key, sym] : namedKeys)
        if (key == qtKey)
            wanted = sym;
    // Qt names character keys by their upper-case character; the layout's first level is lower case.
    if (wanted == XKB_KEY_NoSymbol && qtKey > 0 && qtKey < 0x01000000)
        wanted = xkb_utf32_to_keysym(QChar::toLower(char32_t(qtKey)));
    if (wanted == XKB_KEY_NoSymbol)
        return std::nullopt;
    for (xkb_keycode_t code = xkb_keymap_min_keycode(us); code <= xkb_keymap_max_keycode(us); ++code) {
        const xkb_keysym_t *syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(us, code, 0, 0, &syms) == 1 && syms[0] == wanted)
            return code;
    }
    return std::nullopt;
}

KeyTranslator::Key KeyTranslator::translate(const Press &press) const
{
    Key result;
    result.modifiers = modifierMask(press.modifiers);

    std::optional<quint32> keycode;
    if (press.nativeScanCode >= KeyCodes::xkbOffset)
        keycode = press.nativeScanCode;
    const bool fromQtKey = !keycode;
    if (fromQtKey)
        keycode = usKeycode(press.key);
    if (!keycode)
        return result;
    result.keyCode = KeyCodes::fromXkb(*keycode);

    // The text the key writes on the first level of the active layout, modifiers ignored.
    xkb_keymap *keymap = fromQtKey || !m_keymap ? nullptr : m_keymap;
    xkb_keysym_t sym = XKB_KEY_NoSymbol;
    if (keymap) {
        const xkb_layout_index_t layout = (press.nativeModifiers >> 13) & 0x3;
        const xkb_keysym_t *syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(keymap, *keycode, layout, 0, &syms) >= 1)
            sym = syms[0];
    } else if (!fromQtKey && press.nativeVirtualKey) {
        // Without the desktop's keymap (Wayland) the reported keysym is the best we know;
        // with Shift it may be the shifted character.
        sym = xkb_keysym_to_lower(press.nativeVirtualKey);
    } else if (xkb_keymap *us = usLayout().m_keymap) {
        const xkb_keysym_t *syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(us, *keycode, 0, 0, &syms) >= 1)
            sym = syms[0];
    }
    result.text = keysymText(sym).toUpper();
    return result;
}
