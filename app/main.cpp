// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "appidentity.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AppIdentity::apply();
    QApplication::setQuitOnLastWindowClosed(false);
    // The tray shell has not been built yet: with nothing to show, leave cleanly.
    return 0;
}
