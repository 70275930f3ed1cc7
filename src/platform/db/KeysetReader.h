#pragma once

#include "Connection.h"

#include <QHash>
#include <optional>

// What a keyset reader reads: the selected columns of a source, the rows a condition
// admits, in the order of some of the columns and then the row key.
struct TKeysetSource {
    QString From;             // a quoted table name
    QStringList Columns;      // quoted column names, selected in this order
    QString RowKey;           // the row key column, selected last
    QString Where;            // a condition (without WHERE), or empty
    QVariantList WhereParams; // the values of its "?" in order
    QList<int> OrderColumns;  // indexes into Columns
    QList<bool> Descending;   // per order column
    QList<bool> IgnoreCase;   // per order column: compared in the engine's case-insensitive form
    QList<bool> NotNull;      // per order column: holds no null (declared so, or by Where)
};

// Reads rows of a source a window at a time in its order, relative to a known row:
// keyset paging, so that reading near the end costs what reading near the start does,
// and nothing depends on how many rows there are. A row is the values of the selected
// columns followed by the row key. Nulls come first in ascending order.
//
// The rows beyond a row are read as a sequence of index ranges (rows equal in the first
// order columns and beyond in the next one), each a query the engine answers by seeking
// in an index, until enough rows are read; a row of non-null values over ascending columns
// is passed forward in one row-value comparison, and backward too over one column. The SQL
// of each range is built and prepared once.
class TKeysetReader {
public:
    using TRow = QVariantList;

    TKeysetReader(TDbConnection* Connection, TKeysetSource Source);

    const TKeysetSource& Source() const { return FSource; }
    // The expression order column I is compared by, and a value as it is compared with it.
    QString OrderTerm(int I) const;
    Variant OrderParam(int I, const Variant& Value) const;
    // New values for the condition's parameters (a detail's master key): the prepared
    // statements stay.
    void SetWhereParams(const QVariantList& Params) { FSource.WhereParams = Params; }
    QList<TRow> First(int Count);
    QList<TRow> Last(int Count);
    // The rows just after or before From, in the source's order.
    QList<TRow> After(const TRow& From, int Count);
    QList<TRow> Before(const TRow& From, int Count);
    std::optional<TRow> ByKey(const Variant& Key);
    // The first row, in the order, that also meets Condition (with its parameters). Fenced,
    // the condition is applied in a subquery the planner of a server cannot merge, so it
    // reads the rows through the condition's index and sorts them, where it would walk
    // the order's index and filter (a row-level subquery: not for SQLite's rowid).
    std::optional<TRow> FirstMatching(const QString& Condition, const QVariantList& Params,
                                      bool Fenced = false);
    qint64 Count();
    // The number of rows before Row in the order.
    qint64 CountBefore(const TRow& Row);

private:
    // One range of rows beyond a row: those equal to it in the first Prefix order columns
    // (nulls where it has nulls) and then, at the next column, beyond it, null, or, past
    // the last column, with a row key beyond it.
    enum TRangeKind { rkBeyond, rkNull, rkNotNull, rkRowValue };
    struct TRange {
        int Prefix;
        TRangeKind Kind;
    };
    QList<TRange> Ranges(const TRow& Row, bool After) const;
    // The rows beyond From, nearest first, range after range until Count are read.
    QList<TRow> Beyond(const TRow& From, bool After, int Count);
    QString RangeSql(const TRow& Row, const TRange& Range, bool After, bool Counting) const;
    QString SelectSql(const QString& Condition, bool Reverse) const;
    QString WhereWith(const QString& Condition) const;
    // The binders give the index of the parameter after the values they bound. BindSource
    // resets Prepared and binds the source's condition values from its first parameter;
    // BindRange binds, from Index on, the values of Row a range compares with, straight
    // from the row (folded where the order column ignores case).
    int BindSource(TDbStatement* Prepared) const;
    static int BindList(TDbStatement* Prepared, int Index, const QVariantList& Params);
    int BindRange(TDbStatement* Prepared, int Index, const TRow& Row, const TRange& Range) const;
    void BindOrderParam(TDbStatement* Prepared, int Index, int I, const Variant& Value) const;
    // Binds Count as the limit at Index, runs Prepared and reads its rows.
    static QList<TRow> Rows(TDbStatement* Prepared, int Index, int Count);
    // Runs Prepared with the source's values and Params.
    QList<TRow> Query(TDbStatement* Prepared, const QVariantList& Params, int Count);
    // Runs a counting statement, bound up to its last parameter.
    static qint64 CountRows(TDbStatement* Prepared);
    TDbStatement* Statement(const QString& Sql);
    // The statement kept in Slot, prepared from the SQL MakeSql gives when first needed: a
    // reader reopened for a few rows builds only the statements it runs.
    template <class TMakeSql> TDbStatement* Kept(TDbStatement*& Slot, TMakeSql MakeSql) {
        if (!Slot)
            Slot = Statement(MakeSql());
        return Slot;
    }
    // The statement of a range, built and prepared once per row shape (which values are
    // null).
    TDbStatement* RangeStatement(const TRow& Row, const TRange& Range, bool After, bool Counting);

    TDbConnection* FConnection;
    TKeysetSource FSource;
    QString FSelectList;
    QString FOrderBy[2];                                       // forward, reverse
    QHash<QString, std::shared_ptr<TDbStatement>> FStatements; // own the statements below
    TDbStatement* FFirst[2] = {}; // the first rows, forward and reverse
    TDbStatement* FByKey = nullptr;
    TDbStatement* FCount = nullptr;
    QHash<quint64, TDbStatement*> FRangeStatements;
    QHash<QString, TDbStatement*> FMatching[2]; // by condition, plain and fenced
};
