// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

/*! Set-up shared by the test programs: clean standard error, private homes, child processes. */
namespace QuiblyTest {

/*!
 * Makes every Qt warning that the test function did not announce with QTest::ignoreMessage a
 * failure. Qt forgets the rule after each test function: call it from init().
 */
void failOnUnexpectedWarnings();

/*!
 * The environment for a program under test in a home of its own below \a home: HOME and the
 * XDG folders, messages in \a language, no display.
 */
QProcessEnvironment privateHome(const QString &home, const QString &language = QStringLiteral("en"));

/*! How a child process ended and what it wrote. */
struct Run
{
    int code = -1; //!< -1 when it did not start, crashed or ran out of time
    QString out;
    QString err;
    /*! Standard error's lines, without empty ones. */
    QStringList errLines() const;
};

/*!
 * Runs \a program with \a input on its standard input and waits for it, keeping this thread's
 * event loop running (a fake service in the test process answers from it).
 */
Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
        const QByteArray &input = {}, int timeoutMs = 60000);

} // namespace QuiblyTest
