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
const QString lockName = u"drain.lock"_s;

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

// Removes \a path unless someone is writing it (it is locked) or it has become part of a
// capture (\a record exists) by the time we hold its lock.
void removeIfAbandoned(const QString &path, const QString &record)
{
    const FileLock lock = FileLock::tryLock(path, FileLock::Open::ExistingOnly);
    if (!lock.isLocked() || (!record.isEmpty() && QFileInfo::exists(record)))
        return;
    // The name may have been given to a new file between the listing and the lock.
    if (lock.isNamedBy(path))
        DurableFile::remove(path);
}

// Run under the drain lock. What a killed enqueue or removal left behind goes: an image
// without a record and a temporary file, each once no live writer holds it. Everything is
// made private to the user, in case an older version or a hand left it readable to others.
void sweep(const QString &directory)
{
    DurableFile::makePrivate(directory);
    const QStringList names = QDir(directory).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const QString path = directory + u'/' + name;
        if (name == lockName + u".rmlock"_s) {
            DurableFile::remove(path); // left by the pid-file lock of older versions
            continue;
        }
        const QString target = DurableFile::temporaryTarget(name);
        if (target.endsWith(imageSuffix) || target.endsWith(metaSuffix)) {
            removeIfAbandoned(path, {});
        } else if (name.endsWith(imageSuffix) && name.size() > imageSuffix.size()) {
            const QString record = directory + u'/' + name.chopped(imageSuffix.size()) + metaSuffix;
            if (!QFileInfo::exists(record))
                removeIfAbandoned(path, record);
        }
        DurableFile::makePrivate(path);
    }
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

    if (QString error = DurableFile::makePrivateDirectory(m_directory); !error.isEmpty())
        return error;
    DurableFile::makePrivate(m_directory); // made by an older version, or by hand

    // The image goes first: the metadata file is what makes the capture part of the queue.
    // The image stays locked until its record is in, so that a drain sweeping abandoned
    // images leaves it alone meanwhile.
    const QString imagePath = filePath(m_directory, meta.id, imageSuffix);
    FileLock image;
    if (QString error = DurableFile::write(imagePath, png, &image); !error.isEmpty())
        return error;
    if (QString error = DurableFile::write(filePath(m_directory, meta.id, metaSuffix), meta.toFileJson());
        !error.isEmpty()) {
        DurableFile::remove(imagePath);
        return error;
    }
    return std::monostate {};
}

QCoro::Task<Result<std::monostate, QString>> CaptureQueue::enqueueInBackground(QByteArray png, QueuedCapture meta) const
{
    // The future holds an optional: QFuture needs a default-constructible result.
    QFuture<std::optional<Result<std::monostate, QString>>> writing
        = QtConcurrent::run([queue = *this, png = std::move(png), meta = std::move(meta)] {
              return std::optional(queue.enqueue(png, meta));
          });
    std::optional<Result<std::monostate, QString>> written = co_await writing;
    co_return std::move(*written);
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
    // The record first, and on disk before the image goes: a kill or a power cut in between
    // leaves an image without a record, which the next drain sweeps, never a record whose
    // image is gone (announced as refused although the service has it).
    DurableFile::remove(filePath(m_directory, id, metaSuffix));
    DurableFile::syncDirectory(m_directory);
    DurableFile::remove(filePath(m_directory, id, imageSuffix));
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
        *lock = FileLock::tryLock(directory + u'/' + lockName);
        if (!lock->isLocked())
            return QList<QueuedCapture>();
        sweep(directory);
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
        if (!accepted && !refused) {
            drained.stoppedBy = result->error();
            break;
        }
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
