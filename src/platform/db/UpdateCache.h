#pragma once

#include "Record.h"

#include <functional>
#include <optional>

// The changes of a dataset with cached updates: records edited, deleted or inserted but
// not yet written. It shows the engine's records through those changes: edited ones with
// their new values where the engine has them (at the place of their original values),
// deleted ones not at all, inserted ones that the dataset's condition admits after the
// last record.
class TUpdateCache {
public:
    // Reading the engine's records, as the dataset's descendant does.
    struct TSource {
        std::function<QList<TRecord>(bool After, const TRecord* From, int Count)> Fetch;
        std::function<std::optional<TRecord>(const TBookmark&)> FetchBookmark;
        std::function<qint64()> Count;
        std::function<qint64(const TRecord&)> Position; // 1-based
        // Whether a record meets the condition the engine applies (master, filter).
        std::function<bool(const TRecord&)> Admits;
    };

    bool IsEmpty() const { return FEdited.isEmpty() && FDeleted.isEmpty() && FInserted.isEmpty(); }
    void Clear();

    // Keeps a posted record; returns its bookmark (a new one for an inserted record).
    TBookmark Post(const TRecord& Record, const TRecord* Original);
    void Delete(const TRecord& Record);

    QList<TRecord> First(const TSource& Source, int Count) const;
    QList<TRecord> Last(const TSource& Source, int Count) const;
    QList<TRecord> After(const TSource& Source, const TRecord& From, int Count) const;
    QList<TRecord> Before(const TSource& Source, const TRecord& From, int Count) const;
    std::optional<TRecord> Find(const TSource& Source, const TBookmark& Bookmark) const;
    qint64 Count(const TSource& Source) const;
    qint64 Position(const TSource& Source, const TRecord& Record) const;

    // The changes in the order they are written: deletions, edits, insertions.
    struct TChange {
        enum TKind { ckDelete, ckEdit, ckInsert } Kind;
        TRecord Record;
        TRecord Original;
    };
    QList<TChange> Changes() const;

private:
    bool IsInserted(const TBookmark& Bookmark) const;
    int InsertedIndex(const TBookmark& Bookmark) const;
    // The engine's records from From on, without the deleted ones and with the edits.
    QList<TRecord> Visible(const TSource& Source, bool After, const TRecord* From, int Count) const;
    const TRecord& Shown(const TRecord& Record) const;
    // The record as the engine holds it: the original of an edited or deleted one.
    const TRecord& Stored(const TRecord& Record) const;
    bool IsDeleted(const TBookmark& Bookmark) const;
    // The inserted records the source admits, in the order they were inserted.
    QList<TRecord> Inserted(const TSource& Source) const;
    int AdmittedIndex(const QList<TRecord>& Inserted, const TBookmark& Bookmark) const;

    QList<QPair<TRecord, TRecord>> FEdited; // new and original record
    QList<TRecord> FDeleted;
    QList<TRecord> FInserted;
    int FNextInserted = 1;
};
