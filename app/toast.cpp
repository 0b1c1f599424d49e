// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "toast.h"

#include "platform/x11.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTextLayout>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int panelWidth = 320;
constexpr int padX = 14;
constexpr int padY = 10;
constexpr int spacing = 4;
constexpr int radius = 12;
constexpr int gap = 6; // below the icon or the list
constexpr int margin = 12; // from the screen's edge
constexpr int maxLines = 6;
constexpr int linesPerMessage = 2;

QFont headerFont()
{
    QFont f = QGuiApplication::font();
    f.setPixelSize(12);
    f.setWeight(QFont::DemiBold);
    return f;
}

QFont lineFont()
{
    QFont f = QGuiApplication::font();
    f.setPixelSize(14);
    f.setWeight(QFont::Medium);
    return f;
}

// \a text wrapped to \a textWidth, at most linesPerMessage lines, the last one elided.
QStringList wrap(const QString &text, const QFont &font, int textWidth)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList rows;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(textWidth);
        if (rows.size() == linesPerMessage - 1) {
            QString rest = text.mid(line.textStart()).simplified();
            rows << QFontMetrics(font).elidedText(rest, Qt::ElideRight, textWidth);
            break;
        }
        rows << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return rows;
}

class ToastPanel : public QWidget
{
public:
    ToastPanel()
    {
        // Override-redirect on X11: no focus, no taskbar entry, on every desktop. Wayland
        // has no such windows without a parent, so there it is a tool window the compositor places.
        const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
        setWindowFlags((x11 ? Qt::ToolTip : Qt::Tool) | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                       | Qt::WindowDoesNotAcceptFocus);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        m_hide.setSingleShot(true);
        m_fade.setTargetObject(this);
        m_fade.setPropertyName("windowOpacity");
    }

    void setLines(const QStringList &lines)
    {
        m_rows.clear();
        const QFont font = lineFont();
        for (const QString &line : lines)
            m_rows << wrap(line, font, panelWidth - 2 * padX);
        int height = 2 * padY + QFontMetrics(headerFont()).height();
        const int rowHeight = QFontMetrics(font).height();
        for (const QStringList &rows : std::as_const(m_rows))
            height += spacing + int(rows.size()) * rowHeight;
        setFixedSize(panelWidth, height);
        // Without a compositing manager the transparent corners would show black: cut them off.
        m_composited = X11::compositing() || QGuiApplication::platformName() != QLatin1String("xcb");
        if (m_composited) {
            clearMask();
        } else {
            QPainterPath path;
            path.addRoundedRect(QRectF(rect()), radius, radius);
            setMask(QRegion(path.toFillPolygon().toPolygon()));
        }
        update();
    }

    bool composited() const { return m_composited; }

    QTimer m_hide;
    QPropertyAnimation m_fade;
    std::function<void()> m_tap;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor background = palette().color(QPalette::Window);
        background.setAlpha(m_composited ? 240 : 255);
        p.setPen(QPen(palette().color(QPalette::Mid), 1));
        p.setBrush(background);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

        int y = padY;
        const QFont header = headerFont();
        QColor dim = palette().color(QPalette::WindowText);
        dim.setAlphaF(0.6f);
        p.setPen(dim);
        p.setFont(header);
        const QFontMetrics hm(header);
        p.drawText(padX, y + hm.ascent(), qtTrId("app.name"));
        y += hm.height();

        const QFont font = lineFont();
        const QFontMetrics fm(font);
        p.setPen(palette().color(QPalette::WindowText));
        p.setFont(font);
        for (const QStringList &rows : std::as_const(m_rows)) {
            y += spacing;
            for (const QString &row : rows) {
                p.drawText(padX, y + fm.ascent(), row);
                y += fm.height();
            }
        }
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && m_tap)
            m_tap();
    }

private:
    QList<QStringList> m_rows;
    bool m_composited = false;
};

struct State
{
    QStringList lines;
    QPointer<ToastPanel> panel;
    std::function<std::optional<QRect>()> anchor;
    std::function<std::optional<QRect>()> avoid;
    std::function<void()> onClick;
    bool suspended = false;
    Toast::Timings timings;
};

State &state()
{
    static State s;
    return s;
}

// The screen that holds \a point, else the primary one.
QScreen *screenFor(QPoint point)
{
    if (QScreen *s = QGuiApplication::screenAt(point))
        return s;
    return QGuiApplication::primaryScreen();
}

void place(ToastPanel *panel)
{
    State &s = state();
    const int w = panel->width();
    const int h = panel->height();
    std::optional<QRect> below;
    if (s.avoid)
        below = s.avoid();
    if (!below && s.anchor)
        below = s.anchor();
    if (below) {
        QPoint origin(below->center().x() - w / 2, below->y() + below->height() + gap);
        if (QScreen *screen = screenFor(below->center())) {
            const QRect area = screen->availableGeometry();
            // A panel at the bottom of the screen: hang above the icon instead of off the screen.
            if (origin.y() + h > area.bottom() + 1)
                origin.setY(below->y() - h - gap);
            origin.setX(std::clamp(origin.x(), area.left(), std::max(area.left(), area.right() + 1 - w)));
            origin.setY(std::clamp(origin.y(), area.top(), std::max(area.top(), area.bottom() + 1 - h)));
        }
        panel->move(origin);
        return;
    }
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        panel->move(area.right() + 1 - w - margin, area.top() + gap);
    }
}

void dismiss()
{
    State &s = state();
    ToastPanel *panel = s.panel;
    s.lines.clear();
    if (!panel)
        return;
    panel->m_hide.stop();
    panel->m_fade.stop();
    panel->m_fade.setDuration(int(s.timings.fadeOut.count()));
    panel->m_fade.setStartValue(panel->windowOpacity());
    panel->m_fade.setEndValue(0.0);
    panel->m_fade.start();
}

void present()
{
    State &s = state();
    ToastPanel *panel = s.panel;
    panel->setLines(s.lines);
    place(panel);
    panel->m_fade.stop();
    if (!panel->isVisible()) {
        panel->setWindowOpacity(0.0);
        panel->show();
    }
    panel->m_fade.setDuration(int(s.timings.fadeIn.count()));
    panel->m_fade.setStartValue(panel->windowOpacity());
    panel->m_fade.setEndValue(1.0);
    panel->m_fade.start();
    panel->m_hide.start(s.timings.stay);
}

ToastPanel *makePanel()
{
    auto *panel = new ToastPanel;
    QObject::connect(&panel->m_hide, &QTimer::timeout, panel, &dismiss);
    QObject::connect(&panel->m_fade, &QPropertyAnimation::finished, panel, [panel] {
        // A message that came in during the fade-out keeps the panel up.
        if (state().lines.isEmpty())
            panel->hide();
    });
    panel->m_tap = [] {
        dismiss();
        if (state().panel)
            state().panel->hide();
        if (state().onClick)
            state().onClick();
    };
    return panel;
}

} // namespace

void Toast::show(const QString &text)
{
    State &s = state();
    s.lines.append(text);
    if (s.lines.size() > maxLines)
        s.lines = s.lines.mid(s.lines.size() - maxLines);
    if (!s.panel)
        s.panel = makePanel();
    if (s.suspended)
        return;
    present();
}

void Toast::setAnchor(std::function<std::optional<QRect>()> anchor)
{
    state().anchor = std::move(anchor);
}

void Toast::setAvoid(std::function<std::optional<QRect>()> avoid)
{
    state().avoid = std::move(avoid);
}

void Toast::setOnClick(std::function<void()> onClick)
{
    state().onClick = std::move(onClick);
}

void Toast::setSuspended(bool suspended)
{
    State &s = state();
    if (s.suspended == suspended)
        return;
    s.suspended = suspended;
    if (!s.panel)
        return;
    if (suspended) {
        s.panel->m_fade.stop();
        s.panel->m_hide.stop();
        s.panel->hide();
    } else if (!s.lines.isEmpty()) {
        present();
    }
}

QStringList Toast::lines()
{
    return state().lines;
}

QWidget *Toast::panel()
{
    return state().panel;
}

void Toast::setTimings(const Timings &timings)
{
    state().timings = timings;
}
