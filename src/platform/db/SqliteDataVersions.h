#pragma once

#include <QHash>
#include <QString>
#include <array>
#include <functional>
#include <optional>

struct sqlite3;

// Numbers that tell a connection's reads of a table apart: the version of a table stays
// the same while its rows stay the same as this connection sees them, and changes when
// the connection writes to it (reported row by row through SQLite's update hook, triggers
// and cascades included) or when another connection commits anything (seen as a new
// data version of the file once a read transaction starts). Writes the hook does not
// report (tables without rowid, a truncation, schema changes) change every version.
class TSqliteDataVersions {
public:
    explicit TSqliteDataVersions(sqlite3* Db);
    ~TSqliteDataVersions();
    TSqliteDataVersions(const TSqliteDataVersions&) = delete;
    TSqliteDataVersions& operator=(const TSqliteDataVersions&) = delete;

    // A read transaction found the file at DataVersion (PRAGMA data_version, which other
    // connections' commits change): every version changes when it is not the last seen.
    void Seen(qint64 DataVersion);
    // Around a statement that may write: the rows it changed by SQLite's count
    // (sqlite3_total_changes) against those the hook reported.
    void BeforeWrite();
    void AfterWrite(qint64 ChangedRows);
    // Of the table named Table when Followed (an ordinary table, whose rows the hook
    // reports), else of the whole database. Followed is asked once a table while no data
    // changes (a changed schema changes every version).
    quint64 Of(const QString& Table, const std::function<bool()>& Followed);

    // A name as SQLite compares names: ASCII letters in lower case.
    static QString Folded(QString Name);

private:
    static void RowChanged(void* Self, int Operation, const char* Database, const char* Table,
                           long long RowId);
    void ChangeAll();

    sqlite3* FDb;
    quint64 FLatest = 0;     // the last number given to any change
    quint64 FAllChanged = 0; // when every table last changed
    QHash<QString, quint64> FTables;
    // The last answers of Of, good while FLatest stays: lookups ask them again and again.
    struct TAnswer {
        QString Table;
        quint64 Latest = 0;
        quint64 Version = 0;
    };
    std::array<TAnswer, 4> FAnswers;
    std::size_t FNextAnswer = 0;
    std::optional<qint64> FDataVersion;
    // The last table the hook reported, while no version was read after: its further rows
    // need no new number.
    QByteArray FLastReported;
    bool FVersionRead = true;
    qint64 FReported = 0;       // rows reported in all
    qint64 FReportedBefore = 0; // at the start of the current write
};
