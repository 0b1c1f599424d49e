// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "deadlineparser.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {
// Letters and apostrophes bound a word: "п'ятниці" is one word.
const QString wordStart = u"(?<![\\w'])"_s;
const QString wordEnd = u"(?![\\w'])"_s;

struct WeekdayName
{
    int day; // Qt::DayOfWeek
    QString forms; // full names, every case form
    QString abbreviations; // only taken after a preposition: "sat", "sun" are ordinary words
};

const std::array<WeekdayName, 7> &weekdays()
{
    static const std::array<WeekdayName, 7> names { {
        { 1, u"monday|понеділ(?:ок|ка|ку)"_s, u"mon|пн"_s },
        { 2, u"tuesday|вівтор(?:ок|ка|ку)"_s, u"tue|tues|вт"_s },
        { 3, u"wednesday|серед(?:а|и|у|і)"_s, u"wed|ср"_s },
        { 4, u"thursday|четвер(?:га|гу)?"_s, u"thu|thur|thurs|чт"_s },
        { 5, u"friday|п'ятниц(?:я|і|ю)"_s, u"fri|пт"_s },
        { 6, u"saturday|субот(?:а|и|у|і)"_s, u"sat|сб"_s },
        { 7, u"sunday|неділ(?:я|і|ю)"_s, u"sun|нд"_s },
    } };
    return names;
}

// English full and short month names, then the Ukrainian genitive ("12 березня"), nominative and
// short form ("14 бер.").
const QList<QStringList> &monthNames()
{
    static const QList<QStringList> names {
        { u"january"_s, u"jan"_s, u"січня"_s, u"січень"_s, u"січ"_s },
        { u"february"_s, u"feb"_s, u"лютого"_s, u"лютий"_s, u"лют"_s },
        { u"march"_s, u"mar"_s, u"березня"_s, u"березень"_s, u"бер"_s },
        { u"april"_s, u"apr"_s, u"квітня"_s, u"квітень"_s, u"квіт"_s },
        { u"may"_s, u"травня"_s, u"травень"_s, u"трав"_s },
        { u"june"_s, u"jun"_s, u"червня"_s, u"червень"_s, u"черв"_s },
        { u"july"_s, u"jul"_s, u"липня"_s, u"липень"_s, u"лип"_s },
        { u"august"_s, u"aug"_s, u"серпня"_s, u"серпень"_s, u"серп"_s },
        { u"september"_s, u"sept"_s, u"sep"_s, u"вересня"_s, u"вересень"_s, u"вер"_s },
        { u"october"_s, u"oct"_s, u"жовтня"_s, u"жовтень"_s, u"жовт"_s },
        { u"november"_s, u"nov"_s, u"листопада"_s, u"листопад"_s, u"листоп"_s },
        { u"december"_s, u"dec"_s, u"грудня"_s, u"грудень"_s, u"груд"_s },
    };
    return names;
}

QString monthAlternation()
{
    QStringList all;
    for (const QStringList &forms : monthNames())
        all += forms;
    // Longest first so that "sept" wins over "sep" and "march" over "mar".
    std::sort(all.begin(), all.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    return all.join(u'|');
}

int monthNumber(const QString &name)
{
    const QString lower = name.toLower();
    for (qsizetype i = 0; i < monthNames().size(); ++i) {
        if (monthNames().at(i).contains(lower))
            return int(i) + 1;
    }
    return 0;
}

QRegularExpression makeRegex(const QString &pattern)
{
    return QRegularExpression(
        pattern, QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
}

enum class Kind { Iso, Dotted, DayMonth, MonthDay, Relative, Weekday, WeekdayShort, Clock, AmPm, Hour, Noon };

struct Pattern
{
    Kind kind;
    QRegularExpression regex;
    bool isTime;
};

const QList<Pattern> &patterns()
{
    // QRegularExpression is reentrant, not documented thread-safe: one set per thread.
    thread_local const QList<Pattern> list = [] {
        const QString months = monthAlternation();
        QStringList full, shortNames;
        for (const WeekdayName &w : weekdays()) {
            full << w.forms;
            shortNames << w.abbreviations;
        }
        const QString next = u"(?:(next|наступн(?:ого|ої|ий|у|а|ій)|this|цього|цієї|цю|цей|у цю|в цю)\\s+)?"_s;
        const QString clock = u"([01]?\\d|2[0-3])[:.]([0-5]\\d)(?:\\s*([ap])\\.?\\s?m\\.?(?![\\w]))?"_s;
        return QList<Pattern> {
            { Kind::Iso, makeRegex(u"(?<![\\d-])(\\d{4})-(\\d{1,2})-(\\d{1,2})(?![\\d])"_s), false },
            { Kind::Dotted,
              makeRegex(u"(?<![\\d.:])(\\d{1,2})[./](\\d{2})(?:[./](\\d{4}|\\d{2}))?(?![\\d:]|[./]\\d)"_s), false },
            { Kind::DayMonth,
              makeRegex(u"(?<![\\d.:])(\\d{1,2})(?:st|nd|rd|th|-?го)?\\s+(?:of\\s+)?("_s + months + u")\\.?"_s + wordEnd
                        + u"(?:,?\\s+(\\d{4})(?:\\s*(?:р\\.|року|р(?![\\w])))?)?"_s),
              false },
            { Kind::MonthDay,
              makeRegex(wordStart + u"("_s + months
                        + u")\\.?\\s+(\\d{1,2})(?:st|nd|rd|th)?(?![\\d:])(?:,?\\s+(\\d{4})(?!\\d))?"_s),
              false },
            { Kind::Relative,
              makeRegex(wordStart
                        + u"(day after tomorrow|the day after tomorrow|післязавтра|tomorrow|tmrw|завтра|today|tonight|"
                          u"сьогодні|сьогодня|end of (?:the )?day|eod)"_s
                        + wordEnd),
              false },
            { Kind::Weekday, makeRegex(wordStart + next + u"("_s + full.join(u'|') + u")"_s + wordEnd), false },
            { Kind::WeekdayShort,
              makeRegex(wordStart + u"(?:by|on|due|until|till|before|до|в|у|на)\\s+("_s + shortNames.join(u'|')
                        + u")\\.?"_s + wordEnd),
              false },
            { Kind::Clock,
              makeRegex(u"(?<![\\d:./])"_s + clock + u"(?:\\s*[-–—]\\s*"_s + clock + u")?(?![\\d:]|\\.\\d)"_s), true },
            { Kind::AmPm, makeRegex(u"(?<![\\d:.])(1[0-2]|0?[1-9])\\s*([ap])\\.?\\s?m\\.?(?![\\w])"_s), true },
            // Ukrainian gives a whole hour plainly: "о 9", "об 11", "о 15-й", "о 10 год".
            { Kind::Hour,
              makeRegex(
                  wordStart
                  + u"(?:о|об)\\s+([01]?\\d|2[0-3])(?:-?(?:й|ій|та|ої))?(?:\\s*(?:год\\.?|годині))?(?![\\w':.])"_s),
              true },
            { Kind::Noon, makeRegex(wordStart + u"(noon|midday|опівдні)"_s + wordEnd), true },
        };
    }();
    return list;
}

int hourFrom(int hour, const QString &meridiem)
{
    if (meridiem.isEmpty())
        return hour;
    const bool pm = meridiem.compare(u"p"_s, Qt::CaseInsensitive) == 0;
    if (hour == 12)
        return pm ? 12 : 0;
    return pm ? hour + 12 : hour;
}

QDate yearless(int month, int day, QDate today)
{
    // This year's day, unless it lies well back: then the next year that has it (29 February).
    const QDate earliest = today.addMonths(-2);
    for (int year = today.year(); year <= today.year() + 8; ++year) {
        const QDate date(year, month, day);
        if (date.isValid() && date >= earliest)
            return date;
    }
    return {};
}

QDate withYear(int year, int month, int day, const QString &yearText, QDate today)
{
    if (yearText.isEmpty())
        return yearless(month, day, today);
    if (yearText.size() == 2)
        year += 2000;
    return QDate(year, month, day);
}

QDate weekdayFrom(int weekday, QDate today, bool strictlyAfter)
{
    int ahead = (weekday - today.dayOfWeek() + 7) % 7;
    if (ahead == 0 && strictlyAfter)
        ahead = 7;
    return today.addDays(ahead);
}

struct Span
{
    qsizetype start = -1;
    qsizetype end = -1;
    bool valid() const { return start >= 0; }
    bool overlaps(const Span &o) const { return start < o.end && o.start < end; }
};

// Words that only introduce the deadline: cut together with it.
const QRegularExpression &datePreposition()
{
    thread_local const QRegularExpression re = makeRegex(
        u"(?:^|[\\s(,;–—-])((?:due(?:\\s+(?:on|by))?|deadline|by|on|for|until|till|before|не пізніше|дедлайн|термін|"
        u"до|в|у|на|к)\\s*:?\\s*)$"_s);
    return re;
}

const QRegularExpression &timePreposition()
{
    thread_local const QRegularExpression re
        = makeRegex(u"(?:^|[\\s(,;–—-])((?:at|by|before|until|till|@|о|об|до|в|у|на)\\s*)$"_s);
    return re;
}

Span withPreposition(const QString &text, Span span, const QRegularExpression &preposition)
{
    const QRegularExpressionMatch m = preposition.match(text.left(span.start));
    if (m.hasMatch())
        span.start = m.capturedStart(1);
    return span;
}
} // namespace

namespace DeadlineParser {
Match parse(const QString &text, QDate today)
{
    Match result;
    Span dateSpan, timeSpan;

    for (const Pattern &pattern : patterns()) {
        auto it = pattern.regex.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            const Span span { m.capturedStart(0), m.capturedEnd(0) };
            if (pattern.isTime) {
                if (dateSpan.valid() && span.overlaps(dateSpan))
                    continue;
                std::optional<QTime> time;
                switch (pattern.kind) {
                case Kind::Clock: {
                    const int hour = m.captured(1).toInt();
                    if (!m.captured(3).isEmpty() && (hour < 1 || hour > 12))
                        continue;
                    // "14.30" is a time only beside a word that says so; bare it reads as a date.
                    if (m.captured(0).contains(u'.') && m.captured(3).isEmpty()
                        && withPreposition(text, span, timePreposition()).start == span.start)
                        continue;
                    time = QTime(hourFrom(hour, m.captured(3)), m.captured(2).toInt());
                    break;
                }
                case Kind::AmPm:
                    time = QTime(hourFrom(m.captured(1).toInt(), m.captured(2)), 0);
                    break;
                case Kind::Hour:
                    time = QTime(m.captured(1).toInt(), 0);
                    break;
                default:
                    time = QTime(12, 0);
                    break;
                }
                if (!time || !time->isValid())
                    continue;
                if (!timeSpan.valid() || span.start < timeSpan.start) {
                    timeSpan = span;
                    result.time = time;
                }
                break;
            }

            QDate date;
            switch (pattern.kind) {
            case Kind::Iso:
                date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
                break;
            case Kind::Dotted:
                date = withYear(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt(), m.captured(3),
                                today);
                break;
            case Kind::DayMonth:
                date = withYear(m.captured(3).toInt(), monthNumber(m.captured(2)), m.captured(1).toInt(), m.captured(3),
                                today);
                break;
            case Kind::MonthDay:
                date = withYear(m.captured(3).toInt(), monthNumber(m.captured(1)), m.captured(2).toInt(), m.captured(3),
                                today);
                break;
            case Kind::Relative: {
                const QString word = m.captured(1).toLower();
                if (word.contains(u"after"_s) || word == u"післязавтра"_s)
                    date = today.addDays(2);
                else if (word == u"tomorrow"_s || word == u"tmrw"_s || word == u"завтра"_s)
                    date = today.addDays(1);
                else
                    date = today;
                break;
            }
            case Kind::Weekday:
            case Kind::WeekdayShort: {
                const QString name = m.captured(pattern.kind == Kind::Weekday ? 2 : 1);
                const bool strictlyAfter = pattern.kind == Kind::Weekday && !m.captured(1).isEmpty()
                    && !m.captured(1).startsWith(u"this"_s, Qt::CaseInsensitive)
                    && !m.captured(1).startsWith(u"ц"_s, Qt::CaseInsensitive)
                    && !m.captured(1).contains(u"цю"_s, Qt::CaseInsensitive);
                for (const WeekdayName &w : weekdays()) {
                    const auto whole = makeRegex(u"^(?:"_s + w.forms + u"|"_s + w.abbreviations + u")$"_s);
                    if (whole.match(name).hasMatch()) {
                        date = weekdayFrom(w.day, today, strictlyAfter);
                        break;
                    }
                }
                break;
            }
            default:
                break;
            }
            if (!date.isValid())
                continue;
            if (!dateSpan.valid() || span.start < dateSpan.start) {
                dateSpan = span;
                result.date = date;
            }
            break;
        }
    }

    // A time that sits inside the date's text ("2026-03-12" has no clock, but be safe) loses.
    if (timeSpan.valid() && dateSpan.valid() && timeSpan.overlaps(dateSpan)) {
        timeSpan = {};
        result.time.reset();
    }

    QList<Span> cuts;
    if (dateSpan.valid())
        cuts << withPreposition(text, dateSpan, datePreposition());
    if (timeSpan.valid())
        cuts << withPreposition(text, timeSpan, timePreposition());
    std::sort(cuts.begin(), cuts.end(), [](const Span &a, const Span &b) { return a.start > b.start; });
    QString rest = text;
    for (const Span &cut : cuts)
        rest.replace(cut.start, cut.end - cut.start, u" "_s);
    result.remainder = rest.simplified();
    return result;
}
} // namespace DeadlineParser
