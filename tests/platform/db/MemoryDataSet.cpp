#include "MemoryDataSet.h"

#include <algorithm>

TMemoryDataSet::TMemoryDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TMemoryDataSet::~TMemoryDataSet() {
    CloseOnDestroy();
}

void TMemoryDataSet::AppendRecord(const QList<Variant>& Values) {
    TRecord record;
    record.Values = Values;
    InternalPost(record, nullptr);
}

qsizetype TMemoryDataSet::FirstAfter(const TBookmark& Bookmark) const {
    const qint64 key = Bookmark.toLongLong();
    const auto it =
        std::upper_bound(FRecords.begin(), FRecords.end(), key,
                         [](qint64 k, const TRecord& r) { return k < r.Bookmark.toLongLong(); });
    return it - FRecords.begin();
}

qsizetype TMemoryDataSet::IndexOf(const TBookmark& Bookmark) const {
    if (VarIsNull(Bookmark))
        return -1;
    const qsizetype i = FirstAfter(Bookmark) - 1;
    return i >= 0 && FRecords[i].Bookmark.toLongLong() == Bookmark.toLongLong() ? i : -1;
}

QList<TRecord> TMemoryDataSet::InternalFetch(TFetchDirection Direction, const TRecord* From,
                                             int Count) {
    const qsizetype size = FRecords.size();
    qsizetype begin = 0;
    qsizetype end = size;
    if (Direction == fdFirst || (Direction == fdAfter && !From)) {
        end = qMin<qsizetype>(Count, size);
    } else if (Direction == fdLast || (Direction == fdBefore && !From)) {
        begin = qMax<qsizetype>(0, size - Count);
    } else if (Direction == fdAfter) {
        begin = FirstAfter(From->Bookmark);
        end = qMin(size, begin + Count);
    } else {
        end = FirstAfter(From->Bookmark);
        if (IndexOf(From->Bookmark) >= 0)
            --end;
        begin = qMax<qsizetype>(0, end - Count);
    }
    return FRecords.mid(begin, end - begin);
}

std::optional<TRecord> TMemoryDataSet::InternalFetchBookmark(const TBookmark& Bookmark) {
    const qsizetype i = IndexOf(Bookmark);
    if (i < 0)
        return std::nullopt;
    return FRecords[i];
}

qint64 TMemoryDataSet::InternalRecNo(const TRecord& Record) {
    return IndexOf(Record.Bookmark) + 1;
}

TBookmark TMemoryDataSet::InternalPost(const TRecord& Record, const TRecord* Original) {
    TRecord stored;
    stored.Values = Record.Values;
    if (const qsizetype i = Original ? IndexOf(Original->Bookmark) : -1; i >= 0) {
        stored.Bookmark = FRecords[i].Bookmark;
        FRecords[i] = stored;
    } else {
        stored.Bookmark = FNextBookmark++;
        FRecords.append(stored);
    }
    return stored.Bookmark;
}

void TMemoryDataSet::InternalDelete(const TRecord& Record) {
    if (const qsizetype i = IndexOf(Record.Bookmark); i >= 0)
        FRecords.removeAt(i);
}
