// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "capturequeue.h"
#include "durablefile.h"
#include "filelock.h"
#include "testawait.h"

#include <QCoroTask>
#include <QCoroTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
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

// "c b a" -> { "c", "b", "a" }
QStringList list(const char *words)
{
    return QString::fromLatin1(words).split(u' ', Qt::SkipEmptyParts);
}

ServiceResult<std::monostate> answer(const QString &name)
{
    static const QHash<QString, ServiceError> errors { { u"refused"_s, APIError::rejected(u"too_large"_s) },
                                                       { u"unauthorized"_s, APIError::unauthorized() },
                                                       { u"server"_s, APIError::server(503) },
                                                       { u"undecodable"_s, DecodeError { u"id"_s, u"missing"_s } } };
    if (name == u"ok")
        return std::monostate {};
    return errors.value(name, APIError::offline());
}

// An upload whose answers (see answer()) are scripted in order; it records what it was given.
struct ScriptedUpload
{
    QStringList answers {};
    QStringList calls {};
    QList<QByteArray> images {};

    CaptureQueue::Upload function()
    {
        return [this](QueuedCapture capture, QByteArray png) -> QCoro::Task<ServiceResult<std::monostate>> {
            calls.append(capture.id);
            images.append(png);
            co_await QCoro::sleepFor(1ms); // resume from the event loop, as a real upload does
            co_return answer(answers.value(calls.size() - 1));
        };
    }
};

} // namespace

class TestCaptureQueue : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_dir;

    void enqueueThree(const CaptureQueue &queue)
    {
        // File names sort the other way round from the capture times.
        QVERIFY(queue.enqueue("png-a", item(u"c"_s, 0)).ok());
        QVERIFY(queue.enqueue("png-b", item(u"b"_s, 1)).ok());
        QVERIFY(queue.enqueue("png-c", item(u"a"_s, 2)).ok());
    }

private Q_SLOTS:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        m_dir = m_root->filePath(u"Quibly/queue"_s);
    }

    // The same id again replaces a capture; pending() lists by capture time, then by file name.
    void enqueueAndPending()
    {
        const CaptureQueue queue(m_dir);
        ScriptedUpload upload { list("offline") };
        QCOMPARE(drain(queue, upload.function()), CaptureQueue::Drained());
        QVERIFY(!QFileInfo::exists(m_dir)); // a drain before any capture creates nothing
        const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n\0", 9) + QByteArray(1000, '\xfe');
        QVERIFY(queue.enqueue("old", item(u"c1"_s, 5)).ok());
        const auto result = queue.enqueue(png, item(u"c1"_s, 0));
        QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.error()));
        QCOMPARE(entries(m_dir), (QStringList { u"c1.json"_s, u"c1.png"_s })); // no temporary file left behind
        QVERIFY(queue.enqueue("png", item(u"y"_s, 10)).ok());
        QVERIFY(queue.enqueue("png", item(u"x"_s, 10)).ok());
        QCOMPARE(queue.pending(), (QList { item(u"c1"_s, 0), item(u"x"_s, 10), item(u"y"_s, 10) }));
        drain(queue, upload.function());
        QVERIFY(upload.images == QList { png });
    }

    void enqueueFailures_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("directoryIsAFile");
        QTest::newRow("queue path is a file") << u"c1"_s << true;
        QTest::newRow("id naming a parent") << u"../c1"_s << false;
        QTest::newRow("empty id") << QString() << false;
    }

    void enqueueFailures()
    {
        QFETCH(QString, id);
        QFETCH(bool, directoryIsAFile);
        if (directoryIsAFile) {
            QVERIFY(QDir().mkpath(m_root->filePath(u"Quibly"_s)));
            QVERIFY(writeFile(m_dir, "not a directory"));
        }
        const CaptureQueue queue(m_dir);
        const auto result = queue.enqueue("png", item(id, 0));
        QVERIFY(!result.ok() && !result.error().isEmpty());
        QVERIFY(queue.pending().isEmpty());
        QVERIFY(!QFile::exists(m_root->filePath(u"Quibly/c1.png"_s)));
    }

    void drainOutcomes_data()
    {
        // Each upload's answer in turn, by name (see answer()).
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("uploaded");
        QTest::addColumn<QStringList>("rejected");
        QTest::addColumn<QStringList>("left");
        const auto row = [](const char *name, const char *answers, const char *calls, const char *uploaded,
                            const char *rejected, const char *left) {
            QTest::newRow(name) << list(answers) << list(calls) << list(uploaded) << list(rejected) << list(left);
        };
        row("all accepted", "ok ok ok", "c b a", "c b a", "", "");
        row("second refused", "ok refused ok", "c b a", "c a", "b", "");
        row("second offline", "ok offline ok", "c b", "c", "", "a b");
        row("first unauthorized", "unauthorized", "c", "", "", "a b c");
        row("server error after a refusal", "refused server", "c b", "", "c", "a b");
        row("answer that did not decode", "undecodable", "c", "", "", "a b c");
    }

    void drainOutcomes()
    {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, uploaded);
        QFETCH(QStringList, rejected);
        QFETCH(QStringList, left);
        const CaptureQueue queue(m_dir);
        enqueueThree(queue);

        ScriptedUpload upload { answers };
        const CaptureQueue::Drained drained = drain(queue, upload.function());
        QCOMPARE(upload.calls, calls);
        QCOMPARE(upload.images.first(), "png-a"_ba);
        QCOMPARE(drained.uploaded, uploaded);
        QCOMPARE(drained.rejected, rejected);
        // A stop names the answer that caused it, so that the caller can say why captures wait.
        const std::optional<ServiceError> stop
            = left.isEmpty() ? std::nullopt : std::optional(answer(answers.at(calls.size() - 1)).error());
        QCOMPARE(drained.stoppedBy, stop);

        QStringList files;
        for (const QString &id : left)
            files << id + u".json"_s << id + u".png"_s;
        QCOMPARE(entries(m_dir), files); // both files of what is left
    }

    // An image deleted by hand is a capture that can never go up; one the user removed while
    // another was uploading is simply gone.
    void filesGoneUnderTheDrain()
    {
        const CaptureQueue queue(m_dir);
        enqueueThree(queue);
        QVERIFY(QFile::remove(m_dir + u"/b.png"_s));
        QStringList calls;
        const CaptureQueue::Drained drained
            = drain(queue, [&](QueuedCapture capture, QByteArray) -> QCoro::Task<ServiceResult<std::monostate>> {
                  calls.append(capture.id);
                  queue.remove(u"a"_s);
                  co_return serviceSuccess();
              });
        QCOMPARE(calls, list("c"));
        QCOMPARE(drained.uploaded, list("c"));
        QCOMPARE(drained.rejected, list("b"));
        QVERIFY(entries(m_dir).isEmpty());
    }

    // A lock file that an older version left with its pid, and a holder that was killed, stop no drain.
    void drainLock()
    {
        const CaptureQueue queue(m_dir);
        enqueueThree(queue);
        const QString lockPath = m_dir + u"/drain.lock"_s;
        QVERIFY(writeFile(lockPath, "2147483646\nquibly\n" + QSysInfo::machineHostName().toUtf8() + "\n"));
        const pid_t child = ::fork();
        if (child == 0) {
            const FileLock held = FileLock::tryLock(lockPath);
            ::raise(held.isLocked() ? SIGKILL : SIGTERM);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        ScriptedUpload upload { list("ok ok ok") };
        QCOMPARE(drain(queue, upload.function()).uploaded.size(), 3);
        QVERIFY(QFileInfo(lockPath).isFile()); // kept: a deleted lock file could be locked twice
    }

    void twoDrainsAtOnce()
    {
        const CaptureQueue queue(m_dir);
        enqueueThree(queue);
        // The second drain starts while the first is inside its first upload, holding the lock: it
        // touches nothing and does not wait.
        ScriptedUpload upload;
        std::optional<QCoro::Task<CaptureQueue::Drained>> second;
        const CaptureQueue::Drained first
            = drain(queue, [&](QueuedCapture, QByteArray) -> QCoro::Task<ServiceResult<std::monostate>> {
                  if (!second)
                      second.emplace(queue.drain(upload.function()));
                  co_await QCoro::sleepFor(30ms);
                  co_return serviceSuccess();
              });
        QCOMPARE(first.uploaded, list("c b a"));
        QCOMPARE(QuiblyTest::await(std::move(*second)), CaptureQueue::Drained());
        QVERIFY(upload.calls.isEmpty()); // no capture went up twice
    }

    // Files in the queue beside a capture. The drain uploads the capture and sweeps what a killed
    // enqueue, write or lock left once no writer holds it; the rest stays for a person to look at.
    // A record whose id is not its file name (or names a place outside the queue) is listed, but
    // never uploaded nor deleted.
    void strayFiles_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("held"); // by a writer
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("listed"); // by pending(), after the capture
        const auto row = [](const char *name, const QStringList &names, const QByteArray &bytes, bool held, bool kept,
                            const char *listed = "") {
            QTest::newRow(name) << names << bytes << held << kept << QString::fromUtf8(listed);
        };
        const auto record = [](const char *id) { return item(QString::fromUtf8(id), 1).toFileJson(); };
        row("image of a killed enqueue", { u"c1.png"_s }, "png", false, false);
        row("image still being enqueued", { u"c1.png"_s }, "png", true, true);
        row("temporary file of a killed write", { u"c1.json.Ab12Cd"_s }, record("c1"), false, false);
        row("temporary file being written", { u"c1.png.Ab12Cd"_s }, "png", true, true);
        row("left by the pid-file lock", { u"drain.lock.rmlock"_s }, "1", false, false);
        row("not ours", { u"notes.txt"_s }, "notes", false, true);
        row("broken record", { u"broken.json"_s }, "{\"id\":", false, true);
        row("record without a time", { u"partial.json"_s }, R"({"id":"partial","timeZone":"UTC","language":"en"})",
            false, true);
        row("record named by its suffix only", { u".json"_s }, record("hidden"), false, true);
        row("hidden record", { u".dot.json"_s }, record("dot"), false, true, "dot");
        row("record and image of another id", { u"outer.json"_s, u"outer.png"_s }, record("inner"), false, true,
            "inner");
        row("record naming a parent", { u"evil.json"_s }, record("../victim"), false, true, "../victim");
    }
    void strayFiles()
    {
        QFETCH(QStringList, names);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, held);
        QFETCH(bool, kept);
        QFETCH(QString, listed);
        const CaptureQueue queue(m_dir);
        QVERIFY(queue.enqueue("png", item(u"good"_s, 0)).ok());
        QVERIFY(QDir(m_dir).mkdir(u"folder.json"_s));
        QVERIFY(writeFile(m_root->filePath(u"Quibly/victim.json"_s), item(u"victim"_s, 1).toFileJson()));
        QVERIFY(writeFile(m_root->filePath(u"Quibly/victim.png"_s), "secret"));
        FileLock writer;
        for (const QString &name : names) {
            QVERIFY(writeFile(m_dir + u'/' + name, bytes));
            if (held)
                writer = FileLock::tryLock(m_dir + u'/' + name, FileLock::Open::ExistingOnly);
        }
        QCOMPARE(writer.isLocked(), held);
        const QList<QueuedCapture> good { item(u"good"_s, 0) };
        QCOMPARE(queue.pending(), listed.isEmpty() ? good : good + QList { item(listed, 1) });

        ScriptedUpload upload { list("ok ok") };
        QCOMPARE(drain(queue, upload.function()), (CaptureQueue::Drained { { u"good"_s }, {}, {} }));
        QCOMPARE(entries(m_dir), kept ? names : QStringList());
        QVERIFY(QFile::exists(m_root->filePath(u"Quibly/victim.png"_s)));
    }

    void killedAtEveryStep_data()
    {
        QTest::addColumn<bool>("removal");
        QTest::newRow("enqueue") << false;
        QTest::newRow("removal after the upload") << true;
    }

    // A child process does the work and is killed after its n-th change to the disk, for every n
    // until it gets through. Whatever it leaves, the next drain uploads the whole capture or finds
    // it gone, never refuses it for a missing image, and leaves nothing else behind.
    void killedAtEveryStep()
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

            ScriptedUpload upload { list("ok") };
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

    void privateModes_data()
    {
        QTest::addColumn<int>("umask");
        QTest::addColumn<bool>("olderWiderFiles");
        QTest::newRow("permissive umask") << 0 << false;
        QTest::newRow("left readable by an older version") << 022 << true;
    }

    // From the data folder down, nothing of the user's is open to other accounts at any moment.
    void privateModes()
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
                struct stat st = {};
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
        ScriptedUpload upload { list("offline") };
        drain(queue, upload.function());
        DurableFile::setStepHook({});
        ::umask(previous);
        QVERIFY(enqueued);
        QCOMPARE(seen, QStringList());
        QCOMPARE(openToOthers(), QStringList());
        QVERIFY(QFile::exists(m_dir + u"/drain.lock"_s));
    }
};

QTEST_GUILESS_MAIN(TestCaptureQueue)
#include "test_capturequeue.moc"
