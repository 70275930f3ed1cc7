#include "RawSqlite.h"

#include <sqlite3.h>
#include <stdexcept>

namespace {
void Check(sqlite3* Db, int Result) {
    if (Result != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(Db));
}
} // namespace

TRawStatement::TRawStatement(sqlite3* Db, const std::string& Sql) : FDb(Db) {
    Check(FDb, sqlite3_prepare_v3(FDb, Sql.c_str(), int(Sql.size()), SQLITE_PREPARE_PERSISTENT,
                                  &FStatement, nullptr));
}

TRawStatement::~TRawStatement() {
    sqlite3_finalize(FStatement);
}

void TRawStatement::Reset() {
    sqlite3_reset(FStatement);
    sqlite3_clear_bindings(FStatement);
}

void TRawStatement::Bind(int Index, std::int64_t Value) {
    Check(FDb, sqlite3_bind_int64(FStatement, Index, Value));
}

void TRawStatement::Bind(int Index, double Value) {
    Check(FDb, sqlite3_bind_double(FStatement, Index, Value));
}

void TRawStatement::Bind(int Index, const std::string& Value) {
    Check(FDb,
          sqlite3_bind_text(FStatement, Index, Value.data(), int(Value.size()), SQLITE_TRANSIENT));
}

void TRawStatement::BindNull(int Index) {
    Check(FDb, sqlite3_bind_null(FStatement, Index));
}

bool TRawStatement::Step() {
    const int result = sqlite3_step(FStatement);
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE)
        return false;
    throw std::runtime_error(sqlite3_errmsg(FDb));
}

int TRawStatement::ColumnCount() const {
    return sqlite3_column_count(FStatement);
}

bool TRawStatement::IsNull(int Column) const {
    return sqlite3_column_type(FStatement, Column) == SQLITE_NULL;
}

std::int64_t TRawStatement::Integer(int Column) const {
    return sqlite3_column_int64(FStatement, Column);
}

std::string_view TRawStatement::Text(int Column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(FStatement, Column));
    return text ? std::string_view(text, size_t(sqlite3_column_bytes(FStatement, Column)))
                : std::string_view();
}

std::size_t TRawStatement::ReadRows() {
    std::size_t length = 0;
    while (Step())
        for (int c = 0; c < ColumnCount(); ++c)
            length += TextLength(c);
    return length;
}

TRawDatabase::TRawDatabase(const std::string& FileName) {
    const int result = sqlite3_open_v2(FileName.c_str(), &FDb, SQLITE_OPEN_READWRITE, nullptr);
    if (result != SQLITE_OK) {
        const std::string message = FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(result);
        sqlite3_close(FDb);
        throw std::runtime_error(FileName + ": " + message);
    }
    // Commits as the library's connections make them: written ahead, not waited for on disk.
    Execute("PRAGMA synchronous=NORMAL");
}

TRawDatabase::~TRawDatabase() {
    sqlite3_close(FDb);
}

std::unique_ptr<TDirectStatement> TRawDatabase::Prepare(const std::string& Sql) {
    return std::make_unique<TRawStatement>(FDb, Sql);
}

void TRawDatabase::Execute(const std::string& Sql) {
    char* error = nullptr;
    if (sqlite3_exec(FDb, Sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error(message + " in " + Sql);
    }
}
