#pragma once

// SQL written by hand and run through a client library (the SQLite C API, Qt SQL): the
// little the benchmarks need of a connection and its prepared statements.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TDirectStatement {
public:
    virtual ~TDirectStatement() = default;
    // Makes the statement ready to run again; parameters are then bound anew.
    virtual void Reset() = 0;
    // Parameters are numbered from 1.
    virtual void Bind(int Index, std::int64_t Value) = 0;
    virtual void Bind(int Index, const std::string& Value) = 0;
    // Runs the statement on the first call after Reset, then moves to the next row; false
    // when there is no more row.
    virtual bool Step() = 0;
    virtual int ColumnCount() const = 0;
    virtual std::int64_t Integer(int Column) const = 0;
    // Reads the column as text, as the library gives it, and returns its length.
    virtual std::size_t TextLength(int Column) const = 0;
};

class TDirectConnection {
public:
    virtual ~TDirectConnection() = default;
    virtual std::unique_ptr<TDirectStatement> Prepare(const std::string& Sql) = 0;
    // Runs a statement that returns no rows.
    virtual void Execute(const std::string& Sql) = 0;
};
