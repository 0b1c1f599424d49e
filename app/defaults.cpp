// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "defaults.h"

#include "settingskey.h"

#include <QLocale>
#include <QSettings>

Defaults::Defaults(QObject *parent)
    : QObject(parent)
    , m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quibly"),
                                             QStringLiteral("Quibly")))
    , m_preferredLanguages(systemLanguages())
{ }

Defaults::Defaults(const QString &path, QStringList preferredLanguages, QObject *parent)
    : QObject(parent)
    , m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat))
    , m_preferredLanguages(std::move(preferredLanguages))
{ }

Defaults::~Defaults() = default;

QStringList Defaults::systemLanguages()
{
    return QLocale::system().uiLanguages();
}

QString Defaults::languageFor(const QStringList &preferredLanguages)
{
    if (!preferredLanguages.isEmpty() && preferredLanguages.first().startsWith(u"uk"))
        return QStringLiteral("uk");
    return QStringLiteral("en");
}

std::optional<QString> Defaults::text(const QString &key) const
{
    // Another process (quiblyctl or the application) may have written the file since.
    m_settings->sync();
    if (!m_settings->contains(key))
        return std::nullopt;
    return m_settings->value(key).toString();
}

std::optional<QByteArray> Defaults::bytes(const QString &key) const
{
    m_settings->sync();
    if (!m_settings->contains(key))
        return std::nullopt;
    return m_settings->value(key).toByteArray();
}

void Defaults::write(const QString &key, const QVariant &value)
{
    if (value.isValid())
        m_settings->setValue(key, value);
    else
        m_settings->remove(key);
    m_settings->sync();
    Q_EMIT changed(key);
}

std::optional<QString> Defaults::serverURL() const
{
    return text(SettingsKey::serverURL);
}

void Defaults::setServerURL(const std::optional<QString> &url)
{
    write(SettingsKey::serverURL, url ? QVariant(*url) : QVariant());
}

QString Defaults::taskLanguage() const
{
    if (auto stored = text(SettingsKey::taskLanguage))
        return *stored;
    return languageFor(m_preferredLanguages);
}

void Defaults::setTaskLanguage(const QString &language)
{
    write(SettingsKey::taskLanguage, language);
}

Hotkey Defaults::captureHotkey() const
{
    if (auto stored = bytes(SettingsKey::captureHotkey))
        if (auto hotkey = Hotkey::fromJson(*stored))
            return *hotkey;
    return Hotkey::defaultCapture();
}

void Defaults::setCaptureHotkey(const Hotkey &hotkey)
{
    write(SettingsKey::captureHotkey, hotkey.toJson());
}

Hotkey Defaults::listHotkey() const
{
    if (auto stored = bytes(SettingsKey::listHotkey))
        if (auto hotkey = Hotkey::fromJson(*stored))
            return *hotkey;
    return Hotkey::defaultList();
}

void Defaults::setListHotkey(const Hotkey &hotkey)
{
    write(SettingsKey::listHotkey, hotkey.toJson());
}

std::optional<QString> Defaults::leftClick() const
{
    return text(SettingsKey::leftClick);
}

void Defaults::setLeftClick(const QString &action)
{
    write(SettingsKey::leftClick, action);
}

QString Defaults::fileName() const
{
    return m_settings->fileName();
}
