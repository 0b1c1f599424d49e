// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "hotkeycenter.h"

#include "platform/hotkeybackend.h"

HotkeyCenter::HotkeyCenter(QObject *parent)
    : HotkeyCenter(HotkeyBackend::create(), parent)
{ }

HotkeyCenter::HotkeyCenter(std::unique_ptr<HotkeyBackend> backend, QObject *parent)
    : QObject(parent)
    , m_backend(std::move(backend))
{
    connect(m_backend.get(), &HotkeyBackend::stateChanged, this, &HotkeyCenter::onStateChanged);
    connect(m_backend.get(), &HotkeyBackend::activated, this, &HotkeyCenter::onActivated);
}

HotkeyCenter::~HotkeyCenter() = default;

void HotkeyCenter::registerKeys(const QList<Binding> &bindings)
{
    m_actions.clear();
    m_registrations.clear();
    QList<HotkeyBackend::Key> keys;
    for (int i = 0; i < bindings.size(); ++i) {
        const Binding &b = bindings.at(i);
        const int number = i + 1;
        m_actions.insert(number, b.action);
        m_registrations.append({ b.hotkey, State::Pending, {} });
        keys.append({ number, b.hotkey, b.description });
    }
    m_backend->bind(keys);
    Q_EMIT registrationsChanged();
}

std::optional<HotkeyCenter::Registration> HotkeyCenter::registration(const Hotkey &hotkey) const
{
    for (const Registration &r : m_registrations)
        if (r.hotkey.keyCode == hotkey.keyCode && r.hotkey.modifiers == hotkey.modifiers)
            return r;
    return std::nullopt;
}

void HotkeyCenter::setSuspended(bool suspended)
{
    if (suspended == m_suspended)
        return;
    m_suspended = suspended;
    m_backend->setSuspended(suspended);
    Q_EMIT suspendedChanged();
}

QString HotkeyCenter::mechanism() const
{
    return m_backend->name();
}

QString HotkeyCenter::spelling(const Hotkey &hotkey)
{
    QStringList parts;
    if (hotkey.modifiers & Hotkey::control)
        parts << QStringLiteral("Ctrl");
    if (hotkey.modifiers & Hotkey::option)
        parts << QStringLiteral("Alt");
    if (hotkey.modifiers & Hotkey::shift)
        parts << QStringLiteral("Shift");
    if (hotkey.modifiers & Hotkey::command)
        parts << QStringLiteral("Super");
    parts << hotkey.key.toUpper();
    return parts.join(QLatin1Char('+'));
}

void HotkeyCenter::onStateChanged(int number, State state, const QString &trigger)
{
    if (number < 1 || number > m_registrations.size())
        return;
    Registration &r = m_registrations[number - 1];
    if (r.state == state && r.trigger == trigger)
        return;
    r.state = state;
    r.trigger = trigger;
    Q_EMIT registrationsChanged();
}

void HotkeyCenter::onActivated(int number)
{
    if (m_suspended)
        return;
    // A copy: the action may register new keys and so replace m_actions.
    const Action action = m_actions.value(number);
    if (action)
        action();
}
