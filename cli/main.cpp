// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "appidentity.h"
#include "quiblyctl.h"
#include "translations.h"

#include <QCoreApplication>
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
    QuiblyCtl ctl(out, err);
    QTimer::singleShot(0, &ctl, [&] { runAndQuit(ctl, QCoreApplication::arguments(), out, err); });
    return app.exec();
}
