// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Renders the list popover in its typical states, in English and Ukrainian, on a light and
// a dark palette, into PNG files for review. The Store runs over the fake service with
// fixtures made relative to today. Any QML warning fails the run.
//
//   review_shots OUTPUT_DIRECTORY light|dark
#include "storeforeign.h"
#include "tasklistmodel.h"
#include "translations.h"
#include "viewfixture.h"

#include <QCoroSignal>
#include <QCoroTask>
#include <QCoroTimer>
#include <QDir>
#include <QGuiApplication>
#include <QPalette>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(Quibly_ViewsPlugin)

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {
bool s_warned = false;

void recordWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        s_warned = true;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

QString day(int offset)
{
    return QDate::currentDate().addDays(offset).toString(Qt::ISODate);
}

QString at(int dayOffset, int hour, int minute)
{
    const QDateTime local(QDate::currentDate().addDays(dayOffset), QTime(hour, minute));
    return local.toUTC().toString(Qt::ISODate);
}

QVariantMap task(qint64 id, const QString &title, const QString &priority, QVariantMap extra = {})
{
    extra.insert(u"id"_s, id);
    extra.insert(u"title"_s, title);
    extra.insert(u"priority"_s, priority);
    return extra;
}

QVariantList everyKind(bool ukrainian)
{
    const auto text = [ukrainian](const char *en, const char *uk) { return QString::fromUtf8(ukrainian ? uk : en); };
    return {
        task(1, text("Send the signed contract to Olena", "Надіслати Олені підписаний договір"), u"high"_s,
             { { u"due_date"_s, day(-2) },
               { u"source_app"_s, u"Telegram"_s },
               { u"source_person"_s, u"Olena"_s },
               { u"capture_id"_s, u"cap-1"_s } }),
        task(2, text("Pay the electricity bill", "Сплатити за електроенергію"), u"medium"_s,
             { { u"due_at"_s, at(0, 18, 30) }, { u"source_app"_s, u"Mail"_s } }),
        task(3, text("Book the dentist", "Записатися до стоматолога"), u"low"_s, { { u"due_date"_s, day(1) } }),
        task(4, text("Review the design notes before Friday's call", "Переглянути нотатки до дзвінка в пʼятницю"),
             u"medium"_s, { { u"due_date"_s, day(5) }, { u"source_person"_s, u"Taras"_s } }),
        task(5, text("Renew the passport", "Оновити паспорт"), u"low"_s, { { u"due_date"_s, day(400) } }),
        task(6, text("Buy a birthday present 🎁", "Купити подарунок на день народження 🎁"), u"high"_s, {}),
        task(7, u"להתקשר לדני בקשר לפגישה"_s, u"low"_s, {}),
        task(8, text("Water the plants", "Полити квіти"), u"medium"_s,
             { { u"done_at"_s, at(-1, 9, 0) }, { u"due_date"_s, day(-1) } }),
    };
}

QVariantList captures()
{
    return {
        QVariantMap { { u"id"_s, u"a1"_s }, { u"status"_s, u"pending"_s } },
        QVariantMap { { u"id"_s, u"a2"_s }, { u"status"_s, u"failed"_s }, { u"error"_s, u"unreadable"_s } },
    };
}

QPalette darkPalette()
{
    QPalette palette;
    const QColor window(0x2b, 0x2b, 0x2e), base(0x1f, 0x1f, 0x22), text(0xec, 0xec, 0xee);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0x8b, 0xf5));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Light, QColor(0x48, 0x48, 0x4c));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x44));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x33));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x7a, 0x7a, 0x7e));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x7a, 0x7a, 0x7e));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x7a, 0x7a, 0x7e));
    return palette;
}

struct Scene
{
    QString name;
    std::function<void(ViewFixture &, bool ukrainian)> prepare;
    QString expand; //!< the task opened in the editor
};

QCoro::Task<bool> shoot(const Scene &scene, bool ukrainian, const QString &path)
{
    QQmlEngine engine;
    engine.addImportPath(u"qrc:/qt/qml"_s);
    ViewFixture fixture;
    StoreForeign::provide(&engine, fixture.store());
    const int before = fixture.refreshes();
    scene.prepare(fixture, ukrainian);
    if (fixture.refreshes() == before && fixture.store()->loaded() == false && scene.name != u"loading")
        co_await qCoro(&fixture, &ViewFixture::refreshesChanged, 10s);

    QQmlComponent component(&engine, QUrl(u"qrc:/qt/qml/Quibly/Views/Popover.qml"_s));
    std::unique_ptr<QObject> root(component.create());
    auto *item = qobject_cast<QQuickItem *>(root.get());
    if (!item) {
        std::fprintf(stderr, "review_shots: %s\n", qPrintable(component.errorString()));
        co_return false;
    }
    if (!scene.expand.isEmpty()) {
        auto *tasks = item->property("tasks").value<TaskListModel *>();
        tasks->expand(scene.expand);
    }

    QQuickWindow window;
    window.setColor(QGuiApplication::palette().color(QPalette::Window));
    item->setParentItem(window.contentItem());
    window.resize(int(item->width()), int(item->implicitHeight()));
    window.show();
    // Let transitions, images and the thumbnail settle.
    for (int frame = 0; frame < 3; ++frame)
        co_await qCoro(&window, &QQuickWindow::frameSwapped, 2s);
    co_await QCoro::sleepFor(600ms);
    window.resize(int(item->width()), int(item->implicitHeight()));
    co_await qCoro(&window, &QQuickWindow::frameSwapped, 2s);
    co_return window.grabWindow().save(path);
}

QCoro::Task<int> run(const QString &outDir, bool dark)
{
    const QList<Scene> scenes {
        { u"loading"_s, [](ViewFixture &, bool) {}, {} },
        { u"empty"_s,
          [](ViewFixture &f, bool) {
              f.load({ task(1, u"Done"_s, u"low"_s, { { u"done_at"_s, at(-1, 9, 0) } }) }, {});
          },
          {} },
        { u"loaded"_s,
          [](ViewFixture &f, bool uk) {
              f.queue(2);
              f.load(everyKind(uk), captures());
          },
          {} },
        { u"offline"_s,
          [](ViewFixture &f, bool uk) {
              f.load(everyKind(uk), captures());
              QObject::connect(&f, &ViewFixture::refreshesChanged, &f, [&f] { f.goOffline(); });
          },
          {} },
        { u"editor"_s,
          [](ViewFixture &f, bool uk) {
              f.serveImage(u"cap-1"_s);
              f.load(everyKind(uk), {});
          },
          u"1"_s },
        { u"many"_s,
          [](ViewFixture &f, bool) {
              QVariantList tasks;
              for (int i = 1; i <= 2000; ++i)
                  tasks.append(task(i, u"Task number %1"_s.arg(i), i % 3 == 0 ? u"high"_s : u"medium"_s,
                                    { { u"due_date"_s, day(i % 40 - 5) } }));
              f.load(tasks, {});
          },
          {} },
    };

    int failures = 0;
    for (const QString &language : { u"en"_s, u"uk"_s }) {
        Translations::install({ language });
        {
            for (const Scene &scene : scenes) {
                const QString path
                    = u"%1/%2-%3-%4.png"_s.arg(outDir, scene.name, language, dark ? u"dark"_s : u"light"_s);
                if (!co_await shoot(scene, language == u"uk", path)) {
                    std::fprintf(stderr, "review_shots: could not render %s\n", qPrintable(path));
                    ++failures;
                } else {
                    std::printf("%s\n", qPrintable(path));
                }
            }
        }
    }
    co_return failures == 0 && !s_warned ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QUICK_BACKEND", "software");
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3 || (arguments.at(2) != u"light" && arguments.at(2) != u"dark")) {
        std::fprintf(stderr, "usage: review_shots OUTPUT_DIRECTORY light|dark\n");
        return 2;
    }
    // Before any view exists: Qt Quick Controls take the palette once, at their start.
    const bool dark = arguments.at(2) == u"dark";
    if (dark)
        QGuiApplication::setPalette(darkPalette());
    QQuickStyle::setStyle(u"Fusion"_s);
    qInstallMessageHandler(recordWarnings);
    QDir().mkpath(arguments.at(1));
    int status = 1;
    auto running = [&]() -> QCoro::Task<> {
        status = co_await run(arguments.at(1), dark);
        QCoreApplication::exit(status);
    };
    auto task = running();
    Q_UNUSED(task)
    app.exec();
    return status;
}
