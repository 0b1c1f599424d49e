// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Prints what the recognizer reads from image files, line by line with geometry, and the
// tasks it extracts: the tool for looking into a misread screenshot.
// Usage: ocrdump [--lang uk|en] IMAGE...
#include "taskextractor.h"
#include "tesseractrecognizer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString language = u"en"_s;
    if (args.size() >= 2 && args.first() == u"--lang"_s) {
        language = args.at(1);
        args = args.mid(2);
    }
    QTextStream out(stdout);
    TesseractRecognizer recognizer;
    for (const QString &path : args) {
        QImage image(path);
        if (image.isNull()) {
            out << path << ": unreadable\n";
            continue;
        }
        QElapsedTimer timer;
        timer.start();
        const auto reading = recognizer.readLines(image, language);
        out << path << " (" << timer.elapsed() << " ms)\n";
        if (!reading.error.isEmpty()) {
            out << "  " << reading.error << '\n';
            continue;
        }
        for (const TextLine &line : reading.lines)
            out << (line.blockStart ? "  ---\n" : "") << "  [" << line.left << ',' << line.top << ' ' << line.height
                << "] " << line.text << '\n';
        const auto tasks
            = TaskExtractor::extract(reading.lines, { QDateTime::currentDateTimeUtc(), u"UTC"_s, language });
        for (const RecognizedTask &t : tasks)
            out << "  => " << t.title << " [" << t.priority << "] " << t.dueDate.value_or(QString())
                << (t.dueAt ? t.dueAt->toString(Qt::ISODate) : QString()) << '\n';
    }
    return 0;
}
