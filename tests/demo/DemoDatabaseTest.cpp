#include "EngineTest.h"

#include <DemoDatabase.h>
#include <QTextDocument>
#include <db/Connection.h>
#include <db/Database.h>
#include <db/Session.h>
#include <ui/Graphics.h>
#include <ui/RtfReader.h>

namespace {

// An empty database of an engine under an alias of its own.
class TEmptyDatabase {
public:
    explicit TEmptyDatabase(const QString& Engine) {
        static int serial = 0;
        FAlias = QStringLiteral("DemoTest%1").arg(++serial);
        Session()->SetConfigMode({cmSession});
        if (Engine == QLatin1String(PostgresEngine)) {
            const auto params = PostgresTestParams(QStringLiteral("kro_demo_test"));
            RecreatePostgresSchema(*params);
            Session()->AddAlias(FAlias, QStringLiteral("POSTGRESQL"), *params);
        } else {
            Session()->AddStandardAlias(FAlias, FDir.path(), QStringLiteral("STANDARD"));
        }
    }
    ~TEmptyDatabase() {
        Session()->CloseDatabase(Session()->FindDatabase(FAlias));
        Session()->DeleteAlias(FAlias);
    }
    const QString& Alias() const { return FAlias; }
    TDbConnection* Connection() const { return Session()->OpenDatabase(FAlias)->Connection(); }
    qint64 Count(const QString& Sql) const { return Connection()->Scalar(Sql).toLongLong(); }
    QStringList Column(const QString& Sql) const {
        QStringList values;
        const auto statement = Connection()->Prepare(Sql);
        while (statement->Step())
            values << statement->Column(0).toString();
        return values;
    }

private:
    QTemporaryDir FDir;
    QString FAlias;
};

class DemoDatabaseFixture : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Db = std::make_unique<TEmptyDatabase>(Engine());
        ASSERT_TRUE(CreateDemoDatabase(Db->Alias()));
    }
    std::unique_ptr<TEmptyDatabase> Db;
};

ON_EVERY_ENGINE_WITH(DemoDatabase, DemoDatabaseFixture);

TEST_P(DemoDatabase, HoldsTheReferenceTablesAndPeopleThatAgreeWithThem) {
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"Cont\"")), 6);
    EXPECT_GT(Db->Count(QStringLiteral("SELECT count(*) FROM \"Country\"")), 190);
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"Lang\"")), 20);
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"People\"")), DemoPeopleCount);
    EXPECT_GT(Db->Count(QStringLiteral("SELECT count(*) FROM \"Job\"")), DemoPeopleCount);
    // Every country belongs to a continent, every person lives on the continent of their
    // country and speaks a language of the table, every job belongs to a person.
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"Country\" c WHERE NOT EXISTS "
                                       "(SELECT 1 FROM \"Cont\" WHERE \"Id\" = c.\"Continent\")")),
              0);
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"People\" p JOIN \"Country\" c ON "
                                       "c.\"Id\" = p.\"Country\" WHERE c.\"Continent\" = "
                                       "p.\"Continent\"")),
              DemoPeopleCount);
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"People\" p JOIN \"Lang\" l ON "
                                       "l.\"Id\" = p.\"Lang\"")),
              DemoPeopleCount);
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"Job\" j WHERE NOT EXISTS "
                                       "(SELECT 1 FROM \"People\" WHERE \"id\" = j.\"People\")")),
              0);
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"Job\" WHERE \"DateEn\" < "
                                       "\"DateBe\"")),
              0);
    // Notes, pictures and rich text for some of the people, not for all.
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"People\" WHERE \"Info\" IS NOT "
                                       "NULL")),
              DemoPeopleCount / 4);
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"People\" WHERE \"Image\" IS NOT "
                                       "NULL")),
              DemoPeopleCount / 6);
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"People\" WHERE \"Rich\" IS NOT "
                                       "NULL")),
              DemoPeopleCount / 5);
}

TEST_P(DemoDatabase, ProfessionsFormATreeOfThreeLevelsThatCountsItsBranches) {
    // AmountDown is the number of professions directly below.
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"Prof\" p WHERE \"AmountDown\" <> "
                                       "(SELECT count(*) FROM \"Prof\" c WHERE c.\"IdUp\" = "
                                       "p.\"Id\")")),
              0);
    // The professions at the top have no parent: the lists start from those without one.
    const qint64 top =
        Db->Count(QStringLiteral("SELECT count(*) FROM \"Prof\" WHERE \"IdUp\" IS NULL"));
    const qint64 second = Db->Count(QStringLiteral(
        "SELECT count(*) FROM \"Prof\" p JOIN \"Prof\" u ON u.\"Id\" = p.\"IdUp\" WHERE "
        "u.\"IdUp\" IS NULL"));
    const qint64 third = Db->Count(QStringLiteral(
        "SELECT count(*) FROM \"Prof\" p JOIN \"Prof\" u ON u.\"Id\" = p.\"IdUp\" JOIN \"Prof\" "
        "t ON t.\"Id\" = u.\"IdUp\" WHERE t.\"IdUp\" IS NULL AND p.\"AmountDown\" = 0"));
    EXPECT_GE(top, 5);
    EXPECT_GT(second, top);
    EXPECT_EQ(top + second + third, Db->Count(QStringLiteral("SELECT count(*) FROM \"Prof\"")));
    // People have professions of the third level.
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"People\" p JOIN \"Prof\" f ON "
                                       "f.\"Id\" = p.\"Prof\" WHERE f.\"AmountDown\" = 0")),
              DemoPeopleCount);
}

TEST_P(DemoDatabase, AnExistingDatabaseIsLeftAsItIsAndMorePeopleComeWithoutPictures) {
    EXPECT_FALSE(CreateDemoDatabase(Db->Alias()));
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"People\"")), DemoPeopleCount);

    AddDemoPeople(Db->Alias(), 200);
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"People\"")), DemoPeopleCount + 200);
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"People\" WHERE \"Image\" IS NOT "
                                       "NULL")),
              DemoPeopleCount / 6);
    EXPECT_EQ(Db->Count(QStringLiteral("SELECT count(*) FROM \"Job\" j WHERE NOT EXISTS "
                                       "(SELECT 1 FROM \"People\" WHERE \"id\" = j.\"People\")")),
              0);
    // The jobs of the added people are theirs: some of them have jobs.
    EXPECT_GT(Db->Count(QStringLiteral("SELECT count(*) FROM \"Job\" WHERE \"People\" > %1")
                            .arg(Db->Count(QStringLiteral("SELECT min(\"id\") FROM \"People\"")) +
                                 DemoPeopleCount - 1)),
              0);
}

TEST_P(DemoDatabase, TheEnginesPlannerHasItsStatistics) {
    if (Engine() == QLatin1String(PostgresEngine)) {
        EXPECT_GT(Db->Count(QStringLiteral("SELECT count(*) FROM pg_stats WHERE tablename = "
                                           "'Country' AND attname = 'Continent'")),
                  0);
        return;
    }
    EXPECT_EQ(Db->Column(QStringLiteral("SELECT stat FROM sqlite_stat1 WHERE idx = "
                                        "'Country_ByContinent'"))
                  .value(0)
                  .section(QLatin1Char(' '), 0, 0),
              QString::number(Db->Count(QStringLiteral("SELECT count(*) FROM \"Country\""))));
    // With them, the countries of a continent after one in key order are read in that
    // order, not gathered through the continent's index and sorted.
    const QString plan = Db->Column(QStringLiteral("EXPLAIN QUERY PLAN SELECT * FROM \"Country\" "
                                                   "WHERE \"Continent\" = 3 AND rowid > 104 "
                                                   "ORDER BY rowid LIMIT 4"))
                             .join(QLatin1Char('|'));
    EXPECT_FALSE(plan.contains(QStringLiteral("TEMP B-TREE"))) << qPrintable(plan);
}

TEST(DemoDatabaseContents, TheSameCountMakesTheSameDatabase) {
    TEmptyDatabase first(QString::fromLatin1(SqliteEngine));
    TEmptyDatabase second(QString::fromLatin1(SqliteEngine));
    CreateDemoDatabase(first.Alias(), 40);
    CreateDemoDatabase(second.Alias(), 40);
    const QString people = QStringLiteral(
        "SELECT \"Name\" || '/' || \"Country\" || '/' || \"Prof\" FROM \"People\" ORDER BY \"id\"");
    EXPECT_EQ(first.Column(people), second.Column(people));
    EXPECT_EQ(first.Column(people).size(), 40);
}

TEST(DemoDatabaseContents, GeneratedDatabasesBeginAsTheProgramsOwnAndRefuseAnExistingOne) {
    TEmptyDatabase small(QString::fromLatin1(SqliteEngine));
    TEmptyDatabase own(QString::fromLatin1(SqliteEngine));
    TEmptyDatabase large(QString::fromLatin1(SqliteEngine));
    ASSERT_TRUE(GenerateDemoDatabase(small.Alias(), 7));
    CreateDemoDatabase(own.Alias());
    ASSERT_TRUE(GenerateDemoDatabase(large.Alias(), DemoPeopleCount + 50));
    const QString count = QStringLiteral("SELECT count(*) FROM \"People\"");
    EXPECT_EQ(small.Count(count), 7);
    EXPECT_EQ(large.Count(count), DemoPeopleCount + 50);
    // The statistics count the people added.
    EXPECT_EQ(large
                  .Column(QStringLiteral("SELECT stat FROM sqlite_stat1 WHERE idx = "
                                         "'People_ByName'"))
                  .value(0)
                  .section(QLatin1Char(' '), 0, 0),
              QString::number(DemoPeopleCount + 50));
    // The first people are the program's, pictures and all; the rest have none.
    const QString people = QStringLiteral(
        "SELECT \"Name\" || '/' || (\"Image\" IS NULL) FROM \"People\" ORDER BY \"id\"");
    EXPECT_EQ(large.Column(people).mid(0, DemoPeopleCount), own.Column(people));
    EXPECT_EQ(large.Count(QStringLiteral("SELECT count(*) FROM \"People\" WHERE \"Image\" IS "
                                         "NOT NULL")),
              own.Count(QStringLiteral("SELECT count(*) FROM \"People\" WHERE \"Image\" IS NOT "
                                       "NULL")));

    EXPECT_FALSE(GenerateDemoDatabase(small.Alias(), 20));
    EXPECT_EQ(small.Count(count), 7);
}

TEST(DemoDatabaseContents, FlagsAreSmallPicturesInTheirCountrysColours) {
    TEmptyDatabase db(QString::fromLatin1(SqliteEngine));
    CreateDemoDatabase(db.Alias(), 1);
    const auto statement =
        db.Connection()->Prepare(QStringLiteral("SELECT \"Name\", \"Picture\" FROM \"Country\""));
    int flags = 0;
    while (statement->Step()) {
        TBitmap flag;
        flag.LoadFromBytes(statement->Column(1).toByteArray());
        EXPECT_EQ(flag.Width(), 24) << statement->Column(0).toString().toStdString();
        EXPECT_EQ(flag.Height(), 16);
        ++flags;
        if (statement->Column(0).toString() == QLatin1String("France")) {
            EXPECT_EQ(flag.Canvas()->Pixels(2, 8), RGB(0x00, 0x23, 0x95));
            EXPECT_EQ(flag.Canvas()->Pixels(12, 8), RGB(0xFF, 0xFF, 0xFF));
            EXPECT_EQ(flag.Canvas()->Pixels(21, 8), RGB(0xED, 0x29, 0x39));
        }
        if (statement->Column(0).toString() == QLatin1String("Japan")) {
            EXPECT_EQ(flag.Canvas()->Pixels(12, 8), RGB(0xBC, 0x00, 0x2D));
            EXPECT_EQ(flag.Canvas()->Pixels(1, 1), RGB(0xFF, 0xFF, 0xFF));
        }
    }
    EXPECT_GT(flags, 190);
}

TEST(DemoDatabaseContents, RichTextReadsBackWithTheNamesInTheirOwnLetters) {
    TEmptyDatabase db(QString::fromLatin1(SqliteEngine));
    CreateDemoDatabase(db.Alias());
    const auto statement = db.Connection()->Prepare(
        QStringLiteral("SELECT \"Name\", \"Rich\" FROM \"People\" WHERE \"Rich\" IS NOT NULL"));
    int read = 0;
    bool nonLatin = false;
    while (statement->Step()) {
        const QString name = statement->Column(0).toString();
        QTextDocument document;
        ReadRtf(&document, statement->Column(1).toString());
        EXPECT_TRUE(document.toPlainText().startsWith(name + QStringLiteral(" works as ")))
            << document.toPlainText().toStdString();
        nonLatin = nonLatin || name.front().unicode() > 0x370;
        ++read;
    }
    EXPECT_EQ(read, DemoPeopleCount / 5);
    EXPECT_TRUE(nonLatin); // Greek, Cyrillic
}

} // namespace
