#include "UpdateCache.h"

#include <algorithm>

namespace {
bool SameBookmark(const TBookmark& a, const TBookmark& b) {
    return a.metaType() == b.metaType() && VarSameValue(a, b);
}
} // namespace

void TUpdateCache::Clear() {
    FEdited.clear();
    FDeleted.clear();
    FInserted.clear();
}

bool TUpdateCache::IsInserted(const TBookmark& Bookmark) const {
    return InsertedIndex(Bookmark) >= 0;
}

int TUpdateCache::InsertedIndex(const TBookmark& Bookmark) const {
    for (int i = 0; i < FInserted.size(); ++i)
        if (SameBookmark(FInserted[i].Bookmark, Bookmark))
            return i;
    return -1;
}

TBookmark TUpdateCache::Post(const TRecord& Record, const TRecord* Original) {
    if (!Original) {
        TRecord inserted = Record;
        inserted.Bookmark = QStringLiteral("new%1").arg(FNextInserted++);
        FInserted << inserted;
        return inserted.Bookmark;
    }
    if (const int i = InsertedIndex(Original->Bookmark); i >= 0) {
        FInserted[i] = Record;
        return Record.Bookmark;
    }
    for (auto& [edited, original] : FEdited)
        if (SameBookmark(edited.Bookmark, Record.Bookmark)) {
            edited = Record;
            return Record.Bookmark;
        }
    FEdited.append({Record, *Original});
    return Record.Bookmark;
}

void TUpdateCache::Delete(const TRecord& Record) {
    if (const int i = InsertedIndex(Record.Bookmark); i >= 0) {
        FInserted.removeAt(i);
        return;
    }
    for (qsizetype i = 0; i < FEdited.size(); ++i)
        if (SameBookmark(FEdited[i].first.Bookmark, Record.Bookmark)) {
            FDeleted << FEdited[i].second;
            FEdited.removeAt(i);
            return;
        }
    FDeleted << Record;
}

const TRecord& TUpdateCache::Shown(const TRecord& Record) const {
    for (const auto& [edited, original] : FEdited)
        if (SameBookmark(edited.Bookmark, Record.Bookmark))
            return edited;
    return Record;
}

const TRecord& TUpdateCache::Stored(const TRecord& Record) const {
    for (const auto& [edited, original] : FEdited)
        if (SameBookmark(edited.Bookmark, Record.Bookmark))
            return original;
    for (const TRecord& d : FDeleted)
        if (SameBookmark(d.Bookmark, Record.Bookmark))
            return d;
    return Record;
}

bool TUpdateCache::IsDeleted(const TBookmark& Bookmark) const {
    return std::any_of(FDeleted.begin(), FDeleted.end(),
                       [&](const TRecord& d) { return SameBookmark(d.Bookmark, Bookmark); });
}

QList<TRecord> TUpdateCache::Inserted(const TSource& Source) const {
    QList<TRecord> admitted;
    for (const TRecord& record : FInserted)
        if (!Source.Admits || Source.Admits(record))
            admitted << record;
    return admitted;
}

int TUpdateCache::AdmittedIndex(const QList<TRecord>& Inserted, const TBookmark& Bookmark) const {
    for (int i = 0; i < Inserted.size(); ++i)
        if (SameBookmark(Inserted[i].Bookmark, Bookmark))
            return i;
    return -1;
}

QList<TRecord> TUpdateCache::Visible(const TSource& Source, bool After, const TRecord* From,
                                     int Count) const {
    QList<TRecord> result;
    std::optional<TRecord> cursor;
    if (From)
        cursor = Stored(*From);
    while (result.size() < Count) {
        const int wanted = Count - int(result.size()) + int(FDeleted.size());
        QList<TRecord> read = Source.Fetch(After, cursor ? &*cursor : nullptr, wanted);
        if (read.isEmpty())
            break;
        cursor = After ? read.last() : read.first();
        if (!After)
            std::reverse(read.begin(), read.end());
        for (const TRecord& record : read)
            if (!IsDeleted(record.Bookmark) && result.size() < Count)
                result << Shown(record);
        if (read.size() < wanted)
            break;
    }
    if (!After)
        std::reverse(result.begin(), result.end());
    return result;
}

QList<TRecord> TUpdateCache::First(const TSource& Source, int Count) const {
    QList<TRecord> result = Visible(Source, true, nullptr, Count);
    if (result.size() < Count)
        result += Inserted(Source).mid(0, Count - result.size());
    return result;
}

QList<TRecord> TUpdateCache::Last(const TSource& Source, int Count) const {
    const QList<TRecord> inserted = Inserted(Source);
    QList<TRecord> result = inserted.mid(qMax<qsizetype>(0, inserted.size() - Count));
    if (result.size() < Count)
        result = Visible(Source, false, nullptr, Count - int(result.size())) + result;
    return result;
}

QList<TRecord> TUpdateCache::After(const TSource& Source, const TRecord& From, int Count) const {
    const QList<TRecord> inserted = Inserted(Source);
    if (IsInserted(From.Bookmark)) {
        const int i = AdmittedIndex(inserted, From.Bookmark);
        return i < 0 ? QList<TRecord>() : inserted.mid(i + 1, Count);
    }
    QList<TRecord> result = Visible(Source, true, &From, Count);
    if (result.size() < Count)
        result += inserted.mid(0, Count - result.size());
    return result;
}

QList<TRecord> TUpdateCache::Before(const TSource& Source, const TRecord& From, int Count) const {
    if (IsInserted(From.Bookmark)) {
        const QList<TRecord> inserted = Inserted(Source);
        const int i = qMax(0, AdmittedIndex(inserted, From.Bookmark));
        QList<TRecord> result = inserted.mid(qMax(0, i - Count), qMin(i, Count));
        if (result.size() < Count)
            result = Visible(Source, false, nullptr, Count - int(result.size())) + result;
        return result;
    }
    return Visible(Source, false, &From, Count);
}

std::optional<TRecord> TUpdateCache::Find(const TSource& Source, const TBookmark& Bookmark) const {
    if (const int i = InsertedIndex(Bookmark); i >= 0)
        return FInserted[i];
    if (IsDeleted(Bookmark))
        return std::nullopt;
    std::optional<TRecord> record = Source.FetchBookmark(Bookmark);
    if (record)
        record = Shown(*record);
    return record;
}

namespace {
// How many of Records the source admits.
qint64 AdmittedCount(const QList<TRecord>& Records, const TUpdateCache::TSource& Source) {
    return std::count_if(Records.begin(), Records.end(),
                         [&](const TRecord& r) { return !Source.Admits || Source.Admits(r); });
}
} // namespace

qint64 TUpdateCache::Count(const TSource& Source) const {
    return Source.Count() - AdmittedCount(FDeleted, Source) + Inserted(Source).size();
}

qint64 TUpdateCache::Position(const TSource& Source, const TRecord& Record) const {
    if (IsInserted(Record.Bookmark)) {
        const int i = AdmittedIndex(Inserted(Source), Record.Bookmark);
        return i < 0 ? -1 : Source.Count() - AdmittedCount(FDeleted, Source) + i + 1;
    }
    const qint64 position = Source.Position(Stored(Record));
    const qint64 deletedBefore =
        std::count_if(FDeleted.begin(), FDeleted.end(), [&](const TRecord& d) {
            return (!Source.Admits || Source.Admits(d)) && Source.Position(d) < position;
        });
    return position - deletedBefore;
}

QList<TUpdateCache::TChange> TUpdateCache::Changes() const {
    QList<TChange> changes;
    for (const TRecord& d : FDeleted)
        changes << TChange{TChange::ckDelete, d, d};
    for (const auto& [edited, original] : FEdited)
        changes << TChange{TChange::ckEdit, edited, original};
    for (const TRecord& i : FInserted)
        changes << TChange{TChange::ckInsert, i, TRecord()};
    return changes;
}
