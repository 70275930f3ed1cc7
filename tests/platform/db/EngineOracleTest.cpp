// Datasets checked against the engine itself: random rows with a fixed seed, read in
// several orders both ways, counted, searched and filtered, compared with the engine's own
// ORDER BY and COUNT and with a scan of every row.

#include "EngineTest.h"

#include <QRandomGenerator>
#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct TSampleRow {
    qint64 Id = 0;
    Variant Name;
    Variant Num;
    Variant Day;
};

class EngineOracleFixture : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        FDb = std::make_unique<TPeopleDatabase>(0, Engine());
        std::unique_ptr<TTable> sample(FDb->NewTable(QStringLiteral("Sample")));
        sample->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
        sample->FieldDefs()->Add(QStringLiteral("Name"), ftString, 12);
        sample->FieldDefs()->Add(QStringLiteral("Num"), ftInteger);
        sample->FieldDefs()->Add(QStringLiteral("Day"), ftDate);
        sample->IndexDefs()->Add(QStringLiteral("ByName"), QStringLiteral("Name"), {});
        sample->CreateTable();
        // Written as another program writes them, in one transaction.
        static const char* const names[] = {"",      "a",     "A",       "ä",        "Ä",
                                            "äpfel", "Äpfel", "O'Brien", "o'brien",  "Zoë",
                                            "zoe",   "smith", "Smith",   "SMITHSON", "x_z",
                                            "X@1",   "b\"q",  "ÉCOLE",   "école",    "z"};
        QRandomGenerator random(20261209);
        TDbConnection* connection = Connection();
        connection->StartTransaction();
        for (int i = 1; i <= 240; ++i) {
            TSampleRow row;
            row.Id = i;
            if (random.bounded(8) != 0)
                row.Name = QString::fromUtf8(names[random.bounded(int(std::size(names)))]);
            if (random.bounded(6) != 0)
                row.Num = qint64(random.bounded(-20, 21));
            if (random.bounded(5) != 0)
                row.Day = QDate(1990, 1, 1).addDays(random.bounded(400));
            connection->Execute(
                QStringLiteral("INSERT INTO \"Sample\" (\"Name\", \"Num\", \"Day\") "
                               "VALUES (?, ?, ?)"),
                {row.Name, row.Num, row.Day});
            FRows << row;
        }
        connection->Commit();
        FTable.reset(FDb->NewTable(QStringLiteral("Sample")));
        FTable->Open();
    }

    TDbConnection* Connection() const {
        return Session()->OpenDatabase(FDb->Alias())->Connection();
    }

    // The ids in the engine's own order, where Order is an ORDER BY list.
    QList<qint64> EngineIds(const QString& Order, const QString& Where = QString()) const {
        auto statement = Connection()->Prepare(
            QStringLiteral("SELECT \"Id\" FROM \"Sample\"%1 ORDER BY %2")
                .arg(Where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + Where, Order));
        QList<qint64> ids;
        while (statement->Step())
            ids << statement->Column(0).toLongLong();
        return ids;
    }

    qint64 EngineCount(const QString& Where) const {
        return Connection()
            ->Scalar(QStringLiteral("SELECT COUNT(*) FROM \"Sample\" WHERE ") + Where)
            .toLongLong();
    }

    qint64 Id() const {
        return FTable->FieldByName(QStringLiteral("Id"))->AsVariant().toLongLong();
    }

    QList<qint64> Forward() const {
        QList<qint64> ids;
        for (FTable->First(); !FTable->Eof() && ids.size() <= FRows.size(); FTable->Next())
            ids << Id();
        return ids;
    }

    QList<qint64> Backward() const {
        QList<qint64> ids;
        for (FTable->Last(); !FTable->Bof() && ids.size() <= FRows.size(); FTable->Prior())
            ids.prepend(Id());
        return ids;
    }

    const TSampleRow& Row(qint64 Id) const { return FRows[Id - 1]; }

    // The first row in Order whose name matches Wanted as a search with Options does.
    std::optional<qint64> FirstMatching(const QList<qint64>& Order, const QString& Wanted,
                                        TLocateOptions Options) const {
        for (const qint64 id : Order) {
            const Variant& name = Row(id).Name;
            if (VarIsNull(name))
                continue;
            const bool lower = Options.Contains(loCaseInsensitive);
            const QString stored = lower ? name.toString().toLower() : name.toString();
            const QString wanted = lower ? Wanted.toLower() : Wanted;
            if (Options.Contains(loPartialKey) ? stored.startsWith(wanted) : stored == wanted)
                return id;
        }
        return std::nullopt;
    }

    std::unique_ptr<TPeopleDatabase> FDb;
    std::unique_ptr<TTable> FTable;
    QList<TSampleRow> FRows;
};

ON_EVERY_ENGINE_WITH(EngineOracle, EngineOracleFixture);

const QString NameOrder = QStringLiteral("\"Name\" ASC NULLS FIRST, \"Id\"");

TEST_P(EngineOracle, OrdersCountsAndPositions) {
    const QList<std::pair<QString, QString>> orders{
        {QStringLiteral("Name"), NameOrder},
        {QStringLiteral("Num;Name"),
         QStringLiteral("\"Num\" ASC NULLS FIRST, \"Name\" ASC NULLS FIRST, \"Id\"")},
        {QStringLiteral("Day;Num"),
         QStringLiteral("\"Day\" ASC NULLS FIRST, \"Num\" ASC NULLS FIRST, \"Id\"")},
        {QStringLiteral("Id"), QStringLiteral("\"Id\"")}};
    for (const auto& [fields, order] : orders) {
        SCOPED_TRACE(fields.toStdString());
        FTable->SetIndexFieldNames(fields);
        const QList<qint64> expected = EngineIds(order);
        EXPECT_EQ(expected.size(), FRows.size());
        EXPECT_EQ(Forward(), expected);
        EXPECT_EQ(Backward(), expected);
        EXPECT_EQ(FTable->RecordCount(), expected.size());
        FTable->First();
        for (int i = 0; i < expected.size(); i += 37) {
            EXPECT_EQ(Id(), expected[i]);
            EXPECT_EQ(FTable->RecNo(), i + 1);
            FTable->MoveBy(37);
        }
    }
}

TEST_P(EngineOracle, SearchesFindTheFirstMatchInTheOrder) {
    FTable->SetIndexFieldNames(QStringLiteral("Name"));
    const QList<qint64> order = EngineIds(NameOrder);
    const QStringList wanted{
        QStringLiteral(""),     QStringLiteral("a"),     QStringLiteral("ä"),
        QStringLiteral("Äp"),   QStringLiteral("o'b"),   QStringLiteral("SMITH"),
        QStringLiteral("x@"),   QStringLiteral("École"), QStringLiteral("zo"),
        QStringLiteral("b\"q"), QStringLiteral("nobody")};
    const QList<TLocateOptions> options{
        {}, {loCaseInsensitive}, {loPartialKey}, {loCaseInsensitive, loPartialKey}};
    const QString name = QStringLiteral("Name");
    for (const bool inProcess : {false, true}) {
        if (inProcess) { // an OnFilterRecord that passes every record: the process searches
            FTable->SetOnFilterRecord(
                TFilterRecordEvent([](TDataSet*, bool& accept) { accept = true; }));
            FTable->SetFiltered(true);
        }
        for (const QString& value : wanted)
            for (const TLocateOptions& option : options) {
                SCOPED_TRACE((value + QStringLiteral(" ") + QString::number(option.Bits()) +
                              (inProcess ? QStringLiteral(" in process") : QString()))
                                 .toStdString());
                const std::optional<qint64> first = FirstMatching(order, value, option);
                ASSERT_EQ(FTable->Locate(name, value, option), first.has_value());
                if (first) {
                    EXPECT_EQ(Id(), *first);
                }
                if (option.IsEmpty()) {
                    const Variant looked = FTable->Lookup(name, value, QStringLiteral("Id"));
                    EXPECT_EQ(VarIsNull(looked) ? std::optional<qint64>() : looked.toLongLong(),
                              first);
                    EXPECT_EQ(FTable->FindKey({value}), first.has_value());
                    // The nearest: the first name at or after the value in code point order.
                    FTable->FindNearest({value});
                    std::optional<qint64> nearest;
                    for (const qint64 id : order)
                        if (!nearest && !VarIsNull(Row(id).Name) &&
                            Row(id).Name.toString().toUtf8() >= value.toUtf8())
                            nearest = id;
                    if (nearest) {
                        EXPECT_EQ(Id(), *nearest);
                    } else {
                        EXPECT_TRUE(FTable->Eof());
                    }
                }
            }
    }
}

TEST_P(EngineOracle, FiltersAgreeWithTheEnginesCount) {
    FTable->SetIndexFieldNames(QStringLiteral("Name"));
    const QList<std::pair<QString, QString>> filters{
        {QStringLiteral("Num > 0"), QStringLiteral("\"Num\" > 0")},
        {QStringLiteral("Num <= -5 or Name = 'z'"),
         QStringLiteral("\"Num\" <= -5 OR \"Name\" = 'z'")},
        {QStringLiteral("Day >= '1990-06-01'"), QStringLiteral("\"Day\" >= '1990-06-01'")},
        {QStringLiteral("Name = 'O''Brien'"), QStringLiteral("\"Name\" = 'O''Brien'")},
        {QStringLiteral("Name <> ''"), QStringLiteral("\"Name\" <> ''")}};
    for (const auto& [filter, where] : filters) {
        SCOPED_TRACE(filter.toStdString());
        FTable->SetFilter(filter);
        FTable->SetFiltered(true);
        const QList<qint64> expected = EngineIds(NameOrder, where);
        EXPECT_EQ(FTable->RecordCount(), EngineCount(where));
        EXPECT_EQ(Forward(), expected);
        EXPECT_EQ(Backward(), expected);
        FTable->SetFiltered(false);
    }
    // Ignoring case, by every letter: the scan is the oracle.
    FTable->SetFilterOptions({foCaseInsensitive});
    FTable->SetFilter(QStringLiteral("Name = 'äpfel'"));
    FTable->SetFiltered(true);
    QList<qint64> expected;
    for (const qint64 id : EngineIds(NameOrder))
        if (Row(id).Name.toString().toLower() == QStringLiteral("äpfel"))
            expected << id;
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(Forward(), expected);
    EXPECT_EQ(FTable->RecordCount(), expected.size());
}

// Leading parts and ordered comparisons of texts follow code points, as the process
// compares, whatever the column's collation (on PostgreSQL, a language's: "und-x-icu"
// puts "Smith" between "sm" and "sn"). The order shown stays the column's own.
TEST_P(EngineOracle, TextRangesFollowCodePointsWhateverTheCollation) {
    if (Engine() == QLatin1String(PostgresEngine)) {
        FTable->Close();
        Connection()->Execute(QStringLiteral(
            R"(ALTER TABLE "Sample" ALTER COLUMN "Name" TYPE VARCHAR(12) COLLATE "und-x-icu")"));
        FTable->Open();
    }
    FTable->SetIndexFieldNames(QStringLiteral("Name"));
    const QList<qint64> order = EngineIds(NameOrder);
    const QString name = QStringLiteral("Name");
    for (const char* value : {"sm", "SM", "a", "Ä", "o'", "x_", "É", "z", "Z"})
        for (const TLocateOptions& option :
             {TLocateOptions{loPartialKey}, TLocateOptions{loPartialKey, loCaseInsensitive}}) {
            const QString wanted = QString::fromUtf8(value);
            SCOPED_TRACE(
                (wanted + QStringLiteral(" ") + QString::number(option.Bits())).toStdString());
            const std::optional<qint64> first = FirstMatching(order, wanted, option);
            ASSERT_EQ(FTable->Locate(name, wanted, option), first.has_value());
            if (first) {
                EXPECT_EQ(Id(), *first);
            }
        }
    using TTest = std::function<bool(const QString&)>;
    const QList<std::pair<QString, TTest>> filters{
        {QStringLiteral("Name = 'sm*'"),
         [](const QString& n) { return n.startsWith(QStringLiteral("sm")); }},
        {QStringLiteral("Name = 'A*'"),
         [](const QString& n) { return n.startsWith(QStringLiteral("A")); }},
        {QStringLiteral("Name < 'Z'"),
         [](const QString& n) { return CompareCodePoints(n, QStringLiteral("Z")) < 0; }},
        {QStringLiteral("Name >= 'o'"),
         [](const QString& n) { return CompareCodePoints(n, QStringLiteral("o")) >= 0; }}};
    for (const auto& [filter, test] : filters) {
        SCOPED_TRACE(filter.toStdString());
        FTable->SetFilter(filter);
        FTable->SetFiltered(true);
        QList<qint64> expected;
        for (const qint64 id : order)
            if (!VarIsNull(Row(id).Name) && test(Row(id).Name.toString()))
                expected << id;
        EXPECT_EQ(Forward(), expected);
        EXPECT_EQ(FTable->RecordCount(), expected.size());
        FTable->SetFiltered(false);
    }
}

} // namespace
