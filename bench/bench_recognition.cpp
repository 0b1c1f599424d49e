// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Recognition quality and time on the fixed set of rendered screenshots: title recall and
// precision (titles compared after folding case and spaces), deadline and priority accuracy
// over the tasks found, and milliseconds per screenshot.
// Usage: bench_recognition [-v] [--save DIR] [NAME-SUBSTRING]
#include "tesseractrecognizer.h"
#include "todoscreens.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
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

    int expectedTotal = 0, foundTotal = 0, matched = 0, dueRight = 0, priorityRight = 0;
    QList<qint64> times;
    for (const TodoScreens::Screen &screen : TodoScreens::all()) {
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
        times << timer.elapsed();

        QList<RecognizedTask> found = result.tasks;
        int screenMatched = 0;
        QStringList notes;
        for (const TodoScreens::Expected &e : screen.expected) {
            const auto hit = std::find_if(found.begin(), found.end(),
                                          [&](const RecognizedTask &t) { return fold(t.title) == fold(e.title); });
            if (hit == found.end()) {
                notes << u"    missed: "_s + e.title;
                continue;
            }
            ++screenMatched;
            if (dueOf(*hit) == e.due)
                ++dueRight;
            else
                notes << u"    deadline of \""_s + e.title + u"\": "_s + dueOf(*hit) + u" instead of "_s + e.due;
            if (hit->priority == e.priority)
                ++priorityRight;
            else
                notes << u"    priority of \""_s + e.title + u"\": "_s + hit->priority + u" instead of "_s + e.priority;
            found.erase(hit);
        }
        for (const RecognizedTask &extra : found)
            notes << u"    extra: "_s + extra.title;
        expectedTotal += int(screen.expected.size());
        foundTotal += int(result.tasks.size());
        matched += screenMatched;
        out << QStringLiteral("%1  %2/%3 found, %4 extra, %5 ms%6\n")
                   .arg(screen.name, -34)
                   .arg(screenMatched)
                   .arg(screen.expected.size())
                   .arg(found.size())
                   .arg(times.back())
                   .arg(result.done ? QString() : u"  FAILED "_s + result.error);
        if (verbose && !notes.isEmpty())
            out << notes.join(u'\n') << '\n';
    }
    if (times.isEmpty())
        return 1;
    std::sort(times.begin(), times.end());
    qint64 sum = 0;
    for (qint64 t : times)
        sum += t;
    auto percent = [](int a, int b) { return b == 0 ? 0.0 : 100.0 * a / b; };
    out << "\nscreenshots: " << times.size() << ", tasks expected: " << expectedTotal << ", found: " << foundTotal
        << '\n';
    out << QStringLiteral("title recall:       %1 %  (%2/%3)\n")
               .arg(percent(matched, expectedTotal), 0, 'f', 1)
               .arg(matched)
               .arg(expectedTotal);
    out << QStringLiteral("title precision:    %1 %  (%2/%3)\n")
               .arg(percent(matched, foundTotal), 0, 'f', 1)
               .arg(matched)
               .arg(foundTotal);
    out << QStringLiteral("deadline accuracy:  %1 %  (of the matched tasks)\n")
               .arg(percent(dueRight, matched), 0, 'f', 1);
    out << QStringLiteral("priority accuracy:  %1 %  (of the matched tasks)\n")
               .arg(percent(priorityRight, matched), 0, 'f', 1);
    out << QStringLiteral("time per screenshot: mean %1 ms, median %2 ms, max %3 ms\n")
               .arg(sum / times.size())
               .arg(times.at(times.size() / 2))
               .arg(times.back());
    return 0;
}
