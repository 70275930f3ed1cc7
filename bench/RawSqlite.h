#pragma once

// A thin layer over the SQLite C API for the benchmarks: what a careful programmer writes
// by hand, with no conversion beyond what the C API gives. Failures throw
// std::runtime_error with SQLite's message.

#include "DirectSql.h"

#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// A prepared statement, reset before each use.
class TRawStatement : public TDirectStatement {
public:
    TRawStatement(sqlite3* Db, const std::string& Sql);
    ~TRawStatement() override;
    TRawStatement(const TRawStatement&) = delete;
    TRawStatement& operator=(const TRawStatement&) = delete;

    // Resets the statement and clears its parameters; parameters are numbered from 1.
    void Reset() override;
    void Bind(int Index, std::int64_t Value) override;
    void Bind(int Index, double Value);
    void Bind(int Index, const std::string& Value) override; // copied
    void BindNull(int Index);
    // Executes the next step; false when there is no more row.
    bool Step() override;
    int ColumnCount() const override;
    bool IsNull(int Column) const;
    std::int64_t Integer(int Column) const override;
    // The column as text (empty for Null), valid until the next step.
    std::string_view Text(int Column) const;
    std::size_t TextLength(int Column) const override { return Text(Column).size(); }
    // Steps through the rows left (the statement reset and bound by the caller), reading
    // every column's text; gives their total length.
    std::size_t ReadRows();

private:
    sqlite3* FDb;
    sqlite3_stmt* FStatement = nullptr;
};

// A connection of its own to a database file.
class TRawDatabase : public TDirectConnection {
public:
    explicit TRawDatabase(const std::string& FileName);
    ~TRawDatabase() override;
    TRawDatabase(const TRawDatabase&) = delete;
    TRawDatabase& operator=(const TRawDatabase&) = delete;

    sqlite3* Handle() const { return FDb; }
    std::unique_ptr<TDirectStatement> Prepare(const std::string& Sql) override;
    // Runs statements that return no rows.
    void Execute(const std::string& Sql) override;

private:
    sqlite3* FDb = nullptr;
};
