// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "keyrecorder.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>

class Defaults;
class HotkeyCenter;
class QNetworkAccessManager;

/*!
 * \brief Everything the settings window edits, written as soon as it changes.
 *
 * The five settings go to Defaults on every edit (nothing shown by default is written
 * until the user changes it), the access key to its file on every keystroke, the
 * start-at-login switch to the autostart entry. After typing in the server or key field
 * pauses, one request tells whether the service answers with that address and key.
 * SettingsView.qml binds to it; the application wires recordingChanged() to its hot keys.
 */
class SettingsForm : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString serverUrl READ serverUrl WRITE setServerUrl NOTIFY serverUrlChanged)
    Q_PROPERTY(QString serverPlaceholder READ serverPlaceholder CONSTANT)
    Q_PROPERTY(QString accessKey READ accessKey WRITE setAccessKey NOTIFY accessKeyChanged)
    Q_PROPERTY(bool hasAccessKey READ hasAccessKey NOTIFY accessKeyChanged)
    Q_PROPERTY(QString taskLanguage READ taskLanguage WRITE setTaskLanguage NOTIFY taskLanguageChanged)
    Q_PROPERTY(QString leftClick READ leftClick WRITE setLeftClick NOTIFY leftClickChanged)
    Q_PROPERTY(bool startAtLogin READ startAtLogin WRITE setStartAtLogin NOTIFY startAtLoginChanged)
    Q_PROPERTY(QString startAtLoginError READ startAtLoginError NOTIFY startAtLoginChanged)
    Q_PROPERTY(Connection connection READ connection NOTIFY connectionChanged)
    Q_PROPERTY(QString connectionText READ connectionText NOTIFY connectionChanged)
    Q_PROPERTY(KeyRecorder *captureRecorder READ captureRecorder CONSTANT)
    Q_PROPERTY(KeyRecorder *listRecorder READ listRecorder CONSTANT)
    Q_PROPERTY(bool recording READ recording NOTIFY recordingChanged)

public:
    enum class Connection { Unknown, Checking, Connected, Failed };
    Q_ENUM(Connection)

    /*! What the form works with. Empty or null members mean the real thing. */
    struct Setup
    {
        Defaults *defaults = nullptr; //!< the user's settings
        QString accessKeyPath; //!< AccessKey::defaultPath()
        QNetworkAccessManager *session = nullptr; //!< for the connection check
        std::chrono::milliseconds checkDelay { 1000 }; //!< quiet time after an edit before checking
        std::chrono::milliseconds checkTimeout { 15000 }; //!< then "No answer from the server"
    };

    explicit SettingsForm(QObject *parent = nullptr);
    explicit SettingsForm(Setup setup, QObject *parent = nullptr);
    ~SettingsForm() override;

    QString serverUrl() const;
    /*! Stored exactly as typed, on every edit; the client refuses what it cannot use. */
    void setServerUrl(const QString &url);
    static QString serverPlaceholder();

    QString accessKey() const { return m_accessKey; }
    /*! Line breaks (a pasted key) are no part of a key; a blank key deletes the file. */
    void setAccessKey(const QString &key);
    bool hasAccessKey() const { return !m_accessKey.trimmed().isEmpty(); }

    QString taskLanguage() const;
    void setTaskLanguage(const QString &language);

    /*! "capture" or "list", as IconClick reads the stored value. */
    QString leftClick() const;
    void setLeftClick(const QString &action);

    bool startAtLogin() const { return m_startAtLogin; }
    /*! A switch that fails turns back and says why in startAtLoginError(). */
    void setStartAtLogin(bool enabled);
    QString startAtLoginError() const { return m_startAtLoginError; }

    Connection connection() const { return m_connection; }
    QString connectionText() const { return m_connectionText; }
    /*! Checks the service now, for a window that has just been shown. */
    Q_INVOKABLE void checkConnection();

    KeyRecorder *captureRecorder() const { return m_captureRecorder; }
    KeyRecorder *listRecorder() const { return m_listRecorder; }
    bool recording() const;
    /*! Stops both recorders (a window closed, the view went away). */
    Q_INVOKABLE void stopRecording();

    /*!
     * Suspends \a hotkeys while a recorder records, and shows beside each recorder what
     * the desktop made of its combination (refused, or bound to another trigger).
     */
    void followHotkeys(HotkeyCenter *hotkeys);

Q_SIGNALS:
    void serverUrlChanged();
    void accessKeyChanged();
    void taskLanguageChanged();
    void leftClickChanged();
    void startAtLoginChanged();
    void connectionChanged();
    /*! True while either recorder records: the application's own grabs must be off then. */
    void recordingChanged(bool recording);

private:
    void settingChanged(const QString &key);
    void showRegistrations();
    void scheduleCheck();
    void setConnection(Connection connection, const QString &text);
    QCoro::Task<> check();

    Defaults *m_defaults = nullptr;
    std::unique_ptr<Defaults> m_ownDefaults;
    QString m_accessKeyPath;
    QNetworkAccessManager *m_session = nullptr;
    std::chrono::milliseconds m_checkTimeout;
    QTimer m_checkTimer;
    quint64 m_checkGeneration = 0;

    QString m_accessKey;
    bool m_startAtLogin = false;
    QString m_startAtLoginError;
    Connection m_connection = Connection::Unknown;
    QString m_connectionText;
    KeyRecorder *m_captureRecorder = nullptr;
    KeyRecorder *m_listRecorder = nullptr;
    QPointer<HotkeyCenter> m_hotkeys;
};
