// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "appidentity.h"

#include <QCoreApplication>
#include <QGuiApplication>

void AppIdentity::apply()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quibly"));
    QCoreApplication::setApplicationName(QStringLiteral("Quibly"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUIBLY_VERSION));
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::setDesktopFileName(QStringLiteral("org.quibly.Quibly"));
}
