// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Renders the list popover (loading, empty, loaded with every kind of task, offline, the editor
// open, 2,000 tasks) and the settings window (fresh, connected, recording a hot key, with
// problems) in English and Ukrainian on a light or a dark palette into PNG files for review. The
// Store and the connection check run over the fake service, with tasks relative to today. Any QML
// warning fails the run.
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
#include <QQmlProperty>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QtQml/qqmlextensionplugin.h>

#include <cmath>
#include <cstdio>
#include <functional>

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
    return QDateTime(QDate::currentDate().addDays(dayOffset), QTime(hour, minute)).toUTC().toString(Qt::ISODate);
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

const QVariantList captures {
    QVariantMap { { u"id"_s, u"a1"_s }, { u"status"_s, u"pending"_s } },
    QVariantMap { { u"id"_s, u"a2"_s }, { u"status"_s, u"failed"_s }, { u"error"_s, u"unreadable"_s } },
};

// The palette roles the views take (in QML by the same names, first letter in lower case), with
// their colours on a dark desktop.
const QColor darkWindow(0x2b, 0x2b, 0x2e), darkBase(0x1f, 0x1f, 0x22), darkText(0xec, 0xec, 0xee);
const std::pair<QPalette::ColorRole, QColor> darkColours[] = {
    { QPalette::Window, darkWindow },
    { QPalette::WindowText, darkText },
    { QPalette::Base, darkBase },
    { QPalette::AlternateBase, darkWindow },
    { QPalette::Text, darkText },
    { QPalette::Button, QColor(0x3a, 0x3a, 0x3e) },
    { QPalette::ButtonText, darkText },
    { QPalette::Highlight, QColor(0x3d, 0x8b, 0xf5) },
    { QPalette::HighlightedText, Qt::white },
    { QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93) },
    { QPalette::ToolTipBase, darkBase },
    { QPalette::ToolTipText, darkText },
    { QPalette::Light, QColor(0x48, 0x48, 0x4c) },
    { QPalette::Midlight, QColor(0x40, 0x40, 0x44) },
    { QPalette::Mid, QColor(0x30, 0x30, 0x33) },
    { QPalette::Dark, QColor(0x18, 0x18, 0x1a) },
    { QPalette::Shadow, Qt::black },
};

QPalette darkPalette()
{
    QPalette palette;
    for (const auto &[role, colour] : darkColours)
        palette.setColor(role, colour);
    for (const auto role : { QPalette::WindowText, QPalette::ButtonText, QPalette::Text })
        palette.setColor(QPalette::Disabled, role, QColor(0x7a, 0x7a, 0x7e));
    return palette;
}

// What the list shows: no answer yet, one done task, every kind of task, 2,000 tasks.
enum class Tasks { None, OneDone, EveryKind, Many };
struct ListScene
{
    const char *name;
    Tasks tasks;
    bool captures = false; //!< one recognising, one failed
    int queued = 0;
    bool offline = false; //!< the reload fails
    QString expand = {}; //!< the task opened in the editor
};
const ListScene listScenes[] {
    { "loading", Tasks::None },
    { "empty", Tasks::OneDone },
    { "loaded", Tasks::EveryKind, true, 2 },
    { "offline", Tasks::EveryKind, true, 0, true },
    { "editor", Tasks::EveryKind, false, 0, false, u"1"_s },
    { "many", Tasks::Many },
};

QVariantList tasksFor(Tasks tasks, bool ukrainian)
{
    QVariantList list;
    if (tasks == Tasks::OneDone)
        list.append(task(1, u"Done"_s, u"low"_s, { { u"done_at"_s, at(-1, 9, 0) } }));
    else if (tasks == Tasks::EveryKind)
        list = everyKind(ukrainian);
    for (int i = 1; tasks == Tasks::Many && i <= 2000; ++i)
        list.append(task(i, u"Task number %1"_s.arg(i), i % 3 == 0 ? u"high"_s : u"medium"_s,
                         { { u"due_date"_s, day(i % 40 - 5) } }));
    return list;
}

using SettingsScene = std::pair<QString, std::function<void(SettingsFixture &, SettingsForm &)>>;
const QList<SettingsScene> settingsScenes {
    { u"fresh"_s, [](SettingsFixture &, SettingsForm &) {} },
    { u"connected"_s,
      [](SettingsFixture &fixture, SettingsForm &form) {
          form.setServerUrl(fixture.url());
          form.setAccessKey(u"sk-live-2f9a41c7"_s);
          form.setLeftClick(u"capture"_s);
      } },
    { u"recording"_s,
      [](SettingsFixture &fixture, SettingsForm &form) {
          form.setServerUrl(fixture.url());
          form.setAccessKey(u"sk-live-2f9a41c7"_s);
          form.captureRecorder()->start();
      } },
    { u"problems"_s,
      [](SettingsFixture &fixture, SettingsForm &form) {
          fixture.answer(401);
          form.setServerUrl(fixture.url());
          form.setAccessKey(u"wrong"_s);
          form.captureRecorder()->setRefused(true);
          form.listRecorder()->setTrigger(u"Ctrl+Alt+Y"_s);
          fixture.blockAutostart();
          form.setStartAtLogin(true);
      } },
};

std::unique_ptr<QObject> create(QQmlEngine &engine, const char *view, const QVariantMap &properties = {})
{
    QQmlComponent component(&engine, QUrl(u"qrc:/qt/qml/Quibly/Views/"_s + QLatin1String(view) + u".qml"_s));
    std::unique_ptr<QObject> root(component.createWithInitialProperties(properties));
    if (!qobject_cast<QQuickItem *>(root.get())) {
        std::fprintf(stderr, "review_shots: %s\n", qPrintable(component.errorString()));
        root.reset();
    }
    return root;
}

// Shows \a item at its implicit size, lets transitions, images and the thumbnail settle, saves it.
QCoro::Task<bool> grab(QObject *root, const QString &path)
{
    auto *item = qobject_cast<QQuickItem *>(root);
    if (!item)
        co_return false;
    QQuickWindow window;
    window.setColor(QGuiApplication::palette().color(QPalette::Window));
    item->setParentItem(window.contentItem());
    const auto fit = [&] {
        item->setSize(QSizeF(item->implicitWidth(), item->implicitHeight()));
        window.resize(int(std::ceil(item->width())), int(std::ceil(item->height())));
    };
    fit();
    window.show();
    for (int frame = 0; frame < 3; ++frame)
        co_await qCoro(&window, &QQuickWindow::frameSwapped, 2s);
    co_await QCoro::sleepFor(600ms);
    fit();
    co_await qCoro(&window, &QQuickWindow::frameSwapped, 2s);
    co_return window.grabWindow().save(path);
}

QCoro::Task<bool> shoot(const ListScene &scene, bool ukrainian, const QString &path)
{
    QQmlEngine engine;
    engine.addImportPath(u"qrc:/qt/qml"_s);
    ViewFixture fixture;
    StoreForeign::provide(&engine, fixture.store());
    fixture.serveImage(u"cap-1"_s);
    if (scene.queued)
        fixture.queue(scene.queued);
    if (scene.offline)
        QObject::connect(&fixture, &ViewFixture::refreshesChanged, &fixture, [&fixture] { fixture.goOffline(); });
    if (scene.tasks != Tasks::None) {
        fixture.load(tasksFor(scene.tasks, ukrainian), scene.captures ? captures : QVariantList());
        co_await qCoro(&fixture, &ViewFixture::refreshesChanged, 10s);
    }
    const auto root = create(engine, "Popover");
    if (root && !scene.expand.isEmpty())
        root->property("tasks").value<TaskListModel *>()->expand(scene.expand);
    co_return co_await grab(root.get(), path);
}

QCoro::Task<> settled(SettingsForm &form)
{
    while (form.connection() == SettingsForm::Connection::Checking
           || (form.connection() == SettingsForm::Connection::Unknown && !form.serverUrl().isEmpty()))
        co_await qCoro(&form, &SettingsForm::connectionChanged, 5s);
}

QCoro::Task<bool> shoot(const SettingsScene &scene, const QString &path)
{
    QQmlEngine engine;
    engine.addImportPath(u"qrc:/qt/qml"_s);
    SettingsFixture fixture;
    fixture.reset();
    SettingsForm *form = fixture.form({ u"uk-UA"_s });
    scene.second(fixture, *form);
    form->checkConnection();
    co_await settled(*form);
    const auto root = create(engine, "SettingsView", { { u"form"_s, QVariant::fromValue(form) } });
    // Qt Quick Controls take their palette from the style's theme, not from the application:
    // hand it to the view's root, from which every control inherits.
    const QMetaEnum roles = QMetaEnum::fromType<QPalette::ColorRole>();
    for (const auto &[role, colour] : darkColours) {
        QString name = QLatin1String(roles.valueToKey(role));
        name[0] = name[0].toLower();
        if (root)
            QQmlProperty(root.get(), u"palette."_s + name).write(QGuiApplication::palette().color(role));
    }
    const bool saved = co_await grab(root.get(), path);
    form->stopRecording();
    co_return saved;
}

QCoro::Task<int> run(const QString &outDir, const QString &palette)
{
    int failures = 0;
    const auto report = [&](bool saved, const QString &path) {
        if (saved) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "review_shots: could not render %s\n", qPrintable(path));
            ++failures;
        }
    };
    for (const QString &language : { u"en"_s, u"uk"_s }) {
        Translations::install({ language });
        for (const ListScene &scene : listScenes) {
            const QString path = u"%1/%2-%3-%4.png"_s.arg(outDir, QLatin1String(scene.name), language, palette);
            report(co_await shoot(scene, language == u"uk", path), path);
        }
        for (const SettingsScene &scene : settingsScenes) {
            const QString path = u"%1/settings-%2-%3-%4.png"_s.arg(outDir, scene.first, language, palette);
            report(co_await shoot(scene, path), path);
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
    if (arguments.at(2) == u"dark")
        QGuiApplication::setPalette(darkPalette());
    QQuickStyle::setStyle(u"Fusion"_s);
    qInstallMessageHandler(recordWarnings);
    QDir().mkpath(arguments.at(1));
    int status = 1;
    auto running = [&]() -> QCoro::Task<> {
        status = co_await run(arguments.at(1), arguments.at(2));
        QCoreApplication::exit(status);
    };
    auto task = running();
    Q_UNUSED(task)
    app.exec();
    return status;
}
