// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "maskedaccessible.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>

namespace {
constexpr int normalEcho = 0; // TextInput.Normal

/*! A password field as assistive technology sees it: role, state, name, and only the mask. */
class MaskedField : public QAccessibleObject, public QAccessibleTextInterface
{
public:
    explicit MaskedField(QQuickItem *item)
        : QAccessibleObject(item)
    { }

    QQuickItem *item() const { return static_cast<QQuickItem *>(object()); }

    QAccessibleInterface *parent() const override
    {
        for (QQuickItem *above = item()->parentItem(); above; above = above->parentItem())
            if (QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(above))
                return iface;
        return QAccessible::queryAccessibleInterface(item()->window());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QWindow *window() const override { return item()->window(); }

    QRect rect() const override
    {
        const QPointF origin = item()->mapToGlobal(QPointF(0, 0));
        return QRect(origin.toPoint(), item()->size().toSize());
    }
    QAccessible::Role role() const override { return QAccessible::EditableText; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.editable = !item()->property("readOnly").toBool();
        state.focusable = true;
        state.focused = item()->hasActiveFocus();
        state.passwordEdit = true;
        state.invisible = !item()->isVisible();
        state.disabled = !item()->isEnabled();
        return state;
    }
    QString text(QAccessible::Text type) const override
    {
        switch (type) {
        case QAccessible::Name:
            return attached("name");
        case QAccessible::Description:
            return attached("description");
        case QAccessible::Value:
            return masked();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override { }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleObject::interface_cast(type);
    }

    // QAccessibleTextInterface over the mask.
    void selection(int, int *start, int *end) const override
    {
        *start = item()->property("selectionStart").toInt();
        *end = item()->property("selectionEnd").toInt();
    }
    int selectionCount() const override { return hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { QMetaObject::invokeMethod(item(), "deselect"); }
    void setSelection(int, int start, int end) override
    {
        QMetaObject::invokeMethod(item(), "select", Q_ARG(int, start), Q_ARG(int, end));
    }
    int cursorPosition() const override { return item()->property("cursorPosition").toInt(); }
    void setCursorPosition(int position) override { item()->setProperty("cursorPosition", position); }
    QString text(int start, int end) const override { return masked().mid(start, end - start); }
    int characterCount() const override { return int(masked().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    bool hasSelection() const
    {
        return item()->property("selectionStart").toInt() != item()->property("selectionEnd").toInt();
    }
    QString masked() const { return item()->property("displayText").toString(); }
    QString attached(const char *name) const
    {
        // The Accessible attached object of the field is its child.
        for (QObject *child : item()->children())
            if (qstrcmp(child->metaObject()->className(), "QQuickAccessibleAttached") == 0)
                return child->property(name).toString();
        return {};
    }
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    auto *item = qobject_cast<QQuickItem *>(object);
    if (!item || !item->inherits("QQuickTextInput"))
        return nullptr;
    const QVariant echo = item->property("echoMode");
    if (!echo.isValid() || echo.toInt() == normalEcho)
        return nullptr;
    return new MaskedField(item);
}
} // namespace

void MaskedAccessible::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}
