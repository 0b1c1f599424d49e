// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "database.h"
#include "databasebackends.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

const QString DatabaseFile = QStringLiteral("quibly-service.sqlite");
const QString ImagesDir = QStringLiteral("images");

/*! The store of one instance: SQLite in WAL mode, each image a file named after its row. */
class SqliteDatabase final : public Database
{
public:
    SqliteDatabase(const QString &dataDir, const QString &connectionName)
        : Database(connectionName)
        , m_dataDir(dataDir)
    { }

    bool setUp(QString *error)
    {
        try {
            {
                QSqlQuery journal = run(QStringLiteral("PRAGMA journal_mode=WAL"));
                if (!journal.next() || journal.value(0).toString().compare(u"wal", Qt::CaseInsensitive) != 0)
                    throw DatabaseError("cannot switch to write-ahead logging (is the directory writable?)");
            }
            run(QStringLiteral("PRAGMA foreign_keys=ON"));
            run(QStringLiteral("PRAGMA synchronous=NORMAL"));
        } catch (const DatabaseError &e) {
            *error = QString::fromStdString(e.what());
            return false;
        }
        if (!migrate(error))
            return false;
        try {
            // One instance owns this store: jobs its former life held are free again.
            run(QStringLiteral("UPDATE captures SET lease_owner = NULL, lease_until = NULL WHERE lease_owner IS "
                               "NOT NULL"));
        } catch (const DatabaseError &e) {
            *error = QString::fromStdString(e.what());
            return false;
        }
        return true;
    }

    QString imageFile(qint64 captureRow) const override
    {
        return QDir(m_dataDir).filePath(ImagesDir + u'/' + QString::number(captureRow));
    }

    std::optional<QByteArray> image(qint64 captureRow) override
    {
        QFile file(imageFile(captureRow));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    }

protected:
    int migrateFrom(int schema) override
    {
        if (schema < 1) {
            run(QStringLiteral("CREATE TABLE IF NOT EXISTS users (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, "
                               "key_hash BLOB NOT NULL UNIQUE, created_at INTEGER NOT NULL, revoked_at INTEGER)"));
            run(QStringLiteral("CREATE TABLE IF NOT EXISTS captures (row INTEGER PRIMARY KEY, user_id INTEGER NOT "
                               "NULL REFERENCES users(id), id TEXT NOT NULL, status TEXT NOT NULL, error TEXT NOT "
                               "NULL DEFAULT '', local_time INTEGER NOT NULL, time_zone TEXT NOT NULL, language TEXT "
                               "NOT NULL, created_at INTEGER NOT NULL, attempt INTEGER NOT NULL DEFAULT 0, "
                               "UNIQUE (user_id, id))"));
            run(QStringLiteral("CREATE INDEX IF NOT EXISTS captures_status ON captures (status)"));
            run(QStringLiteral(
                "CREATE TABLE IF NOT EXISTS tasks (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                "user_id INTEGER NOT NULL REFERENCES users(id), "
                "capture_row INTEGER REFERENCES captures(row) ON DELETE SET NULL, capture_id TEXT, "
                "title TEXT NOT NULL, description TEXT NOT NULL DEFAULT '', priority TEXT NOT NULL, due_date "
                "TEXT, due_at INTEGER, source_app TEXT, source_person TEXT, done_at INTEGER, created_at INTEGER "
                "NOT NULL, updated_at INTEGER NOT NULL)"));
            run(QStringLiteral("CREATE INDEX IF NOT EXISTS tasks_user ON tasks (user_id)"));
            run(QStringLiteral("CREATE INDEX IF NOT EXISTS tasks_capture ON tasks (capture_row)"));
        }
        if (schema < 2)
            run(QStringLiteral("ALTER TABLE users ADD COLUMN version INTEGER NOT NULL DEFAULT 0"));
        if (schema < 3) {
            run(QStringLiteral("ALTER TABLE captures ADD COLUMN lease_owner TEXT"));
            run(QStringLiteral("ALTER TABLE captures ADD COLUMN lease_until INTEGER"));
        }
        return 3;
    }

    void storeImage(qint64 row, const QByteArray &image) override
    {
        QSaveFile file(imageFile(row));
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.commit())
            throw DatabaseError("cannot write the image: " + file.errorString().toStdString());
    }

    void dropImage(qint64 row) override { QFile::remove(imageFile(row)); }

private:
    QString m_dataDir;
};

} // namespace

std::unique_ptr<Database> openSqliteDatabase(const QString &dataDir, QString *error)
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
    auto database = std::make_unique<SqliteDatabase>(dataDir, name);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        *error = QStringLiteral("cannot open database %1: %2").arg(path, db.lastError().text());
        return nullptr;
    }
    if (!database->setUp(error)) {
        *error = QStringLiteral("database %1 is not usable: %2").arg(path, *error);
        return nullptr;
    }
    return database;
}
