// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "screenshotsource.h"

#include <QDBusConnection>

/*!
 * \brief The Screenshot interface of xdg-desktop-portal, interactive: the desktop shows its
 * own region picker and answers with a file, which is copied to our path at once.
 */
class PortalScreenshot : public ScreenshotSource
{
public:
    explicit PortalScreenshot(const QDBusConnection &bus);
    QCoro::Task<Shot> take(QString path, std::chrono::milliseconds timeout) override;

private:
    QDBusConnection m_bus;
};
