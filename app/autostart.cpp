// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {
const QString entryName = QStringLiteral("autostart/org.quibly.Quibly.desktop");

/*! The value of \a key in the [Desktop Entry] group of the file at \a path. */
QString entryValue(const QString &path, QStringView key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == u"[Desktop Entry]";
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && QStringView(line).left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

/*! The entry the session will read: the user's, else the first system-wide one. */
QString effectiveEntry()
{
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
        const QString path = dir + u'/' + entryName;
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

bool systemEntryExists()
{
    const QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    for (qsizetype i = 1; i < dirs.size(); ++i)
        if (QFileInfo::exists(dirs[i] + u'/' + entryName))
            return true;
    return false;
}

QString failure(const QString &path, const QString &reason)
{
    //: %1 is a file path, %2 the system's reason
    return qtTrId("settings.launch_at_login_failed").arg(QDir::toNativeSeparators(path), reason);
}

QString write(const QString &path, const QByteArray &contents)
{
    // A folder that cannot be made shows up as the save file's own error below.
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit())
        return failure(path, file.errorString());
    return {};
}
} // namespace

QString Autostart::userEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + entryName;
}

bool Autostart::isEnabled()
{
    const QString path = effectiveEntry();
    if (path.isEmpty())
        return false;
    return entryValue(path, u"Hidden") != u"true" && entryValue(path, u"X-GNOME-Autostart-enabled") != u"false";
}

QString Autostart::execValue(const QString &program)
{
    // Quoting rules of the freedesktop desktop-entry format: reserved characters need double
    // quotes, inside which " ` $ \ are escaped; then the string type escapes \ once more.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString arg = program;
    arg.replace(u'%', QStringLiteral("%%"));
    if (std::any_of(arg.cbegin(), arg.cend(), [](QChar c) { return reserved.contains(c); })) {
        QString quoted;
        for (QChar c : std::as_const(arg)) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        arg = u'"' + quoted + u'"';
    }
    arg.replace(u'\\', QStringLiteral("\\\\"));
    arg.replace(u'\n', QStringLiteral("\\n"));
    arg.replace(u'\t', QStringLiteral("\\t"));
    return arg;
}

QString Autostart::setEnabled(bool enabled, const QString &program)
{
    const QString path = userEntryPath();
    if (enabled) {
        const QString command = program.isEmpty() ? QCoreApplication::applicationFilePath() : program;
        const QString contents = QStringLiteral("[Desktop Entry]\n"
                                                "Type=Application\n"
                                                "Name=Quibly\n"
                                                "Comment=Screenshots to a to-do list\n"
                                                "Exec=%1\n"
                                                "Icon=org.quibly.Quibly\n"
                                                "Terminal=false\n"
                                                "NoDisplay=true\n"
                                                "X-GNOME-Autostart-enabled=true\n")
                                     .arg(execValue(command));
        return write(path, contents.toUtf8());
    }
    // A system-wide entry of the same name starts us unless a hidden user entry masks it.
    if (systemEntryExists())
        return write(path, QByteArrayLiteral("[Desktop Entry]\nType=Application\nName=Quibly\nHidden=true\n"));
    QFile file(path);
    if (file.exists() && !file.remove())
        return failure(path, file.errorString());
    return {};
}
