// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "iconclick.h"

IconClick IconClickRule::action(bool rightButton, const std::optional<QString> &leftClickSetting)
{
    // Anything but the exact stored text "capture" (absent, empty, "Capture", …) keeps the list on the left click.
    const IconClick primary
        = leftClickSetting && *leftClickSetting == u"capture" ? IconClick::Capture : IconClick::List;
    if (!rightButton)
        return primary;
    return primary == IconClick::Capture ? IconClick::List : IconClick::Capture;
}
