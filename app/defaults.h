// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "hotkey.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QSettings;

/*!
 * \brief The user's settings: the five keys of SettingsKey over QSettings.
 *
 * Shared by the Store, the application shell and quiblyctl. Every value is read afresh
 * from the settings file, so a change made by another process (quiblyctl beside the
 * running application) applies to the next read. Every write emits changed().
 */
class Defaults : public QObject
{
    Q_OBJECT
public:
    /*! The user's settings file (organisation and application "Quibly"). */
    explicit Defaults(QObject *parent = nullptr);
    /*! A settings file of its own, for tests; \a preferredLanguages stands in for the system's. */
    explicit Defaults(const QString &path, QStringList preferredLanguages = systemLanguages(),
                      QObject *parent = nullptr);
    ~Defaults() override;

    static QStringList systemLanguages();
    /*! "uk" when the first preferred language begins with "uk", otherwise (also with none) "en". */
    static QString languageFor(const QStringList &preferredLanguages);

    std::optional<QString> serverURL() const;
    /*! Stores the URL as typed; nothing removes the key. */
    void setServerURL(const std::optional<QString> &url);

    /*! The stored task language as it is (also when empty), else the preferred-language rule. */
    QString taskLanguage() const;
    void setTaskLanguage(const QString &language);

    /*! The stored hot key, or the default when absent or undecodable. */
    Hotkey captureHotkey() const;
    void setCaptureHotkey(const Hotkey &hotkey);
    Hotkey listHotkey() const;
    void setListHotkey(const Hotkey &hotkey);

    /*! The stored "leftClick" text, absent when not set. */
    std::optional<QString> leftClick() const;
    void setLeftClick(const QString &action);

    QString fileName() const;

Q_SIGNALS:
    /*! After every write, with the key text written. */
    void changed(const QString &key);

private:
    std::optional<QString> text(const QString &key) const;
    std::optional<QByteArray> bytes(const QString &key) const;
    void write(const QString &key, const QVariant &value);

    std::unique_ptr<QSettings> m_settings;
    QStringList m_preferredLanguages;
};
