#pragma once

// A People table in an SQLite database of its own, for the grid tests.

#include <QTemporaryDir>
#include <db/Table.h>

class TGridDatabase {
public:
    // Rows people named "Person 0001"... with Country cycling 1, 2, 3 and Salary 1000 + n.
    explicit TGridDatabase(int Rows);
    ~TGridDatabase();
    TGridDatabase(const TGridDatabase&) = delete;
    TGridDatabase& operator=(const TGridDatabase&) = delete;

    const QString& Alias() const { return FAlias; }
    // The People table, owned by Owner, not yet open.
    TTable* NewTable(TComponent* Owner) const;

private:
    QTemporaryDir FDir;
    QString FAlias;
};
