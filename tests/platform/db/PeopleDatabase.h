#pragma once

// A small database for the dataset tests: a session alias to it and tables shaped like
// the demo's (countries, people, jobs), on one of the engines.

#include <QTemporaryDir>
#include <db/Table.h>
#include <memory>

// The engines the dataset tests run on.
inline constexpr const char* SqliteEngine = "sqlite";
inline constexpr const char* PostgresEngine = "postgresql";

class TPeopleDatabase {
public:
    // Makes the alias and the tables: for SqliteEngine in a temporary directory, for
    // PostgresEngine in the schema kro_people_test_PID, made anew, of the test server. People
    // gets PeopleRows rows named "Person 0001"... with countries cycling through the three
    // countries.
    explicit TPeopleDatabase(int PeopleRows = 0, const QString& Engine = SqliteEngine);
    ~TPeopleDatabase();

    const QString& Alias() const { return FAlias; }
    // The directory of an SQLite database.
    QString Path() const { return FDir.path(); }
    // A table of this database, owned by Owner.
    TTable* NewTable(const QString& TableName, TComponent* Owner = nullptr) const;

private:
    void AddAlias(const QString& Engine);

    QTemporaryDir FDir;
    QString FAlias;
};
