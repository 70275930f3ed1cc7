#include "EngineTest.h"

#include <QCoreApplication>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Query.h>
#include <db/Session.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Exceptions.h>

namespace {

ON_EVERY_ENGINE(QueryLocalSql);
ON_EVERY_ENGINE(QueryParams);
ON_EVERY_ENGINE(QueryLive);
ON_EVERY_ENGINE(QueryExec);
ON_EVERY_ENGINE(QueryLarge);
ON_EVERY_ENGINE(QueryReopen);

std::unique_ptr<TQuery> NewQuery(const TPeopleDatabase& db, const QString& sql) {
    auto query = std::make_unique<TQuery>();
    query->SetDatabaseName(db.Alias());
    query->SQL()->SetText(sql);
    return query;
}

TEST_P(QueryLocalSql, StatementsOfTheDesktopDialectRun) {
    TPeopleDatabase db(20, Engine());
    auto query = NewQuery(db, QStringLiteral("select * from Country.db"));
    query->Open();
    EXPECT_EQ(query->RecordCount(), 3);
    EXPECT_EQ(query->FieldCount(), 2);
    EXPECT_EQ(query->FieldByName(QStringLiteral("Name"))->DataType(), ftString);

    query->SQL()->SetText(QStringLiteral("select * from People.db\norder by Name desc"));
    EXPECT_FALSE(query->Active()); // a new text closes the query
    query->Open();
    EXPECT_EQ(query->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0020"));

    query->SQL()->SetText(
        QStringLiteral("Select Count(*) from People.db EFilter where (EFilter.Country = 2)"));
    query->Open();
    EXPECT_EQ(query->Fields()->Fields(0)->AsInteger(), 7);

    query->SQL()->SetText(QStringLiteral("Select Max(id)+1 from people.db"));
    query->Open();
    EXPECT_EQ(query->Fields()->Fields(0)->AsInteger(), 21);

    query->SQL()->SetText(QStringLiteral("select max(Id) as MaxNumAutoIncQuery from Country.DB"));
    query->Open();
    EXPECT_EQ(query->FieldByName(QStringLiteral("MaxNumAutoIncQuery"))->AsInteger(), 3);

    query->SQL()->SetText(QStringLiteral(
        "Select \"Id\",\"Name\" from People.db EFilter Where (Upper(Name) like '%0_1%') and "
        "Exists(select * from Country.db where (EFilter.Country=Country.Id) and (Name like 'S%')) "
        "order by Name"));
    query->Open();
    QStringList names;
    for (; !query->Eof(); query->Next())
        names << query->FieldByName(QStringLiteral("Name"))->AsString();
    // Spain's people whose name has a 0, any character and a 1.
    EXPECT_EQ(names, (QStringList{QStringLiteral("Person 0001"), QStringLiteral("Person 0010"),
                                  QStringLiteral("Person 0013"), QStringLiteral("Person 0016"),
                                  QStringLiteral("Person 0019")}));
}

// A query reopened on the same statement keeps its definitions; another statement's
// columns, in another order or others, replace them.
TEST_P(QueryLocalSql, DefinitionsFollowTheStatementAcrossOpens) {
    TPeopleDatabase db(3, Engine());
    auto query = NewQuery(db, QStringLiteral("select Id, Name from People.db order by Name"));
    query->Open();
    const TFieldDef* id = query->FieldDefs()->Items(0);
    query->Close();
    query->Open();
    EXPECT_EQ(query->FieldDefs()->Items(0), id);

    query->SQL()->SetText(QStringLiteral("select Name, Id from People.db order by Name"));
    query->Open();
    EXPECT_EQ(query->FieldDefs()->Items(0)->Name(), QStringLiteral("Name"));
    EXPECT_EQ(query->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0001"));
    EXPECT_EQ(query->FieldByName(QStringLiteral("Id"))->AsInteger(), 1);

    query->SQL()->SetText(QStringLiteral("select Id, Salary * 2 as Pay from People.db"));
    query->Open();
    ASSERT_EQ(query->FieldDefs()->Count(), 2);
    EXPECT_NE(query->FindField(QStringLiteral("Pay")), nullptr); // in the engine's case
    EXPECT_EQ(query->FindField(QStringLiteral("Name")), nullptr);
}

// A database component that stays connected while the test runs, under Name, as an
// application keeps one: the queries on it share one connection across their opens.
std::unique_ptr<TDatabase> ConnectedDatabase(const TPeopleDatabase& db, const QString& Name) {
    auto database = std::make_unique<TDatabase>();
    database->SetDatabaseName(Name);
    database->SetAliasName(db.Alias());
    database->Open();
    return database;
}

void Exec(const QString& DatabaseName, const QString& Sql) {
    TQuery statement;
    statement.SetDatabaseName(DatabaseName);
    statement.SQL()->SetText(Sql);
    statement.ExecSQL();
}

void SetStatement(TQuery& Query, const QString& DatabaseName, const QString& Sql) {
    Query.SetDatabaseName(DatabaseName);
    Query.SQL()->SetText(Sql);
}

// A query opened again on the same text reads what the statement gives at that open: the
// table's columns as they are then, the parameters' values of that open.
TEST_P(QueryReopen, TheSameTextFollowsTheTableAndTheParameters) {
    TPeopleDatabase db(9, Engine());
    const auto database = ConnectedDatabase(db, QStringLiteral("Reopened"));
    TQuery query;
    SetStatement(query, QStringLiteral("Reopened"),
                 QStringLiteral("select * from People.db where Country = :C order by Name desc"));
    query.ParamByName(QStringLiteral("C"))->SetAsInteger(2);
    query.Open();
    const int columns = query.FieldCount();
    EXPECT_EQ(query.RecordCount(), 3); // 2, 5, 8
    EXPECT_EQ(query.FieldByName(QStringLiteral("Id"))->AsInteger(), 8);
    query.Close();

    query.ParamByName(QStringLiteral("C"))->SetAsInteger(1);
    query.Open();
    EXPECT_EQ(query.FieldByName(QStringLiteral("Id"))->AsInteger(), 7); // 1, 4, 7
    query.Close();

    Exec(QStringLiteral("Reopened"),
         QStringLiteral("alter table People.db add column Extra integer"));
    Exec(QStringLiteral("Reopened"), QStringLiteral("update People.db set Extra = Id * 10"));
    query.Open();
    ASSERT_EQ(query.FieldCount(), columns + 1);
    EXPECT_EQ(query.FieldByName(QStringLiteral("Extra"))->AsInteger(), 70);
    query.Close();

    // The order's column is gone: the statement no longer runs.
    Exec(QStringLiteral("Reopened"),
         QStringLiteral("alter table People.db rename column Name to FullName"));
    EXPECT_THROW(query.Open(), EDatabaseError);
    EXPECT_FALSE(query.Active());
}

// Another program's changes of the tables between two opens are seen: a column added, a
// table made again with the same columns and other rows.
TEST_P(QueryReopen, ChangesThroughAnotherConnectionAreSeen) {
    if (Engine() != QLatin1String(SqliteEngine))
        GTEST_SKIP() << "a server connection learns only its own schema changes";
    TPeopleDatabase db(3, Engine());
    const auto database = ConnectedDatabase(db, QStringLiteral("Mine"));
    TQuery people, countries;
    SetStatement(people, QStringLiteral("Mine"),
                 QStringLiteral("select * from People.db order by Name"));
    SetStatement(countries, QStringLiteral("Mine"),
                 QStringLiteral("select Id, Name from Country.db order by Name"));
    people.Open();
    const int columns = people.FieldCount();
    people.Close();
    countries.Open();
    const QString before = countries.FieldByName(QStringLiteral("Name"))->AsString();
    countries.Close();

    const auto other = ConnectedDatabase(db, QStringLiteral("Other"));
    Exec(QStringLiteral("Other"), QStringLiteral("alter table People.db add column Extra integer"));
    Exec(QStringLiteral("Other"), QStringLiteral("drop table Country.db"));
    Exec(QStringLiteral("Other"),
         QStringLiteral("create table Country.db (\"Id\" INTEGER PRIMARY "
                        "KEY AUTOINCREMENT, \"Name\" VARCHAR(30) NOT NULL)"));
    Exec(QStringLiteral("Other"), QStringLiteral("insert into Country.db values (1, 'Aaland')"));
    QCoreApplication::processEvents(); // the read burst that saw the tables before ends
    people.Open();
    EXPECT_EQ(people.FieldCount(), columns + 1);
    EXPECT_NE(people.FindField(QStringLiteral("Extra")), nullptr);
    countries.Open();
    EXPECT_EQ(countries.RecordCount(), 1);
    EXPECT_EQ(countries.FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Aaland"));
    EXPECT_NE(before, QStringLiteral("Aaland"));
}

// Queries of one text open at the same time read each with its own values, also after
// one of them was closed and opened again.
TEST_P(QueryReopen, QueriesOfOneTextOpenTogetherKeepTheirOwnValues) {
    TPeopleDatabase db(150, Engine()); // more records per country than a read takes ahead
    const auto database = ConnectedDatabase(db, QStringLiteral("Shared"));
    const QString text = QStringLiteral("select Id from People.db where Country = :C order by Id");
    const auto newQuery = [&text](int Country) {
        auto query = std::make_unique<TQuery>();
        SetStatement(*query, QStringLiteral("Shared"), text);
        query->ParamByName(QStringLiteral("C"))->SetAsInteger(Country);
        return query;
    };
    std::unique_ptr<TQuery> queries[3] = {newQuery(1), newQuery(2), newQuery(3)};
    queries[0]->Open();
    queries[0]->Close();
    queries[1]->Open();
    queries[2]->Open();
    queries[0]->Open();
    QList<qint64> ids[3];
    for (int step = 0; step < 50; ++step)
        for (int q = 0; q < 3; ++q) {
            ids[q] << queries[q]->FieldByName(QStringLiteral("Id"))->AsInteger();
            queries[q]->Next();
        }
    for (int q = 0; q < 3; ++q) {
        QList<qint64> expected;
        for (int id = q + 1; expected.size() < 50; id += 3)
            expected << id;
        EXPECT_EQ(ids[q], expected) << "country " << q + 1;
    }
}

// Another text, or the same text on another database, is planned for what it names.
TEST_P(QueryReopen, AnotherTextOrDatabaseIsPlannedAnew) {
    TPeopleDatabase db(9, Engine());
    const auto database = ConnectedDatabase(db, QStringLiteral("First"));
    TQuery query;
    SetStatement(query, QStringLiteral("First"),
                 QStringLiteral("select Id, Name from People.db order by Name"));
    query.Open();
    EXPECT_EQ(query.FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Person 0001"));
    query.Close();
    query.SQL()->SetText(QStringLiteral("select Id, Name from Country.db order by Name"));
    query.Open();
    EXPECT_EQ(query.RecordCount(), 3);
    EXPECT_FALSE(
        query.FieldByName(QStringLiteral("Name"))->AsString().startsWith(QStringLiteral("Person")));
    query.Close();
    query.SQL()->SetText(QStringLiteral("select Id, Name from People.db order by Name"));
    query.Open();
    EXPECT_EQ(query.RecordCount(), 9);
    query.Close();

    if (Engine() != QLatin1String(SqliteEngine))
        return; // the server's test database is one schema
    TPeopleDatabase small(4, Engine());
    const auto second = ConnectedDatabase(small, QStringLiteral("Second"));
    query.SetDatabaseName(QStringLiteral("Second"));
    query.Open();
    EXPECT_EQ(query.RecordCount(), 4);
    query.Last();
    EXPECT_EQ(query.FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Person 0004"));
}

TEST_P(QueryParams, ParametersAreTypedAndBoundByName) {
    TPeopleDatabase db(20, Engine());
    auto query = NewQuery(db, QStringLiteral("select * from People.db where Country = :Country and "
                                             "Name >= :From order by Name"));
    ASSERT_EQ(query->ParamCount(), 2);
    query->ParamByName(QStringLiteral("country"))->SetAsInteger(3);
    query->ParamByName(QStringLiteral("From"))->SetAsString(QStringLiteral("Person 0010"));
    query->Open();
    EXPECT_EQ(query->RecordCount(), 3); // 12, 15, 18
    EXPECT_EQ(query->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0012"));
    EXPECT_THROW(query->ParamByName(QStringLiteral("Nope")), EDatabaseError);
    // Reopening runs the statement again with the new values.
    query->Close();
    query->ParamByName(QStringLiteral("Country"))->SetAsString(QStringLiteral("1"));
    query->Open();
    EXPECT_EQ(query->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0010"));
    // A ':' inside quotes is not a parameter.
    query->SQL()->SetText(
        QStringLiteral("select * from People.db where Name <> 'a:b' and Id = :Id"));
    EXPECT_EQ(query->ParamCount(), 1);
}

TEST_P(QueryParams, ADetailQueryFollowsItsMaster) {
    TPeopleDatabase db(9, Engine());
    std::unique_ptr<TTable> country(db.NewTable(QStringLiteral("Country.db")));
    TDataSource source;
    source.SetDataSet(country.get());
    auto people =
        NewQuery(db, QStringLiteral("select * from People.db where Country = :Id order by Name"));
    people->SetDataSource(&source);
    country->Open();
    people->Open();
    EXPECT_EQ(people->RecordCount(), 3);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0001"));
    people->Last(); // Person 0007
    country->Next();
    EXPECT_EQ(people->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0002")); // the first record of the new master's
    EXPECT_EQ(people->GetDataSource(), &source);
}

TEST_P(QueryParams, AConditionMayEndInAComment) {
    TPeopleDatabase db(9, Engine());
    auto people =
        NewQuery(db, QStringLiteral("select * from People.db where Country = 1 -- Spain"));
    people->Open();
    EXPECT_EQ(people->RecordCount(), 3);
    auto ordered = NewQuery(
        db, QStringLiteral("select * from People.db where Country = 2 -- France\norder by Name"));
    ordered->Open();
    EXPECT_EQ(ordered->RecordCount(), 3);
    EXPECT_EQ(ordered->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0002"));
}

// An unfinished statement is a syntax error quoting what the user wrote; none opens with
// the missing part dropped.
TEST_P(QueryParams, AnUnfinishedStatementDoesNotOpen) {
    TPeopleDatabase db(9, Engine());
    for (const char* text :
         {"select * from People.db where", "select * from People.db where Country = 1 order by",
          "select * from People.db where Country = 1 and -- more to come",
          "select * from People.db order by Name,;"}) {
        SCOPED_TRACE(text);
        auto query = NewQuery(db, QString::fromUtf8(text));
        try {
            query->Open();
            ADD_FAILURE() << "opened " << query->RecordCount() << " records";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(QStringLiteral("Syntax error"))) << e.what();
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(text))) << e.what();
        }
        EXPECT_FALSE(query->Active());
    }
}

TEST_P(QueryLive, OnlyLiveSingleTableQueriesCanBeEdited) {
    TPeopleDatabase db(5, Engine());
    auto query = NewQuery(db, QStringLiteral("select Id, Name from People.db order by Name"));
    query->Open();
    EXPECT_FALSE(query->CanModify());
    EXPECT_THROW(query->Edit(), EDatabaseError);
    query->Close();
    query->SetRequestLive(true);
    query->Open();
    EXPECT_TRUE(query->CanModify());
    query->Edit();
    query->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Zed"));
    query->Post();
    query->Last();
    EXPECT_EQ(query->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Zed"));
    auto counting = NewQuery(db, QStringLiteral("select Count(*) as N from People.db"));
    counting->SetRequestLive(true);
    counting->Open();
    EXPECT_FALSE(counting->CanModify()); // a computed result is read-only
}

TEST_P(QueryExec, StatementsWithoutRecordsAndErrors) {
    TPeopleDatabase db(5, Engine());
    auto update = NewQuery(db, QStringLiteral("update People.db set Country = :C where Id <= 2"));
    update->ParamByName(QStringLiteral("C"))->SetAsInteger(9);
    update->ExecSQL();
    EXPECT_EQ(update->RowsAffected(), 2);
    auto bad = NewQuery(db, QStringLiteral("select * from NoSuchTable.db"));
    try {
        bad->Open();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("NoSuchTable"))) << e.what();
    }
    EXPECT_FALSE(bad->Active());
    EXPECT_EQ(bad->SQL()->Text(), QStringLiteral("select * from NoSuchTable.db\n"));
    auto nothing = NewQuery(db, QStringLiteral("delete from People.db"));
    EXPECT_THROW(nothing->Open(), EDatabaseError); // gives no records
    // The engine's reason quotes the statement written, not the one the query ran.
    for (const QString& misspelt :
         {QStringLiteral("select Nmae, count(*) from People.db group by Nmae"),
          QStringLiteral("select * from People.db where Nmae = 1")}) {
        try {
            NewQuery(db, misspelt)->Open();
            ADD_FAILURE();
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(QStringLiteral("\"%1\"").arg(misspelt))) << e.what();
            EXPECT_TRUE(e.Message().contains(QStringLiteral("Nmae"))) << e.what();
            EXPECT_FALSE(e.Message().contains(QStringLiteral("kro_result"))) << e.what();
            EXPECT_FALSE(e.Message().contains(QStringLiteral("LIMIT"))) << e.what();
        }
    }
    // An unknown quoted name in the order is no text to sort by.
    EXPECT_THROW(NewQuery(db, QStringLiteral("select * from People.db order by \"Nmae\""))->Open(),
                 EDatabaseError);
}

TEST_P(QueryLarge, AWrittenResultIsReadInWindowsToo) {
    TPeopleDatabase db(300, Engine());
    auto grouped = NewQuery(db, QStringLiteral("select Country, count(*) as N, max(Name) as Last "
                                               "from People.db group by Country order by Country"));
    grouped->Open();
    EXPECT_EQ(grouped->RecordCount(), 3);
    grouped->Last();
    EXPECT_EQ(grouped->FieldByName(QStringLiteral("Country"))->AsInteger(), 3);
    EXPECT_EQ(grouped->FieldByName(QStringLiteral("N"))->AsInteger(), 100);
    EXPECT_EQ(grouped->FieldByName(QStringLiteral("Last"))->AsString(),
              QStringLiteral("Person 0300"));
    EXPECT_EQ(grouped->FieldByName(QStringLiteral("Last"))->DataType(), ftString);
}

} // namespace

namespace {

ON_EVERY_ENGINE(QueryResult);

TEST_P(QueryResult, AWrittenResultTakesItsTypesFromTheSourceAndPlacesNullsFirst) {
    TPeopleDatabase db(0, Engine());
    std::unique_ptr<TTable> money(db.NewTable(QStringLiteral("Money")));
    money->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    money->FieldDefs()->Add(QStringLiteral("Grp"), ftInteger);
    money->FieldDefs()->Add(QStringLiteral("Amount"), ftBCD, 2);
    money->CreateTable();
    money->Open();
    for (int i = 1; i <= 151; ++i) {
        money->Append();
        if (i % 50 != 0)
            money->FieldByName(QStringLiteral("Grp"))->SetAsInteger(i % 3);
        money->FieldByName(QStringLiteral("Amount"))->SetAsFloat(i <= 150 ? i : 10.75);
        money->Post();
    }
    money->Close();
    // LIMIT makes the result a written one.
    auto query = NewQuery(db, QStringLiteral("select Amount from Money order by Id limit 500"));
    query->Open();
    query->Last();
    EXPECT_EQ(query->FieldByName(QStringLiteral("Amount"))->AsFloat(), 10.75);
    EXPECT_EQ(query->RecordCount(), 151);
    // One order whatever the plan: nulls first, read straight or written.
    auto straight = NewQuery(db, QStringLiteral("select Grp from Money order by Grp"));
    auto written = NewQuery(db, QStringLiteral("select distinct Grp from Money order by Grp"));
    auto down = NewQuery(db, QStringLiteral("select distinct Grp from Money order by Grp desc"));
    straight->Open();
    written->Open();
    down->Open();
    EXPECT_TRUE(straight->FieldByName(QStringLiteral("Grp"))->IsNull());
    EXPECT_TRUE(written->FieldByName(QStringLiteral("Grp"))->IsNull());
    EXPECT_EQ(written->RecordCount(), 4);
    EXPECT_EQ(down->FieldByName(QStringLiteral("Grp"))->AsInteger(), 2);
    down->Last();
    EXPECT_TRUE(down->FieldByName(QStringLiteral("Grp"))->IsNull());
}

// The temporary tables of the connection the datasets of the database share.
qint64 TemporaryTables(const TPeopleDatabase& Db, const QString& Engine) {
    return Session()
        ->FindDatabase(Db.Alias())
        ->Connection()
        ->Scalar(
            Engine == QLatin1String(SqliteEngine)
                ? QStringLiteral("SELECT count(*) FROM sqlite_temp_master WHERE type = 'table'")
                : QStringLiteral("SELECT count(*) FROM pg_class WHERE relkind = 'r' AND "
                                 "relnamespace = pg_my_temp_schema()"))
        .toLongLong();
}

TEST_P(QueryResult, AOneRowResultIsHeldAsItsWrittenFormWouldGiveIt) {
    TPeopleDatabase db(20, Engine());
    const QString list = QStringLiteral(
        "select max(Birth) as Birth, count(*) as N, avg(Salary) as Mean, max(Name) as Last, "
        "min(Notes) as NoNote, sum(Id) + 0.5 from People.db where Country = :C");
    auto held = NewQuery(db, list);
    auto written = NewQuery(db, list + QStringLiteral(" limit 1")); // LIMIT writes it
    held->ParamByName(QStringLiteral("C"))->SetAsInteger(2);
    written->ParamByName(QStringLiteral("C"))->SetAsInteger(2);
    held->Open();
    EXPECT_EQ(TemporaryTables(db, Engine()), 0);
    written->Open();
    EXPECT_EQ(TemporaryTables(db, Engine()), 1);
    ASSERT_EQ(held->FieldCount(), 6);
    ASSERT_EQ(written->FieldCount(), 6);
    for (int i = 0; i < 6; ++i) {
        const TField* one = held->Fields()->Fields(i);
        const TField* other = written->Fields()->Fields(i);
        EXPECT_EQ(one->FieldName(), other->FieldName());
        EXPECT_EQ(one->DataType(), other->DataType()) << qPrintable(one->FieldName());
        EXPECT_EQ(one->Size(), other->Size()) << qPrintable(one->FieldName());
        EXPECT_EQ(one->Value(), other->Value()) << qPrintable(one->FieldName());
    }
    // People 2, 5, ... 20 of France.
    EXPECT_EQ(held->FieldByName(QStringLiteral("Birth"))->DataType(), ftDate);
    EXPECT_EQ(held->FieldByName(QStringLiteral("Birth"))->AsDateTime().date(), QDate(1970, 1, 21));
    EXPECT_EQ(held->FieldByName(QStringLiteral("N"))->AsInteger(), 7);
    EXPECT_EQ(held->FieldByName(QStringLiteral("Last"))->AsString(), QStringLiteral("Person 0020"));
    EXPECT_TRUE(held->FieldByName(QStringLiteral("NoNote"))->IsNull());
    EXPECT_EQ(held->Fields()->Fields(5)->AsFloat(), 77.5);
    EXPECT_EQ(held->RecordCount(), 1);
    EXPECT_FALSE(held->CanModify());
    // The held row is searched and filtered as any other.
    EXPECT_TRUE(held->Locate(QStringLiteral("N"), 7, {}));
    EXPECT_FALSE(held->Locate(QStringLiteral("N"), 8, {}));
    held->SetFilter(QStringLiteral("N = 8"));
    held->SetFiltered(true);
    EXPECT_TRUE(held->IsEmpty());
    held->SetFilter(QStringLiteral("Last = 'Person 0020'"));
    EXPECT_EQ(held->RecordCount(), 1);
    held->SetFiltered(false);
    // A new value of the parameter runs the statement again.
    held->Close();
    held->ParamByName(QStringLiteral("C"))->SetAsInteger(1);
    held->Open();
    EXPECT_EQ(held->FieldByName(QStringLiteral("N"))->AsInteger(), 7);
    EXPECT_EQ(held->FieldByName(QStringLiteral("Last"))->AsString(), QStringLiteral("Person 0019"));
    written->Close();
    EXPECT_EQ(TemporaryTables(db, Engine()), 0);
}

TEST_P(QueryResult, AnAggregateOverTheMastersRecordFollowsIt) {
    TPeopleDatabase db(9, Engine());
    std::unique_ptr<TTable> country(db.NewTable(QStringLiteral("Country.db")));
    TDataSource source;
    source.SetDataSet(country.get());
    auto counting = NewQuery(db, QStringLiteral("select count(*) as N, max(Name) as Last from "
                                                "People.db where Country = :Id and Id > 1"));
    counting->SetDataSource(&source);
    country->Open();
    counting->Open();
    EXPECT_EQ(counting->FieldByName(QStringLiteral("N"))->AsInteger(), 2); // 4, 7
    country->Next();
    EXPECT_EQ(counting->FieldByName(QStringLiteral("N"))->AsInteger(), 3); // 2, 5, 8
    EXPECT_EQ(counting->FieldByName(QStringLiteral("Last"))->AsString(),
              QStringLiteral("Person 0008"));
    EXPECT_EQ(TemporaryTables(db, Engine()), 0);
}

TEST_P(QueryResult, AScalarFunctionOfAnAggregatesNameGivesEveryRow) {
    if (Engine() != QLatin1String(SqliteEngine))
        GTEST_SKIP() << "max of two values is SQLite's";
    TPeopleDatabase db(20, Engine());
    auto query = NewQuery(db, QStringLiteral("select max(Id, 15) as M from People.db order by Id"));
    query->Open();
    EXPECT_EQ(query->RecordCount(), 20);
    query->Last();
    EXPECT_EQ(query->FieldByName(QStringLiteral("M"))->AsInteger(), 20);
    auto none = NewQuery(db, QStringLiteral("select max(Id, 15) as M from People.db where Id < 0"));
    none->Open();
    EXPECT_TRUE(none->IsEmpty());
}

} // namespace
