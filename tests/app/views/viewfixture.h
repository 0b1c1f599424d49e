// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "defaults.h"
#include "fakeservice.h"
#include "notifier.h"
#include "settingsform.h"
#include "store.h"

#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QTemporaryDir>
#include <QVariantList>

#include <memory>

/*!
 * \brief A Store over the fake service, and the handles a view test needs to script it.
 *
 * QML tests reach it as the singleton `Fixture` of Quibly.Test. Tasks and captures are
 * given as JavaScript objects in the service's wire form; members left out get neutral
 * values (a medium-priority task without deadline created at WireJson::stamp).
 */
class ViewFixture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int refreshes READ refreshes NOTIFY refreshesChanged)

public:
    explicit ViewFixture(QObject *parent = nullptr);

    Store *store() const { return m_store.get(); }
    FakeService *service() const { return m_service.get(); }
    int refreshes() const { return m_refreshes; }

    /*!
     * What GET /tasks and GET /captures answer from now on, then a reload; `refreshes` counts up
     * when it has ended.
     */
    Q_INVOKABLE void load(const QVariantList &tasks, const QVariantList &captures = {});
    /*! The next \a method on \a path answers \a status with \a body (JSON text). */
    Q_INVOKABLE void answerOnce(const QString &method, const QString &path, int status, const QString &body = {});
    /*! \a captureId's image request answers with a small PNG, or 404 when \a present is false. */
    Q_INVOKABLE void serveImage(const QString &captureId, bool present = true);
    /*! Publishes a lost connection, as a failed request would. */
    Q_INVOKABLE void goOffline();
    /*! The JSON bodies (parsed) of the requests on \a method and \a path so far. */
    Q_INVOKABLE QVariantList bodies(const QString &method, const QString &path) const;
    Q_INVOKABLE int requestCount(const QString &method, const QString &path) const;
    Q_INVOKABLE void clearRequests();
    /*! Puts \a count captures into the queue and lets a sync count them (their upload is refused). */
    Q_INVOKABLE void queue(int count);

Q_SIGNALS:
    void refreshesChanged();

private:
    void serve(const QVariantList &tasks, const QVariantList &captures);
    QCoro::Task<> refreshing();

    QTemporaryDir m_dir;
    std::unique_ptr<FakeService> m_service;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<Notifier> m_notifier;
    std::unique_ptr<QNetworkAccessManager> m_session;
    std::unique_ptr<Store> m_store; // last, so its requests go before the service and the session they use
    int m_refreshes = 0;
};

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
    /*! What \a key holds in the settings file, empty when nothing. */
    Q_INVOKABLE QString storedText(const QString &key) const;
    /*! Writes raw \a bytes under \a key, as another program might. */
    Q_INVOKABLE void store(const QString &key, const QString &bytes);
    /*! The access key file as { text, mode } (its permission bits), or null when there is none. */
    Q_INVOKABLE QVariant keyFile() const;
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
