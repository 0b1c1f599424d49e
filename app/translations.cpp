// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace {
QTranslator *s_installed = nullptr;
QString s_language = QStringLiteral("en");

const QStringList &available()
{
    static const QStringList languages { QStringLiteral("en"), QStringLiteral("uk") };
    return languages;
}
} // namespace

QString Translations::install(const QStringList &preferredLanguages)
{
    QString language = QStringLiteral("en");
    for (const QString &tag : preferredLanguages) {
        const QString base = tag.section(u'-', 0, 0).section(u'_', 0, 0).toLower();
        if (available().contains(base)) {
            language = base;
            break;
        }
    }

    auto translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral(":/i18n/quibly_") + language)) {
        delete translator;
        return {};
    }
    if (s_installed) {
        QCoreApplication::removeTranslator(s_installed);
        delete s_installed;
    }
    QCoreApplication::installTranslator(translator);
    s_installed = translator;
    s_language = language;
    return language;
}

QString Translations::install()
{
    return install(QLocale::system().uiLanguages());
}

QString Translations::language()
{
    return s_language;
}
