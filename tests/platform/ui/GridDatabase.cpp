#include "GridDatabase.h"

#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <memory>

TGridDatabase::TGridDatabase(int Rows) {
    static int serial = 0;
    FAlias = QStringLiteral("GridPeople%1").arg(++serial);
    const TConfigMode saved = Session()->ConfigMode();
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(FAlias, FDir.path(), QStringLiteral("PARADOX"));
    Session()->SetConfigMode(saved);
    RegisterFieldClasses();

    std::unique_ptr<TTable> people(NewTable(nullptr));
    people->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    people->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
    people->FieldDefs()->Add(QStringLiteral("Country"), ftInteger);
    people->FieldDefs()->Add(QStringLiteral("Salary"), ftCurrency);
    people->CreateTable();

    TDbConnection* connection = Session()->OpenDatabase(FAlias)->Connection();
    connection->StartTransaction();
    for (int i = 1; i <= Rows; ++i)
        connection->Execute(QStringLiteral("INSERT INTO \"People\" (\"Name\", \"Country\", "
                                           "\"Salary\") VALUES (?, ?, ?)"),
                            {QStringLiteral("Person %1").arg(i, 4, 10, QLatin1Char('0')),
                             (i - 1) % 3 + 1, 1000.0 + i});
    connection->Commit();
    Session()->CloseDatabase(Session()->FindDatabase(FAlias));
}

TGridDatabase::~TGridDatabase() {
    const TConfigMode saved = Session()->ConfigMode();
    Session()->SetConfigMode({cmSession});
    Session()->DeleteAlias(FAlias);
    Session()->SetConfigMode(saved);
}

TTable* TGridDatabase::NewTable(TComponent* Owner) const {
    auto* table = new TTable(Owner);
    table->SetDatabaseName(FAlias);
    table->SetTableName(QStringLiteral("People.db"));
    return table;
}
