// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "screenshotsource.h"

#include <QStringList>

#include <optional>

/*!
 * \brief An interactive screenshot tool run as a child process, given our output path; a
 * tool that is cancelled writes no file.
 */
class ToolScreenshot : public ScreenshotSource
{
public:
    struct Tool
    {
        QString program;
        QStringList arguments; //!< "%PATH%" stands for the output path
    };

    explicit ToolScreenshot(Tool tool);
    /*! The first installed tool of the fixed list for this session (X11 or Wayland), if any. */
    static std::optional<Tool> find();

    QCoro::Task<Shot> take(QString path, std::chrono::milliseconds timeout) override;

private:
    Tool m_tool;
};
