// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

/*!
 * \brief The day and time texts of the editor's pickers, in the interface language
 * ("uk", "en"), formatted with ICU so that each language keeps its own order and forms.
 */
namespace DateTexts {
/*! The day with its month and year in the medium form: "Mar 15, 2025", "15 бер. 2025 р.". */
QString day(QDate date, const QString &language);
/*! The short time of day: "6:30 PM", "18:30". */
QString time(QTime time, const QString &language);
/*! Whether \a language writes the time of day with 24 hours. */
bool uses24Hour(const QString &language);
} // namespace DateTexts
