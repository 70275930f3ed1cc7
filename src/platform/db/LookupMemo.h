#pragma once

#include <QHash>
#include <QString>
#include <rtl/Variant.h>

// The results of a dataset's lookups read under one snapshot of its engine's data (see
// TDbConnection::ReadSnapshot): the same lookup under the same snapshot gives the same
// result, so it is not asked of the engine again. Values compare by type and value.
class TLookupMemo {
public:
    // The kept result of the lookup under Snapshot (non-zero), or null.
    const Variant* Find(quint64 Snapshot, const QString& KeyFields, const Variant& KeyValues,
                        const QString& ResultFields) const;
    // Keeps Result of a lookup read under Snapshot; the results of other snapshots go.
    // Zero keeps nothing.
    void Keep(quint64 Snapshot, const QString& KeyFields, const Variant& KeyValues,
              const QString& ResultFields, const Variant& Result);
    void Clear();

    struct TKey {
        QString KeyFields;
        QString ResultFields;
        Variant KeyValues;
        bool operator==(const TKey& Other) const;
    };

private:
    static constexpr qsizetype MaxKept = 4096;
    quint64 FSnapshot = 0;
    QHash<TKey, Variant> FResults;
};

size_t qHash(const TLookupMemo::TKey& Key, size_t Seed = 0);
