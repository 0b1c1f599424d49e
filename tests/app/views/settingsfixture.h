// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "defaults.h"
#include "fakeservice.h"
#include "settingsform.h"

#include <QObject>
#include <QTemporaryDir>

#include <memory>

/*!
 * \brief Settings of their own and a fake service, for the settings window's tests.
 *
 * QML reaches it as the singleton `SettingsFixture` of Quibly.Test: form() builds a fresh
 * SettingsForm over an empty settings file, and the invokables look at what was written.
 */
class SettingsFixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString url READ url CONSTANT)

public:
    explicit SettingsFixture(QObject *parent = nullptr);
    ~SettingsFixture() override;

    QString url() const { return m_service->url().toString(); }

    /*! Empties the settings, removes the access key and the autostart entry. */
    Q_INVOKABLE void reset();
    /*! A new form over the settings as they are; the old one is gone. */
    Q_INVOKABLE SettingsForm *form(const QStringList &preferredLanguages = { QStringLiteral("en-US") });
    /*! Whether \a key holds a value in the settings file. */
    Q_INVOKABLE bool stored(const QString &key) const;
    Q_INVOKABLE QString storedText(const QString &key) const;
    /*! Writes raw \a bytes under \a key, as another program might. */
    Q_INVOKABLE void store(const QString &key, const QString &bytes);
    /*! The access key file's contents, or null when there is none. */
    Q_INVOKABLE QVariant keyFile() const;
    /*! The access key file's permission bits, -1 when there is none. */
    Q_INVOKABLE int keyFileMode() const;
    /*! What a primary (or secondary) click on the icon does now: "list" or "capture". */
    Q_INVOKABLE QString click(bool secondary) const;
    /*! A file where the autostart folder belongs: switching start at login on fails. */
    Q_INVOKABLE void blockAutostart();
    /*! What GET /captures answers from now on. */
    Q_INVOKABLE void answer(int status);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<FakeService> m_service;
    std::unique_ptr<Defaults> m_defaults;
    SettingsForm *m_form = nullptr;
};
