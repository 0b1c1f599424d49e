// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
//
// A StatusNotifierItem host for tests, beside a real StatusNotifierWatcher:
//   snihost host                 registers as the host and stays until killed
//   snihost items                prints the registered items, one a line
//   snihost call METHOD [X Y]    calls Activate, SecondaryActivate or ContextMenu on every item
//   snihost get PROPERTY         prints a property of the first item (ToolTip title, Status, …)
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QTextStream>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString watcherService = u"org.kde.StatusNotifierWatcher"_s;
const QString watcherPath = u"/StatusNotifierWatcher"_s;

QStringList items(const QDBusConnection &bus)
{
    QDBusInterface watcher(watcherService, watcherPath, watcherService, bus);
    return watcher.property("RegisteredStatusNotifierItems").toStringList();
}

// "service/path" or "service" (path /StatusNotifierItem).
std::pair<QString, QString> split(const QString &item)
{
    const qsizetype slash = item.indexOf(u'/');
    return { item.left(slash), slash < 0 ? u"/StatusNotifierItem"_s : item.mid(slash) };
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (args.isEmpty() || !bus.isConnected()) {
        err << "usage: snihost host|items|call METHOD [X Y]|get PROPERTY (needs a session bus)\n";
        return 2;
    }
    const QString command = args.first();
    if (command == u"host"_s) {
        const QString name = u"org.kde.StatusNotifierHost-%1"_s.arg(QCoreApplication::applicationPid());
        if (!bus.registerService(name)) {
            err << "snihost: cannot own " << name << '\n';
            return 1;
        }
        QDBusInterface watcher(watcherService, watcherPath, watcherService, bus);
        const QDBusMessage reply = watcher.call(u"RegisterStatusNotifierHost"_s, name);
        if (reply.type() == QDBusMessage::ErrorMessage) {
            err << "snihost: " << reply.errorMessage() << '\n';
            return 1;
        }
        out << "host " << name << Qt::endl;
        return QCoreApplication::exec();
    }
    if (command == u"items"_s) {
        for (const QString &item : items(bus))
            out << item << '\n';
        return 0;
    }
    if (command == u"call"_s && (args.size() == 2 || args.size() == 4)) {
        const int x = args.size() == 4 ? args.at(2).toInt() : 0;
        const int y = args.size() == 4 ? args.at(3).toInt() : 0;
        const QStringList registered = items(bus);
        if (registered.isEmpty()) {
            err << "snihost: no item registered\n";
            return 1;
        }
        for (const QString &item : registered) {
            const auto [service, path] = split(item);
            auto message = QDBusMessage::createMethodCall(service, path, u"org.kde.StatusNotifierItem"_s, args.at(1));
            message << x << y;
            const QDBusMessage reply = bus.call(message);
            if (reply.type() == QDBusMessage::ErrorMessage) {
                err << "snihost: " << item << ": " << reply.errorMessage() << '\n';
                return 1;
            }
        }
        return 0;
    }
    if (command == u"get"_s && args.size() == 2) {
        const QStringList registered = items(bus);
        if (registered.isEmpty())
            return 1;
        const auto [service, path] = split(registered.first());
        auto message = QDBusMessage::createMethodCall(service, path, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
        message << u"org.kde.StatusNotifierItem"_s << args.at(1);
        const QDBusMessage reply = bus.call(message);
        if (reply.type() == QDBusMessage::ErrorMessage) {
            err << "snihost: " << reply.errorMessage() << '\n';
            return 1;
        }
        const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
        if (value.canConvert<QDBusArgument>()) {
            // ToolTip is (sa(iiay)ss): print its title.
            const auto argument = value.value<QDBusArgument>();
            if (argument.currentType() == QDBusArgument::StructureType) {
                QString iconName, title, description;
                argument.beginStructure();
                argument >> iconName;
                argument.beginArray(); // the icon pixmaps, skipped whole
                argument.endArray();
                argument >> title >> description;
                argument.endStructure();
                out << title << '\n';
                return 0;
            }
        }
        if (value.userType() == qMetaTypeId<QDBusObjectPath>())
            out << value.value<QDBusObjectPath>().path() << '\n';
        else
            out << value.toString() << '\n';
        return 0;
    }
    err << "snihost: unknown command\n";
    return 2;
}
