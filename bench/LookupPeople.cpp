#include "LookupPeople.h"

#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Fields.h>
#include <fields/KroLook.h>
#include <string_view>

namespace {

TKroTable* NewTable(TComponent* Owner, const QString& Alias, const QString& Name) {
    auto* table = new TKroTable(Owner);
    table->SetDatabaseName(Alias);
    table->SetTableName(Name);
    return table;
}

} // namespace

TLookupPeople::TLookupPeople(TComponent* Owner, const QString& Alias)
    : People(NewTable(Owner, Alias, QStringLiteral("People"))), Source(new TDataSource(Owner)) {
    People->SetIndexFieldNames(QStringLiteral("Id"));
    for (const char* name : {"Id", "Name", "Country", "Lang", "Prof"}) {
        const bool text = std::string_view(name) == "Name";
        TField* field = text ? static_cast<TField*>(new TStringField(Owner))
                             : static_cast<TField*>(new TIntegerField(Owner));
        field->SetFieldName(QString::fromLatin1(name));
        if (text)
            field->SetSize(40);
        field->SetVisible(text || std::string_view(name) == "Id");
        field->SetDataSet(People);
    }
    const std::pair<const char*, const char*> lookups[]{
        {"Lang", "Lang"}, {"Prof", "Prof"}, {"Country", "Country"}};
    for (const auto& [table, key] : lookups) {
        auto* look = new TKroLookField(Owner);
        look->SetFieldName(QString::fromLatin1(table) + QStringLiteral("Look"));
        look->SetFieldKind(fkLookup);
        look->SetLookupDataSet(NewTable(Owner, Alias, QString::fromLatin1(table)));
        look->LookupDataSet()->Open();
        look->SetKeyFields(QString::fromLatin1(key));
        look->SetLookupKeyFields(QStringLiteral("Id"));
        look->SetLookupResultField(QStringLiteral("Id;Name"));
        look->SetStoreLookupData(true);
        look->SetDataSet(People);
    }
    Source->SetDataSet(People);
    People->Open();
}
