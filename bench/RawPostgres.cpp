#include "RawPostgres.h"

#include <cstdlib>
#include <libpq-fe.h>
#include <stdexcept>

namespace {

std::runtime_error Error(pg_conn* Connection) {
    return std::runtime_error(PQerrorMessage(Connection));
}

void Check(pg_conn* Connection, const PGresult* Result) {
    const ExecStatusType status = PQresultStatus(Result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw Error(Connection);
}

// "?" becomes "$1", "$2"...: the texts the benchmark writes hold no "?" of another kind.
std::string Numbered(const std::string& Sql, int& Count) {
    std::string numbered;
    for (const char c : Sql)
        if (c == '?')
            numbered += "$" + std::to_string(++Count);
        else
            numbered += c;
    return numbered;
}

std::string Setting(const char* Name) {
    const char* value = std::getenv(Name);
    return value ? value : "";
}

} // namespace

TPgStatement::TPgStatement(pg_conn* Connection, const std::string& Sql, int Serial)
    : FConnection(Connection), FName("bench_" + std::to_string(Serial)) {
    int count = 0;
    const std::string text = Numbered(Sql, count);
    FValues.resize(std::size_t(count));
    PGresult* prepared = PQprepare(FConnection, FName.c_str(), text.c_str(), count, nullptr);
    const bool ok = PQresultStatus(prepared) == PGRES_COMMAND_OK;
    PQclear(prepared);
    if (!ok)
        throw Error(FConnection);
}

TPgStatement::~TPgStatement() {
    PQclear(FResult);
}

void TPgStatement::Reset() {
    PQclear(FResult);
    FResult = nullptr;
    FRow = -1;
}

void TPgStatement::Bind(int Index, std::int64_t Value) {
    FValues.at(std::size_t(Index - 1)) = std::to_string(Value);
}

void TPgStatement::Bind(int Index, const std::string& Value) {
    FValues.at(std::size_t(Index - 1)) = Value;
}

bool TPgStatement::Step() {
    if (!FResult) {
        std::vector<const char*> values;
        for (const std::string& value : FValues)
            values.push_back(value.c_str());
        FResult = PQexecPrepared(FConnection, FName.c_str(), int(values.size()), values.data(),
                                 nullptr, nullptr, 0);
        Check(FConnection, FResult);
    }
    return ++FRow < PQntuples(FResult);
}

int TPgStatement::ColumnCount() const {
    return PQnfields(FResult);
}

std::int64_t TPgStatement::Integer(int Column) const {
    return std::strtoll(PQgetvalue(FResult, FRow, Column), nullptr, 10);
}

std::size_t TPgStatement::TextLength(int Column) const {
    return std::size_t(PQgetlength(FResult, FRow, Column));
}

TPgDatabase::TPgDatabase() {
    const std::string host = Setting("KRO_PG_HOST"), port = Setting("KRO_PG_PORT"),
                      user = Setting("KRO_PG_USER"), database = Setting("KRO_PG_DATABASE");
    const char* keywords[] = {"host", "port", "user", "dbname", nullptr};
    const char* values[] = {host.c_str(), port.c_str(), user.c_str(), database.c_str(), nullptr};
    FConnection = PQconnectdbParams(keywords, values, 0);
    if (PQstatus(FConnection) != CONNECTION_OK) {
        const std::runtime_error error = Error(FConnection);
        PQfinish(FConnection);
        throw error;
    }
}

TPgDatabase::~TPgDatabase() {
    PQfinish(FConnection);
}

std::unique_ptr<TDirectStatement> TPgDatabase::Prepare(const std::string& Sql) {
    return std::make_unique<TPgStatement>(FConnection, Sql, ++FSerial);
}

void TPgDatabase::Execute(const std::string& Sql) {
    PGresult* result = PQexec(FConnection, Sql.c_str());
    const ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw Error(FConnection);
}
