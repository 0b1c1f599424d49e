// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "taskextractor.h"

#include "deadlineparser.h"
#include "layoutanalysis.h"

#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace {
QRegularExpression makeRegex(const QString &pattern)
{
    return QRegularExpression(
        pattern, QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
}

enum class Marker { None, Open, Checked, Bullet, Number, TodoPrefix, Heading, Byline };

// What the items under a heading are: tasks ("To do", "Action items"), finished ("Done",
// "Зроблено"), notes and decisions, or whatever a plain heading holds.
enum class ListKind { Plain, Todo, Done, Notes };

struct Classified
{
    Classified(Marker marker, QString rest, QString priority = {}, QString person = {})
        : marker(marker)
        , rest(std::move(rest))
        , priority(std::move(priority))
        , person(std::move(person))
    { }

    Marker marker = Marker::None;
    QString rest; // the line without its marker
    QString priority; // set by a todo.txt priority "(A)"
    QString person; // the sender a byline names
};

// Compiled once per thread: QRegularExpression is reentrant, not documented thread-safe.
struct Rules
{
    // "- [x] Done", "☑ Done", "[v] Done": finished items are not tasks.
    QRegularExpression checked = makeRegex(
        u"^(?:[-*•+]\\s*)?(?:\\[\\s*[xvхч×✓✔*/]\\s*\\]|\\(\\s*[xvх✓✔]\\s*\\)|[☑☒✓✔✅🗹🗷])\\s*(.*)$"_s);
    // Empty boxes, and what OCR makes of a drawn square: "[]", "O", "0", "□", "LJ", "©".
    QRegularExpression open = makeRegex(
        u"^(?:[-*•+]\\s*)?(?:(?:\\[\\s*\\]|\\[_\\]|\\(\\s*[_.]*\\s*\\)|[☐□▢◻⬜❏❑◯⭘○]|Г\\s*\\]|"
        u"\\[\\s*[|Il]?\\s*\\]|\\[\\s*[|Il1І](?=\\s+\\p{L})|\\|\\s*\\||[|\\[]\\s*[\\]|]|C\\]|LJ|L\\]|U\\])\\s*(?=\\S)|"
        u"[oо0OОQ©®]\\]?\\s+(?=[\\p{L}\"'«]))(.*)$"_s);
    QRegularExpression bullet = makeRegex(u"^[-–—*•·‣▪▫►▶◦●∙⁃+»]+\\s*(?=\\S)(.*)$"_s);
    QRegularExpression number = makeRegex(u"^(?:\\(?\\d{1,2}[.),]|\\d{1,2}\\s*[.)]|[a-zа-я]\\))\\s+(?=\\S)(.*)$"_s);
    // "TODO: x", "TODO x", "// TODO: x", "# FIXME x"; "To do:" and "Зробити:" only with the colon,
    // since "Зробити ремонт" is itself the task.
    QRegularExpression todoPrefix
        = makeRegex(u"^(?:(?://+|#+|--|/\\*+|;+)\\s*)?(?:(?:todo|to-do|fixme)(?:\\s*[:\\-–—]\\s*|\\s+)|"
                    u"(?:to do|зробити|треба|потрібно|необхідно)\\s*[:\\-–—]\\s*)(?=\\S)(.*)$"_s);
    // Board columns carry their counters: "To do 3", "In progress (2)", "В роботі 1".
    QRegularExpression todoHeading = makeRegex(
        u"^(?:my |our |today's |today|tomorrow|мої |наші )?(?:to ?do(?:s| list)?|to-dos?|tasks?|task list|action items|"
        u"next steps|checklist|plan|in progress|doing|backlog|up next|next up|зробити|треба зробити|потрібно зробити|"
        u"що треба зробити|справи|список справ|завдання|задачі|план|[вbу] роботі|в процесі)"
        u"(?:\\s+(?:for|на)\\s+.{1,20})?\\s*(?:\\(\\d+\\)|\\d{1,4}|[зo])?\\s*:?$"_s);
    QRegularExpression doneHeading
        = makeRegex(u"^(?:done|completed?|finished|closed|archived|зроблено|виконано|готово|завершено|закрито)"
                    u"(?:\\s*(?:\\(\\d+\\)|\\d{1,4}|[зo]))?\\s*:?$"_s);
    QRegularExpression notesHeading
        = makeRegex(u"^(?:decisions?|decided|notes?|summary|agenda|attendees|minutes|рішення|вирішили|нотатки|підсумки|"
                    u"порядок денний|учасники)\\s*:?$"_s);
    // "Inbox 24", "Drafts (3)", "12 members", "4 учасники": navigation counters.
    QRegularExpression counter = makeRegex(u"^(?:[\\p{L}&' ]{2,30}\\s+\\(?\\d{1,4}\\)?|\\d{1,4}\\s+\\p{L}{3,20})$"_s);
    // "Anna Koval 10:42 AM", "ire | Taras Bondar 10:44 AM": who wrote the message below.
    QRegularExpression byline
        = makeRegex(u"^(?:\\S{0,6}\\s*\\|\\s*)?(\\p{L}[\\p{L}'-]+(?:\\s+\\p{L}[\\p{L}'-]+){0,2})\\s*[,·•|-]?\\s*"
                    u"(?:\\d{1,2}[:.]\\d{2}(?:\\s*[ap]\\.?m\\.?)?|yesterday|вчора)$"_s);
    QRegularExpression messageTime = makeRegex(u"\\s+(?:\\d{1,2}[:.]\\d{2}|[0-2]\\d[0-5]\\d)(?:\\s*[ap]\\.?m\\.?)?$"_s);
    // Requests in messages: "could you …?", "please …", "don't forget to …", "можеш …?",
    // "будь ласка, …", "не забудь …". The politeness goes; what is asked stays.
    QRegularExpression request = makeRegex(
        u"^(?:(?:hi|hey|hello)\\s+\\p{L}+[,!]?\\s+)?(?:(?:could|can|would|will)\\s+you\\s+(?:please\\s+)?|"
        u"(?:please|pls|kindly)[,:]?\\s+|(?:and\\s+)?(?:don't|do not|dont)\\s+forget\\s+(?:to\\s+)?|"
        u"remember\\s+to\\s+|reminder:\\s*|(?:чи\\s+)?(?:може[йи]?ш|можете|зможеш|зможете|могла б ти|міг би ти|"
        u"могли б ви)\\s+(?:,?\\s*будь\\s+ласка,?\\s+)?|будь\\s+ласка,?\\s+|(?:не\\s+забудь(?:те)?|нагадую|"
        u"нагадування:)\\s*,?\\s*(?:що\\s+)?(?:треба\\s+)?)(.+?)(?:,?\\s+(?:please|будь ласка))?[\\s?!.]*$"_s);
    // Check boxes of forms speak for the user: "Send me the newsletter", "I have read …".
    QRegularExpression consent = makeRegex(
        u"^(?:[+\\d()\\s-]*\\s)?(?:[oо0О](?=\\p{Ll}))?(?:i\\s+(?:have\\s+read|agree|accept|consent|confirm|am\\s+over|"
        u"would like)|(?:send|email|notify|keep|"
        u"remember|subscribe|sign)\\s+me\\b|yes,?\\s+i\\b|(?:я\\s+)?(?:погоджуюся|погоджуюсь|приймаю|прочитав|"
        u"прочитала|даю згоду)|(?:надсилати|надішліть|запам'ятати|підписати)\\s+(?:мені|мене)\\b)"_s);
    // "We will move the standup.": a statement, not something to do.
    QRegularExpression statement
        = makeRegex(u"^(?:we|i|they|he|she|it|the|this|that|our|there|ми|я|вони|він|вона|це|наш|наша)\\s.*\\.$"_s);
    QRegularExpression shortDateEnd = makeRegex(u"\\d{1,2}\\s+\\p{L}{2,5}\\.$"_s);
    QRegularExpression todoTxtDone = makeRegex(u"^[xх]\\s+\\d{4}-\\d{2}-\\d{2}\\s+(.*)$"_s);
    QRegularExpression todoTxtPriority = makeRegex(u"^[({\\[]([a-zабс])\\)\\s+(\\S.*)$"_s);
    QRegularExpression todoTxtDue = makeRegex(u"(?<![\\w'])due:(?=\\d)"_s);
    QRegularExpression tags = makeRegex(u"(?:\\s+[+@][\\p{L}\\d_-]+)+$"_s);
    // "int attempts = 0; // TODO handle timeouts": a comment after code.
    QRegularExpression trailingTodo
        = makeRegex(u"(?:^|\\s)(?://+|#+|/\\*+)\\s*(?:todo|fixme)\\b\\s*[:\\-–—]?\\s*(\\S.*)$"_s);
    // A drawn box read as a letter glued to the item: "ORun the migration".
    QRegularExpression gluedBox = makeRegex(u"^[oо0О](\\p{L}.*)$"_s);
    QRegularExpression codeStatement = makeRegex(u"[;{}]|\\s=\\s|::|->|\\w\\("_s);
    // Border strokes of panels and bubbles read in front of a line.
    QRegularExpression leadingJunk = makeRegex(u"^(?:[^\\p{L}\\d\\s]{1,3}\\s+)?[|¦]\\s+|^\\(\\s+"_s);
    QRegularExpression shortHeading = makeRegex(u"^[\\p{L}\\d' ]{2,40}:$"_s);
    QRegularExpression highPriority = makeRegex(
        u"(?<![\\w'])(?:urgent(?:ly)?|asap|a\\.s\\.a\\.p\\.?|high priority|priority\\s*:?\\s*high|терміново|"
        u"термінове|терміновий|негайно|якнайшвидше|високий пріоритет|пріоритет\\s*:?\\s*високий)(?![\\w'])|!{2,}|\\(!\\)"_s);
    QRegularExpression lowPriority = makeRegex(
        u"(?<![\\w'])(?:not urgent|no rush|low priority|priority\\s*:?\\s*low|some ?day|one day|when you have time|"
        u"не терміново|нетерміново|не горить|колись|коли буде час|низький "
        u"пріоритет|пріоритет\\s*:?\\s*низький)(?![\\w'])|"
        u"[(\\[](?:low|низький)[)\\]]|^(?:low|низький)\\s*[:\\-–—]|[,\\-–—]\\s*(?:low|низький)\\s*$"_s);
    QRegularExpression personLead
        = makeRegex(u"^(?:from|від)\\s+(\\p{Lu}[\\p{L}'-]+(?:\\s+\\p{Lu}[\\p{L}'-]+)?)\\s*[:\\-–—]\\s*(.*)$"_s);
    QRegularExpression personInside
        = makeRegex(u"(?:\\(\\s*(?:from|від)\\s+(\\p{Lu}[\\p{L}'-]+(?:\\s+\\p{Lu}[\\p{L}'-]+)?)\\s*\\)|"
                    u"[,\\-–—]\\s*(?:from|від)\\s+(\\p{Lu}[\\p{L}'-]+(?:\\s+\\p{Lu}[\\p{L}'-]+)?)\\s*$)"_s);
    QRegularExpression emptyBrackets = makeRegex(u"\\(\\s*[,;:]?\\s*\\)|\\[\\s*\\]"_s);
    QRegularExpression edgeJunk = makeRegex(u"^[\\s,;:.|/\\\\–—\\-_=+*•·]+|[\\s,;:|/\\\\–—\\-_=+*•·(]+$"_s);
    QRegularExpression spaceBeforePunct = makeRegex(u"\\s+([,;:.!?)])"_s);
    QRegularExpression doublePunct = makeRegex(u"([,;:])\\s*[,;:]+"_s);
    QRegularExpression firstWord = makeRegex(u"^[\\p{L}'’-]+"_s);
};

const Rules &rules()
{
    thread_local const Rules r;
    return r;
}

// Verbs that open an English to-do line ("Call the bank", "Send the invoice").
const QSet<QString> &englishVerbs()
{
    static const QSet<QString> verbs = [] {
        const auto words
            = u"add announce answer apply approve archive arrange ask attend back bake book bring buy call cancel "
              u"bump change charge check choose clean clear close collect comment complete confirm contact "
              u"compress cook copy create debug decide deliver deploy design discuss do download draft drop email "
              u"e-mail estimate feed file fill finalize finalise find finish fix follow forward freeze get give go "
              u"grab "
              u"hand handle help hire implement install investigate invite invoice iron learn leave let look "
              u"mail make measure meet merge message migrate move note notify open order organize "
              u"organise pack pay phone pick ping plan plant post prepare present print publish push "
              u"put read record refactor register release remind remove renew rent repair replace reply "
              u"report request reschedule research reserve respond retry return review rewrite run schedule "
              u"sell send set share ship shop sign sort start submit sync tag take talk tell test text "
              u"tidy transfer translate try turn unsubscribe update upgrade upload vacuum verify visit "
              u"wash watch water wrap write"_s;
        QSet<QString> set;
        for (const auto &w : words.split(u' ', Qt::SkipEmptyParts))
            set.insert(w);
        return set;
    }();
    return verbs;
}

// Ukrainian to-do lines open with an infinitive ("купити", "надіслати") or an imperative.
bool isUkrainianVerb(const QString &word)
{
    static const QSet<QString> imperatives = [] {
        const auto words = u"купи зроби надішли відправ подзвони зателефонуй напиши перевір запиши візьми забери "
                           u"оплати підготуй прочитай замов принеси відповідай відповісти онови прибери поміняй "
                           u"виправ допиши додай створи скасуй запроси нагадай забронюй домовся поговори "
                           u"заплати передай погодь узгодь підпиши здай віднеси занеси почисти помий вимий "
                           u"полий приготуй спитай запитай покажи перевірте надішліть зробіть"_s;
        QSet<QString> set;
        for (const auto &w : words.split(u' ', Qt::SkipEmptyParts))
            set.insert(w);
        return set;
    }();
    if (word.size() < 3)
        return false;
    return imperatives.contains(word) || word.endsWith(u"ти"_s) || word.endsWith(u"тися"_s) || word.endsWith(u"тись"_s)
        || word.endsWith(u"іть"_s) || word.endsWith(u"йте"_s);
}

// Menu bars ("File Edit View Window Help") are window chrome, not a list of imperatives.
bool isMenuBar(const QString &text)
{
    static const QSet<QString> menus = [] {
        const auto words = u"file edit view window help go tools format insert selection run terminal history "
                           u"bookmarks image layer filter select debug project build options settings actions "
                           u"файл правка зміни редагування вигляд вид вікно довідка інструменти формат вставка "
                           u"перехід налаштування"_s;
        QSet<QString> set;
        for (const auto &w : words.split(u' ', Qt::SkipEmptyParts))
            set.insert(w);
        return set;
    }();
    // The application's name often leads the bar: most words, not all, are menu names.
    QStringList words;
    for (const QString &raw : text.toLower().split(u' ', Qt::SkipEmptyParts)) {
        QString w;
        for (const QChar c : raw) {
            if (c.isLetterOrNumber())
                w += c;
        }
        if (!w.isEmpty())
            words << w;
    }
    const auto menuWords
        = std::count_if(words.begin(), words.end(), [](const QString &w) { return menus.contains(w); });
    return menuWords >= 2 && menuWords * 10 >= words.size() * 7;
}

bool opensWithVerb(const QString &text)
{
    const QString word = rules().firstWord.match(text).captured(0).toLower();
    return englishVerbs().contains(word) || isUkrainianVerb(word);
}

// OCR reading Ukrainian and English at once mixes look-alike letters of the two scripts into
// one word ("Kупити", "B роботі"). A letter that has a twin in the other script is written in
// the script of its word, or of its line for a word of one letter; other words stay as read.
QString repairScripts(const QString &line)
{
    static const QString latin = u"aceiopxyABCEHIKMOPTX"_s;
    static const QString cyrillic = u"асеіорхуАВСЕНІКМОРТХ"_s;
    const QStringList words = line.split(u' ');
    int cyrillicWords = 0, latinWords = 0;
    for (const QString &w : words) {
        const bool cyr = std::any_of(w.begin(), w.end(), [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
        const bool lat = std::any_of(w.begin(), w.end(), [](QChar c) { return c.script() == QChar::Script_Latin; });
        cyrillicWords += cyr && !lat;
        latinWords += lat && !cyr;
    }
    QStringList out;
    for (QString w : words) {
        int cyr = 0, lat = 0;
        for (QChar c : std::as_const(w)) {
            cyr += c.script() == QChar::Script_Cyrillic;
            lat += c.script() == QChar::Script_Latin;
        }
        const bool toCyrillic
            = cyr > 0 && lat > 0 ? cyr >= lat : (lat == 1 && w.size() == 1 && cyrillicWords >= 1 && latinWords == 1);
        const bool toLatin = cyr > 0 && lat > 0 && lat > cyr;
        if (toCyrillic || toLatin) {
            const QString &from = toCyrillic ? latin : cyrillic;
            const QString &to = toCyrillic ? cyrillic : latin;
            for (QChar &c : w) {
                if (const qsizetype i = from.indexOf(c); i >= 0)
                    c = to.at(i);
            }
        }
        out << w;
    }
    return out.join(u' ');
}

// "Fixthe gate": OCR lost the space between a verb and the word after it.
QString splitGluedVerb(const QString &title)
{
    static const QStringList glued { u"the"_s, u"a"_s, u"an"_s, u"my"_s, u"our"_s, u"your"_s, u"up"_s, u"to"_s };
    const qsizetype space = title.indexOf(u' ');
    const QString first = (space < 0 ? title : title.left(space)).toLower();
    if (englishVerbs().contains(first))
        return title;
    for (const QString &g : glued) {
        if (first.size() > g.size() + 1 && first.endsWith(g) && englishVerbs().contains(first.chopped(g.size())))
            return title.left(first.size() - g.size()) + u' ' + title.mid(first.size() - g.size());
    }
    return title;
}

// Source code around a "// TODO:" comment is neither its wrapped part nor a task of its own.
bool looksLikeCode(const QString &text)
{
    thread_local const QRegularExpression code = makeRegex(u"[;{}=<>]|\\(\\)|::|->|^#include|\\)$"_s);
    return code.match(text).hasMatch();
}

int wordCount(const QString &text)
{
    return int(text.split(u' ', Qt::SkipEmptyParts).size());
}

Classified classifyMarker(const QString &line);

Classified classify(const QString &line)
{
    Classified c = classifyMarker(line);
    // "- TODO: …", "1. Зробити: …": the prefix goes as well as the bullet.
    if (c.marker == Marker::Open || c.marker == Marker::Bullet || c.marker == Marker::Number) {
        if (const auto m = rules().todoPrefix.match(c.rest); m.hasMatch())
            c.rest = m.captured(1);
    }
    return c;
}

Classified classifyMarker(const QString &line)
{
    const Rules &r = rules();
    QRegularExpressionMatch m;
    if ((m = r.checked.match(line)).hasMatch() || (m = r.todoTxtDone.match(line)).hasMatch())
        return { Marker::Checked, m.captured(1) };
    if ((m = r.open.match(line)).hasMatch())
        return { Marker::Open, m.captured(1) };
    if ((m = r.todoPrefix.match(line)).hasMatch())
        return { Marker::TodoPrefix, m.captured(1) };
    if ((m = r.todoTxtPriority.match(line)).hasMatch() && m.captured(1).at(0).isUpper()) {
        // todo.txt: (A) is the most pressing, (B) ordinary, the rest can wait.
        const QChar level = m.captured(1).at(0);
        return { Marker::Bullet, m.captured(2),
                 level == u'A' || level == u'А' ? u"high"_s
                                                : (level == u'B' || level == u'В' ? u"medium"_s : u"low"_s) };
    }
    if (r.todoHeading.match(line).hasMatch() || r.doneHeading.match(line).hasMatch()
        || r.notesHeading.match(line).hasMatch())
        return { Marker::Heading, line };
    if ((m = r.number.match(line)).hasMatch())
        return { Marker::Number, m.captured(1) };
    if ((m = r.bullet.match(line)).hasMatch())
        return { Marker::Bullet, m.captured(1) };
    if ((m = r.trailingTodo.match(line)).hasMatch())
        return { Marker::TodoPrefix, m.captured(1) };
    if ((m = r.gluedBox.match(line)).hasMatch()) {
        const QString rest = m.captured(1);
        if (rest.size() > 2 && rest.at(0).isUpper() && rest.at(1).isLower() && opensWithVerb(rest))
            return { Marker::Open, rest };
    }
    if (wordCount(line) <= 5 && r.shortHeading.match(line).hasMatch())
        return { Marker::Heading, line };
    if ((m = r.byline.match(line)).hasMatch() && !opensWithVerb(line)) {
        const QStringList names = m.captured(1).split(u' ', Qt::SkipEmptyParts);
        // "Dentist 10:00" is an appointment: a byline has a full name or a twelve-hour time.
        const bool twelveHour = line.back().toLower() == u'm';
        if ((names.size() >= 2 || twelveHour)
            && std::all_of(names.begin(), names.end(), [](const QString &w) { return w.at(0).isUpper(); }))
            return { Marker::Byline, line, {}, m.captured(1) };
    }
    return { Marker::None, line };
}

// A run of lines that forms one item (or one paragraph when unmarked).
struct Entry
{
    Marker marker = Marker::None;
    QString text;
    int block = 0;
    int left = -1;
    int top = -1;
    int height = 0;
    int bottom = -1;
    int lastLineWords = 0;
    bool capitalised = false; // the line as written began with a capital (before "TODO:" and the like)
    bool todoHeading = false;
    bool longProse = false;
    ListKind kind = ListKind::Plain; // of a heading: what its items are
    QString priority; // a todo.txt priority
    QString person; // the sender a byline names
    DeadlineParser::Match note; // a deadline in the smaller text under an item ("Content · Mar 14")

    bool hasGeometry() const { return left >= 0 && top >= 0 && height > 0; }
};

// Whether \a below continues the column of \a above closely enough to belong to one list (or
// one item): near underneath and about as far left. Screens put side bars and other columns
// between the lines of a list in reading order, so neighbours are found by position.
bool follows(const Entry &above, const Entry &below, int gapLines)
{
    if (!above.hasGeometry() || !below.hasGeometry())
        return above.block == below.block;
    const int unit = std::max(above.height, below.height);
    return below.top >= above.top && below.top - above.bottom <= gapLines * unit
        && std::abs(below.left - above.left) <= 2 * unit;
}

bool isContinuation(const Entry &line, const Classified &c, const Entry &entry)
{
    if (entry.marker == Marker::Heading || entry.marker == Marker::Byline || c.marker != Marker::None)
        return false;
    const QString &text = c.rest;
    const bool geometry = entry.hasGeometry() && line.hasGeometry();
    if (!geometry && entry.block != line.block)
        return false;
    if (geometry) {
        const int unit = std::max(entry.height, line.height);
        if (line.top < entry.top || line.top - entry.bottom > unit)
            return false; // above, or after a gap: not the wrapped part
        if (line.left < entry.left - unit / 2 || line.left > entry.left + 3 * unit)
            return false; // sticks out to the left, or another column
    }
    const bool indented = geometry && line.left > entry.left + entry.height * 6 / 10;
    if (entry.marker != Marker::None && indented)
        return true;
    if (text.isEmpty() || looksLikeCode(text))
        return false;
    const QChar first = text.at(0);
    const QChar last = entry.text.isEmpty() ? QChar() : entry.text.back();
    const bool sentenceEnded = last == u'.' || last == u'!' || last == u'?' || last == u':';
    if (first.isLower() && !sentenceEnded && !opensWithVerb(text))
        return true;
    // Prose wraps long lines: an unmarked paragraph keeps them together whatever they start with.
    return entry.marker == Marker::None && entry.lastLineWords >= 8 && !sentenceEnded && !opensWithVerb(text)
        && !first.isDigit();
}

QString joinWrapped(const QString &head, const QString &tail)
{
    if (head.endsWith(u'-') && head.size() > 1 && head.at(head.size() - 2).isLetter() && !tail.isEmpty()
        && tail.at(0).isLower())
        return head.chopped(1) + tail;
    return head + u' ' + tail;
}

QString toNominative(const QString &name)
{
    // Ukrainian names after "від" stand in the genitive: "від Анни" is from Анна.
    QStringList parts = name.split(u' ', Qt::SkipEmptyParts);
    for (QString &w : parts) {
        if (w.isEmpty() || w.at(0).script() != QChar::Script_Cyrillic)
            continue;
        if (w.endsWith(u"ії"_s))
            w = w.chopped(1) + u'я';
        else if (w.endsWith(u"ія"_s))
            w = w.chopped(1) + u'й';
        else if (w.endsWith(u'и'))
            w = w.chopped(1) + u'а';
        else if (w.endsWith(u'і'))
            w = w.chopped(1) + u'я';
        else if (w.endsWith(u'а') && w.size() > 3)
            w.chop(1);
    }
    return parts.join(u' ');
}

QString tidy(QString text)
{
    const Rules &r = rules();
    for (int i = 0; i < 3; ++i) {
        text.replace(r.emptyBrackets, u" "_s);
        text.replace(r.doublePunct, u"\\1"_s);
        text.replace(r.spaceBeforePunct, u"\\1"_s);
        text = text.simplified();
        text.replace(r.edgeJunk, QString());
    }
    // An unbalanced bracket left behind by a cut deadline: "(by Friday" → "".
    if (text.count(u'(') != text.count(u')')) {
        text.remove(u'(');
        text.remove(u')');
    }
    return text.simplified();
}

bool looksLikeText(const QString &title)
{
    int letters = 0, plain = 0;
    for (const QChar c : title) {
        if (c.isLetter())
            ++letters;
        if (c.isLetterOrNumber() || c.isSpace() || c == u'\'' || c == u',' || c == u'.')
            ++plain;
    }
    // Window buttons "– □ ×" read as "oOxX".
    static const QString buttonLetters = u"oOxXоОхХ"_s;
    if (std::all_of(title.begin(), title.end(), [](QChar c) { return !c.isLetter() || buttonLetters.contains(c); }))
        return false;
    return letters >= 3 && plain * 10 >= title.size() * 7;
}

struct Item
{
    QString text;
    bool capitalised = false;
    QString priority; // from the item's marker, when it has one
    QString person; // who asked, when a message says
    DeadlineParser::Match note; // the item's own deadline written beside it
};

std::optional<RecognizedTask> makeTask(const Item &item, const QDate today, const QTimeZone &zone,
                                       const DeadlineParser::Match &inherited)
{
    const Rules &r = rules();
    RecognizedTask task;
    QString text = item.text;
    const bool capitalised = item.capitalised;
    // todo.txt: "due:2026-03-12" is a deadline; trailing "+project" and "@context" tags are no title.
    text.replace(r.todoTxtDue, u"by "_s);
    text.remove(r.tags);
    if (!item.person.isEmpty())
        task.sourcePerson = item.person;
    if (!item.priority.isEmpty())
        task.priority = item.priority;

    if (const auto m = r.personLead.match(text); m.hasMatch()) {
        task.sourcePerson = toNominative(m.captured(1));
        text = m.captured(2);
    } else if (const auto m2 = r.personInside.match(text); m2.hasMatch()) {
        task.sourcePerson = toNominative(m2.captured(1).isEmpty() ? m2.captured(2) : m2.captured(1));
        text.remove(m2.capturedStart(0), m2.capturedLength(0));
    }

    // Low first: "not urgent" must not read as urgent.
    if (r.lowPriority.match(text).hasMatch()) {
        task.priority = u"low"_s;
        text.replace(r.lowPriority, u" "_s);
    } else if (r.highPriority.match(text).hasMatch()) {
        task.priority = u"high"_s;
        text.replace(r.highPriority, u" "_s);
    }

    DeadlineParser::Match deadline = DeadlineParser::parse(text, today);
    text = deadline.remainder;
    if (!deadline.found())
        deadline = item.note;
    // Items under a heading such as "Tomorrow:" take its day unless they name their own.
    if (!deadline.found())
        deadline = inherited;
    else if (!deadline.date && inherited.date)
        deadline.date = inherited.date;
    if (deadline.time) {
        const QDate day = deadline.date.value_or(today);
        task.dueAt = QDateTime(day, *deadline.time, zone).toUTC();
    } else if (deadline.date) {
        task.dueDate = deadline.date->toString(u"yyyy-MM-dd"_s);
    }

    text = splitGluedVerb(tidy(text));
    if (!looksLikeText(text))
        return std::nullopt;
    if (capitalised && text.at(0).isLower())
        text[0] = text.at(0).toUpper();
    task.title = text;
    return task;
}
} // namespace

namespace TaskExtractor {
bool startsWithVerb(const QString &text)
{
    return opensWithVerb(text);
}

QString normalizedLine(const QString &line)
{
    QString s = line.normalized(QString::NormalizationForm_KC);
    for (QChar &c : s) {
        switch (c.unicode()) {
        case 0x2019:
        case 0x2018:
        case 0x02BC:
        case 0x0060:
        case 0x00B4:
        case 0x2032:
            c = u'\'';
            break;
        case 0x201C:
        case 0x201D:
        case 0x201E:
        case 0x00AB:
        case 0x00BB:
            c = u'"';
            break;
        default:
            break;
        }
    }
    return s.simplified();
}

QList<RecognizedTask> extract(const QList<TextLine> &input, const Context &context)
{
    QTimeZone zone(context.timeZone.toUtf8());
    if (!zone.isValid())
        zone = QTimeZone::utc();
    // Without a capture time, relative words count from now rather than from no day at all.
    const QDateTime moment = context.localTime.isValid() ? context.localTime : QDateTime::currentDateTimeUtc();
    const QDate today = moment.toTimeZone(zone).date();
    const Rules &r = rules();
    const QList<TextLine> lines = LayoutAnalysis::analyse(input);

    // Pass 1: lines into entries (an item with its wrapped lines, a heading, a byline, a paragraph).
    QList<Entry> entries;
    int block = 0;
    for (const TextLine &raw : lines) {
        QString text = repairScripts(normalizedLine(raw.text));
        text.remove(r.leadingJunk);
        if (text.isEmpty())
            continue;
        if (raw.blockStart)
            ++block;
        const Classified c = classify(text);
        // Rules, separators and icons that OCR turns into "——" or ": _," carry no words.
        if (std::none_of(c.rest.begin(), c.rest.end(), [](QChar ch) { return ch.isLetterOrNumber(); }))
            continue;
        Entry e;
        e.marker = c.marker;
        e.text = c.rest;
        e.block = block;
        e.left = raw.left;
        e.top = raw.top;
        e.height = raw.height;
        e.bottom = raw.top >= 0 && raw.height > 0 ? raw.top + raw.height : -1;
        e.priority = c.priority;
        e.person = c.person;

        // The entry this line may continue: the latest one it sits under (lines of other
        // columns can come in between).
        Entry *above = nullptr;
        for (qsizetype j = entries.size() - 1; j >= 0 && j >= entries.size() - 8; --j) {
            if (!e.hasGeometry() || !entries[j].hasGeometry()) {
                above = &entries[j];
                break;
            }
            if (follows(entries[j], e, 1)
                || (e.left > entries[j].left && e.top >= entries[j].top
                    && e.top - entries[j].bottom <= std::max(e.height, entries[j].height))) {
                above = &entries[j];
                break;
            }
        }
        // Smaller text right under an item (a card's label, its due chip) belongs to the item, and
        // so does a single word close under a longer item ("Bug").
        const bool label = above && e.hasGeometry() && above->hasGeometry() && above->marker == Marker::None
            && wordCount(text) == 1 && wordCount(above->text) >= 3 && !opensWithVerb(text)
            && e.top - above->bottom <= above->height / 2;
        if (above && c.marker == Marker::None && above->marker != Marker::Heading && above->marker != Marker::Byline
            && e.hasGeometry() && above->hasGeometry() && (label || e.height * 10 < above->height * 7)
            && std::abs(e.left - above->left) <= above->height && wordCount(text) <= 4 && !opensWithVerb(text)) {
            const DeadlineParser::Match note = DeadlineParser::parse(text, today);
            if (note.found() && !above->note.found())
                above->note = note;
            above->bottom = std::max(above->bottom, e.bottom);
            continue;
        }
        if (c.marker == Marker::None && r.counter.match(text).hasMatch() && !opensWithVerb(text)
            && !DeadlineParser::parse(text, today).found())
            continue;
        if (above && isContinuation(e, c, *above)) {
            above->text = joinWrapped(above->text, c.rest);
            above->lastLineWords = wordCount(c.rest);
            if (e.bottom >= 0)
                above->bottom = std::max(above->bottom, e.bottom);
            continue;
        }
        e.lastLineWords = wordCount(c.rest);
        const auto firstLetter = std::find_if(text.begin(), text.end(), [](QChar ch) { return ch.isLetter(); });
        // "// TODO: …" and "x = 0; // TODO …" name a task of their own: a title starts with a capital.
        e.capitalised = (firstLetter != text.end() && firstLetter->isUpper()) || c.marker == Marker::TodoPrefix;
        if (c.marker == Marker::Heading) {
            e.todoHeading = r.todoHeading.match(text).hasMatch();
            e.kind = e.todoHeading                      ? ListKind::Todo
                : r.doneHeading.match(text).hasMatch()  ? ListKind::Done
                : r.notesHeading.match(text).hasMatch() ? ListKind::Notes
                                                        : ListKind::Plain;
        }
        entries.append(e);
    }
    QList<int> heights;
    for (Entry &e : entries) {
        e.longProse = e.marker == Marker::None && (wordCount(e.text) > 14 || e.text.endsWith(u'?'));
        if (e.hasGeometry())
            heights << e.height;
    }
    std::sort(heights.begin(), heights.end());
    const int typicalHeight = heights.isEmpty() ? 0 : heights.at(heights.size() / 2);

    // Page and form titles stand in large type; so do toolbar icons read as letters.
    // A marked item may stand in a larger type than the side bar beside it: it needs more.
    auto largeType = [&](const Entry &e) {
        return typicalHeight > 0 && e.height * 100 > typicalHeight * (e.marker == Marker::None ? 135 : 145);
    };
    auto shortImperative = [](const Entry &e) {
        return e.marker == Marker::None && !e.longProse && wordCount(e.text) >= 2 && wordCount(e.text) <= 12
            && opensWithVerb(e.text) && !e.text.endsWith(u'?') && !looksLikeCode(e.text) && !isMenuBar(e.text);
    };
    auto markedItem = [](const Entry &e) {
        return e.marker == Marker::Open || e.marker == Marker::Checked || e.marker == Marker::Bullet
            || e.marker == Marker::Number || e.marker == Marker::TodoPrefix;
    };
    auto sameColumn = [](const Entry &a, const Entry &b) {
        if (!a.hasGeometry() || !b.hasGeometry())
            return true;
        return std::abs(a.left - b.left) <= 2 * std::max(a.height, b.height);
    };
    // The sender of a message: the byline above it, or a bare name right above (messengers
    // put the time at the end of the message).
    auto senderOf = [&](qsizetype i) {
        const Entry &e = entries.at(i);
        for (qsizetype j = i - 1; j >= 0 && j >= i - 4; --j) {
            const Entry &a = entries.at(j);
            // Avatars and bubble borders read in front of a message shift its left edge.
            const int unit = std::max(a.height, e.height);
            if (a.hasGeometry() && e.hasGeometry()
                && (e.top < a.top || e.top - a.bottom > unit || std::abs(e.left - a.left) > 4 * unit))
                continue;
            if (a.marker == Marker::Byline)
                return a.person;
            const QStringList names = a.text.split(u' ', Qt::SkipEmptyParts);
            if (a.marker == Marker::None && names.size() <= 2 && !opensWithVerb(a.text)
                && std::all_of(names.begin(), names.end(), [](const QString &w) {
                       return w.at(0).isUpper()
                           && std::all_of(w.begin(), w.end(), [](QChar c) { return c.isLetter(); });
                   }))
                return a.text;
            break;
        }
        return QString();
    };

    // Pass 2: which entries are tasks. Lists open under headings, one per column: boards and
    // pages with panels put the lines of several columns between each other in reading order.
    struct List
    {
        qsizetype last; // the heading, then the list's latest line
        ListKind kind;
        DeadlineParser::Match deadline;
    };
    QList<List> lists;
    QList<RecognizedTask> tasks;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Entry &e = entries.at(i);
        if (e.marker == Marker::Byline)
            continue;
        if (e.marker == Marker::Heading) {
            lists.removeIf([&](const List &l) { return sameColumn(entries.at(l.last), e); });
            lists.append(List { i, e.kind, DeadlineParser::parse(e.text, today) });
            continue;
        }
        const List *list = nullptr;
        for (List &l : lists) {
            const Entry &a = entries.at(l.last);
            // A heading stands a little apart from its list, and cards on a board stand apart
            // from each other; without geometry the list is the heading's block or, when the
            // heading stands alone, the next one.
            const bool inList = (a.hasGeometry() && e.hasGeometry())
                ? follows(a, e, 3)
                : (e.block == a.block || (a.marker == Marker::Heading && e.block == a.block + 1));
            if (inList) {
                l.last = i;
                list = &l;
                break;
            }
        }
        if (!list)
            lists.removeIf([&](const List &l) { return sameColumn(entries.at(l.last), e); });
        const ListKind kind = list ? list->kind : ListKind::Plain;
        if (kind == ListKind::Done || (kind == ListKind::Notes && e.marker != Marker::Open))
            continue;

        Item item { e.text, e.capitalised, e.priority, {}, e.note };
        bool candidate = false;
        switch (e.marker) {
        case Marker::Open:
            candidate = !r.consent.match(e.text).hasMatch();
            break;
        case Marker::Bullet:
        case Marker::Number:
            // Code read with a bullet in front, and statements ("We will …").
            candidate = !r.codeStatement.match(e.text).hasMatch() && !r.statement.match(e.text).hasMatch()
                && !r.consent.match(e.text).hasMatch() && !largeType(e);
            break;
        case Marker::TodoPrefix:
            candidate = true;
            break;
        case Marker::None: {
            const QString message = QString(e.text).remove(r.messageTime);
            if (const auto m = r.request.match(message); m.hasMatch() && message != m.captured(1)) {
                const QString asked = m.captured(1);
                if (wordCount(asked) <= 14 && opensWithVerb(asked)) {
                    item.text = asked;
                    item.capitalised = true;
                    item.person = senderOf(i);
                    candidate = true;
                }
                break;
            }
            // Page and form titles stand in large type.
            if (e.longProse || r.consent.match(e.text).hasMatch() || largeType(e))
                break;
            const int words = wordCount(e.text);
            // A sentence ends with a full stop; an abbreviated date ("14 бер.") does not make one.
            const bool sentence = (e.text.endsWith(u'.') && !r.shortDateEnd.match(e.text).hasMatch())
                || r.statement.match(e.text).hasMatch();
            if (list && words <= (kind == ListKind::Todo ? 14 : 8) && !sentence)
                candidate = true;
            else if (shortImperative(e)) {
                // In a list: a line like it, or a marked item, right above or below.
                for (qsizetype j = i - 1; j >= 0 && j >= i - 8 && !candidate; --j) {
                    if (follows(entries.at(j), e, 2))
                        candidate = shortImperative(entries.at(j)) || markedItem(entries.at(j));
                    else if (!entries.at(j).hasGeometry())
                        break;
                }
                for (qsizetype j = i + 1; j < entries.size() && j <= i + 8 && !candidate; ++j) {
                    if (follows(e, entries.at(j), 2))
                        candidate = shortImperative(entries.at(j)) || markedItem(entries.at(j));
                    else if (!entries.at(j).hasGeometry())
                        break;
                }
            }
            break;
        }
        default:
            break;
        }
        if (!candidate)
            continue;
        if (auto task = makeTask(item, today, zone, list ? list->deadline : DeadlineParser::Match {}))
            tasks.append(*task);
    }
    return tasks;
}

QList<RecognizedTask> extract(const QStringList &lines, const Context &context)
{
    return extract(TextLine::fromPlainText(lines), context);
}
} // namespace TaskExtractor
