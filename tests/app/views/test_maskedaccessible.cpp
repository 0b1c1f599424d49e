// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "maskedaccessible.h"

#include <QAccessible>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

class MaskedAccessibleTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { MaskedAccessible::install(); }

    void passwordFieldShowsOnlyItsMask()
    {
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport QtQuick.Controls\n"
                          "Window { Column {\n"
                          "  TextField { objectName: \"secret\"; echoMode: TextInput.Password; text: \"sk-123\" }\n"
                          "  TextField { objectName: \"plain\"; text: \"https://h\" } } }",
                          QUrl());
        std::unique_ptr<QObject> window(component.create());
        QVERIFY2(window, qPrintable(component.errorString()));
        auto *secret = window->findChild<QQuickItem *>(u"secret"_qs);
        auto *plain = window->findChild<QQuickItem *>(u"plain"_qs);
        QVERIFY(secret && plain);
        QAccessible::setActive(true);

        QAccessibleInterface *masked = QAccessible::queryAccessibleInterface(secret);
        QVERIFY(masked);
        QCOMPARE(masked->role(), QAccessible::EditableText);
        QVERIFY(masked->state().passwordEdit);
        QCOMPARE(masked->text(QAccessible::Value).size(), 6);
        QVERIFY(!masked->text(QAccessible::Value).contains(u"sk"_qs));
        QVERIFY(masked->textInterface());
        QVERIFY(!masked->textInterface()->text(0, 6).contains(u"sk"_qs));
        QCOMPARE(masked->textInterface()->characterCount(), 6);
        // It sits in the tree where the field is: its parent lists it among its children.
        QAccessibleInterface *parent = masked->parent();
        QVERIFY(parent);
        QVERIFY(parent->indexOfChild(masked) >= 0);

        // Other fields keep what Qt Quick says of them.
        QAccessibleInterface *open = QAccessible::queryAccessibleInterface(plain);
        QVERIFY(open);
        QCOMPARE(open->text(QAccessible::Value), u"https://h"_qs);
        QAccessible::setActive(false);
    }
};

QTEST_MAIN(MaskedAccessibleTest)
#include "test_maskedaccessible.moc"
