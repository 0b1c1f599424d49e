// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QString>

#include <optional>

class Store;

/*!
 * \brief What the list popover can do: the Store's edits keyed by task or capture id, and
 * the requests it passes on to the application (take a capture, open the settings, open an
 * image, quit).
 *
 * The edits start and are never awaited: the list shows their outcome through the Store's
 * state. The application connects to the request signals of the instance the popover uses.
 */
class ListActions : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("store.h")
    Q_PROPERTY(Store *store READ store WRITE setStore NOTIFY storeChanged)

public:
    explicit ListActions(QObject *parent = nullptr);

    Store *store() const { return m_store; }
    void setStore(Store *store);

    /*! \a text without white space and line breaks at either end; nothing when that leaves nothing. */
    static std::optional<QString> trimmedTitle(const QString &text);

    /*! Adds a task titled \a text trimmed; false, doing nothing, when the trimmed title is empty. */
    Q_INVOKABLE bool add(const QString &text);
    /*! Task ids are the decimal text of the service's 64-bit ids: JavaScript numbers would round them. */
    Q_INVOKABLE void setDone(const QString &taskId, bool done);
    Q_INVOKABLE void remove(const QString &taskId);
    Q_INVOKABLE void retry(const QString &captureId);
    Q_INVOKABLE void deleteCapture(const QString &captureId);

    Q_INVOKABLE void requestCapture() { Q_EMIT captureRequested(); }
    Q_INVOKABLE void requestSettings() { Q_EMIT settingsRequested(); }
    Q_INVOKABLE void requestImage(const QString &captureId) { Q_EMIT imageRequested(captureId); }
    Q_INVOKABLE void quit() { Q_EMIT quitRequested(); }

Q_SIGNALS:
    void storeChanged();
    void captureRequested();
    void settingsRequested();
    void imageRequested(const QString &captureId);
    void quitRequested();

private:
    QPointer<Store> m_store;
};
