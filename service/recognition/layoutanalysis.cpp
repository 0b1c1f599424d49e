// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "layoutanalysis.h"

#include "taskextractor.h"

#include <QRegularExpression>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
QRegularExpression makeRegex(const QString &pattern)
{
    return QRegularExpression(
        pattern, QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
}

// Compiled once per thread: QRegularExpression is reentrant, not documented thread-safe.
struct Rules
{
    QRegularExpression address = makeRegex(u"://|^(?:www\\.)?[\\w-]+(?:\\.[\\w-]+)+/\\S*$"_s);
    QRegularExpression email = makeRegex(u"[\\w.+-]+@[\\w-]+\\.[\\w.]+"_s);
    QRegularExpression prompt = makeRegex(u"^\\S*@[\\w.-]+:\\S*\\s?[$#%]"_s);
    QRegularExpression statusBar = makeRegex(u"\\bLn\\s*\\d+\\s*,\\s*Col\\s*\\d+|\\bРд\\s*\\d+,\\s*Стп|^INS$"_s);
    QRegularExpression stamp = makeRegex(
        u"\\b\\d+\\s+(?:seconds?|minutes?|mins?|hours?|days?|weeks?|months?|years?)\\s+ago\\b|\\bopened this "
        u"(?:issue|pull request)\\b|\\bcommented\\b|^(?:edited|updated|last edited|змінено|редаговано|оновлено)\\b|"
        u"\\b(?:хвилин[иу]?|годин[иу]?|дн(?:і|ів)|тижн(?:і|ів))\\s+тому\\b"_s);
    // Buttons, tabs and input placeholders of mail, chat and code-hosting pages and of forms.
    QRegularExpression controls = makeRegex(
        u"\\b(?:reply all|reply|forward|close issue|reopen issue|comment|cancel|save|submit|create account|sign in|"
        u"sign up|log in|log out|leave a comment|write a message|type a message|add a comment|new tab|"
        u"відповісти всім|відповісти|переслати|надіслати|зберегти|скасувати|зареєструватися|увійти|вийти|"
        u"написати повідомлення|коментувати)\\b"_s);
    QRegularExpression placeholder
        = makeRegex(u"^(?:message\\s+[#@]|(?:search|пошук)(?:\\s+\\S+)?\\s*(?:…|\\.\\.\\.)?$|написати повідомлення)"_s);
    QRegularExpression titleHeader
        = makeRegex(u"^(?:tasks?|title|name|items?|what|summary|завдання|задача|задачі|назва|справа|справи)$"_s);
    // A bold capital at the start of a header cell is sometimes taken for a ticked box: "[x] ue".
    QRegularExpression headerMark = makeRegex(u"^\\[[x ]\\]\\s*"_s);
    QRegularExpression dueHeader = makeRegex(u"^(?:d?ue(?: date)?|deadline|date|when|термін|дата|дедлайн|коли)$"_s);
    QRegularExpression statusHeader = makeRegex(u"^(?:status|state|progress|статус|стан)$"_s);
    QRegularExpression doneStatus
        = makeRegex(u"^(?:done|completed?|closed|finished|resolved|✓|✔|зроблено|виконано|готово|завершено|закрито)$"_s);
    QRegularExpression marker = makeRegex(u"^(?:[\\[(☐☑□•·\\-–*]|\\d{1,2}[.)]\\s)"_s);
};

const Rules &rules()
{
    thread_local const Rules r;
    return r;
}

int words(const QString &text)
{
    return int(text.split(u' ', Qt::SkipEmptyParts).size());
}

bool hasGeometry(const TextLine &l)
{
    return l.left >= 0 && l.top >= 0 && l.height > 0 && l.width > 0;
}

int median(QList<int> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// A navigation column: short entries (no verb phrases, no list markers), at the left of the
// page and with the page's content to its right.
QList<bool> sideBars(const QList<TextLine> &lines, int unit, int pageRight)
{
    QList<bool> drop(lines.size(), false);
    QList<qsizetype> order;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (hasGeometry(lines.at(i)))
            order << i;
    }
    std::sort(order.begin(), order.end(),
              [&](qsizetype a, qsizetype b) { return lines.at(a).left < lines.at(b).left; });
    for (qsizetype start = 0; start < order.size();) {
        qsizetype end = start;
        const int left = lines.at(order.at(start)).left;
        while (end < order.size() && lines.at(order.at(end)).left - left <= unit)
            ++end;
        const QList<qsizetype> column = order.mid(start, end - start);
        start = end;
        if (column.size() < 3 || left > pageRight / 4)
            continue;
        int right = 0, verbPhrases = 0;
        bool listLike = false;
        for (qsizetype i : column) {
            const TextLine &l = lines.at(i);
            const QString text = l.text.trimmed();
            right = std::max(right, l.right());
            if (words(text) >= 2 && TaskExtractor::startsWithVerb(text))
                ++verbPhrases;
            if (rules().marker.match(text).hasMatch() || text.endsWith(u':') || words(text) > 5)
                listLike = true;
        }
        if (listLike || verbPhrases * 3 >= column.size() || right > pageRight * 3 / 10)
            continue;
        const auto beside = std::count_if(lines.begin(), lines.end(),
                                          [&](const TextLine &l) { return hasGeometry(l) && l.left > right + unit; });
        if (beside < 3)
            continue;
        for (qsizetype i : column)
            drop[i] = true;
    }
    return drop;
}

struct Row
{
    QList<qsizetype> cells; // by left edge
    int top = 0, bottom = 0;
};

// Lines level with each other, top to bottom.
QList<Row> rowsOf(const QList<TextLine> &lines, const QList<bool> &dropped)
{
    QList<qsizetype> order;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!dropped.at(i) && hasGeometry(lines.at(i)))
            order << i;
    }
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) { return lines.at(a).top < lines.at(b).top; });
    QList<Row> rows;
    for (qsizetype i : order) {
        const TextLine &l = lines.at(i);
        const int centre = l.top + l.height / 2;
        if (!rows.isEmpty()) {
            Row &last = rows.back();
            const TextLine &first = lines.at(last.cells.first());
            if (std::abs(centre - (first.top + first.height / 2)) <= std::max(first.height, l.height) / 2) {
                last.cells << i;
                last.bottom = std::max(last.bottom, l.top + l.height);
                continue;
            }
        }
        rows.append(Row { { i }, l.top, l.top + l.height });
    }
    for (Row &r : rows)
        std::sort(r.cells.begin(), r.cells.end(),
                  [&](qsizetype a, qsizetype b) { return lines.at(a).left < lines.at(b).left; });
    return rows;
}

// The cell of \a row under the header cell at \a left, if any.
std::optional<qsizetype> cellAt(const QList<TextLine> &lines, const Row &row, int left, int unit)
{
    for (qsizetype i : row.cells) {
        if (std::abs(lines.at(i).left - left) <= 2 * unit)
            return i;
    }
    return std::nullopt;
}

// A table of tasks (a header naming the task column, then at least two rows) becomes list
// items: the task's cell with its due cell, without the rows whose status is done.
void tables(QList<TextLine> &lines, QList<bool> &dropped, int unit)
{
    const Rules &r = rules();
    const QList<Row> rows = rowsOf(lines, dropped);
    QList<TextLine> items;
    for (qsizetype h = 0; h < rows.size(); ++h) {
        const Row &header = rows.at(h);
        if (header.cells.size() < 3)
            continue;
        std::optional<int> titleLeft, dueLeft, statusLeft;
        for (qsizetype i : header.cells) {
            const QString text = TaskExtractor::normalizedLine(lines.at(i).text).remove(r.headerMark);
            if (!titleLeft && r.titleHeader.match(text).hasMatch())
                titleLeft = lines.at(i).left;
            else if (!dueLeft && r.dueHeader.match(text).hasMatch())
                dueLeft = lines.at(i).left;
            else if (!statusLeft && r.statusHeader.match(text).hasMatch())
                statusLeft = lines.at(i).left;
        }
        if (!titleLeft)
            continue;
        qsizetype end = h + 1;
        int bottom = header.bottom;
        while (end < rows.size() && rows.at(end).cells.size() >= 2 && rows.at(end).top - bottom <= 3 * unit
               && cellAt(lines, rows.at(end), *titleLeft, unit)) {
            bottom = rows.at(end).bottom;
            ++end;
        }
        if (end - h < 3)
            continue;
        for (qsizetype i : header.cells)
            dropped[i] = true;
        for (qsizetype k = h + 1; k < end; ++k) {
            const Row &row = rows.at(k);
            for (qsizetype i : row.cells)
                dropped[i] = true;
            const qsizetype title = *cellAt(lines, row, *titleLeft, unit);
            if (statusLeft) {
                if (const auto status = cellAt(lines, row, *statusLeft, unit);
                    status && r.doneStatus.match(TaskExtractor::normalizedLine(lines.at(*status).text)).hasMatch())
                    continue;
            }
            TextLine item = lines.at(title);
            item.text = u"• "_s + item.text;
            if (dueLeft) {
                if (const auto due = cellAt(lines, row, *dueLeft, unit); due && *due != title)
                    item.text += u" (by "_s + lines.at(*due).text + u')';
            }
            item.blockStart = k == h + 1;
            items << item;
        }
        h = end - 1;
    }
    lines << items;
    dropped.resize(lines.size(), false);
}
} // namespace

namespace LayoutAnalysis {
bool isFurniture(const QString &raw)
{
    const Rules &r = rules();
    const QString text = TaskExtractor::normalizedLine(raw);
    if (r.address.match(text).hasMatch() || r.prompt.match(text).hasMatch() || r.statusBar.match(text).hasMatch()
        || r.stamp.match(text).hasMatch() || r.placeholder.match(text).hasMatch())
        return true;
    // A form field with its value, a sender's address.
    if (words(text) <= 3 && r.email.match(text).hasMatch())
        return true;
    // A row of buttons: nothing with letters is left once the controls' names are taken out.
    QString rest = text;
    rest.replace(r.controls, QString());
    return rest.size() < text.size() && std::none_of(rest.begin(), rest.end(), [](QChar c) { return c.isLetter(); });
}

QList<TextLine> analyse(const QList<TextLine> &input)
{
    QList<TextLine> lines = input;
    QList<int> heights;
    int pageRight = 0, pageBottom = 0;
    for (const TextLine &l : lines) {
        if (!hasGeometry(l))
            continue;
        heights << l.height;
        pageRight = std::max(pageRight, l.right());
        pageBottom = std::max(pageBottom, l.top + l.height);
    }
    QList<bool> dropped(lines.size(), false);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const TextLine &l = lines.at(i);
        const QString text = l.text.trimmed();
        // Browser and editor tabs end in their close button, read as "x".
        const bool tab = hasGeometry(l) && l.top < pageBottom / 12
            && (text.endsWith(u" x"_s) || text.endsWith(u'×') || text.endsWith(u" X"_s));
        dropped[i] = tab || isFurniture(text);
    }
    if (!heights.isEmpty()) {
        const int unit = std::max(8, median(heights));
        const QList<bool> side = sideBars(lines, unit, pageRight);
        for (qsizetype i = 0; i < lines.size(); ++i)
            dropped[i] = dropped.at(i) || side.at(i);
        tables(lines, dropped, unit);
    }
    QList<TextLine> out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!dropped.at(i))
            out << lines.at(i);
    }
    return out;
}
} // namespace LayoutAnalysis
