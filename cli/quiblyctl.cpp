// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "quiblyctl.h"

#include "accesskey.h"
#include "decoder.h"
#include "defaults.h"
#include "desktopbus.h"
#include "notifier.h"
#include "ordering.h"
#include "recordjson.h"
#include "store.h"
#include "taskdraft.h"
#include "taskstyle.h"

#include <QCommandLineParser>
#include <QCoroDBusPendingCall>
#include <QCoroTimer>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>
#include <QTimeZone>
#include <QTimer>

#include <cstdio>
#include <termios.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {
void detach(QCoro::Task<> task)
{
    Q_UNUSED(task)
}

/*! Announcements go to standard output, one per line, as they are made. */
class PrintNotifier : public Notifier
{
public:
    explicit PrintNotifier(QTextStream &out)
        : m_out(out)
    { }
    void post(const QString &text) override
    {
        m_out << text << u'\n';
        m_out.flush();
    }

private:
    QTextStream &m_out;
};

/*! Which command takes which arguments and options (besides --json). */
struct CommandShape
{
    qsizetype minArguments;
    qsizetype maxArguments;
    QStringList options;
};

const QHash<QString, CommandShape> &commands()
{
    static const QHash<QString, CommandShape> shapes {
        { u"config"_s, { 0, 2, {} } },
        { u"sync"_s, { 0, 0, {} } },
        { u"list"_s, { 0, 0, { u"done"_s } } },
        { u"badge"_s, { 0, 0, {} } },
        { u"add"_s, { 1, 1, {} } },
        { u"done"_s, { 1, 1, {} } },
        { u"reopen"_s, { 1, 1, {} } },
        { u"delete"_s, { 1, 1, {} } },
        { u"edit"_s, { 1, 1, { u"title"_s, u"description"_s, u"priority"_s, u"due"_s, u"due-at"_s, u"no-due"_s } } },
        { u"captures"_s, { 0, 0, {} } },
        { u"retry"_s, { 1, 1, {} } },
        { u"delete-capture"_s, { 1, 1, {} } },
        { u"capture"_s, { 1, 1, { u"no-wait"_s, u"timeout"_s } } },
        { u"queue"_s, { 0, 0, {} } },
        { u"app"_s, { 1, 1, {} } },
    };
    return shapes;
}

QString priorityText(Priority priority)
{
    switch (priority) {
    case Priority::High:
        return u"high"_s;
    case Priority::Medium:
        return u"medium"_s;
    case Priority::Low:
        return u"low"_s;
    }
    return {};
}

std::optional<qint64> taskId(const QString &text)
{
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    if (!ok || text.trimmed() != text)
        return std::nullopt;
    return id;
}

QString argumentCount(const QString &command, const CommandShape &shape, qsizetype given)
{
    QString wanted;
    if (shape.maxArguments == 0)
        wanted = u"no argument"_s;
    else if (shape.minArguments == shape.maxArguments && shape.maxArguments == 1)
        wanted = u"one argument"_s;
    else
        wanted = u"%1 to %2 arguments"_s.arg(shape.minArguments).arg(shape.maxArguments);
    return u"%1 takes %2, got %3"_s.arg(command, wanted).arg(given);
}

// The shared problem texts point at the settings window; here the user needs the command.
QString notConfiguredDetail(const Defaults &defaults)
{
    const auto server = defaults.serverURL();
    if (!server)
        return u"quiblyctl: no server URL is stored; set it with: quiblyctl config server URL"_s;
    if (!Store::usableServerURL(*server))
        return u"quiblyctl: the stored server URL \"%1\" is not an absolute URL with a scheme and a host"
               " (such as http://127.0.0.1:8765); set it with: quiblyctl config server URL"_s.arg(*server);
    return u"quiblyctl: no access key is stored; store it with: quiblyctl config key < FILE"_s;
}

QString errorDetail(const ServiceError &error, const QString &server)
{
    const auto *api = std::get_if<APIError>(&error);
    if (!api)
        return {}; // decoding errors are logged as they happen
    switch (api->kind) {
    case APIError::Kind::Offline:
        return u"quiblyctl: could not reach "_s + server;
    case APIError::Kind::Unauthorized:
        return u"quiblyctl: "_s + server
            + u" refused the access key; store the right one with: quiblyctl config key < FILE"_s;
    case APIError::Kind::Rejected:
        return u"quiblyctl: the service refused the request: "_s + api->code;
    case APIError::Kind::Server:
        return api->status ? u"quiblyctl: the service failed with HTTP status %1"_s.arg(api->status)
                           : u"quiblyctl: the service did not answer in HTTP"_s;
    }
    return {};
}

bool standardInputIsTerminal()
{
    return ::isatty(STDIN_FILENO) == 1;
}

// A terminal ends its input only on Ctrl-D: read one line there, without echoing the key.
QByteArray readKeyFromTerminal(QTextStream &err)
{
    err << u"Access key: "_s;
    err.flush();
    termios saved {};
    const bool quiet = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    QFile in;
    QByteArray line;
    if (in.open(stdin, QIODevice::ReadOnly))
        line = in.readLine();
    if (quiet)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    err << u'\n';
    err.flush();
    return line;
}

QByteArray readStandardInput()
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return {};
    return in.readAll();
}
} // namespace

QuiblyCtl::QuiblyCtl(QTextStream &out, QTextStream &err, QNetworkAccessManager *session, QObject *parent)
    : QObject(parent)
    , m_out(out)
    , m_err(err)
    , m_session(session)
{ }

QString QuiblyCtl::usage()
{
    return uR"(Usage: quiblyctl [--json] COMMAND [ARGS]
  config                          show server URL, task language, whether a key is stored (never the key)
  config server URL               store the server URL ("" removes it)
  config key                      read the access key from standard input and store it (blank removes it)
  config language uk|en           store the task language
  sync                            one sync; print each announcement on its own line
  list [--done]                   reload; open tasks in display order (or done tasks, latest first)
  badge                           reload; print the urgent count alone
  add TITLE                       create a task
  done ID | reopen ID | delete ID
  edit ID [--title T] [--description D] [--priority high|medium|low]
          [--due YYYY-MM-DD | --due-at RFC3339 | --no-due]
  captures                        reload; open captures
  retry CAPTURE_ID | delete-capture CAPTURE_ID
  capture FILE|- [--no-wait] [--timeout SECONDS]
                                  queue the PNG (from a file or standard input), sync, then follow until
                                  its outcome is announced (default timeout 120 s); print announcements
  queue                           list the local queue, oldest first
  app capture|list|settings       ask the running Quibly to take a screenshot, open or close its list,
                                  or show its settings (for the desktop's own keyboard shortcuts)

Exit status: 0 success, 1 the service failed or a problem remains, 2 usage error, 3 not configured
(for app: Quibly is not running).
)"_s;
}

QCoro::Task<int> QuiblyCtl::callApp(QString action, std::function<int(const QString &)> usageError)
{
    static const QHash<QString, QString> methods {
        { u"capture"_s, u"Capture"_s },
        { u"list"_s, u"ToggleList"_s },
        { u"settings"_s, u"OpenSettings"_s },
    };
    const auto method = methods.constFind(action);
    if (method == methods.cend())
        co_return usageError(u"app takes capture, list or settings, got "_s + action);
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_err << u"quiblyctl: no session bus, so no running Quibly to reach\n"_s;
        co_return NotConfigured;
    }
    auto message = QDBusMessage::createMethodCall(DesktopBus::serviceName(), DesktopBus::objectPath(),
                                                  DesktopBus::interfaceName(), *method);
    const QDBusPendingReply<> reply = co_await bus.asyncCall(message, 5000);
    if (reply.isValid())
        co_return Success;
    const QString error = reply.error().name();
    if (error == u"org.freedesktop.DBus.Error.ServiceUnknown"_s
        || error == u"org.freedesktop.DBus.Error.NameHasNoOwner"_s) {
        m_err << u"quiblyctl: Quibly is not running (start it first)\n"_s;
        co_return NotConfigured;
    }
    m_err << u"quiblyctl: Quibly did not take the request: "_s << reply.error().message() << u'\n';
    co_return Failure;
}

QCoro::Task<int> QuiblyCtl::run(QStringList arguments)
{
    const auto usageError = [this](const QString &message) {
        m_err << u"quiblyctl: "_s << message << u"\n\n"_s << usage();
        m_err.flush();
        return int(Usage);
    };

    QCommandLineParser parser;
    const QCommandLineOption jsonOption(u"json"_s);
    const QCommandLineOption helpOption(QStringList { u"h"_s, u"help"_s });
    const QCommandLineOption doneOption(u"done"_s);
    const QCommandLineOption titleOption(u"title"_s, {}, u"T"_s);
    const QCommandLineOption descriptionOption(u"description"_s, {}, u"D"_s);
    const QCommandLineOption priorityOption(u"priority"_s, {}, u"P"_s);
    const QCommandLineOption dueOption(u"due"_s, {}, u"DAY"_s);
    const QCommandLineOption dueAtOption(u"due-at"_s, {}, u"TIME"_s);
    const QCommandLineOption noDueOption(u"no-due"_s);
    const QCommandLineOption noWaitOption(u"no-wait"_s);
    const QCommandLineOption timeoutOption(u"timeout"_s, {}, u"SECONDS"_s);
    parser.addOptions({ jsonOption, helpOption, doneOption, titleOption, descriptionOption, priorityOption, dueOption,
                        dueAtOption, noDueOption, noWaitOption, timeoutOption });
    if (!parser.parse(arguments))
        co_return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        m_out << usage();
        co_return Success;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        co_return usageError(u"no command given"_s);
    const QString command = positional.first();
    const QStringList args = positional.mid(1);
    const auto shape = commands().constFind(command);
    if (shape == commands().cend())
        co_return usageError(u"unknown command: "_s + command);
    if (args.size() < shape->minArguments || args.size() > shape->maxArguments)
        co_return usageError(argumentCount(command, *shape, args.size()));
    for (const QString &name : parser.optionNames()) {
        const QString longName = name == u"h"_s ? u"help"_s : name;
        if (longName != u"json"_s && !shape->options.contains(longName))
            co_return usageError(u"option --"_s + longName + u" does not apply to "_s + command);
    }
    // QCommandLineParser keeps every value and value() returns the last: a repeated option
    // would drop the user's earlier value without a word.
    for (const QCommandLineOption *option :
         { &titleOption, &descriptionOption, &priorityOption, &dueOption, &dueAtOption, &timeoutOption })
        if (parser.values(*option).size() > 1)
            co_return usageError(u"--"_s + option->names().first() + u" given more than once"_s);
    const bool json = parser.isSet(jsonOption);
    const auto printJson = [this](const QJsonDocument &document) {
        m_out << QString::fromUtf8(document.toJson(QJsonDocument::Indented));
    };

    if (command == u"app")
        co_return co_await callApp(args.first(), usageError);

    Defaults defaults;

    // Settings need no service.
    if (command == u"config") {
        if (args.isEmpty()) {
            const auto server = defaults.serverURL();
            const bool keyStored = AccessKey::read().has_value();
            if (json) {
                printJson(QJsonDocument(QJsonObject {
                    { u"server_url"_s, server ? QJsonValue(*server) : QJsonValue(QJsonValue::Null) },
                    { u"task_language"_s, defaults.taskLanguage() },
                    { u"access_key"_s, keyStored },
                }));
            } else {
                m_out << u"server\t"_s << server.value_or(QString()) << u'\n' << u"language\t"_s
                      << defaults.taskLanguage() << u'\n' << u"key\t"_s << (keyStored ? u"stored"_s : u"not stored"_s)
                      << u'\n';
            }
            co_return Success;
        }
        const QString what = args.first();
        if (what == u"server") {
            if (args.size() != 2)
                co_return usageError(u"config server takes one URL (\"\" removes it)"_s);
            const QString url = args.at(1);
            defaults.setServerURL(url.isEmpty() ? std::nullopt : std::optional<QString>(url));
            // Stored as typed, like the settings window does; but say now that it cannot work.
            if (!url.isEmpty() && !Store::usableServerURL(url)) {
                m_err << u"quiblyctl: warning: \""_s << url
                      << u"\" is not an absolute URL with a scheme and a host (such as http://127.0.0.1:8765);"
                         " Quibly counts as not set up until it is"_s
                      << u'\n';
                m_err.flush();
            }
            co_return Success;
        }
        if (what == u"key") {
            if (args.size() != 1)
                co_return usageError(u"config key reads the key from standard input and takes no argument"_s);
            const QByteArray key = standardInputIsTerminal() ? readKeyFromTerminal(m_err) : readStandardInput();
            AccessKey::write(QString::fromUtf8(key));
            co_return Success;
        }
        if (what == u"language") {
            if (args.size() != 2 || (args.at(1) != u"uk" && args.at(1) != u"en"))
                co_return usageError(u"the task language is uk or en"_s);
            defaults.setTaskLanguage(args.at(1));
            co_return Success;
        }
        co_return usageError(u"unknown setting: "_s + what + u" (server, key or language)"_s);
    }

    std::optional<qint64> id;
    if (command == u"done" || command == u"reopen" || command == u"delete" || command == u"edit") {
        id = taskId(args.first());
        if (!id)
            co_return usageError(u"not a task id: "_s + args.first());
    }

    // Everything the edit asks for is checked before anything is sent.
    std::optional<Priority> priority;
    std::optional<QDate> dueDay;
    std::optional<QDateTime> dueAt;
    if (command == u"edit") {
        if (int(parser.isSet(dueOption)) + int(parser.isSet(dueAtOption)) + int(parser.isSet(noDueOption)) > 1)
            co_return usageError(u"--due, --due-at and --no-due exclude each other"_s);
        if (parser.isSet(priorityOption)) {
            const QString value = parser.value(priorityOption);
            for (Priority p : { Priority::High, Priority::Medium, Priority::Low })
                if (priorityText(p) == value)
                    priority = p;
            if (!priority)
                co_return usageError(u"the priority is high, medium or low"_s);
        }
        if (parser.isSet(dueOption)) {
            const QString value = parser.value(dueOption);
            const QDate day = QDate::fromString(value, u"yyyy-MM-dd");
            if (!day.isValid() || value.size() != 10)
                co_return usageError(u"--due takes a day as YYYY-MM-DD: "_s + value);
            dueDay = day;
        }
        if (parser.isSet(dueAtOption)) {
            const auto parsed = Decoder::rfc3339(parser.value(dueAtOption));
            if (!parsed.ok())
                co_return usageError(u"--due-at takes an RFC 3339 time: "_s + parser.value(dueAtOption));
            dueAt = parsed.value();
        }
    }

    std::chrono::milliseconds timeout { 120000 };
    if (parser.isSet(timeoutOption)) {
        bool ok = false;
        const double seconds = parser.value(timeoutOption).toDouble(&ok);
        if (!ok || seconds < 0 || seconds > 24 * 3600)
            co_return usageError(u"--timeout takes a number of seconds from 0 to 86400"_s);
        timeout = std::chrono::milliseconds(qint64(seconds * 1000));
    }

    QByteArray png;
    if (command == u"capture") {
        const QString file = args.first();
        if (file == u"-") {
            if (standardInputIsTerminal())
                co_return usageError(u"capture - reads the PNG from standard input, but standard input is a terminal;"
                                     " pipe the image in (grim - | quiblyctl capture -)"_s);
            png = readStandardInput();
        } else {
            QFile input(file);
            if (!input.open(QIODevice::ReadOnly))
                co_return usageError(u"cannot read "_s + file + u": "_s + input.errorString());
            png = input.readAll();
            if (input.error() != QFileDevice::NoError)
                co_return usageError(u"cannot read "_s + file + u": "_s + input.errorString());
        }
    }

    PrintNotifier notifier(m_out);
    Store::Setup setup;
    setup.defaults = &defaults;
    setup.notifier = &notifier;
    setup.session = m_session;
    Store store(setup);
    std::optional<ServiceError> lastError;
    connect(&store, &Store::failed, this, [this, &lastError](const ServiceError &error) {
        lastError = error;
        if (const auto *decoding = std::get_if<DecodeError>(&error)) {
            m_err << u"quiblyctl: the service's answer could not be read: "_s << decoding->description() << u'\n';
            m_err.flush();
        }
    });
    // Each problem once, with what the command line can add to it.
    QString shownProblem;
    const auto showProblem = [this, &store, &defaults, &lastError, &shownProblem] {
        if (!store.problem() || *store.problem() == shownProblem)
            return;
        shownProblem = *store.problem();
        m_err << shownProblem << u'\n';
        const QString detail = !store.api() ? notConfiguredDetail(defaults)
            : lastError ? errorDetail(*lastError, defaults.serverURL().value_or(QString()).trimmed())
                        : QString();
        if (!detail.isEmpty())
            m_err << detail << u'\n';
        m_err.flush();
    };
    const auto finish = [&store, &showProblem](bool ok = true) {
        if (store.problem()) {
            showProblem();
            return int(store.api() ? Failure : NotConfigured);
        }
        return int(ok ? Success : Failure);
    };
    const QTimeZone zone = QTimeZone::systemTimeZone();

    if (command == u"queue") {
        const auto items = store.queue().pending();
        if (json) {
            QJsonArray array;
            for (const QueuedCapture &item : items)
                array.append(RecordJson::queued(item));
            printJson(QJsonDocument(array));
        } else {
            for (const QueuedCapture &item : items)
                m_out << item.id << u'\t' << item.localTime.toTimeZone(zone).toString(u"yyyy-MM-dd HH:mm:ss") << u'\t'
                      << item.timeZone << u'\t' << item.language << u'\n';
        }
        co_return Success;
    }

    if (command == u"sync") {
        co_await store.sync();
        co_return finish();
    }

    if (command == u"list" || command == u"badge") {
        co_await store.refresh();
        if (store.problem())
            co_return finish();
        const QDateTime now = QDateTime::currentDateTimeUtc();
        if (command == u"badge") {
            m_out << Ordering::badge(store.tasks(), now, zone) << u'\n';
            co_return Success;
        }
        const QList<TaskItem> shown
            = parser.isSet(doneOption) ? Ordering::done(store.tasks()) : Ordering::open(store.tasks(), now, zone);
        if (json) {
            QJsonArray array;
            for (const TaskItem &task : shown)
                array.append(RecordJson::task(task));
            printJson(QJsonDocument(array));
        } else {
            for (const TaskItem &task : shown)
                m_out << task.id << u'\t' << (Ordering::isUrgent(task, now, zone) ? u"!"_s : QString()) << u'\t'
                      << priorityText(task.priority) << u'\t' << TaskStyle::deadline(task, now, zone) << u'\t'
                      << task.title << u'\n';
        }
        co_return Success;
    }

    if (command == u"captures") {
        co_await store.refresh();
        if (store.problem())
            co_return finish();
        if (json) {
            QJsonArray array;
            for (const Capture &capture : store.openCaptures())
                array.append(RecordJson::capture(capture));
            printJson(QJsonDocument(array));
        } else {
            for (const Capture &capture : store.openCaptures())
                m_out << capture.id << u'\t' << capture.status << u'\t' << capture.error << u'\t'
                      << capture.localTime.toTimeZone(zone).toString(u"yyyy-MM-dd HH:mm:ss") << u'\n';
        }
        co_return Success;
    }

    // Awaited tasks are named locals: GCC 12 may destroy temporaries of a co_await
    // expression twice.
    if (command == u"add") {
        auto adding = store.add(args.first());
        co_return finish(co_await std::move(adding));
    }

    TaskItem target;
    target.id = id.value_or(0);
    if (command == u"done" || command == u"reopen") {
        auto marking = store.setDone(target, command == u"done");
        co_return finish(co_await std::move(marking));
    }
    if (command == u"delete") {
        auto deleting = store.deleteTask(target);
        co_return finish(co_await std::move(deleting));
    }

    if (command == u"edit") {
        // The change set compares with the service's newest record, as the editor does.
        co_await store.refresh();
        if (store.problem())
            co_return finish();
        const auto found = std::find_if(store.tasks().cbegin(), store.tasks().cend(),
                                        [&](const TaskItem &task) { return task.id == *id; });
        if (found == store.tasks().cend()) {
            m_err << u"quiblyctl: no task with id "_s << *id << u'\n';
            co_return Failure;
        }
        const TaskItem current = *found;
        TaskDraft draft = TaskDraft::from(current, zone, QDateTime::currentDateTimeUtc());
        if (parser.isSet(titleOption))
            draft.title = parser.value(titleOption);
        if (parser.isSet(descriptionOption))
            draft.details = parser.value(descriptionOption);
        if (priority)
            draft.priority = *priority;
        if (dueDay) {
            draft.hasDeadline = true;
            draft.hasTime = false;
            draft.deadline = dueDay->startOfDay(zone);
        } else if (dueAt) {
            draft.hasDeadline = true;
            draft.hasTime = true;
            draft.deadline = *dueAt;
        } else if (parser.isSet(noDueOption)) {
            draft.hasDeadline = false;
        }
        auto saving = store.save(current, draft.changes(current, zone));
        co_return finish(co_await std::move(saving));
    }

    if (command == u"retry" || command == u"delete-capture") {
        Capture capture;
        capture.id = args.first();
        auto request = command == u"retry" ? store.retry(capture) : store.deleteCapture(capture);
        co_await std::move(request);
        co_return finish();
    }

    Q_ASSERT(command == u"capture");
    QString captureId;
    std::optional<Outcome> outcome;
    bool dropped = false;
    QTimer done;
    done.setSingleShot(true);
    connect(&store, &Store::captureQueued, this, [&](const QString &queuedId) { captureId = queuedId; });
    connect(&store, &Store::announced, this, [&](const QString &announcedId, const Outcome &announcedOutcome) {
        if (announcedId == captureId && !outcome) {
            outcome = announcedOutcome;
            done.start(0);
        }
    });
    // A capture that is followed no more without an announcement was dropped by the service.
    // Looked at after every reload, and when the follow loop ends: a reload that fails after
    // the drop publishes nothing, and nothing would ever follow the capture again.
    const auto noticeDrop = [&] {
        if (!captureId.isEmpty() && !outcome && !store.isWatching(captureId)) {
            dropped = true;
            done.start(0);
        }
    };
    connect(&store, &Store::tasksChanged, this, noticeDrop);
    connect(&store, &Store::pollingStopped, this, noticeDrop);

    // A capture may wait long: say what goes wrong as it happens, not only at the end. A refused
    // key ends the wait at once: nothing can change until the user stores another one.
    // It stays refused even when a later request passes (a service may take the key for its
    // lists and still refuse uploads with it).
    bool keyRefused = false;
    const auto refused = [&keyRefused] { return keyRefused; };
    connect(&store, &Store::failed, this, [&showProblem, &keyRefused, &done](const ServiceError &error) {
        showProblem();
        const auto *api = std::get_if<APIError>(&error);
        if (api && api->kind == APIError::Kind::Unauthorized) {
            keyRefused = true;
            done.start(0);
        }
    });
    const auto stillOnDisk = [&store, &captureId] {
        const auto items = store.queue().pending();
        return std::any_of(items.cbegin(), items.cend(),
                           [&](const QueuedCapture &item) { return item.id == captureId; });
    };
    const auto mentionQueue = [this, &stillOnDisk] {
        if (!stillOnDisk())
            return;
        m_err << u"quiblyctl: the capture stays in the local queue and is uploaded by the next sync"
                 " (quiblyctl queue lists it)"_s
              << u'\n';
        m_err.flush();
    };

    auto capturing = store.capture(png);
    co_await std::move(capturing);
    if (captureId.isEmpty()) {
        // The notifier has announced the failure; say where it happened.
        m_err << u"quiblyctl: the screenshot could not be written to "_s
              << QDir::toNativeSeparators(store.queue().directory()) << u'\n';
        co_return Failure;
    }
    if (!store.api() || parser.isSet(noWaitOption)) {
        // Queued for a later sync (or for the application once it is set up).
        const int code = finish();
        if (code != Success)
            mentionQueue();
        co_return code;
    }

    if (!outcome && !dropped && !refused()) {
        // While the capture waits on disk, keep trying to upload it.
        QTimer resync;
        resync.setInterval(Store::Setup {}.syncInterval);
        connect(&resync, &QTimer::timeout, this, [&store] { detach(store.sync()); });
        resync.start();
        done.start(timeout);
        co_await done; // its time-out, or an event that restarted it at 0
    }

    if (outcome) {
        if (outcome->kind == Outcome::Kind::Added || outcome->kind == Outcome::Kind::NoTask)
            co_return Success;
        // Exit status 1 comes with its reason on standard error, like every other failure.
        if (outcome->kind == Outcome::Kind::RenewSignIn) {
            m_err << u"quiblyctl: capture "_s << captureId
                  << u" waits until the service has renewed its sign-in; it is read afterwards"_s << u'\n';
            co_return Failure;
        }
        // A failed capture stays open on the service with its error; a refused upload is gone.
        auto reloading = store.refresh();
        co_await std::move(reloading);
        const auto &open = store.openCaptures();
        const auto found
            = std::find_if(open.cbegin(), open.cend(), [&](const Capture &c) { return c.id == captureId; });
        if (found != open.cend() && !found->error.isEmpty())
            m_err << u"quiblyctl: the service could not read capture "_s << captureId << u": "_s << found->error
                  << u" (quiblyctl retry "_s << captureId << u" tries again)"_s << u'\n';
        else
            m_err << u"quiblyctl: capture "_s << captureId << u" was not read"_s << u'\n';
        co_return Failure;
    }
    if (dropped) {
        m_err << u"quiblyctl: the service no longer knows capture "_s << captureId << u'\n';
        co_return Failure;
    }
    showProblem();
    if (refused()) {
        mentionQueue();
        co_return Failure;
    }
    m_err << u"quiblyctl: no outcome for capture "_s << captureId << u" within "_s
          << QString::number(double(timeout.count()) / 1000.0) << u" s"_s << u'\n';
    m_err.flush();
    mentionQueue();
    co_return store.api() ? Failure : NotConfigured;
}
