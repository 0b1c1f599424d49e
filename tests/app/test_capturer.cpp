// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "capturer.h"
#include "notifier.h"
#include "platform/portalrequest.h"
#include "testawait.h"
#include "testimage.h"
#include "toast.h"
#include "translations.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace {

class RecordingNotifier : public Notifier
{
public:
    QStringList posts;
    void post(const QString &text) override { posts << text; }
};

// org.freedesktop.portal.Screenshot on a bus connection of its own, answering as told.
class FakePortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
    Q_PROPERTY(uint version READ version)
public:
    enum class When { AfterReply, BeforeReply, Never };
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal"));
    When when = When::AfterReply;
    uint code = 0;
    QStringList files; // one per request, in order
    QList<int> delays; // ms, one per request
    QList<QVariantMap> requests;

    FakePortal()
    {
        bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    ~FakePortal() override
    {
        bus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        bus.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
    }
    uint version() const { return 2; }

public Q_SLOTS:
    QDBusObjectPath Screenshot(const QString &, const QVariantMap &options, const QDBusMessage &message)
    {
        const int n = int(requests.size());
        requests << options;
        const QString path = PortalRequest::pathFor(message.service(), options.value(u"handle_token"_qs).toString());
        const QString file = files.value(n);
        auto answer = [this, path, file] {
            QDBusMessage signal
                = QDBusMessage::createSignal(path, u"org.freedesktop.portal.Request"_qs, u"Response"_qs);
            signal << code << QVariantMap { { u"uri"_qs, QUrl::fromLocalFile(file).toString() } };
            bus.send(signal);
        };
        if (when == When::BeforeReply)
            answer();
        else if (when == When::AfterReply)
            QTimer::singleShot(delays.value(n, 10), this, answer);
        return QDBusObjectPath(path);
    }
};

const QString fakeTool = uR"(#!/bin/sh
for out; do :; done
echo "$*" >> "$FAKE_LOG"
case "$FAKE_MODE" in
  write) cp "$FAKE_IMAGE" "$out" ;;
  cancel) exit 1 ;;
  hang) exec sleep 60 ;;
  garbage) echo garbage > "$out" ;;
  crash) head -c 100 "$FAKE_IMAGE" > "$out"; kill -SEGV $$ ;;
esac
)"_qs;

} // namespace

class CapturerTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_fixtures;
    QTemporaryDir m_tmp;
    QString m_png, m_png2, m_jpeg;
    QByteArray m_pngBytes;

    QString fixture(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_fixtures.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QStringList leftovers() const { return QDir(m_tmp.path()).entryList({ u"quibly-*"_qs }, QDir::Files); }
    QStringList toolLog() const
    {
        QFile f(m_fixtures.filePath(u"log"_qs));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                           : QStringList();
    }
    void usePath(const QString &dir) { qputenv("PATH", (dir + u":/usr/bin:/bin"_qs).toLocal8Bit()); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        Translations::install({ u"en"_qs });
        m_pngBytes = QuiblyTest::encodedImage({ 40, 30 }, "PNG", Qt::blue);
        m_png = fixture(u"a.png"_qs, m_pngBytes);
        m_png2 = fixture(u"b.png"_qs, QuiblyTest::encodedImage({ 20, 50 }, "PNG", Qt::red));
        m_jpeg = fixture(u"c.jpg"_qs, QuiblyTest::encodedImage({ 64, 48 }, "JPEG", Qt::blue));
        QDir(m_fixtures.path()).mkdir(u"bin"_qs);
        QDir(m_fixtures.path()).mkdir(u"empty"_qs);
        QFile tool(m_fixtures.filePath(u"bin/gnome-screenshot"_qs));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write(fakeTool.toUtf8());
        tool.setPermissions(tool.permissions() | QFileDevice::ExeOwner);
        tool.close();
        qputenv("TMPDIR", m_tmp.path().toLocal8Bit());
        qputenv("FAKE_LOG", m_fixtures.filePath(u"log"_qs).toLocal8Bit());
        qputenv("FAKE_IMAGE", m_png.toLocal8Bit());
    }
    void init()
    {
        QFile::remove(m_fixtures.filePath(u"log"_qs));
        usePath(m_fixtures.filePath(u"empty"_qs));
        QTest::failOnWarning(QRegularExpression(u".*"_qs));
    }
    void cleanup() { QCOMPARE(leftovers(), QStringList()); }

    // Two captures at once, the second answered first: each ends as its answer says.
    void portal_data()
    {
        QTest::addColumn<FakePortal::When>("when");
        QTest::addColumn<uint>("code");
        QTest::addColumn<bool>("jpeg");
        QTest::addColumn<bool>("bytes");
        QTest::addColumn<QString>("post"); // for each capture, empty for none
        using When = FakePortal::When;
        const auto row = [](const char *name, When when, uint code, bool jpeg, bool bytes, const QString &post = {}) {
            QTest::newRow(name) << when << code << jpeg << bytes << post;
        };
        row("png", When::AfterReply, 0, false, true);
        row("jpeg becomes png", When::AfterReply, 0, true, true);
        row("answer before the reply", When::BeforeReply, 0, false, true);
        row("cancelled", When::AfterReply, 1, false, false);
        row("refused", When::AfterReply, 2, false, false, qtTrId("notification.screen_permission"));
        row("never answers", When::Never, 0, false, false);
    }
    void portal()
    {
        QFETCH(FakePortal::When, when);
        QFETCH(uint, code);
        QFETCH(bool, jpeg);
        QFETCH(bool, bytes);
        QFETCH(QString, post);
        FakePortal portal;
        portal.when = when;
        portal.code = code;
        portal.files = { jpeg ? m_jpeg : m_png, m_png2 };
        portal.delays = { 300, 20 };
        // A tool is installed too: the portal comes first, and a portal's "no" is final.
        usePath(m_fixtures.filePath(u"bin"_qs));
        qputenv("FAKE_MODE", "write");
        // Earlier news stays out of the picture while the capture runs, whatever its end.
        Toast::show(u"earlier news"_qs);
        QTRY_VERIFY(Toast::panel()->isVisible());
        RecordingNotifier notifier;
        Capturer capturer(&notifier);
        capturer.setTimeout(std::chrono::milliseconds(500));
        auto first = capturer.capture();
        auto second = capturer.capture();
        QVERIFY(!Toast::panel()->isVisible());
        const std::optional<QByteArray> png = QuiblyTest::await(std::move(first));
        const std::optional<QByteArray> other = QuiblyTest::await(std::move(second));
        QVERIFY(Toast::panel()->isVisible());
        QCOMPARE(Toast::lines().constLast(), u"earlier news"_qs);
        QCOMPARE(portal.requests.size(), 2);
        QCOMPARE(portal.requests.first().value(u"interactive"_qs).toBool(), true);
        QVERIFY(portal.requests.at(0).value(u"handle_token"_qs) != portal.requests.at(1).value(u"handle_token"_qs));
        QCOMPARE(png.has_value(), bytes);
        QCOMPARE(other.has_value(), bytes);
        if (bytes) {
            QVERIFY(png->startsWith("\x89PNG"));
            QCOMPARE(QImage::fromData(*png).size(), jpeg ? QSize(64, 48) : QSize(40, 30));
            if (!jpeg)
                QCOMPARE(*png, m_pngBytes);
            QCOMPARE(QImage::fromData(*other).size(), QSize(20, 50));
        }
        QCOMPARE(notifier.posts, (post.isEmpty() ? QStringList() : QStringList { post, post }));
        QCOMPARE(toolLog(), QStringList());
    }

    void tool_data()
    {
        QTest::addColumn<QByteArray>("mode"); // empty: no tool installed
        QTest::addColumn<bool>("bytes");
        QTest::newRow("writes a png") << QByteArray("write") << true;
        QTest::newRow("cancelled") << QByteArray("cancel") << false;
        QTest::newRow("hangs") << QByteArray("hang") << false;
        QTest::newRow("writes garbage") << QByteArray("garbage") << false;
        QTest::newRow("crashes halfway") << QByteArray("crash") << false;
        QTest::newRow("none installed") << QByteArray() << false;
    }
    // Two captures at once, each with a file of its own; without a tool each says what to install.
    void tool()
    {
        QFETCH(QByteArray, mode);
        QFETCH(bool, bytes);
        const bool installed = !mode.isEmpty();
        if (installed)
            usePath(m_fixtures.filePath(u"bin"_qs));
        else
            qputenv("PATH", m_fixtures.filePath(u"empty"_qs).toLocal8Bit());
        qputenv("FAKE_MODE", mode);
        RecordingNotifier notifier;
        Capturer capturer(&notifier);
        capturer.setTimeout(std::chrono::milliseconds(800));
        auto first = capturer.capture();
        auto second = capturer.capture();
        for (auto *capture : { &first, &second }) {
            const std::optional<QByteArray> png = QuiblyTest::await(std::move(*capture));
            QCOMPARE(png.has_value(), bytes);
            if (bytes)
                QCOMPARE(*png, m_pngBytes);
        }
        QCOMPARE(notifier.posts, installed ? QStringList() : QStringList(2, qtTrId("notification.no_screenshot_tool")));
        const QStringList log = toolLog();
        QCOMPARE(log.size(), installed ? 2 : 0);
        if (!installed)
            return;
        QVERIFY(log.at(0) != log.at(1));
        static const QRegularExpression arguments(
            uR"(^-a -f \S+/quibly-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\.png$)"_qs);
        QVERIFY2(arguments.match(log.first()).hasMatch(), qPrintable(log.first()));
    }
};

QTEST_MAIN(CapturerTest)
#include "test_capturer.moc"
