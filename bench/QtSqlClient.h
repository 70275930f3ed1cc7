#pragma once

// The SQLite database through Qt SQL (the QSQLITE driver), as a Qt programmer reads it:
// forward-only prepared queries, values as QVariant. Failures throw std::runtime_error
// with the driver's message.

#include "DirectSql.h"

#include <QSqlDatabase>
#include <QSqlQuery>

class TQtSqlStatement : public TDirectStatement {
public:
    TQtSqlStatement(const QSqlDatabase& Db, const std::string& Sql);

    void Reset() override;
    void Bind(int Index, std::int64_t Value) override;
    void Bind(int Index, const std::string& Value) override;
    bool Step() override;
    int ColumnCount() const override;
    std::int64_t Integer(int Column) const override;
    std::size_t TextLength(int Column) const override;

private:
    QSqlQuery FQuery;
    bool FRun = false; // executed since the last Reset
    int FColumns = 0;  // of the result, known once executed
};

// A connection of its own, named after the object, removed with it.
class TQtSqlDatabase : public TDirectConnection {
public:
    explicit TQtSqlDatabase(const std::string& FileName);
    ~TQtSqlDatabase() override;
    TQtSqlDatabase(const TQtSqlDatabase&) = delete;
    TQtSqlDatabase& operator=(const TQtSqlDatabase&) = delete;

    std::unique_ptr<TDirectStatement> Prepare(const std::string& Sql) override;
    void Execute(const std::string& Sql) override;

private:
    QString FName;
    QSqlDatabase FDb;
};
