// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "taskstyle.h"

#include "ordering.h"
#include "translations.h"

#include <QHash>
#include <QStringList>

#include <unicode/datefmt.h>
#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

namespace {
icu::UnicodeString toIcu(const QString &text)
{
    return icu::UnicodeString(reinterpret_cast<const char16_t *>(text.utf16()), int32_t(text.size()));
}

QString fromIcu(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

// ICU formatters are costly to build and not thread-safe to share, so each thread keeps
// one pair per locale. A list redraw then formats every deadline without building any.
struct Formatters
{
    std::unique_ptr<icu::DateFormat> day; // "dMMMM" in the locale's own order
    std::unique_ptr<icu::DateFormat> time; // the locale's short time
};

Formatters &formattersFor(const QString &localeName)
{
    thread_local QHash<QString, std::shared_ptr<Formatters>> cache;
    auto &entry = cache[localeName];
    if (entry)
        return *entry;

    entry = std::make_shared<Formatters>();
    const icu::Locale locale(localeName.toLatin1().constData());
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, status));
    if (U_SUCCESS(status)) {
        const icu::UnicodeString pattern = generator->getBestPattern(icu::UnicodeString(u"dMMMM"), status);
        if (U_SUCCESS(status))
            entry->day = std::make_unique<icu::SimpleDateFormat>(pattern, locale, status);
        if (U_FAILURE(status))
            entry->day.reset();
    }
    entry->time.reset(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, locale));
    return *entry;
}

QString format(icu::DateFormat *formatter, const QDateTime &instant, const QTimeZone &zone, const QString &fallback)
{
    if (!formatter)
        return fallback;
    formatter->adoptTimeZone(icu::TimeZone::createTimeZone(toIcu(QString::fromUtf8(zone.id()))));
    icu::UnicodeString text;
    formatter->format(UDate(instant.toMSecsSinceEpoch()), text);
    return fromIcu(text);
}
} // namespace

QString TaskStyle::deadline(const TaskItem &task, const QDateTime &now, const QTimeZone &zone, const QString &locale)
{
    const auto offset = Ordering::dayOffset(task, now, zone);
    const auto day = Ordering::dueDay(task, zone);
    if (!offset || !day)
        return qtTrId("list.no_deadline");

    // A zone ICU would not know (or an invalid one) formats in the system zone, as Ordering counts in it.
    const QTimeZone shown = zone.isValid() ? zone : QTimeZone::systemTimeZone();
    Formatters &formatters = formattersFor(locale);
    QString label;
    switch (*offset) {
    case -1:
        label = qtTrId("list.yesterday");
        break;
    case 0:
        label = qtTrId("list.today");
        break;
    case 1:
        label = qtTrId("list.tomorrow");
        break;
    default:
        label = format(formatters.day.get(), *day, shown, day->toTimeZone(shown).date().toString(Qt::ISODate));
        break;
    }
    if (task.dueAt)
        label += u", "
            + format(formatters.time.get(), *task.dueAt, shown,
                     task.dueAt->toTimeZone(shown).time().toString(u"HH:mm"));
    return label;
}

QString TaskStyle::deadline(const TaskItem &task, const QDateTime &now, const QTimeZone &zone)
{
    return deadline(task, now, zone, Translations::language());
}

std::optional<QString> TaskStyle::source(const TaskItem &task)
{
    QStringList parts;
    if (task.sourceApp)
        parts << *task.sourceApp;
    if (task.sourcePerson)
        parts << *task.sourcePerson;
    if (parts.isEmpty())
        return std::nullopt;
    return parts.join(u", ");
}

QString TaskStyle::name(Priority priority)
{
    switch (priority) {
    case Priority::High:
        return qtTrId("priority.high");
    case Priority::Medium:
        return qtTrId("priority.medium");
    case Priority::Low:
        return qtTrId("priority.low");
    }
    return {};
}
