#include "EngineTest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <db/Database.h>
#include <db/Field.h>
#include <db/Session.h>
#include <db/Table.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Exceptions.h>

namespace {

ON_EVERY_ENGINE(EngineDatabases);

// Sets the session's configuration mode for the length of a test.
class SessionAliases : public ::testing::Test {
protected:
    void SetUp() override { FSaved = Session()->ConfigMode(); }
    void TearDown() override {
        Session()->SetConfigMode(cmAll);
        for (const QString& name : Session()->GetAliasNames())
            if (name.startsWith(QLatin1String("Alias")))
                Session()->DeleteAlias(name);
        Session()->SetConfigMode(FSaved);
    }
    TConfigMode FSaved;
    QTemporaryDir FDir;
};

TEST_F(SessionAliases, SessionAliasesLiveForTheProcessOnly) {
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(QStringLiteral("AliasSession"), FDir.path(),
                                QStringLiteral("PARADOX"));
    EXPECT_TRUE(Session()->IsAlias(QStringLiteral("aliassession")));
    EXPECT_EQ(Session()->GetAliasDriverName(QStringLiteral("AliasSession")),
              QStringLiteral("PARADOX"));
    EXPECT_EQ(
        Session()->GetAliasParams(QStringLiteral("AliasSession")).value(QStringLiteral("PATH")),
        FDir.path());
    // Another session reads only the configuration file: it does not know the alias.
    TSession other;
    other.SetConfigMode(cmAll);
    EXPECT_FALSE(other.IsAlias(QStringLiteral("AliasSession")));
    EXPECT_THROW(
        Session()->AddStandardAlias(QStringLiteral("ALIASSESSION"), FDir.path(), QString()),
        EDatabaseError);
    EXPECT_THROW(Session()->AddStandardAlias(QStringLiteral("AliasBad"), FDir.path(),
                                             QStringLiteral("NOSUCH")),
                 EDatabaseError);
}

TEST_F(SessionAliases, PersistentAliasesAreKeptInTheConfigurationFile) {
    Session()->SetConfigMode(cmAll);
    Session()->AddStandardAlias(QStringLiteral("AliasKept"), FDir.path(), QString());
    EXPECT_TRUE(QFile::exists(Session()->ConfigFileName()));
    TSession later; // reads the file when made
    EXPECT_TRUE(later.IsAlias(QStringLiteral("AliasKept")));
    EXPECT_EQ(later.GetAliasDriverName(QStringLiteral("AliasKept")), QStringLiteral("STANDARD"));
    // With only the session's aliases in view, the persistent one is hidden.
    later.SetConfigMode({cmSession});
    EXPECT_FALSE(later.IsAlias(QStringLiteral("AliasKept")));
    Session()->DeleteAlias(QStringLiteral("AliasKept"));
    TSession afterDelete;
    EXPECT_FALSE(afterDelete.IsAlias(QStringLiteral("AliasKept")));
}

TEST_P(EngineDatabases, TemporaryDatabasesComeAndGoWithTheirDataSets) {
    TPeopleDatabase db(2, Engine());
    EXPECT_EQ(Session()->FindDatabase(db.Alias()), nullptr);
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    TDatabase* database = Session()->FindDatabase(db.Alias());
    ASSERT_NE(database, nullptr);
    EXPECT_TRUE(database->Temporary());
    EXPECT_EQ(database->IsSQLBased(), Engine() == QLatin1String(PostgresEngine));
    EXPECT_EQ(database->DataSetCount(), 1);
    EXPECT_EQ(database->DataSets(0), people.get());
    EXPECT_EQ(
        Session()->GetTableNames(db.Alias()),
        (QStringList{QStringLiteral("Country"), QStringLiteral("Job"), QStringLiteral("People")}));
    people->Close();
    EXPECT_EQ(Session()->FindDatabase(db.Alias()), nullptr);
}

TEST_P(EngineDatabases, TransactionsCommitAndRollBack) {
    TPeopleDatabase db(2, Engine());
    TDatabase database;
    database.SetDatabaseName(QStringLiteral("PeopleDb"));
    database.SetAliasName(db.Alias());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->SetDatabaseName(QStringLiteral("PeopleDb"));
    people->Open();
    EXPECT_EQ(people->Database(), &database);
    database.StartTransaction();
    EXPECT_TRUE(database.InTransaction());
    people->Delete();
    database.Rollback();
    people->Refresh();
    EXPECT_EQ(people->RecordCount(), 2);
    database.StartTransaction();
    people->Delete();
    database.Commit();
    EXPECT_FALSE(database.InTransaction());
    people->Refresh();
    EXPECT_EQ(people->RecordCount(), 1);

    // A statement the engine refuses leaves the transaction usable for the next one.
    std::unique_ptr<TTable> country(db.NewTable(QStringLiteral("Country.db")));
    country->SetDatabaseName(QStringLiteral("PeopleDb"));
    country->Open();
    const QString taken = country->FieldByName(QStringLiteral("Name"))->AsString();
    database.StartTransaction();
    country->Append();
    country->FieldByName(QStringLiteral("Name"))->SetAsString(taken);
    EXPECT_THROW(country->Post(), EDatabaseError); // the name is unique
    country->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Atlantis"));
    country->Post();
    database.Commit();
    country->Refresh();
    EXPECT_EQ(country->RecordCount(), 4);
    database.Close(); // closes the datasets that use it
    EXPECT_FALSE(people->Active());
}

TEST(Databases, AFolderWithoutADatabaseIsNamedAndLeftEmpty) {
    QTemporaryDir dir;
    TTable table;
    table.SetDatabaseName(dir.path());
    table.SetTableName(QStringLiteral("People.db"));
    try {
        table.Open();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Table 'People.db' does not exist: %1 holds no "
                                              "database")
                                   .arg(dir.path()));
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(Databases, UnknownNamesFailClearly) {
    TTable table;
    table.SetDatabaseName(QStringLiteral("NoSuchAliasOrDirectory"));
    table.SetTableName(QStringLiteral("People.db"));
    try {
        table.Open();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("NoSuchAliasOrDirectory")));
    }
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(Session()->FindDatabase(QStringLiteral("NoSuchAliasOrDirectory")), nullptr);
}

} // namespace
