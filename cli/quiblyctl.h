// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QCoroTask>
#include <QObject>
#include <QStringList>

#include <functional>

class QNetworkAccessManager;
class QTextStream;

/*!
 * \brief quiblyctl: the command-line front end over the Store.
 *
 * Uses the same settings, access key, queue and string tables as the application.
 * Exit status: 0 success, 1 the service failed or a problem remains (the problem on
 * standard error), 2 usage error, 3 not configured.
 */
class QuiblyCtl : public QObject
{
    Q_OBJECT
public:
    enum Exit { Success = 0, Failure = 1, Usage = 2, NotConfigured = 3 };

    /*! \a session carries every request; the caller owns it (nullptr: the process-wide one). */
    QuiblyCtl(QTextStream &out, QTextStream &err, QNetworkAccessManager *session = nullptr, QObject *parent = nullptr);

    /*! Runs the command in \a arguments (the program name first). */
    QCoro::Task<int> run(QStringList arguments);

    static QString usage();

private:
    QCoro::Task<int> callApp(QString action, std::function<int(const QString &)> usageError);

    QTextStream &m_out;
    QTextStream &m_err;
    QNetworkAccessManager *m_session;
};
