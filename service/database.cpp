// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "database.h"

#include "databasebackends.h"
#include "recognizer.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace {

constexpr int SchemaVersion = 3;

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

// Starts the numbering of versions afresh: a validator from a database that was
// recreated (or restored from a backup) never matches one of this one.
QString freshEpoch()
{
    return QUuid::createUuid().toString(QUuid::Id128).left(12);
}

} // namespace

Database::Database(const QString &connectionName)
    : m_connectionName(connectionName)
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

bool Database::isPostgresUrl(const QString &location)
{
    return location.startsWith(u"postgresql://") || location.startsWith(u"postgres://");
}

std::unique_ptr<Database> Database::open(const QString &location, QString *error)
{
    return isPostgresUrl(location) ? openPostgresDatabase(location, error) : openSqliteDatabase(location, error);
}

QSqlQuery Database::run(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(db());
    q.setForwardOnly(true);
    bool ok = false;
    if (values.isEmpty()) {
        // Not prepared: PostgreSQL prepares no schema statements (nor NOTIFY).
        ok = q.exec(sql);
    } else if (q.prepare(sql)) {
        for (const QVariant &v : values)
            q.addBindValue(v);
        ok = q.exec();
    }
    if (!ok) {
        const std::string what = q.lastError().text().toStdString();
        throw DatabaseError(what, connectionLost());
    }
    return q;
}

Database::Transaction::Transaction(Database *database)
    : m_database(database)
{
    QSqlDatabase connection = m_database->db();
    if (!connection.transaction())
        throw DatabaseError(connection.lastError().text().toStdString(), m_database->connectionLost());
}

Database::Transaction::~Transaction()
{
    if (!m_committed)
        m_database->db().rollback();
}

void Database::Transaction::commit()
{
    QSqlDatabase connection = m_database->db();
    if (!connection.commit())
        throw DatabaseError(connection.lastError().text().toStdString(), m_database->connectionLost());
    m_committed = true;
}

bool Database::migrate(QString *error)
{
    try {
        Transaction transaction(this);
        lockSchema();
        int schema = 0;
        {
            run(QStringLiteral("CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT)"));
            QSqlQuery q = run(QStringLiteral("SELECT value FROM meta WHERE key = 'schema'"));
            if (q.next())
                schema = q.value(0).toInt();
        }
        if (schema > SchemaVersion)
            throw DatabaseError("written by a newer quibly-service (schema " + std::to_string(schema) + ")");
        if (migrateFrom(schema) != SchemaVersion)
            throw DatabaseError("the schema did not reach version " + std::to_string(SchemaVersion));
        run(QStringLiteral("INSERT INTO meta (key, value) VALUES ('epoch', ?) ON CONFLICT (key) DO NOTHING"),
            { freshEpoch() });
        // Also proves the store can be written: a read-only one fails here, at start.
        run(QStringLiteral("INSERT INTO meta (key, value) VALUES ('schema', ?) ON CONFLICT (key) DO UPDATE SET "
                           "value = excluded.value"),
            { QString::number(SchemaVersion) });
        {
            QSqlQuery q = run(QStringLiteral("SELECT value FROM meta WHERE key = 'epoch'"));
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

bool Database::createUser(const QString &name, const QByteArray &keyHash, QString *error)
{
    QSqlQuery exists = run(QStringLiteral("SELECT 1 FROM users WHERE name = ?"), { name });
    if (exists.next()) {
        *error = QStringLiteral("a key named %1 exists already").arg(name);
        return false;
    }
    run(QStringLiteral("INSERT INTO users (name, key_hash, created_at) VALUES (?, ?, ?)"), { name, keyHash, nowMs() });
    return true;
}

QList<UserRecord> Database::users()
{
    QList<UserRecord> result;
    QSqlQuery q = run(QStringLiteral("SELECT id, name, created_at, revoked_at FROM users ORDER BY id"));
    while (q.next())
        result.append(
            { q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toLongLong(), numberOrNull(q.value(3)) });
    return result;
}

bool Database::revokeUser(const QString &name)
{
    QSqlQuery q = run(QStringLiteral("UPDATE users SET revoked_at = ? WHERE name = ? AND revoked_at IS NULL"),
                      { nowMs(), name });
    return q.numRowsAffected() > 0;
}

std::optional<qint64> Database::userForKeyHash(const QByteArray &keyHash)
{
    QSqlQuery q = run(QStringLiteral("SELECT id FROM users WHERE key_hash = ? AND revoked_at IS NULL"), { keyHash });
    if (!q.next())
        return std::nullopt;
    return q.value(0).toLongLong();
}

QByteArray Database::userVersion(qint64 userId)
{
    QSqlQuery q = run(QStringLiteral("SELECT version FROM users WHERE id = ?"), { userId });
    if (!q.next())
        throw DatabaseError("user vanished");
    return m_epoch + '.' + QByteArray::number(q.value(0).toLongLong());
}

void Database::bumpVersion(qint64 userId)
{
    run(QStringLiteral("UPDATE users SET version = version + 1 WHERE id = ?"), { userId });
}

std::optional<CaptureRecord> Database::capture(qint64 userId, const QString &id)
{
    QSqlQuery q = run(u"SELECT " + CaptureColumns + u" FROM captures WHERE user_id = ? AND id = ?", { userId, id });
    if (!q.next())
        return std::nullopt;
    return readCapture(q);
}

std::optional<CaptureRecord> Database::captureByRow(qint64 row)
{
    QSqlQuery q = run(u"SELECT " + CaptureColumns + u" FROM captures WHERE row = ?", { row });
    if (!q.next())
        return std::nullopt;
    return readCapture(q);
}

QList<CaptureRecord> Database::openCaptures(qint64 userId)
{
    QList<CaptureRecord> result;
    QSqlQuery q = run(u"SELECT " + CaptureColumns
                          + u" FROM captures WHERE user_id = ? AND status != 'done' ORDER BY created_at, row",
                      { userId });
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
    CaptureRecord record = capture;
    record.status = QStringLiteral("pending");
    record.error.clear();
    record.createdAt = nowMs();
    record.attempt = 0;
    {
        Transaction transaction(this);
        // The unique constraint decides between uploads of one id that arrive at once,
        // here or at another instance: the later one waits for the earlier and inserts nothing.
        QSqlQuery q = run(QStringLiteral("INSERT INTO captures (user_id, id, status, error, local_time, time_zone, "
                                         "language, created_at, attempt) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) "
                                         "ON CONFLICT (user_id, id) DO NOTHING RETURNING row"),
                          { record.userId, record.id, record.status, text(record.error), record.localTime,
                            record.timeZone, record.language, record.createdAt, record.attempt });
        if (q.next()) {
            record.row = q.value(0).toLongLong();
            q.finish();
            // The image is complete before the row that points at it is committed.
            storeImage(record.row, image);
            bumpVersion(record.userId);
            transaction.commit();
            *created = true;
            return record;
        }
    }
    auto existing = this->capture(capture.userId, capture.id);
    if (!existing)
        throw DatabaseError("capture vanished");
    *created = false;
    return *existing;
}

CaptureRecord Database::restartCapture(qint64 row)
{
    Transaction transaction(this);
    run(QStringLiteral("UPDATE captures SET status = 'pending', error = '', attempt = attempt + 1, lease_owner = "
                       "NULL, lease_until = NULL WHERE row = ?"),
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
    {
        Transaction transaction(this);
        const auto record = captureByRow(row);
        if (!record)
            return;
        run(QStringLiteral("UPDATE tasks SET capture_row = NULL, capture_id = NULL WHERE capture_row = ?"), { row });
        run(QStringLiteral("DELETE FROM captures WHERE row = ?"), { row });
        bumpVersion(record->userId);
        transaction.commit();
    }
    dropImage(row);
}

bool Database::finishCapture(qint64 row, int attempt, bool done, const QString &error,
                             const QList<RecognizedTask> &tasks)
{
    Transaction transaction(this);
    const auto record = captureByRow(row);
    if (!record || record->attempt != attempt || record->status != u"pending")
        return false;
    run(QStringLiteral("UPDATE captures SET status = ?, error = ?, lease_owner = NULL, lease_until = NULL WHERE "
                       "row = ? AND attempt = ?"),
        { done ? QStringLiteral("done") : QStringLiteral("failed"), done ? QStringLiteral("") : text(error), row,
          attempt });
    if (done) {
        const qint64 now = nowMs();
        for (const RecognizedTask &t : tasks) {
            run(QStringLiteral("INSERT INTO tasks (user_id, capture_row, capture_id, title, description, "
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

std::optional<CaptureRecord> Database::claimJob(const QString &owner, qint64 leaseMs)
{
    Transaction transaction(this);
    const qint64 now = nowMs();
    QSqlQuery q = run(u"SELECT row FROM captures WHERE status = 'pending' AND (lease_until IS NULL OR lease_until < ?) "
                      u"ORDER BY row LIMIT 1"
                          + skipLocked(),
                      { now });
    if (!q.next())
        return std::nullopt;
    const qint64 row = q.value(0).toLongLong();
    q.finish();
    run(QStringLiteral("UPDATE captures SET attempt = attempt + 1, lease_owner = ?, lease_until = ? WHERE row = ?"),
        { owner, now + leaseMs, row });
    auto record = captureByRow(row);
    transaction.commit();
    return record;
}

void Database::renewLeases(const QString &owner, qint64 leaseMs)
{
    run(QStringLiteral("UPDATE captures SET lease_until = ? WHERE lease_owner = ? AND status = 'pending'"),
        { nowMs() + leaseMs, owner });
}

void Database::releaseLeases(const QString &owner)
{
    run(QStringLiteral(
            "UPDATE captures SET lease_owner = NULL, lease_until = NULL WHERE lease_owner = ? AND status = 'pending'"),
        { owner });
}

QList<TaskRecord> Database::tasks(qint64 userId)
{
    QList<TaskRecord> result;
    QSqlQuery q = run(u"SELECT " + TaskColumns + u" FROM tasks WHERE user_id = ? ORDER BY id", { userId });
    while (q.next())
        result.append(readTask(q));
    return result;
}

QList<TaskRecord> Database::tasksOfCapture(qint64 captureRow)
{
    QList<TaskRecord> result;
    QSqlQuery q = run(u"SELECT " + TaskColumns + u" FROM tasks WHERE capture_row = ? ORDER BY id", { captureRow });
    while (q.next())
        result.append(readTask(q));
    return result;
}

std::optional<TaskRecord> Database::task(qint64 userId, qint64 id)
{
    QSqlQuery q = run(u"SELECT " + TaskColumns + u" FROM tasks WHERE user_id = ? AND id = ?", { userId, id });
    if (!q.next())
        return std::nullopt;
    return readTask(q);
}

TaskRecord Database::addTask(qint64 userId, const QString &title)
{
    const qint64 now = nowMs();
    Transaction transaction(this);
    QSqlQuery q = run(QStringLiteral("INSERT INTO tasks (user_id, title, description, priority, created_at, "
                                     "updated_at) VALUES (?, ?, '', 'medium', ?, ?) RETURNING id"),
                      { userId, title, now, now });
    if (!q.next())
        throw DatabaseError("new task has no id");
    const qint64 id = q.value(0).toLongLong();
    q.finish();
    auto created = task(userId, id);
    if (!created)
        throw DatabaseError("new task vanished");
    bumpVersion(userId);
    transaction.commit();
    return *created;
}

void Database::saveTask(const TaskRecord &t)
{
    Transaction transaction(this);
    run(QStringLiteral("UPDATE tasks SET title = ?, description = ?, priority = ?, due_date = ?, due_at = ?, "
                       "done_at = ?, updated_at = ? WHERE id = ? AND user_id = ?"),
        { text(t.title), text(t.description), t.priority, optionalText(t.dueDate), optionalNumber(t.dueAt),
          optionalNumber(t.doneAt), t.updatedAt, t.id, t.userId });
    bumpVersion(t.userId);
    transaction.commit();
}

bool Database::deleteTask(qint64 userId, qint64 id)
{
    Transaction transaction(this);
    QSqlQuery q = run(QStringLiteral("DELETE FROM tasks WHERE user_id = ? AND id = ?"), { userId, id });
    if (q.numRowsAffected() <= 0)
        return false;
    bumpVersion(userId);
    transaction.commit();
    return true;
}
