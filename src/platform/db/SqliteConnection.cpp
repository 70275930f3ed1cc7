#include "SqliteConnection.h"

#include "LikePattern.h"
#include "SqliteDataVersions.h"
#include "SqliteReadBurst.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QUrl>
#include <algorithm>
#include <rtl/Exceptions.h>
#include <sqlite3.h>

namespace {

// What went wrong, the engine's reason and the database file it happened in.
QString ErrorText(sqlite3* Db, const QString& What) {
    const QString file = QString::fromUtf8(sqlite3_db_filename(Db, "main"));
    if (sqlite3_errcode(Db) == SQLITE_READONLY)
        return QStringLiteral("%1: the database %2 is read-only").arg(What, file);
    return QStringLiteral("%1: %2 (database %3)")
        .arg(What, QString::fromUtf8(sqlite3_errmsg(Db)), file);
}

[[noreturn]] void RaiseError(sqlite3* Db, const QString& What) {
    throw EDatabaseError(ErrorText(Db, What));
}

// Prepares the statement that starts at Offset of Sql and moves Offset past it; null when
// only white space or comments remain.
sqlite3_stmt* PrepareAt(sqlite3* Db, const QByteArray& Sql, qsizetype& Offset, unsigned Flags) {
    const char* start = Sql.constData() + Offset;
    const char* tail = nullptr;
    sqlite3_stmt* statement = nullptr;
    // The length counts the terminating zero, which spares SQLite a copy.
    if (sqlite3_prepare_v3(Db, start, int(Sql.size() - Offset + 1), Flags, &statement, &tail) !=
        SQLITE_OK)
        RaiseError(Db, QStringLiteral("Cannot prepare \"%1\"").arg(QString::fromUtf8(Sql)));
    Offset = tail - Sql.constData();
    return statement;
}

QString ArgumentText(sqlite3_value* Argument) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(Argument));
    return QString::fromUtf8(text, sqlite3_value_bytes(Argument));
}

// like(pattern, value[, escape]), which runs LIKE: Null when any argument is Null.
void LikeFunction(sqlite3_context* Context, int Count, sqlite3_value** Arguments) {
    for (int i = 0; i < Count; ++i)
        if (sqlite3_value_type(Arguments[i]) == SQLITE_NULL)
            return sqlite3_result_null(Context);
    const QString escape = Count == 3 ? ArgumentText(Arguments[2]) : QString();
    if (Count == 3 && escape.size() != 1)
        return sqlite3_result_error(Context, "ESCAPE expression must be a single character", -1);
    sqlite3_result_int(Context, LikeMatch(ArgumentText(Arguments[0]), ArgumentText(Arguments[1]),
                                          escape.isEmpty() ? QChar() : escape.front()));
}

void RegisterLike(sqlite3* Db) {
    for (const int arguments : {2, 3})
        if (sqlite3_create_function_v2(Db, "like", arguments, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                       nullptr, LikeFunction, nullptr, nullptr,
                                       nullptr) != SQLITE_OK)
            RaiseError(Db, QStringLiteral("Cannot install LIKE"));
}

// kro_lower(text): the text in Unicode lower case (SQLite's lower() folds ASCII only).
void LowerFunction(sqlite3_context* Context, int, sqlite3_value** Arguments) {
    if (sqlite3_value_type(Arguments[0]) == SQLITE_NULL)
        return sqlite3_result_null(Context);
    const QByteArray lower = ArgumentText(Arguments[0]).toLower().toUtf8();
    sqlite3_result_text(Context, lower.constData(), int(lower.size()), SQLITE_TRANSIENT);
}

void RegisterLower(sqlite3* Db) {
    if (sqlite3_create_function_v2(Db, "kro_lower", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   LowerFunction, nullptr, nullptr, nullptr) != SQLITE_OK)
        RaiseError(Db, QStringLiteral("Cannot install kro_lower"));
}

template <class T> Variant TextOf(const T& Value, QStringView Format) {
    return Value.isValid() ? Variant(Value.toString(Format)) : Null();
}

// A value as SQLite stores it: booleans as 0/1, dates and times as text.
Variant Stored(const Variant& Value) {
    switch (Value.metaType().id()) {
    case QMetaType::Bool:
        return qint64(Value.toBool() ? 1 : 0);
    case QMetaType::QDate:
        return TextOf(Value.toDate(), u"yyyy-MM-dd");
    case QMetaType::QTime:
        return TextOf(Value.toTime(), u"HH:mm:ss.zzz");
    case QMetaType::QDateTime:
        return TextOf(Value.toDateTime().toLocalTime(), u"yyyy-MM-dd HH:mm:ss.zzz");
    default:
        return Value;
    }
}

// The value of a column default as the schema gives it: a literal string, number or NULL
// reads as its value, any other expression as its text.
Variant DefaultValue(const Variant& Expression) {
    if (VarIsNull(Expression))
        return Null();
    const QString text = Expression.toString();
    const QChar quote = QLatin1Char('\'');
    if (text.size() >= 2 && text.startsWith(quote) && text.endsWith(quote)) {
        QString inner = text.mid(1, text.size() - 2);
        if (!QString(inner).remove(QStringLiteral("''")).contains(quote))
            return inner.replace(QStringLiteral("''"), quote);
    }
    if (text.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
        return Null();
    bool ok = false;
    const qint64 integer = text.toLongLong(&ok);
    if (ok)
        return integer;
    const double number = text.toDouble(&ok);
    if (ok)
        return number;
    return text;
}

// A declared column type split into its upper-case name and its size: the last number in
// parentheses, so "DECIMAL(32,2)" has the size 2.
struct TDeclaredType {
    QString Name;
    int Size = 0;
};

TDeclaredType ParseDeclaredType(const QString& Declared) {
    static const QRegularExpression pattern(QStringLiteral(R"(^([^(]*)(?:\(([^)]*)\))?\s*$)"));
    // Every open of a table asks for its columns' types: each text is parsed once.
    thread_local QHash<QString, TDeclaredType> parsed;
    const auto known = parsed.constFind(Declared);
    if (known != parsed.cend())
        return *known;
    const QRegularExpressionMatch match = pattern.match(Declared);
    const TDeclaredType type =
        match.hasMatch()
            ? TDeclaredType{match.captured(1).toUpper().simplified(),
                            match.captured(2).split(QLatin1Char(',')).last().trimmed().toInt()}
            : TDeclaredType{Declared.toUpper().simplified(), 0};
    return *parsed.insert(Declared, type);
}

struct TColumnType {
    TFieldType Type;
    const char* Declared; // "%1" stands for the size
};

// The table of the header. Where a declared type serves two field types the first one
// is the type it maps back to.
constexpr TColumnType ColumnTypes[] = {
    {ftString, "VARCHAR(%1)"},
    {ftSmallint, "SMALLINT"},
    {ftInteger, "INT"},
    {ftWord, "UNSIGNED SMALLINT"},
    {ftLargeint, "BIGINT"},
    {ftLargeint, "INTEGER"},
    {ftAutoInc, "INTEGER"},
    {ftFloat, "DOUBLE"},
    {ftCurrency, "MONEY REAL"},
    {ftBCD, "DECIMAL(32,%1)"},
    {ftBoolean, "BOOLEAN"},
    {ftDate, "DATE"},
    {ftTime, "TIME"},
    {ftDateTime, "TIMESTAMP"},
    {ftMemo, "MEMO TEXT"},
    {ftFmtMemo, "FMTMEMO TEXT"},
    {ftBlob, "BLOB"},
    {ftGraphic, "GRAPHIC BLOB"},
    {ftTypedBinary, "TYPEDBINARY BLOB"},
    {ftBytes, "BYTES BLOB(%1)"},
    {ftVarBytes, "VARBYTES BLOB(%1)"},
};

// The upper-case names of the table's declared types, parsed once.
const QStringList& ColumnTypeNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const TColumnType& columnType : ColumnTypes)
            list << ParseDeclaredType(QString::fromLatin1(columnType.Declared)).Name;
        return list;
    }();
    return names;
}

bool IsSized(const TColumnType& Type) {
    return QLatin1String(Type.Declared).contains(QLatin1String("%1"));
}

// The field type nearest to a declared type of another origin, by SQLite's affinity rules.
TFieldType FieldTypeByAffinity(const TDeclaredType& Declared, int& Size) {
    const QString& name = Declared.Name;
    Size = 0;
    if (name.contains(QLatin1String("INT")))
        return ftInteger;
    if (name.contains(QLatin1String("CHAR")) || name.contains(QLatin1String("CLOB")) ||
        name.contains(QLatin1String("TEXT"))) {
        if (Declared.Size <= 0)
            return ftMemo;
        Size = Declared.Size;
        return ftString;
    }
    if (name.isEmpty() || name.contains(QLatin1String("BLOB")))
        return ftBlob;
    return ftFloat;
}

} // namespace

// The open database file and the statements it has prepared that nobody uses at present.
// Statements share it with their connection, so they may outlive the connection.
class TSqliteDatabase {
public:
    // Opens FileName with the sqlite3_open_v2 Flags, or the URI Uri when given.
    TSqliteDatabase(const QString& FileName, int Flags, const QString& Uri = QString());
    ~TSqliteDatabase();
    TSqliteDatabase(const TSqliteDatabase&) = delete;
    TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

    sqlite3* Handle() const { return FDb; }
    // A statement for one SQL text, taken from the cache or newly prepared.
    sqlite3_stmt* Acquire(const QString& Sql);
    // Takes back a statement of Acquire for its next user, or finalizes it when Sql is
    // empty (the statement is not to be cached).
    void Release(const QString& Sql, sqlite3_stmt* Statement);
    TSqliteReadBurst& Burst() { return *FBurst; }
    TSqliteDataVersions& Versions() { return *FVersions; }

private:
    void ClearCache();

    static constexpr int MaxIdle = 64;
    sqlite3* FDb = nullptr;
    QString FFileName;
    bool FCreatedFile = false; // removed again when nothing was written to it
    QHash<QString, QList<sqlite3_stmt*>> FIdle;
    int FIdleCount = 0;
    std::unique_ptr<TSqliteReadBurst> FBurst;
    std::unique_ptr<TSqliteDataVersions> FVersions;
};

TSqliteDatabase::TSqliteDatabase(const QString& FileName, int Flags, const QString& Uri)
    : FFileName(FileName), FCreatedFile(!QFileInfo::exists(FileName)) {
    const QString target = Uri.isEmpty() ? FileName : Uri;
    const int result =
        sqlite3_open_v2(target.toUtf8().constData(), &FDb,
                        Flags | SQLITE_OPEN_NOMUTEX | (Uri.isEmpty() ? 0 : SQLITE_OPEN_URI),
                        nullptr); // one thread at a time
    if (result != SQLITE_OK) {
        const QString message =
            FDb ? ErrorText(FDb, QStringLiteral("Cannot open database \"%1\"").arg(FileName))
                : QStringLiteral("Cannot open database \"%1\": out of memory").arg(FileName);
        sqlite3_close(FDb);
        FDb = nullptr;
        throw EDatabaseError(message);
    }
    FBurst = std::make_unique<TSqliteReadBurst>(FDb);
    FVersions = std::make_unique<TSqliteDataVersions>(FDb);
}

TSqliteDatabase::~TSqliteDatabase() {
    FVersions.reset();
    FBurst.reset();
    ClearCache();
    // A file this connection made and left without a table was only looked into.
    bool empty = false;
    if (FCreatedFile) {
        sqlite3_stmt* count = nullptr;
        if (sqlite3_prepare_v2(FDb, "SELECT count(*) FROM sqlite_master", -1, &count, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(count) == SQLITE_ROW)
            empty = sqlite3_column_int(count, 0) == 0;
        sqlite3_finalize(count);
    }
    sqlite3_close_v2(FDb);
    if (empty)
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(FFileName + QLatin1String(suffix));
}

sqlite3_stmt* TSqliteDatabase::Acquire(const QString& Sql) {
    const auto idle = FIdle.find(Sql);
    if (idle != FIdle.end() && !idle->isEmpty()) {
        --FIdleCount;
        return idle->takeLast();
    }
    qsizetype offset = 0;
    sqlite3_stmt* statement = PrepareAt(FDb, Sql.toUtf8(), offset, SQLITE_PREPARE_PERSISTENT);
    if (!statement)
        throw EDatabaseError(QStringLiteral("No SQL statement in \"%1\"").arg(Sql));
    return statement;
}

void TSqliteDatabase::Release(const QString& Sql, sqlite3_stmt* Statement) {
    if (Sql.isEmpty()) {
        sqlite3_finalize(Statement);
        return;
    }
    sqlite3_reset(Statement);
    sqlite3_clear_bindings(Statement);
    if (FIdleCount >= MaxIdle)
        ClearCache();
    FIdle[Sql].append(Statement);
    ++FIdleCount;
}

void TSqliteDatabase::ClearCache() {
    for (const QList<sqlite3_stmt*>& statements : std::as_const(FIdle))
        for (sqlite3_stmt* statement : statements)
            sqlite3_finalize(statement);
    FIdle.clear();
    FIdleCount = 0;
}

namespace {

// Gives Make a column's value as its storage class holds it (nothing for Null). Read
// through the value: one call that takes the connection's lock, where each
// sqlite3_column_* call takes it again.
template <class TMake> decltype(auto) WithValue(sqlite3_value* Value, TMake&& Make) {
    switch (sqlite3_value_type(Value)) {
    case SQLITE_INTEGER:
        return Make(qint64(sqlite3_value_int64(Value)));
    case SQLITE_FLOAT:
        return Make(sqlite3_value_double(Value));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(Value));
        return Make(QString::fromUtf8(text, sqlite3_value_bytes(Value)));
    }
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_value_blob(Value));
        return Make(QByteArray(bytes, sqlite3_value_bytes(Value)));
    }
    default:
        return Make();
    }
}

class TSqliteStatement : public TDbStatement {
public:
    // CacheKey is the SQL text the statement returns to the cache under, or empty.
    TSqliteStatement(std::shared_ptr<TSqliteDatabase> Database, QString CacheKey,
                     sqlite3_stmt* Statement)
        : FDatabase(std::move(Database)), FCacheKey(std::move(CacheKey)), FStatement(Statement) {}
    ~TSqliteStatement() override { FDatabase->Release(FCacheKey, FStatement); }
    TSqliteStatement(const TSqliteStatement&) = delete;
    TSqliteStatement& operator=(const TSqliteStatement&) = delete;

    void Bind(int Index, const Variant& Value) override;
    void ClearBindings() override { sqlite3_clear_bindings(FStatement); }
    bool Step() override;
    void Reset() override;
    int ColumnCount() const override { return sqlite3_column_count(FStatement); }
    QString ColumnName(int Index) const override {
        return QString::fromUtf8(sqlite3_column_name(FStatement, Index));
    }
    Variant Column(int Index) const override;
    void AppendRow(QList<Variant>& Row) const override;
    qint64 RowsAffected() const override { return FRowsAffected; }

private:
    sqlite3* Db() const { return FDatabase->Handle(); }
    QString Text() const { return QString::fromUtf8(sqlite3_sql(FStatement)); }
    int BindStored(int Position, const Variant& Value);
    int BindText(int Position, QStringView Text);

    std::shared_ptr<TSqliteDatabase> FDatabase;
    QString FCacheKey;
    sqlite3_stmt* FStatement;
    // The UTF-8 of the texts bound, by parameter, and a buffer for the next one; the
    // statement's bindings are cleared before they go (the destructor releases it first).
    QList<QByteArray> FText;
    QByteArray FSpareText;
    bool FRunning = false;
    sqlite3_int64 FChangesBefore = 0;
    qint64 FRowsAffected = 0;
};

void TSqliteStatement::Bind(int Index, const Variant& Value) {
    if (BindStored(Index + 1, Value) != SQLITE_OK)
        RaiseError(Db(),
                   QStringLiteral("Cannot bind parameter %1 of \"%2\"").arg(Index).arg(Text()));
}

// The common types straight from the variant's data; the others as SQLite stores them.
int TSqliteStatement::BindStored(int Position, const Variant& Value) {
    const void* data = Value.constData();
    switch (Value.metaType().id()) {
    case QMetaType::UnknownType:
        return sqlite3_bind_null(FStatement, Position);
    case QMetaType::LongLong:
        return sqlite3_bind_int64(FStatement, Position, *static_cast<const qint64*>(data));
    case QMetaType::Int:
        return sqlite3_bind_int64(FStatement, Position, *static_cast<const int*>(data));
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return sqlite3_bind_int64(FStatement, Position, Value.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(FStatement, Position, *static_cast<const double*>(data));
    case QMetaType::Float:
        return sqlite3_bind_double(FStatement, Position, Value.toDouble());
    case QMetaType::QString:
        return BindText(Position, *static_cast<const QString*>(data));
    case QMetaType::QByteArray: {
        // constData is never null, so an empty array binds an empty blob, not Null.
        const auto* bytes = static_cast<const QByteArray*>(data);
        return sqlite3_bind_blob64(FStatement, Position, bytes->constData(), bytes->size(),
                                   SQLITE_TRANSIENT);
    }
    case QMetaType::Bool:
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
        return BindStored(Position, Stored(Value));
    default:
        throw EDatabaseError(
            QStringLiteral("Cannot bind a value of type %1 to parameter %2 of \"%3\"")
                .arg(QString::fromLatin1(Value.metaType().name()))
                .arg(Position - 1)
                .arg(Text()));
    }
}

// Encoded into a buffer of the statement, which SQLite reads without a copy. The text is
// encoded into the spare buffer and takes the parameter's place once bound, so that a
// binding that failed leaves the one before intact.
int TSqliteStatement::BindText(int Position, QStringView Text) {
    if (FText.isEmpty())
        FText.resize(sqlite3_bind_parameter_count(FStatement));
    if (Position < 1 || Position > FText.size())
        return sqlite3_bind_null(FStatement, Position); // the engine's error
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    FSpareText.resize(utf8.requiredSpace(Text.size()));
    const char* end = utf8.appendToBuffer(FSpareText.data(), Text);
    const int result = sqlite3_bind_text64(FStatement, Position, FSpareText.constData(),
                                           sqlite3_uint64(end - FSpareText.constData()),
                                           SQLITE_STATIC, SQLITE_UTF8);
    if (result == SQLITE_OK)
        FText[Position - 1].swap(FSpareText);
    return result;
}

bool TSqliteStatement::Step() {
    if (!FRunning) {
        FDatabase->Burst().BeforeStatement(FStatement);
        FChangesBefore = sqlite3_total_changes64(Db());
        FRowsAffected = 0;
        FRunning = true;
        if (!sqlite3_stmt_readonly(FStatement))
            FDatabase->Versions().BeforeWrite();
    }
    const int result = sqlite3_step(FStatement);
    if (result == SQLITE_ROW)
        return true;
    FRunning = false;
    if (result == SQLITE_DONE) {
        // sqlite3_changes64 keeps the count of an earlier statement when this one changed
        // nothing (a query, a definition).
        const sqlite3_int64 changed = sqlite3_total_changes64(Db()) - FChangesBefore;
        if (changed != 0)
            FRowsAffected = sqlite3_changes64(Db());
        if (!sqlite3_stmt_readonly(FStatement))
            FDatabase->Versions().AfterWrite(changed);
        return false;
    }
    const QString message = ErrorText(Db(), QStringLiteral("Cannot run \"%1\"").arg(Text()));
    sqlite3_reset(FStatement);
    throw EDatabaseError(message);
}

void TSqliteStatement::Reset() {
    sqlite3_reset(FStatement);
    FRunning = false;
}

Variant TSqliteStatement::Column(int Index) const {
    if (Index < 0 || Index >= sqlite3_data_count(FStatement))
        throw EDatabaseError(
            QStringLiteral("No column %1 in the current row of \"%2\"").arg(Index).arg(Text()));
    return WithValue(sqlite3_column_value(FStatement, Index), [](auto&&... Value) {
        return Variant(std::forward<decltype(Value)>(Value)...);
    });
}

void TSqliteStatement::AppendRow(QList<Variant>& Row) const {
    const int count = sqlite3_data_count(FStatement);
    Row.reserve(Row.size() + count);
    for (int i = 0; i < count; ++i)
        WithValue(sqlite3_column_value(FStatement, i), [&Row](auto&&... Value) {
            Row.emplace_back(std::forward<decltype(Value)>(Value)...);
        });
}

} // namespace

TSqliteConnection::TSqliteConnection(const QString& FileName) : FFileName(FileName) {
    try {
        FDatabase =
            std::make_shared<TSqliteDatabase>(FileName, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        Configure();
        ExecuteScript(QStringLiteral("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL"));
    } catch (const EDatabaseError&) {
        if (!QFileInfo::exists(FileName))
            throw;
        OpenReadOnly();
    }
    FWriteAhead = Scalar(QStringLiteral("PRAGMA journal_mode")).toString() == QLatin1String("wal");
    SetReadBurstAge(FReadBurstAge);
}

void TSqliteConnection::OpenReadOnly() {
    // Read-only media or folder: the file cannot take a journal, and a database in WAL
    // mode cannot even be read without one unless it is opened as unchanging.
    FDatabase.reset();
    FDatabase = std::make_shared<TSqliteDatabase>(FFileName, SQLITE_OPEN_READONLY);
    const int probe = sqlite3_exec(FDatabase->Handle(), "SELECT count(*) FROM sqlite_master",
                                   nullptr, nullptr, nullptr);
    if (probe == SQLITE_CANTOPEN || probe == SQLITE_READONLY) {
        FDatabase.reset();
        const QString uri = QUrl::fromLocalFile(FFileName).toString(QUrl::FullyEncoded) +
                            QStringLiteral("?immutable=1");
        FDatabase = std::make_shared<TSqliteDatabase>(FFileName, SQLITE_OPEN_READONLY, uri);
    } else if (probe != SQLITE_OK) {
        RaiseError(FDatabase->Handle(),
                   QStringLiteral("Cannot open database \"%1\"").arg(FFileName));
    }
    Configure();
}

void TSqliteConnection::Configure() {
    // A double-quoted name is a name: an unknown one is an error, never a text literal.
    for (const int option : {SQLITE_DBCONFIG_DQS_DML, SQLITE_DBCONFIG_DQS_DDL})
        sqlite3_db_config(FDatabase->Handle(), option, 0, nullptr);
    SetBusyTimeout(FBusyTimeout);
    RegisterLike(FDatabase->Handle());
    RegisterLower(FDatabase->Handle());
    ExecuteScript(QStringLiteral("PRAGMA mmap_size=67108864; PRAGMA cache_size=-16000;"
                                 "PRAGMA foreign_keys=ON"));
}

bool TSqliteConnection::ReadOnly() const {
    return sqlite3_db_readonly(FDatabase->Handle(), "main") == 1;
}

TSqliteConnection::~TSqliteConnection() {
    // Statements still alive keep the file open: leave no lock behind for them.
    if (InTransaction())
        sqlite3_exec(FDatabase->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TSqliteConnection::SetReadBurstAge(int Milliseconds) {
    FReadBurstAge = std::max(Milliseconds, 0);
    FDatabase->Burst().SetMaxAge(std::chrono::milliseconds(ReadBurstAge()));
}

int TSqliteConnection::ReadBurstAge() const {
    return FWriteAhead ? FReadBurstAge : 0;
}

quint64 TSqliteConnection::ReadVersion(const QString& Table) {
    // An attached file changes without the main file's data version: no version then.
    if (sqlite3_db_name(FDatabase->Handle(), 2))
        return 0;
    TSqliteReadBurst& burst = FDatabase->Burst();
    if (!burst.Join())
        return 0;
    TSqliteDataVersions& versions = FDatabase->Versions();
    versions.Seen(burst.DataVersion());
    return versions.Of(Table, [&] { return IsRowIdTable(Table); });
}

bool TSqliteConnection::IsRowIdTable(const QString& Table) {
    return Schema().RowIdTable(FoldCase(Table), [&] {
        return Scalar(QStringLiteral("SELECT min(type = 'table' AND wr = 0) FROM "
                                     "pragma_table_list WHERE name = ? COLLATE NOCASE"),
                      {Table})
                   .toLongLong() == 1;
    });
}

void TSqliteConnection::SetBusyTimeout(int Milliseconds) {
    sqlite3_busy_timeout(FDatabase->Handle(), Milliseconds);
    FBusyTimeout = Milliseconds;
}

std::unique_ptr<TDbStatement> TSqliteConnection::Prepare(const QString& Sql) {
    sqlite3_stmt* statement = FDatabase->Acquire(Sql);
    return std::make_unique<TSqliteStatement>(FDatabase, Sql, statement);
}

qint64 TSqliteConnection::Execute(const QString& Sql, const QVariantList& Params) {
    if (Params.isEmpty())
        return ExecuteScript(Sql);
    const std::unique_ptr<TDbStatement> statement = PrepareWith(Sql, Params);
    while (statement->Step()) {
    }
    return statement->RowsAffected();
}

qint64 TSqliteConnection::ExecuteScript(const QString& Sql) {
    // Scripts change the schema and end transactions: a rolled-back change could leave the
    // schema version a later change of another connection takes again.
    FSchema.Clear();
    FDatabase->Burst().End();
    const QByteArray text = Sql.toUtf8();
    qint64 rowsAffected = 0;
    qsizetype offset = 0;
    while (sqlite3_stmt* prepared = PrepareAt(FDatabase->Handle(), text, offset, 0)) {
        TSqliteStatement statement(FDatabase, QString(), prepared);
        while (statement.Step()) {
        }
        rowsAffected += statement.RowsAffected();
    }
    return rowsAffected;
}

Variant TSqliteConnection::Scalar(const QString& Sql, const QVariantList& Params) {
    const std::unique_ptr<TDbStatement> statement = PrepareWith(Sql, Params);
    return statement->Step() ? statement->Column(0) : Null();
}

qint64 TSqliteConnection::LastInsertId() {
    return sqlite3_last_insert_rowid(FDatabase->Handle());
}

void TSqliteConnection::StartTransaction() {
    if (InTransaction())
        throw EDatabaseError(
            QStringLiteral("Cannot start a transaction on \"%1\": a transaction is already active")
                .arg(FFileName));
    ExecuteScript(QStringLiteral("BEGIN IMMEDIATE"));
}

void TSqliteConnection::Commit() {
    ExecuteScript(QStringLiteral("COMMIT"));
}

void TSqliteConnection::Rollback() {
    ExecuteScript(QStringLiteral("ROLLBACK"));
}

bool TSqliteConnection::InTransaction() const {
    return !sqlite3_get_autocommit(FDatabase->Handle());
}

QStringList TSqliteConnection::TableNames() {
    const std::unique_ptr<TDbStatement> statement = Prepare(QStringLiteral(
        R"(SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\_%' )"
        R"(ESCAPE '\' ORDER BY name COLLATE NOCASE)"));
    QStringList names;
    while (statement->Step())
        names.append(statement->Column(0).toString());
    return names;
}

TSchemaCache& TSqliteConnection::Schema() {
    // The queries of a burst read one snapshot: its schema is checked once.
    TSqliteReadBurst& burst = FDatabase->Burst();
    const bool held = burst.Join();
    if (!held || burst.Serial() != FSchemaBurst) {
        FSchema.Check(Scalar(QStringLiteral("PRAGMA schema_version")).toLongLong());
        FSchemaBurst = held ? burst.Serial() : 0;
    }
    return FSchema;
}

void TSqliteConnection::Keep(const QString& Key, std::shared_ptr<void> Object) {
    FSchema.Keep(Key, std::move(Object));
}

// Without a look at the schema version: a statement kept prepares itself again after a
// change of the schema, as the same text prepared anew would read.
std::shared_ptr<void> TSqliteConnection::Take(const QString& Key) {
    return FSchema.Take(Key);
}

bool TSqliteConnection::TableExists(const QString& Table) {
    return Schema().Exists(FoldCase(Table), [&] {
        return Scalar(QStringLiteral("SELECT count(*) FROM sqlite_master "
                                     "WHERE type = 'table' AND name = ? COLLATE NOCASE"),
                      {Table})
                   .toLongLong() > 0;
    });
}

QList<TColumnInfo> TSqliteConnection::TableColumns(const QString& Table) {
    return Schema().Columns(FoldCase(Table), [&] { return ReadTableColumns(Table); });
}

QList<TIndexInfo> TSqliteConnection::TableIndexes(const QString& Table) {
    return Schema().Indexes(FoldCase(Table), [&] { return ReadTableIndexes(Table); });
}

QString TSqliteConnection::RowIdColumn(const QString& Table) {
    return Schema().RowId(FoldCase(Table), [&] { return ReadRowIdColumn(Table); });
}

QList<TColumnInfo> TSqliteConnection::ReadTableColumns(const QString& Table) {
    const std::unique_ptr<TDbStatement> statement =
        PrepareWith(QStringLiteral(R"(SELECT name, type, "notnull", pk, dflt_value )"
                                   R"(FROM pragma_table_xinfo(?) WHERE hidden <> 1 ORDER BY cid)"),
                    {Table});
    QList<TColumnInfo> columns;
    while (statement->Step()) {
        TColumnInfo column;
        column.Name = statement->Column(0).toString();
        column.DeclaredType = statement->Column(1).toString();
        column.NotNull = statement->Column(2).toLongLong() != 0;
        column.PrimaryKey = statement->Column(3).toLongLong() != 0;
        column.Default = DefaultValue(statement->Column(4));
        columns.append(column);
    }
    if (columns.isEmpty())
        throw EDatabaseError(QStringLiteral("Table \"%1\" does not exist").arg(Table));

    // AUTOINCREMENT is only allowed on the INTEGER PRIMARY KEY column, the rowid.
    const auto key = [](const TColumnInfo& c) { return c.PrimaryKey; };
    const auto rowid = std::find_if(columns.begin(), columns.end(), key);
    if (std::count_if(columns.begin(), columns.end(), key) == 1 &&
        rowid->DeclaredType.trimmed().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0) {
        static const QRegularExpression autoIncrement(QStringLiteral(R"(\bAUTOINCREMENT\b)"),
                                                      QRegularExpression::CaseInsensitiveOption);
        const QString sql =
            Scalar(QStringLiteral("SELECT sql FROM sqlite_master "
                                  "WHERE type = 'table' AND name = ? COLLATE NOCASE"),
                   {Table})
                .toString();
        rowid->AutoIncrement = sql.contains(autoIncrement);
    }
    return columns;
}

QList<TIndexInfo> TSqliteConnection::ReadTableIndexes(const QString& Table) {
    const QList<TColumnInfo> columns = TableColumns(Table);
    QList<TIndexInfo> indexes;
    const std::unique_ptr<TDbStatement> list = PrepareWith(
        QStringLiteral(
            R"(SELECT name, "unique", origin FROM pragma_index_list(?) ORDER BY seq DESC)"),
        {Table});
    while (list->Step()) {
        TIndexInfo index;
        index.Name = list->Column(0).toString();
        index.Unique = list->Column(1).toLongLong() != 0;
        index.Primary = list->Column(2).toString() == QLatin1String("pk");
        indexes.append(index);
    }

    const std::unique_ptr<TDbStatement> keys = Prepare(QStringLiteral(
        R"(SELECT cid, name, "desc", coll FROM pragma_index_xinfo(?) WHERE key ORDER BY seqno)"));
    for (TIndexInfo& index : indexes) {
        keys->Reset();
        keys->Bind(0, index.Name);
        while (keys->Step()) {
            if (keys->Column(0).toLongLong() == -2)
                index.Expression = true;
            else
                index.Fields.append(keys->Column(1).toString());
            index.Descending = index.Descending || keys->Column(2).toLongLong() != 0;
            index.CaseInsensitive = index.CaseInsensitive ||
                                    keys->Column(3).toString().compare(QLatin1String("NOCASE"),
                                                                       Qt::CaseInsensitive) == 0;
        }
    }

    const auto primary = [](const TIndexInfo& i) { return i.Primary; };
    std::stable_partition(indexes.begin(), indexes.end(), primary);
    if (std::none_of(indexes.begin(), indexes.end(), primary)) {
        // Only an INTEGER PRIMARY KEY, kept as the rowid, has a key but no index.
        TIndexInfo rowid;
        rowid.Name = QStringLiteral("PRIMARY");
        rowid.Primary = rowid.Unique = true;
        for (const TColumnInfo& column : columns)
            if (column.PrimaryKey)
                rowid.Fields.append(column.Name);
        if (!rowid.Fields.isEmpty())
            indexes.prepend(rowid);
    }
    return indexes;
}

QString TSqliteConnection::ColumnTypeSql(TFieldType Type, int Size) const {
    for (const TColumnType& columnType : ColumnTypes)
        if (columnType.Type == Type) {
            const QString declared = QString::fromLatin1(columnType.Declared);
            return IsSized(columnType) ? declared.arg(Size) : declared;
        }
    throw EDatabaseError(
        QStringLiteral("SQLite has no column type for fields of type %1").arg(EnumName(Type)));
}

TFieldType TSqliteConnection::FieldTypeOf(const TColumnInfo& Column, int& Size) const {
    Size = 0;
    if (Column.AutoIncrement)
        return ftAutoInc;
    const TDeclaredType declared = ParseDeclaredType(Column.DeclaredType);
    const qsizetype index = ColumnTypeNames().indexOf(declared.Name);
    if (index >= 0) {
        const TColumnType& columnType = ColumnTypes[index];
        if (IsSized(columnType))
            Size = declared.Size;
        return columnType.Type;
    }
    return FieldTypeByAffinity(declared, Size);
}

QString TSqliteConnection::ReadRowIdColumn(const QString& Table) {
    const std::unique_ptr<TDbStatement> taken = PrepareWith(
        QStringLiteral("SELECT 1 FROM pragma_table_xinfo(?) WHERE lower(name) = ?"), {Table});
    for (const char* name : {"rowid", "_rowid_", "oid"}) {
        taken->Reset();
        taken->Bind(0, Table);
        taken->Bind(1, QString::fromLatin1(name));
        if (!taken->Step())
            return QString::fromLatin1(name);
    }
    throw EDatabaseError(
        QStringLiteral("Table \"%1\": columns named rowid, _rowid_ and oid hide its row key")
            .arg(Table));
}

QString TSqliteConnection::FoldCase(const QString& Value) const {
    return TSqliteDataVersions::Folded(Value);
}
