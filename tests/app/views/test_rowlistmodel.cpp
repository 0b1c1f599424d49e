// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#include "rowlistmodel.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {
class KeyedModel : public RowListModel
{
public:
    KeyedModel()
        : RowListModel({ "key", "text" })
    { }

    // Rows named by single letters; a letter's text is given in \a texts or is the letter.
    void set(const QString &keys, const QHash<QChar, QString> &texts = {})
    {
        QList<Row> rows;
        for (QChar key : keys)
            rows.append({ QString(key), { QString(key), texts.value(key, QString(key)) } });
        replaceRows(rows);
    }

    QString keys() const
    {
        QString result;
        for (const Row &row : rows())
            result += row.key;
        return result;
    }
};

struct Operations
{
    explicit Operations(QAbstractItemModel *model)
        : inserted(model, &QAbstractItemModel::rowsInserted)
        , removed(model, &QAbstractItemModel::rowsRemoved)
        , moved(model, &QAbstractItemModel::rowsMoved)
        , changed(model, &QAbstractItemModel::dataChanged)
        , reset(model, &QAbstractItemModel::modelReset)
    { }
    QSignalSpy inserted, removed, moved, changed, reset;
    int moves() const { return int(moved.count()); }
};
} // namespace

class RowListModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appliesTheNewListWithFewOperations_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("insertions");
        QTest::addColumn<int>("removals");
        QTest::addColumn<int>("moves");

        QTest::newRow("first load is one insertion") << u""_s << u"abcdef"_s << 1 << 0 << 0;
        QTest::newRow("unchanged") << u"abc"_s << u"abc"_s << 0 << 0 << 0;
        QTest::newRow("one new at the top") << u"abc"_s << u"xabc"_s << 1 << 0 << 0;
        QTest::newRow("runs of new rows") << u"abc"_s << u"xyaczw"_s << 2 << 1 << 0;
        QTest::newRow("one gone") << u"abcd"_s << u"abd"_s << 0 << 1 << 0;
        QTest::newRow("runs of gone rows") << u"abcdefg"_s << u"adg"_s << 0 << 2 << 0;
        QTest::newRow("everything gone") << u"abc"_s << u""_s << 0 << 1 << 0;
        QTest::newRow("last to first is one move") << u"abcde"_s << u"eabcd"_s << 0 << 0 << 1;
        QTest::newRow("first to last is one move") << u"abcde"_s << u"bcdea"_s << 0 << 0 << 1;
        QTest::newRow("swap of neighbours") << u"abcd"_s << u"acbd"_s << 0 << 0 << 1;
        QTest::newRow("reversed") << u"abcd"_s << u"dcba"_s << 0 << 0 << 3;
        QTest::newRow("all at once") << u"abcdef"_s << u"fxbdyc"_s << 2 << 2 << 2;
    }

    void appliesTheNewListWithFewOperations()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, insertions);
        QFETCH(int, removals);
        QFETCH(int, moves);

        KeyedModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.set(before);
        Operations operations(&model);
        model.set(after);

        QCOMPARE(model.keys(), after);
        QCOMPARE(operations.inserted.count(), insertions);
        QCOMPARE(operations.removed.count(), removals);
        QCOMPARE(operations.moves(), moves);
        QCOMPARE(operations.changed.count(), 0);
        QCOMPARE(operations.reset.count(), 0);
    }

    void changedRowSendsOnlyItsChangedRoles()
    {
        KeyedModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.set(u"abc"_s);
        Operations operations(&model);
        model.set(u"cab"_s, { { u'a', u"new text"_s } });

        QCOMPARE(model.keys(), u"cab"_s);
        QCOMPARE(operations.changed.count(), 1);
        const auto arguments = operations.changed.at(0);
        QCOMPARE(arguments.at(0).toModelIndex().row(), 1);
        QCOMPARE(arguments.at(1).toModelIndex().row(), 1);
        QCOMPARE(arguments.at(2).value<QList<int>>(), QList<int> { Qt::UserRole + 1 });
        QCOMPARE(model.data(model.index(1), Qt::UserRole + 1).toString(), u"new text"_s);
    }

    void anyShuffleEndsInTheNewOrder()
    {
        // Random lists against random lists: the result is always the new list, and the
        // model stays consistent for its views at every step.
        QRandomGenerator random(20260307);
        const QString alphabet = u"abcdefghijklmnopqrstuvwxyz"_s;
        KeyedModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int round = 0; round < 300; ++round) {
            QString keys = alphabet;
            std::shuffle(keys.begin(), keys.end(), random);
            keys.truncate(random.bounded(alphabet.size() + 1));
            model.set(keys);
            QCOMPARE(model.keys(), keys);
            QCOMPARE(model.count(), keys.size());
        }
    }
};

QTEST_GUILESS_MAIN(RowListModelTest)
#include "test_rowlistmodel.moc"
