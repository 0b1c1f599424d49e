// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "qmlmodules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {
QStringList importsInSource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    // Module imports only: a quoted import is a file or folder of our own.
    static const QRegularExpression importLine(uR"(^\s*import\s+([A-Za-z_][\w.]*))"_s,
                                               QRegularExpression::MultilineOption);
    QStringList modules;
    const QString text = QString::fromUtf8(file.readAll());
    for (auto it = importLine.globalMatch(text); it.hasNext();)
        modules << it.next().captured(1);
    return modules;
}

QStringList importsInQmldir(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList modules;
    while (!file.atEnd()) {
        QStringList words = QString::fromUtf8(file.readLine()).simplified().split(u' ', Qt::SkipEmptyParts);
        // "default import" is the one a module uses when nothing else is chosen: needed.
        if (!words.isEmpty() && words.first() == u"default")
            words.removeFirst();
        if (words.size() >= 2 && (words.first() == u"import" || words.first() == u"depends"))
            modules << words.at(1);
    }
    return modules;
}

QString qmldirOf(const QString &module, const QStringList &importPaths)
{
    const QString relative = QString(module).replace(u'.', u'/') + u"/qmldir"_s;
    for (const QString &path : importPaths) {
        const QString candidate = QDir(path).filePath(relative);
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return {};
}
} // namespace

QStringList QmlModules::importPaths()
{
    QStringList paths;
    for (const char *variable : { "QML_IMPORT_PATH", "QML2_IMPORT_PATH" })
        paths += qEnvironmentVariable(variable).split(QDir::listSeparator(), Qt::SkipEmptyParts);
    paths << u":/qt-project.org/imports"_s << u":/qt/qml"_s << QLibraryInfo::path(QLibraryInfo::QmlImportsPath)
          << QCoreApplication::applicationDirPath();
    return paths;
}

QStringList QmlModules::missing(const QString &viewsDir, const QStringList &more, const QStringList &importPaths)
{
    QStringList pending = more;
    const QDir views(viewsDir);
    for (const QString &name : views.entryList({ u"*.qml"_s }, QDir::Files))
        pending += importsInSource(views.filePath(name));

    QSet<QString> seen;
    QStringList missing;
    while (!pending.isEmpty()) {
        const QString module = pending.takeLast();
        if (seen.contains(module))
            continue;
        seen.insert(module);
        const QString qmldir = qmldirOf(module, importPaths);
        if (qmldir.isEmpty())
            missing << module;
        else
            pending += importsInQmldir(qmldir);
    }
    missing.sort();
    return missing;
}

QString QmlModules::debianPackage(const QString &module)
{
    // Debian packs Qt's modules by their first two name parts.
    return u"qml6-module-"_s + module.section(u'.', 0, 1).toLower().replace(u'.', u'-');
}
