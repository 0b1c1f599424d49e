// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "httpserver.h"

#include <QHostAddress>
#include <QObject>

#include <memory>

class Database;
class DatabaseError;
class QTimer;
class RecognitionPool;
class Recognizer;
struct CaptureRecord;
struct RecognitionResult;
struct TaskRecord;

struct ServiceConfig
{
    QString dataDir;
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 8765;
    QString tlsCertificate; //!< PEM; with tlsKey, the service speaks HTTPS only
    QString tlsKey;
    int workers = 2;
    //! A postgresql:// URL; empty: SQLite in dataDir.
    QString database;
    //! How long a recognition job stays this instance's without a renewal.
    qint64 leaseMs = 60000;
};

/*!
 * \brief quibly-service itself: the ten endpoints over the store, with recognition
 * on a worker pool.
 *
 * Every request is answered on the thread that owns the Service, from the store
 * alone; only recognition runs elsewhere. Several instances may share one PostgreSQL
 * store: each takes pending captures as jobs while it has idle workers, so captures
 * left pending by a stop or a crash are recognised again, here or elsewhere.
 */
class Service : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 MaxImageBytes = 20 * 1024 * 1024;

    Service(ServiceConfig config, std::shared_ptr<Recognizer> recognizer, QObject *parent = nullptr);
    ~Service() override;

    bool start(QString *error);
    //! Stops listening and waits for running recognitions; unfinished captures stay pending.
    void stop();
    quint16 port() const;

private:
    HttpResponse handle(const HttpRequest &request);
    HttpResponse route(const HttpRequest &request);
    HttpResponse uploadCapture(qint64 user, const HttpRequest &request);
    HttpResponse captureResult(qint64 user, const QString &id);
    HttpResponse openCaptures(qint64 user, const HttpRequest &request);
    HttpResponse captureImage(qint64 user, const QString &id);
    HttpResponse retryCapture(qint64 user, const QString &id);
    HttpResponse deleteCapture(qint64 user, const QString &id);
    HttpResponse listTasks(qint64 user, const HttpRequest &request);
    HttpResponse createTask(qint64 user, const HttpRequest &request);
    HttpResponse updateTask(qint64 user, const QByteArray &id, const HttpRequest &request);
    HttpResponse deleteTask(qint64 user, const QByteArray &id);

    std::optional<qint64> authenticate(const HttpRequest &request);
    HttpResponse storeFailure(const DatabaseError &error);
    //! Takes pending captures while workers are idle.
    void takeJobs();
    void startRecognition(const CaptureRecord &capture);
    void recognitionFinished(qint64 captureRow, int attempt, const RecognitionResult &result);

    ServiceConfig m_config;
    std::shared_ptr<Recognizer> m_recognizer;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<HttpServer> m_http;
    std::unique_ptr<RecognitionPool> m_pool;
    QString m_instance; //!< whose leases are whose
    QTimer *m_jobTimer = nullptr;
    int m_running = 0;
    bool m_storeDown = false;
};
