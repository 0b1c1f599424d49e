// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "database.h"

#include "recognizer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace {

const QString DatabaseFile = QStringLiteral("quibly-service.sqlite");
constexpr int SchemaVersion = 2;
const QString ImagesDir = QStringLiteral("images");

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

QVariant optionalText(const std::optional<QString> &v)
{
    return v ? QVariant(*v) : QVariant(QMetaType::fromType<QString>());
}

QVariant optionalNumber(const std::optional<qint64> &v)
{
    return v ? QVariant(*v) : QVariant(QMetaType::fromType<qint64>());
}

// QtSql binds a null QString as SQL NULL; NOT NULL text columns want "".
QString text(const QString &v)
{
    return v.isNull() ? QStringLiteral("") : v;
}

std::optional<QString> textOrNull(const QVariant &v)
{
    return v.isNull() ? std::nullopt : std::optional<QString>(v.toString());
}

std::optional<qint64> numberOrNull(const QVariant &v)
{
    return v.isNull() ? std::nullopt : std::optional<qint64>(v.toLongLong());
}

const QString CaptureColumns
    = QStringLiteral("row, user_id, id, status, error, local_time, time_zone, language, created_at, attempt");
const QString TaskColumns = QStringLiteral(
    "id, user_id, capture_row, capture_id, title, description, priority, due_date, due_at, source_app, "
    "source_person, done_at, created_at, updated_at");

CaptureRecord readCapture(const QSqlQuery &q)
{
    return { q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString(), q.value(3).toString(),
             q.value(4).toString(),   q.value(5).toLongLong(), q.value(6).toString(), q.value(7).toString(),
             q.value(8).toLongLong(), q.value(9).toInt() };
}

TaskRecord readTask(const QSqlQuery &q)
{
    return { q.value(0).toLongLong(),  q.value(1).toLongLong(), numberOrNull(q.value(2)), textOrNull(q.value(3)),
             q.value(4).toString(),    q.value(5).toString(),   q.value(6).toString(),    textOrNull(q.value(7)),
             numberOrNull(q.value(8)), textOrNull(q.value(9)),  textOrNull(q.value(10)),  numberOrNull(q.value(11)),
             q.value(12).toLongLong(), q.value(13).toLongLong() };
}

// Runs one statement; a failure is thrown so that the request ends with 500.
QSqlQuery run(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw DatabaseError(q.lastError().text().toStdString());
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw DatabaseError(q.lastError().text().toStdString());
    return q;
}

class Transaction
{
public:
    explicit Transaction(QSqlDatabase db)
        : m_db(std::move(db))
    {
        if (!m_db.transaction())
            throw DatabaseError(m_db.lastError().text().toStdString());
    }
    ~Transaction()
    {
        if (!m_committed)
            m_db.rollback();
    }
    void commit()
    {
        if (!m_db.commit())
            throw DatabaseError(m_db.lastError().text().toStdString());
        m_committed = true;
    }

private:
    QSqlDatabase m_db;
    bool m_committed = false;
};

// Starts the numbering of versions afresh: a validator from a database that was
// recreated (or restored from a backup) never matches one of this one.
QString freshEpoch()
{
    return QUuid::createUuid().toString(QUuid::Id128).left(12);
}

} // namespace

Database::Database(const QString &dataDir, const QString &connectionName)
    : m_dataDir(dataDir)
    , m_connectionName(connectionName)
{ }

Database::~Database()
{
    {
        QSqlDatabase connection = QSqlDatabase::database(m_connectionName, false);
        connection.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase Database::db() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

std::unique_ptr<Database> Database::open(const QString &dataDir, QString *error)
{
    const QFileInfo dirInfo(dataDir);
    if (dirInfo.exists() && !dirInfo.isDir()) {
        *error = QStringLiteral("data directory %1 is not a directory").arg(dataDir);
        return nullptr;
    }
    if (!QDir().mkpath(dataDir) || !QDir(dataDir).mkpath(ImagesDir)) {
        *error = QStringLiteral("cannot create the data directory %1").arg(dataDir);
        return nullptr;
    }
    const QString path = QDir(dataDir).filePath(DatabaseFile);
    // A missing database beside stored images means it was lost: starting afresh
    // would silently orphan every user's data.
    if (!QFileInfo::exists(path) && !QDir(QDir(dataDir).filePath(ImagesDir)).isEmpty()) {
        *error = QStringLiteral("database %1 is missing but %2 holds images; restore it from a backup or move "
                                "the data directory away")
                     .arg(path, QDir(dataDir).filePath(ImagesDir));
        return nullptr;
    }

    const QString name = QStringLiteral("quibly-service-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::unique_ptr<Database> database(new Database(dataDir, name));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        *error = QStringLiteral("cannot open database %1: %2").arg(path, db.lastError().text());
        return nullptr;
    }
    if (!database->migrate(error)) {
        *error = QStringLiteral("database %1 is not usable: %2").arg(path, *error);
        return nullptr;
    }
    return database;
}

bool Database::migrate(QString *error)
{
    QSqlDatabase connection = db();
    try {
        {
            QSqlQuery journal = run(connection, QStringLiteral("PRAGMA journal_mode=WAL"));
            if (!journal.next() || journal.value(0).toString().compare(u"wal", Qt::CaseInsensitive) != 0)
                throw DatabaseError("cannot switch to write-ahead logging (is the directory writable?)");
        }
        run(connection, QStringLiteral("PRAGMA foreign_keys=ON"));
        run(connection, QStringLiteral("PRAGMA synchronous=NORMAL"));
        Transaction transaction(connection);
        run(connection, QStringLiteral("CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT)"));
        int schema = 0;
        {
            QSqlQuery q = run(connection, QStringLiteral("SELECT value FROM meta WHERE key = 'schema'"));
            if (q.next())
                schema = q.value(0).toInt();
        }
        if (schema > SchemaVersion)
            throw DatabaseError("written by a newer quibly-service (schema " + std::to_string(schema) + ")");
        // Each step runs once, in the same transaction as the schema number it leads to.
        if (schema < 1) {
            run(connection,
                QStringLiteral("CREATE TABLE IF NOT EXISTS users (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, "
                               "key_hash BLOB NOT NULL UNIQUE, created_at INTEGER NOT NULL, revoked_at INTEGER)"));
            run(connection,
                QStringLiteral("CREATE TABLE IF NOT EXISTS captures (row INTEGER PRIMARY KEY, user_id INTEGER NOT "
                               "NULL REFERENCES users(id), id TEXT NOT NULL, status TEXT NOT NULL, error TEXT NOT "
                               "NULL DEFAULT '', local_time INTEGER NOT NULL, time_zone TEXT NOT NULL, language TEXT "
                               "NOT NULL, created_at INTEGER NOT NULL, attempt INTEGER NOT NULL DEFAULT 0, "
                               "UNIQUE (user_id, id))"));
            run(connection, QStringLiteral("CREATE INDEX IF NOT EXISTS captures_status ON captures (status)"));
            run(connection,
                QStringLiteral(
                    "CREATE TABLE IF NOT EXISTS tasks (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                    "user_id INTEGER NOT NULL REFERENCES users(id), "
                    "capture_row INTEGER REFERENCES captures(row) ON DELETE SET NULL, capture_id TEXT, "
                    "title TEXT NOT NULL, description TEXT NOT NULL DEFAULT '', priority TEXT NOT NULL, due_date "
                    "TEXT, due_at INTEGER, source_app TEXT, source_person TEXT, done_at INTEGER, created_at INTEGER "
                    "NOT NULL, updated_at INTEGER NOT NULL)"));
            run(connection, QStringLiteral("CREATE INDEX IF NOT EXISTS tasks_user ON tasks (user_id)"));
            run(connection, QStringLiteral("CREATE INDEX IF NOT EXISTS tasks_capture ON tasks (capture_row)"));
        }
        if (schema < 2) {
            run(connection, QStringLiteral("ALTER TABLE users ADD COLUMN version INTEGER NOT NULL DEFAULT 0"));
            run(connection, QStringLiteral("INSERT OR REPLACE INTO meta (key, value) VALUES ('epoch', ?)"),
                { freshEpoch() });
        }
        // Also proves the file can be written: a read-only database fails here, at start.
        run(connection, QStringLiteral("INSERT OR REPLACE INTO meta (key, value) VALUES ('schema', ?)"),
            { QString::number(SchemaVersion) });
        {
            QSqlQuery q = run(connection, QStringLiteral("SELECT value FROM meta WHERE key = 'epoch'"));
            if (!q.next())
                throw DatabaseError("the database has no epoch");
            m_epoch = q.value(0).toString().toLatin1();
        }
        transaction.commit();
    } catch (const DatabaseError &e) {
        *error = QString::fromStdString(e.what());
        return false;
    }
    return true;
}

QString Database::imagePath(qint64 captureRow) const
{
    return QDir(m_dataDir).filePath(ImagesDir + u'/' + QString::number(captureRow));
}

bool Database::createUser(const QString &name, const QByteArray &keyHash, QString *error)
{
    QSqlQuery exists = run(db(), QStringLiteral("SELECT 1 FROM users WHERE name = ?"), { name });
    if (exists.next()) {
        *error = QStringLiteral("a key named %1 exists already").arg(name);
        return false;
    }
    run(db(), QStringLiteral("INSERT INTO users (name, key_hash, created_at) VALUES (?, ?, ?)"),
        { name, keyHash, nowMs() });
    return true;
}

QList<UserRecord> Database::users()
{
    QList<UserRecord> result;
    QSqlQuery q = run(db(), QStringLiteral("SELECT id, name, created_at, revoked_at FROM users ORDER BY id"));
    while (q.next())
        result.append(
            { q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toLongLong(), numberOrNull(q.value(3)) });
    return result;
}

bool Database::revokeUser(const QString &name)
{
    QSqlQuery q = run(db(), QStringLiteral("UPDATE users SET revoked_at = ? WHERE name = ? AND revoked_at IS NULL"),
                      { nowMs(), name });
    return q.numRowsAffected() > 0;
}

std::optional<qint64> Database::userForKeyHash(const QByteArray &keyHash)
{
    QSqlQuery q
        = run(db(), QStringLiteral("SELECT id FROM users WHERE key_hash = ? AND revoked_at IS NULL"), { keyHash });
    if (!q.next())
        return std::nullopt;
    return q.value(0).toLongLong();
}

QByteArray Database::userVersion(qint64 userId)
{
    QSqlQuery q = run(db(), QStringLiteral("SELECT version FROM users WHERE id = ?"), { userId });
    if (!q.next())
        throw DatabaseError("user vanished");
    return m_epoch + '.' + QByteArray::number(q.value(0).toLongLong());
}

void Database::bumpVersion(qint64 userId)
{
    run(db(), QStringLiteral("UPDATE users SET version = version + 1 WHERE id = ?"), { userId });
}

std::optional<CaptureRecord> Database::capture(qint64 userId, const QString &id)
{
    QSqlQuery q
        = run(db(), u"SELECT " + CaptureColumns + u" FROM captures WHERE user_id = ? AND id = ?", { userId, id });
    if (!q.next())
        return std::nullopt;
    return readCapture(q);
}

std::optional<CaptureRecord> Database::captureByRow(qint64 row)
{
    QSqlQuery q = run(db(), u"SELECT " + CaptureColumns + u" FROM captures WHERE row = ?", { row });
    if (!q.next())
        return std::nullopt;
    return readCapture(q);
}

QList<CaptureRecord> Database::openCaptures(qint64 userId)
{
    QList<CaptureRecord> result;
    QSqlQuery q = run(db(),
                      u"SELECT " + CaptureColumns
                          + u" FROM captures WHERE user_id = ? AND status != 'done' ORDER BY created_at, row",
                      { userId });
    while (q.next())
        result.append(readCapture(q));
    return result;
}

QList<CaptureRecord> Database::pendingCaptures()
{
    QList<CaptureRecord> result;
    QSqlQuery q = run(db(), u"SELECT " + CaptureColumns + u" FROM captures WHERE status = 'pending' ORDER BY row");
    while (q.next())
        result.append(readCapture(q));
    return result;
}

CaptureRecord Database::addCapture(const CaptureRecord &capture, const QByteArray &image, bool *created)
{
    if (auto existing = this->capture(capture.userId, capture.id)) {
        *created = false;
        return *existing;
    }
    Transaction transaction(db());
    CaptureRecord record = capture;
    record.status = QStringLiteral("pending");
    record.error.clear();
    record.createdAt = nowMs();
    record.attempt = 1;
    QSqlQuery q = run(db(),
                      QStringLiteral("INSERT INTO captures (user_id, id, status, error, local_time, time_zone, "
                                     "language, created_at, attempt) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      { record.userId, record.id, record.status, text(record.error), record.localTime, record.timeZone,
                        record.language, record.createdAt, record.attempt });
    record.row = q.lastInsertId().toLongLong();
    // The image is complete on disk before the row that points at it is committed.
    QSaveFile file(imagePath(record.row));
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.commit())
        throw DatabaseError("cannot write the image: " + file.errorString().toStdString());
    bumpVersion(record.userId);
    transaction.commit();
    *created = true;
    return record;
}

CaptureRecord Database::restartCapture(qint64 row)
{
    Transaction transaction(db());
    run(db(), QStringLiteral("UPDATE captures SET status = 'pending', error = '', attempt = attempt + 1 WHERE row = ?"),
        { row });
    auto record = captureByRow(row);
    if (!record)
        throw DatabaseError("capture vanished");
    bumpVersion(record->userId);
    transaction.commit();
    return *record;
}

void Database::deleteCapture(qint64 row)
{
    Transaction transaction(db());
    const auto record = captureByRow(row);
    if (!record)
        return;
    run(db(), QStringLiteral("UPDATE tasks SET capture_row = NULL, capture_id = NULL WHERE capture_row = ?"), { row });
    run(db(), QStringLiteral("DELETE FROM captures WHERE row = ?"), { row });
    bumpVersion(record->userId);
    transaction.commit();
    QFile::remove(imagePath(row));
}

bool Database::finishCapture(qint64 row, int attempt, bool done, const QString &error,
                             const QList<RecognizedTask> &tasks)
{
    Transaction transaction(db());
    const auto record = captureByRow(row);
    if (!record || record->attempt != attempt || record->status != u"pending")
        return false;
    run(db(), QStringLiteral("UPDATE captures SET status = ?, error = ? WHERE row = ?"),
        { done ? QStringLiteral("done") : QStringLiteral("failed"), done ? QStringLiteral("") : text(error), row });
    if (done) {
        const qint64 now = nowMs();
        for (const RecognizedTask &t : tasks) {
            run(db(),
                QStringLiteral("INSERT INTO tasks (user_id, capture_row, capture_id, title, description, "
                               "priority, due_date, due_at, source_app, source_person, created_at, updated_at) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                { record->userId, row, record->id, text(t.title), text(t.description), t.priority,
                  optionalText(t.dueDate),
                  optionalNumber(t.dueAt ? std::optional<qint64>(t.dueAt->toMSecsSinceEpoch()) : std::nullopt),
                  optionalText(t.sourceApp), optionalText(t.sourcePerson), now, now });
        }
    }
    bumpVersion(record->userId);
    transaction.commit();
    return true;
}

QList<TaskRecord> Database::tasks(qint64 userId)
{
    QList<TaskRecord> result;
    QSqlQuery q = run(db(), u"SELECT " + TaskColumns + u" FROM tasks WHERE user_id = ? ORDER BY id", { userId });
    while (q.next())
        result.append(readTask(q));
    return result;
}

QList<TaskRecord> Database::tasksOfCapture(qint64 captureRow)
{
    QList<TaskRecord> result;
    QSqlQuery q
        = run(db(), u"SELECT " + TaskColumns + u" FROM tasks WHERE capture_row = ? ORDER BY id", { captureRow });
    while (q.next())
        result.append(readTask(q));
    return result;
}

std::optional<TaskRecord> Database::task(qint64 userId, qint64 id)
{
    QSqlQuery q = run(db(), u"SELECT " + TaskColumns + u" FROM tasks WHERE user_id = ? AND id = ?", { userId, id });
    if (!q.next())
        return std::nullopt;
    return readTask(q);
}

TaskRecord Database::addTask(qint64 userId, const QString &title)
{
    const qint64 now = nowMs();
    Transaction transaction(db());
    QSqlQuery q = run(db(),
                      QStringLiteral("INSERT INTO tasks (user_id, title, description, priority, created_at, "
                                     "updated_at) VALUES (?, ?, '', 'medium', ?, ?)"),
                      { userId, title, now, now });
    auto created = task(userId, q.lastInsertId().toLongLong());
    if (!created)
        throw DatabaseError("new task vanished");
    bumpVersion(userId);
    transaction.commit();
    return *created;
}

void Database::saveTask(const TaskRecord &t)
{
    Transaction transaction(db());
    run(db(),
        QStringLiteral("UPDATE tasks SET title = ?, description = ?, priority = ?, due_date = ?, due_at = ?, "
                       "done_at = ?, updated_at = ? WHERE id = ? AND user_id = ?"),
        { text(t.title), text(t.description), t.priority, optionalText(t.dueDate), optionalNumber(t.dueAt),
          optionalNumber(t.doneAt), t.updatedAt, t.id, t.userId });
    bumpVersion(t.userId);
    transaction.commit();
}

bool Database::deleteTask(qint64 userId, qint64 id)
{
    Transaction transaction(db());
    QSqlQuery q = run(db(), QStringLiteral("DELETE FROM tasks WHERE user_id = ? AND id = ?"), { userId, id });
    if (q.numRowsAffected() <= 0)
        return false;
    bumpVersion(userId);
    transaction.commit();
    return true;
}
