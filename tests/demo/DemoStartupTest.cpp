#include "PostgresTestServer.h"

#include <DemoDatabase.h>
#include <DemoStartup.h>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <db/Connection.h>
#include <db/Database.h>
#include <db/Session.h>
#include <gtest/gtest.h>
#include <tools/CopyDatabaseCommand.h>

namespace {

// Each test starts and ends without the demo's alias.
class DemoStartup : public ::testing::Test {
protected:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }
    void TearDown() override {
        if (TDatabase* database = Session()->FindDatabase(DemoAlias))
            Session()->CloseDatabase(database);
        if (Session()->IsAlias(DemoAlias)) {
            Session()->SetConfigMode({cmSession});
            Session()->DeleteAlias(DemoAlias);
            Session()->SetConfigMode(cmAll);
        }
    }
    qint64 People() const {
        return Session()
            ->OpenDatabase(DemoAlias)
            ->Connection()
            ->Scalar(QStringLiteral("SELECT count(*) FROM \"People\""))
            .toLongLong();
    }
    QTemporaryDir Dir;
};

TEST_F(DemoStartup, TheCommandLineNamesTheDatabasesPlace) {
    const auto plain = DemoPlaceOf({}, Dir.path());
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->Folder, Dir.path()); // a folder the program may write to
    EXPECT_TRUE(plain->Postgres.isEmpty());
    const auto other =
        DemoPlaceOf({QStringLiteral("--database"), QStringLiteral("data")}, Dir.path());
    ASSERT_TRUE(other);
    EXPECT_EQ(other->Folder, QDir(QStringLiteral("data")).absolutePath());
    const auto server = DemoPlaceOf(
        {QStringLiteral("--postgres"), QStringLiteral("postgresql://me@host/demo")}, Dir.path());
    ASSERT_TRUE(server);
    EXPECT_EQ(server->Postgres, QStringLiteral("postgresql://me@host/demo"));
    EXPECT_FALSE(DemoPlaceOf({QStringLiteral("--database")}, Dir.path()));
    EXPECT_FALSE(DemoPlaceOf({QStringLiteral("--colour"), QStringLiteral("red")}, Dir.path()));
}

TEST_F(DemoStartup, AnInstalledProgramKeepsItsDatabaseInTheUsersDataFolder) {
    const QString data = DemoDataFolder(QStringLiteral("/usr/bin"));
    EXPECT_TRUE(
        data.startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)))
        << data.toStdString();
    EXPECT_EQ(DemoDataFolder(QStringLiteral("/no/such/folder")), data);
    // A folder that holds the database keeps it, wherever it is.
    QFile(QDir(Dir.path()).filePath(QLatin1String(StandardDatabaseFile)))
        .open(QIODevice::WriteOnly);
    EXPECT_EQ(DemoDataFolder(Dir.path()), Dir.path());
}

TEST_F(DemoStartup, TheAliasIsAddedForTheSessionOnlyAndOnlyWhenMissing) {
    Session()->SetConfigMode(cmAll);
    ASSERT_TRUE(RegisterDemoAlias({Dir.path(), {}}));
    EXPECT_EQ(Session()->ConfigMode(), cmAll);
    EXPECT_EQ(Session()->GetAliasParams(DemoAlias).value(QStringLiteral("PATH")), Dir.path());
    QFile config(Session()->ConfigFileName());
    const QByteArray stored = config.open(QIODevice::ReadOnly) ? config.readAll() : QByteArray();
    EXPECT_FALSE(stored.contains("KroExample"));

    // An alias the session knows is used as it is, even when it points elsewhere.
    QTemporaryDir elsewhere;
    EXPECT_FALSE(RegisterDemoAlias({elsewhere.path(), {}}));
    EXPECT_EQ(Session()->GetAliasParams(DemoAlias).value(QStringLiteral("PATH")), Dir.path());
}

TEST_F(DemoStartup, AFailedRegistrationLeavesTheConfigurationModeAsItWas) {
    Session()->SetConfigMode(cmAll);
    EXPECT_THROW(RegisterDemoAlias({Dir.path(), QStringLiteral("mysql://host/db")}), EUsageError);
    EXPECT_EQ(Session()->ConfigMode(), cmAll);
    EXPECT_FALSE(Session()->IsAlias(DemoAlias));
}

TEST_F(DemoStartup, TheEmbeddedDatabaseIsMadeOnTheFirstStartOnly) {
    ASSERT_TRUE(RegisterDemoAlias({Dir.path(), {}}));
    EXPECT_TRUE(EnsureDemoDatabase({Dir.path(), {}}));
    EXPECT_EQ(People(), DemoPeopleCount);
    Session()->OpenDatabase(DemoAlias)->Connection()->Execute(
        QStringLiteral("DELETE FROM \"People\" WHERE \"id\" = 1"));
    EXPECT_FALSE(EnsureDemoDatabase({Dir.path(), {}}));
    EXPECT_EQ(People(), DemoPeopleCount - 1);
}

TEST_F(DemoStartup, AnEmptyServerDatabaseGetsACopyOfTheEmbeddedOne) {
    SKIP_OR_FAIL_WITHOUT_POSTGRES();
    const auto params = PostgresTestParams(QStringLiteral("kro_demo_start"));
    RecreatePostgresSchema(*params);
    const QString url =
        QStringLiteral("postgresql://%1@/%2?host=%3&port=%4&schema=%5")
            .arg(params->value(QStringLiteral("USER")), params->value(QStringLiteral("DATABASE")),
                 params->value(QStringLiteral("HOST")), params->value(QStringLiteral("PORT")),
                 params->value(QStringLiteral("SCHEMA")));
    const TDemoPlace place{Dir.path(), url};
    ASSERT_TRUE(RegisterDemoAlias(place));
    EXPECT_EQ(Session()->GetAliasDriverName(DemoAlias), QStringLiteral("POSTGRESQL"));
    EXPECT_TRUE(EnsureDemoDatabase(place));
    EXPECT_EQ(People(), DemoPeopleCount);
    // The embedded database it came from stays in the folder; the server keeps its copy.
    EXPECT_TRUE(QFile::exists(QDir(Dir.path()).filePath(QLatin1String(StandardDatabaseFile))));
    EXPECT_FALSE(EnsureDemoDatabase(place));
    EXPECT_FALSE(Session()->IsAlias(QStringLiteral("KroExampleEmbedded")));
}

} // namespace
