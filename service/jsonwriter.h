// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

struct CaptureRecord;
struct TaskRecord;

/*!
 * Writes the answers' JSON straight into bytes. The task list is the service's
 * hottest answer (every client reloads it after every change), and building it
 * through QJsonObject costs several times more than writing it.
 */
namespace JsonWriter {

void appendString(QByteArray &out, QStringView text);
void appendCapture(QByteArray &out, const CaptureRecord &capture);
void appendTask(QByteArray &out, const TaskRecord &task);

QByteArray capture(const CaptureRecord &capture);
QByteArray task(const TaskRecord &task);
QByteArray captures(const QList<CaptureRecord> &captures);
QByteArray tasks(const QList<TaskRecord> &tasks);
QByteArray captureResult(const CaptureRecord &capture, const QList<TaskRecord> &tasks);

} // namespace JsonWriter
