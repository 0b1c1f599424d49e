// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "settingsfixture.h"

#include "autostart.h"
#include "iconclick.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sys/stat.h>

SettingsFixture::SettingsFixture(QObject *parent)
    : QObject(parent)
    , m_service(std::make_unique<FakeService>())
{
    m_service->listen();
    m_defaults = std::make_unique<Defaults>(m_dir.filePath(QStringLiteral("Quibly.conf")), QStringList {});
    answer(200);
}

SettingsFixture::~SettingsFixture()
{
    delete m_form;
}

void SettingsFixture::reset()
{
    delete m_form;
    m_form = nullptr;
    QFile::remove(m_dir.filePath(QStringLiteral("Quibly.conf")));
    QFile::remove(m_dir.filePath(QStringLiteral("access-key")));
    QFile::remove(Autostart::userEntryPath());
    QFile::remove(QFileInfo(Autostart::userEntryPath()).absolutePath());
    answer(200);
}

SettingsForm *SettingsFixture::form(const QStringList &preferredLanguages)
{
    delete m_form;
    m_form = nullptr;
    m_defaults = std::make_unique<Defaults>(m_dir.filePath(QStringLiteral("Quibly.conf")), preferredLanguages);
    m_form = new SettingsForm({ m_defaults.get(), m_dir.filePath(QStringLiteral("access-key")), nullptr,
                                std::chrono::milliseconds(50), std::chrono::milliseconds(3000) },
                              this);
    return m_form;
}

bool SettingsFixture::stored(const QString &key) const
{
    return QSettings(m_defaults->fileName(), QSettings::IniFormat).contains(key);
}

QString SettingsFixture::storedText(const QString &key) const
{
    return QString::fromUtf8(QSettings(m_defaults->fileName(), QSettings::IniFormat).value(key).toByteArray());
}

void SettingsFixture::store(const QString &key, const QString &bytes)
{
    QSettings(m_defaults->fileName(), QSettings::IniFormat).setValue(key, bytes.toUtf8());
}

QVariant SettingsFixture::keyFile() const
{
    QFile file(m_dir.filePath(QStringLiteral("access-key")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

int SettingsFixture::keyFileMode() const
{
    struct stat st
    {
    };
    const QByteArray path = QFile::encodeName(m_dir.filePath(QStringLiteral("access-key")));
    return ::stat(path.constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

QString SettingsFixture::click(bool secondary) const
{
    return IconClickRule::action(secondary, m_defaults->leftClick()) == IconClick::Capture ? QStringLiteral("capture")
                                                                                           : QStringLiteral("list");
}

void SettingsFixture::blockAutostart()
{
    const QString folder = QFileInfo(Autostart::userEntryPath()).absolutePath();
    QDir(folder).removeRecursively();
    QDir().mkpath(QFileInfo(folder).absolutePath());
    QFile blocker(folder);
    if (blocker.open(QIODevice::WriteOnly))
        blocker.write("not a folder");
}

void SettingsFixture::answer(int status)
{
    m_service->on("GET", "/captures", FakeService::Reply::json(status, status == 200 ? "[]" : "{}"));
}
