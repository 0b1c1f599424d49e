// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

/*!
 * A fixed set of rendered screenshots (1440×900, a few at 2880×1800 with everything drawn at
 * twice the size, one zoomed in) with the tasks a reader should find in them:
 * note apps, chats, mail, markdown and code editors, reminders, in English and Ukrainian, light
 * and dark, with the window chrome, side bars and prose around the lists that real screenshots
 * have. The recognition benchmark scores the recognizer against it.
 */
namespace TodoScreens {
struct Expected
{
    QString title;
    QString due; //!< "", a day "yyyy-MM-dd", or an instant in UTC "yyyy-MM-ddTHH:mm:ssZ"
    QString priority; //!< "high", "medium" or "low"
};

struct Screen
{
    QString name;
    QString language; //!< "uk" or "en"
    QString timeZone;
    QDateTime localTime;
    QImage image;
    QList<Expected> expected;
    QString kind; //!< what the screen shows ("chat", "board", …); empty on the plain screens
    QStringList notTasks; //!< texts on the screen that must not become tasks
};

/*! Renders every screen (needs a QGuiApplication for the fonts). */
QList<Screen> all();
} // namespace TodoScreens
