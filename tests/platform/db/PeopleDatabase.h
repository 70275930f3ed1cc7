#pragma once

// A small database in a temporary directory for the dataset tests: a session alias to
// it and tables shaped like the demo's (countries, people, jobs).

#include <QTemporaryDir>
#include <db/Table.h>
#include <memory>

class TPeopleDatabase {
public:
    // Makes the directory, the alias and the tables; People gets PeopleRows rows named
    // "Person 0001"... with countries cycling through the three countries.
    explicit TPeopleDatabase(int PeopleRows = 0);
    ~TPeopleDatabase();

    const QString& Alias() const { return FAlias; }
    QString Path() const { return FDir.path(); }
    // A table of this database, owned by Owner.
    TTable* NewTable(const QString& TableName, TComponent* Owner = nullptr) const;

private:
    QTemporaryDir FDir;
    QString FAlias;
};
