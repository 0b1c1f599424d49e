// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "accesskey.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
mode_t modeOf(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The permission bits of every entry in \a folder, including hidden ones.
QMap<QString, mode_t> modes(const QString &folder)
{
    QMap<QString, mode_t> result;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        result.insert(name, modeOf(QDir(folder).filePath(name)));
    return result;
}

void writeRaw(const QString &path, const QByteArray &bytes, mode_t mode = 0600)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}
} // namespace

class AccessKeyTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("Quibly/access-key")); }
    QString folder() const { return m_dir.filePath(QStringLiteral("Quibly")); }

private Q_SLOTS:
    void init() { QDir(folder()).removeRecursively(); }

    void read_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<std::optional<QString>>("expected");
        QTest::newRow("trailing line break") << QByteArray("k-123\n") << std::optional<QString>(u"k-123"_qs);
        QTest::newRow("spaces around") << QByteArray("  k 1 \r\n") << std::optional<QString>(u"k 1"_qs);
        QTest::newRow("white space only") << QByteArray(" \n\t ") << std::optional<QString>();
        QTest::newRow("not UTF-8") << QByteArray("k\xff\xfe") << std::optional<QString>();
        QTest::newRow("non-ASCII") << QByteArray("ключ") << std::optional<QString>(u"ключ"_qs);
    }
    void read()
    {
        QFETCH(QByteArray, contents);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(AccessKey::read(path()), std::nullopt); // missing file
        writeRaw(path(), contents);
        QCOMPARE(AccessKey::read(path()), expected);
    }

    void writeThenBlankRemoves()
    {
        AccessKey::write(QString(), path()); // nothing there yet: silent
        QVERIFY(!QFile::exists(path()));
        AccessKey::write(u"  secret-key\n"_qs, path());
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("secret-key"));
        QCOMPARE(modes(folder()).keys(), QStringList { u"access-key"_qs });
        AccessKey::write(u"  \n \r\n"_qs, path());
        QVERIFY(!QFile::exists(path()));
    }

    // The key must never be readable by others, not even between the steps of a write,
    // and a file or folder whose mode was widened by hand is narrowed again.
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
        if (existing)
            writeRaw(path(), "old", 0644);
        const mode_t previous = ::umask(umask);
        int steps = 0;
        QStringList seen;
        AccessKey::write(u"new-key"_qs, path(), [&] {
            ++steps;
            const auto now = modes(folder());
            for (auto it = now.cbegin(); it != now.cend(); ++it) {
                if (!seen.contains(it.key()))
                    seen.append(it.key());
                QCOMPARE(it.value() & 0077, mode_t(0));
            }
        });
        ::umask(previous);
        QVERIFY(steps >= 5);
        QVERIFY2(seen.size() >= 2, "the temporary file was never observed");
        QCOMPARE(modes(folder()), (QMap<QString, mode_t> { { u"access-key"_qs, mode_t(0600) } }));
        QCOMPARE(modeOf(folder()), mode_t(0700)); // created so, or narrowed from 0755
        QCOMPARE(AccessKey::read(path()), std::optional<QString>(u"new-key"_qs));

        QVERIFY(::chmod(QFile::encodeName(folder()).constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(path()).constData(), 0644) == 0);
        AccessKey::makePrivate(path());
        QCOMPARE(modeOf(folder()), mode_t(0700));
        QCOMPARE(modeOf(path()), mode_t(0600));
    }

    void unwritableFolderLeavesNoKeyAndDoesNotThrow()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QDir().mkpath(folder());
        QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        AccessKey::write(u"k"_qs, path());
        QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(AccessKey::read(path()), std::nullopt);
        QCOMPARE(modes(folder()).size(), 0);
    }
};

QTEST_GUILESS_MAIN(AccessKeyTest)
#include "test_accesskey.moc"
