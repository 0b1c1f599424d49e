// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "hotkeys_portal.h"

#include "portalrequest.h"

#include <QCoroDBusPendingCall>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QPointer>
#include <QUuid>

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
constexpr int versionTimeout = 5000;

QString shortcutId(int number)
{
    return QStringLiteral("hotkey-") + QString::number(number);
}
} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

void PortalHotkeys::registerTypes()
{
    // The Activated slot is found by its signature: every type in it must be known by name.
    qRegisterMetaType<QDBusObjectPath>();
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

PortalHotkeys::PortalHotkeys(const QDBusConnection &bus, QObject *parent)
    : HotkeyBackend(parent)
    , m_bus(bus)
{
    registerTypes();
    // Any sender: the session path identifies our shortcuts, and a portal started after us
    // (a name without an owner yet) still reaches us.
    m_bus.connect(QString(), portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

PortalHotkeys::~PortalHotkeys()
{
    closeSession();
}

QString PortalHotkeys::preferredTrigger(const Hotkey &hotkey)
{
    QStringList parts;
    if (hotkey.modifiers & Hotkey::control)
        parts << QStringLiteral("CTRL");
    if (hotkey.modifiers & Hotkey::option)
        parts << QStringLiteral("ALT");
    if (hotkey.modifiers & Hotkey::shift)
        parts << QStringLiteral("SHIFT");
    if (hotkey.modifiers & Hotkey::command)
        parts << QStringLiteral("LOGO");
    // Letters and digits by their keysym name; longer labels ("F5") are keysym names already.
    parts << (hotkey.key.size() == 1 ? hotkey.key.toLower() : hotkey.key);
    return parts.join(QLatin1Char('+'));
}

void PortalHotkeys::bind(const QList<Key> &keys)
{
    closeSession();
    m_numbers.clear();
    const quint64 generation = ++m_generation;
    if (keys.isEmpty())
        return;
    report(keys, HotkeyCenter::State::Pending);
    establish(generation, keys);
}

void PortalHotkeys::report(const QList<Key> &keys, HotkeyCenter::State state)
{
    for (const Key &key : keys)
        Q_EMIT stateChanged(key.number, state, {});
}

void PortalHotkeys::closeSession()
{
    if (m_session.isEmpty())
        return;
    m_bus.asyncCall(QDBusMessage::createMethodCall(
        portalService, m_session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    m_session.clear();
}

QCoro::Task<> PortalHotkeys::establish(quint64 generation, QList<Key> keys)
{
    // Awaited things are named locals: GCC 12 may destroy temporaries of a co_await
    // expression twice.
    QPointer<PortalHotkeys> self(this);
    auto stale = [&] { return !self || generation != m_generation; };

    QDBusMessage probe = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    probe << shortcutsInterface << QStringLiteral("version");
    QDBusPendingCall probing = m_bus.asyncCall(probe, versionTimeout);
    const QDBusMessage version = co_await probing;
    if (stale())
        co_return;
    if (version.type() != QDBusMessage::ReplyMessage) {
        report(keys, HotkeyCenter::State::Unsupported);
        co_return;
    }

    PortalRequest creating(m_bus);
    QDBusMessage create = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface,
                                                         QStringLiteral("CreateSession"));
    create << QVariantMap { { QStringLiteral("handle_token"), creating.token() },
                            { QStringLiteral("session_handle_token"),
                              QString(QStringLiteral("quibly") + QUuid::createUuid().toString(QUuid::Id128)) } };
    QDBusPendingCall createCall = m_bus.asyncCall(create);
    const QDBusMessage created = co_await createCall;
    if (stale())
        co_return;
    if (created.type() == QDBusMessage::ReplyMessage && !created.arguments().isEmpty())
        creating.follow(created.arguments().constFirst().value<QDBusObjectPath>().path());
    auto waitCreated = creating.wait(m_timeout);
    const std::optional<PortalRequest::Response> session = co_await std::move(waitCreated);
    if (stale()) {
        if (session && session->code == 0)
            m_bus.asyncCall(QDBusMessage::createMethodCall(
                portalService, session->results.value(QStringLiteral("session_handle")).toString(),
                QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
        co_return;
    }
    if (created.type() != QDBusMessage::ReplyMessage || !session || session->code != 0) {
        report(keys, HotkeyCenter::State::Unsupported);
        co_return;
    }
    // The handle is an object path, sent as a string by some versions of the portal.
    const QVariant handle = session->results.value(QStringLiteral("session_handle"));
    m_session = handle.metaType() == QMetaType::fromType<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                                            : handle.toString();

    QList<PortalShortcut> shortcuts;
    for (const Key &key : std::as_const(keys)) {
        m_numbers.insert(shortcutId(key.number), key.number);
        shortcuts.append({ shortcutId(key.number),
                           { { QStringLiteral("description"),
                               key.description.isEmpty() ? HotkeyCenter::spelling(key.hotkey) : key.description },
                             { QStringLiteral("preferred_trigger"), preferredTrigger(key.hotkey) } } });
    }
    PortalRequest binding(m_bus);
    QDBusMessage bindMessage = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface,
                                                              QStringLiteral("BindShortcuts"));
    bindMessage << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariant::fromValue(shortcuts) << QString()
                << QVariantMap { { QStringLiteral("handle_token"), binding.token() } };
    QDBusPendingCall bindCall = m_bus.asyncCall(bindMessage);
    const QDBusMessage bound = co_await bindCall;
    if (stale())
        co_return;
    if (bound.type() == QDBusMessage::ReplyMessage && !bound.arguments().isEmpty())
        binding.follow(bound.arguments().constFirst().value<QDBusObjectPath>().path());
    auto waitBound = binding.wait(m_timeout);
    const std::optional<PortalRequest::Response> result = co_await std::move(waitBound);
    if (stale())
        co_return;
    if (bound.type() != QDBusMessage::ReplyMessage || !result || result->code != 0) {
        report(keys, HotkeyCenter::State::Refused);
        co_return;
    }
    const QVariant answered = result->results.value(QStringLiteral("shortcuts"));
    QList<PortalShortcut> chosen;
    if (answered.canConvert<QDBusArgument>())
        answered.value<QDBusArgument>() >> chosen;
    for (const Key &key : std::as_const(keys)) {
        auto it = std::find_if(chosen.cbegin(), chosen.cend(),
                               [&](const PortalShortcut &s) { return s.id == shortcutId(key.number); });
        if (it == chosen.cend()) {
            Q_EMIT stateChanged(key.number, HotkeyCenter::State::Refused, {});
            continue;
        }
        const QString trigger = it->properties.value(QStringLiteral("trigger_description")).toString();
        Q_EMIT stateChanged(key.number, HotkeyCenter::State::Active, trigger);
    }
}

void PortalHotkeys::onActivated(const QDBusObjectPath &session, const QString &id, qulonglong, const QVariantMap &)
{
    if (m_session.isEmpty() || session.path() != m_session)
        return;
    if (const int number = m_numbers.value(id))
        Q_EMIT activated(number);
}
