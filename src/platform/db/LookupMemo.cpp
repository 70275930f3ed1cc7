#include "LookupMemo.h"

#include <algorithm>

namespace {

// Values of one type and equal; arrays element by element.
bool SameTypedValue(const Variant& A, const Variant& B) {
    if (A.metaType() != B.metaType())
        return false;
    if (A.metaType().id() != QMetaType::QVariantList)
        return A == B;
    const QVariantList a = A.toList();
    const QVariantList b = B.toList();
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameTypedValue);
}

size_t HashOfValue(const Variant& Value, size_t Seed) {
    switch (Value.metaType().id()) {
    case QMetaType::QString:
        return qHash(*static_cast<const QString*>(Value.constData()), Seed);
    case QMetaType::QVariantList: {
        size_t hash = Seed;
        for (const QVariant& item : *static_cast<const QVariantList*>(Value.constData()))
            hash = HashOfValue(item, hash);
        return hash;
    }
    default:
        // Numbers by value; other types share a hash and compare whole.
        return VarIsNumeric(Value) ? qHash(Value.toDouble(), Seed) : Seed;
    }
}

} // namespace

bool TLookupMemo::TKey::operator==(const TKey& Other) const {
    return KeyFields == Other.KeyFields && ResultFields == Other.ResultFields &&
           SameTypedValue(KeyValues, Other.KeyValues);
}

size_t qHash(const TLookupMemo::TKey& Key, size_t Seed) {
    return HashOfValue(Key.KeyValues, qHashMulti(Seed, Key.KeyFields, Key.ResultFields));
}

const Variant* TLookupMemo::Find(quint64 Version, const QString& KeyFields,
                                 const Variant& KeyValues, const QString& ResultFields) const {
    if (Version == 0 || Version != FVersion)
        return nullptr;
    const auto found = FResults.constFind(TKey{KeyFields, ResultFields, KeyValues});
    return found == FResults.cend() ? nullptr : &found.value();
}

void TLookupMemo::Keep(quint64 Version, const QString& KeyFields, const Variant& KeyValues,
                       const QString& ResultFields, const Variant& Result) {
    if (Version != FVersion || FResults.size() >= MaxKept)
        Clear();
    FVersion = Version;
    if (Version != 0)
        FResults.insert(TKey{KeyFields, ResultFields, KeyValues}, Result);
}

void TLookupMemo::Clear() {
    FResults.clear();
    FVersion = 0;
}
