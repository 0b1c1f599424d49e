// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Prints what the recognizer reads from image files, line by line with geometry, and the
// tasks it extracts: the tool for looking into a misread screenshot.
// Usage: ocrdump [--lang uk|en] IMAGE|TEXT.txt...
#include "ocrimage.h"
#include "taskextractor.h"
#include "tesseractrecognizer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
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
        if (path.endsWith(u".txt"_s)) {
            // Plain text, one line per line: the extraction alone.
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
                continue;
            const QStringList text = QString::fromUtf8(file.readAll()).split(u'\n');
            for (const RecognizedTask &t :
                 TaskExtractor::extract(text, { QDateTime::currentDateTimeUtc(), u"UTC"_s, language }))
                out << "  => " << t.title << " [" << t.priority << "] " << t.dueDate.value_or(QString())
                    << (t.dueAt ? t.dueAt->toString(Qt::ISODate) : QString()) << '\n';
            continue;
        }
        QImage image(path);
        if (image.isNull()) {
            out << path << ": unreadable\n";
            continue;
        }
        if (qEnvironmentVariableIsSet("OCRDUMP_PAGE"))
            OcrImage::withoutRules(OcrImage::prepare(image)).save(qEnvironmentVariable("OCRDUMP_PAGE"));
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
