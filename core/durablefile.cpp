// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "durablefile.h"

#include "filelock.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr mode_t privateFile = S_IRUSR | S_IWUSR;
constexpr mode_t privateFolder = S_IRWXU;
constexpr qsizetype temporarySuffixLength = 6; // as mkstemp's XXXXXX

std::function<void()> &stepHook()
{
    static std::function<void()> hook;
    return hook;
}

void step()
{
    if (const auto &hook = stepHook())
        hook();
}

QString reason()
{
    return qt_error_string(errno);
}

bool syncDescriptor(int descriptor)
{
    int result;
    do {
        result = ::fsync(descriptor);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool writeAll(int descriptor, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(descriptor, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool lockExclusive(int descriptor)
{
    int result;
    do {
        result = ::flock(descriptor, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

QByteArray randomTemporaryName(const QByteArray &target)
{
    static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = target + '.';
    for (qsizetype i = 0; i < temporarySuffixLength; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof(letters) - 1))];
    return name;
}

// A named temporary file beside the target, for file systems without unnamed ones. A sweep
// may take a stray's name between its creation and our lock: then we start again.
FileLock createNamed(const QByteArray &target, QByteArray *name)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        *name = target + ".XXXXXX";
        const int descriptor = ::mkostemp(name->data(), O_CLOEXEC);
        if (descriptor < 0)
            return {};
        FileLock lock = FileLock::adopt(descriptor);
        if (lockExclusive(descriptor) && lock.isNamedBy(QFile::decodeName(*name)))
            return lock;
    }
    errno = EAGAIN;
    return {};
}

} // namespace

QString DurableFile::write(const QString &path, const QByteArray &bytes, FileLock *held)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray target = QFile::encodeName(path);

    // An unnamed file where the file system has them: a kill before it is linked leaves
    // nothing behind. It is locked before it ever has a name.
    QByteArray temporary;
    FileLock lock;
    if (const int unnamed
        = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, privateFile);
        unnamed >= 0) {
        lock = FileLock::adopt(unnamed);
        lockExclusive(unnamed);
    } else if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
        lock = createNamed(target, &temporary);
    }
    if (!lock.isLocked())
        return u"cannot create %1: %2"_s.arg(path, reason());
    const int descriptor = lock.descriptor();
    step();

    const auto fail = [&](const QString &what) {
        const QString message = what.arg(path, reason());
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
        return message;
    };
    // Exactly 0600 even under a umask that would leave the owner unable to read it back.
    if (::fchmod(descriptor, privateFile) != 0 || !writeAll(descriptor, bytes))
        return fail(u"cannot write %1: %2"_s);
    step();
    if (!syncDescriptor(descriptor))
        return fail(u"cannot flush %1 to disk: %2"_s);
    step();

    if (temporary.isEmpty()) {
        const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(descriptor);
        if (::linkat(AT_FDCWD, procPath.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) == 0) {
            step();
        } else if (errno == EEXIST) {
            // A link cannot replace a file: link under a fresh name, then rename that over it.
            int linked;
            do {
                temporary = randomTemporaryName(target);
                linked = ::linkat(AT_FDCWD, procPath.constData(), AT_FDCWD, temporary.constData(), AT_SYMLINK_FOLLOW);
            } while (linked != 0 && errno == EEXIST);
            if (linked != 0) {
                temporary.clear();
                return fail(u"cannot write %1: %2"_s);
            }
            step();
        } else {
            return fail(u"cannot write %1: %2"_s);
        }
    }
    if (!temporary.isEmpty()) {
        if (::rename(temporary.constData(), target.constData()) != 0)
            return fail(u"cannot write %1: %2"_s);
        step();
    }

    if (!syncDirectory(folder))
        return u"cannot flush the directory of %1 to disk: %2"_s.arg(path, reason());
    step();
    if (held)
        *held = std::move(lock);
    return {};
}

bool DurableFile::remove(const QString &path)
{
    const bool removed = ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT;
    step();
    return removed;
}

bool DurableFile::syncDirectory(const QString &directory)
{
    const int descriptor = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = syncDescriptor(descriptor);
    const int savedErrno = errno;
    ::close(descriptor);
    errno = savedErrno;
    return synced;
}

QString DurableFile::makePrivateDirectory(const QString &directory)
{
    const QString absolute = QDir::cleanPath(QFileInfo(directory).absoluteFilePath());
    if (QFileInfo(absolute).isDir())
        return {};
    qsizetype end = 0;
    while (end < absolute.size()) {
        end = absolute.indexOf(u'/', end + 1);
        if (end < 0)
            end = absolute.size();
        const QString part = absolute.left(end);
        const QByteArray encoded = QFile::encodeName(part);
        if (::mkdir(encoded.constData(), privateFolder) == 0) {
            // mkdir applies the umask; a stricter one than 0077 must not lock the owner out.
            ::chmod(encoded.constData(), privateFolder);
            step();
            if (!syncDirectory(QFileInfo(part).absolutePath()))
                return u"cannot flush the parent of %1 to disk: %2"_s.arg(part, reason());
            step();
            continue;
        }
        if (errno != EEXIST)
            return u"cannot create %1: %2"_s.arg(part, reason());
        struct stat st = {};
        if (::stat(encoded.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return u"cannot create %1: not a folder"_s.arg(part);
    }
    return {};
}

void DurableFile::makePrivate(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat st = {};
    if (::lstat(encoded.constData(), &st) == 0 && !S_ISLNK(st.st_mode) && (st.st_mode & 0077))
        ::chmod(encoded.constData(), st.st_mode & 07700);
}

QString DurableFile::temporaryTarget(const QString &name)
{
    const qsizetype dot = name.size() - temporarySuffixLength - 1;
    if (dot <= 0 || name.at(dot) != u'.')
        return {};
    for (qsizetype i = dot + 1; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
            return {};
    }
    return name.left(dot);
}

void DurableFile::setStepHook(std::function<void()> hook)
{
    stepHook() = std::move(hook);
}
