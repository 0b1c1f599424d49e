// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "appidentity.h"
#include "quiblyctl.h"
#include "translations.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace {
QCoro::Task<> runAndQuit(QuiblyCtl &ctl, QStringList arguments, QTextStream &out, QTextStream &err)
{
    auto running = ctl.run(std::move(arguments));
    const int code = co_await std::move(running);
    out.flush();
    err.flush();
    QCoreApplication::exit(code);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    AppIdentity::apply();
    Translations::install();

    QTextStream out(stdout);
    QTextStream err(stderr);
    QNetworkAccessManager session;
    QuiblyCtl ctl(out, err, &session);
    QTimer::singleShot(0, &ctl, [&] { runAndQuit(ctl, QCoreApplication::arguments(), out, err); });
    const int code = app.exec();

    // A request nobody waits for any more (the open captures, loaded beside a task list that
    // was refused) may still be on the wire. Ended here, its coroutine finishes while Qt is
    // whole; left to the process exit, Qt's network thread reports on types already torn
    // down, and those warnings on standard error look like a crash to a script.
    const auto pending = session.findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : pending)
        reply->abort();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}
