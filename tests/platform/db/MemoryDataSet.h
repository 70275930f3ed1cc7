#pragma once

#include <db/DataSet.h>

// A dataset over records kept in memory, in the order they were posted. The columns are
// the FieldDefs the user adds before opening; the records stay when the dataset closes.
class TMemoryDataSet : public TDataSet {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TMemoryDataSet(TComponent* AOwner = nullptr);
    ~TMemoryDataSet() override;

    // Adds a record with these column values as they are, without conversion; an open
    // dataset shows it after Refresh.
    void AppendRecord(const QList<Variant>& Values);
    const QList<TRecord>& Records() const { return FRecords; }

protected:
    void InternalClose() override {}
    void InternalInitFieldDefs() override {}
    QList<TRecord> InternalFetch(TFetchDirection Direction, const TRecord* From,
                                 int Count) override;
    std::optional<TRecord> InternalFetchBookmark(const TBookmark& Bookmark) override;
    qint64 InternalRecordCount() override { return FRecords.size(); }
    qint64 InternalRecNo(const TRecord& Record) override;
    TBookmark InternalPost(const TRecord& Record, const TRecord* Original) override;
    void InternalDelete(const TRecord& Record) override;

private:
    // Records are ordered by their bookmark, a number that grows with each new record,
    // so a position is known even for a record that has just been deleted.
    qsizetype FirstAfter(const TBookmark& Bookmark) const;
    qsizetype IndexOf(const TBookmark& Bookmark) const;

    QList<TRecord> FRecords;
    qint64 FNextBookmark = 1;
};
