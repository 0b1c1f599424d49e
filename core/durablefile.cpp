// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "durablefile.h"

#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

bool syncDescriptor(int descriptor)
{
#ifdef Q_OS_UNIX
    int result;
    do {
        result = ::fsync(descriptor);
    } while (result != 0 && errno == EINTR);
    return result == 0;
#else
    Q_UNUSED(descriptor);
    return true;
#endif
}

} // namespace

QString DurableFile::write(const QString &path, const QByteArray &bytes)
{
    // QSaveFile writes to a temporary file in the same directory and renames it over the
    // target on commit; it does not flush the directory, so the rename could be lost.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return u"cannot create %1: %2"_s.arg(path, file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return u"cannot write %1: %2"_s.arg(path, reason);
    }
    if (!syncDescriptor(file.handle())) {
        file.cancelWriting();
        return u"cannot flush %1 to disk: %2"_s.arg(path, qt_error_string(errno));
    }
    if (!file.commit())
        return u"cannot write %1: %2"_s.arg(path, file.errorString());
    if (!syncDirectory(QFileInfo(path).absolutePath()))
        return u"cannot flush the directory of %1 to disk: %2"_s.arg(path, qt_error_string(errno));
    return {};
}

bool DurableFile::syncDirectory(const QString &directory)
{
#ifdef Q_OS_UNIX
    const int descriptor = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = syncDescriptor(descriptor);
    const int savedErrno = errno;
    ::close(descriptor);
    errno = savedErrno;
    return synced;
#else
    // Other systems either commit renames with the file or offer no directory handle to flush.
    Q_UNUSED(directory);
    return true;
#endif
}
