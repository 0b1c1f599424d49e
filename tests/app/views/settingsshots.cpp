// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// Renders the settings window (fresh, connected, recording a hot key, with problems) in
// English and Ukrainian on a light and a dark palette into PNG files for review. The
// connection check runs against the fake service. Any QML warning fails the run.
//
//   settings_shots OUTPUT_DIRECTORY
#include "maskedaccessible.h"
#include "settingsfixture.h"
#include "translations.h"

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

QPalette darkPalette()
{
    QPalette palette;
    const QColor window(0x2b, 0x2b, 0x2e);
    const QColor text(0xec, 0xec, 0xee);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x1f, 0x1f, 0x22));
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0x8b, 0xf5));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    palette.setColor(QPalette::Light, QColor(0x48, 0x48, 0x4c));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x44));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x33));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    palette.setColor(QPalette::Shadow, Qt::black);
    return palette;
}

QCoro::Task<> settled(SettingsForm &form)
{
    while (form.connection() == SettingsForm::Connection::Checking
           || (form.connection() == SettingsForm::Connection::Unknown && !form.serverUrl().isEmpty()))
        co_await qCoro(&form, &SettingsForm::connectionChanged, 5s);
}

struct Scene
{
    QString name;
    std::function<void(SettingsFixture &, SettingsForm &)> prepare;
};

const QList<Scene> scenes {
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

QCoro::Task<bool> shoot(const Scene &scene, const QString &path)
{
    QQmlEngine engine;
    engine.addImportPath(u"qrc:/qt/qml"_s);
    SettingsFixture fixture;
    fixture.reset();
    SettingsForm *form = fixture.form({ u"uk-UA"_s });
    scene.prepare(fixture, *form);
    form->checkConnection();
    co_await settled(*form);

    QQmlComponent component(&engine, QUrl(u"qrc:/qt/qml/Quibly/Views/SettingsView.qml"_s));
    std::unique_ptr<QObject> root(component.createWithInitialProperties({ { u"form"_s, QVariant::fromValue(form) } }));
    auto *item = qobject_cast<QQuickItem *>(root.get());
    if (!item) {
        std::fprintf(stderr, "settings_shots: %s\n", qPrintable(component.errorString()));
        co_return false;
    }
    // Qt Quick Controls take their palette from the style's theme, not from the application:
    // hand it to the view's root, from which every control inherits.
    const QPalette palette = QGuiApplication::palette();
    const std::pair<const char *, QPalette::ColorRole> roles[] = {
        { "window", QPalette::Window },
        { "windowText", QPalette::WindowText },
        { "base", QPalette::Base },
        { "alternateBase", QPalette::AlternateBase },
        { "text", QPalette::Text },
        { "button", QPalette::Button },
        { "buttonText", QPalette::ButtonText },
        { "highlight", QPalette::Highlight },
        { "highlightedText", QPalette::HighlightedText },
        { "placeholderText", QPalette::PlaceholderText },
        { "light", QPalette::Light },
        { "midlight", QPalette::Midlight },
        { "mid", QPalette::Mid },
        { "dark", QPalette::Dark },
        { "shadow", QPalette::Shadow },
    };
    for (const auto &[name, role] : roles)
        QQmlProperty(item, u"palette."_s + QLatin1String(name)).write(palette.color(role));
    co_await settled(*form);
    QQuickWindow window;
    window.setColor(QGuiApplication::palette().color(QPalette::Window));
    item->setParentItem(window.contentItem());
    const auto fit = [&] {
        item->setSize(QSizeF(item->implicitWidth(), item->implicitHeight()));
        window.resize(int(std::ceil(item->implicitWidth())), int(std::ceil(item->implicitHeight())));
    };
    fit();
    window.show();
    for (int frame = 0; frame < 2; ++frame)
        co_await qCoro(&window, &QQuickWindow::frameSwapped, 2s);
    co_await QCoro::sleepFor(300ms);
    fit();
    co_await qCoro(&window, &QQuickWindow::frameSwapped, 2s);
    const bool saved = window.grabWindow().save(path);
    form->stopRecording();
    co_return saved;
}

QCoro::Task<int> run(const QString &outDir)
{
    int failures = 0;
    for (const QString &language : { u"en"_s, u"uk"_s }) {
        Translations::install({ language });
        for (const bool dark : { false, true }) {
            QGuiApplication::setPalette(dark ? darkPalette() : QPalette());
            for (const Scene &scene : scenes) {
                const QString path
                    = u"%1/settings-%2-%3-%4.png"_s.arg(outDir, scene.name, language, dark ? u"dark"_s : u"light"_s);
                if (!co_await shoot(scene, path)) {
                    std::fprintf(stderr, "settings_shots: could not render %s\n", qPrintable(path));
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
    MaskedAccessible::install();
    QGuiApplication app(argc, argv);
    QQuickStyle::setStyle(u"Fusion"_s);
    qInstallMessageHandler(recordWarnings);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: settings_shots OUTPUT_DIRECTORY\n");
        return 2;
    }
    QDir().mkpath(arguments.at(1));
    int status = 1;
    auto running = [&]() -> QCoro::Task<> {
        status = co_await run(arguments.at(1));
        QCoreApplication::exit(status);
    };
    auto task = running();
    Q_UNUSED(task)
    app.exec();
    return status;
}
