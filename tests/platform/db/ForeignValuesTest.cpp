// Tables whose values other programs wrote: in forms the datasets do not write themselves.

#include "EngineTest.h"

#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Exceptions.h>

namespace {

ON_EVERY_ENGINE(ForeignValues);

TDbConnection* ConnectionOf(const TPeopleDatabase& db) {
    return Session()->OpenDatabase(db.Alias())->Connection();
}

// The ids of every record, from the first on and from the last back (each bounded).
QList<qint64> IdsForward(TDataSet* table) {
    QList<qint64> ids;
    for (table->First(); !table->Eof() && ids.size() < 100; table->Next())
        ids << table->FieldByName(QStringLiteral("Id"))->AsVariant().toLongLong();
    return ids;
}

QList<qint64> IdsBackward(TDataSet* table) {
    QList<qint64> ids;
    for (table->Last(); !table->Bof() && ids.size() < 100; table->Prior())
        ids.prepend(table->FieldByName(QStringLiteral("Id"))->AsVariant().toLongLong());
    return ids;
}

TEST_P(ForeignValues, TimestampsPageInTheEnginesOwnPrecision) {
    TPeopleDatabase db(0, Engine());
    std::unique_ptr<TTable> log(db.NewTable(QStringLiteral("Log")));
    log->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    log->FieldDefs()->Add(QStringLiteral("At"), ftDateTime);
    log->CreateTable();
    // SQLite's CURRENT_TIMESTAMP has no fraction, PostgreSQL's now() has microseconds.
    const bool sqlite = Engine() == QLatin1String(SqliteEngine);
    const QString first = sqlite ? QStringLiteral("2024-03-01 10:00:00")
                                 : QStringLiteral("2024-03-01 10:00:00.123456");
    const QString second = sqlite ? QStringLiteral("2024-03-01 10:00:01")
                                  : QStringLiteral("2024-03-01 10:00:00.123789");
    TDbConnection* connection = ConnectionOf(db);
    for (const QString& at : {first, second, first, second, first})
        connection->Execute(
            QStringLiteral("INSERT INTO \"Log\" (\"At\") VALUES (%1)")
                .arg(sqlite ? QStringLiteral("?") : QStringLiteral("CAST(? AS timestamp)")),
            {at});
    Session()->CloseDatabase(Session()->FindDatabase(db.Alias()));
    log->SetIndexFieldNames(QStringLiteral("At"));
    log->Open();
    const QList<qint64> order{1, 3, 5, 2, 4};
    EXPECT_EQ(IdsForward(log.get()), order);
    EXPECT_EQ(IdsBackward(log.get()), order);
    log->Last();
    EXPECT_EQ(log->RecNo(), 5);
    log->First();
    log->Next();
    EXPECT_EQ(log->RecNo(), 2);
    EXPECT_EQ(log->FieldByName(QStringLiteral("At"))->AsDateTime(),
              QDateTime(QDate(2024, 3, 1), QTime(10, 0, 0, sqlite ? 0 : 123)));
    // Edited and posted, the record is read again from the engine.
    log->Edit();
    log->FieldByName(QStringLiteral("At"))->SetAsDateTime(QDateTime(QDate(2024, 3, 2), QTime()));
    log->Post();
    EXPECT_EQ(IdsForward(log.get()), (QList<qint64>{1, 5, 2, 4, 3}));
    EXPECT_EQ(IdsBackward(log.get()), (QList<qint64>{1, 5, 2, 4, 3}));
}

// Positions count the nulls a column allows (first) and skip none where it allows none.
TEST_P(ForeignValues, PositionsCountTheNullsOfColumnsThatAllowThem) {
    TPeopleDatabase db(0, Engine());
    ConnectionOf(db)->Execute(QStringLiteral(
        "CREATE TABLE \"Pairs\" (\"Id\" INTEGER PRIMARY KEY, \"Fixed\" INTEGER NOT NULL, "
        "\"Loose\" INTEGER); CREATE INDEX \"Pairs_Fixed\" ON \"Pairs\" (\"Fixed\"); "
        "CREATE INDEX \"Pairs_Loose\" ON \"Pairs\" (\"Loose\"); INSERT INTO \"Pairs\" "
        "VALUES (1, 30, NULL), (2, 10, 5), (3, 20, NULL), (4, 40, 1), (5, 10, 3)"));
    Session()->CloseDatabase(Session()->FindDatabase(db.Alias()));
    std::unique_ptr<TTable> pairs(db.NewTable(QStringLiteral("Pairs")));
    for (const auto& [order, ids] : {std::pair{"Fixed", QList<qint64>{2, 5, 3, 1, 4}},
                                     std::pair{"Loose", QList<qint64>{1, 3, 4, 5, 2}}}) {
        pairs->SetIndexFieldNames(QString::fromLatin1(order));
        pairs->Open();
        EXPECT_EQ(IdsForward(pairs.get()), ids) << order;
        EXPECT_EQ(IdsBackward(pairs.get()), ids) << order;
        for (int position = 1; position <= ids.size(); ++position) {
            ASSERT_TRUE(pairs->Locate(QStringLiteral("Id"), ids[position - 1], {}));
            EXPECT_EQ(pairs->RecNo(), position) << order;
        }
        pairs->Close();
    }
}

TEST(SqliteValues, IntegersBeyondThirtyTwoBitsAreKept) {
    TPeopleDatabase db;
    TDbConnection* connection = ConnectionOf(db);
    connection->Execute(QStringLiteral("CREATE TABLE \"Big\" (\"V\" INTEGER, \"W\" INT); "
                                       "INSERT INTO \"Big\" VALUES (5000000000, 1)"));
    Session()->CloseDatabase(Session()->FindDatabase(db.Alias()));
    std::unique_ptr<TTable> big(db.NewTable(QStringLiteral("Big")));
    big->Open();
    TField* v = big->FieldByName(QStringLiteral("V"));
    EXPECT_EQ(v->DataType(), ftLargeint); // SQLite's INTEGER holds 64 bits
    EXPECT_EQ(v->AsVariant().toLongLong(), Q_INT64_C(5000000000));
    EXPECT_EQ(v->AsString(), QStringLiteral("5000000000"));
    EXPECT_EQ(big->FieldByName(QStringLiteral("W"))->AsInteger(), 1);
    // A narrower column holding a value beyond its type says so instead of truncating it.
    big->Edit();
    v->SetAsVariant(Q_INT64_C(6000000000));
    big->Post();
    EXPECT_EQ(v->AsVariant().toLongLong(), Q_INT64_C(6000000000));
}

// SQLite keeps any value in any column. A value the field's type cannot hold (beyond a
// narrower integer, text in a number or date column, a date that does not exist) shows as
// the engine's text, never cut nor stopping the rows after it; a value of the type, up to
// the limits of its range, reads as before.
TEST(SqliteValues, ValuesBeyondTheFieldsTypeShowAsTheyAreStored) {
    TPeopleDatabase db;
    ConnectionOf(db)->Execute(QStringLiteral(
        "CREATE TABLE \"Mixed\" (\"Id\" INTEGER PRIMARY KEY, \"W\" INT, \"S\" SMALLINT, "
        "\"R\" REAL, \"D\" DATE); "
        "INSERT INTO \"Mixed\" VALUES (1, 7000000000, 70000, 'n/a', 'someday'); "
        "INSERT INTO \"Mixed\" VALUES (2, 'seven', -40000, 2.5, '2024-02-29'); "
        "INSERT INTO \"Mixed\" VALUES (3, 7, 7, 7, '2024-03-01'); "
        "INSERT INTO \"Mixed\" VALUES (-1, 2147483647, 32767, 7, '2023-02-29'); "
        "INSERT INTO \"Mixed\" VALUES (0, 2147483648, -32768, 7, '2024-1x-01')"));
    Session()->CloseDatabase(Session()->FindDatabase(db.Alias()));
    std::unique_ptr<TTable> mixed(db.NewTable(QStringLiteral("Mixed")));
    mixed->Open();
    EXPECT_EQ(mixed->FieldByName(QStringLiteral("S"))->DataType(), ftSmallint);
    QStringList shown;
    for (mixed->First(); !mixed->Eof(); mixed->Next()) {
        QStringList row;
        for (const char* name : {"W", "S", "R", "D"})
            row << mixed->FieldByName(QString::fromLatin1(name))->DisplayText();
        shown << row.join(QLatin1Char('|'));
    }
    EXPECT_EQ(shown, QStringList({"2147483647|32767|7|2023-02-29", "2147483648|-32768|7|2024-1x-01",
                                  "7000000000|70000|n/a|someday", "seven|-40000|2.5|29.02.2024",
                                  "7|7|7|01.03.2024"}));
    EXPECT_EQ(mixed->FieldByName(QStringLiteral("W"))->AsInteger(), 7);
}

TEST(SqliteValues, AColumnNamedRowidDoesNotShadowTheRowKey) {
    TPeopleDatabase db;
    TDbConnection* connection = ConnectionOf(db);
    connection->Execute(QStringLiteral(
        "CREATE TABLE \"Tag\" (\"rowid\" INTEGER, \"_rowid_\" INTEGER, \"Name\" VARCHAR(10)); "
        "INSERT INTO \"Tag\" VALUES (7, 7, 'a'), (7, 7, 'b'), (7, 7, 'c')"));
    Session()->CloseDatabase(Session()->FindDatabase(db.Alias()));
    std::unique_ptr<TTable> tag(db.NewTable(QStringLiteral("Tag")));
    tag->SetIndexFieldNames(QStringLiteral("Name"));
    tag->Open();
    tag->Next();
    tag->Delete(); // b only
    tag->Edit();
    tag->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("z"));
    tag->Post(); // c only
    tag->Close();
    tag->Open();
    QStringList names;
    for (tag->First(); !tag->Eof(); tag->Next())
        names << tag->FieldByName(QStringLiteral("Name"))->AsString();
    EXPECT_EQ(names, (QStringList{QStringLiteral("a"), QStringLiteral("z")}));
    EXPECT_EQ(tag->FieldByName(QStringLiteral("rowid"))->AsInteger(), 7);
}

} // namespace
