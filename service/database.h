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
class QSqlQuery;

/*!
 * A failed statement: the request that met it ends with 500, or with 503 when the
 * database cannot be reached (`unavailable`); the service stays up either way.
 */
class DatabaseError : public std::runtime_error
{
public:
    explicit DatabaseError(const std::string &what, bool unavailable = false)
        : std::runtime_error(what)
        , m_unavailable(unavailable)
    { }
    bool unavailable() const { return m_unavailable; }

private:
    bool m_unavailable;
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
    qint64 row = 0; //!< the service's own number
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
 * \brief quibly-service's store: users and their keys, captures with their images,
 * tasks, and the recognition jobs that the captures make.
 *
 * Two implementations: SQLite in a data directory (images beside it as files), the
 * default for one instance; and PostgreSQL (images in the database), on which several
 * instances can share one set of users. Everything a client can write is written in
 * one transaction. Used from one thread only (the HTTP thread; the key sub-commands
 * open their own).
 *
 * Recognition jobs are the pending captures. An instance takes one for a while (a
 * lease) and renews the lease while it works; a job whose instance died is taken
 * again once the lease has run out, with a new attempt number, so that a late outcome
 * of the old attempt is dropped.
 */
class Database
{
public:
    virtual ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    /*!
     * Opens or creates the store at \a location: a postgresql:// URL, or else a data
     * directory for SQLite. Nothing and a readable reason when it cannot be used.
     */
    static std::unique_ptr<Database> open(const QString &location, QString *error);
    static bool isPostgresUrl(const QString &location);

    //! Reconnects after the database went away; throws an unavailable DatabaseError while it is gone.
    virtual void ensureConnected() { }

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
    //! Stores a new pending capture and its image in one step; the existing one
    //! when the user already has that id, even if another instance stores it at the
    //! same moment. `created` tells which.
    CaptureRecord addCapture(const CaptureRecord &capture, const QByteArray &image, bool *created);
    //! The image file, for stores that keep images as files; empty otherwise.
    virtual QString imageFile(qint64 captureRow) const = 0;
    //! The image's bytes; nothing when it is gone.
    virtual std::optional<QByteArray> image(qint64 captureRow) = 0;
    //! Marks a failed capture pending again for a new attempt and returns it.
    CaptureRecord restartCapture(qint64 row);
    void deleteCapture(qint64 row);
    //! Applies a recognition outcome if the capture still waits for this attempt.
    bool finishCapture(qint64 row, int attempt, bool done, const QString &error, const QList<RecognizedTask> &tasks);

    // Recognition jobs
    //! Takes the oldest pending capture that nobody holds (or whose holder's lease ran
    //! out) for \a leaseMs, as a new attempt.
    std::optional<CaptureRecord> claimJob(const QString &owner, qint64 leaseMs);
    void renewLeases(const QString &owner, qint64 leaseMs);
    //! Lets others take the jobs \a owner holds at once (a clean stop).
    void releaseLeases(const QString &owner);

    // Tasks
    QList<TaskRecord> tasks(qint64 userId);
    QList<TaskRecord> tasksOfCapture(qint64 captureRow);
    std::optional<TaskRecord> task(qint64 userId, qint64 id);
    TaskRecord addTask(qint64 userId, const QString &title);
    void saveTask(const TaskRecord &task);
    bool deleteTask(qint64 userId, qint64 id);

protected:
    explicit Database(const QString &connectionName);
    QSqlDatabase db() const;
    //! One statement; a failure is thrown, as unavailable when the connection is gone.
    QSqlQuery run(const QString &sql, const QVariantList &values = {});
    //! Brings the schema to the current version; each step once, in one transaction.
    bool migrate(QString *error);

    //! Keeps other instances out of the migration until this transaction ends.
    virtual void lockSchema() { }
    virtual int migrateFrom(int schema) = 0;
    virtual void storeImage(qint64 row, const QByteArray &image) = 0;
    //! After the capture's row is gone for good.
    virtual void dropImage(qint64 row) = 0;
    //! What makes a job's selection skip rows another transaction is taking.
    virtual QString skipLocked() const { return {}; }
    virtual bool connectionLost() { return false; }

    class Transaction
    {
    public:
        explicit Transaction(Database *database);
        ~Transaction();
        void commit();

    private:
        Database *m_database;
        bool m_committed = false;
    };

private:
    void bumpVersion(qint64 userId);

    QString m_connectionName;
    QByteArray m_epoch;
};
