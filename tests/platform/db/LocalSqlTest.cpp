#include <QDateTime>
#include <QTemporaryDir>
#include <db/LocalSql.h>
#include <db/SqliteConnection.h>
#include <gtest/gtest.h>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// --- Translation ---------------------------------------------------------------------------

TEST(LocalSqlTranslateTest, TableNamesLoseTheirExtension) {
    EXPECT_EQ(TranslateLocalSql("select * from Cont.db"), "select * from Cont");
    EXPECT_EQ(TranslateLocalSql("select * from people.DB"), "select * from people");
    EXPECT_EQ(TranslateLocalSql("select * from Old.dbf, New.DbF"), "select * from Old, New");
    EXPECT_EQ(TranslateLocalSql("select * from People.db P join Job.db J on J.People = P.id"),
              "select * from People P join Job J on J.People = P.id");
    EXPECT_EQ(TranslateLocalSql("insert into People.db (Name) values ('A')"),
              "insert into People (Name) values ('A')");
    EXPECT_EQ(TranslateLocalSql("update People.db set Name = 'B'"), "update People set Name = 'B'");
    EXPECT_EQ(TranslateLocalSql("delete from People.db where id=1"),
              "delete from People where id=1");
    EXPECT_EQ(TranslateLocalSql("select * from People.db,Job.db"), "select * from People,Job");
    EXPECT_EQ(TranslateLocalSql("select People.db.Name from People.db"),
              "select People.Name from People");
}

TEST(LocalSqlTranslateTest, QuotedTableNames) {
    EXPECT_EQ(TranslateLocalSql(R"(select * from "People.db")"), R"(select * from "People")");
    EXPECT_EQ(TranslateLocalSql(R"(select * from "Old Names.DBF" O)"),
              R"(select * from "Old Names" O)");
    EXPECT_EQ(TranslateLocalSql(R"(select * from "Odd""Name.db")"), R"(select * from "Odd""Name")");
    EXPECT_EQ(TranslateLocalSql(R"(select * from "People".db)"), R"(select * from "People")");
    // Not a file name: a quoted column, an extension alone, an unterminated name.
    EXPECT_EQ(TranslateLocalSql(R"(select "id","Name" from T)"), R"(select "id","Name" from T)");
    EXPECT_EQ(TranslateLocalSql(R"(select * from ".db")"), R"(select * from ".db")");
    EXPECT_EQ(TranslateLocalSql(R"(select * from "People.db)"), R"(select * from "People.db)");
}

TEST(LocalSqlTranslateTest, SubqueriesAndQualifiedColumns) {
    EXPECT_EQ(TranslateLocalSql("Select \"id\",\"Name\" from People.db EFilter Where "
                                "(Upper(Name) like '%SM%') and Exists(select * from Job.db "
                                "where (EFilter.id=People) and (Title like 'C%')) order by Name"),
              "Select \"id\",\"Name\" from People EFilter Where (Upper(Name) like '%SM%') and "
              "Exists(select * from Job where (EFilter.id=People) and (Title like 'C%')) "
              "order by Name");
    EXPECT_EQ(TranslateLocalSql("select * from T where id in (select id from Job.dbf)"),
              "select * from T where id in (select id from Job)");
    // Qualified columns whose names only begin like an extension stay.
    EXPECT_EQ(TranslateLocalSql("select T.dbase, T.db_no, T.dbf2, T.Name from T"),
              "select T.dbase, T.db_no, T.dbf2, T.Name from T");
    EXPECT_EQ(TranslateLocalSql("select x from T where x > 1.5 and y < .25e3 and z = 1.db"),
              "select x from T where x > 1.5 and y < .25e3 and z = 1.db");
}

TEST(LocalSqlTranslateTest, StringsAndCommentsAreKept) {
    EXPECT_EQ(TranslateLocalSql("select * from T where Name = 'People.db'"),
              "select * from T where Name = 'People.db'");
    EXPECT_EQ(TranslateLocalSql("select * from T where Name = 'it''s People.db' or x='a;'"),
              "select * from T where Name = 'it''s People.db' or x='a;'");
    EXPECT_EQ(TranslateLocalSql("select 'unterminated People.db"),
              "select 'unterminated People.db");
    EXPECT_EQ(TranslateLocalSql("select * -- from People.db\nfrom People.db"),
              "select * -- from People.db\nfrom People");
    EXPECT_EQ(TranslateLocalSql("select /* People.db; */ * from /*x*/People.db/*y*/"),
              "select /* People.db; */ * from /*x*/People/*y*/");
    EXPECT_EQ(TranslateLocalSql("select * from People.db /* unterminated Job.db"),
              "select * from People /* unterminated Job.db");
}

TEST(LocalSqlTranslateTest, TrailingSemicolonGoesAndLineBreaksStay) {
    EXPECT_EQ(TranslateLocalSql("select * from People.DB;"), "select * from People");
    EXPECT_EQ(TranslateLocalSql("select * from People.db ; \n\t"), "select * from People");
    EXPECT_EQ(TranslateLocalSql("select * from People.db;;"), "select * from People");
    EXPECT_EQ(TranslateLocalSql("select * from Lang.db\norder by id"),
              "select * from Lang\norder by id");
    EXPECT_EQ(TranslateLocalSql("select ';'"), "select ';'");
    EXPECT_EQ(TranslateLocalSql("select 1; -- done"), "select 1; -- done");
    EXPECT_EQ(TranslateLocalSql(""), "");
    EXPECT_EQ(TranslateLocalSql(" ; "), "");
}

TEST(LocalSqlTranslateTest, StoredNamesAreQuotedInTheirCase) {
    const QHash<QString, QString> stored = {{"people", "People"},
                                            {"name", "Name"},
                                            {"upper", "Upper"},
                                            {"order", "Order"},
                                            {"country", "Country"}};
    EXPECT_EQ(TranslateLocalSql("select Name, upper(name) from People.db P where P.Country = 1 "
                                "order by NAME",
                                stored),
              "select \"Name\", upper(\"Name\") from \"People\" P where P.\"Country\" = 1 "
              "order by \"Name\"");
    // Functions, keywords, aliases, strings and names quoted already stay as written.
    EXPECT_EQ(
        TranslateLocalSql("select Upper (x) as Total, 'Name' from T order by \"name\"", stored),
        "select Upper (x) as Total, 'Name' from T order by \"name\"");
    EXPECT_EQ(TranslateLocalSql("select * from Order.db", stored), "select * from Order");
    EXPECT_EQ(TranslateLocalSql("select * from T where Country = :Country", stored),
              "select * from T where \"Country\" = :Country");
}

// --- Statements on SQLite ------------------------------------------------------------------

class LocalSqlSqliteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        Db = std::make_unique<TSqliteConnection>(Dir.filePath(QStringLiteral("tables.sqlite3")));
        Db->Execute(QStringLiteral(
            "CREATE TABLE Cont (id INTEGER PRIMARY KEY, Name VARCHAR(30));"
            "INSERT INTO Cont VALUES (1, 'Europe'), (2, 'Asia'), (3, 'Africa');"
            "CREATE TABLE Lang (id INTEGER PRIMARY KEY, Name VARCHAR(30));"
            "INSERT INTO Lang VALUES (3, 'French'), (1, 'English'), (2, 'German');"
            "CREATE TABLE People (id INTEGER PRIMARY KEY, Name VARCHAR(30));"
            "INSERT INTO People VALUES (1, 'Smith'), (2, 'Jones'), (3, 'Small'), (4, 'Osmond'),"
            " (5, 'Adams'), (6, 'Sanders'), (7, 'Lindsmark'), (8, 'snow');"
            "CREATE TABLE Job (id INTEGER PRIMARY KEY, People INTEGER, Title VARCHAR(30));"
            "INSERT INTO Job VALUES (1, 1, 'Clerk'), (2, 4, 'Carpenter'), (3, 3, 'Driver'),"
            " (4, 7, 'clerk'), (5, 2, 'Cook');"));
    }

    // The first column of every row the translated statement gives.
    QVariantList Rows(const QString& LocalSql) {
        const std::unique_ptr<TDbStatement> statement = Db->Prepare(TranslateLocalSql(LocalSql));
        QVariantList rows;
        while (statement->Step())
            rows.append(statement->Column(0));
        return rows;
    }

    QTemporaryDir Dir;
    std::unique_ptr<TSqliteConnection> Db;
};

TEST_F(LocalSqlSqliteTest, PlainQueriesRun) {
    EXPECT_EQ(Rows("select * from Cont.db").size(), 3);
    EXPECT_EQ(Rows("select * from Lang.db\norder by id"), QVariantList({1, 2, 3}));
    EXPECT_EQ(Rows("select * from People.DB;").size(), 8);
    EXPECT_EQ(Rows("Select Max(id)+1 from people.db"), QVariantList({9}));
    EXPECT_EQ(Rows("select max(Id) as MaxNumAutoIncQuery from Job.db"), QVariantList({5}));
}

TEST_F(LocalSqlSqliteTest, QueriesWithLikeRun) {
    // LIKE is case-sensitive: "snow" does not count.
    EXPECT_EQ(Rows("Select Count(*) from People.db EFilter where (EFilter.Name like 'S%')"),
              QVariantList({3}));
    EXPECT_EQ(Rows(R"(Select * from "People.db" where Name like '%[Ss][Mm]%')"),
              QVariantList({1, 3, 4, 7}));
    // Lindsmark's job is a "clerk", which 'C%' does not match.
    const std::unique_ptr<TDbStatement> statement = Db->Prepare(TranslateLocalSql(
        R"(Select "id","Name" from People.db EFilter Where (Upper(Name) like '%SM%') and )"
        R"(Exists(select * from Job.db where (EFilter.id=People) and (Title like 'C%')) )"
        R"(order by Name)"));
    QStringList names;
    while (statement->Step())
        names.append(statement->Column(1).toString());
    EXPECT_EQ(names, QStringList({"Osmond", "Smith"}));
}

TEST_F(LocalSqlSqliteTest, ChangesRun) {
    EXPECT_EQ(Db->Execute(TranslateLocalSql("insert into People.db (id, Name) values (9, "
                                            "'People.db');")),
              1);
    EXPECT_EQ(Db->Execute(TranslateLocalSql("update \"People.db\" set Name = Name || '!' "
                                            "where Name = 'People.db'")),
              1);
    EXPECT_EQ(Rows("select Name from People.db where id = 9"), QVariantList({"People.db!"}));
    EXPECT_EQ(Db->Execute(TranslateLocalSql("delete from People.dbf where id = 9")), 1);
}

// --- Dates ---------------------------------------------------------------------------------

TEST(LocalSqlDateTest, LiteralsHaveTheStoredForm) {
    EXPECT_EQ(SqlDateLiteral(QDate(2024, 2, 29)), "'2024-02-29'");
    EXPECT_EQ(SqlDateLiteral(QDate(987, 1, 2)), "'0987-01-02'");
    EXPECT_EQ(SqlDateLiteral(QDate()), "NULL");
    EXPECT_EQ(SqlDateTimeLiteral(QDateTime(QDate(2024, 3, 1), QTime(7, 5, 9, 40))),
              "'2024-03-01 07:05:09.040'");
    EXPECT_EQ(SqlDateTimeLiteral(QDateTime()), "NULL");
}

class LocalSqlDateSqliteTest : public LocalSqlSqliteTest {
protected:
    void SetUp() override {
        LocalSqlSqliteTest::SetUp();
        Db->Execute(QStringLiteral("CREATE TABLE Born (id INTEGER PRIMARY KEY, Born DATE, "
                                   "Stamp TIMESTAMP)"));
        const QList<QDate> dates = {QDate(2023, 12, 31), QDate(2024, 1, 31), QDate(2024, 2, 28),
                                    QDate(2024, 2, 29),  QDate(2024, 3, 1),  QDate(2024, 9, 30),
                                    QDate(2024, 10, 1)};
        for (int i = 0; i < dates.size(); ++i)
            Db->Execute(QStringLiteral("INSERT INTO Born VALUES (?, ?, ?)"),
                        {i + 1, dates[i], QDateTime(dates[i], QTime(12, 30, 15, 250))});
    }

    QVariantList Ids(const QString& Condition) {
        return Rows("select id from Born.db where " + Condition + " order by id");
    }
};

TEST_F(LocalSqlDateSqliteTest, DatesCompareAsDates) {
    EXPECT_EQ(Ids("Born >= " + SqlDateLiteral(QDate(2024, 2, 29))), QVariantList({4, 5, 6, 7}));
    EXPECT_EQ(Ids("Born < " + SqlDateLiteral(QDate(2024, 3, 1))), QVariantList({1, 2, 3, 4}));
    EXPECT_EQ(Ids("Born = " + SqlDateLiteral(QDate(2024, 2, 29))), QVariantList({4}));
    // Across months and years, and single-digit months against October.
    EXPECT_EQ(Ids("Born between " + SqlDateLiteral(QDate(2024, 1, 15)) + " and " +
                  SqlDateLiteral(QDate(2024, 3, 1))),
              QVariantList({2, 3, 4, 5}));
    EXPECT_EQ(Ids("Born > " + SqlDateLiteral(QDate(2024, 9, 5))), QVariantList({6, 7}));
}

TEST_F(LocalSqlDateSqliteTest, DateTimesCompareAsDateTimes) {
    const QDateTime stored(QDate(2024, 2, 29), QTime(12, 30, 15, 250));
    EXPECT_EQ(Ids("Stamp = " + SqlDateTimeLiteral(stored)), QVariantList({4}));
    EXPECT_EQ(Ids("Stamp > " + SqlDateTimeLiteral(stored)), QVariantList({5, 6, 7}));
    EXPECT_EQ(Ids("Stamp >= " + SqlDateTimeLiteral(stored.addMSecs(1))), QVariantList({5, 6, 7}));
    EXPECT_EQ(Ids("Stamp < " + SqlDateTimeLiteral(QDateTime(QDate(2024, 10, 1), QTime(9, 0)))),
              QVariantList({1, 2, 3, 4, 5, 6}));
}

} // namespace
