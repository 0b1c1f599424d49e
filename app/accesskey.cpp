// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "accesskey.h"

#include "durablefile.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void step(const std::function<void()> &afterStep)
{
    if (afterStep)
        afterStep();
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}
} // namespace

QString AccessKey::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Quibly/access-key");
}

std::optional<QString> AccessKey::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    const QString key = text.trimmed();
    if (key.isEmpty())
        return std::nullopt;
    return key;
}

void AccessKey::write(const QString &key, const QString &path, const std::function<void()> &afterStep)
{
    const QString trimmed = key.trimmed();
    if (trimmed.isEmpty()) {
        QFile::remove(path);
        step(afterStep);
        return;
    }

    // A file whose mode was widened by hand still holds the old key: narrow it first.
    const QByteArray target = QFile::encodeName(path);
    struct stat st
    {
    };
    if (::lstat(target.constData(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0077))
        ::chmod(target.constData(), S_IRUSR | S_IWUSR);
    step(afterStep);

    // The folder is 0700 from its creation, and one made wider by hand is narrowed: another
    // account that could write into it could put a key of its own in place of ours.
    const QString folder = QFileInfo(path).absolutePath();
    DurableFile::makePrivateDirectory(folder);
    DurableFile::makePrivate(folder);
    step(afterStep);

    // mkstemp creates the file with mode 0600 (never wider, whatever the umask), so the key
    // is private from the first byte; renaming it over the old file also replaces a file
    // whose mode had been widened by hand.
    QByteArray pattern = QFile::encodeName(folder + QStringLiteral("/.access-key.XXXXXX"));
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return;
    step(afterStep);

    bool ok = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
    ok = ok && writeAll(fd, trimmed.toUtf8());
    step(afterStep);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(pattern.constData(), target.constData()) == 0;
    if (!ok)
        ::unlink(pattern.constData());
    step(afterStep);

    // Make the rename itself durable; failures here leave a valid file either way.
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

void AccessKey::makePrivate(const QString &path)
{
    DurableFile::makePrivate(QFileInfo(path).absolutePath());
    DurableFile::makePrivate(path);
}
