#include "IndexDefs.h"

#include "Field.h"

TIndexDef::TIndexDef(TCollection* Collection) : TCollectionItem(Collection) {}

TIndexDefs::TIndexDefs(TPersistent* Owner)
    : TOwnedCollection(Owner, &TIndexDef::staticMetaObject) {}

TIndexDef* TIndexDefs::Add(const QString& Name, const QString& Fields, TIndexOptions Options) {
    auto* def = static_cast<TIndexDef*>(TCollection::Add());
    def->SetName(Name);
    def->SetFields(Fields);
    def->SetOptions(Options);
    return def;
}

void TIndexDefs::Update() {
    if (FReader)
        FReader(*this);
    FUpdated = true;
}

int TIndexDefs::IndexOf(const QString& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name().compare(Name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TIndexDef* TIndexDefs::FindIndexForFields(const QString& Fields) const {
    const QStringList wanted = SplitFieldNames(Fields);
    for (int i = 0; i < Count(); ++i) {
        const QStringList fields = SplitFieldNames(Items(i)->Fields());
        if (fields.size() != wanted.size())
            continue;
        bool same = true;
        for (qsizetype f = 0; f < fields.size() && same; ++f)
            same = fields[f].compare(wanted[f], Qt::CaseInsensitive) == 0;
        if (same)
            return Items(i);
    }
    return nullptr;
}
