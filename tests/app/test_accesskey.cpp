// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "accesskey.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
// The permission bits of every entry in \a folder, including hidden ones.
QMap<QString, mode_t> modes(const QString &folder)
{
    QMap<QString, mode_t> result;
    const auto entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : entries) {
        struct stat st
        {
        };
        if (::lstat(QFile::encodeName(QDir(folder).filePath(name)).constData(), &st) == 0)
            result.insert(name, st.st_mode & 07777);
    }
    return result;
}

mode_t modeOf(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

void writeRaw(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}
} // namespace

class AccessKeyTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("Quibly/access-key")); }

private Q_SLOTS:
    void init() { QDir(m_dir.filePath(QStringLiteral("Quibly"))).removeRecursively(); }

    void defaultLocationIsUnderTheDataFolder()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCOMPARE(AccessKey::defaultPath(),
                 QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Quibly/access-key"_qs);
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<std::optional<QString>>("expected");
        QTest::newRow("bare key") << QByteArray("k-123") << std::optional<QString>(u"k-123"_qs);
        QTest::newRow("trailing line break") << QByteArray("k-123\n") << std::optional<QString>(u"k-123"_qs);
        QTest::newRow("spaces around") << QByteArray("  k 1 \r\n") << std::optional<QString>(u"k 1"_qs);
        QTest::newRow("empty") << QByteArray() << std::optional<QString>();
        QTest::newRow("white space only") << QByteArray(" \n\t ") << std::optional<QString>();
        QTest::newRow("not UTF-8") << QByteArray("k\xff\xfe") << std::optional<QString>();
        QTest::newRow("non-ASCII") << QByteArray("ключ") << std::optional<QString>(u"ключ"_qs);
    }
    void read()
    {
        QFETCH(QByteArray, contents);
        QFETCH(std::optional<QString>, expected);
        writeRaw(path(), contents);
        QCOMPARE(AccessKey::read(path()), expected);
    }

    void missingFileIsNoKey() { QCOMPARE(AccessKey::read(path()), std::nullopt); }

    void writeStoresTheTrimmedKeyAlone()
    {
        AccessKey::write(u"  secret-key\n"_qs, path());
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("secret-key"));
        QCOMPARE(AccessKey::read(path()), std::optional<QString>(u"secret-key"_qs));
        QCOMPARE(modes(QFileInfo(path()).absolutePath()).keys(), QStringList { u"access-key"_qs });
    }

    void blankWriteRemoves_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("empty") << QString();
        QTest::newRow("spaces and line breaks") << u"  \n \r\n"_qs;
    }
    void blankWriteRemoves()
    {
        QFETCH(QString, key);
        AccessKey::write(key, path()); // nothing there yet: silent
        QVERIFY(!QFile::exists(path()));
        AccessKey::write(u"k"_qs, path());
        QVERIFY(QFile::exists(path()));
        AccessKey::write(key, path());
        QVERIFY(!QFile::exists(path()));
        QCOMPARE(AccessKey::read(path()), std::nullopt);
    }

    // The key must never be readable by others, not even between the steps of a write,
    // and a file whose mode was widened by hand is narrowed again.
    void neverWiderThanOwnerOnly_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<mode_t>("umask");
        QTest::newRow("first write, permissive umask") << false << mode_t(0);
        QTest::newRow("over a 0644 file, permissive umask") << true << mode_t(0);
        QTest::newRow("over a 0644 file, usual umask") << true << mode_t(022);
    }
    void neverWiderThanOwnerOnly()
    {
        QFETCH(bool, existing);
        QFETCH(mode_t, umask);
        const QString folder = QFileInfo(path()).absolutePath();
        if (existing) {
            writeRaw(path(), "old");
            QVERIFY(::chmod(QFile::encodeName(path()).constData(), 0644) == 0);
        }
        const mode_t previous = ::umask(umask);
        int steps = 0;
        QStringList seen;
        AccessKey::write(u"new-key"_qs, path(), [&] {
            ++steps;
            const auto now = modes(folder);
            for (auto it = now.cbegin(); it != now.cend(); ++it) {
                if (!seen.contains(it.key()))
                    seen.append(it.key());
                QCOMPARE(it.value() & 0077, mode_t(0));
            }
        });
        ::umask(previous);
        QVERIFY(steps >= 5);
        QVERIFY2(seen.size() >= 2, "the temporary file was never observed");
        QCOMPARE(modes(folder), (QMap<QString, mode_t> { { u"access-key"_qs, mode_t(0600) } }));
        QCOMPARE(modeOf(folder), mode_t(0700)); // created so, or narrowed from 0755
        QCOMPARE(AccessKey::read(path()), std::optional<QString>(u"new-key"_qs));
    }

    void makePrivateNarrowsTheFolderAndTheFile()
    {
        const QString folder = QFileInfo(path()).absolutePath();
        writeRaw(path(), "k");
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(path()).constData(), 0644) == 0);
        AccessKey::makePrivate(path());
        QCOMPARE(modeOf(folder), mode_t(0700));
        QCOMPARE(modeOf(path()), mode_t(0600));
    }

    void unwritableFolderLeavesNoKeyAndDoesNotThrow()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        const QString folder = QFileInfo(path()).absolutePath();
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        AccessKey::write(u"k"_qs, path());
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(AccessKey::read(path()), std::nullopt);
        QCOMPARE(modes(folder).size(), 0);
    }
};

QTEST_GUILESS_MAIN(AccessKeyTest)
#include "test_accesskey.moc"
