// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "recognizer.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>

#include <memory>

/*!
 * \brief Runs the recognizer on its own worker threads and hands each outcome back
 * to the thread that owns the pool (the HTTP thread, which alone writes the store).
 */
class RecognitionPool : public QObject
{
    Q_OBJECT

public:
    RecognitionPool(std::shared_ptr<Recognizer> recognizer, int workers, QObject *parent = nullptr);
    //! Drops queued jobs and waits for running ones; their outcomes are discarded.
    ~RecognitionPool() override;

    //! Reads the image file (unless \a imagePath is empty and the context holds the
    //! image) and recognises it off this thread.
    void submit(qint64 captureRow, int attempt, const QString &imagePath, RecognitionRequest context);
    void stop();

Q_SIGNALS:
    void finished(qint64 captureRow, int attempt, const RecognitionResult &result);

private:
    std::shared_ptr<Recognizer> m_recognizer;
    QThreadPool m_pool;
    std::shared_ptr<std::atomic_bool> m_stopped = std::make_shared<std::atomic_bool>(false);
};
