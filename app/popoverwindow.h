// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRect>

#include <optional>

/*!
 * \brief The frameless window that holds the list under the tray icon.
 *
 * Its width and height follow the content's implicit size, computed before the first show
 * so the window never jumps. It closes on a press outside it (it grabs mouse and keyboard
 * while open, since a popup alone never closes on X11), on Escape and when it loses
 * activation. Without a tray it becomes an ordinary window that the user closes.
 */
class PopoverWindow : public QQuickWindow
{
    Q_OBJECT
public:
    enum class Kind { Popup, Window };

    explicit PopoverWindow(Kind kind = Kind::Popup);
    ~PopoverWindow() override;

    /*! Hosts \a content (reparented to the window) from now on. */
    void setContent(QQuickItem *content);
    QQuickItem *content() const { return m_content; }

    /*! Switches between the popup under the icon and an ordinary window (no tray). Closes it. */
    void setKind(Kind kind);
    Kind kind() const { return m_kind; }

    /*!
     * Where the window goes on \a screen for an icon at \a anchor (ignored when empty or at
     * the origin, as SNI hosts report no geometry) or else a click at \a cursor: centred
     * under the icon, or above it for a panel at the bottom, inside the available area.
     */
    static QPoint placement(QSize size, const QRect &anchor, QPoint cursor, const QRect &available);

    /*! Shows the window for an icon at \a anchor, or a click at \a cursor. */
    void open(const QRect &anchor, QPoint cursor);
    /*! Hides the window if shown. */
    void dismiss();

    /*!
     * Whether a press outside or a loss of activation dismissed the window a moment ago, at
     * \a icon when the press position is known: the tray click that follows is that same press.
     */
    bool justDismissed(const QRect &icon = {}) const;

Q_SIGNALS:
    void opened();
    void dismissed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    void fitContent();
    void applyFlags();
    void dismissFromOutside(std::optional<QPoint> press = std::nullopt);

    Kind m_kind;
    QPointer<QQuickItem> m_content;
    QElapsedTimer m_dismissedAt;
    std::optional<QPoint> m_dismissPress;
    bool m_grabbing = false;
};
