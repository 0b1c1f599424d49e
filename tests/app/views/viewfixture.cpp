// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "viewfixture.h"

#include "accesskey.h"
#include "apierror.h"
#include "autostart.h"
#include "iconclick.h"
#include "testimage.h"
#include "wirejson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSettings>
#include <QUuid>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {
class SilentNotifier : public Notifier
{
public:
    void post(const QString &) override { }
};

QByteArray compact(const QJsonValue &value)
{
    return value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                           : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
}

QJsonObject taskJson(const QVariantMap &task)
{
    QJsonObject json = QJsonObject::fromVariantMap(task);
    const QJsonObject neutral { { u"title"_s, u"Task"_s },
                                { u"description"_s, u""_s },
                                { u"priority"_s, u"medium"_s },
                                { u"created_at"_s, QString::fromLatin1(WireJson::stamp) },
                                { u"updated_at"_s, QString::fromLatin1(WireJson::stamp) } };
    for (auto it = neutral.begin(); it != neutral.end(); ++it)
        if (!json.contains(it.key()))
            json.insert(it.key(), it.value());
    // Ids travel as integers; JavaScript hands them over as doubles.
    json.insert(u"id"_s, qint64(task.value(u"id"_s).toLongLong()));
    return json;
}

QByteArray pngBytes()
{
    return QuiblyTest::encodedImage({ 1440, 900 }, "PNG", QColor(70, 130, 180));
}
} // namespace

ViewFixture::ViewFixture(QObject *parent)
    : QObject(parent)
    , m_service(std::make_unique<FakeService>())
    , m_notifier(std::make_unique<SilentNotifier>())
    , m_session(std::make_unique<QNetworkAccessManager>())
{
    if (!m_service->listen())
        qFatal("the fake service cannot listen");
    m_defaults = std::make_unique<Defaults>(m_dir.filePath(u"Quibly.conf"_s), QStringList { u"en"_s });
    m_defaults->setServerURL(m_service->url().toString());
    const QString keyPath = m_dir.filePath(u"Quibly/access-key"_s);
    AccessKey::write(u"view-test-key"_s, keyPath);

    // Never started, so nothing watches the network.
    m_store = std::make_unique<Store>(Store::Setup { m_defaults.get(), keyPath, m_dir.filePath(u"Quibly/queue"_s),
                                                     m_notifier.get(), nullptr, m_session.get(), 1h, 1h, 1h });
    serve({}, {});
}

void ViewFixture::serve(const QVariantList &tasks, const QVariantList &captures)
{
    QJsonArray taskArray;
    for (const QVariant &task : tasks)
        taskArray.append(taskJson(task.toMap()));
    QByteArrayList captureArray;
    for (const QVariant &value : captures) {
        const QVariantMap capture = value.toMap();
        captureArray << WireJson::capture(capture.value(u"id"_s).toString(),
                                          capture.value(u"status"_s, u"pending"_s).toString(),
                                          capture.value(u"error"_s).toString());
    }
    m_service->on("GET", "/tasks", FakeService::Reply::json(200, compact(taskArray)));
    m_service->on("GET", "/captures", FakeService::Reply::json(200, "[" + captureArray.join(',') + "]"));
    // Edits succeed; the reload that follows them shows what the test served.
    m_service->setHandler([](const FakeService::Request &request) {
        const auto answer = [](QVariantMap task) { return FakeService::Reply::json(200, compact(taskJson(task))); };
        if (request.method == "POST" && request.path == "/tasks") {
            QVariantMap task = QJsonDocument::fromJson(request.body).toVariant().toMap();
            task.insert(u"id"_s, 9999);
            return answer(task);
        }
        if (request.method == "PATCH" && request.path.startsWith("/tasks/"))
            return answer({ { u"id"_s, request.path.mid(7).toLongLong() } });
        if (request.method == "DELETE")
            return FakeService::Reply::empty(204);
        return FakeService::Reply::json(404, R"({"code":"not_found"})");
    });
}

void ViewFixture::load(const QVariantList &tasks, const QVariantList &captures)
{
    serve(tasks, captures);
    auto task = refreshing();
    Q_UNUSED(task)
}

QCoro::Task<> ViewFixture::refreshing()
{
    co_await m_store->refresh();
    ++m_refreshes;
    Q_EMIT refreshesChanged();
}

void ViewFixture::answerOnce(const QString &method, const QString &path, int status, const QString &body)
{
    m_service->enqueue(method.toLatin1(), path.toUtf8(),
                       body.isEmpty() ? FakeService::Reply::empty(status)
                                      : FakeService::Reply::json(status, body.toUtf8()));
}

void ViewFixture::serveImage(const QString &captureId, bool present)
{
    const QByteArray path = "/captures/" + captureId.toUtf8() + "/image";
    m_service->on("GET", path,
                  present ? FakeService::Reply::bytes(200, pngBytes(), "image/png")
                          : FakeService::Reply::json(404, R"({"code":"not_found"})"));
}

void ViewFixture::goOffline()
{
    m_store->report(APIError::offline());
}

QVariantList ViewFixture::bodies(const QString &method, const QString &path) const
{
    QVariantList result;
    for (const auto &request : m_service->requests(method.toLatin1(), path.toUtf8()))
        result.append(QJsonDocument::fromJson(request.body).toVariant());
    return result;
}

int ViewFixture::requestCount(const QString &method, const QString &path) const
{
    return int(m_service->requests(method.toLatin1(), path.toUtf8()).size());
}

void ViewFixture::clearRequests()
{
    m_service->clearRequests();
}

void ViewFixture::queue(int count)
{
    for (int i = 0; i < count; ++i) {
        const QueuedCapture meta { QUuid::createUuid().toString(QUuid::WithoutBraces).toLower(),
                                   QDateTime::currentDateTimeUtc(), u"UTC"_s, u"en"_s };
        if (!m_store->queue().enqueue(pngBytes(), meta).ok())
            qFatal("cannot write the queue");
    }
    m_service->on("POST", "/captures", FakeService::Reply::json(503, R"({"code":"unavailable"})"));
    auto task = m_store->sync();
    Q_UNUSED(task)
}

SettingsFixture::SettingsFixture(QObject *parent)
    : QObject(parent)
    , m_service(std::make_unique<FakeService>())
{
    m_service->listen();
    m_defaults = std::make_unique<Defaults>(m_dir.filePath(QStringLiteral("Quibly.conf")), QStringList {});
    answer(200);
}

SettingsFixture::~SettingsFixture()
{
    delete m_form;
}

void SettingsFixture::reset()
{
    delete m_form;
    m_form = nullptr;
    QFile::remove(m_dir.filePath(QStringLiteral("Quibly.conf")));
    QFile::remove(m_dir.filePath(QStringLiteral("access-key")));
    QFile::remove(Autostart::userEntryPath());
    QFile::remove(QFileInfo(Autostart::userEntryPath()).absolutePath());
    answer(200);
}

SettingsForm *SettingsFixture::form(const QStringList &preferredLanguages)
{
    delete m_form;
    m_form = nullptr;
    m_defaults = std::make_unique<Defaults>(m_dir.filePath(QStringLiteral("Quibly.conf")), preferredLanguages);
    m_form = new SettingsForm({ m_defaults.get(), m_dir.filePath(QStringLiteral("access-key")), nullptr,
                                std::chrono::milliseconds(50), std::chrono::milliseconds(3000) },
                              this);
    return m_form;
}

QString SettingsFixture::storedText(const QString &key) const
{
    return QString::fromUtf8(QSettings(m_defaults->fileName(), QSettings::IniFormat).value(key).toByteArray());
}

void SettingsFixture::store(const QString &key, const QString &bytes)
{
    QSettings(m_defaults->fileName(), QSettings::IniFormat).setValue(key, bytes.toUtf8());
}

QVariant SettingsFixture::keyFile() const
{
    QFile file(m_dir.filePath(QStringLiteral("access-key")));
    struct stat st = {};
    if (!file.open(QIODevice::ReadOnly) || ::fstat(file.handle(), &st) != 0)
        return {};
    return QVariantMap { { u"text"_s, QString::fromUtf8(file.readAll()) }, { u"mode"_s, int(st.st_mode & 0777) } };
}

QString SettingsFixture::click(bool secondary) const
{
    return IconClickRule::action(secondary, m_defaults->leftClick()) == IconClick::Capture ? QStringLiteral("capture")
                                                                                           : QStringLiteral("list");
}

void SettingsFixture::blockAutostart()
{
    const QString folder = QFileInfo(Autostart::userEntryPath()).absolutePath();
    QDir(folder).removeRecursively();
    QDir().mkpath(QFileInfo(folder).absolutePath());
    QFile blocker(folder);
    if (blocker.open(QIODevice::WriteOnly))
        blocker.write("not a folder");
}

void SettingsFixture::answer(int status)
{
    m_service->on("GET", "/captures", FakeService::Reply::json(status, status == 200 ? "[]" : "{}"));
}
