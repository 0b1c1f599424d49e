// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "recognitionpool.h"

#include <QFile>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcRecognition, "quibly.service.recognition", QtInfoMsg)

RecognitionPool::RecognitionPool(std::shared_ptr<Recognizer> recognizer, int workers, QObject *parent)
    : QObject(parent)
    , m_recognizer(std::move(recognizer))
{
    m_pool.setMaxThreadCount(qMax(1, workers));
    m_pool.setExpiryTimeout(-1);
    qRegisterMetaType<RecognitionResult>();
}

RecognitionPool::~RecognitionPool()
{
    stop();
}

void RecognitionPool::stop()
{
    m_stopped->store(true);
    m_pool.clear();
    m_pool.waitForDone();
}

void RecognitionPool::submit(qint64 captureRow, int attempt, const QString &imagePath, RecognitionRequest context)
{
    if (m_stopped->load())
        return;
    auto recognizer = m_recognizer;
    auto stopped = m_stopped;
    m_pool.start([this, recognizer, stopped, captureRow, attempt, imagePath, context = std::move(context)]() mutable {
        if (stopped->load())
            return;
        RecognitionResult result;
        QFile file(imagePath);
        if (!imagePath.isEmpty() && !file.open(QIODevice::ReadOnly)) {
            result.error = QStringLiteral("image_missing");
        } else {
            if (!imagePath.isEmpty()) {
                context.image = file.readAll();
                file.close();
            }
            try {
                result = recognizer->recognize(context);
            } catch (const std::exception &e) {
                qCWarning(lcRecognition) << "recognizer failed:" << e.what();
                result = { false, QStringLiteral("internal_error"), {} };
            }
        }
        if (stopped->load())
            return;
        // The pool outlives its running jobs (stop() waits for them); the queued call
        // is dropped with the pool if it is deleted before the call is delivered.
        QMetaObject::invokeMethod(
            this,
            [this, stopped, captureRow, attempt, result] {
                if (!stopped->load())
                    Q_EMIT finished(captureRow, attempt, result);
            },
            Qt::QueuedConnection);
    });
}
