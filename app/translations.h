// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

/*!
 * \brief Loads the string tables embedded in the program.
 *
 * Texts are looked up by id with qtTrId(); an id without a text shows the id itself.
 */
namespace Translations {
/*!
 * Installs the table of the first of \a preferredLanguages that Quibly is translated
 * into, English otherwise. Returns the interface language actually loaded ("uk" or "en"),
 * or an empty text when no table could be loaded.
 */
QString install(const QStringList &preferredLanguages);
/*! install() with the system's preferred languages. */
QString install();
/*! The interface language of the installed table ("uk" or "en"); "en" before any install. */
QString language();
} // namespace Translations
