// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "capturequeue.h"
#include "durablefile.h"
#include "fakeservice.h"
#include "filelock.h"
#include "quiblyapi.h"
#include "testawait.h"

#include <QCoroTask>
#include <QCoroTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QNetworkAccessManager>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QDateTime epoch(QDate(2025, 3, 1), QTime(10, 0), QTimeZone::utc());

QueuedCapture item(const QString &id, int secondsAfterEpoch)
{
    return { id, epoch.addSecs(secondsAfterEpoch), u"Europe/Kyiv"_s, u"en"_s };
}

QStringList ids(const QList<QueuedCapture> &captures)
{
    QStringList result;
    for (const QueuedCapture &capture : captures)
        result.append(capture.id);
    return result;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Everything in the queue folder but the lock file, which stays for good.
QStringList entries(const QString &directory)
{
    QStringList names = QDir(directory).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    names.removeOne(u"drain.lock"_s);
    return names;
}

CaptureQueue::Drained drain(const CaptureQueue &queue, CaptureQueue::Upload upload)
{
    return QuiblyTest::await(queue.drain(std::move(upload)));
}

// An upload whose answers are scripted in order; it records what it was given.
struct ScriptedUpload
{
    QList<ServiceResult<std::monostate>> answers;
    QStringList calls;
    QList<QByteArray> images;

    CaptureQueue::Upload function()
    {
        return [this](QueuedCapture capture, QByteArray png) -> QCoro::Task<ServiceResult<std::monostate>> {
            calls.append(capture.id);
            images.append(png);
            co_await QCoro::sleepFor(1ms); // resume from the event loop, as a real upload does
            co_return answers.value(calls.size() - 1, ServiceError(APIError::offline()));
        };
    }
};

ServiceResult<std::monostate> accepted()
{
    return std::monostate {};
}

ServiceResult<std::monostate> failed(ServiceError error)
{
    return error;
}

} // namespace

class TestCaptureQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void enqueueWritesBothFiles();
    void enqueueSameIdTwice();
    void enqueueFailures_data();
    void enqueueFailures();
    void pendingOrder();
    void pendingSkipsWhatIsNotACapture();
    void missingDirectory();
    void drainOutcomes_data();
    void drainOutcomes();
    void drainAgainstService_data();
    void drainAgainstService();
    void imageDeletedByHand();
    void innerIdDiffersFromFileName();
    void removedDuringDrain();
    void drainLock_data();
    void drainLock();
    void twoDrainsAtOnce();
    void leftovers_data();
    void leftovers();
    void killedAtEveryStep_data();
    void killedAtEveryStep();
    void privateModes_data();
    void privateModes();

private:
    void enqueueThree(const CaptureQueue &queue);

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_dir;
};

void TestCaptureQueue::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_dir = m_root->filePath(u"Quibly/queue"_s);
}

void TestCaptureQueue::enqueueThree(const CaptureQueue &queue)
{
    // File names sort the other way round from the capture times.
    QVERIFY(queue.enqueue("png-a", item(u"c"_s, 0)).ok());
    QVERIFY(queue.enqueue("png-b", item(u"b"_s, 1)).ok());
    QVERIFY(queue.enqueue("png-c", item(u"a"_s, 2)).ok());
}

void TestCaptureQueue::enqueueWritesBothFiles()
{
    const CaptureQueue queue(m_dir);
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n\0", 9) + QByteArray(1000, '\xfe');
    const auto result = queue.enqueue(png, item(u"c1"_s, 0));
    QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.error()));

    QCOMPARE(entries(m_dir), (QStringList { u"c1.json"_s, u"c1.png"_s })); // no temporary file left behind
    QFile image(m_dir + u"/c1.png"_s);
    QVERIFY(image.open(QIODevice::ReadOnly));
    QVERIFY(image.readAll() == png);
    QFile meta(m_dir + u"/c1.json"_s);
    QVERIFY(meta.open(QIODevice::ReadOnly));
    QCOMPARE(QueuedCapture::fromFileJson(meta.readAll()), std::optional(item(u"c1"_s, 0)));
}

void TestCaptureQueue::enqueueSameIdTwice()
{
    const CaptureQueue queue(m_dir);
    QVERIFY(queue.enqueue("old", item(u"c1"_s, 0)).ok());
    QVERIFY(queue.enqueue("new", item(u"c1"_s, 5)).ok());

    QCOMPARE(queue.pending(), QList { item(u"c1"_s, 5) });
    QFile image(m_dir + u"/c1.png"_s);
    QVERIFY(image.open(QIODevice::ReadOnly));
    QCOMPARE(image.readAll(), "new"_ba);
    QCOMPARE(entries(m_dir).size(), 2);
}

void TestCaptureQueue::enqueueFailures_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("directoryIsAFile");
    QTest::newRow("queue path is a file") << u"c1"_s << true;
    QTest::newRow("id naming a parent") << u"../c1"_s << false;
    QTest::newRow("id with a slash") << u"a/b"_s << false;
    QTest::newRow("empty id") << QString() << false;
}

void TestCaptureQueue::enqueueFailures()
{
    QFETCH(QString, id);
    QFETCH(bool, directoryIsAFile);
    if (directoryIsAFile) {
        QVERIFY(QDir().mkpath(m_root->filePath(u"Quibly"_s)));
        QVERIFY(writeFile(m_dir, "not a directory"));
    }
    const CaptureQueue queue(m_dir);
    const auto result = queue.enqueue("png", item(id, 0));
    QVERIFY(!result.ok());
    QVERIFY(!result.error().isEmpty());
    QVERIFY(queue.pending().isEmpty());
    QVERIFY(!QFile::exists(m_root->filePath(u"Quibly/c1.png"_s)));
}

void TestCaptureQueue::pendingOrder()
{
    const CaptureQueue queue(m_dir);
    enqueueThree(queue);
    QCOMPARE(ids(queue.pending()), (QStringList { u"c"_s, u"b"_s, u"a"_s }));

    // Equal times keep the listing (name) order.
    QVERIFY(queue.enqueue("png", item(u"y"_s, 10)).ok());
    QVERIFY(queue.enqueue("png", item(u"x"_s, 10)).ok());
    QCOMPARE(ids(queue.pending()), (QStringList { u"c"_s, u"b"_s, u"a"_s, u"x"_s, u"y"_s }));
}

void TestCaptureQueue::pendingSkipsWhatIsNotACapture()
{
    const CaptureQueue queue(m_dir);
    QVERIFY(queue.enqueue("png", item(u"good"_s, 0)).ok());
    QVERIFY(writeFile(m_dir + u"/orphan.png"_s, "png"));
    QVERIFY(writeFile(m_dir + u"/broken.json"_s, "{\"id\":"));
    QVERIFY(writeFile(m_dir + u"/partial.json"_s, R"({"id":"partial","timeZone":"UTC","language":"en"})"));
    QVERIFY(writeFile(m_dir + u"/CAPS.JSON"_s, item(u"CAPS"_s, 0).toFileJson()));
    QVERIFY(writeFile(m_dir + u"/tmp.json.a1b2c3"_s, item(u"tmp"_s, 0).toFileJson()));
    QVERIFY(writeFile(m_dir + u"/.json"_s, item(u"hidden"_s, 0).toFileJson()));
    QVERIFY(writeFile(m_dir + u"/drain.lock"_s, "1\nquibly\nhost\n"));
    QVERIFY(QDir(m_dir).mkdir(u"folder.json"_s));
    QVERIFY(writeFile(m_dir + u"/.dot.json"_s, item(u"dot"_s, 1).toFileJson()));

    QCOMPARE(ids(queue.pending()), (QStringList { u"good"_s, u"dot"_s }));
    QVERIFY(QFile::exists(m_dir + u"/broken.json"_s)); // left for a person to look at
}

void TestCaptureQueue::missingDirectory()
{
    const CaptureQueue queue(m_dir);
    QVERIFY(queue.pending().isEmpty());
    ScriptedUpload upload;
    QCOMPARE(drain(queue, upload.function()), CaptureQueue::Drained());
    QVERIFY(upload.calls.isEmpty());
    QVERIFY(!QFileInfo::exists(m_dir));
}

void TestCaptureQueue::drainOutcomes_data()
{
    // Each upload's answer in turn: ok, refused, offline, unauthorized, server, undecodable.
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("uploaded");
    QTest::addColumn<QStringList>("rejected");
    QTest::addColumn<QStringList>("left");

    const QStringList all { u"c"_s, u"b"_s, u"a"_s };
    const QStringList none;
    QTest::newRow("all accepted") << QStringList { u"ok"_s, u"ok"_s, u"ok"_s } << all << all << none << none;
    QTest::newRow("second refused") << QStringList { u"ok"_s, u"refused"_s, u"ok"_s } << all
                                    << QStringList { u"c"_s, u"a"_s } << QStringList { u"b"_s } << none;
    QTest::newRow("second offline") << QStringList { u"ok"_s, u"offline"_s, u"ok"_s } << QStringList { u"c"_s, u"b"_s }
                                    << QStringList { u"c"_s } << none << QStringList { u"a"_s, u"b"_s };
    QTest::newRow("first unauthorized") << QStringList { u"unauthorized"_s } << QStringList { u"c"_s } << none << none
                                        << QStringList { u"a"_s, u"b"_s, u"c"_s };
    QTest::newRow("server error after a refusal")
        << QStringList { u"refused"_s, u"server"_s } << QStringList { u"c"_s, u"b"_s } << none << QStringList { u"c"_s }
        << QStringList { u"a"_s, u"b"_s };
    QTest::newRow("answer that did not decode") << QStringList { u"undecodable"_s } << QStringList { u"c"_s } << none
                                                << none << QStringList { u"a"_s, u"b"_s, u"c"_s };
}

void TestCaptureQueue::drainOutcomes()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, uploaded);
    QFETCH(QStringList, rejected);
    QFETCH(QStringList, left);
    const CaptureQueue queue(m_dir);
    enqueueThree(queue);

    ScriptedUpload upload;
    for (const QString &answer : answers) {
        if (answer == u"ok"_s)
            upload.answers.append(accepted());
        else if (answer == u"refused"_s)
            upload.answers.append(failed(APIError::rejected(u"too_large"_s)));
        else if (answer == u"offline"_s)
            upload.answers.append(failed(APIError::offline()));
        else if (answer == u"unauthorized"_s)
            upload.answers.append(failed(APIError::unauthorized()));
        else if (answer == u"server"_s)
            upload.answers.append(failed(APIError::server(503)));
        else
            upload.answers.append(failed(DecodeError { u"id"_s, u"missing"_s }));
    }
    const CaptureQueue::Drained drained = drain(queue, upload.function());
    QCOMPARE(upload.calls, calls);
    QCOMPARE(upload.images.first(), "png-a"_ba);
    QCOMPARE(drained.uploaded, uploaded);
    QCOMPARE(drained.rejected, rejected);

    QStringList files;
    for (const QString &id : left)
        files << id + u".json"_s << id + u".png"_s;
    QCOMPARE(entries(m_dir), files); // both files of what is left
}

void TestCaptureQueue::drainAgainstService_data()
{
    QTest::addColumn<int>("secondStatus");
    QTest::addColumn<QStringList>("uploaded");
    QTest::addColumn<QStringList>("rejected");
    QTest::addColumn<int>("filesLeft");
    QTest::newRow("second refused") << 422 << QStringList { u"c"_s, u"a"_s } << QStringList { u"b"_s } << 0;
    QTest::newRow("second offline") << 0 << QStringList { u"c"_s } << QStringList() << 4;
}

void TestCaptureQueue::drainAgainstService()
{
    QFETCH(int, secondStatus);
    QFETCH(QStringList, uploaded);
    QFETCH(QStringList, rejected);
    QFETCH(int, filesLeft);
    const QByteArray capture = R"({"id":"x","status":"pending","error":"","local_time":"2025-03-01T12:00:00+02:00",)"
                               R"("time_zone":"Europe/Kyiv","language":"en","created_at":"2025-03-01T10:00:01Z"})";
    FakeService service;
    QVERIFY(service.listen());
    service.enqueue("POST", "/captures", FakeService::Reply::json(201, capture));
    if (secondStatus) {
        service.enqueue("POST", "/captures", FakeService::Reply::json(secondStatus, R"({"code":"unreadable"})"));
    } else {
        // Qt sends a request again on a fresh connection when one closes before any answer;
        // drop those attempts too.
        for (int attempt = 0; attempt < 4; ++attempt)
            service.enqueue("POST", "/captures", FakeService::Reply::dropped(FakeService::Reply::Drop::BeforeAnswer));
    }
    service.on("POST", "/captures", FakeService::Reply::json(201, capture));

    QNetworkAccessManager nam;
    const QuiblyAPI api(service.url(), u"key"_s, &nam);
    const CaptureQueue queue(m_dir);
    enqueueThree(queue);

    const CaptureQueue::Drained drained
        = drain(queue, [&api](QueuedCapture capture, QByteArray png) -> QCoro::Task<ServiceResult<std::monostate>> {
              auto uploading = api.upload(std::move(capture), std::move(png));
              const auto result = co_await std::move(uploading);
              if (!result.ok())
                  co_return result.error();
              co_return serviceSuccess();
          });
    QCOMPARE(drained.uploaded, uploaded);
    QCOMPARE(drained.rejected, rejected);
    QCOMPARE(entries(m_dir).size(), filesLeft);
    QVERIFY(service.requests().first().body.contains("\r\n\r\npng-a\r\n--quibly-"));
}

void TestCaptureQueue::imageDeletedByHand()
{
    const CaptureQueue queue(m_dir);
    enqueueThree(queue);
    QVERIFY(QFile::remove(m_dir + u"/b.png"_s));

    ScriptedUpload upload { { accepted(), accepted() }, {}, {} };
    const CaptureQueue::Drained drained = drain(queue, upload.function());
    QCOMPARE(upload.calls, (QStringList { u"c"_s, u"a"_s }));
    QCOMPARE(drained.uploaded, (QStringList { u"c"_s, u"a"_s }));
    QCOMPARE(drained.rejected, QStringList { u"b"_s });
    QVERIFY(entries(m_dir).isEmpty());
}

void TestCaptureQueue::innerIdDiffersFromFileName()
{
    QVERIFY(QDir().mkpath(m_dir));
    QVERIFY(writeFile(m_dir + u"/outer.json"_s, item(u"inner"_s, 0).toFileJson()));
    QVERIFY(writeFile(m_dir + u"/outer.png"_s, "png"));
    // A metadata file naming a place outside the queue must not make a drain touch it.
    QVERIFY(writeFile(m_dir + u"/evil.json"_s, item(u"../victim"_s, 1).toFileJson()));
    QVERIFY(writeFile(m_root->filePath(u"Quibly/victim.json"_s), item(u"victim"_s, 1).toFileJson()));
    QVERIFY(writeFile(m_root->filePath(u"Quibly/victim.png"_s), "secret"));
    const CaptureQueue queue(m_dir);
    QCOMPARE(ids(queue.pending()), (QStringList { u"inner"_s, u"../victim"_s }));

    ScriptedUpload upload { { accepted(), accepted() }, {}, {} };
    QCOMPARE(drain(queue, upload.function()), CaptureQueue::Drained());
    QVERIFY(upload.calls.isEmpty());
    QCOMPARE(entries(m_dir), (QStringList { u"evil.json"_s, u"outer.json"_s, u"outer.png"_s }));
    QVERIFY(QFile::exists(m_root->filePath(u"Quibly/victim.png"_s)));
}

void TestCaptureQueue::removedDuringDrain()
{
    const CaptureQueue queue(m_dir);
    enqueueThree(queue);
    QStringList calls;
    const CaptureQueue::Drained drained
        = drain(queue, [&](QueuedCapture capture, QByteArray) -> QCoro::Task<ServiceResult<std::monostate>> {
              calls.append(capture.id);
              if (capture.id == u"c"_s)
                  queue.remove(u"b"_s); // the user deleted it while "c" was uploading
              co_return serviceSuccess();
          });
    QCOMPARE(calls, (QStringList { u"c"_s, u"a"_s }));
    QCOMPARE(drained.uploaded, (QStringList { u"c"_s, u"a"_s }));
    QVERIFY(drained.rejected.isEmpty());
}

void TestCaptureQueue::drainLock_data()
{
    QTest::addColumn<QByteArray>("lockContent");
    QTest::addColumn<QString>("leftOver");
    QTest::addColumn<bool>("heldByKilledChild");
    QTest::newRow("killed before writing its pid") << QByteArray() << QString() << false;
    QTest::newRow("pid of a process that is gone") << "2147483646\nquibly\n" + QSysInfo::machineHostName().toUtf8()
            + "\n" << QString() << false;
    QTest::newRow("killed while taking over") << QByteArray("1\nquibly\nhost\n") << u"drain.lock.rmlock"_s << false;
    QTest::newRow("held by a process that was killed") << QByteArray() << QString() << true;
}

void TestCaptureQueue::drainLock()
{
    QFETCH(QByteArray, lockContent);
    QFETCH(QString, leftOver);
    QFETCH(bool, heldByKilledChild);
    const CaptureQueue queue(m_dir);
    enqueueThree(queue);
    const QString lockPath = m_dir + u"/drain.lock"_s;
    QVERIFY(writeFile(lockPath, lockContent));
    if (!leftOver.isEmpty())
        QVERIFY(writeFile(m_dir + u'/' + leftOver, lockContent));
    if (heldByKilledChild) {
        const pid_t child = ::fork();
        if (child == 0) {
            const FileLock held = FileLock::tryLock(lockPath);
            ::raise(held.isLocked() ? SIGKILL : SIGTERM);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }

    {
        // While a live holder has it, a drain touches nothing and does not wait.
        const FileLock other = FileLock::tryLock(lockPath);
        QVERIFY(other.isLocked());
        ScriptedUpload upload { { accepted(), accepted(), accepted() }, {}, {} };
        QCOMPARE(drain(queue, upload.function()), CaptureQueue::Drained());
        QVERIFY(upload.calls.isEmpty());
        QCOMPARE(queue.pending().size(), 3);
    }
    ScriptedUpload upload { { accepted(), accepted(), accepted() }, {}, {} };
    QCOMPARE(drain(queue, upload.function()).uploaded.size(), 3);
    QVERIFY(QFileInfo(lockPath).isFile()); // kept: a deleted lock file could be locked twice
}

void TestCaptureQueue::twoDrainsAtOnce()
{
    const CaptureQueue queue(m_dir);
    enqueueThree(queue);
    QStringList calls;
    bool secondDone = false;
    CaptureQueue::Drained second { { u"not run"_s }, {} };
    auto secondDrain = [&]() -> QCoro::Task<> {
        auto draining
            = queue.drain([&](QueuedCapture capture, QByteArray) -> QCoro::Task<ServiceResult<std::monostate>> {
                  calls.append(capture.id);
                  co_return serviceSuccess();
              });
        second = co_await std::move(draining);
        secondDone = true;
    };
    // The second drain starts while the first is inside its first upload, holding the lock.
    std::optional<QCoro::Task<>> secondRun;
    auto firstUpload = [&](QueuedCapture capture, QByteArray) -> QCoro::Task<ServiceResult<std::monostate>> {
        calls.append(capture.id);
        if (!secondRun)
            secondRun.emplace(secondDrain());
        co_await QCoro::sleepFor(30ms);
        co_return serviceSuccess();
    };

    const CaptureQueue::Drained first = drain(queue, firstUpload);
    QTRY_VERIFY(secondDone);
    QCOMPARE(first.uploaded, (QStringList { u"c"_s, u"b"_s, u"a"_s }));
    QCOMPARE(second, CaptureQueue::Drained());
    QCOMPARE(calls, first.uploaded); // no capture went up twice
}

void TestCaptureQueue::leftovers_data()
{
    // A file beside a capture, with no record of its own, and whether a writer still holds it.
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("held");
    QTest::addColumn<bool>("kept");
    QTest::newRow("image of a killed enqueue, a moment old") << u"c1.png"_s << false << false;
    QTest::newRow("image still being enqueued") << u"c1.png"_s << true << true;
    QTest::newRow("temporary file of a killed write") << u"c1.json.Ab12Cd"_s << false << false;
    QTest::newRow("temporary file being written") << u"c1.png.Ab12Cd"_s << true << true;
    QTest::newRow("left by the pid-file lock") << u"drain.lock.rmlock"_s << false << false;
    QTest::newRow("not ours") << u"notes.txt"_s << false << true;
}

void TestCaptureQueue::leftovers()
{
    QFETCH(QString, name);
    QFETCH(bool, held);
    QFETCH(bool, kept);
    const CaptureQueue queue(m_dir);
    QVERIFY(queue.enqueue("png", item(u"other"_s, 0)).ok());
    const QString path = m_dir + u'/' + name;
    QVERIFY(writeFile(path, "png"));
    FileLock writer;
    if (held) {
        writer = FileLock::tryLock(path, FileLock::Open::ExistingOnly);
        QVERIFY(writer.isLocked());
    }
    ScriptedUpload upload { { accepted() }, {}, {} };
    QCOMPARE(drain(queue, upload.function()).uploaded, QStringList { u"other"_s });
    QCOMPARE(entries(m_dir), kept ? QStringList { name } : QStringList());
}

void TestCaptureQueue::killedAtEveryStep_data()
{
    QTest::addColumn<bool>("removal");
    QTest::newRow("enqueue") << false;
    QTest::newRow("removal after the upload") << true;
}

// A child process does the work and is killed after its n-th change to the disk, for every n
// until it gets through. Whatever it leaves, the next drain uploads the whole capture or finds
// it gone, never refuses it for a missing image, and leaves nothing else behind.
void TestCaptureQueue::killedAtEveryStep()
{
    QFETCH(bool, removal);
    const QByteArray png(100'000, 'p');
    for (int killAt = 1;; ++killAt) {
        const CaptureQueue queue(m_root->filePath(u"kill-%1/Quibly/queue"_s.arg(killAt)));
        if (removal)
            QVERIFY(queue.enqueue(png, item(u"c1"_s, 0)).ok());
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            int steps = 0;
            DurableFile::setStepHook([&] {
                if (++steps == killAt)
                    ::raise(SIGKILL);
            });
            if (removal)
                queue.remove(u"c1"_s);
            else
                Q_UNUSED(queue.enqueue(png, item(u"c1"_s, 0)));
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        const bool finished = WIFEXITED(status);
        QVERIFY(finished || WTERMSIG(status) == SIGKILL);

        ScriptedUpload upload { { accepted() }, {}, {} };
        const CaptureQueue::Drained drained = drain(queue, upload.function());
        QVERIFY2(entries(queue.directory()).isEmpty(), qPrintable(entries(queue.directory()).join(u' ')));
        QVERIFY(drained.rejected.isEmpty());
        QCOMPARE(upload.images, QList<QByteArray>(drained.uploaded.size(), png));
        if (finished) {
            QCOMPARE(drained.uploaded, removal ? QStringList() : QStringList { u"c1"_s });
            QVERIFY(killAt > (removal ? 2 : 10)); // the hook did stop it before
            break;
        }
    }
}

void TestCaptureQueue::privateModes_data()
{
    QTest::addColumn<int>("umask");
    QTest::addColumn<bool>("olderWiderFiles");
    QTest::newRow("permissive umask") << 0 << false;
    QTest::newRow("usual umask") << 022 << false;
    QTest::newRow("left readable by an older version") << 022 << true;
}

// From the data folder down, nothing of the user's is open to other accounts at any moment.
void TestCaptureQueue::privateModes()
{
    QFETCH(int, umask);
    QFETCH(bool, olderWiderFiles);
    const QString dataFolder = m_root->filePath(u"Quibly"_s);
    if (olderWiderFiles) {
        QVERIFY(QDir().mkpath(m_dir));
        QVERIFY(writeFile(m_dir + u"/old.json"_s, item(u"old"_s, 0).toFileJson()));
        QVERIFY(writeFile(m_dir + u"/old.png"_s, "png"));
        QVERIFY(QFile::setPermissions(m_dir, QFileDevice::Permissions(0x7777))); // the data folder is the key's
        QVERIFY(QFile::setPermissions(dataFolder, QFileDevice::Permissions(0x7700)));
    }
    const auto openToOthers = [&] {
        QStringList wider;
        QDirIterator it(dataFolder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        for (QString path = dataFolder; !path.isEmpty(); path = it.hasNext() ? it.next() : QString()) {
            struct stat st
            {
            };
            if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || (st.st_mode & 0077)
                || (st.st_mode & 0700) != (S_ISDIR(st.st_mode) ? 0700 : 0600))
                wider.append(path.mid(dataFolder.size()));
        }
        return wider;
    };
    const mode_t previous = ::umask(mode_t(umask));
    QStringList seen;
    if (!olderWiderFiles)
        DurableFile::setStepHook([&] { seen += openToOthers(); });
    const CaptureQueue queue(m_dir);
    const bool enqueued = queue.enqueue("png", item(u"c1"_s, 0)).ok();
    ScriptedUpload upload { { failed(APIError::offline()) }, {}, {} };
    drain(queue, upload.function());
    DurableFile::setStepHook({});
    ::umask(previous);
    QVERIFY(enqueued);
    QCOMPARE(seen, QStringList());
    QCOMPARE(openToOthers(), QStringList());
    QVERIFY(QFile::exists(m_dir + u"/drain.lock"_s));
}

QTEST_GUILESS_MAIN(TestCaptureQueue)
#include "test_capturequeue.moc"
