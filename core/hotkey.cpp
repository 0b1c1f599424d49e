// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "hotkey.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QVariant>

#include <limits>

Hotkey Hotkey::defaultCapture()
{
    return { 17, control | option | command, QStringLiteral("T") };
}

Hotkey Hotkey::defaultList()
{
    return { 37, control | option | command, QStringLiteral("L") };
}

quint32 Hotkey::carbonModifiers(bool command, bool option, bool control, bool shift)
{
    return (command ? Hotkey::command : 0) | (option ? Hotkey::option : 0) | (control ? Hotkey::control : 0)
        | (shift ? Hotkey::shift : 0);
}

QString Hotkey::display() const
{
    QString text;
    if (modifiers & control)
        text += QChar(0x2303);
    if (modifiers & option)
        text += QChar(0x2325);
    if (modifiers & shift)
        text += QChar(0x21E7);
    if (modifiers & command)
        text += QChar(0x2318);
    return text + key.toUpper();
}

QByteArray Hotkey::toJson() const
{
    const QJsonObject object {
        { QStringLiteral("keyCode"), qint64(keyCode) },
        { QStringLiteral("modifiers"), qint64(modifiers) },
        { QStringLiteral("key"), key },
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

namespace {
// Integers only, and only exactly: a double that merely rounds into range is not a key code.
std::optional<quint32> readUInt32(const QJsonValue &value)
{
    const QVariant variant = value.toVariant();
    if (variant.typeId() != QMetaType::LongLong)
        return std::nullopt;
    const qlonglong number = variant.toLongLong();
    if (number < 0 || number > qlonglong(std::numeric_limits<quint32>::max()))
        return std::nullopt;
    return quint32(number);
}
} // namespace

std::optional<Hotkey> Hotkey::fromJson(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const auto keyCode = readUInt32(object.value(QLatin1StringView("keyCode")));
    const auto modifiers = readUInt32(object.value(QLatin1StringView("modifiers")));
    const QJsonValue key = object.value(QLatin1StringView("key"));
    if (!keyCode || !modifiers || !key.isString())
        return std::nullopt;
    return Hotkey { *keyCode, *modifiers, key.toString() };
}
