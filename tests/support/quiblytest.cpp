// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "quiblytest.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

void QuiblyTest::failOnUnexpectedWarnings()
{
    QTest::failOnWarning(QRegularExpression(u".?"_s));
}

QProcessEnvironment QuiblyTest::privateHome(const QString &home, const QString &language)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, home);
    env.insert(u"XDG_CONFIG_HOME"_s, home + u"/.config"_s);
    env.insert(u"XDG_DATA_HOME"_s, home + u"/.local/share"_s);
    env.insert(u"XDG_CACHE_HOME"_s, home + u"/.cache"_s);
    env.insert(u"LANG"_s, u"C.UTF-8"_s);
    env.insert(u"LANGUAGE"_s, language);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    // The request log and the warnings are part of what is checked.
    for (const QString &name :
         { u"LC_ALL"_s, u"LC_MESSAGES"_s, u"QT_LOGGING_RULES"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s })
        env.remove(name);
    return env;
}

QStringList QuiblyTest::Run::errLines() const
{
    return err.split(u'\n', Qt::SkipEmptyParts);
}

QuiblyTest::Run QuiblyTest::run(const QString &program, const QStringList &arguments,
                                const QProcessEnvironment &environment, const QByteArray &input, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!finished.wait(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
             QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError()) };
}
