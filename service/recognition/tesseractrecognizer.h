// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "recognizer.h"
#include "textline.h"

#include <QImage>
#include <QString>

#include <chrono>
#include <memory>

/*!
 * The service's default, offline recognizer: Tesseract OCR over the screenshot, then task
 * extraction over the lines it read. Thread-safe: every worker thread keeps its own Tesseract
 * engine per language (initialising one takes a good fraction of a second).
 */
class TesseractRecognizer final : public Recognizer
{
public:
    /*!
     * \a tessdataDir holds the *.traineddata files; empty means defaultTessdataDir(). OCR that
     * runs longer than \a deadline (a pathological image) is given up with "ocr_timeout".
     */
    explicit TesseractRecognizer(const QString &tessdataDir = {},
                                 std::chrono::milliseconds deadline = std::chrono::minutes(2));

    RecognitionResult recognize(const RecognitionRequest &request) override;

    /*! What OCR read: the lines, or an error code ("ocr_unavailable", "ocr_timeout"). */
    struct Reading
    {
        QList<TextLine> lines;
        QString error;
    };

    /*! The OCR step alone. */
    Reading readLines(const QImage &image, const QString &language) const;

    QString tessdataDir() const { return m_tessdataDir; }

    /*! TESSDATA_PREFIX when it holds language data, else the first of the usual system places. */
    static QString defaultTessdataDir();
    /*! Tesseract's language string for a capture language: "uk" reads Ukrainian and English. */
    static QString tesseractLanguages(const QString &language);

private:
    QString m_tessdataDir;
    std::chrono::milliseconds m_deadline;
};

/*! The recognizer quibly-service uses unless told otherwise. */
std::unique_ptr<Recognizer> makeDefaultRecognizer();
