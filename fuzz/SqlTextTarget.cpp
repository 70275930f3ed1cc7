// SQL texts: the parameters parsed out of the input, then the input run as a query over a
// small database (planned as a read of one table or a written result, read both ways,
// edited when live) inside a transaction rolled back after each input, so that nothing a
// statement does stays for the next.

#include "FuzzApplication.h"
#include "FuzzInput.h"

#include <QDir>
#include <cstdlib>
#include <db/Database.h>
#include <db/Field.h>
#include <db/Params.h>
#include <db/Query.h>
#include <rtl/Exceptions.h>

namespace {

const char* const DatabaseName = "FuzzSql";

void MakeDatabase() {
    static TDatabase database;
    database.SetDatabaseName(QString::fromLatin1(DatabaseName));
    database.SetDriverName(QStringLiteral("STANDARD"));
    database.Params()->Add(QStringLiteral("PATH=") + QDir::currentPath());
    database.Open();
    database.Connection()->Execute(QStringLiteral(
        "CREATE TABLE Country (Id INTEGER PRIMARY KEY AUTOINCREMENT, Name VARCHAR(30));"
        "CREATE TABLE People (Id INTEGER PRIMARY KEY AUTOINCREMENT, Name VARCHAR(30),"
        " Country INT, Birth DATE, Salary MONEY, Notes MEMO);"
        "CREATE INDEX ByName ON People (Name);"
        "INSERT INTO Country (Name) VALUES ('Spain'), ('France'), (NULL);"
        "INSERT INTO People (Name, Country, Birth, Salary, Notes) VALUES"
        " ('Ann', 1, '1970-01-02', 1000.5, 'a'), ('Bob', 2, NULL, 2000, NULL),"
        " (NULL, 3, '2000-02-29', NULL, 'c'), ('Ann', NULL, '1999-12-31', 3, '')"));
}

void Walk(TQuery& Query) {
    Query.Open();
    for (int i = 0; i < 5 && !Query.Eof(); ++i)
        Query.Next();
    Query.Last();
    Query.Prior();
    Query.RecordCount();
    if (Query.CanModify() && Query.FieldCount() > 0) {
        Query.Edit();
        Query.Fields()->Fields(0)->SetAsString(QStringLiteral("1"));
        Query.Post();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartFuzzApplication(argc, argv);
    MakeDatabase();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const QString text = FuzzText(Data, Size);
    const TParsedSql parsed = ParseSqlParams(text);
    if (parsed.Names.size() > parsed.Sql.count(QLatin1Char('?')))
        std::abort(); // each name is a "?"

    TQuery query;
    query.SetDatabaseName(QString::fromLatin1(DatabaseName));
    query.SQL()->SetText(text);
    query.SetRequestLive(Size % 2 == 0);
    for (int i = 0; i < query.Params()->Count(); ++i)
        query.Params()->Items(i)->SetAsString(QString::number(i));
    TDatabase* database = nullptr;
    try {
        query.Prepare();
        database = query.Database();
        database->StartTransaction();
        Walk(query);
    } catch (const Exception&) {
    }
    query.Close();
    if (database && database->InTransaction())
        database->Rollback();
    return 0;
}
