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
};

// Reads rows of a source a window at a time in its order, relative to a known row:
// keyset paging, so that reading near the end costs what reading near the start does,
// and nothing depends on how many rows there are. A row is the values of the selected
// columns followed by the row key. Nulls come first in ascending order.
class TKeysetReader {
public:
    using TRow = QVariantList;

    TKeysetReader(TDbConnection* Connection, TKeysetSource Source);

    const TKeysetSource& Source() const { return FSource; }
    QList<TRow> First(int Count);
    QList<TRow> Last(int Count);
    // The rows just after or before From, in the source's order.
    QList<TRow> After(const TRow& From, int Count);
    QList<TRow> Before(const TRow& From, int Count);
    std::optional<TRow> ByKey(const Variant& Key);
    qint64 Count();
    // The number of rows before Row in the order.
    qint64 CountBefore(const TRow& Row);

private:
    struct TCondition {
        QString Sql;
        QVariantList Params;
    };
    QString SelectList() const;
    QString OrderBy(bool Reverse) const;
    QString WhereWith(const QString& Condition) const;
    // Rows strictly after (or before) Row in the order.
    TCondition Beyond(const TRow& Row, bool After) const;
    QList<TRow> Query(const QString& Sql, const QVariantList& Params, int Count);
    TDbStatement* Statement(const QString& Sql);

    TDbConnection* FConnection;
    TKeysetSource FSource;
    QHash<QString, std::shared_ptr<TDbStatement>> FStatements;
};
