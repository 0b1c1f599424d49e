// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "qmlmodules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestQmlModules : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;

    void write(const QString &relative, const QByteArray &text)
    {
        const QString path = m_root.filePath(relative);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        write(u"views/Main.qml"_s, "import Ui\nimport \"parts\" as Parts\nimport Cycle\nItem {}\n");
        // What an installed module declares: required, optional and default imports, and a
        // dependency on a module that is not installed.
        write(u"qml/Ui/qmldir"_s,
              "module Ui\nimport Ui.Core auto\noptional import Ui.Extra\ndefault import Ui.Basic\n");
        write(u"qml/Ui/Core/qmldir"_s, "module Ui.Core\ndepends Ui.Shapes 1.0\n");
        write(u"qml/Ui/Basic/qmldir"_s, "module Ui.Basic\n");
        write(u"qml/Cycle/qmldir"_s, "module Cycle\nimport Cycle.Back\n");
        write(u"other/Cycle/Back/qmldir"_s, "module Cycle.Back\nimport Cycle\ndefault import Style.Gone\n");
    }

    void missing_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QStringList>("more");
        QTest::addColumn<QStringList>("expected");
        const QString qml = m_root.filePath(u"qml"_s), other = m_root.filePath(u"other"_s);
        QTest::newRow("followed through qmldir files")
            << QStringList { qml, other } << QStringList {} << QStringList { u"Style.Gone"_s, u"Ui.Shapes"_s };
        QTest::newRow("a path left out") << QStringList { qml } << QStringList { u"Ui.Basic"_s }
                                         << QStringList { u"Cycle.Back"_s, u"Ui.Shapes"_s };
        QTest::newRow("nothing installed")
            << QStringList {} << QStringList { u"Ui"_s } << QStringList { u"Cycle"_s, u"Ui"_s };
    }

    void missing()
    {
        QFETCH(QStringList, paths);
        QFETCH(QStringList, more);
        QFETCH(QStringList, expected);
        QCOMPARE(QmlModules::missing(m_root.filePath(u"views"_s), more, paths), expected);
    }

    void theApplicationsViews()
    {
        const QString views = QString::fromUtf16(QmlModules::viewsDir);
        const QStringList none = QmlModules::missing(views, {}, {});
        QVERIFY2(none.contains(u"QtQuick.Controls"_s) && none.contains(u"Quibly.Views"_s), qPrintable(none.join(u' ')));
        QCOMPARE(QmlModules::missing(views, { u"QtQuick.Controls.Fusion"_s }, QmlModules::importPaths()),
                 QStringList {});
    }

    void debianPackage()
    {
        QCOMPARE(QmlModules::debianPackage(u"QtQuick"_s), u"qml6-module-qtquick"_s);
        QCOMPARE(QmlModules::debianPackage(u"QtQuick.Shapes"_s), u"qml6-module-qtquick-shapes"_s);
        QCOMPARE(QmlModules::debianPackage(u"QtQuick.Controls.Fusion"_s), u"qml6-module-qtquick-controls"_s);
        QCOMPARE(QmlModules::debianPackage(u"QtQml.WorkerScript"_s), u"qml6-module-qtqml-workerscript"_s);
    }
};

QTEST_GUILESS_MAIN(TestQmlModules)
#include "test_qmlmodules.moc"
