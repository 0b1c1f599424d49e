// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
// The Tesseract recognizer end to end on screenshots rendered here: fonts, sizes, light and
// dark themes, both languages, drawn and typed check boxes; and its failures.
#include "ocrimage.h"
#include "servicetestsupport.h"
#include "taskextractor.h"
#include "tesseractrecognizer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <future>

using namespace Qt::Literals::StringLiterals;

namespace {
enum class Mark { None, DrawnBox, Bullet, Number };

struct Sheet
{
    QString family;
    int pixelSize = 16;
    bool dark = false;
    Mark mark = Mark::DrawnBox;
    QString heading;
    QStringList items; // "[x]" in front marks a checked item, "~" one struck through
    QStringList sidebar = {}; // a column of labels level with the items, as a side bar has
    QSize canvas = { 1000, 640 };
    int sidebarPixelSize = 0; // 0: as large as the items
};

QByteArray encode(const QImage &image, const char *format = "PNG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray render(const Sheet &sheet, const char *format = "PNG")
{
    QImage image(sheet.canvas, QImage::Format_RGB32);
    const QColor paper = sheet.dark ? QColor(0x1e, 0x1f, 0x24) : QColor(0xfb, 0xfb, 0xfa);
    const QColor ink = sheet.dark ? QColor(0xe6, 0xe6, 0xe6) : QColor(0x22, 0x22, 0x22);
    image.fill(paper);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    QFont font(sheet.family);
    font.setPixelSize(sheet.pixelSize);
    const int lineStep = sheet.pixelSize * 2;
    const int x0 = sheet.sidebar.isEmpty() ? 40 : 300;
    int y = 40;
    if (!sheet.heading.isEmpty()) {
        QFont bold = font;
        bold.setBold(true);
        bold.setPixelSize(sheet.pixelSize * 3 / 2);
        p.setFont(bold);
        p.setPen(ink);
        p.drawText(x0, y + sheet.pixelSize, sheet.heading);
        y += lineStep * 2;
    }
    p.setFont(font);
    for (qsizetype row = 0, number = 0; row < sheet.items.size(); ++row) {
        QString item = sheet.items.at(row);
        const bool checked = item.startsWith(u"[x]"_s);
        if (checked)
            item = item.mid(3).trimmed();
        const bool struck = item.startsWith(u'~');
        if (struck)
            item = item.mid(1);
        p.setPen(ink);
        if (row < sheet.sidebar.size()) {
            QFont label = font;
            label.setPixelSize(sheet.sidebarPixelSize ? sheet.sidebarPixelSize : sheet.pixelSize);
            p.setFont(label);
            p.drawText(20, y + sheet.pixelSize, sheet.sidebar.at(row));
            p.setFont(font);
        }
        const int box = sheet.pixelSize;
        const int baseline = y + sheet.pixelSize;
        const int boxTop = baseline - box + sheet.pixelSize / 8;
        p.setPen(QPen(ink, std::max(1, sheet.pixelSize / 10)));
        switch (sheet.mark) {
        case Mark::DrawnBox:
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(x0, boxTop, box, box), 2, 2);
            if (checked) {
                p.setPen(QPen(ink, std::max(2, sheet.pixelSize / 7)));
                p.drawPolyline(QList<QPointF> { { x0 + box * 0.2, boxTop + box * 0.5 },
                                                { x0 + box * 0.42, boxTop + box * 0.75 },
                                                { x0 + box * 0.8, boxTop + box * 0.22 } });
            }
            break;
        case Mark::Bullet:
            p.setBrush(ink);
            p.drawEllipse(QPointF(x0 + box / 2.0, baseline - sheet.pixelSize * 0.35), box / 6.0, box / 6.0);
            break;
        case Mark::Number:
            p.drawText(x0, baseline, QString::number(++number) + u'.');
            break;
        case Mark::None:
            break;
        }
        p.setPen(ink);
        const int textX = x0 + (sheet.mark == Mark::None ? 0 : box * 2);
        p.drawText(textX, baseline, item);
        if (struck) {
            const int middle = baseline - sheet.pixelSize * 3 / 10;
            p.drawLine(textX, middle, textX + QFontMetrics(font).horizontalAdvance(item), middle);
        }
        y += lineStep;
    }
    p.end();
    return encode(image, format);
}

QString normalized(const QString &title)
{
    return title.simplified().toCaseFolded();
}

QStringList titles(const QList<RecognizedTask> &tasks)
{
    QStringList out;
    for (const RecognizedTask &t : tasks)
        out << normalized(t.title);
    return out;
}

RecognitionRequest request(const QByteArray &image, const QString &language, const QString &zone = u"Europe/Kyiv"_s)
{
    // Morning in Europe and the night before in America.
    return { image, WednesdayInKyiv, zone, language };
}
} // namespace

Q_DECLARE_METATYPE(Sheet)

class TestRecognition : public QObject
{
    Q_OBJECT

    TesseractRecognizer m_recognizer;

private Q_SLOTS:
    void readsRenderedLists_data()
    {
        QTest::addColumn<Sheet>("sheet");
        QTest::addColumn<QString>("language");

        const QStringList english { u"Buy milk and bread"_s, u"Call the dentist"_s, u"[x] Pay the electricity bill"_s,
                                    u"Send the slides to Anna"_s };
        const QStringList open { english[0], english[1], english[3] };
        const QStringList ukrainian { u"Купити молоко"_s, u"Подзвонити лікарю"_s, u"[x] Оплатити світло"_s,
                                      u"Надіслати звіт Олені"_s };
        const QStringList sidebar { u"Inbox"_s, u"Today"_s, u"Upcoming"_s, u"Projects"_s };
        const auto row
            = [](const char *name, const QString &language, const QString &family, int size, bool dark, Mark mark,
                 const QStringList &items, const QString &heading = {}, const QStringList &sidebar = {}) {
                  QTest::newRow(name) << Sheet { family, size, dark, mark, heading, items, sidebar } << language;
              };
        row("Liberation Serif, drawn boxes, dark", u"en"_s, u"Liberation Serif"_s, 20, true, Mark::DrawnBox, english);
        row("Noto Sans, bullets, dark", u"en"_s, u"Noto Sans"_s, 15, true, Mark::Bullet, open, u"Errands"_s);
        row("DejaVu Sans, numbers, light", u"en"_s, u"DejaVu Sans"_s, 14, false, Mark::Number, open);
        row("struck-through items are done", u"en"_s, u"Liberation Sans"_s, 17, false, Mark::Bullet,
            { english[0], english[1], u"~Pay the electricity bill"_s, english[3] });
        row("a side bar level with the list", u"en"_s, u"DejaVu Sans"_s, 15, false, Mark::DrawnBox, english, {},
            sidebar);
        row("typed boxes", u"en"_s, u"DejaVu Sans"_s, 18, false, Mark::None,
            { u"☐ Buy milk and bread"_s, u"☐ Call the dentist"_s, u"☑ Pay the electricity bill"_s,
              u"☐ Send the slides to Anna"_s });
        row("Ukrainian, DejaVu Sans, drawn boxes, light", u"uk"_s, u"DejaVu Sans"_s, 18, false, Mark::DrawnBox,
            ukrainian, u"Справи"_s);
        row("Ukrainian plain lines beside a side bar, dark", u"uk"_s, u"Noto Sans"_s, 16, true, Mark::None,
            { ukrainian[0], ukrainian[1], ukrainian[3] }, {}, { u"Вхідні"_s, u"Сьогодні"_s, u"Архів"_s });
        // From small text on an ordinary screen to double-density and zoomed text, and ordinary text
        // on a large high-resolution screen; with a bold heading half as large again and a ticked box.
        const QString families[] = { u"DejaVu Sans"_s, u"Liberation Sans"_s, u"Noto Sans"_s };
        int i = 0;
        for (const int size : { 11, 13, 16, 20, 26, 30, 36, 44 }) {
            const QString &family = families[i % 3];
            const bool dark = i++ % 2 == 1;
            QTest::addRow("%s %d px %s", qPrintable(family), size, dark ? "dark" : "light")
                << Sheet { family, size, dark, Mark::DrawnBox, u"Today"_s, english } << u"en"_s;
        }
        QTest::newRow("DejaVu Sans 30 px, 2880x1800")
            << Sheet { u"DejaVu Sans"_s, 30, false, Mark::DrawnBox, u"Today"_s, english, {}, { 2880, 1800 } }
            << u"en"_s;
        QTest::newRow("Noto Sans 14 px, 3840x2160")
            << Sheet { u"Noto Sans"_s, 14, true, Mark::DrawnBox, u"Today"_s, english, {}, { 3840, 2160 } } << u"en"_s;
        row("Liberation Sans 60 px, bullets", u"en"_s, u"Liberation Sans"_s, 60, false, Mark::Bullet, open);
    }

    void readsRenderedLists()
    {
        QFETCH(Sheet, sheet);
        QFETCH(QString, language);
        if (!QFontDatabase::families().contains(sheet.family))
            QSKIP("font not installed");
        const TesseractRecognizer::Reading reading = m_recognizer.readLines(QImage::fromData(render(sheet)), language);
        QVERIFY2(reading.error.isEmpty(), qPrintable(reading.error));
        QStringList lines;
        for (const TextLine &line : reading.lines)
            lines << line.text;
        // What is left when the checked and struck-through items and the marks are gone; and the
        // markers read as such: a ticked box read as letters would make the done item a task.
        const bool markers = (sheet.mark == Mark::DrawnBox || sheet.mark == Mark::Bullet) && sheet.sidebar.isEmpty();
        QStringList expected;
        for (const QString &item : sheet.items) {
            if (!item.startsWith(u"[x]"_s) && !item.startsWith(u'~') && !item.startsWith(u"☑"_s))
                expected << normalized(item.startsWith(u"☐"_s) ? item.mid(1) : item);
            const QString line
                = sheet.mark == Mark::Bullet ? u"• "_s + item : (item.startsWith(u"[x]"_s) ? item : u"[ ] "_s + item);
            QVERIFY2(!markers || item.startsWith(u'~') || lines.contains(line), qPrintable(lines.join(u" | "_s)));
        }
        QCOMPARE(titles(TaskExtractor::extract(reading.lines, { WednesdayInKyiv, u"Europe/Kyiv"_s, language })),
                 expected);
    }

    void measuresLetterHeight_data()
    {
        QTest::addColumn<Sheet>("sheet");
        const QStringList lines { u"Water the plants in the kitchen"_s, u"Renew the car insurance"_s,
                                  u"Reply to the recruiter"_s };
        for (const QString &family : { u"DejaVu Sans"_s, u"Liberation Serif"_s }) {
            for (const int size : { 11, 16, 30, 60 })
                QTest::addRow("%s %d px", qPrintable(family), size)
                    << Sheet { family, size, false, Mark::None, {}, lines, {}, { 1400, 900 } };
        }
        // Body text outnumbers the smaller labels of a side bar.
        QTest::newRow("36 px beside 13 px labels") << Sheet {
            u"Noto Sans"_s, 36, false, Mark::None, {}, lines, QStringList(3, u"Inbox"_s), { 1400, 900 }, 13
        };
    }

    void measuresLetterHeight()
    {
        QFETCH(Sheet, sheet);
        if (!QFontDatabase::families().contains(sheet.family))
            QSKIP("font not installed");
        QImage image = QImage::fromData(render(sheet)).convertToFormat(QImage::Format_Grayscale8);
        QImage blank(image.size(), QImage::Format_Grayscale8);
        blank.fill(Qt::white);
        QCOMPARE(OcrImage::letterHeight(blank), 0);
        // A rule and a filled rectangle are no letters.
        QPainter p(&image);
        p.fillRect(20, 860, 1360, 2, Qt::black);
        p.fillRect(1300, 20, 80, 80, Qt::black);
        p.end();
        QFont font(sheet.family);
        font.setPixelSize(sheet.pixelSize);
        const int expected = QFontMetrics(font).xHeight();
        const int measured = OcrImage::letterHeight(image);
        QVERIFY2(std::abs(measured - expected) <= std::max(1, expected / 6),
                 qPrintable(u"measured %1 px, x-height %2 px"_s.arg(measured).arg(expected)));
    }

    void readsDeadlinesAndPrioritiesFromJpeg()
    {
        const QStringList items { u"Call Bob tomorrow at 2pm"_s, u"URGENT: renew the passport"_s,
                                  u"Подзвонити мамі до п'ятниці"_s, u"Прибрати гараж колись"_s };
        const Sheet sheet { u"DejaVu Sans"_s, 18, false, Mark::DrawnBox, {}, items };
        // A JPEG, as some screenshot tools save.
        const RecognitionResult result
            = m_recognizer.recognize(request(render(sheet, "JPEG"), u"uk"_s, u"America/New_York"_s));
        QVERIFY2(result.done, qPrintable(result.error));
        // 08:00 UTC is still Wednesday 04:00 in New York: tomorrow is Thursday the 12th, 14:00 EDT.
        QCOMPARE(describe(result.tasks),
                 (QStringList { u"Call Bob | 2026-03-12T18:00:00Z"_s, u"Renew the passport | high"_s,
                                u"Подзвонити мамі | 2026-03-13"_s, u"Прибрати гараж | low"_s }));
    }

    void imagesWithoutTasks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error"); // empty: read, and found to hold no task
        const QStringList prose { u"Revenue grew by twelve percent this quarter."_s,
                                  u"The new office opened in Lviv in February."_s };
        QTest::newRow("prose") << render({ u"DejaVu Sans"_s, 16, false, Mark::None, u"Quarterly review"_s, prose })
                               << QString();
        // Degenerate but valid images: blank, a dot, hair-thin strips, transparent.
        for (const QSize size : { QSize(640, 480), QSize(1, 1), QSize(3, 4000), QSize(5000, 2) }) {
            QImage blank(size, QImage::Format_ARGB32);
            blank.fill(size.width() == 640 ? Qt::white : Qt::transparent);
            QTest::addRow("%dx%d", size.width(), size.height()) << encode(blank) << QString();
        }
        const QByteArray png = render({ u"DejaVu Sans"_s, 16, false, Mark::DrawnBox, {}, { u"Buy milk"_s } });
        QImage small(8, 8, QImage::Format_RGB32);
        small.fill(Qt::white);
        QTest::newRow("empty") << QByteArray() << u"unreadable_image"_s;
        QTest::newRow("text") << QByteArray("this is not an image") << u"unreadable_image"_s;
        QTest::newRow("truncated PNG") << png.left(png.size() / 3) << u"unreadable_image"_s;
        QTest::newRow("BMP") << encode(small, "BMP") << u"unreadable_image"_s;
        QTest::newRow("SVG") << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'/>")
                             << u"unreadable_image"_s;
    }

    void imagesWithoutTasks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const RecognitionResult result = m_recognizer.recognize(request(bytes, u"uk"_s));
        QCOMPARE(result.error, error);
        QCOMPARE(result.done, error.isEmpty());
        QVERIFY(result.tasks.isEmpty());
    }

    void missingLanguageData()
    {
        const QByteArray png
            = render({ u"DejaVu Sans"_s, 18, false, Mark::DrawnBox, {}, { u"Buy milk"_s, u"Call mom"_s } });

        QTemporaryDir empty;
        QCOMPARE(TesseractRecognizer(empty.path()).recognize(request(png, u"en"_s)).error, u"ocr_unavailable"_s);

        // English data alone: English captures are read, Ukrainian ones (which need both) are not.
        QTemporaryDir englishOnly;
        QVERIFY(QFile::link(QDir(TesseractRecognizer::defaultTessdataDir()).filePath(u"eng.traineddata"_s),
                            QDir(englishOnly.path()).filePath(u"eng.traineddata"_s)));
        TesseractRecognizer english(englishOnly.path());
        const RecognitionResult en = english.recognize(request(png, u"en"_s));
        QVERIFY2(en.done, qPrintable(en.error));
        QCOMPARE(titles(en.tasks), (QStringList { u"buy milk"_s, u"call mom"_s }));
        QCOMPARE(english.recognize(request(png, u"uk"_s)).error, u"ocr_unavailable"_s);

        // A file that is there but is no language data.
        QTemporaryDir broken;
        QFile bad(QDir(broken.path()).filePath(u"eng.traineddata"_s));
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("not a model") > 0 && bad.flush());
        QCOMPARE(TesseractRecognizer(broken.path()).recognize(request(png, u"en"_s)).error, u"ocr_unavailable"_s);
    }

    void overlongOcrIsGivenUp()
    {
        QStringList many;
        for (int i = 0; i < 14; ++i)
            many << u"Send the quarterly report to the finance team number %1"_s.arg(i);
        const QByteArray png = render({ u"DejaVu Sans"_s, 16, false, Mark::DrawnBox, {}, many });
        QCOMPARE(TesseractRecognizer({}, std::chrono::milliseconds(1)).recognize(request(png, u"en"_s)).error,
                 u"ocr_timeout"_s);
        // The engine is left fit for the next image.
        const RecognitionResult next = m_recognizer.recognize(request(png, u"en"_s));
        QVERIFY2(next.done, qPrintable(next.error));
        QCOMPARE(next.tasks.size(), 14);
    }

    void concurrentCallsAgree()
    {
        // Every worker thread has its own engines; results must not depend on who ran alongside.
        const QByteArray en
            = render({ u"Liberation Sans"_s, 16, false, Mark::DrawnBox, {}, { u"Buy milk"_s, u"Pay rent"_s } });
        const QByteArray uk
            = render({ u"DejaVu Sans"_s, 16, true, Mark::Bullet, {}, { u"Купити хліб"_s, u"Помити авто"_s } });
        std::unique_ptr<Recognizer> shared = makeDefaultRecognizer();
        const auto read = [&](int i) {
            return titles(shared->recognize(request(i % 2 ? uk : en, i % 2 ? u"uk"_s : u"en"_s)).tasks);
        };
        const QStringList alone[2] = { read(0), read(1) };
        QCOMPARE(alone[0].size(), 2);
        QCOMPARE(alone[1].size(), 2);
        std::vector<std::future<QStringList>> results;
        for (int i = 0; i < 6; ++i)
            results.push_back(std::async(std::launch::async, read, i));
        for (int i = 0; i < 6; ++i)
            QCOMPARE(results[i].get(), alone[i % 2]);
    }
};

QTEST_MAIN(TestRecognition)
#include "test_recognition.moc"
