// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "recognizer.h"
#include "taskextractor.h"
#include "textline.h"

#include <QImage>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

class TesseractRecognizer;

/*!
 * Reads tasks with a language (or vision) model that a self-hoster runs locally behind an
 * OpenAI-compatible chat endpoint (llama.cpp's server, Ollama, vLLM). It sends the OCR lines
 * with their positions, and the screenshot too when the model can see, asks for tasks as JSON
 * under a schema, and takes the answer only when it matches that schema exactly. Any failure
 * (refused connection, HTTP error, time-out, malformed or out-of-schema answer) gives the
 * built-in extraction's tasks instead. Thread-safe: each call makes its own network access on
 * the calling thread and waits there, which is why it runs on the service's worker threads only.
 */
class ModelReader
{
public:
    struct Config
    {
        QUrl url; //!< the API base ("http://127.0.0.1:8080/v1"); "/chat/completions" is appended
        QString model; //!< the model's name as the server knows it
        std::chrono::milliseconds timeout { std::chrono::seconds(60) }; //!< for the whole exchange
        bool sendImage = false; //!< attach the screenshot for a vision model
    };

    explicit ModelReader(Config config);

    /*! The model's tasks, or nothing when it could not give a valid answer (\a why says what went wrong). */
    std::optional<QList<RecognizedTask>> read(const QList<TextLine> &lines, const TaskExtractor::Context &context,
                                              const QImage &image = {}, QString *why = nullptr) const;

    /*! The model's tasks, or the built-in extraction's when the model fails. */
    QList<RecognizedTask> readOrExtract(const QList<TextLine> &lines, const TaskExtractor::Context &context,
                                        const QImage &image = {}) const;

    /*! The request body for the chat endpoint (public for tests and for looking at what is sent). */
    QByteArray requestBody(const QList<TextLine> &lines, const TaskExtractor::Context &context,
                           const QImage &image) const;

    /*!
     * The tasks of a chat-completion answer, when it holds exactly one JSON object that matches
     * the schema; due days and times are read in the capture's zone.
     */
    static std::optional<QList<RecognizedTask>>
    parseAnswer(const QByteArray &body, const TaskExtractor::Context &context, QString *why = nullptr);

    const Config &config() const { return m_config; }

private:
    Config m_config;
};

/*! OCR by Tesseract, then the model reader (falling back to the built-in extraction). */
class ModelRecognizer final : public Recognizer
{
public:
    ModelRecognizer(ModelReader::Config config, std::unique_ptr<TesseractRecognizer> ocr);
    ~ModelRecognizer() override;

    RecognitionResult recognize(const RecognitionRequest &request) override;

private:
    ModelReader m_reader;
    std::unique_ptr<TesseractRecognizer> m_ocr;
};
