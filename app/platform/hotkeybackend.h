// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include "hotkeycenter.h"

#include <QList>
#include <QObject>

/*!
 * \brief One mechanism for global hot keys, driven by HotkeyCenter.
 *
 * bind() replaces all earlier keys; the backend reports each key's state with
 * stateChanged() (at once or when the desktop answers) and presses with activated().
 */
class HotkeyBackend : public QObject
{
    Q_OBJECT
public:
    struct Key
    {
        int number = 0;
        Hotkey hotkey;
        QString description;
    };

    using QObject::QObject;

    virtual QString name() const = 0;
    virtual void bind(const QList<Key> &keys) = 0;
    /*! Releases the keys while true, takes them again when false. */
    virtual void setSuspended(bool suspended) = 0;

    /*! Picks the mechanism of this session. */
    static std::unique_ptr<HotkeyBackend> create();

Q_SIGNALS:
    void stateChanged(int number, HotkeyCenter::State state, const QString &trigger);
    void activated(int number);
};

/*! \brief Where no mechanism exists: every key is Unsupported. */
class NoHotkeys : public HotkeyBackend
{
    Q_OBJECT
public:
    using HotkeyBackend::HotkeyBackend;
    QString name() const override { return QStringLiteral("none"); }
    void bind(const QList<Key> &keys) override;
    void setSuspended(bool) override { }
};
