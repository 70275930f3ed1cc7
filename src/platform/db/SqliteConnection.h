#pragma once

#include "Connection.h"
#include "SchemaCache.h"

class TSqliteDatabase;

// A connection to an SQLite database file, created on first use (its directory must
// exist) and removed again when the connection leaves it without a table. A file that
// cannot be opened for writing (read-only media or folder) is opened for reading only,
// where writing raises "read-only". Otherwise the file is opened in WAL journal mode with
// synchronous=NORMAL, so a crash in the middle of a write leaves it consistent, with memory mapping
// and a large page cache for reading in index order, and with foreign keys enforced. A writer
// finding the file locked by another connection waits up to BusyTimeout, then raises
// EDatabaseError.
//
// Values bind as: Null; bool as 0/1; integers; double; QString as UTF-8 text; QByteArray
// as a blob; QDate as "yyyy-MM-dd", QTime as "HH:mm:ss.zzz", QDateTime as
// "yyyy-MM-dd HH:mm:ss.zzz" in local time. Columns read back by storage class: Null,
// qint64, double, QString or QByteArray.
//
// Prepared statements are cached by SQL text; every statement Prepare returns is
// independent of the others and may outlive the connection.
//
// Field types and column types (ColumnTypeSql / FieldTypeOf). Each declared type is
// distinct, so it maps back, and gives the column SQLite's affinity for the values:
//   ftString      VARCHAR(n)          TEXT     Size n
//   ftSmallint    SMALLINT            INTEGER
//   ftInteger     INT                 INTEGER
//   ftWord        UNSIGNED SMALLINT   INTEGER
//   ftLargeint    BIGINT              INTEGER  and INTEGER, SQLite's own 64-bit integer
//   ftAutoInc     INTEGER             INTEGER  declared PRIMARY KEY AUTOINCREMENT by the
//                                              table's creator; read back by AutoIncrement
//   ftFloat       DOUBLE              REAL
//   ftCurrency    MONEY REAL          REAL
//   ftBCD         DECIMAL(32,n)       NUMERIC  Size n: digits after the decimal point
//   ftBoolean     BOOLEAN             NUMERIC  stores 0/1
//   ftDate        DATE                NUMERIC  text "yyyy-MM-dd" stays text
//   ftTime        TIME                NUMERIC  text "HH:mm:ss.zzz"
//   ftDateTime    TIMESTAMP           NUMERIC  text "yyyy-MM-dd HH:mm:ss.zzz"
//   ftMemo        MEMO TEXT           TEXT
//   ftFmtMemo     FMTMEMO TEXT        TEXT
//   ftBlob        BLOB                BLOB
//   ftGraphic     GRAPHIC BLOB        BLOB
//   ftTypedBinary TYPEDBINARY BLOB    BLOB
//   ftBytes       BYTES BLOB(n)       BLOB     Size n
//   ftVarBytes    VARBYTES BLOB(n)    BLOB     Size n
// Other field types have no column type (EDatabaseError). Any other declared type maps by
// SQLite's affinity rules: containing INT gives ftInteger; CHAR, CLOB or TEXT gives
// ftString of the declared size, or ftMemo without one; BLOB or nothing gives ftBlob; REAL,
// FLOA, DOUB or anything else gives ftFloat. Names ignore case and surplus spaces.
class TSqliteConnection : public TDbConnection {
public:
    explicit TSqliteConnection(const QString& FileName);
    ~TSqliteConnection() override;

    const QString& FileName() const { return FFileName; }
    int BusyTimeout() const { return FBusyTimeout; }
    void SetBusyTimeout(int Milliseconds);
    // Queries started within ReadBurstAge of the first query of a burst share its read
    // transaction, so they take no lock (TSqliteReadBurst); the burst also ends when the
    // event loop runs or the connection writes. Zero, and always when the file is not in
    // WAL mode: every query reads in a transaction of its own.
    int ReadBurstAge() const;
    void SetReadBurstAge(int Milliseconds);
    // Joins or starts the read burst the next query reads in (see TSqliteDataVersions).
    quint64 ReadVersion(const QString& Table) override;
    void Keep(const QString& Key, std::shared_ptr<void> Object) override;
    std::shared_ptr<void> Take(const QString& Key) override;

    std::unique_ptr<TDbStatement> Prepare(const QString& Sql) override;
    qint64 Execute(const QString& Sql, const QVariantList& Params = {}) override;
    Variant Scalar(const QString& Sql, const QVariantList& Params = {}) override;
    qint64 LastInsertId() override;

    // StartTransaction begins an immediate transaction, which takes the write lock at once.
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override;

    QStringList TableNames() override; // user tables, sorted ignoring case
    bool TableExists(const QString& Table) override;
    // Raises EDatabaseError for a table that does not exist. A default that is a literal
    // string, number or NULL reads as its value; any other default as its expression text.
    QList<TColumnInfo> TableColumns(const QString& Table) override;
    // The primary key comes first; an INTEGER PRIMARY KEY column, which SQLite keeps as the
    // rowid without an index, is reported as the index "PRIMARY". Fields lists the indexed
    // columns; the expressions of an index on expressions are not in it.
    QList<TIndexInfo> TableIndexes(const QString& Table) override;

    QString ColumnTypeSql(TFieldType Type, int Size) const override;
    TFieldType FieldTypeOf(const TColumnInfo& Column, int& Size) const override;

    bool IsSQLBased() const override { return false; }
    // The first of SQLite's names for the rowid that no column of Table takes.
    QString RowIdColumn(const QString& Table) override;
    QString AutoIncrementColumnSql(const QString& QuotedName) const override {
        return QuotedName + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
    }
    QString CaseInsensitiveIndexColumn(const QString& QuotedName) const override {
        return QuotedName + QStringLiteral(" COLLATE NOCASE");
    }
    // NOCASE compares ASCII letters in lower case; ranges need their bounds folded alike.
    QString FoldCase(const QString& Value) const override;
    // kro_lower, a function of the connection: Unicode lower case.
    QString LowerCaseColumn(const QString& Expression) const override {
        return QStringLiteral("kro_lower(%1)").arg(Expression);
    }
    // A column declared with another collation (NOCASE, say) would order by it.
    QString CodePointOrdered(const QString& Expression) const override {
        return QStringLiteral("(%1) COLLATE BINARY").arg(Expression);
    }

    // Whether the file was opened for reading only (read-only media or folder).
    bool ReadOnly() const override;

private:
    qint64 ExecuteScript(const QString& Sql);
    // The schema calls' results, checked against the file's schema version.
    TSchemaCache& Schema();
    QList<TColumnInfo> ReadTableColumns(const QString& Table);
    QList<TIndexInfo> ReadTableIndexes(const QString& Table);
    QString ReadRowIdColumn(const QString& Table);
    // An ordinary table with a rowid (not a view, a virtual table or one without rowid).
    bool IsRowIdTable(const QString& Table);
    void OpenReadOnly();
    // The connection's functions and settings.
    void Configure();

    QString FFileName;
    int FBusyTimeout = 5000;
    int FReadBurstAge = 50;
    bool FWriteAhead = false;
    std::shared_ptr<TSqliteDatabase> FDatabase;
    TSchemaCache FSchema;
    quint64 FSchemaBurst = 0; // the read burst whose schema FSchema was checked against
};
