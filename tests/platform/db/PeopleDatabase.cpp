#include "PeopleDatabase.h"

#include "PostgresTestServer.h"

#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <rtl/Exceptions.h>

void TPeopleDatabase::AddAlias(const QString& Engine) {
    static int serial = 0;
    FAlias = QStringLiteral("TestPeople%1").arg(++serial);
    const TConfigMode saved = Session()->ConfigMode();
    Session()->SetConfigMode({cmSession});
    if (Engine == QLatin1String(PostgresEngine)) {
        const auto params = PostgresTestParams(QStringLiteral("kro_people_test"));
        if (!params)
            throw EDatabaseError(QString::fromLatin1(NoPostgresMessage));
        RecreatePostgresSchema(*params);
        Session()->AddAlias(FAlias, QStringLiteral("POSTGRESQL"), *params);
    } else {
        Session()->AddStandardAlias(FAlias, FDir.path(), QStringLiteral("PARADOX"));
    }
    Session()->SetConfigMode(saved);
}

TPeopleDatabase::TPeopleDatabase(int PeopleRows, const QString& Engine) {
    AddAlias(Engine);
    RegisterFieldClasses();

    std::unique_ptr<TTable> country(NewTable(QStringLiteral("Country.DB")));
    country->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    country->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30, true);
    country->IndexDefs()->Add(QStringLiteral("ByName"), QStringLiteral("Name"), {ixUnique});
    country->CreateTable();

    std::unique_ptr<TTable> people(NewTable(QStringLiteral("People.db")));
    people->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    people->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
    people->FieldDefs()->Add(QStringLiteral("Country"), ftInteger);
    people->FieldDefs()->Add(QStringLiteral("Birth"), ftDate);
    people->FieldDefs()->Add(QStringLiteral("Salary"), ftCurrency);
    people->FieldDefs()->Add(QStringLiteral("Active"), ftBoolean);
    people->FieldDefs()->Add(QStringLiteral("Notes"), ftMemo);
    people->IndexDefs()->Add(QStringLiteral("ByName"), QStringLiteral("Name"), {});
    people->IndexDefs()->Add(QStringLiteral("ByCountry"), QStringLiteral("Country;Name"), {});
    people->CreateTable();

    std::unique_ptr<TTable> job(NewTable(QStringLiteral("Job.db")));
    job->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    job->FieldDefs()->Add(QStringLiteral("People"), ftInteger, 0, true);
    job->FieldDefs()->Add(QStringLiteral("Title"), ftString, 40);
    job->IndexDefs()->Add(QStringLiteral("ByPeople"), QStringLiteral("People;Title"), {});
    job->CreateTable();

    TDbConnection* connection = Session()->OpenDatabase(FAlias)->Connection();
    connection->StartTransaction();
    for (const char* name : {"Spain", "France", "Italy"})
        connection->Execute(QStringLiteral("INSERT INTO \"Country\" (\"Name\") VALUES (?)"),
                            {QString::fromLatin1(name)});
    for (int i = 1; i <= PeopleRows; ++i)
        connection->Execute(
            QStringLiteral("INSERT INTO \"People\" (\"Name\", \"Country\", \"Birth\", "
                           "\"Salary\", \"Active\") VALUES (?, ?, ?, ?, ?)"),
            {QStringLiteral("Person %1").arg(i, 4, 10, QLatin1Char('0')), (i - 1) % 3 + 1,
             QDate(1970, 1, 1).addDays(i), 1000.0 + i, i % 2 == 0});
    connection->Commit();
    Session()->CloseDatabase(Session()->FindDatabase(FAlias));
}

TPeopleDatabase::~TPeopleDatabase() {
    const TConfigMode saved = Session()->ConfigMode();
    Session()->SetConfigMode({cmSession});
    Session()->DeleteAlias(FAlias);
    Session()->SetConfigMode(saved);
}

TTable* TPeopleDatabase::NewTable(const QString& TableName, TComponent* Owner) const {
    auto* table = new TTable(Owner);
    table->SetDatabaseName(FAlias);
    table->SetTableName(TableName);
    return table;
}
