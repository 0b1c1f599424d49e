// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "popoverwindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQuickItem>
#include <QScreen>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
// Distance between the icon (or the click) and the window.
constexpr int gap = 4;
// A tray click that arrives this soon after an outside press closed the window is that same
// press: the toggle must not reopen it.
constexpr qint64 reopenGuardMs = 350;

bool isWayland()
{
    return QGuiApplication::platformName().startsWith(u"wayland"_s);
}

// Layouts compute their implicit size while polishing, which happens only for a shown window.
// Polishing them now, innermost first, gives the size before the first frame. Views with
// their own delegates (lists) size themselves and are not entered.
void polishLayouts(QQuickItem *item)
{
    if (item->inherits("QQuickFlickable"))
        return;
    const auto children = item->childItems();
    for (QQuickItem *child : children)
        polishLayouts(child);
    if (item->inherits("QQuickLayout"))
        item->ensurePolished();
}
} // namespace

PopoverWindow::PopoverWindow(Kind kind)
    : m_kind(kind)
{
    setTitle(qtTrId("app.name"));
    setColor(Qt::transparent);
    applyFlags();
    connect(this, &QWindow::activeChanged, this, [this] {
        // The fallback for hosts and compositors where the grab is refused or absent.
        if (m_kind == Kind::Popup && !isActive() && isVisible())
            dismissFromOutside();
    });
}

PopoverWindow::~PopoverWindow() = default;

void PopoverWindow::applyFlags()
{
    if (m_kind == Kind::Window) {
        setFlags(Qt::Window);
    } else if (isWayland()) {
        // A Wayland popup needs a parent surface that a tray icon does not have: a frameless
        // top level, placed by the compositor and closed when it loses activation.
        setFlags(Qt::Tool | Qt::FramelessWindowHint);
    } else {
        setFlags(Qt::Popup | Qt::FramelessWindowHint);
    }
}

void PopoverWindow::setKind(Kind kind)
{
    if (kind == m_kind)
        return;
    dismiss();
    m_kind = kind;
    applyFlags();
}

void PopoverWindow::setContent(QQuickItem *content)
{
    if (m_content)
        m_content->disconnect(this);
    m_content = content;
    if (!content)
        return;
    content->setParentItem(contentItem());
    connect(content, &QQuickItem::implicitHeightChanged, this, &PopoverWindow::fitContent);
    connect(content, &QQuickItem::implicitWidthChanged, this, &PopoverWindow::fitContent);
    fitContent();
}

void PopoverWindow::fitContent()
{
    if (!m_content)
        return;
    const QScreen *target = screen() ? screen() : QGuiApplication::primaryScreen();
    const int maxHeight = target ? target->availableGeometry().height() - 2 * gap : 10000;
    const int width = std::max(1, int(std::ceil(m_content->implicitWidth())));
    const int height = std::clamp(int(std::ceil(m_content->implicitHeight())), 1, std::max(1, maxHeight));
    m_content->setSize(QSizeF(width, height));
    if (QSize(width, height) != size())
        resize(width, height);
    if (m_kind == Kind::Popup && isVisible() && !isWayland()) {
        // Growing near the bottom of the screen must not push the window off it.
        const QRect available = screen()->availableGeometry();
        QPoint p = position();
        p.setY(std::clamp(p.y(), available.top(), std::max(available.top(), available.bottom() + 1 - height)));
        if (p != position())
            setPosition(p);
    }
}

QPoint PopoverWindow::placement(QSize size, const QRect &anchor, QPoint cursor, const QRect &available)
{
    const bool useAnchor = anchor.isValid() && !anchor.isEmpty() && anchor.topLeft() != QPoint(0, 0);
    const QRect target = useAnchor ? anchor : QRect(cursor, QSize(1, 1));
    int x = target.center().x() - size.width() / 2;
    int y = target.bottom() + 1 + gap;
    // A panel in the lower half of the screen: open upwards.
    if (target.center().y() > available.center().y())
        y = target.top() - gap - size.height();
    x = std::clamp(x, available.left(), std::max(available.left(), available.right() + 1 - size.width()));
    y = std::clamp(y, available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
    return { x, y };
}

void PopoverWindow::open(const QRect &anchor, QPoint cursor)
{
    if (!m_content)
        return;
    polishLayouts(m_content);
    QScreen *target
        = QGuiApplication::screenAt(anchor.isValid() && anchor.topLeft() != QPoint() ? anchor.center() : cursor);
    if (!target)
        target = QGuiApplication::primaryScreen();
    if (target && target != screen())
        setScreen(target);
    fitContent();
    if (m_kind == Kind::Popup && !isWayland() && target)
        setPosition(placement(size(), anchor, cursor, target->availableGeometry()));
    else if (m_kind == Kind::Window && !isVisible() && target && !isWayland())
        setPosition(target->availableGeometry().center() - QPoint(width() / 2, height() / 2));

    show();
    raise();
    requestActivate();
    if (m_kind == Kind::Popup && !isWayland()) {
        const bool mouse = setMouseGrabEnabled(true);
        const bool keyboard = setKeyboardGrabEnabled(true);
        // Without the grab, losing activation still closes it.
        m_grabbing = mouse && keyboard;
        if (!m_grabbing) {
            setMouseGrabEnabled(false);
            setKeyboardGrabEnabled(false);
        }
    }
    if (m_content)
        m_content->forceActiveFocus();
    Q_EMIT opened();
}

void PopoverWindow::dismiss()
{
    if (!isVisible())
        return;
    if (m_grabbing) {
        setMouseGrabEnabled(false);
        setKeyboardGrabEnabled(false);
        m_grabbing = false;
    }
    hide();
    Q_EMIT dismissed();
}

void PopoverWindow::dismissFromOutside(std::optional<QPoint> press)
{
    m_dismissedAt.start();
    m_dismissPress = press;
    dismiss();
}

bool PopoverWindow::justDismissed(const QRect &icon) const
{
    if (!m_dismissedAt.isValid() || m_dismissedAt.elapsed() >= reopenGuardMs)
        return false;
    // A press elsewhere followed by a quick click on the icon is a real second click.
    return !m_dismissPress || !icon.isValid() || icon.contains(*m_dismissPress);
}

void PopoverWindow::mousePressEvent(QMouseEvent *event)
{
    if (m_kind == Kind::Popup && !QRectF(QPointF(0, 0), QSizeF(size())).contains(event->position())) {
        event->accept();
        dismissFromOutside(event->globalPosition().toPoint());
        return;
    }
    QQuickWindow::mousePressEvent(event);
}

void PopoverWindow::keyPressEvent(QKeyEvent *event)
{
    QQuickWindow::keyPressEvent(event);
    // Escape closes the innermost thing first: an editor or field that took it keeps the window open.
    if (event->key() == Qt::Key_Escape && !event->isAccepted()) {
        event->accept();
        dismiss();
    }
}

bool PopoverWindow::event(QEvent *event)
{
    if (event->type() == QEvent::Close && m_kind == Kind::Window) {
        // Closing the stand-in window only hides it; the application keeps running.
        event->ignore();
        dismiss();
        return true;
    }
    return QQuickWindow::event(event);
}
