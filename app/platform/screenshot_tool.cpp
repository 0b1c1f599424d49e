// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "screenshot_tool.h"

#include "x11.h"

#include <QCoroProcess>
#include <QCoroTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

namespace {

const QString pathMark = QStringLiteral("%PATH%");
constexpr std::chrono::milliseconds heldPoll(20);
constexpr int heldPolls = 100; // a key held longer than two seconds is not the one that asked

struct Candidate
{
    QStringList needs; // every one must be installed
    ToolScreenshot::Tool tool;
    bool x11;
    bool wayland;
};

QList<Candidate> candidates()
{
    // grim cannot pick a region itself: slurp does, and a cancelled slurp must not become
    // a picture of the whole screen.
    const QString grimScript = QStringLiteral("region=$(slurp) || exit 1; exec grim -g \"$region\" \"$1\"");
    return {
        { { QStringLiteral("gnome-screenshot") },
          { QStringLiteral("gnome-screenshot"), { QStringLiteral("-a"), QStringLiteral("-f"), pathMark } },
          true,
          true },
        { { QStringLiteral("spectacle") },
          { QStringLiteral("spectacle"),
            { QStringLiteral("-b"), QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("-o"), pathMark } },
          true,
          true },
        { { QStringLiteral("grim"), QStringLiteral("slurp") },
          { QStringLiteral("sh"), { QStringLiteral("-c"), grimScript, QStringLiteral("sh"), pathMark } },
          false,
          true },
        { { QStringLiteral("maim") }, { QStringLiteral("maim"), { QStringLiteral("-s"), pathMark } }, true, false },
        { { QStringLiteral("scrot") }, { QStringLiteral("scrot"), { QStringLiteral("-s"), pathMark } }, true, false },
        { { QStringLiteral("import") }, { QStringLiteral("import"), { pathMark } }, true, false },
    };
}

} // namespace

ToolScreenshot::ToolScreenshot(Tool tool)
    : m_tool(std::move(tool))
{ }

std::optional<ToolScreenshot::Tool> ToolScreenshot::find()
{
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    for (const Candidate &c : candidates()) {
        if (!(wayland ? c.wayland : c.x11))
            continue;
        bool installed = true;
        for (const QString &program : c.needs)
            installed = installed && !QStandardPaths::findExecutable(program).isEmpty();
        if (!installed)
            continue;
        Tool tool = c.tool;
        tool.program = QStandardPaths::findExecutable(tool.program);
        if (!tool.program.isEmpty())
            return tool;
    }
    return std::nullopt;
}

QCoro::Task<ScreenshotSource::Shot> ToolScreenshot::take(QString path, std::chrono::milliseconds timeout)
{
    QStringList arguments = m_tool.arguments;
    for (QString &argument : arguments)
        if (argument == pathMark)
            argument = path;
    // The click or hot key that asked for the screenshot may still be held: a tool started now
    // could not grab the pointer (import gives up at once, maim within a second), so wait for the
    // release, as a person would before dragging.
    for (int i = 0; i < heldPolls && X11::inputHeld(); ++i) {
        auto pausing = QCoro::sleepFor(heldPoll);
        co_await std::move(pausing);
    }
    auto process = std::make_unique<QProcess>();
    // The tools' chatter is not ours to print.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto coro = qCoro(process.get());
    auto starting = coro.start(m_tool.program, arguments);
    if (!co_await std::move(starting))
        co_return Shot::Failed;
    auto finishing = coro.waitForFinished(timeout);
    if (!co_await std::move(finishing)) {
        process->kill();
        auto dying = coro.waitForFinished(std::chrono::seconds(5));
        co_await std::move(dying);
        QFile::remove(path);
        co_return Shot::Failed;
    }
    co_return QFile::exists(path) ? Shot::Taken : Shot::Cancelled;
}
