#pragma once

// A thin layer over the SQLite C API for the benchmarks: what a careful programmer writes
// by hand, with no conversion beyond what the C API gives. Failures throw
// std::runtime_error with SQLite's message.

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// A prepared statement, reset before each use.
class TRawStatement {
public:
    TRawStatement(sqlite3* Db, const std::string& Sql);
    ~TRawStatement();
    TRawStatement(const TRawStatement&) = delete;
    TRawStatement& operator=(const TRawStatement&) = delete;

    // Resets the statement and clears its parameters; parameters are numbered from 1.
    void Reset();
    void Bind(int Index, std::int64_t Value);
    void Bind(int Index, double Value);
    void Bind(int Index, const std::string& Value); // copied
    void BindNull(int Index);
    // Executes the next step; false when there is no more row.
    bool Step();
    int ColumnCount() const;
    bool IsNull(int Column) const;
    std::int64_t Integer(int Column) const;
    // The column as text (empty for Null), valid until the next step.
    std::string_view Text(int Column) const;

private:
    sqlite3* FDb;
    sqlite3_stmt* FStatement = nullptr;
};

// A connection of its own to a database file.
class TRawDatabase {
public:
    explicit TRawDatabase(const std::string& FileName);
    ~TRawDatabase();
    TRawDatabase(const TRawDatabase&) = delete;
    TRawDatabase& operator=(const TRawDatabase&) = delete;

    sqlite3* Handle() const { return FDb; }
    // Runs statements that return no rows.
    void Execute(const std::string& Sql);

private:
    sqlite3* FDb = nullptr;
};
