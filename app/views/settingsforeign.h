// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "keyrecorder.h"
#include "settingsform.h"

#include <QQmlEngine>

// The settings helpers live in the application library, free of QML; these make them QML types.

struct SettingsFormForeign
{
    Q_GADGET
    QML_FOREIGN(SettingsForm)
    QML_NAMED_ELEMENT(SettingsForm)
};

struct KeyRecorderForeign
{
    Q_GADGET
    QML_FOREIGN(KeyRecorder)
    QML_NAMED_ELEMENT(KeyRecorder)
    QML_UNCREATABLE("Each SettingsForm has its two recorders")
};
