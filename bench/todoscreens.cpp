// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "todoscreens.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace TodoScreens {
namespace {
enum class Kind {
    Box, // drawn check box
    Ticked, // drawn check box with a tick: done, not a task
    Glyph, // typed "☐"
    GlyphDone, // typed "☑"
    Bullet, // drawn dot
    Dash, // "- "
    Number, // "1."
    Markdown, // "- [ ] "
    MarkdownDone, // "- [x] "
    Plain, // no marker
    Comment, // "// TODO: "
    Text, // a line of prose or anything else that is no item
};

struct Item
{
    Kind kind;
    QString text;
    QString title; // expected title; empty when the line holds no task
    QString due;
    QString priority = u"medium"_s;
};

struct Theme
{
    QColor window, sidebar, bar, text, muted, accent, panel;
};

const Theme light { QColor(0xff, 0xff, 0xff), QColor(0xf2, 0xf3, 0xf5), QColor(0xe4, 0xe5, 0xe8),
                    QColor(0x1f, 0x23, 0x28), QColor(0x6a, 0x70, 0x78), QColor(0x2f, 0x6f, 0xeb),
                    QColor(0xf6, 0xf8, 0xfa) };
const Theme dark { QColor(0x1e, 0x1f, 0x22), QColor(0x2b, 0x2d, 0x31), QColor(0x18, 0x19, 0x1b),
                   QColor(0xdc, 0xdd, 0xde), QColor(0x94, 0x9b, 0xa4), QColor(0x58, 0x9d, 0xf6),
                   QColor(0x31, 0x33, 0x38) };
const Theme paper { QColor(0xfd, 0xf6, 0xd8), QColor(0xf3, 0xe9, 0xc0), QColor(0xe6, 0xdb, 0xb0),
                    QColor(0x3a, 0x32, 0x20), QColor(0x7a, 0x6e, 0x50), QColor(0xb0, 0x70, 0x20),
                    QColor(0xfa, 0xf0, 0xc8) };

struct Layout
{
    QString family;
    int size = 15;
    const Theme *theme = &light;
    double pitch = 2.0; // row height in font sizes
    QString app; // window title
    QStringList menu;
    QStringList sidebar;
    QString heading;
    QStringList intro; // prose above the list
    bool bubble = false; // the list sits in a chat bubble
    QString byline; // "Anna · 10:42" above a bubble
    double density = 1.0; // device pixels per layout pixel: 2 renders a 2880×1800 high-density screen

    Layout(QString family, int size, const Theme *theme, double pitch, QString app, QStringList menu,
           QStringList sidebar, QString heading, QStringList intro, bool bubble = false, QString byline = {})
        : family(std::move(family))
        , size(size)
        , theme(theme)
        , pitch(pitch)
        , app(std::move(app))
        , menu(std::move(menu))
        , sidebar(std::move(sidebar))
        , heading(std::move(heading))
        , intro(std::move(intro))
        , bubble(bubble)
        , byline(std::move(byline))
    { }
};

QFont fontOf(const QString &family, int px, bool bold = false)
{
    QFont f(family);
    f.setPixelSize(px);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// Splits text into lines that fit width.
QStringList wrap(const QString &text, const QFontMetrics &fm, int width)
{
    QStringList lines;
    QString current;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        const QString candidate = current.isEmpty() ? word : current + u' ' + word;
        if (!current.isEmpty() && fm.horizontalAdvance(candidate) > width) {
            lines << current;
            current = word;
        } else {
            current = candidate;
        }
    }
    if (!current.isEmpty())
        lines << current;
    return lines;
}

QImage render(const Layout &l, const QList<Item> &items)
{
    const Theme &t = *l.theme;
    // Laid out in 1440×900 layout pixels; a high-density screen draws the same at twice the pixels.
    QImage image(qRound(1440 * l.density), qRound(900 * l.density), QImage::Format_RGB32);
    image.setDevicePixelRatio(l.density);
    image.fill(t.window);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Window chrome: title bar with menus, side bar.
    p.fillRect(0, 0, 1440, 34, t.bar);
    p.setPen(t.text);
    p.setFont(fontOf(l.family, 13, true));
    p.drawText(16, 22, l.app);
    p.setFont(fontOf(l.family, 13));
    int mx = 16 + QFontMetrics(fontOf(l.family, 13, true)).horizontalAdvance(l.app) + 28;
    for (const QString &m : l.menu) {
        p.drawText(mx, 22, m);
        mx += QFontMetrics(p.font()).horizontalAdvance(m) + 22;
    }
    for (int i = 0; i < 3; ++i) {
        p.setBrush(QColor(0xc0 - 30 * i, 0x60 + 40 * i, 0x50));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(1440 - 20 - i * 22, 17), 6, 6);
    }
    if (!l.sidebar.isEmpty()) {
        p.fillRect(0, 34, 250, 866, t.sidebar);
        p.setPen(t.muted);
        p.setFont(fontOf(l.family, 14));
        int sy = 80;
        for (const QString &s : l.sidebar) {
            p.drawText(28, sy, s);
            sy += 34;
        }
    }

    const int x0 = l.sidebar.isEmpty() ? 60 : 300;
    int y = 90;
    if (!l.heading.isEmpty()) {
        p.setPen(t.text);
        p.setFont(fontOf(l.family, l.size * 8 / 5, true));
        p.drawText(x0, y, l.heading);
        y += l.size * 3;
    }
    const QFont body = fontOf(l.family, l.size);
    const QFontMetrics fm(body);
    p.setFont(body);
    for (const QString &para : l.intro) {
        p.setPen(t.muted);
        for (const QString &line : wrap(para, fm, 820)) {
            p.drawText(x0, y, line);
            y += int(l.size * 1.5);
        }
        y += l.size;
    }

    int bx = x0, bubbleTop = y;
    if (l.bubble) {
        p.setPen(t.text);
        p.setFont(fontOf(l.family, l.size - 1, true));
        p.drawText(x0, y, l.byline);
        y += l.size * 2;
        bubbleTop = y - l.size;
        bx = x0 + 20;
        // The bubble is drawn after measuring; keep its area clear for now.
    }

    // Lay out the rows first so that a bubble can be drawn behind them.
    struct Row
    {
        const Item *item;
        QStringList lines;
        int y;
    };
    QList<Row> rows;
    const int pitch = int(l.size * l.pitch);
    const int indent = l.size * 2;
    int number = 0;
    for (const Item &item : items) {
        QString text = item.text;
        switch (item.kind) {
        case Kind::Glyph:
            text = u"☐ "_s + text;
            break;
        case Kind::GlyphDone:
            text = u"☑ "_s + text;
            break;
        case Kind::Dash:
            text = u"- "_s + text;
            break;
        case Kind::Number:
            text = QString::number(++number) + u". "_s + text;
            break;
        case Kind::Markdown:
            text = u"- [ ] "_s + text;
            break;
        case Kind::MarkdownDone:
            text = u"- [x] "_s + text;
            break;
        case Kind::Comment:
            text = u"// TODO: "_s + text;
            break;
        default:
            break;
        }
        const bool drawnMark = item.kind == Kind::Box || item.kind == Kind::Ticked || item.kind == Kind::Bullet;
        const int width = (l.bubble ? 640 : 760) - (drawnMark ? indent : 0);
        Row row { &item, wrap(text, fm, width), y };
        rows << row;
        y += pitch + (int(row.lines.size()) - 1) * int(l.size * 1.4);
    }
    if (l.bubble) {
        p.setPen(Qt::NoPen);
        p.setBrush(t.panel);
        p.drawRoundedRect(QRectF(x0, bubbleTop, 720, y - bubbleTop), 14, 14);
    }

    for (const Row &row : rows) {
        const Item &item = *row.item;
        const bool drawnMark = item.kind == Kind::Box || item.kind == Kind::Ticked || item.kind == Kind::Bullet;
        const int tx = bx + (drawnMark ? indent : 0);
        const int box = l.size + 2;
        const int boxTop = row.y - l.size + 1;
        if (item.kind == Kind::Box || item.kind == Kind::Ticked) {
            p.setPen(QPen(item.kind == Kind::Ticked ? t.accent : t.muted, 1.5));
            p.setBrush(item.kind == Kind::Ticked ? QBrush(t.accent) : QBrush(Qt::NoBrush));
            p.drawRoundedRect(QRectF(bx + 0.5, boxTop + 0.5, box, box), 3, 3);
            if (item.kind == Kind::Ticked) {
                p.setPen(QPen(t.window, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                p.drawPolyline(QList<QPointF> { { bx + box * 0.25, boxTop + box * 0.52 },
                                                { bx + box * 0.44, boxTop + box * 0.72 },
                                                { bx + box * 0.78, boxTop + box * 0.3 } });
            }
        } else if (item.kind == Kind::Bullet) {
            p.setPen(Qt::NoPen);
            p.setBrush(t.text);
            p.drawEllipse(QPointF(bx + l.size * 0.5, row.y - l.size * 0.33), l.size * 0.16, l.size * 0.16);
        }
        const bool done = item.kind == Kind::Ticked || item.kind == Kind::GlyphDone || item.kind == Kind::MarkdownDone;
        p.setPen(done ? t.muted : (item.kind == Kind::Text ? t.muted : t.text));
        p.setFont(body);
        int ly = row.y;
        for (qsizetype i = 0; i < row.lines.size(); ++i) {
            // Wrapped lines line up with the text after the marker.
            int lx = tx;
            if (i > 0 && !drawnMark && item.kind != Kind::Plain && item.kind != Kind::Text) {
                const QString first = row.lines.first();
                const qsizetype space = first.indexOf(u' ', item.kind == Kind::Markdown ? 4 : 0);
                lx = tx + fm.horizontalAdvance(first.left(space + 1));
            }
            p.drawText(lx, ly, row.lines.at(i));
            if (done) {
                const int w = fm.horizontalAdvance(row.lines.at(i));
                p.drawLine(lx, ly - l.size / 3, lx + w, ly - l.size / 3);
            }
            ly += int(l.size * 1.4);
        }
    }
    p.end();
    return image;
}

QDateTime at(const QString &local, const QString &zone)
{
    return QDateTime(QDate::fromString(local.left(10), Qt::ISODate), QTime::fromString(local.mid(11), u"HH:mm"_s),
                     QTimeZone(zone.toUtf8()));
}

Screen make(const QString &name, const QString &language, const QString &zone, const QString &local,
            const Layout &layout, const QList<Item> &items)
{
    Screen s;
    s.name = name;
    s.language = language;
    s.timeZone = zone;
    s.localTime = at(local, zone).toUTC();
    s.image = render(layout, items);
    for (const Item &item : items) {
        if (!item.title.isEmpty())
            s.expected << Expected { item.title, item.due, item.priority };
    }
    return s;
}

// Kyiv is UTC+2 until 29 March 2026; New York is UTC−4 from 8 March 2026.
const QString kyiv = u"Europe/Kyiv"_s;
const QString newYork = u"America/New_York"_s;
// Wednesday.
const QString wedMorning = u"2026-03-11T10:00"_s;

Layout highDensity(Layout l)
{
    l.density = 2.0;
    return l;
}

const QStringList notesSidebar { u"All notes"_s, u"Personal"_s, u"Work"_s, u"Recipes"_s, u"Archive"_s, u"Trash"_s };
const QStringList notesSidebarUk { u"Усі нотатки"_s, u"Особисте"_s, u"Робота"_s, u"Рецепти"_s, u"Архів"_s, u"Кошик"_s };
const QStringList menuEn { u"File"_s, u"Edit"_s, u"View"_s, u"Window"_s, u"Help"_s };
const QStringList menuUk { u"Файл"_s, u"Зміни"_s, u"Вигляд"_s, u"Вікно"_s, u"Довідка"_s };
} // namespace

QList<Screen> all()
{
    QList<Screen> screens;

    // --- English ---------------------------------------------------------------------------
    screens << make(
        u"notes-light-dejavu"_s, u"en"_s, kyiv, wedMorning,
        { u"DejaVu Sans"_s,
          15,
          &light,
          2.0,
          u"Notes"_s,
          menuEn,
          notesSidebar,
          u"Weekend plans"_s,
          { u"A few things to sort out before the trip. Last edited on Monday."_s } },
        { { Kind::Box, u"Buy a new phone charger"_s, u"Buy a new phone charger"_s, {} },
          { Kind::Box, u"Book the hotel in Lviv by Friday"_s, u"Book the hotel in Lviv"_s, u"2026-03-13"_s },
          { Kind::Ticked, u"Renew the car insurance"_s, {}, {} },
          { Kind::Box, u"Call grandma tomorrow at 6pm"_s, u"Call grandma"_s, u"2026-03-12T16:00:00Z"_s },
          { Kind::Box, u"Pack the camera and spare batteries"_s, u"Pack the camera and spare batteries"_s, {} },
          { Kind::Box, u"URGENT: pay the parking fine"_s, u"Pay the parking fine"_s, {}, u"high"_s } });

    screens << make(u"chat-dark-noto"_s, u"en"_s, newYork, wedMorning,
                    { u"Noto Sans"_s,
                      14,
                      &dark,
                      1.9,
                      u"Teamchat"_s,
                      {},
                      { u"# general"_s, u"# design"_s, u"# releases"_s, u"Anna Kovalenko"_s, u"Mark Stone"_s },
                      {},
                      { u"Yesterday we shipped the new settings page, nice work everyone."_s },
                      true,
                      u"Anna Kovalenko  10:42"_s },
                    { { Kind::Text, u"Hi! A few things for this week:"_s, {}, {} },
                      { Kind::Bullet, u"Review the pull request asap"_s, u"Review the pull request"_s, {}, u"high"_s },
                      { Kind::Bullet, u"Update the onboarding docs by Thursday"_s, u"Update the onboarding docs"_s,
                        u"2026-03-12"_s },
                      { Kind::Bullet, u"Prepare slides for the demo on 18.03"_s, u"Prepare slides for the demo"_s,
                        u"2026-03-18"_s },
                      { Kind::Bullet, u"Order pizza for the team"_s, u"Order pizza for the team"_s, {} },
                      { Kind::Text, u"Thanks!"_s, {}, {} } });

    screens << make(u"mail-light-liberation"_s, u"en"_s, newYork, wedMorning,
                    { u"Liberation Sans"_s,
                      14,
                      &light,
                      1.8,
                      u"Mail"_s,
                      menuEn,
                      { u"Inbox  12"_s, u"Starred"_s, u"Sent"_s, u"Drafts"_s, u"Spam"_s },
                      u"Action items from Monday"_s,
                      { u"From: Mark Johnson <mark@example.com>   To: team@example.com"_s,
                        u"Hi all, thanks for a productive meeting on Monday. Here is what we agreed on:"_s } },
                    { { Kind::Number, u"Send the revised budget to finance by March 20"_s,
                        u"Send the revised budget to finance"_s, u"2026-03-20"_s },
                      { Kind::Number,
                        u"Schedule a follow-up call with the vendor"_s,
                        u"Schedule a follow-up call with the vendor"_s,
                        {} },
                      { Kind::Number, u"Collect feedback from the pilot users by Friday"_s,
                        u"Collect feedback from the pilot users"_s, u"2026-03-13"_s },
                      { Kind::Number,
                        u"Archive the old project folder someday"_s,
                        u"Archive the old project folder"_s,
                        {},
                        u"low"_s },
                      { Kind::Text, u"Best regards, Mark"_s, {}, {} } });

    screens << make(
        u"markdown-dark-mono"_s, u"en"_s, kyiv, wedMorning,
        { u"DejaVu Sans Mono"_s,
          15,
          &dark,
          1.7,
          u"sprint-14.md"_s,
          menuEn,
          { u"README.md"_s, u"sprint-13.md"_s, u"sprint-14.md"_s, u"notes.txt"_s },
          u"## Sprint 14"_s,
          {} },
        { { Kind::Markdown, u"Fix the login redirect bug !!"_s, u"Fix the login redirect bug"_s, {}, u"high"_s },
          { Kind::MarkdownDone, u"Merge the analytics branch"_s, {}, {} },
          { Kind::Markdown, u"Write release notes for 2.4 by 2026-03-16"_s, u"Write release notes for 2.4"_s,
            u"2026-03-16"_s },
          { Kind::Markdown,
            u"Migrate the CI runners to the new cluster"_s,
            u"Migrate the CI runners to the new cluster"_s,
            {} },
          { Kind::Markdown, u"Clean up old feature flags (low)"_s, u"Clean up old feature flags"_s, {}, u"low"_s } });

    screens << make(u"code-dark-todo-comments"_s, u"en"_s, kyiv, wedMorning,
                    { u"DejaVu Sans Mono"_s,
                      14,
                      &dark,
                      1.6,
                      u"parser.cpp"_s,
                      menuEn,
                      { u"src"_s, u"  parser.cpp"_s, u"  parser.h"_s, u"tests"_s },
                      {},
                      {} },
                    { { Kind::Text, u"#include \"parser.h\""_s, {}, {} },
                      { Kind::Text, u"int Parser::parse(const QString &text)"_s, {}, {} },
                      { Kind::Text, u"{"_s, {}, {} },
                      { Kind::Comment, u"handle the timeout error"_s, u"Handle the timeout error"_s, {} },
                      { Kind::Text, u"    auto tokens = tokenize(text);"_s, {}, {} },
                      { Kind::Comment, u"remove the legacy date parser by Friday"_s, u"Remove the legacy date parser"_s,
                        u"2026-03-13"_s },
                      { Kind::Text, u"    return tokens.size();"_s, {}, {} },
                      { Kind::Comment, u"add tests for empty input"_s, u"Add tests for empty input"_s, {} },
                      { Kind::Text, u"}"_s, {}, {} } });

    screens << make(
        u"editor-light-serif-heading"_s, u"en"_s, newYork, wedMorning,
        { u"Liberation Serif"_s, 18, &light, 1.7, u"todo.txt - Text Editor"_s, menuEn, {}, {}, {} },
        { { Kind::Text, u"To do:"_s, {}, {} },
          { Kind::Plain, u"Pick up the dry cleaning"_s, u"Pick up the dry cleaning"_s, {} },
          { Kind::Plain, u"Return the library books tomorrow"_s, u"Return the library books"_s, u"2026-03-12"_s },
          { Kind::Plain, u"Water the plants"_s, u"Water the plants"_s, {} },
          { Kind::Plain, u"Call the plumber about the leak"_s, u"Call the plumber about the leak"_s, {} } });

    screens << make(
        u"sticky-paper-glyphs"_s, u"en"_s, kyiv, wedMorning,
        { u"Noto Sans"_s, 18, &paper, 2.0, u"Sticky Notes"_s, {}, {}, u"Home"_s, {} },
        { { Kind::Glyph, u"Fix the kitchen tap"_s, u"Fix the kitchen tap"_s, {} },
          { Kind::GlyphDone, u"Buy light bulbs"_s, {}, {} },
          { Kind::Glyph, u"Pay the water bill by 20.03"_s, u"Pay the water bill"_s, u"2026-03-20"_s },
          { Kind::Glyph, u"Take the cat to the vet on Monday"_s, u"Take the cat to the vet"_s, u"2026-03-16"_s },
          { Kind::Glyph, u"Clear out the garage someday"_s, u"Clear out the garage"_s, {}, u"low"_s } });

    screens << make(
        u"reminders-light-wrapped"_s, u"en"_s, newYork, wedMorning,
        { u"Liberation Sans"_s,
          16,
          &light,
          2.2,
          u"Reminders"_s,
          menuEn,
          { u"Today  3"_s, u"Scheduled"_s, u"All"_s, u"Flagged"_s, u"Completed"_s },
          u"Work"_s,
          {} },
        { { Kind::Box,
            u"Send the signed contract and the updated invoice to the client's accounting department by Friday 3pm"_s,
            u"Send the signed contract and the updated invoice to the client's accounting department"_s,
            u"2026-03-13T19:00:00Z"_s },
          { Kind::Box, u"Book a meeting room for the quarterly planning session next Wednesday"_s,
            u"Book a meeting room for the quarterly planning session"_s, u"2026-03-18"_s },
          { Kind::Ticked, u"Submit the expense report"_s, {}, {} },
          { Kind::Box, u"Reply to the recruiter"_s, u"Reply to the recruiter"_s, {} },
          { Kind::Box, u"Renew the SSL certificate asap"_s, u"Renew the SSL certificate"_s, {}, u"high"_s } });

    screens << make(
        u"notes-dark-liberation-dashes"_s, u"en"_s, kyiv, wedMorning,
        { u"Liberation Sans"_s,
          15,
          &dark,
          1.9,
          u"Notes"_s,
          menuEn,
          notesSidebar,
          u"Groceries & errands"_s,
          { u"Shared with Olga."_s } },
        { { Kind::Dash, u"Buy oat milk, eggs and spinach"_s, u"Buy oat milk, eggs and spinach"_s, {} },
          { Kind::Dash, u"Pick up the parcel at the post office today"_s, u"Pick up the parcel at the post office"_s,
            u"2026-03-11"_s },
          { Kind::Dash, u"From Olga: return the drill"_s, u"Return the drill"_s, {} },
          { Kind::Dash, u"Get a haircut on Saturday at 11:00"_s, u"Get a haircut"_s, u"2026-03-14T09:00:00Z"_s },
          { Kind::Dash, u"Change the bed sheets"_s, u"Change the bed sheets"_s, {} } });

    screens << make(
        u"tasks-light-small"_s, u"en"_s, newYork, wedMorning,
        { u"DejaVu Sans"_s,
          13,
          &light,
          2.3,
          u"Tasks"_s,
          menuEn,
          { u"My Day"_s, u"Important"_s, u"Planned"_s, u"Assigned to me"_s, u"Tasks"_s },
          u"My Day"_s,
          { u"Wednesday, March 11"_s } },
        { { Kind::Box,
            u"Prepare the agenda for the board meeting"_s,
            u"Prepare the agenda for the board meeting"_s,
            {} },
          { Kind::Box, u"Email the design team about the icons"_s, u"Email the design team about the icons"_s, {} },
          { Kind::Box, u"Review the Q1 hiring plan by 17:00"_s, u"Review the Q1 hiring plan"_s,
            u"2026-03-11T21:00:00Z"_s },
          { Kind::Ticked, u"Update the status page"_s, {}, {} },
          { Kind::Box, u"Print the boarding passes tomorrow"_s, u"Print the boarding passes"_s, u"2026-03-12"_s },
          { Kind::Box, u"Sign the NDA urgent"_s, u"Sign the NDA"_s, {}, u"high"_s } });

    screens << make(
        u"wiki-light-serif-numbers"_s, u"en"_s, kyiv, wedMorning,
        { u"DejaVu Serif"_s,
          16,
          &light,
          1.9,
          u"Team wiki"_s,
          menuEn,
          { u"Home"_s, u"Onboarding"_s, u"Runbooks"_s, u"Meetings"_s },
          u"Release checklist"_s,
          { u"This page lists the steps for every minor release. Keep it short."_s } },
        { { Kind::Number, u"Freeze the main branch on Thursday"_s, u"Freeze the main branch"_s, u"2026-03-12"_s },
          { Kind::Number, u"Run the full regression suite"_s, u"Run the full regression suite"_s, {} },
          { Kind::Number, u"Tag the release candidate"_s, u"Tag the release candidate"_s, {} },
          { Kind::Number, u"Announce the release in #general on 2026-03-19 at 10:00"_s,
            u"Announce the release in #general"_s, u"2026-03-19T08:00:00Z"_s } });

    screens << make(
        u"chat-light-plain-imperatives"_s, u"en"_s, newYork, wedMorning,
        { u"Liberation Sans"_s,
          15,
          &light,
          1.7,
          u"Messages"_s,
          {},
          { u"Mom"_s, u"Dad"_s, u"Olga"_s, u"Work group"_s },
          {},
          {},
          true,
          u"Mom  8:15 AM"_s },
        { { Kind::Text, u"Morning! Could you do this for me?"_s, {}, {} },
          { Kind::Plain, u"Buy bread and cheese"_s, u"Buy bread and cheese"_s, {} },
          { Kind::Plain, u"Call aunt Mary tonight"_s, u"Call aunt Mary"_s, u"2026-03-11"_s },
          { Kind::Plain, u"Bring the blue suitcase on Sunday"_s, u"Bring the blue suitcase"_s, u"2026-03-15"_s },
          { Kind::Text, u"Love you"_s, {}, {} } });

    // --- Ukrainian -------------------------------------------------------------------------
    screens << make(
        u"uk-notes-light-dejavu"_s, u"uk"_s, kyiv, wedMorning,
        { u"DejaVu Sans"_s,
          15,
          &light,
          2.0,
          u"Нотатки"_s,
          menuUk,
          notesSidebarUk,
          u"Плани на вихідні"_s,
          { u"Кілька справ перед поїздкою до Львова."_s } },
        { { Kind::Box, u"Купити зарядку для телефону"_s, u"Купити зарядку для телефону"_s, {} },
          { Kind::Box, u"Забронювати готель до п'ятниці"_s, u"Забронювати готель"_s, u"2026-03-13"_s },
          { Kind::Ticked, u"Продовжити страховку"_s, {}, {} },
          { Kind::Box, u"Подзвонити бабусі завтра о 18:00"_s, u"Подзвонити бабусі"_s, u"2026-03-12T16:00:00Z"_s },
          { Kind::Box,
            u"Терміново: оплатити штраф за паркування"_s,
            u"Оплатити штраф за паркування"_s,
            {},
            u"high"_s } });

    screens << make(
        u"uk-chat-dark-noto"_s, u"uk"_s, kyiv, wedMorning,
        { u"Noto Sans"_s,
          14,
          &dark,
          1.9,
          u"Месенджер"_s,
          {},
          { u"Олена"_s, u"Робочий чат"_s, u"Сім'я"_s, u"Ігор"_s },
          {},
          { u"Вчора ми нарешті запустили новий сайт, дякую всім."_s },
          true,
          u"Олена Коваль  10:42"_s },
        { { Kind::Text, u"Привіт! Кілька справ на цей тиждень:"_s, {}, {} },
          { Kind::Bullet, u"Перевірити договір з постачальником"_s, u"Перевірити договір з постачальником"_s, {} },
          { Kind::Bullet, u"Надіслати звіт до четверга"_s, u"Надіслати звіт"_s, u"2026-03-12"_s },
          { Kind::Bullet, u"Підготувати презентацію на 18.03"_s, u"Підготувати презентацію"_s, u"2026-03-18"_s },
          { Kind::Bullet, u"Замовити воду в офіс"_s, u"Замовити воду в офіс"_s, {} },
          { Kind::Text, u"Дякую!"_s, {}, {} } });

    screens << make(
        u"uk-mail-light-numbers"_s, u"uk"_s, kyiv, wedMorning,
        { u"Liberation Sans"_s,
          15,
          &light,
          1.8,
          u"Пошта"_s,
          menuUk,
          { u"Вхідні  7"_s, u"Надіслані"_s, u"Чернетки"_s, u"Спам"_s },
          u"Підсумки наради"_s,
          { u"Від: Марко Бондар <marko@example.com>"_s, u"Колеги, ось про що ми домовилися в понеділок:"_s } },
        { { Kind::Number, u"Оновити бюджет до 20 березня"_s, u"Оновити бюджет"_s, u"2026-03-20"_s },
          { Kind::Number, u"Домовитися про зустріч з підрядником"_s, u"Домовитися про зустріч з підрядником"_s, {} },
          { Kind::Number, u"Зібрати відгуки користувачів у понеділок"_s, u"Зібрати відгуки користувачів"_s,
            u"2026-03-16"_s },
          { Kind::Number,
            u"Колись перенести архів на новий сервер"_s,
            u"Перенести архів на новий сервер"_s,
            {},
            u"low"_s } });

    screens << make(u"uk-markdown-dark-mono"_s, u"uk"_s, kyiv, wedMorning,
                    { u"DejaVu Sans Mono"_s,
                      15,
                      &dark,
                      1.7,
                      u"plan.md"_s,
                      menuUk,
                      { u"README.md"_s, u"plan.md"_s },
                      u"## Спринт 14"_s,
                      {} },
                    { { Kind::Markdown, u"Виправити помилку входу !!"_s, u"Виправити помилку входу"_s, {}, u"high"_s },
                      { Kind::MarkdownDone, u"Злити гілку аналітики"_s, {}, {} },
                      { Kind::Markdown, u"Написати нотатки до випуску до 2026-03-16"_s,
                        u"Написати нотатки до випуску"_s, u"2026-03-16"_s },
                      { Kind::Markdown, u"Оновити залежності"_s, u"Оновити залежності"_s, {} } });

    screens << make(u"uk-editor-light-heading"_s, u"uk"_s, kyiv, wedMorning,
                    { u"Liberation Serif"_s, 18, &light, 1.7, u"справи.txt"_s, menuUk, {}, {}, {} },
                    { { Kind::Text, u"Зробити:"_s, {}, {} },
                      { Kind::Plain, u"Забрати речі з хімчистки"_s, u"Забрати речі з хімчистки"_s, {} },
                      { Kind::Plain, u"Повернути книжки в бібліотеку завтра"_s, u"Повернути книжки в бібліотеку"_s,
                        u"2026-03-12"_s },
                      { Kind::Plain, u"Полити квіти"_s, u"Полити квіти"_s, {} },
                      { Kind::Plain, u"Викликати сантехніка"_s, u"Викликати сантехніка"_s, {} } });

    screens << make(u"uk-sticky-paper-glyphs"_s, u"uk"_s, kyiv, wedMorning,
                    { u"Noto Sans"_s, 18, &paper, 2.0, u"Нотатки на стіл"_s, {}, {}, u"Дім"_s, {} },
                    { { Kind::Glyph, u"Полагодити кран на кухні"_s, u"Полагодити кран на кухні"_s, {} },
                      { Kind::GlyphDone, u"Купити лампочки"_s, {}, {} },
                      { Kind::Glyph, u"Оплатити воду до 20.03"_s, u"Оплатити воду"_s, u"2026-03-20"_s },
                      { Kind::Glyph, u"Відвезти кота до ветеринара в понеділок"_s, u"Відвезти кота до ветеринара"_s,
                        u"2026-03-16"_s },
                      { Kind::Glyph, u"Колись розібрати гараж"_s, u"Розібрати гараж"_s, {}, u"low"_s } });

    screens << make(
        u"uk-reminders-light-wrapped"_s, u"uk"_s, kyiv, wedMorning,
        { u"Liberation Sans"_s,
          16,
          &light,
          2.2,
          u"Нагадування"_s,
          menuUk,
          { u"Сьогодні  3"_s, u"Заплановано"_s, u"Усі"_s, u"Виконано"_s },
          u"Робота"_s,
          {} },
        { { Kind::Box, u"Надіслати підписаний договір і оновлений рахунок до бухгалтерії клієнта до п'ятниці о 15:00"_s,
            u"Надіслати підписаний договір і оновлений рахунок до бухгалтерії клієнта"_s, u"2026-03-13T13:00:00Z"_s },
          { Kind::Box, u"Забронювати переговорну на наступну середу"_s, u"Забронювати переговорну"_s, u"2026-03-18"_s },
          { Kind::Ticked, u"Подати звіт про витрати"_s, {}, {} },
          { Kind::Box, u"Відповісти рекрутерові"_s, u"Відповісти рекрутерові"_s, {} },
          { Kind::Box, u"Терміново продовжити сертифікат"_s, u"Продовжити сертифікат"_s, {}, u"high"_s } });

    screens << make(
        u"uk-notes-dark-dashes"_s, u"uk"_s, newYork, wedMorning,
        { u"Liberation Sans"_s,
          15,
          &dark,
          1.9,
          u"Нотатки"_s,
          menuUk,
          notesSidebarUk,
          u"Покупки і справи"_s,
          { u"Спільна нотатка з Ольгою."_s } },
        { { Kind::Dash, u"Купити вівсяне молоко, яйця і шпинат"_s, u"Купити вівсяне молоко, яйця і шпинат"_s, {} },
          { Kind::Dash, u"Забрати посилку на пошті сьогодні"_s, u"Забрати посилку на пошті"_s, u"2026-03-11"_s },
          { Kind::Dash, u"Від Ольги: повернути дриль"_s, u"Повернути дриль"_s, {} },
          { Kind::Dash, u"Підстригтися в суботу о 11:00"_s, u"Підстригтися"_s, u"2026-03-14T15:00:00Z"_s },
          { Kind::Dash, u"Поміняти постіль"_s, u"Поміняти постіль"_s, {} } });

    screens << make(
        u"uk-tasks-light-small"_s, u"uk"_s, kyiv, u"2026-03-13T18:30"_s,
        { u"DejaVu Sans"_s,
          13,
          &light,
          2.3,
          u"Завдання"_s,
          menuUk,
          { u"Мій день"_s, u"Важливе"_s, u"Заплановане"_s, u"Завдання"_s },
          u"Мій день"_s,
          { u"П'ятниця, 13 березня"_s } },
        { { Kind::Box, u"Підготувати порядок денний наради"_s, u"Підготувати порядок денний наради"_s, {} },
          { Kind::Box, u"Написати дизайнерам про іконки"_s, u"Написати дизайнерам про іконки"_s, {} },
          { Kind::Box, u"Переглянути план найму до понеділка"_s, u"Переглянути план найму"_s, u"2026-03-16"_s },
          { Kind::Ticked, u"Оновити сторінку статусу"_s, {}, {} },
          { Kind::Box, u"Роздрукувати квитки післязавтра"_s, u"Роздрукувати квитки"_s, u"2026-03-15"_s },
          { Kind::Box, u"Підписати угоду терміново"_s, u"Підписати угоду"_s, {}, u"high"_s } });

    screens << make(
        u"uk-chat-light-plain-imperatives"_s, u"uk"_s, kyiv, wedMorning,
        { u"Liberation Sans"_s,
          15,
          &light,
          1.7,
          u"Повідомлення"_s,
          {},
          { u"Мама"_s, u"Тато"_s, u"Ольга"_s },
          {},
          {},
          true,
          u"Мама  8:15"_s },
        { { Kind::Text, u"Доброго ранку! Зроби, будь ласка:"_s, {}, {} },
          { Kind::Plain, u"Купити хліб і сир"_s, u"Купити хліб і сир"_s, {} },
          { Kind::Plain, u"Подзвонити тітці Марії сьогодні"_s, u"Подзвонити тітці Марії"_s, u"2026-03-11"_s },
          { Kind::Plain, u"Привезти синю валізу в неділю"_s, u"Привезти синю валізу"_s, u"2026-03-15"_s },
          { Kind::Text, u"Цілую"_s, {}, {} } });

    // --- Written after the recogniser was tuned on the screens above: a check against fitting to them.
    screens << make(
        u"agenda-dark-heading-day"_s, u"en"_s, kyiv, wedMorning,
        { u"DejaVu Sans"_s,
          16,
          &dark,
          1.9,
          u"Planner"_s,
          menuEn,
          { u"Today"_s, u"Tomorrow"_s, u"This week"_s, u"Someday"_s },
          u"Tomorrow:"_s,
          {} },
        { { Kind::Plain, u"Dentist at 9:30"_s, u"Dentist"_s, u"2026-03-12T07:30:00Z"_s },
          { Kind::Plain, u"Pick up the car from the service"_s, u"Pick up the car from the service"_s,
            u"2026-03-12"_s },
          { Kind::Plain, u"Call the insurance company"_s, u"Call the insurance company"_s, u"2026-03-12"_s },
          { Kind::Plain, u"Buy flowers for Olena"_s, u"Buy flowers for Olena"_s, u"2026-03-12"_s } });

    screens << make(
        u"uk-wiki-serif-numbers"_s, u"uk"_s, kyiv, wedMorning,
        { u"DejaVu Serif"_s,
          16,
          &light,
          1.9,
          u"Вікі команди"_s,
          menuUk,
          { u"Головна"_s, u"Процеси"_s, u"Наради"_s },
          u"Після наради"_s,
          { u"Коротко про те, що ми вирішили в понеділок."_s } },
        { { Kind::Number, u"Погодити кошторис до 25 березня"_s, u"Погодити кошторис"_s, u"2026-03-25"_s },
          { Kind::Number, u"Перевірити резервні копії у вівторок"_s, u"Перевірити резервні копії"_s, u"2026-03-17"_s },
          { Kind::Number, u"Зустрітися з юристом завтра о 9:00"_s, u"Зустрітися з юристом"_s,
            u"2026-03-12T07:00:00Z"_s },
          { Kind::Number, u"Терміново оновити сертифікати"_s, u"Оновити сертифікати"_s, {}, u"high"_s },
          { Kind::Number, u"Підготувати звіт для ради"_s, u"Підготувати звіт для ради"_s, {} } });

    screens << make(
        u"mail-dark-dashes-people"_s, u"en"_s, newYork, wedMorning,
        { u"Liberation Sans"_s,
          15,
          &dark,
          1.9,
          u"Mail"_s,
          menuEn,
          { u"Inbox"_s, u"Sent"_s, u"Archive"_s },
          u"Re: next steps"_s,
          { u"Here is the list from this morning, sorted by who asked."_s } },
        { { Kind::Dash, u"From Anna: review the budget draft"_s, u"Review the budget draft"_s, {} },
          { Kind::Dash, u"Book flights to Berlin, low priority"_s, u"Book flights to Berlin"_s, {}, u"low"_s },
          { Kind::Dash, u"Send the invoice by 2026-04-02"_s, u"Send the invoice"_s, u"2026-04-02"_s },
          { Kind::Dash, u"Call Mark back at 4:30 pm"_s, u"Call Mark back"_s, u"2026-03-11T20:30:00Z"_s },
          { Kind::Dash, u"Renew the domain before Monday"_s, u"Renew the domain"_s, u"2026-03-16"_s } });

    // --- High-density screens (2880×1800, everything drawn at twice the size) and a zoomed one.
    screens << make(
        u"hidpi-notes-light-dejavu"_s, u"en"_s, kyiv, wedMorning,
        highDensity({ u"DejaVu Sans"_s,
                      15,
                      &light,
                      2.0,
                      u"Notes"_s,
                      menuEn,
                      notesSidebar,
                      u"Moving out"_s,
                      { u"Landlord inspection is next week, keys go back after that."_s } }),
        { { Kind::Box, u"Cancel the internet contract"_s, u"Cancel the internet contract"_s, {} },
          { Kind::Box, u"Order boxes and tape by Thursday"_s, u"Order boxes and tape"_s, u"2026-03-12"_s },
          { Kind::Ticked, u"Give notice to the landlord"_s, {}, {} },
          { Kind::Box, u"Clean the oven tomorrow at 7pm"_s, u"Clean the oven"_s, u"2026-03-12T17:00:00Z"_s },
          { Kind::Box, u"Forward the mail to the new address"_s, u"Forward the mail to the new address"_s, {} } });

    screens << make(u"hidpi-uk-chat-dark-noto"_s, u"uk"_s, kyiv, wedMorning,
                    highDensity({ u"Noto Sans"_s,
                                  14,
                                  &dark,
                                  1.9,
                                  u"Месенджер"_s,
                                  {},
                                  { u"Андрій"_s, u"Сусіди"_s, u"Футбол"_s },
                                  {},
                                  {},
                                  true,
                                  u"Андрій Мельник  9:05"_s }),
                    { { Kind::Text, u"Привіт! Перед святом треба:"_s, {}, {} },
                      { Kind::Bullet, u"Замовити торт до суботи"_s, u"Замовити торт"_s, u"2026-03-14"_s },
                      { Kind::Bullet, u"Купити кульки і свічки"_s, u"Купити кульки і свічки"_s, {} },
                      { Kind::Bullet, u"Запросити сусідів"_s, u"Запросити сусідів"_s, {} },
                      { Kind::Text, u"Дякую!"_s, {}, {} } });

    screens << make(
        u"hidpi-mail-light-liberation-numbers"_s, u"en"_s, newYork, wedMorning,
        highDensity({ u"Liberation Sans"_s,
                      16,
                      &light,
                      1.8,
                      u"Mail"_s,
                      menuEn,
                      { u"Inbox  4"_s, u"Sent"_s, u"Drafts"_s },
                      u"Onboarding for Dana"_s,
                      { u"Hi, Dana starts on Monday. Could you take care of these?"_s } }),
        { { Kind::Number, u"Set up her laptop by Friday"_s, u"Set up her laptop"_s, u"2026-03-13"_s },
          { Kind::Number, u"Add her to the team calendar"_s, u"Add her to the team calendar"_s, {} },
          { Kind::Number, u"Order a badge urgently"_s, u"Order a badge"_s, {}, u"high"_s },
          { Kind::Number, u"Plan a welcome lunch on 2026-03-18"_s, u"Plan a welcome lunch"_s, u"2026-03-18"_s } });

    // Zoomed in on an ordinary screen: 28 px text at 1440×900.
    screens << make(u"zoomed-tasks-light-noto"_s, u"en"_s, kyiv, wedMorning,
                    { u"Noto Sans"_s, 28, &light, 1.9, u"Tasks"_s, menuEn, {}, u"Garden"_s, {} },
                    { { Kind::Box, u"Trim the hedge"_s, u"Trim the hedge"_s, {} },
                      { Kind::Box, u"Buy seeds on Saturday"_s, u"Buy seeds"_s, u"2026-03-14"_s },
                      { Kind::Ticked, u"Fix the gate"_s, {}, {} },
                      { Kind::Box, u"Rake the leaves"_s, u"Rake the leaves"_s, {} } });

    return screens;
}
} // namespace TodoScreens
