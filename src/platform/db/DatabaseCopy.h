#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class TDatabase;

// A step of a copy, as it is reported.
struct TCopyStep {
    enum TKind {
        TableStarted, // Rows: 0, TotalRows: the rows of the source table
        RowsCopied,   // Rows: copied so far
        TableCopied,  // Rows: all copied
        IndexSkipped, // Index and Reason say which and why
    };
    TKind Kind = TableStarted;
    QString Table;
    qint64 Rows = 0;
    qint64 TotalRows = 0;
    QString Index;
    QString Reason;
};
using TCopyProgress = std::function<void(const TCopyStep& Step)>;

struct TCopyOptions {
    // Drops the tables of the target that have the name of a source table; else such a
    // table fails the copy before anything is written.
    bool Replace = false;
    // Rows per prepared insert (fewer where a table has many columns).
    int BatchRows = 200;
    TCopyProgress Progress;
};

struct TCopiedTable {
    QString Name;
    qint64 Rows = 0;
    QStringList SkippedIndexes; // indexes on expressions, which cannot be made again
};

// Copies every table of Source into Target, which may be of another engine: the columns
// with their field types, sizes, NOT NULL and the autoincrement key, the indexes (unique,
// descending, ignoring case; one on an expression is reported and skipped), and all rows,
// read a page at a time by the row key and written by prepared inserts in batches, all in
// one transaction on the target: a failure leaves the target as it was. Autoincrement
// columns keep their values and the target's counter continues after the largest.
//
// Raises EDatabaseError before writing anything when a table exists in the target (unless
// Replace), when Source and Target are the same database object, or when a table cannot
// be read by a row key. The datasets reach the databases by DatabaseName, so each needs
// one that names it and no other database of the session, and must not be temporary.
QList<TCopiedTable> CopyDatabase(TDatabase* Source, TDatabase* Target,
                                 const TCopyOptions& Options = {});
// The same between the databases of two aliases of the session.
QList<TCopiedTable> CopyDatabase(const QString& SourceAlias, const QString& TargetAlias,
                                 const TCopyOptions& Options = {});
