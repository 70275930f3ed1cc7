#pragma once

// A thin layer over libpq for the benchmarks: what a careful programmer writes by hand,
// with statements prepared once on the server and every value read as the text libpq
// gives. Failures throw std::runtime_error with the server's message.

#include "DirectSql.h"

#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

// A statement prepared on the server; "?" marks its parameters, numbered from 1.
class TPgStatement : public TDirectStatement {
public:
    TPgStatement(pg_conn* Connection, const std::string& Sql, int Serial);
    ~TPgStatement() override;
    TPgStatement(const TPgStatement&) = delete;
    TPgStatement& operator=(const TPgStatement&) = delete;

    void Reset() override;
    void Bind(int Index, std::int64_t Value) override;
    void Bind(int Index, const std::string& Value) override;
    bool Step() override;
    int ColumnCount() const override;
    std::int64_t Integer(int Column) const override;
    std::size_t TextLength(int Column) const override;

private:
    pg_conn* FConnection;
    std::string FName;
    std::vector<std::string> FValues;
    pg_result* FResult = nullptr;
    int FRow = -1;
};

// A connection of its own, made from the libpq parameters in the environment (the
// KRO_PG_HOST, KRO_PG_PORT, KRO_PG_USER and KRO_PG_DATABASE of the test server).
class TPgDatabase : public TDirectConnection {
public:
    TPgDatabase();
    ~TPgDatabase() override;
    TPgDatabase(const TPgDatabase&) = delete;
    TPgDatabase& operator=(const TPgDatabase&) = delete;

    std::unique_ptr<TDirectStatement> Prepare(const std::string& Sql) override;
    void Execute(const std::string& Sql) override;

private:
    pg_conn* FConnection = nullptr;
    int FSerial = 0;
};
