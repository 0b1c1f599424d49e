// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "capturer.h"

#include "imagewindow.h"
#include "notifier.h"
#include "platform/screenshot_portal.h"
#include "platform/screenshot_tool.h"
#include "toast.h"

#include <QBuffer>
#include <QCoroFuture>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QUuid>
#include <QtConcurrent>

namespace {

using Shot = ScreenshotSource::Shot;

// The PNG bytes of the image at \a path: as they are when they are a PNG that decodes,
// re-encoded when they are an image of another format, none otherwise.
std::optional<QByteArray> readPng(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    QByteArray format;
    const QImage image = ImageWindow::decode(bytes, &format);
    if (image.isNull())
        return std::nullopt;
    if (format == "png")
        return bytes;
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    if (!image.save(&out, "PNG"))
        return std::nullopt;
    return png;
}

} // namespace

Capturer::Capturer(Notifier *notifier, QObject *parent)
    : Capturer(notifier, QDBusConnection::sessionBus(), parent)
{ }

Capturer::Capturer(Notifier *notifier, const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_notifier(notifier)
    , m_bus(bus)
{ }

Capturer::~Capturer()
{
    if (m_active > 0)
        Toast::setSuspended(false);
}

QString Capturer::temporaryPath()
{
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("quibly-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()
                  + QStringLiteral(".png"));
}

void Capturer::setActive(int delta)
{
    m_active += delta;
    Toast::setSuspended(m_active > 0);
    Q_EMIT activeChanged(m_active);
}

QCoro::Task<std::optional<QByteArray>> Capturer::capture()
{
    const QString path = temporaryPath();
    // Awaited things are named locals: GCC 12 may destroy temporaries of a co_await
    // expression (lambda captures, by-value arguments) twice.
    QPointer<Capturer> self(this);
    setActive(+1);

    Shot shot = Shot::Unavailable;
    if (m_portalEnabled) {
        PortalScreenshot portal(m_bus);
        auto taking = portal.take(path, m_timeout);
        shot = co_await std::move(taking);
    }
    if (self && shot == Shot::Unavailable) {
        if (const auto tool = ToolScreenshot::find()) {
            ToolScreenshot source(*tool);
            auto taking = source.take(path, m_timeout);
            shot = co_await std::move(taking);
        } else if (m_notifier) {
            m_notifier->post(qtTrId("notification.no_screenshot_tool"));
        }
    }
    if (self && shot == Shot::Refused && m_notifier)
        m_notifier->post(qtTrId("notification.screen_permission"));

    std::optional<QByteArray> png;
    if (shot == Shot::Taken) {
        auto reading = QtConcurrent::run([path] { return readPng(path); });
        png = co_await reading;
    }
    QFile::remove(path);
    if (self)
        setActive(-1);
    co_return png;
}
