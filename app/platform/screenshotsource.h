// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QCoroTask>
#include <QString>

#include <chrono>

/*! \brief One way of taking an interactive screenshot into a file. */
class ScreenshotSource
{
public:
    enum class Shot {
        Taken, //!< an image file is at the path
        Cancelled, //!< the user cancelled; no file
        Refused, //!< the desktop refused the permission
        Unavailable, //!< this mechanism is missing here: try the next
        Failed, //!< it ran but produced nothing (crash, time-out, error)
    };

    virtual ~ScreenshotSource() = default;
    /*! Lets the user pick a region and writes the image to \a path (PNG, or another format). */
    virtual QCoro::Task<Shot> take(QString path, std::chrono::milliseconds timeout) = 0;
};
