// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "capturequeue.h"

#include "durablefile.h"
#include "filelock.h"

#include <QCoroFuture>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString metaSuffix = u".json"_s;
const QString imageSuffix = u".png"_s;

// Ids become file names; one that names another place must not let a drain read or
// delete files outside the queue.
bool isPlainFileName(const QString &id)
{
    return !id.isEmpty() && id != u"."_s && id != u".."_s && !id.contains(u'/') && !id.contains(u'\\')
        && !id.contains(QChar(0));
}

QString filePath(const QString &directory, const QString &id, const QString &suffix)
{
    return directory + u'/' + id + suffix;
}

std::optional<QByteArray> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

struct Turn
{
    enum class Step { Skip, ImageMissing, Upload };
    Step step = Step::Skip;
    QByteArray png;
};

} // namespace

CaptureQueue::CaptureQueue(QString directory)
    : m_directory(std::move(directory))
{ }

Result<std::monostate, QString> CaptureQueue::enqueue(const QByteArray &png, const QueuedCapture &meta) const
{
    if (!isPlainFileName(meta.id))
        return u"not usable as a file name: \"%1\""_s.arg(meta.id);

    const bool existed = QFileInfo(m_directory).isDir();
    if (!QDir().mkpath(m_directory))
        return u"cannot create %1"_s.arg(m_directory);
    // A fresh directory is only durable once its parent's entry for it is.
    if (!existed && !DurableFile::syncDirectory(QFileInfo(m_directory).absolutePath()))
        return u"cannot flush the parent of %1 to disk"_s.arg(m_directory);

    // The image goes first: the metadata file is what makes the capture part of the queue.
    if (QString error = DurableFile::write(filePath(m_directory, meta.id, imageSuffix), png); !error.isEmpty())
        return error;
    if (QString error = DurableFile::write(filePath(m_directory, meta.id, metaSuffix), meta.toFileJson());
        !error.isEmpty())
        return error;
    return std::monostate {};
}

QList<QueuedCapture> CaptureQueue::pending() const
{
    const QStringList names = QDir(m_directory).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    QList<QueuedCapture> captures;
    for (const QString &name : names) {
        // Exactly "<stem>.json": lock files, temporary files and "X.JSON" are not captures.
        if (!name.endsWith(metaSuffix, Qt::CaseSensitive) || name.size() == metaSuffix.size())
            continue;
        const std::optional<QByteArray> bytes = readFile(m_directory + u'/' + name);
        if (!bytes)
            continue;
        if (std::optional<QueuedCapture> capture = QueuedCapture::fromFileJson(*bytes))
            captures.append(std::move(*capture));
    }
    std::stable_sort(captures.begin(), captures.end(),
                     [](const QueuedCapture &a, const QueuedCapture &b) { return a.localTime < b.localTime; });
    return captures;
}

void CaptureQueue::remove(const QString &id) const
{
    if (!isPlainFileName(id))
        return;
    QFile::remove(filePath(m_directory, id, metaSuffix));
    QFile::remove(filePath(m_directory, id, imageSuffix));
}

QCoro::Task<CaptureQueue::Drained> CaptureQueue::drain(Upload upload) const
{
    const QString directory = m_directory;
    // The application and quiblyctl may drain the same queue; whoever holds the lock does
    // the work, the other finds nothing it may take. The kernel drops the lock when its
    // holder dies, at whatever moment, so a killed drain never blocks the next one; a live
    // holder keeps it however long its uploads take.
    auto lock = std::make_shared<FileLock>();

    // Every awaited future is a named local: GCC 12 destroys lambda captures twice when the
    // lambda is a temporary inside a co_await expression.
    QFuture<QList<QueuedCapture>> listing = QtConcurrent::run([directory, lock] {
        if (!QFileInfo(directory).isDir())
            return QList<QueuedCapture>();
        *lock = FileLock::tryLock(directory + u"/drain.lock"_s);
        if (!lock->isLocked())
            return QList<QueuedCapture>();
        return CaptureQueue(directory).pending();
    });
    const QList<QueuedCapture> snapshot = co_await listing;

    Drained drained;
    for (const QueuedCapture &item : snapshot) {
        QFuture<Turn> reading = QtConcurrent::run([directory, id = item.id] {
            Turn turn;
            if (!isPlainFileName(id) || !QFileInfo::exists(filePath(directory, id, metaSuffix)))
                return turn; // removed since the snapshot, or a name pointing elsewhere
            if (std::optional<QByteArray> png = readFile(filePath(directory, id, imageSuffix))) {
                turn.step = Turn::Step::Upload;
                turn.png = std::move(*png);
            } else {
                CaptureQueue(directory).remove(id);
                turn.step = Turn::Step::ImageMissing;
            }
            return turn;
        });
        Turn turn = co_await reading;
        if (turn.step == Turn::Step::Skip)
            continue;
        if (turn.step == Turn::Step::ImageMissing) {
            drained.rejected.append(item.id);
            continue;
        }

        std::optional<ServiceResult<std::monostate>> result;
        try {
            QCoro::Task<ServiceResult<std::monostate>> uploading = upload(item, std::move(turn.png));
            result = co_await std::move(uploading);
        } catch (...) {
            break; // an upload that fails in an unexpected way is still only a failed upload
        }
        const auto *apiError = result->ok() ? nullptr : std::get_if<APIError>(&result->error());
        const bool accepted = result->ok();
        const bool refused = apiError && apiError->kind == APIError::Kind::Rejected;
        if (!accepted && !refused)
            break;
        QFuture<void> removing = QtConcurrent::run([directory, id = item.id] { CaptureQueue(directory).remove(id); });
        co_await removing;
        (accepted ? drained.uploaded : drained.rejected).append(item.id);
    }

    if (lock->isLocked()) {
        QFuture<void> unlocking = QtConcurrent::run([lock] { lock->unlock(); });
        co_await unlocking;
    }
    co_return drained;
}
