// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "datetexts.h"

#include <QHash>
#include <QTimeZone>

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

namespace {
QString fromIcu(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

enum class Kind { Day, Time };

// Building an ICU formatter is costly; the editor asks on every change of its pickers.
icu::DateFormat *formatter(Kind kind, const QString &language)
{
    thread_local QHash<QString, std::shared_ptr<icu::DateFormat>> cache;
    const QString key = (kind == Kind::Day ? u"d:" : u"t:") + language;
    auto &entry = cache[key];
    if (!entry) {
        const icu::Locale locale(language.toLatin1().constData());
        entry.reset(kind == Kind::Day ? icu::DateFormat::createDateInstance(icu::DateFormat::kMedium, locale)
                                      : icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, locale));
        if (entry)
            entry->adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString(u"UTC")));
    }
    return entry.get();
}

QString format(Kind kind, const QDateTime &utc, const QString &language, const QString &fallback)
{
    icu::DateFormat *dateFormat = formatter(kind, language);
    if (!dateFormat)
        return fallback;
    icu::UnicodeString text;
    dateFormat->format(UDate(utc.toMSecsSinceEpoch()), text);
    return fromIcu(text);
}
} // namespace

QString DateTexts::day(QDate date, const QString &language)
{
    // Noon, so that no zone could move the instant to another day.
    return format(Kind::Day, QDateTime(date, QTime(12, 0), QTimeZone::utc()), language, date.toString(Qt::ISODate));
}

QString DateTexts::time(QTime time, const QString &language)
{
    return format(Kind::Time, QDateTime(QDate(2001, 1, 1), time, QTimeZone::utc()), language, time.toString(u"HH:mm"));
}

bool DateTexts::uses24Hour(const QString &language)
{
    auto *simple = dynamic_cast<icu::SimpleDateFormat *>(formatter(Kind::Time, language));
    if (!simple)
        return true;
    icu::UnicodeString pattern;
    simple->toPattern(pattern);
    const QString text = fromIcu(pattern);
    return !text.contains(u'h') && !text.contains(u'K');
}
