// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Recognition quality and time on two sets of rendered screenshots: the plain one (lists on
// simple windows) and the realistic one (whole application windows with their furniture). Title
// recall and precision (titles compared after folding case and spaces), deadline and priority
// accuracy over the tasks found, and milliseconds per screenshot; per kind of screen and in all.
// Usage: bench_recognition [-v] [--save DIR] [--corpus plain|real|all] [NAME-SUBSTRING]
#include "realscreens.h"
#include "tesseractrecognizer.h"
#include "todoscreens.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMap>
#include <QTextStream>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
QString fold(const QString &title)
{
    QString s = title.simplified().toCaseFolded();
    while (!s.isEmpty() && (s.back() == u'.' || s.back() == u',' || s.back() == u':' || s.back() == u';'))
        s.chop(1);
    return s.replace(u'’', u'\'');
}

QString dueOf(const RecognizedTask &t)
{
    if (t.dueAt)
        return t.dueAt->toUTC().toString(u"yyyy-MM-ddTHH:mm:ss'Z'"_s);
    return t.dueDate.value_or(QString());
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool verbose = args.removeAll(u"-v"_s) > 0;
    QString saveDir;
    if (const qsizetype i = args.indexOf(u"--save"_s); i >= 0 && i + 1 < args.size()) {
        saveDir = args.at(i + 1);
        args.remove(i, 2);
        QDir().mkpath(saveDir);
    }
    QString corpus = u"all"_s;
    if (const qsizetype i = args.indexOf(u"--corpus"_s); i >= 0 && i + 1 < args.size()) {
        corpus = args.at(i + 1);
        args.remove(i, 2);
    }
    const QString filter = args.value(0);
    QTextStream out(stdout);

    TesseractRecognizer recognizer;
    {
        // Engines load once per thread; keep that out of the per-screenshot time.
        QElapsedTimer init;
        init.start();
        QImage warm(64, 64, QImage::Format_RGB32);
        warm.fill(Qt::white);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        warm.save(&buffer, "PNG");
        for (const QString &lang : { u"en"_s, u"uk"_s })
            recognizer.recognize({ bytes, QDateTime::currentDateTimeUtc(), u"UTC"_s, lang });
        out << "engine start-up (eng, ukr+eng): " << init.elapsed() << " ms\n";
    }

    struct Tally
    {
        int expected = 0, found = 0, matched = 0, dueRight = 0, priorityRight = 0;
        QList<qint64> times;
    };
    auto report = [&out](const QString &label, Tally t) {
        if (t.times.isEmpty())
            return;
        std::sort(t.times.begin(), t.times.end());
        auto percent = [](int a, int b) { return b == 0 ? 100.0 : 100.0 * a / b; };
        out << QStringLiteral("%1 recall %2 % (%3/%4)  precision %5 % (%6/%7)  deadlines %8 %  priority %9 %  "
                              "median %10 ms  worst %11 ms\n")
                   .arg(label, -22)
                   .arg(percent(t.matched, t.expected), 5, 'f', 1)
                   .arg(t.matched)
                   .arg(t.expected)
                   .arg(percent(t.matched, t.found), 5, 'f', 1)
                   .arg(t.matched)
                   .arg(t.found)
                   .arg(percent(t.dueRight, t.matched), 5, 'f', 1)
                   .arg(percent(t.priorityRight, t.matched), 5, 'f', 1)
                   .arg(t.times.at(t.times.size() / 2))
                   .arg(t.times.back());
    };

    const QList<std::pair<QString, QList<TodoScreens::Screen>>> corpora {
        { u"plain"_s, corpus == u"real"_s ? QList<TodoScreens::Screen>() : TodoScreens::all() },
        { u"realistic"_s, corpus == u"plain"_s ? QList<TodoScreens::Screen>() : RealScreens::all() },
    };
    QList<std::pair<QString, Tally>> summary;
    for (const auto &[corpusName, screens] : corpora) {
        Tally total;
        QMap<QString, Tally> kinds;
        for (const TodoScreens::Screen &screen : screens) {
            if (!filter.isEmpty() && !screen.name.contains(filter))
                continue;
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            screen.image.save(&buffer, "PNG");
            if (!saveDir.isEmpty())
                screen.image.save(QDir(saveDir).filePath(screen.name + u".png"_s));

            QElapsedTimer timer;
            timer.start();
            const RecognitionResult result
                = recognizer.recognize({ png, screen.localTime, screen.timeZone, screen.language });
            const qint64 elapsed = timer.elapsed();

            QList<RecognizedTask> found = result.tasks;
            Tally one;
            one.times << elapsed;
            one.expected = int(screen.expected.size());
            one.found = int(found.size());
            QStringList notes;
            for (const TodoScreens::Expected &e : screen.expected) {
                const auto hit = std::find_if(found.begin(), found.end(),
                                              [&](const RecognizedTask &t) { return fold(t.title) == fold(e.title); });
                if (hit == found.end()) {
                    notes << u"    missed: "_s + e.title;
                    continue;
                }
                ++one.matched;
                if (dueOf(*hit) == e.due)
                    ++one.dueRight;
                else
                    notes << u"    deadline of \""_s + e.title + u"\": "_s + dueOf(*hit) + u" instead of "_s + e.due;
                if (hit->priority == e.priority)
                    ++one.priorityRight;
                else
                    notes << u"    priority of \""_s + e.title + u"\": "_s + hit->priority + u" instead of "_s
                            + e.priority;
                found.erase(hit);
            }
            for (const RecognizedTask &extra : found) {
                const bool furniture
                    = std::any_of(screen.notTasks.begin(), screen.notTasks.end(),
                                  [&](const QString &n) { return fold(extra.title).contains(fold(n)); });
                notes << (furniture ? u"    extra (must not be a task): "_s : u"    extra: "_s) + extra.title;
            }
            for (Tally *t : { &total, &kinds[screen.kind.isEmpty() ? corpusName : screen.kind] }) {
                t->expected += one.expected;
                t->found += one.found;
                t->matched += one.matched;
                t->dueRight += one.dueRight;
                t->priorityRight += one.priorityRight;
                t->times << elapsed;
            }
            out << QStringLiteral("%1  %2/%3 found, %4 extra, %5 ms%6\n")
                       .arg(screen.name, -34)
                       .arg(one.matched)
                       .arg(one.expected)
                       .arg(found.size())
                       .arg(elapsed)
                       .arg(result.done ? QString() : u"  FAILED "_s + result.error);
            if (verbose && !notes.isEmpty())
                out << notes.join(u'\n') << '\n';
        }
        if (total.times.isEmpty())
            continue;
        out << '\n' << corpusName << " corpus, " << total.times.size() << " screenshots, by kind:\n";
        for (auto it = kinds.cbegin(); it != kinds.cend(); ++it)
            report(u"  "_s + it.key(), it.value());
        out << '\n';
        summary.append({ corpusName, total });
    }
    if (summary.isEmpty())
        return 1;
    out << "summary:\n";
    for (const auto &[name, tally] : summary)
        report(name, tally);
    return 0;
}
