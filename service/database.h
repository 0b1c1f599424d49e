// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>

struct RecognizedTask;

/*! A failed statement: the request that met it ends with 500, the service stays up. */
class DatabaseError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct UserRecord
{
    qint64 id = 0;
    QString name;
    qint64 createdAt = 0;
    std::optional<qint64> revokedAt;
};

struct CaptureRecord
{
    qint64 row = 0; //!< the service's own number; also names the image file
    qint64 userId = 0;
    QString id; //!< the client's id, unique per user
    QString status;
    QString error;
    qint64 localTime = 0; //!< ms since the epoch
    QString timeZone;
    QString language;
    qint64 createdAt = 0;
    int attempt = 0; //!< bumped whenever recognition is (re)started
};

struct TaskRecord
{
    qint64 id = 0;
    qint64 userId = 0;
    std::optional<qint64> captureRow;
    std::optional<QString> captureId;
    QString title;
    QString description;
    QString priority;
    std::optional<QString> dueDate;
    std::optional<qint64> dueAt;
    std::optional<QString> sourceApp;
    std::optional<QString> sourcePerson;
    std::optional<qint64> doneAt;
    qint64 createdAt = 0;
    qint64 updatedAt = 0;
};

/*!
 * \brief quibly-service's store: SQLite in WAL mode plus one image file per capture
 * under the data directory.
 *
 * Used from one thread only (the HTTP thread; the key sub-commands use their own
 * instance). Image files are named after the capture's row number, never after
 * anything a client sent.
 */
class Database
{
public:
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    //! Opens or creates the store; nothing and a readable reason when it cannot be written.
    static std::unique_ptr<Database> open(const QString &dataDir, QString *error);

    QString imagePath(qint64 captureRow) const;

    // Users and their keys (only the SHA-256 of a key is kept)
    bool createUser(const QString &name, const QByteArray &keyHash, QString *error);
    QList<UserRecord> users();
    bool revokeUser(const QString &name);
    std::optional<qint64> userForKeyHash(const QByteArray &keyHash);
    //! Names the state of the user's tasks and captures: it changes with every write to
    //! either, and never repeats for another state, even after the database is recreated.
    QByteArray userVersion(qint64 userId);

    // Captures
    std::optional<CaptureRecord> capture(qint64 userId, const QString &id);
    std::optional<CaptureRecord> captureByRow(qint64 row);
    QList<CaptureRecord> openCaptures(qint64 userId);
    QList<CaptureRecord> pendingCaptures();
    //! Stores a new pending capture and its image in one step; the existing one
    //! when the user already has that id. `created` tells which.
    CaptureRecord addCapture(const CaptureRecord &capture, const QByteArray &image, bool *created);
    //! Marks the capture pending again for a new attempt and returns it.
    CaptureRecord restartCapture(qint64 row);
    void deleteCapture(qint64 row);
    //! Applies a recognition outcome if the capture still waits for this attempt.
    bool finishCapture(qint64 row, int attempt, bool done, const QString &error, const QList<RecognizedTask> &tasks);

    // Tasks
    QList<TaskRecord> tasks(qint64 userId);
    QList<TaskRecord> tasksOfCapture(qint64 captureRow);
    std::optional<TaskRecord> task(qint64 userId, qint64 id);
    TaskRecord addTask(qint64 userId, const QString &title);
    void saveTask(const TaskRecord &task);
    bool deleteTask(qint64 userId, qint64 id);

private:
    Database(const QString &dataDir, const QString &connectionName);
    QSqlDatabase db() const;
    bool migrate(QString *error);
    void bumpVersion(qint64 userId);

    QString m_dataDir;
    QString m_connectionName;
    QByteArray m_epoch;
};
