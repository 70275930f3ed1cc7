#pragma once

#include "Connection.h"
#include "SchemaCache.h"

#include <QMap>
#include <memory>
#include <optional>

class TPostgresSession;

// Sql with every "x [NOT] LIKE pattern [ESCAPE e]" written "x ~ kro_like_regex(pattern[, e])"
// ("!~" for NOT LIKE): the server's LIKE knows no bracket classes and escapes with "\",
// local SQL's (LikePattern.h) does the one and not the other. kro_like_regex(pattern,
// escape) turns a local SQL pattern into the equivalent regular expression. The pattern is
// the operand after LIKE (a literal, a parameter, a column, a call, a parenthesized
// expression, joined by || and arithmetic); a LIKE whose operand is not of these forms is
// left as it is.
QString PostgresLikeSql(const QString& Sql);

// A connection to a database of a PostgreSQL server (driver "POSTGRESQL"). Parameters:
// HOST (a name, an address or a Unix socket directory), PORT, DATABASE (or DBNAME), USER,
// SCHEMA (the one schema the connection sees besides the catalog; default the server's
// search path), STATEMENTTIMEOUT in milliseconds (default 30000; 0 waits for ever) and
// CLIENTTIMEOUT, the milliseconds the client waits for a silent server (default 10 s more
// than STATEMENTTIMEOUT; 0 waits for ever). The password comes from libpq's own sources
// (PGPASSWORD, the password file) or is not needed (trust); it is never kept here. Each
// statement runs at most STATEMENTTIMEOUT, then raises EDatabaseError; a server that stays
// silent for CLIENTTIMEOUT (frozen, or gone without closing the connection) makes the
// statement raise and the connection count as lost. TCP connections send keepalives.
//
// A lost connection raises EDatabaseError saying so. Outside a transaction the next
// operation reconnects once. Inside one, the server has undone the transaction: every
// statement and Commit raise until Rollback, which succeeds and lets the next operation
// reconnect, so that nothing after the loss commits on its own. Server errors raise
// EDatabaseError with the server's message and detail.
//
// LIKE follows local SQL (PostgresLikeSql). Parameters are written "?" and become $1..$n outside
// strings, quoted identifiers and comments. Values bind as: Null and QString as text the server
// types by their place; bool as boolean; integers as bigint; double as double precision; QByteArray
// as binary bytea; QDate, QTime and QDateTime as date, time and timestamp (local time). A QString
// cannot hold the character U+0000. Columns read back as: Null; qint64 for integer types,
// booleans (0/1) and numeric values without fraction; double for the other numbers;
// QByteArray for bytea; text "yyyy-MM-dd", "HH:mm:ss.zzz" and "yyyy-MM-dd HH:mm:ss.zzz"
// (local time) for dates and times; QString for everything else.
//
// Statements are prepared on the server once per text and parameter types, and cached;
// a statement reads all the rows of a run at once. Every statement Prepare returns is
// independent of the others and may outlive the connection.
//
// Tables are found by name ignoring case (an exact match first) among the tables the
// search path shows. Table rows are identified by the table's single integer primary key
// column; a table without one cannot be read by the datasets. The primary key's index is
// reported under the name "PRIMARY".
//
// Field types and column types (ColumnTypeSql / FieldTypeOf). Each column type maps back
// uniquely; the types named kro_* are domains the driver creates on first use in the
// first schema of the search path:
//   ftString      character varying(n)          Size n
//   ftSmallint    smallint
//   ftInteger     integer
//   ftWord        kro_word                      integer between 0 and 65535
//   ftAutoInc     integer                       made "serial PRIMARY KEY" by the table's
//                                               creator; read back by AutoIncrement
//   ftLargeint    bigint
//   ftFloat       double precision
//   ftCurrency    numeric(19,4)
//   ftBCD         numeric(32,n)                 Size n: digits after the decimal point
//   ftBoolean     boolean
//   ftDate        date
//   ftTime        time without time zone
//   ftDateTime    timestamp without time zone
//   ftMemo        text
//   ftFmtMemo     kro_fmtmemo                   text
//   ftBlob        bytea
//   ftGraphic     kro_graphic                   bytea
//   ftTypedBinary kro_typedbinary               bytea
//   ftBytes       kro_bytes_n                   bytea of at most n bytes; Size n
//   ftVarBytes    kro_varbytes_n                bytea of at most n bytes; Size n
// Other field types have no column type (EDatabaseError). Other declared types map by
// kind: character types with a length give ftString, without one ftMemo; other integer
// types ftInteger; real and numeric without scale ftFloat, numeric(p,s) ftBCD of size s;
// time and timestamp types with a precision or zone ftTime and ftDateTime; anything else
// ftMemo.
//
// An index column compared ignoring case is the expression lower(column); such an index
// reads back as one on the column with CaseInsensitive, any other expression as Expression.
class TPostgresConnection : public TDbConnection {
public:
    explicit TPostgresConnection(const QMap<QString, QString>& Params);
    ~TPostgresConnection() override;

    std::unique_ptr<TDbStatement> Prepare(const QString& Sql) override;
    qint64 Execute(const QString& Sql, const QVariantList& Params = {}) override;
    Variant Scalar(const QString& Sql, const QVariantList& Params = {}) override;
    // The value the last insert of this connection took from a sequence (a serial key).
    qint64 LastInsertId() override;
    // INSERT ... RETURNING the key: right whatever gives the key its value.
    Variant Insert(const QString& Sql, const QVariantList& Params, const QString& RowKey) override;

    void StartTransaction() override;
    // Raises when no transaction is active, and when a statement of the transaction failed:
    // the server then rolls the whole transaction back.
    void Commit() override;
    // Does nothing once the connection was lost: the transaction went with it.
    void Rollback() override;
    bool InTransaction() const override;

    QStringList TableNames() override; // sorted ignoring case
    bool TableExists(const QString& Table) override;
    void Keep(const QString& Key, std::shared_ptr<void> Object) override {
        FSchema.Keep(Key, std::move(Object));
    }
    std::shared_ptr<void> Take(const QString& Key) override { return FSchema.Take(Key); }
    // Raises EDatabaseError for a table that does not exist. A default that is a literal
    // string, number or NULL reads as its value, any other as its expression text; an
    // autoincrement column has none.
    QList<TColumnInfo> TableColumns(const QString& Table) override;
    // The primary key first, then the others in the order made.
    QList<TIndexInfo> TableIndexes(const QString& Table) override;

    QString ColumnTypeSql(TFieldType Type, int Size) const override;
    TFieldType FieldTypeOf(const TColumnInfo& Column, int& Size) const override;

    bool IsSQLBased() const override { return true; }
    // The table's single integer primary key column, quoted; raises when there is none.
    QString RowIdColumn(const QString& Table) override;
    QString AutoIncrementColumnSql(const QString& QuotedName) const override {
        return QuotedName + QStringLiteral(" serial PRIMARY KEY");
    }
    // Sets the column's sequence (of a serial or identity column) past the largest value.
    void ContinueAutoIncrement(const QString& Table, const QString& Column) override;
    // The server puts nulls last in ascending order unless told otherwise.
    QString IndexOrderSql(bool Descending) const override {
        return Descending ? QStringLiteral(" DESC NULLS LAST") : QStringLiteral(" NULLS FIRST");
    }
    // An expression: the index becomes an expression index on lower(column).
    QString CaseInsensitiveIndexColumn(const QString& QuotedName) const override {
        return QStringLiteral("lower(%1)").arg(QuotedName);
    }
    QString FoldCase(const QString& Value) const override { return Value.toLower(); }
    // A column's collation (the database's, most often a language's) orders by words: the
    // expression in collation "C", or in the database's own where that orders by code
    // point (C, POSIX, C.UTF-8 of the C library), so that the indexes serve it.
    QString CodePointOrdered(const QString& Expression) const override;
    // Kept until this connection changes the schema.
    QHash<QString, QString> StoredNames() override;
    // Adds the hidden column unless the table has a single integer primary key.
    void EnsureRowKey(const QString& Table) override;

private:
    // The text the server runs: LIKE as local SQL has it (PostgresLikeSql), its function
    // made on first use.
    QString ServerSql(const QString& Sql);
    // The oid of the table of that name, an exact match first; 0 when there is none.
    qint64 FindTable(const QString& Table);

    // What the schema calls read is kept until this connection changes the schema (another
    // client's changes are seen once the connection is made again).
    void ForgetSchema();
    QList<TColumnInfo> ReadTableColumns(const QString& Table);
    QList<TIndexInfo> ReadTableIndexes(const QString& Table);
    QString ReadRowIdColumn(const QString& Table);

    // Whether the database's collation orders texts by code point; asked on first use.
    bool CodePointCollation() const;

    std::shared_ptr<TPostgresSession> FSession;
    mutable std::optional<bool> FCodePointCollation;
    std::optional<QHash<QString, QString>> FStoredNames;
    TSchemaCache FSchema;
};
