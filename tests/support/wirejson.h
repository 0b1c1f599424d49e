// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "fakeservice.h"

#include <QByteArray>
#include <QJsonValue>
#include <QStringList>

/*! Service answers in their wire form, for scripting the fake service. */
namespace WireJson {
/*! The time stamp every fixture record carries. */
inline constexpr const char *stamp = "2025-03-01T10:00:00Z";
/*! A capture object with all seven members, compact. */
QByteArray capture(const QString &id, const QString &status, const QString &error = {});
/*! A task object with all twelve members, compact. */
QByteArray task(qint64 id, const QString &title, const QString &priority = QStringLiteral("medium"),
                const QJsonValue &dueDate = QJsonValue::Null, const QJsonValue &doneAt = QJsonValue::Null);
/*! A capture result: the capture and one task per title, numbered from 100. */
QByteArray result(const QString &id, const QString &status, const QString &error = {}, const QStringList &titles = {});
/*! An upload's multipart body: the \a fields in order, then the image part, as the client sends it. */
QByteArray form(const QByteArray &boundary, const QList<std::pair<QByteArray, QByteArray>> &fields,
                const QByteArray &image);
/*! The "id" form value of a multipart upload body. */
QString uploadedId(const QByteArray &body);
/*!
 * Answers uploads as the service does (201 and the capture, pending) and, with a \a status,
 * GET /captures/ID with that status and a task per title; anything else: 404 not_found.
 */
FakeService::Handler acceptUploads(const QString &status = {}, const QStringList &titles = {});
} // namespace WireJson
