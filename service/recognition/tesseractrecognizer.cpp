// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "tesseractrecognizer.h"

#include "ocrimage.h"
#include "taskextractor.h"

#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <map>

using namespace Qt::Literals::StringLiterals;

namespace
{
// Screens draw text far smaller than the scanned pages Tesseract was trained on: lines are
// scaled up until they are about this tall.
constexpr int targetLineHeight = 34;
constexpr double maxScale = 3.0;
// Keeps a huge upload from costing minutes or gigabytes inside Tesseract.
constexpr qint64 maxPixels = 24'000'000;

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

double chooseScale(tesseract::TessBaseAPI *api, const QImage &gray)
{
    api->SetImage(gray.constBits(), gray.width(), gray.height(), 1, int(gray.bytesPerLine()));
    api->SetSourceResolution(96);
    std::unique_ptr<tesseract::PageIterator> it(api->AnalyseLayout());
    QList<int> heights;
    if (it) {
        do {
            int l, t, r, b;
            if (it->BoundingBox(tesseract::RIL_TEXTLINE, &l, &t, &r, &b) && b > t)
                heights.append(b - t);
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    if (heights.isEmpty())
        return 2.0;
    std::sort(heights.begin(), heights.end());
    const int median = heights.at(heights.size() / 2);
    double scale = std::clamp(double(targetLineHeight) / std::max(median, 1), 1.0, maxScale);
    const double pixels = double(gray.width()) * gray.height();
    if (pixels * scale * scale > double(maxPixels))
        scale = std::max(1.0, std::sqrt(double(maxPixels) / pixels));
    return scale;
}
} // namespace

TesseractRecognizer::TesseractRecognizer(const QString &tessdataDir)
    : m_tessdataDir(tessdataDir.isEmpty() ? defaultTessdataDir() : tessdataDir)
{
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

std::optional<QList<TextLine>> TesseractRecognizer::readLines(const QImage &image, const QString &language) const
{
    const QString languages = tesseractLanguages(language);
    if (!hasLanguageData(m_tessdataDir, languages))
        return std::nullopt;
    tesseract::TessBaseAPI *api = engineFor(m_tessdataDir, languages);
    if (!api)
        return std::nullopt;

    QImage gray = OcrImage::prepare(image);
    if (qint64(gray.width()) * gray.height() > maxPixels)
        gray = gray.scaled(QSize(gray.width(), gray.height()).scaled(4000, 6000, Qt::KeepAspectRatio),
                           Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double scale = chooseScale(api, gray);
    if (scale > 1.01)
        gray = gray.scaled(qRound(gray.width() * scale), qRound(gray.height() * scale), Qt::IgnoreAspectRatio,
                           Qt::SmoothTransformation);

    api->SetImage(gray.constBits(), gray.width(), gray.height(), 1, int(gray.bytesPerLine()));
    api->SetSourceResolution(qRound(96 * scale));
    QList<TextLine> lines;
    if (api->Recognize(nullptr) != 0) {
        api->Clear();
        return lines;
    }
    std::unique_ptr<tesseract::ResultIterator> it(api->GetIterator());
    if (it) {
        int previousBottom = -1, previousHeight = 0;
        do {
            if (it->Empty(tesseract::RIL_TEXTLINE))
                continue;
            std::unique_ptr<char[]> utf8(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            QString text = QString::fromUtf8(utf8.get()).simplified();
            int l = 0, t = 0, r = 0, b = 0;
            it->BoundingBox(tesseract::RIL_TEXTLINE, &l, &t, &r, &b);
            const int height = std::max(1, b - t);
            bool blockStart = it->IsAtBeginningOf(tesseract::RIL_BLOCK);
            if (previousBottom >= 0 && t - previousBottom > std::max(height, previousHeight))
                blockStart = true;
            previousBottom = b;
            previousHeight = height;

            // Drawn check boxes: OCR reads them as a letter or drops them; the pixels tell.
            int wl = 0, wt = 0, wr = 0, wb = 0;
            it->BoundingBox(tesseract::RIL_WORD, &wl, &wt, &wr, &wb);
            const int pad = std::max(2, height / 8);
            const QRect firstWord(QPoint(wl - pad, wt - pad), QPoint(wr + pad, wb + pad));
            const QRect leftOfLine(QPoint(l - 2 * height, t - height / 4), QPoint(l - 2, b + height / 4));
            OcrImage::Box box = OcrImage::boxAt(gray, firstWord);
            if (box != OcrImage::Box::None) {
                const qsizetype space = text.indexOf(u' ');
                text = space < 0 ? QString() : text.mid(space + 1);
            } else {
                box = OcrImage::boxAt(gray, leftOfLine);
            }
            if (box == OcrImage::Box::Empty)
                text = u"[ ] "_s + text;
            else if (box == OcrImage::Box::Ticked)
                text = u"[x] "_s + text;
            if (!text.trimmed().isEmpty())
                lines.append(TextLine{text, l, t, height, blockStart});
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    api->Clear();
    return lines;
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
    const std::optional<QList<TextLine>> lines = readLines(image, request.language);
    if (!lines) {
        result.error = u"ocr_unavailable"_s;
        return result;
    }
    result.done = true;
    result.tasks = TaskExtractor::extract(*lines, {request.localTime, request.timeZone, request.language});
    return result;
}

std::unique_ptr<Recognizer> makeDefaultRecognizer()
{
    return std::make_unique<TesseractRecognizer>();
}
