#include "SchemaCache.h"

template <class T>
T TSchemaCache::Kept(const QString& Key, std::optional<T> TTableSchema::*Slot,
                     const std::function<T()>& Read) {
    if (const auto it = FTables.constFind(Key); it != FTables.constEnd() && (*it).*Slot)
        return *((*it).*Slot);
    T value = Read();
    FTables[Key].*Slot = value;
    return value;
}

void TSchemaCache::Check(qint64 Version) {
    if (FVersion != Version) {
        FTables.clear();
        FKept.clear();
    }
    FVersion = Version;
}

void TSchemaCache::Clear() {
    FTables.clear();
    FKept.clear();
    FVersion.reset();
}

void TSchemaCache::Keep(const QString& Key, std::shared_ptr<void> Object) {
    if (FKept.size() >= KeptObjects)
        FKept.removeFirst();
    FKept.append({Key, std::move(Object)});
}

std::shared_ptr<void> TSchemaCache::Take(const QString& Key) {
    for (qsizetype i = FKept.size() - 1; i >= 0; --i)
        if (FKept[i].first == Key)
            return FKept.takeAt(i).second;
    return nullptr;
}

bool TSchemaCache::Exists(const QString& Key, const std::function<bool()>& Read) {
    if (const auto it = FTables.constFind(Key); it != FTables.constEnd() && it->Exists)
        return true;
    const bool exists = Read();
    if (exists)
        FTables[Key].Exists = true;
    return exists;
}

QList<TColumnInfo> TSchemaCache::Columns(const QString& Key,
                                         const std::function<QList<TColumnInfo>()>& Read) {
    return Kept(Key, &TTableSchema::Columns, Read);
}

QList<TIndexInfo> TSchemaCache::Indexes(const QString& Key,
                                        const std::function<QList<TIndexInfo>()>& Read) {
    return Kept(Key, &TTableSchema::Indexes, Read);
}

QString TSchemaCache::RowId(const QString& Key, const std::function<QString()>& Read) {
    return Kept(Key, &TTableSchema::RowId, Read);
}

bool TSchemaCache::RowIdTable(const QString& Key, const std::function<bool()>& Read) {
    return Kept(Key, &TTableSchema::RowIdTable, Read);
}
