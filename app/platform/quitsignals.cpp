// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "quitsignals.h"

#include <QCoreApplication>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr std::array handled { SIGTERM, SIGINT, SIGHUP };
// A signal handler may only write to a descriptor; the event loop reads the other end.
int wakeFds[2] = { -1, -1 };

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[1], &byte, 1);
}
} // namespace

void QuitSignals::install(QCoreApplication *app)
{
    if (wakeFds[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, wakeFds) != 0) {
        wakeFds[0] = wakeFds[1] = -1;
        return; // the signals keep their default: the process ends at once
    }
    auto *notifier = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [notifier] {
        char byte;
        while (::read(wakeFds[0], &byte, 1) > 0) { }
        notifier->setEnabled(false);
        for (const int signal : handled)
            std::signal(signal, SIG_DFL);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : handled)
        ::sigaction(signal, &action, nullptr);
}
#else
void QuitSignals::install(QCoreApplication *) { }
#endif
