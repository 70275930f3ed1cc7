#pragma once

#include "FieldType.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <rtl/Variant.h>

// The engine side of the dataset layer: a connection to one database of an engine
// (SQLite, PostgreSQL) and its prepared statements. Engine errors raise EDatabaseError
// with the engine's message. Values cross as Variants: Null, qint64, double, QString,
// QByteArray (blobs); dates and times as the engine stores them (text for SQLite).

class TDbStatement {
public:
    virtual ~TDbStatement() = default;
    // Parameters are numbered from 0 in the order of their "?" in the text.
    virtual void Bind(int Index, const Variant& Value) = 0;
    virtual void ClearBindings() = 0;
    // Runs the statement, or moves to its next row; false when there is no (further) row.
    virtual bool Step() = 0;
    // Makes the statement ready to run again with new bindings.
    virtual void Reset() = 0;
    virtual int ColumnCount() const = 0;
    virtual QString ColumnName(int Index) const = 0;
    virtual Variant Column(int Index) const = 0;
    // Appends the current row's columns to Row, in order.
    virtual void AppendRow(QList<Variant>& Row) const;
    virtual qint64 RowsAffected() const = 0;
};

// A column of a table as the engine's schema declares it.
struct TColumnInfo {
    QString Name;
    QString DeclaredType; // as written at creation, e.g. "VARCHAR(30)"
    bool NotNull = false;
    bool PrimaryKey = false;
    bool AutoIncrement = false;
    Variant Default;

    bool operator==(const TColumnInfo&) const = default;
};

struct TIndexInfo {
    QString Name;
    QStringList Fields; // in index order
    bool Primary = false;
    bool Unique = false;
    bool Descending = false;
    bool CaseInsensitive = false;
    bool Expression = false;
};

// The column EnsureRowKey adds; it is left out of a table's columns.
inline constexpr const char* HiddenRowKey = "kro_row";

class TDbConnection {
public:
    virtual ~TDbConnection() = default;

    // A number no other connection of the process had: what is derived from a connection
    // is kept under it.
    quint64 Serial() const { return FSerial; }

    virtual std::unique_ptr<TDbStatement> Prepare(const QString& Sql) = 0;
    // Runs a statement (or several separated by ";" when Params is empty).
    virtual qint64 Execute(const QString& Sql, const QVariantList& Params = {}) = 0;
    // The first column of the first row, or Null.
    virtual Variant Scalar(const QString& Sql, const QVariantList& Params = {}) = 0;
    virtual qint64 LastInsertId() = 0;
    // Runs an INSERT and gives the row key (column RowKey) of the row it made.
    virtual Variant Insert(const QString& Sql, const QVariantList& Params, const QString& RowKey);

    virtual void StartTransaction() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    virtual bool InTransaction() const = 0;

    virtual QStringList TableNames() = 0;
    virtual bool TableExists(const QString& Table) = 0;
    virtual QList<TColumnInfo> TableColumns(const QString& Table) = 0;
    virtual QList<TIndexInfo> TableIndexes(const QString& Table) = 0;

    // The engine's column type for a field type and size, and back: the type and size of
    // a column as declared. Every field type round-trips through the schema.
    virtual QString ColumnTypeSql(TFieldType Type, int Size) const = 0;
    virtual TFieldType FieldTypeOf(const TColumnInfo& Column, int& Size) const = 0;

    // True for a database server shared by several users (PostgreSQL).
    virtual bool IsSQLBased() const = 0;
    // Whether the database takes no writes at all (a file opened for reading only).
    virtual bool ReadOnly() const { return false; }
    // The column (quoted as needed) that identifies a row of Table and orders the rows
    // that are otherwise equal: "rowid" for SQLite, the integer key elsewhere.
    virtual QString RowIdColumn(const QString& Table) = 0;
    // The column definition of an autoincrementing key column named QuotedName.
    virtual QString AutoIncrementColumnSql(const QString& QuotedName) const = 0;
    // Makes new rows of Table continue after the largest value of its autoincrement column
    // Column, once rows were written with explicit values there. Engines whose counter
    // follows the values written (SQLite's AUTOINCREMENT) need nothing.
    virtual void ContinueAutoIncrement(const QString& /*Table*/, const QString& /*Column*/) {}
    // What follows a column in an index definition for the order the datasets read in:
    // nulls before every other value when ascending, after them when descending.
    virtual QString IndexOrderSql(bool Descending) const {
        return Descending ? QStringLiteral(" DESC") : QString();
    }
    // What follows a column in an index definition to compare it ignoring case.
    virtual QString CaseInsensitiveIndexColumn(const QString& QuotedName) const = 0;
    // A value compared with such a column, folded as the column is (identity where the
    // engine's comparison itself ignores case).
    virtual QString FoldCase(const QString& Value) const { return Value; }
    // An expression that is Expression (text) in Unicode lower case, as QString::toLower
    // gives it: every letter compares ignoring case, where the index form may fold fewer.
    virtual QString LowerCaseColumn(const QString& Expression) const {
        return CaseInsensitiveIndexColumn(Expression);
    }
    // Expression (text) compared in code point order, whatever collation its column has:
    // the order of the ranges the datasets search and filter by.
    virtual QString CodePointOrdered(const QString& Expression) const { return Expression; }
    QString QuoteName(const QString& Name) const;
    // Names of tables and columns as stored, by their lower-case form, where the engine
    // folds unquoted names to lower case and would not find mixed-case names written
    // without quotes; empty where the engine matches names ignoring case.
    virtual QHash<QString, QString> StoredNames() { return {}; }
    // Gives Table (just made, or a query's written result) a key for its rows where the
    // engine has none of its own: the hidden column HiddenRowKey, numbered in the order
    // the rows have now.
    virtual void EnsureRowKey(const QString& /*Table*/) {}
    // The version of Table's rows the next query reads, when the engine follows them: two
    // reads of Table under the same non-zero version read the same rows (nothing written
    // to it by this connection, nothing committed by another, between them). An empty
    // Table: any table. Zero when the next query may see rows changed since the last one.
    virtual quint64 ReadVersion(const QString& /*Table*/) { return 0; }
    // Keeps what a closed dataset leaves for its next open (its reader and prepared
    // statements) under Key, a few of them, while the schema stays; Take gives it back
    // once. A connection that keeps nothing gives nothing back.
    virtual void Keep(const QString& /*Key*/, std::shared_ptr<void> /*Object*/) {}
    virtual std::shared_ptr<void> Take(const QString& /*Key*/) { return nullptr; }

protected:
    // A prepared statement with Params bound in order.
    std::unique_ptr<TDbStatement> PrepareWith(const QString& Sql, const QVariantList& Params);

private:
    static inline std::atomic<quint64> FSerials = 0;
    const quint64 FSerial = ++FSerials;
};
