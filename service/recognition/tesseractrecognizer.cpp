// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "tesseractrecognizer.h"

#include "ocrimage.h"
#include "taskextractor.h"

#include <QDir>
#include <QFileInfo>
#include <QRect>
#include <QtGlobal>

#include <tesseract/baseapi.h>
#include <tesseract/ltrresultiterator.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#ifdef QUIBLY_HAVE_OPENMP
#include <omp.h>
#endif

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>

using namespace Qt::Literals::StringLiterals;

namespace {
// Keeps a huge upload from costing minutes or gigabytes inside Tesseract.
constexpr qint64 maxPixels = 24'000'000;
constexpr qint64 maxSourcePixels = 12'000'000;

bool hasLanguageData(const QString &dir, const QString &languages)
{
    if (dir.isEmpty())
        return false;
    const QStringList parts = languages.split(u'+', Qt::SkipEmptyParts);
    return std::all_of(parts.begin(), parts.end(), [&](const QString &lang) {
        return QFileInfo(QDir(dir).filePath(lang + u".traineddata"_s)).isFile();
    });
}

// TessBaseAPI is not thread-safe and slow to initialise: one engine per thread and language set.
tesseract::TessBaseAPI *engineFor(const QString &dir, const QString &languages)
{
    thread_local std::map<QString, std::unique_ptr<tesseract::TessBaseAPI>> engines;
    const QString key = dir + u'\n' + languages;
    if (auto it = engines.find(key); it != engines.end())
        return it->second.get();
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    if (api->Init(QFile::encodeName(dir).constData(), languages.toUtf8().constData(), tesseract::OEM_LSTM_ONLY) != 0)
        return nullptr;
    api->SetVariable("debug_file", "/dev/null");
    api->SetPageSegMode(tesseract::PSM_AUTO);
    return engines.emplace(key, std::move(api)).first->second.get();
}

bool isImageData(const QByteArray &bytes)
{
    return bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.startsWith("\xff\xd8\xff");
}

// Tesseract reads screen text best with lower-case letters about 16 to 24 pixels high: smaller ones
// lose their shapes and word gaps, and much larger ones confuse its layout pass (30 px text read at
// twice its size, letters 32 px high, lost its heading and misread its check boxes). Screens draw
// anything from 11 px text at ordinary density to 40 px and more at double density or zoomed, so
// the factor comes from the letters measured on the page, not from the image size. Small text is
// enlarged by a whole factor only: in between, resampling smears thin strokes (typed "[ ]" went
// missing at 1.5 times). Text larger than the band is reduced to its middle.
constexpr int minLetters = 16;
constexpr int maxLetters = 24;

double chooseScale(const QImage &gray)
{
    const int letters = OcrImage::letterHeight(gray);
    double scale = 1.0;
    if (letters == 0) {
        // Too little text to measure: a screen at ordinary density is the likelier case.
        scale = std::max(gray.width(), gray.height()) <= 2200 ? 2.0 : 1.0;
    } else if (letters > maxLetters) {
        scale = std::max(0.25, double(minLetters + maxLetters) / 2.0 / letters);
    } else {
        // The whole factor that lands the letters in the band or nearest to it; the smaller on a tie.
        auto miss = [&](int factor) {
            const int h = letters * factor;
            return h < minLetters ? minLetters - h : std::max(0, h - maxLetters);
        };
        int best = 1;
        for (int factor = 2; factor <= 3; ++factor) {
            if (miss(factor) < miss(best))
                best = factor;
        }
        scale = best;
    }
    const double pixels = double(gray.width()) * gray.height();
    if (pixels * scale * scale > double(maxPixels))
        scale = std::sqrt(double(maxPixels) / pixels);
    return scale;
}
} // namespace

TesseractRecognizer::TesseractRecognizer(const QString &tessdataDir, std::chrono::milliseconds deadline)
    : m_tessdataDir(tessdataDir.isEmpty() ? defaultTessdataDir() : tessdataDir)
    , m_deadline(deadline)
{
#ifdef QUIBLY_HAVE_OPENMP
    // Tesseract's OpenMP teams (several threads per recognition, busy-waiting between steps)
    // fight the service's own workers for the cores: on the recognition benchmark one thread
    // per recognition read a screenshot about three times faster on a busy two-core machine.
    // Recognitions then run in parallel only through the service's workers.
    static std::once_flag once;
    std::call_once(once, [] { omp_set_max_active_levels(0); });
#endif
}

QString TesseractRecognizer::defaultTessdataDir()
{
    QStringList candidates;
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty())
        candidates << prefix << QDir(prefix).filePath(u"tessdata"_s);
    candidates << u"/usr/share/tesseract-ocr/5/tessdata"_s << u"/usr/share/tesseract-ocr/4.00/tessdata"_s
               << u"/usr/share/tessdata"_s << u"/usr/local/share/tessdata"_s;
    for (const QString &dir : candidates) {
        if (hasLanguageData(dir, u"eng"_s))
            return dir;
    }
    return candidates.first();
}

QString TesseractRecognizer::tesseractLanguages(const QString &language)
{
    return language == u"uk"_s ? u"ukr+eng"_s : u"eng"_s;
}

TesseractRecognizer::Reading TesseractRecognizer::readLines(const QImage &image, const QString &language) const
{
    Reading reading;
    const QString languages = tesseractLanguages(language);
    tesseract::TessBaseAPI *api
        = hasLanguageData(m_tessdataDir, languages) ? engineFor(m_tessdataDir, languages) : nullptr;
    if (!api) {
        reading.error = u"ocr_unavailable"_s;
        return reading;
    }

    // A huge upload is brought down to a size whose text is still legible before any work on it.
    QImage source = image;
    const double pixels = double(image.width()) * image.height();
    if (pixels > double(maxSourcePixels)) {
        const double shrink = std::sqrt(double(maxSourcePixels) / pixels);
        source = image.scaled(std::max(1, int(image.width() * shrink)), std::max(1, int(image.height() * shrink)),
                              Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QImage gray = OcrImage::prepare(source);
    const double scale = chooseScale(gray);
    if (scale < 0.99) {
        // The page is prepared again from the reduced screenshot: the panel estimate takes shapes
        // wider than its window (a bullet, the strokes of very large bold text) for panel and
        // leaves only their outlines.
        gray = OcrImage::prepare(source.scaled(std::max(1, qRound(source.width() * scale)),
                                               std::max(1, qRound(source.height() * scale)), Qt::IgnoreAspectRatio,
                                               Qt::SmoothTransformation));
    } else if (scale > 1.01) {
        gray = gray.scaled(qRound(gray.width() * scale), qRound(gray.height() * scale), Qt::IgnoreAspectRatio,
                           Qt::SmoothTransformation);
    }

    // OCR reads the page without its rules; strike-through is looked for on the whole page.
    const QImage page = OcrImage::withoutRules(gray);
    api->SetImage(page.constBits(), page.width(), page.height(), 1, int(page.bytesPerLine()));
    api->SetSourceResolution(std::max(70, qRound(96 * scale)));
    QList<TextLine> &lines = reading.lines;
    tesseract::ETEXT_DESC monitor;
    monitor.set_deadline_msecs(int(std::min<qint64>(m_deadline.count(), std::numeric_limits<int>::max())));
    const int status = api->Recognize(&monitor);
    if (monitor.deadline_exceeded()) {
        api->Clear();
        reading.error = u"ocr_timeout"_s;
        return reading;
    }
    if (status != 0) {
        api->Clear();
        return reading;
    }
    // Words with their letters' boxes, grouped by OCR line.
    struct Symbol
    {
        QString text;
        QRect box;
    };
    struct Word
    {
        QString text;
        QRect box;
        QList<Symbol> symbols;
    };
    struct Line
    {
        QList<Word> words;
        QRect box;
    };
    QList<Line> ocrLines;
    std::unique_ptr<tesseract::ResultIterator> it(api->GetIterator());
    if (it && !it->Empty(tesseract::RIL_WORD)) {
        do {
            if (it->Empty(tesseract::RIL_WORD))
                continue;
            if (ocrLines.isEmpty() || it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
                int l = 0, t = 0, r = 0, b = 0;
                it->BoundingBox(tesseract::RIL_TEXTLINE, &l, &t, &r, &b);
                ocrLines.append(Line { {}, QRect(QPoint(l, t), QPoint(r, std::max(t + 1, b))) });
            }
            Word word;
            std::unique_ptr<char[]> utf8(it->GetUTF8Text(tesseract::RIL_WORD));
            word.text = QString::fromUtf8(utf8.get()).simplified();
            int l = 0, t = 0, r = 0, b = 0;
            it->BoundingBox(tesseract::RIL_WORD, &l, &t, &r, &b);
            word.box = QRect(QPoint(l, t), QPoint(r, std::max(t + 1, b)));
            tesseract::LTRResultIterator symbols(*it);
            do {
                std::unique_ptr<char[]> symbol(symbols.GetUTF8Text(tesseract::RIL_SYMBOL));
                symbols.BoundingBox(tesseract::RIL_SYMBOL, &l, &t, &r, &b);
                word.symbols.append(Symbol { QString::fromUtf8(symbol.get()), QRect(QPoint(l, t), QPoint(r, b)) });
            } while (!symbols.IsAtFinalElement(tesseract::RIL_WORD, tesseract::RIL_SYMBOL)
                     && symbols.Next(tesseract::RIL_SYMBOL));
            if (!word.text.isEmpty())
                ocrLines.back().words.append(word);
        } while (it->Next(tesseract::RIL_WORD));
    }

    // OCR runs a side bar's entry and the content level with it into one line; a gap of several
    // line heights between two words means two columns.
    QList<Line> segments;
    for (const Line &line : std::as_const(ocrLines)) {
        Line current { {}, {} };
        for (const Word &word : line.words) {
            if (!current.words.isEmpty()
                && word.box.left() - current.words.back().box.right() > 5 * std::max(line.box.height() / 2, 8)) {
                segments.append(current);
                current = Line { {}, {} };
            }
            current.words.append(word);
            current.box = current.box.isNull() ? word.box : current.box.united(word.box);
        }
        if (!current.words.isEmpty())
            segments.append(current);
    }

    QList<int> heights;
    for (const Line &segment : std::as_const(segments))
        heights.append(segment.box.height());
    std::sort(heights.begin(), heights.end());
    const int typical = heights.isEmpty() ? 0 : heights.at(heights.size() / 2);

    QRect previous;
    for (Line segment : std::as_const(segments)) {
        const QRect box = segment.box;
        const int height = box.height();
        const int unit = std::max(height, previous.height());
        const bool blockStart = !previous.isValid() || box.top() - previous.bottom() > 2 * unit
            || box.top() < previous.top() || std::abs(box.left() - previous.left()) > 4 * unit;
        previous = box;

        // List markers OCR misses: a drawn box or dot left of the line, or one it read as the
        // first letters of the line ("O", "(_)", "¢", "e").
        const int reach = std::max(height, typical);
        const int middle = box.center().y();
        // Markers are looked for without the rules: a table's grid around a cell looks like a box.
        OcrImage::Found mark = OcrImage::markNear(
            page, QRect(QPoint(box.left() - 3 * reach, middle - reach), QPoint(box.left() - 1, middle + reach)), box,
            OcrImage::Side::Right);
        Word &first = segment.words.first();
        // Only a first "word" that reads like a misread marker is looked at: short, or with
        // brackets and other signs in it ("(_)", "©)", "‘eo", "O").
        // A name with a colon ("Оля:") or a word with an apostrophe ("Don't") is an ordinary
        // word: its round or closed first letter is no box.
        const bool oddFirstWord = first.symbols.size() <= 3 || !first.text.at(0).isLetterOrNumber();
        if (mark.mark == OcrImage::Mark::None && oddFirstWord) {
            // OCR may start the word just inside the box (its left side left out, the tick read
            // as "v)"), so the area reaches a little further left for the whole box.
            const QRect area(QPoint(first.box.left() - std::max(2, reach / 2), middle - reach),
                             QPoint(std::min(box.right(), first.box.left() + 2 * reach), middle + reach));
            mark = OcrImage::markNear(page, area, box, OcrImage::Side::Left);
            if (mark.mark != OcrImage::Mark::None) {
                QString rest;
                for (const Symbol &symbol : std::as_const(first.symbols)) {
                    if (symbol.box.center().x() > mark.rect.right() + 1)
                        rest += symbol.text;
                }
                if (rest.isEmpty())
                    segment.words.removeFirst();
                else
                    first.text = rest;
            }
        }
        QStringList words;
        for (const Word &word : std::as_const(segment.words))
            words << word.text;
        QString text = words.join(u' ');
        if (OcrImage::struckThrough(gray, box))
            mark.mark = OcrImage::Mark::TickedBox;
        switch (mark.mark) {
        case OcrImage::Mark::EmptyBox:
            text = u"[ ] "_s + text;
            break;
        case OcrImage::Mark::TickedBox:
            text = u"[x] "_s + text;
            break;
        case OcrImage::Mark::Dot:
            text = u"• "_s + text;
            break;
        case OcrImage::Mark::None:
            break;
        }
        if (!text.trimmed().isEmpty())
            lines.append(TextLine { text, box.left(), box.top(), height, blockStart, box.width() });
    }
    api->Clear();
    return reading;
}

RecognitionResult TesseractRecognizer::recognize(const RecognitionRequest &request)
{
    RecognitionResult result;
    QImage image;
    if (isImageData(request.image))
        image.loadFromData(request.image);
    if (image.isNull()) {
        result.error = u"unreadable_image"_s;
        return result;
    }
    const Reading reading = readLines(image, request.language);
    if (!reading.error.isEmpty()) {
        result.error = reading.error;
        return result;
    }
    result.done = true;
    result.tasks = TaskExtractor::extract(reading.lines, { request.localTime, request.timeZone, request.language });
    return result;
}

std::unique_ptr<Recognizer> makeDefaultRecognizer()
{
    return std::make_unique<TesseractRecognizer>();
}
