#include "CustomersDatabase.h"

#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Session.h>
#include <db/Table.h>
#include <memory>

namespace {

std::unique_ptr<TTable> NewTable(const QString& Name) {
    auto table = std::make_unique<TTable>();
    table->SetDatabaseName(CustomersAlias);
    table->SetTableName(Name);
    return table;
}

void CreateTables() {
    auto country = NewTable(QStringLiteral("Country"));
    country->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    country->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30, true);
    country->IndexDefs()->Add(QStringLiteral("ByName"), QStringLiteral("Name"), {ixUnique});
    country->CreateTable();

    auto customer = NewTable(QStringLiteral("Customer"));
    customer->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    customer->FieldDefs()->Add(QStringLiteral("Name"), ftString, 40, true);
    customer->FieldDefs()->Add(QStringLiteral("City"), ftString, 30);
    customer->FieldDefs()->Add(QStringLiteral("Country"), ftInteger);
    customer->IndexDefs()->Add(QStringLiteral("ByName"), QStringLiteral("Name"), {});
    customer->CreateTable();
}

void FillTables() {
    TDbConnection* connection = Session()->OpenDatabase(CustomersAlias)->Connection();
    connection->StartTransaction();
    for (const char* name : {"Norway", "Portugal", "Japan"})
        connection->Execute(QStringLiteral("INSERT INTO \"Country\" (\"Name\") VALUES (?)"),
                            {QString::fromLatin1(name)});
    const struct {
        const char* Name;
        const char* City;
        int Country;
    } customers[] = {{"Fjord Timber", "Bergen", 1},    {"Harbour Lights", "Tromsø", 1},
                     {"Azulejo Tiles", "Porto", 2},    {"Cork & Co.", "Lisbon", 2},
                     {"Kumo Paper", "Kyoto", 3},       {"Sakura Tea House", "Osaka", 3},
                     {"Northern Wool", "Trondheim", 1}};
    for (const auto& customer : customers)
        connection->Execute(
            QStringLiteral("INSERT INTO \"Customer\" (\"Name\", \"City\", "
                           "\"Country\") VALUES (?, ?, ?)"),
            {QString::fromUtf8(customer.Name), QString::fromUtf8(customer.City), customer.Country});
    connection->Commit();
}

} // namespace

void OpenCustomersDatabase(const QString& Folder) {
    Session()->SetConfigMode({cmSession});
    if (!Session()->IsAlias(CustomersAlias))
        Session()->AddStandardAlias(CustomersAlias, Folder, QStringLiteral("STANDARD"));
    TDatabase* database = Session()->OpenDatabase(CustomersAlias);
    if (!database->Connection()->TableExists(QStringLiteral("Customer"))) {
        CreateTables();
        FillTables();
    }
}
