#include "FieldDefs.h"

#include "DataSet.h"
#include "Field.h"
#include "Fields.h"

#include <rtl/ClassRegistry.h>
#include <rtl/Exceptions.h>

TFieldDef::TFieldDef(TCollection* Collection) : TCollectionItem(Collection) {}

TField* TFieldDef::CreateField(TComponent* Owner, TDataSet* DataSet) const {
    const QMetaObject* fieldClass = DefaultFieldClass(FDataType);
    if (!fieldClass)
        throw EDatabaseError(QStringLiteral("Field '%1' is of an unknown type").arg(FName));
    TField* field = qobject_cast<TField*>(CreateComponent(fieldClass, Owner));
    field->SetSize(FSize > 0 ? FSize : field->Size());
    field->SetRequired(FRequired);
    field->SetFieldName(FName);
    field->SetDataSet(DataSet);
    return field;
}

TFieldDefs::TFieldDefs(TPersistent* Owner)
    : TOwnedCollection(Owner, &TFieldDef::staticMetaObject) {}

TFieldDef* TFieldDefs::Add(const QString& Name, TFieldType DataType, int Size, bool Required) {
    if (IndexOf(Name) >= 0)
        throw EDatabaseError(QStringLiteral("Duplicate field name '%1'").arg(Name));
    TFieldDef* def = AddFieldDef();
    def->SetName(Name);
    def->SetDataType(DataType);
    def->SetSize(Size);
    def->SetRequired(Required);
    return def;
}

int TFieldDefs::IndexOf(const QString& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name().compare(Name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TFieldDef* TFieldDefs::Find(const QString& Name) const {
    const int i = IndexOf(Name);
    if (i < 0)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(Name));
    return Items(i);
}
