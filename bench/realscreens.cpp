// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "realscreens.h"

#include <QPainter>
#include <QTextDocument>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace RealScreens {
namespace {
using TodoScreens::Expected;
using TodoScreens::Screen;

struct Look
{
    QString font = u"DejaVu Sans"_s;
    int size = 14;
    QString text = u"#1f2328"_s, muted = u"#6a7078"_s, window = u"#ffffff"_s, side = u"#f3f4f6"_s, panel = u"#eef1f5"_s,
            accent = u"#2f6feb"_s;
};

const Look lightLook;
Look darkLook()
{
    Look l;
    l.text = u"#dcdddf"_s;
    l.muted = u"#8d949c"_s;
    l.window = u"#1e1f22"_s;
    l.side = u"#2b2d31"_s;
    l.panel = u"#313338"_s;
    l.accent = u"#58a6ff"_s;
    return l;
}

QString esc(const QString &s)
{
    return s.toHtmlEscaped();
}

QString span(const QString &color, const QString &text, int size = 0)
{
    return u"<span style=\"color:%1;%2\">%3</span>"_s.arg(color, size > 0 ? u"font-size:%1px;"_s.arg(size) : QString(),
                                                          esc(text));
}

// A browser window: tab strip, address bar, then the page.
QString browser(const Look &l, const QString &tab, const QString &url, const QString &page)
{
    return u"<table width=\"100%\" cellspacing=\"0\" cellpadding=\"7\" bgcolor=\"#dee1e6\"><tr>"
           u"<td width=\"230\" bgcolor=\"#ffffff\" style=\"font-size:12px\">%1 &nbsp; ×</td>"
           u"<td width=\"200\" style=\"font-size:12px;color:#555\">New Tab &nbsp; ×</td><td>+</td></tr></table>"
           u"<table width=\"100%\" cellspacing=\"0\" cellpadding=\"6\" bgcolor=\"#ffffff\"><tr>"
           u"<td width=\"90\" style=\"color:#666\">&#8592; &#8594; &#10227;</td>"
           u"<td bgcolor=\"#f1f3f4\" style=\"font-size:13px;color:#333\">%2</td><td width=\"60\">&#9734; "
           u"&#8942;</td></tr>"
           u"</table><table width=\"100%\" cellspacing=\"0\" cellpadding=\"0\" bgcolor=\"%3\"><tr><td>%4</td></tr></table>"_s
               .arg(esc(tab), esc(url), l.window, page);
}

// An application window: title bar (with menus when given), then the content.
QString window(const Look &l, const QString &title, const QStringList &menus, const QString &content)
{
    QString menuRow;
    if (!menus.isEmpty()) {
        menuRow = u"<table width=\"100%\" cellspacing=\"0\" cellpadding=\"5\" bgcolor=\"%1\"><tr><td style=\"font-size:"
                  u"13px\">%2</td></tr></table>"_s.arg(l.side, esc(menus.join(u"    "_s)));
    }
    return u"<table width=\"100%\" cellspacing=\"0\" cellpadding=\"6\" bgcolor=\"%1\"><tr><td align=\"center\" "
           u"style=\"font-size:13px\"><b>%2</b></td><td width=\"70\" align=\"right\">&#8211; &#9633; &#215;</td></tr>"
           u"</table>%3<table width=\"100%\" cellspacing=\"0\" cellpadding=\"0\"><tr><td>%4</td></tr></table>"_s.arg(
               l.side == u"#f3f4f6"_s ? u"#e4e5e8"_s : u"#18191b"_s, esc(title), menuRow, content);
}

// A side bar left of the content.
QString sided(const Look &l, const QStringList &entries, const QString &content, int width = 230)
{
    QString side;
    for (const QString &e : entries)
        side += e.startsWith(u'!') ? u"<p style=\"margin-top:14px\"><b>%1</b></p>"_s.arg(esc(e.mid(1)))
                                   : u"<p style=\"margin-top:6px\">%1</p>"_s.arg(esc(e));
    return u"<table width=\"100%\" cellspacing=\"0\" cellpadding=\"14\"><tr><td width=\"%1\" bgcolor=\"%2\" "
           u"valign=\"top\" style=\"color:%3\">%4</td><td valign=\"top\">%5</td></tr></table>"_s.arg(width)
               .arg(l.side, l.muted, side, content);
}

// One chat message: avatar with initials, name and time, then the text.
QString message(const Look &l, const QString &name, const QString &time, const QString &text,
                const QString &avatar = u"#c0615a"_s)
{
    QStringList parts = name.split(u' ');
    QString initials;
    for (const QString &p : parts)
        initials += p.left(1);
    return u"<table cellspacing=\"0\" cellpadding=\"5\" style=\"margin-top:8px\"><tr><td valign=\"top\" width=\"46\">"
           u"<table cellspacing=\"0\" cellpadding=\"9\" bgcolor=\"%1\"><tr><td style=\"color:#ffffff;font-size:12px\">"
           u"<b>%2</b></td></tr></table></td><td valign=\"top\"><b>%3</b> &nbsp;%4<br>%5</td></tr></table>"_s.arg(
               avatar, esc(initials.left(2)), esc(name), span(l.muted, time, l.size - 2), esc(text));
}

// A messenger bubble: sender in colour, the text, the time at the end.
QString bubble(const Look &l, const QString &name, const QString &time, const QString &text, bool own = false)
{
    return u"<table cellspacing=\"0\" cellpadding=\"10\" %1 bgcolor=\"%2\" style=\"margin-top:10px\"><tr><td>"
           u"%3%4 &nbsp; %5</td></tr></table>"_s.arg(
               own ? u"align=\"right\""_s : QString(), own ? u"#d9f4c7"_s : l.panel,
               name.isEmpty() ? QString() : u"<b style=\"color:%1\">%2</b><br>"_s.arg(l.accent, esc(name)), esc(text),
               span(l.muted, time, l.size - 3));
}

QString checkList(const QList<std::pair<bool, QString>> &items)
{
    QString out = u"<ul>"_s;
    for (const auto &[ticked, text] : items)
        out += u"<li class=\"%1\">%2</li>"_s.arg(ticked ? u"checked"_s : u"unchecked"_s, esc(text));
    return out + u"</ul>"_s;
}

QString bullets(const QStringList &items, const QString &tag = u"ul"_s)
{
    QString out = u"<%1>"_s.arg(tag);
    for (const QString &text : items)
        out += u"<li>%1</li>"_s.arg(esc(text));
    return out + u"</%1>"_s.arg(tag);
}

QString lines(const QStringList &items)
{
    QString out;
    for (const QString &text : items)
        out += u"<p style=\"margin-top:4px\">%1</p>"_s.arg(esc(text));
    return out;
}

QString page(const Look &l, const QString &body)
{
    return u"<html><body style=\"font-family:'%1';font-size:%2px;color:%3\">%4</body></html>"_s.arg(l.font)
        .arg(l.size)
        .arg(l.text, body);
}

QImage render(const Look &l, const QString &body, int width, int minHeight, double scale)
{
    QTextDocument doc;
    QFont font(l.font);
    font.setPixelSize(l.size);
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.setHtml(page(l, body));
    doc.setTextWidth(width);
    const int height = std::max(minHeight, int(doc.size().height()) + 8);
    QImage image(qRound(width * scale), qRound(height * scale), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(QColor(l.window));
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    doc.drawContents(&p);
    p.end();
    image.setDevicePixelRatio(1.0);
    return image;
}

// Kyiv is UTC+2 until 29 March 2026: the screens are captured on Wednesday 11 March 2026 at 10:00 there.
const QString kyiv = u"Europe/Kyiv"_s;

struct ScreenPlan
{
    QString name, kind, language;
    Look look;
    QString body;
    QList<Expected> expected;
    QStringList notTasks;
    int width = 1440;
    int minHeight = 900;
};

Screen make(const ScreenPlan &s, double scale = 1.0, const QString &suffix = {})
{
    Screen out;
    out.name = s.name + suffix;
    out.kind = s.kind;
    out.language = s.language;
    out.timeZone = kyiv;
    out.localTime = QDateTime(QDate(2026, 3, 11), QTime(10, 0), QTimeZone(kyiv.toUtf8())).toUTC();
    out.image = render(s.look, s.body, s.width, s.minHeight, scale);
    out.expected = s.expected;
    out.notTasks = s.notTasks;
    return out;
}

Expected task(const QString &title, const QString &due = {}, const QString &priority = u"medium"_s)
{
    return { title, due, priority };
}

// --- chat ---------------------------------------------------------------------------------
QString teamChat(const Look &l)
{
    const QString pane = u"<p><b># design</b> &nbsp;%1 &nbsp; &nbsp; %2</p><hr>"_s.arg(span(l.muted, u"12 members"_s),
                                                                                       span(l.muted, u"Search Acme"_s))
        + message(l, u"Anna Koval"_s, u"10:42 AM"_s, u"Could you send the slides by Monday?"_s)
        + message(l, u"Taras Bondar"_s, u"10:44 AM"_s, u"Morning all! The new logo went live yesterday."_s,
                  u"#4a7bd0"_s)
        + message(l, u"Olena Shevchenko"_s, u"10:51 AM"_s, u"Please review the pricing page by Friday"_s, u"#3f9a6b"_s)
        + message(l, u"Anna Koval"_s, u"11:02 AM"_s, u"Don't forget to book the meeting room for the retro"_s)
        + message(l, u"Taras Bondar"_s, u"11:05 AM"_s, u"Sure, the standup moved to 9:30 tomorrow."_s, u"#4a7bd0"_s)
        + u"<table width=\"90%\" cellpadding=\"10\" style=\"margin-top:20px\" bgcolor=\"%1\"><tr><td>%2</td></tr>"
          u"</table>"_s.arg(l.panel, span(l.muted, u"Message #design"_s));
    return sided(l,
                 { u"!Acme Inc"_s, u"Threads"_s, u"Mentions & reactions"_s, u"!Channels"_s, u"# general"_s,
                   u"# design"_s, u"# release"_s, u"!Direct messages"_s, u"Anna Koval"_s, u"Taras Bondar"_s },
                 pane);
}

const QList<Expected> teamChatTasks { task(u"Send the slides"_s, u"2026-03-16"_s),
                                      task(u"Review the pricing page"_s, u"2026-03-13"_s),
                                      task(u"Book the meeting room for the retro"_s) };
const QStringList teamChatFurniture { u"Threads"_s, u"Mentions & reactions"_s, u"Message #design"_s, u"Anna Koval"_s,
                                      u"12 members"_s };

QString familyChat(const Look &l)
{
    const QString pane = u"<p><b>Родина</b><br>%1</p>"_s.arg(span(l.muted, u"4 учасники"_s))
        + bubble(l, u"Мама"_s, u"09:12"_s, u"Можеш купити хліб і молоко по дорозі додому?"_s)
        + bubble(l, u"Тато"_s, u"09:20"_s, u"Будь ласка, забери посилку з пошти завтра"_s)
        + bubble(l, QString(), u"09:24"_s, u"Добре, заберу"_s, true)
        + bubble(l, u"Оля"_s, u"09:31"_s, u"Не забудь привітати бабусю з днем народження!"_s)
        + bubble(l, u"Мама"_s, u"09:40"_s, u"Вечеря о 19:00 у бабусі"_s)
        + u"<table width=\"90%\" cellpadding=\"10\" style=\"margin-top:20px\" bgcolor=\"%1\"><tr><td>%2</td></tr>"
          u"</table>"_s.arg(l.panel, span(l.muted, u"Написати повідомлення…"_s));
    return sided(l,
                 { u"Пошук"_s, u"!Родина"_s, u"Оля: Не забудь…  09:31"_s, u"!Робота"_s, u"Звіт готовий  вт"_s,
                   u"!Сусіди ОСББ"_s, u"Ліфт знову працює  пн"_s },
                 pane, 300);
}

const QList<Expected> familyChatTasks { task(u"Купити хліб і молоко по дорозі додому"_s),
                                        task(u"Забери посилку з пошти"_s, u"2026-03-12"_s),
                                        task(u"Привітати бабусю з днем народження"_s) };
const QStringList familyChatFurniture { u"Пошук"_s, u"Родина"_s, u"Написати повідомлення"_s, u"Добре, заберу"_s,
                                        u"Вечеря у бабусі"_s };

// --- mail ---------------------------------------------------------------------------------
QString mailEn(const Look &l)
{
    const QString message
        = u"<p style=\"font-size:20px\">Notes and action items from Tuesday's sync</p>"
          u"<p><b>Priya Shah</b> %1<br>%2</p>"
          u"<p style=\"color:%3\">Mar 10, 2026, 4:12 PM (18 hours ago)</p>"
          u"<p>Hi all,</p><p>thanks for a productive sync. We decided to ship version 2 in "
          u"April, and the design review moved to Thursday.</p><p>Action items:</p>%4"
          u"<p>Thanks,<br>Priya</p><p>&nbsp;</p>"
          u"<table cellspacing=\"12\" cellpadding=\"8\"><tr><td bgcolor=\"%5\">Reply</td>"
          u"<td bgcolor=\"%5\">Forward</td></tr></table>"_s
              .arg(span(l.muted, u"<priya.shah@example.com>"_s), span(l.muted, u"to me, Mark, Lena"_s))
              .arg(l.muted,
                   bullets({ u"Update the onboarding guide by Friday"_s, u"Send the budget draft to Lena"_s,
                             u"Book a room for the retro"_s }),
                   l.panel);
    return sided(l,
                 { u"Compose"_s, u"Inbox 24"_s, u"Starred"_s, u"Snoozed"_s, u"Sent"_s, u"Drafts 3"_s, u"More"_s,
                   u"!Labels"_s, u"Work"_s, u"Travel"_s },
                 u"<p style=\"color:%1\">Archive &nbsp; Report spam &nbsp; Delete &nbsp; Mark as unread &nbsp; Move "
                 u"to</p><hr>"_s.arg(l.muted)
                     + message);
}

QString mailUk(const Look &l)
{
    const QString message
        = u"<p style=\"font-size:20px\">Підсумки зустрічі щодо ремонту</p><p><b>Ірина Мельник</b> %1</p>"
          u"<p style=\"color:%2\">10 бер. 2026 р., 16:12</p><p>Привіт!</p><p>Ми вирішили перенести "
          u"переїзд на квітень. Бригада прийде в четвер.</p><p>Що треба зробити:</p>%3<p>Дякую,<br>Ірина</p>"
          u"<table cellspacing=\"12\" cellpadding=\"8\"><tr><td bgcolor=\"%4\">Відповісти</td><td bgcolor=\"%4\">"
          u"Переслати</td></tr></table>"_s.arg(
              span(l.muted, u"<iryna@example.com>"_s), l.muted,
              bullets({ u"Оновити кошторис до п'ятниці"_s, u"Надіслати фото кухні Андрію"_s,
                        u"Замовити плитку для ванної"_s }),
              l.panel);
    return sided(
        l, { u"Написати"_s, u"Вхідні 8"_s, u"Із зірочкою"_s, u"Надіслані"_s, u"Чернетки 1"_s, u"Спам"_s },
        u"<p style=\"color:%1\">Архівувати &nbsp; Видалити &nbsp; Позначити непрочитаним</p><hr>"_s.arg(l.muted)
            + message);
}

// --- boards -------------------------------------------------------------------------------
QString card(const Look &l, const QString &title, const QString &label = {}, const QString &chip = {})
{
    QString extra;
    if (!label.isEmpty())
        extra += u"<br>"_s + span(l.accent, label, l.size - 3);
    if (!chip.isEmpty())
        extra += u" &nbsp; "_s + span(l.muted, chip, l.size - 3);
    return u"<table width=\"100%\" cellspacing=\"0\" cellpadding=\"10\" bgcolor=\"%1\" style=\"margin-top:10px\">"
           u"<tr><td>%2%3</td></tr></table>"_s.arg(l.window, esc(title), extra);
}

QString board(const Look &l, const QList<std::pair<QString, QString>> &columns)
{
    QString row;
    for (const auto &[head, cards] : columns)
        row += u"<td width=\"30%\" valign=\"top\" bgcolor=\"%1\"><b>%2</b>%3</td>"_s.arg(l.side, esc(head), cards);
    return u"<table width=\"100%\" cellspacing=\"14\" cellpadding=\"12\"><tr>%1</tr></table>"_s.arg(row);
}

QString boardEn(const Look &l)
{
    return board(
        l,
        { { u"To do   3"_s,
            card(l, u"Write the FAQ page"_s, u"Content"_s, u"Mar 14"_s)
                + card(l, u"Fix the broken footer links"_s, u"Bug"_s) + card(l, u"Prepare the launch email"_s) },
          { u"In progress   2"_s,
            card(l, u"Migrate the blog posts"_s, u"Content"_s) + card(l, u"Compress hero images"_s) },
          { u"Done   3"_s,
            card(l, u"Choose a font pairing"_s, u"Design"_s) + card(l, u"Set up analytics"_s)
                + card(l, u"Draft the sitemap"_s) } });
}

const QList<Expected> boardEnTasks { task(u"Write the FAQ page"_s, u"2026-03-14"_s),
                                     task(u"Fix the broken footer links"_s), task(u"Prepare the launch email"_s),
                                     task(u"Migrate the blog posts"_s), task(u"Compress hero images"_s) };

QString boardUk(const Look &l)
{
    return board(
        l,
        { { u"Зробити   3"_s,
            card(l, u"Купити фарбу для стін"_s, u"Покупки"_s) + card(l, u"Викликати електрика"_s, {}, u"14 бер."_s)
                + card(l, u"Замовити міжкімнатні двері"_s) },
          { u"В роботі   1"_s, card(l, u"Поклеїти шпалери у спальні"_s) },
          { u"Зроблено   2"_s, card(l, u"Демонтувати стару плитку"_s) + card(l, u"Вивезти сміття"_s) } });
}

// --- issue --------------------------------------------------------------------------------
QString issue(const Look &l)
{
    const QString tabs = u"<p style=\"color:%1\">&lt;&gt; Code &nbsp; &nbsp; Issues 42 &nbsp; &nbsp; Pull requests 7 "
                         u"&nbsp; &nbsp; Actions &nbsp; &nbsp; Wiki &nbsp; &nbsp; Settings</p><hr>"_s.arg(l.muted);
    const QString body
        = u"<p style=\"font-size:24px\">Release checklist for 2.4 %1</p>"
          u"<p><span style=\"color:#ffffff;background-color:#1f883d\">&nbsp;Open&nbsp;</span> &nbsp;%2</p><hr>"
          u"<table width=\"100%\" cellspacing=\"0\" cellpadding=\"14\"><tr><td valign=\"top\">"
          u"<table width=\"100%\" cellpadding=\"12\" bgcolor=\"%3\"><tr><td>%4</td></tr><tr><td bgcolor=\"%5\">"
          u"<p>Steps before tagging:</p>%6</td></tr></table>"
          u"<p style=\"margin-top:20px;color:%7\">Leave a comment</p>"
          u"<table cellspacing=\"10\" cellpadding=\"8\"><tr><td bgcolor=\"%3\">Close issue</td>"
          u"<td bgcolor=\"#1f883d\" style=\"color:#ffffff\">Comment</td></tr></table></td>"
          u"<td width=\"260\" valign=\"top\" style=\"color:%7\"><p><b>Assignees</b></p><p>mkoval</p>"
          u"<p><b>Labels</b></p><p>release</p><p><b>Milestone</b></p><p>2.4</p></td></tr></table>"_s
              .arg(span(l.muted, u"#1234"_s), span(l.muted, u"mkoval opened this issue 2 days ago · 5 comments"_s),
                   l.panel, u"<b>mkoval</b> commented 2 days ago"_s, l.window)
              .arg(checkList({ { false, u"Update the changelog"_s },
                               { true, u"Bump the version number"_s },
                               { false, u"Run the migration on staging"_s },
                               { false, u"Announce the release on the forum"_s },
                               { true, u"Freeze the translations"_s } }),
                   l.muted);
    return tabs + body;
}

// --- notes --------------------------------------------------------------------------------
QString notes(const Look &l, const QStringList &side, const QString &title, const QString &todo,
              const QStringList &open, const QString &doneHeading, const QStringList &done)
{
    return sided(l, side,
                 u"<p style=\"font-size:22px\"><b>%1</b></p><p style=\"color:%2\">%3</p><p><b>%4</b></p>%5"
                 u"<p style=\"margin-top:18px\"><b>%6</b></p>%7"_s.arg(esc(title), l.muted, u"Edited 10 Mar, 21:14"_s,
                                                                       esc(todo), lines(open), esc(doneHeading),
                                                                       lines(done)),
                 260);
}

// --- terminal -----------------------------------------------------------------------------
QString terminal(const Look &l, const QString &title, const QStringList &rows)
{
    QString pre;
    for (const QString &r : rows)
        pre += esc(r) + u"<br>"_s;
    return window(l, title, { u"File"_s, u"Edit"_s, u"View"_s, u"Search"_s, u"Terminal"_s, u"Help"_s },
                  u"<p style=\"font-family:'DejaVu Sans Mono';margin:8px\">%1</p>"_s.arg(pre));
}

// --- editor -------------------------------------------------------------------------------
QString editor(const Look &l, const QString &file, const QStringList &rows, const QString &status)
{
    QString pre;
    for (const QString &r : rows)
        pre += (r.isEmpty() ? u"&nbsp;"_s : esc(r)) + u"<br>"_s;
    return window(l, file + u" (~/Documents) - Text Editor"_s, {},
                  u"<table cellspacing=\"0\" cellpadding=\"6\" width=\"100%\" bgcolor=\"%1\"><tr><td>Open ▾ &nbsp; "
                  u"<b>%2</b></td><td align=\"right\">Save &nbsp; ☰</td></tr></table>"
                  u"<p style=\"font-family:'DejaVu Sans Mono';margin:14px\">%3</p>"
                  u"<p style=\"color:%4;font-size:12px;margin-top:300px\">%5</p>"_s.arg(l.side, esc(file), pre, l.muted,
                                                                                        esc(status)));
}

// --- spreadsheet --------------------------------------------------------------------------
QString sheet(const Look &l, const QStringList &header, const QList<QStringList> &rows, const QString &tabs)
{
    QString grid = u"<tr><td bgcolor=\"%1\"></td>"_s.arg(l.side);
    for (qsizetype c = 0; c < header.size() + 2; ++c)
        grid += u"<td bgcolor=\"%1\" align=\"center\" style=\"color:%2\">%3</td>"_s.arg(
            l.side, l.muted, QString(QChar(char16_t(u'A' + c))));
    grid += u"</tr><tr><td bgcolor=\"%1\" style=\"color:%2\">1</td>"_s.arg(l.side, l.muted);
    for (const QString &h : header)
        grid += u"<td><b>%1</b></td>"_s.arg(esc(h));
    grid += u"<td></td><td></td></tr>"_s;
    int n = 2;
    for (const QStringList &r : rows) {
        grid += u"<tr><td bgcolor=\"%1\" style=\"color:%2\">%3</td>"_s.arg(l.side, l.muted).arg(n++);
        for (const QString &c : r)
            grid += u"<td>%1</td>"_s.arg(esc(c));
        grid += u"<td></td><td></td></tr>"_s;
    }
    return u"<p style=\"font-size:13px;margin:6px\">File &nbsp; Edit &nbsp; View &nbsp; Insert &nbsp; Format &nbsp; "
           u"Data &nbsp; Tools &nbsp; Help</p><p style=\"margin:6px;color:%1\">A1 &nbsp; | &nbsp; fx &nbsp; %2</p>"
           u"<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"6\" style=\"border-color:#d0d3d8;"
           u"border-style:solid\">%3</table><p style=\"margin-top:200px;color:%1\">%4</p>"_s.arg(
               l.muted, esc(header.first()), grid, esc(tabs));
}

// --- code ---------------------------------------------------------------------------------
QString code(const Look &l, const QStringList &rows)
{
    QString pre;
    int n = 40;
    for (const QString &r : rows)
        pre += span(l.muted, u"%1  "_s.arg(n++, 3)) + (r.isEmpty() ? u"&nbsp;"_s : esc(r)) + u"<br>"_s;
    pre.replace(u"  "_s, u"&nbsp; "_s);
    return window(l, u"upload.cpp - quibly - Code"_s,
                  { u"File"_s, u"Edit"_s, u"Selection"_s, u"View"_s, u"Go"_s, u"Run"_s, u"Terminal"_s, u"Help"_s },
                  sided(l,
                        { u"!EXPLORER"_s, u"src"_s, u"upload.cpp"_s, u"queue.cpp"_s, u"queue.h"_s, u"README.md"_s,
                          u"CMakeLists.txt"_s },
                        u"<p style=\"font-size:12px\">upload.cpp &nbsp;× &nbsp; &nbsp; queue.cpp</p>"
                        u"<p style=\"font-family:'DejaVu Sans Mono';font-size:13px\">%1</p>"
                        u"<p style=\"color:%2;font-size:12px;margin-top:120px\">main &nbsp; ⊗ 0 ⚠ 2 &nbsp; &nbsp; "
                        u"Ln 42, Col 7 &nbsp; UTF-8 &nbsp; C++</p>"_s.arg(pre, l.muted),
                        220));
}
} // namespace

QList<Screen> all()
{
    QList<ScreenPlan> plans;
    const Look light = lightLook;
    const Look dark = darkLook();

    plans << ScreenPlan { u"chat-team-browser"_s,
                          u"chat"_s,
                          u"en"_s,
                          light,
                          browser(light, u"design (Channel) - Acme"_s, u"https://acme.chat.example/client/design"_s,
                                  teamChat(light)),
                          teamChatTasks,
                          teamChatFurniture };
    plans << ScreenPlan { u"chat-team-region"_s, u"chat"_s,         u"en"_s, light, teamChat(light),
                          teamChatTasks,         teamChatFurniture, 1000,    0 };
    plans << ScreenPlan { u"chat-family-uk"_s,
                          u"messenger"_s,
                          u"uk"_s,
                          light,
                          window(light, u"Родина – Месенджер"_s, {}, familyChat(light)),
                          familyChatTasks,
                          familyChatFurniture };
    plans << ScreenPlan { u"chat-family-uk-dark"_s,
                          u"messenger"_s,
                          u"uk"_s,
                          dark,
                          window(dark, u"Родина – Месенджер"_s, {}, familyChat(dark)),
                          familyChatTasks,
                          familyChatFurniture };
    plans << ScreenPlan { u"mail-action-items"_s,
                          u"mail"_s,
                          u"en"_s,
                          light,
                          browser(light, u"Inbox (24) - priya.shah@example.com - Mail"_s,
                                  u"https://mail.example.com/inbox"_s, mailEn(light)),
                          { task(u"Update the onboarding guide"_s, u"2026-03-13"_s),
                            task(u"Send the budget draft to Lena"_s), task(u"Book a room for the retro"_s) },
                          { u"Compose"_s, u"Inbox 24"_s, u"Reply"_s, u"Forward"_s, u"Mark as unread"_s } };
    plans << ScreenPlan { u"mail-uk"_s,
                          u"mail"_s,
                          u"uk"_s,
                          light,
                          browser(light, u"Вхідні (8) - Пошта"_s, u"https://mail.example.com/inbox"_s, mailUk(light)),
                          { task(u"Оновити кошторис"_s, u"2026-03-13"_s), task(u"Надіслати фото кухні Андрію"_s),
                            task(u"Замовити плитку для ванної"_s) },
                          { u"Написати"_s, u"Відповісти"_s, u"Переслати"_s } };
    plans << ScreenPlan { u"board-en"_s,
                          u"board"_s,
                          u"en"_s,
                          light,
                          browser(
                              light, u"Website relaunch | Boards"_s, u"https://boards.example.com/b/relaunch"_s,
                              u"<p style=\"margin:10px;font-size:18px\"><b>Website relaunch</b> &nbsp; %1</p>"_s.arg(
                                  span(light.muted, u"Board   Timeline   Calendar   Filter   Share"_s, 14))
                                  + boardEn(light)),
                          boardEnTasks,
                          { u"Choose a font pairing"_s, u"Set up analytics"_s, u"Content"_s, u"Timeline"_s } };
    plans << ScreenPlan { u"board-en-region"_s,
                          u"board"_s,
                          u"en"_s,
                          light,
                          boardEn(light),
                          boardEnTasks,
                          { u"Choose a font pairing"_s, u"Content"_s },
                          1100,
                          0 };
    plans << ScreenPlan { u"board-uk"_s,
                          u"board"_s,
                          u"uk"_s,
                          light,
                          browser(light, u"Ремонт квартири | Дошки"_s, u"https://boards.example.com/b/remont"_s,
                                  u"<p style=\"margin:10px;font-size:18px\"><b>Ремонт квартири</b></p>"_s
                                      + boardUk(light)),
                          { task(u"Купити фарбу для стін"_s), task(u"Викликати електрика"_s, u"2026-03-14"_s),
                            task(u"Замовити міжкімнатні двері"_s), task(u"Поклеїти шпалери у спальні"_s) },
                          { u"Демонтувати стару плитку"_s, u"Вивезти сміття"_s, u"Покупки"_s } };
    plans << ScreenPlan { u"issue-checklist"_s,
                          u"issue"_s,
                          u"en"_s,
                          light,
                          browser(light, u"Release checklist for 2.4 · Issue #1234"_s,
                                  u"https://code.example.org/quibly/quibly/issues/1234"_s, issue(light)),
                          { task(u"Update the changelog"_s), task(u"Run the migration on staging"_s),
                            task(u"Announce the release on the forum"_s) },
                          { u"Bump the version number"_s, u"Close issue"_s, u"Comment"_s, u"Leave a comment"_s,
                            u"Pull requests 7"_s } };
    plans << ScreenPlan { u"issue-checklist-dark"_s,
                          u"issue"_s,
                          u"en"_s,
                          dark,
                          issue(dark),
                          { task(u"Update the changelog"_s), task(u"Run the migration on staging"_s),
                            task(u"Announce the release on the forum"_s) },
                          { u"Bump the version number"_s, u"Close issue"_s },
                          1200,
                          0 };
    plans << ScreenPlan {
        u"notes-dark-en"_s,
        u"notes"_s,
        u"en"_s,
        dark,
        window(dark, u"Notes"_s, {},
               notes(dark, { u"!Notes"_s, u"Errands"_s, u"Trip ideas"_s, u"Meeting 03-10"_s, u"Recipes"_s },
                     u"Errands"_s, u"To do"_s,
                     { u"Pick up the dry cleaning"_s, u"Return the library books"_s, u"Buy a birthday card for Sam"_s },
                     u"Done"_s, { u"Renew the parking permit"_s, u"Call the dentist"_s })),
        { task(u"Pick up the dry cleaning"_s), task(u"Return the library books"_s),
          task(u"Buy a birthday card for Sam"_s) },
        { u"Renew the parking permit"_s, u"Call the dentist"_s, u"Trip ideas"_s }
    };
    plans << ScreenPlan { u"notes-dark-uk"_s,
                          u"notes"_s,
                          u"uk"_s,
                          dark,
                          window(dark, u"Нотатки"_s, {},
                                 notes(dark, { u"!Нотатки"_s, u"Справи"_s, u"Ідеї для відпустки"_s, u"Рецепти"_s },
                                       u"Справи"_s, u"Зробити:"_s,
                                       { u"Купити лампочки"_s, u"Записатися до перукаря"_s, u"Полити квіти"_s },
                                       u"Зроблено:"_s, { u"Оплатити інтернет"_s, u"Віднести куртку в ремонт"_s })),
                          { task(u"Купити лампочки"_s), task(u"Записатися до перукаря"_s), task(u"Полити квіти"_s) },
                          { u"Оплатити інтернет"_s, u"Віднести куртку в ремонт"_s } };
    Look mono = dark;
    mono.size = 12;
    mono.font = u"DejaVu Sans Mono"_s;
    plans << ScreenPlan {
        u"terminal-todotxt"_s,
        u"terminal"_s,
        u"en"_s,
        mono,
        terminal(mono, u"anna@laptop: ~"_s,
                 { u"anna@laptop:~$ ls"_s, u"Documents  Downloads  notes.md  todo.txt"_s,
                   u"anna@laptop:~$ cat todo.txt"_s, u"(A) Call the plumber about the leak due:2026-03-12"_s,
                   u"(B) Renew the car insurance +car"_s, u"x 2026-03-09 Pay the electricity bill"_s,
                   u"Email the landlord about the heating @home"_s, u"x 2026-03-10 Buy printer ink"_s,
                   u"anna@laptop:~$ "_s }),
        { task(u"Call the plumber about the leak"_s, u"2026-03-12"_s, u"high"_s), task(u"Renew the car insurance"_s),
          task(u"Email the landlord about the heating"_s) },
        { u"Documents Downloads notes.md todo.txt"_s, u"Pay the electricity bill"_s, u"Buy printer ink"_s },
        900,
        0
    };
    plans << ScreenPlan { u"terminal-todotxt-uk"_s,
                          u"terminal"_s,
                          u"uk"_s,
                          mono,
                          terminal(mono, u"olia@desktop: ~"_s,
                                   { u"olia@desktop:~$ cat todo.txt"_s, u"(A) Подати декларацію due:2026-03-13"_s,
                                     u"Записати дитину до лікаря @телефон"_s, u"x 2026-03-08 Купити квитки на потяг"_s,
                                     u"Повернути борг Максиму"_s, u"olia@desktop:~$ "_s }),
                          { task(u"Подати декларацію"_s, u"2026-03-13"_s, u"high"_s),
                            task(u"Записати дитину до лікаря"_s), task(u"Повернути борг Максиму"_s) },
                          { u"Купити квитки на потяг"_s },
                          900,
                          0 };
    Look monoLight = light;
    monoLight.size = 14;
    plans << ScreenPlan { u"editor-errands"_s,
                          u"editor"_s,
                          u"en"_s,
                          light,
                          editor(light, u"errands.txt"_s,
                                 { u"Errands"_s, u"- pick up the parcel from the post office"_s, u"- buy stamps"_s,
                                   u"- get the bike fixed before Saturday"_s, QString(), u"Done:"_s,
                                   u"- pay the water bill"_s, u"- return the drill to Tom"_s },
                                 u"Plain Text ▾   Tab Width: 8 ▾   Ln 9, Col 1   INS"_s),
                          { task(u"Pick up the parcel from the post office"_s), task(u"Buy stamps"_s),
                            task(u"Get the bike fixed"_s, u"2026-03-14"_s) },
                          { u"Pay the water bill"_s, u"Return the drill to Tom"_s, u"Save"_s } };
    plans << ScreenPlan { u"editor-errands-uk"_s,
                          u"editor"_s,
                          u"uk"_s,
                          light,
                          editor(light, u"справи.txt"_s,
                                 { u"Справи на тиждень"_s, u"- забрати довідку з поліклініки"_s,
                                   u"- купити подарунок для Олі"_s, u"- поміняти шини до суботи"_s, QString(),
                                   u"Зроблено:"_s, u"- сплатити за газ"_s, u"- віддати ключі сусідці"_s },
                                 u"Звичайний текст ▾   Рд 9, Стп 1"_s),
                          { task(u"Забрати довідку з поліклініки"_s), task(u"Купити подарунок для Олі"_s),
                            task(u"Поміняти шини"_s, u"2026-03-14"_s) },
                          { u"Сплатити за газ"_s, u"Віддати ключі сусідці"_s } };
    plans << ScreenPlan { u"sheet-tasks"_s,
                          u"sheet"_s,
                          u"en"_s,
                          light,
                          window(light, u"Office move.xlsx - Spreadsheet"_s, {},
                                 sheet(light, { u"Task"_s, u"Owner"_s, u"Due"_s, u"Status"_s },
                                       { { u"Order new laptops"_s, u"Dmytro"_s, u"2026-03-13"_s, u"Open"_s },
                                         { u"Renew the domain"_s, u"Anna"_s, u"Mar 16"_s, u"In progress"_s },
                                         { u"Update the price list"_s, u"Olha"_s, u""_s, u"Done"_s },
                                         { u"Plan the team offsite"_s, u"Taras"_s, u""_s, u"Open"_s },
                                         { u"Sign the lease"_s, u"Anna"_s, u"2026-03-02"_s, u"Done"_s } },
                                       u"Sheet1   Sheet2   +"_s)),
                          { task(u"Order new laptops"_s, u"2026-03-13"_s), task(u"Renew the domain"_s, u"2026-03-16"_s),
                            task(u"Plan the team offsite"_s) },
                          { u"Update the price list"_s, u"Sign the lease"_s, u"Owner"_s, u"Sheet1 Sheet2"_s } };
    plans << ScreenPlan { u"sheet-tasks-uk"_s,
                          u"sheet"_s,
                          u"uk"_s,
                          light,
                          window(light, u"Дача.ods - Таблиця"_s, {},
                                 sheet(light, { u"Завдання"_s, u"Хто"_s, u"Термін"_s, u"Статус"_s },
                                       { { u"Полагодити паркан"_s, u"Тато"_s, u"14.03"_s, u"Відкрито"_s },
                                         { u"Купити насіння томатів"_s, u"Мама"_s, u""_s, u"Відкрито"_s },
                                         { u"Прибрати в сараї"_s, u"Ігор"_s, u""_s, u"Зроблено"_s } },
                                       u"Аркуш1   +"_s)),
                          { task(u"Полагодити паркан"_s, u"2026-03-14"_s), task(u"Купити насіння томатів"_s) },
                          { u"Прибрати в сараї"_s } };
    plans << ScreenPlan { u"code-todos"_s,
                          u"code"_s,
                          u"en"_s,
                          dark,
                          code(dark,
                               { u"void Upload::start()"_s, u"{"_s,
                                 u"    // TODO: retry the upload when the network comes back"_s,
                                 u"    int attempts = 0; // TODO handle timeouts"_s, u"    m_reply = send(m_file);"_s,
                                 u"    // FIXME: remove the legacy parser"_s, u"    connect(m_reply, &Reply::done,"_s,
                                 u"            this, &Upload::finish);"_s, u"}"_s }),
                          { task(u"Retry the upload when the network comes back"_s), task(u"Handle timeouts"_s),
                            task(u"Remove the legacy parser"_s) },
                          { u"upload.cpp"_s, u"README.md"_s, u"EXPLORER"_s } };
    plans << ScreenPlan {
        u"calendar-tasks"_s,
        u"calendar"_s,
        u"en"_s,
        light,
        window(light, u"Calendar"_s, {},
               u"<table width=\"100%\" cellspacing=\"0\" cellpadding=\"12\"><tr><td valign=\"top\">"
               u"<p style=\"font-size:20px\"><b>March 2026</b> &nbsp; %1</p>"
               u"<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"8\" "
               u"style=\"border-color:#d0d3d8\"><tr><td>Mon 9</td><td>Tue 10</td><td>Wed 11</td>"
               u"<td>Thu 12</td><td>Fri 13</td></tr><tr><td>Standup 9:30</td><td>Lunch with Ira</td>"
               u"<td>Dentist 16:00</td><td>Design review</td><td>Team drinks</td></tr>"
               u"<tr><td height=\"300\"></td><td></td><td></td><td></td><td></td></tr></table></td>"
               u"<td width=\"300\" valign=\"top\" bgcolor=\"%2\"><p><b>Tasks</b></p>%3</td></tr></table>"_s.arg(
                   span(light.muted, u"Today   Week   Month"_s), light.side,
                   checkList({ { false, u"Submit the expense report by Friday"_s },
                               { false, u"Buy a gift for Olya"_s },
                               { true, u"Call the bank"_s } }))),
        { task(u"Submit the expense report"_s, u"2026-03-13"_s), task(u"Buy a gift for Olya"_s) },
        { u"Standup"_s, u"Lunch with Ira"_s, u"Dentist"_s, u"Call the bank"_s }
    };
    plans << ScreenPlan {
        u"form-signup"_s,
        u"form"_s,
        u"en"_s,
        light,
        browser(
            light, u"Create your account"_s, u"https://app.example.com/signup"_s,
            u"<table width=\"520\" align=\"center\" cellpadding=\"8\"><tr><td>"
            u"<p style=\"font-size:24px\"><b>Create your account</b></p>"
            u"<p>Full name</p><table width=\"100%\" border=\"1\" cellpadding=\"6\" cellspacing=\"0\">"
            u"<tr><td>Anna Koval</td></tr></table><p>Email</p><table width=\"100%\" border=\"1\" "
            u"cellpadding=\"6\" cellspacing=\"0\"><tr><td style=\"color:#999\">you@example.com</td></tr>"
            u"</table><p>Password</p><table width=\"100%\" border=\"1\" cellpadding=\"6\" "
            u"cellspacing=\"0\"><tr><td>••••••••</td></tr></table>"_s
                + checkList({ { false, u"Send me the newsletter"_s }, { true, u"I have read the privacy notice"_s } })
                + u"<table cellpadding=\"10\" bgcolor=\"#2f6feb\"><tr><td style=\"color:#fff\">"
                  u"Create account</td></tr></table><p>Already have an account? Sign in</p>"
                  u"</td></tr></table>"_s),
        {},
        { u"Send me the newsletter"_s, u"I have read the privacy notice"_s, u"Create account"_s, u"Full name"_s }
    };
    plans << ScreenPlan { u"form-uk"_s,
                          u"form"_s,
                          u"uk"_s,
                          light,
                          browser(light, u"Реєстрація"_s, u"https://shop.example.ua/register"_s,
                                  u"<table width=\"520\" align=\"center\" cellpadding=\"8\"><tr><td>"
                                  u"<p style=\"font-size:24px\"><b>Реєстрація</b></p><p>Ім'я та прізвище</p>"
                                  u"<table width=\"100%\" border=\"1\" cellpadding=\"6\" cellspacing=\"0\"><tr><td>"
                                  u"Олена Бондар</td></tr></table><p>Телефон</p><table width=\"100%\" border=\"1\" "
                                  u"cellpadding=\"6\" cellspacing=\"0\"><tr><td>+380 67 123 45 67</td></tr></table>"_s
                                      + checkList({ { false, u"Надсилати мені новини та знижки"_s },
                                                    { true, u"Погоджуюся з умовами використання"_s } })
                                      + u"<table cellpadding=\"10\" bgcolor=\"#2f6feb\"><tr><td style=\"color:#fff\">"
                                        u"Зареєструватися</td></tr></table></td></tr></table>"_s),
                          {},
                          { u"Надсилати мені новини та знижки"_s, u"Зареєструватися"_s } };
    plans << ScreenPlan {
        u"meeting-notes"_s,
        u"notes"_s,
        u"en"_s,
        light,
        window(light, u"Meeting notes - Docs"_s,
               { u"File"_s, u"Edit"_s, u"View"_s, u"Insert"_s, u"Format"_s, u"Tools"_s, u"Help"_s },
               u"<table width=\"800\" align=\"center\" cellpadding=\"30\"><tr><td>"
               u"<p style=\"font-size:24px\"><b>Weekly sync, 10 March</b></p>"
               u"<p>Attendees: Anna, Mark, Lena</p><p><b>Decisions</b></p>"_s
                   + bullets({ u"We will move the standup to 9:30."_s, u"The budget stays as it is."_s })
                   + u"<p><b>Action items</b></p>"_s
                   + bullets({ u"Draft the Q2 roadmap by Friday"_s, u"Collect feedback from the pilot users"_s })
                   + u"</td></tr></table>"_s),
        { task(u"Draft the Q2 roadmap"_s, u"2026-03-13"_s), task(u"Collect feedback from the pilot users"_s) },
        { u"We will move the standup to 9:30"_s, u"The budget stays as it is"_s, u"Attendees"_s }
    };
    plans << ScreenPlan {
        u"numbered-doc"_s,
        u"notes"_s,
        u"en"_s,
        light,
        window(light, u"Moving checklist - Docs"_s, {},
               u"<table width=\"800\" align=\"center\" cellpadding=\"30\"><tr><td>"
               u"<p style=\"font-size:24px\"><b>Checklist for the move</b></p>"_s
                   + bullets({ u"Cancel the internet contract"_s, u"Order packing boxes"_s,
                               u"Forward the mail to the new address"_s, u"Book the movers for Saturday"_s },
                             u"ol"_s)
                   + u"<p>The new flat is ready from 20 March.</p></td></tr></table>"_s),
        { task(u"Cancel the internet contract"_s), task(u"Order packing boxes"_s),
          task(u"Forward the mail to the new address"_s), task(u"Book the movers"_s, u"2026-03-14"_s) },
        { u"The new flat is ready"_s }
    };
    plans << ScreenPlan { u"announcement"_s,
                          u"chat"_s,
                          u"en"_s,
                          light,
                          sided(light, { u"!Channels"_s, u"# announcements"_s, u"# random"_s },
                                message(light, u"Office Team"_s, u"9:02 AM"_s,
                                        u"The office will be closed on Friday 13 March for maintenance."_s)
                                    + message(light, u"Office Team"_s, u"9:03 AM"_s,
                                              u"Parking passes for April are now available at the front desk."_s)),
                          {},
                          { u"The office will be closed"_s },
                          1100,
                          500 };

    QList<Screen> screens;
    for (const ScreenPlan &s : plans)
        screens << make(s);
    // The same windows on high-density screens.
    for (const QString &name :
         { u"chat-team-browser"_s, u"chat-family-uk"_s, u"mail-action-items"_s, u"board-en"_s, u"issue-checklist"_s,
           u"notes-dark-en"_s, u"terminal-todotxt"_s, u"sheet-tasks"_s, u"code-todos"_s, u"editor-errands"_s }) {
        for (const ScreenPlan &s : plans) {
            if (s.name == name)
                screens << make(s, 2.0, u"@2x"_s);
        }
    }
    return screens;
}
} // namespace RealScreens
