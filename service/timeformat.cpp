// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "timeformat.h"

#include <QDate>
#include <QTime>

#include <cstdio>

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Reads exactly `count` digits at `pos`; -1 when any is missing.
int digits(QStringView text, qsizetype pos, int count)
{
    if (pos + count > text.size())
        return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const QChar c = text[pos + i];
        if (!isDigit(c))
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

std::optional<QDate> readDay(QStringView text)
{
    if (text.size() != 10 || text[4] != u'-' || text[7] != u'-')
        return std::nullopt;
    const int year = digits(text, 0, 4);
    const int month = digits(text, 5, 2);
    const int day = digits(text, 8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace

namespace TimeFormat {

QString formatInstant(const QDateTime &instant)
{
    return formatInstant(instant.toMSecsSinceEpoch());
}

QString formatInstant(qint64 msecsSinceEpoch)
{
    // By hand: QDateTime::toString with a format is the largest cost of a task list.
    constexpr qint64 MsPerDay = 86400000;
    qint64 days = msecsSinceEpoch / MsPerDay;
    qint64 rest = msecsSinceEpoch % MsPerDay;
    if (rest < 0) {
        rest += MsPerDay;
        --days;
    }
    const QDate date = QDate::fromJulianDay(2440588 + days); // 2440588: 1970-01-01
    if (!date.isValid() || date.year() < 0 || date.year() > 9999)
        return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::UTC).toString(Qt::ISODateWithMs);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", date.year(), date.month(), date.day(),
                  int(rest / 3600000), int(rest / 60000 % 60), int(rest / 1000 % 60), int(rest % 1000));
    return QString::fromLatin1(text);
}

std::optional<QDateTime> parseInstant(QStringView text)
{
    // yyyy-MM-ddTHH:mm:ss[.f+](Z|±HH:MM)
    if (text.size() < 20 || text.size() > 64)
        return std::nullopt;
    const auto date = readDay(text.first(10));
    if (!date || (text[10] != u'T' && text[10] != u't'))
        return std::nullopt;
    if (text[13] != u':' || text[16] != u':')
        return std::nullopt;
    const int hour = digits(text, 11, 2);
    const int minute = digits(text, 14, 2);
    const int second = digits(text, 17, 2);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    qsizetype pos = 19;
    int msec = 0;
    if (text[pos] == u'.') {
        ++pos;
        const qsizetype start = pos;
        while (pos < text.size() && isDigit(text[pos])) {
            if (pos - start < 3)
                msec = msec * 10 + (text[pos].unicode() - u'0');
            ++pos;
        }
        if (pos == start)
            return std::nullopt;
        for (qsizetype n = pos - start; n < 3; ++n)
            msec *= 10;
    }
    if (pos >= text.size())
        return std::nullopt;
    int offsetSeconds = 0;
    const QChar zone = text[pos];
    if (zone == u'Z' || zone == u'z') {
        if (pos + 1 != text.size())
            return std::nullopt;
    } else if (zone == u'+' || zone == u'-') {
        if (pos + 6 != text.size() || text[pos + 3] != u':')
            return std::nullopt;
        const int oh = digits(text, pos + 1, 2);
        const int om = digits(text, pos + 4, 2);
        if (oh < 0 || oh > 23 || om < 0 || om > 59)
            return std::nullopt;
        offsetSeconds = (oh * 3600 + om * 60) * (zone == u'-' ? -1 : 1);
    } else {
        return std::nullopt;
    }
    const QDateTime local(*date, QTime(hour, minute, second, msec), Qt::OffsetFromUTC, offsetSeconds);
    if (!local.isValid())
        return std::nullopt;
    return local.toUTC();
}

bool isCalendarDay(QStringView text)
{
    return readDay(text).has_value();
}

} // namespace TimeFormat
