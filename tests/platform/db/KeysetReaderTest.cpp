#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <db/KeysetReader.h>
#include <db/SqliteConnection.h>
#include <gtest/gtest.h>

namespace {

// Rows with repeated values and nulls in both columns, read in every kind of order and
// compared with the order worked out here: nulls first ascending, last descending, then
// the row key.
class KeysetOrders : public ::testing::Test {
protected:
    void SetUp() override {
        FConnection = std::make_unique<TSqliteConnection>(FDir.filePath(QStringLiteral("k.db")));
        FConnection->Execute(QStringLiteral("CREATE TABLE t (a INTEGER, b VARCHAR(5))"));
        FConnection->Execute(QStringLiteral("CREATE INDEX t_ab ON t (a, b)"));
        QRandomGenerator random(7);
        FConnection->StartTransaction();
        for (int i = 0; i < 60; ++i) {
            const Variant a = random.bounded(5) == 0 ? Null() : Variant(int(random.bounded(4)));
            const Variant b =
                random.bounded(4) == 0 ? Null() : Variant(QString(QChar(u'p' + random.bounded(3))));
            FConnection->Execute(QStringLiteral("INSERT INTO t VALUES (?, ?)"), {a, b});
            FRows.append({a, b, qint64(i + 1)});
        }
        FConnection->Commit();
    }

    TKeysetReader Reader(const QList<int>& columns, const QList<bool>& descending,
                         const QString& where = QString()) {
        TKeysetSource source;
        source.From = QStringLiteral("t");
        source.Columns = {QStringLiteral("a"), QStringLiteral("b")};
        source.RowKey = QStringLiteral("rowid");
        source.OrderColumns = columns;
        source.Descending = descending;
        source.Where = where;
        return TKeysetReader(FConnection.get(), source);
    }

    // The row keys in the order the columns give.
    QList<qint64> Expected(const QList<int>& columns, const QList<bool>& descending,
                           bool onlyNonNullA = false) const {
        QList<QVariantList> rows = FRows;
        if (onlyNonNullA)
            rows.removeIf([](const QVariantList& r) { return VarIsNull(r[0]); });
        std::sort(rows.begin(), rows.end(), [&](const QVariantList& x, const QVariantList& y) {
            for (qsizetype i = 0; i < columns.size(); ++i) {
                const Variant& u = x[columns[i]];
                const Variant& v = y[columns[i]];
                if (VarIsNull(u) && VarIsNull(v))
                    continue;
                const bool desc = descending[i];
                if (VarIsNull(u) || VarIsNull(v))
                    return VarIsNull(u) != desc; // nulls lowest, so first unless descending
                if (u == v)
                    continue;
                const bool less =
                    columns[i] == 0 ? u.toInt() < v.toInt() : u.toString() < v.toString();
                return less != desc;
            }
            return x[2].toLongLong() < y[2].toLongLong();
        });
        QList<qint64> keys;
        for (const QVariantList& r : rows)
            keys << r[2].toLongLong();
        return keys;
    }

    static QList<qint64> Keys(const QList<TKeysetReader::TRow>& rows) {
        QList<qint64> keys;
        for (const auto& r : rows)
            keys << r.last().toLongLong();
        return keys;
    }

    QTemporaryDir FDir;
    std::unique_ptr<TSqliteConnection> FConnection;
    QList<QVariantList> FRows;
};

TEST_F(KeysetOrders, WalksEveryOrderBothWaysInSmallSteps) {
    const QList<QPair<QList<int>, QList<bool>>> orders = {
        {{0}, {false}},          {{0}, {true}},           {{1}, {false}}, {{0, 1}, {false, false}},
        {{0, 1}, {true, false}}, {{1, 0}, {false, true}}, {{}, {}}};
    for (const auto& [columns, descending] : orders) {
        TKeysetReader reader = Reader(columns, descending);
        const QList<qint64> expected = Expected(columns, descending);
        QList<TKeysetReader::TRow> forward = reader.First(3);
        while (true) {
            const auto more = reader.After(forward.last(), 3);
            if (more.isEmpty())
                break;
            forward += more;
        }
        EXPECT_EQ(Keys(forward), expected) << "forward " << columns.size();
        QList<TKeysetReader::TRow> backward = reader.Last(4);
        while (true) {
            const auto more = reader.Before(backward.first(), 4);
            if (more.isEmpty())
                break;
            backward = more + backward;
        }
        EXPECT_EQ(Keys(backward), expected) << "backward " << columns.size();
        for (qsizetype i = 0; i < forward.size(); i += 7)
            EXPECT_EQ(reader.CountBefore(forward[i]), i);
        EXPECT_EQ(reader.Count(), 60);
    }
}

TEST_F(KeysetOrders, ConditionsAndTheirParametersLimitTheRows) {
    TKeysetReader reader =
        Reader({0, 1}, {false, false}, QStringLiteral("a IS NOT NULL AND a >= ?"));
    reader.SetWhereParams({0});
    const QList<qint64> expected = Expected({0, 1}, {false, false}, true);
    QList<TKeysetReader::TRow> rows = reader.First(5);
    while (!rows.isEmpty() && rows.size() < 100) {
        const auto more = reader.After(rows.last(), 5);
        if (more.isEmpty())
            break;
        rows += more;
    }
    EXPECT_EQ(Keys(rows), expected);
    EXPECT_EQ(reader.Count(), expected.size());
    reader.SetWhereParams({4});
    EXPECT_TRUE(reader.First(5).isEmpty());
    const auto byKey = reader.ByKey(expected.first());
    EXPECT_FALSE(byKey.has_value()); // outside the condition now
}

QStringList Names(const QList<TKeysetReader::TRow>& Rows) {
    QStringList names;
    for (const auto& row : Rows)
        names << row.first().toString();
    return names;
}

// The statements stay prepared, their texts bound, between reads: each read binds the row
// it starts from (folded where the order ignores case) and sees the rows as they are now.
TEST(KeysetBinding, EachReadBindsItsRowAndSeesTheRowsAsTheyAreNow) {
    QTemporaryDir dir;
    TSqliteConnection connection(dir.filePath(QStringLiteral("b.db")));
    connection.Execute(QStringLiteral("CREATE TABLE w (name VARCHAR(40))"));
    for (const char* name : {"alpha", "Beta", "gamma", "DELTA", "epsilon"})
        connection.Execute(QStringLiteral("INSERT INTO w VALUES (?)"), {QString::fromLatin1(name)});
    TKeysetSource source;
    source.From = QStringLiteral("w");
    source.Columns = {QStringLiteral("name")};
    source.RowKey = QStringLiteral("rowid");
    source.OrderColumns = {0};
    source.Descending = {false};
    source.IgnoreCase = {true};
    TKeysetReader reader(&connection, source);

    const QList<TKeysetReader::TRow> first = reader.First(2);
    EXPECT_EQ(Names(first), (QStringList{"alpha", "Beta"}));
    EXPECT_EQ(Names(reader.After(first.last(), 2)), (QStringList{"DELTA", "epsilon"}));
    const QList<TKeysetReader::TRow> last = reader.Last(1);
    EXPECT_EQ(Names(reader.Before(last.first(), 2)), (QStringList{"DELTA", "epsilon"}));

    connection.Execute(QStringLiteral("INSERT INTO w VALUES ('BETAMAX, a longer name')"));
    EXPECT_EQ(Names(reader.After(first.last(), 2)),
              (QStringList{"BETAMAX, a longer name", "DELTA"}));
    const auto delta = reader.After(first.last(), 2).last();
    EXPECT_EQ(reader.CountBefore(delta), 3);
    EXPECT_EQ(Names(reader.Before(delta, 5)),
              (QStringList{"alpha", "Beta", "BETAMAX, a longer name"}));
    // A shorter text after the longer one, from the same statements.
    EXPECT_EQ(Names(reader.After(first.first(), 1)), (QStringList{"Beta"}));
    EXPECT_EQ(Names(reader.Before(first.first(), 1)), QStringList());

    connection.Execute(QStringLiteral("DELETE FROM w WHERE name = 'DELTA'"));
    EXPECT_EQ(Names(reader.After(first.last(), 2)),
              (QStringList{"BETAMAX, a longer name", "epsilon"}));
    EXPECT_EQ(reader.CountBefore(last.first()), 4);
}

} // namespace
