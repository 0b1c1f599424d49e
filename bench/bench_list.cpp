// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// The list popover with many tasks, on the software renderer: time to the first frame,
// memory above the empty list, frame times while scrolling, and which rows a refresh that
// changes one task touches. Prints figures; passes or fails on nothing but a broken run.
//
//   bench_list [TASKS]   (default 2000)
#include "bench_common.h"
#include "storeforeign.h"
#include "tasklistmodel.h"
#include "translations.h"
#include "viewfixture.h"

#include <QCoroSignal>
#include <QCoroTask>
#include <QCoroTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <vector>

Q_IMPORT_QML_PLUGIN(Quibly_ViewsPlugin)

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {
// The task delegates the view holds now (made for the visible rows and its cache).
QList<QQuickItem *> taskDelegates(QQuickItem *view)
{
    QList<QQuickItem *> delegates;
    const auto *content = view->property("contentItem").value<QQuickItem *>();
    for (QQuickItem *item : content->childItems())
        if (item->objectName().startsWith(u"task-"))
            delegates.append(item);
    return delegates;
}

double residentMb()
{
    QFile status(u"/proc/self/statm"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * 4096 / (1024 * 1024) : 0;
}

QVariantList tasks(int count, const QString &titlePrefix = u"Task number"_s)
{
    QVariantList list;
    for (int i = 1; i <= count; ++i)
        list.append(QVariantMap { { u"id"_s, i },
                                  { u"title"_s, u"%1 %2"_s.arg(titlePrefix).arg(i) },
                                  { u"priority"_s, i % 3 == 0 ? u"high"_s : u"medium"_s },
                                  { u"due_date"_s, QDate::currentDate().addDays(i % 40 - 5).toString(Qt::ISODate) } });
    return list;
}

struct Shown
{
    std::unique_ptr<QQuickWindow> window;
    std::unique_ptr<QObject> root;
    double firstFrameMs = 0;
};

// The popover in a window of its own size, timed from creation to its first frame.
QCoro::Task<Shown> show(QQmlEngine &engine)
{
    Shown shown;
    QElapsedTimer clock;
    clock.start();
    QQmlComponent component(&engine, QUrl(u"qrc:/qt/qml/Quibly/Views/Popover.qml"_s));
    shown.root.reset(component.create());
    auto *item = qobject_cast<QQuickItem *>(shown.root.get());
    if (!item)
        qFatal("%s", qPrintable(component.errorString()));
    shown.window = std::make_unique<QQuickWindow>();
    item->setParentItem(shown.window->contentItem());
    shown.window->resize(400, std::max(1, int(item->implicitHeight())));
    shown.window->show();
    co_await qCoro(shown.window.get(), &QQuickWindow::frameSwapped, 5s);
    shown.firstFrameMs = double(clock.nsecsElapsed()) / 1e6;
    co_return shown;
}

QCoro::Task<int> run(int count)
{
    QQmlEngine engine;
    engine.addImportPath(u"qrc:/qt/qml"_s);
    ViewFixture fixture;
    StoreForeign::provide(&engine, fixture.store());

    fixture.load({}, {});
    co_await qCoro(&fixture, &ViewFixture::refreshesChanged, 10s);
    Shown empty = co_await show(engine);
    co_await QCoro::sleepFor(300ms);
    const double emptyMb = residentMb();
    std::printf("empty list: first frame %.1f ms, %.1f MB resident\n", empty.firstFrameMs, emptyMb);
    empty = {};

    fixture.load(tasks(count), {});
    co_await qCoro(&fixture, &ViewFixture::refreshesChanged, 30s);
    Shown full = co_await show(engine);
    co_await QCoro::sleepFor(300ms);
    std::printf("%d open tasks: first frame %.1f ms, %.1f MB resident (%.1f MB above the empty list, "
                "the Store's records included)\n",
                count, full.firstFrameMs, residentMb(), residentMb() - emptyMb);

    // Scrolling: the list moved by 24 px a frame, as a fast wheel does, timing each frame.
    auto *list = full.root->findChild<QQuickItem *>(u"taskList"_s)->property("listView").value<QQuickItem *>();
    std::vector<double> frames;
    QElapsedTimer frame;
    for (int step = 0; step < 240; ++step) {
        list->setProperty("contentY", list->property("contentY").toReal() + 24);
        frame.start();
        full.window->update();
        co_await qCoro(full.window.get(), &QQuickWindow::frameSwapped, 2s);
        frames.push_back(double(frame.nsecsElapsed()) / 1e6);
    }
    std::sort(frames.begin(), frames.end());
    std::printf("scrolling, %zu frames at %dx%d: median %.2f ms, 95th percentile %.2f ms, worst %.2f ms "
                "(60 fps needs 16.7 ms)\n",
                frames.size(), full.window->width(), full.window->height(), frames[frames.size() / 2],
                frames[frames.size() * 95 / 100], frames.back());

    // One task changes: one row changes, no delegate is made again.
    list->setProperty("contentY", 0);
    co_await qCoro(full.window.get(), &QQuickWindow::frameSwapped, 2s);
    // Let the view finish filling its cache above and below before counting.
    co_await QCoro::sleepFor(500ms);
    auto *model = full.root->property("tasks").value<TaskListModel *>();
    const QList<QQuickItem *> before = taskDelegates(list);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QVariantList next = tasks(count);
    QVariantMap first = next.at(0).toMap();
    first.insert(u"title"_s, u"Renamed on the service"_s);
    next[0] = first;
    fixture.load(next, {});
    co_await qCoro(&fixture, &ViewFixture::refreshesChanged, 30s);
    co_await QCoro::sleepFor(500ms);
    const QList<QQuickItem *> after = taskDelegates(list);
    int remade = 0;
    for (QQuickItem *item : after)
        remade += before.contains(item) ? 0 : 1;
    std::printf("refresh that renames one task: %lld rows changed, %lld inserted, %lld removed, "
                "%d of %lld delegates made again\n",
                qlonglong(changed.count()), qlonglong(inserted.count()), qlonglong(removed.count()), remade,
                qlonglong(after.size()));
    co_return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    QQuickStyle::setStyle(u"Fusion"_s);
    Translations::install({ u"en"_s });
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 2000;
    int status = 1;
    auto running = [&]() -> QCoro::Task<> {
        status = co_await run(count);
        QCoreApplication::exit(status);
    };
    auto task = running();
    Q_UNUSED(task)
    app.exec();
    return status;
}
