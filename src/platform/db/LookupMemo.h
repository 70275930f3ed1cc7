#pragma once

#include <QHash>
#include <QString>
#include <rtl/Variant.h>

// The results of a dataset's lookups read under one version of its engine's rows (see
// TDbConnection::ReadVersion): the same lookup under the same version gives the same
// result, so it is not asked of the engine again. Values compare by type and value.
class TLookupMemo {
public:
    // The kept result of the lookup under Version (non-zero), or null.
    const Variant* Find(quint64 Version, const QString& KeyFields, const Variant& KeyValues,
                        const QString& ResultFields) const;
    // Keeps Result of a lookup read under Version; the results of other versions go.
    // Zero keeps nothing.
    void Keep(quint64 Version, const QString& KeyFields, const Variant& KeyValues,
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
    quint64 FVersion = 0;
    QHash<TKey, Variant> FResults;
};

size_t qHash(const TLookupMemo::TKey& Key, size_t Seed = 0);
