// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Runs one tst_*.qml file (ctest passes it with -input) against the real views, with the
// Store over the fake service in this process.
#include "maskedaccessible.h"
#include "storeforeign.h"
#include "translations.h"
#include "viewfixture.h"

#include <QQmlEngine>
#include <QQuickStyle>
#include <QStandardPaths>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Quibly_ViewsPlugin)

using namespace Qt::Literals::StringLiterals;

class ViewsSetup : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void applicationAvailable()
    {
        QStandardPaths::setTestModeEnabled(true);
        QQuickStyle::setStyle(u"Fusion"_s);
        Translations::install({ u"en"_s });
        MaskedAccessible::install();
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->addImportPath(u"qrc:/qt/qml"_s);
        auto *fixture = new ViewFixture(engine);
        StoreForeign::provide(engine, fixture->store());
        qmlRegisterSingletonInstance("Quibly.Test", 1, 0, "Fixture", fixture);
        qmlRegisterSingletonInstance("Quibly.Test", 1, 0, "SettingsFixture", new SettingsFixture(engine));
    }
};

QUICK_TEST_MAIN_WITH_SETUP(views, ViewsSetup)

#include "tst_views.moc"
