#pragma once

// A database of languages, continents and persons for the lookup and list fields, on
// each engine:
//   Lang:   1 German, 2 French, 3 English (Font, the date Added, a long Descr)
//   Cont:   1 Europe, 2 Asia
//   Person: Ann (Lang 3, Sex 2), Bob (Lang 7, which Lang lacks, Sex 1),
//           Cid (no Lang, Sex 0), Dan (Lang 1, Sex 7, beyond the list)

#include "EngineTest.h"

#include <dataset/KroTable.h>
#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Session.h>
#include <fields/KroList.h>
#include <fields/KroLook.h>
#include <memory>

class FieldsFixture : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        FDb = std::make_unique<TPeopleDatabase>(0, Engine());
        CreateTables();
        Lang = NewTable(QStringLiteral("Lang.db"));
        Lang->SetName(QStringLiteral("TbLang"));
        Cont = NewTable(QStringLiteral("Cont.db"));
        Person = NewTable(QStringLiteral("Person.db"));
        Person->SetIndexFieldNames(QStringLiteral("Id"));
    }

    TKroTable* NewTable(const QString& TableName) {
        auto* table = new TKroTable(&Module);
        table->SetDatabaseName(FDb->Alias());
        table->SetTableName(TableName);
        return table;
    }

    // A closed library table over a new table Name of an integer Id and Columns, holding
    // Rows (each with the Id first).
    TKroTable* NewLookupTable(const QString& Name,
                              const QList<std::pair<QString, TFieldType>>& Columns,
                              const QList<QVariantList>& Rows) {
        std::unique_ptr<TTable> table(FDb->NewTable(Name + QStringLiteral(".db")));
        table->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
        QStringList names{QStringLiteral("\"Id\"")};
        for (const auto& [column, type] : Columns) {
            table->FieldDefs()->Add(column, type);
            names << QLatin1Char('"') + column + QLatin1Char('"');
        }
        table->CreateTable();
        TDbConnection* connection = Session()->OpenDatabase(FDb->Alias())->Connection();
        const QString insert = QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (?%3)")
                                   .arg(Name, names.join(QStringLiteral(", ")),
                                        QStringLiteral(", ?").repeated(Columns.size()));
        for (const QVariantList& row : Rows)
            connection->Execute(insert, row);
        return NewTable(Name + QStringLiteral(".db"));
    }

    // A persistent field of DataSet, owned by the module.
    template <class T> T* AddField(TDataSet* DataSet, const char* Name, int Size = 0) {
        auto* field = new T(&Module);
        field->SetFieldName(QString::fromLatin1(Name));
        if (Size > 0)
            field->SetSize(Size);
        field->SetDataSet(DataSet);
        return field;
    }
    // The persistent data fields of Person, the list field Sex among them.
    // A lookup field LangLook (not yet in a dataset) of Person's key Lang in Lang's Id,
    // giving ResultFields.
    TKroLookField* NewLangLook(const QString& ResultFields) {
        auto* look = new TKroLookField(&Module);
        look->SetFieldName(QStringLiteral("LangLook"));
        look->SetFieldKind(fkLookup);
        look->SetLookupDataSet(Lang);
        look->SetKeyFields(QStringLiteral("Lang"));
        look->SetLookupKeyFields(QStringLiteral("Id"));
        look->SetLookupResultField(ResultFields);
        return look;
    }

    void AddPersonFields() {
        AddField<TAutoIncField>(Person, "Id");
        AddField<TStringField>(Person, "Name", 20);
        AddField<TIntegerField>(Person, "Lang");
        Sex = AddField<TKroListField>(Person, "Sex");
        Sex->Values()->SetText(QStringLiteral("\nMale\nFemale"));
    }

    // Goes to the person of that name.
    void GoTo(const char* Name) {
        ASSERT_TRUE(Person->Locate(QStringLiteral("Name"), QString::fromLatin1(Name), {}));
    }

    std::unique_ptr<TPeopleDatabase> FDb;
    TComponent Module;
    TKroTable* Lang = nullptr;
    TKroTable* Cont = nullptr;
    TKroTable* Person = nullptr;
    TKroListField* Sex = nullptr;

private:
    void CreateTables() {
        std::unique_ptr<TTable> lang(FDb->NewTable(QStringLiteral("Lang.db")));
        lang->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
        lang->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        lang->FieldDefs()->Add(QStringLiteral("Font"), ftString, 30);
        lang->FieldDefs()->Add(QStringLiteral("Added"), ftDate);
        lang->FieldDefs()->Add(QStringLiteral("Descr"), ftString, 4100);
        lang->CreateTable();
        std::unique_ptr<TTable> cont(FDb->NewTable(QStringLiteral("Cont.db")));
        cont->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
        cont->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        cont->CreateTable();
        std::unique_ptr<TTable> person(FDb->NewTable(QStringLiteral("Person.db")));
        person->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
        person->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        person->FieldDefs()->Add(QStringLiteral("Lang"), ftInteger);
        person->FieldDefs()->Add(QStringLiteral("Sex"), ftSmallint);
        person->CreateTable();

        TDbConnection* connection = Session()->OpenDatabase(FDb->Alias())->Connection();
        connection->StartTransaction();
        const QList<QVariantList> langs{
            {QStringLiteral("German"), QStringLiteral("Arial"), QDate(2001, 1, 1)},
            {QStringLiteral("French"), QStringLiteral("Times"), QDate(2002, 2, 2)},
            {QStringLiteral("English"), QStringLiteral("Courier New"), QDate(2003, 3, 3)}};
        for (const QVariantList& lang : langs)
            connection->Execute(QStringLiteral("INSERT INTO \"Lang\" (\"Name\", \"Font\", "
                                               "\"Added\") VALUES (?, ?, ?)"),
                                lang);
        for (const char* name : {"Europe", "Asia"})
            connection->Execute(QStringLiteral("INSERT INTO \"Cont\" (\"Name\") VALUES (?)"),
                                {QString::fromLatin1(name)});
        const QList<QVariantList> persons{{QStringLiteral("Ann"), 3, 2},
                                          {QStringLiteral("Bob"), 7, 1},
                                          {QStringLiteral("Cid"), Null(), 0},
                                          {QStringLiteral("Dan"), 1, 7}};
        for (const QVariantList& person : persons)
            connection->Execute(QStringLiteral("INSERT INTO \"Person\" (\"Name\", \"Lang\", "
                                               "\"Sex\") VALUES (?, ?, ?)"),
                                person);
        connection->Commit();
        Session()->CloseDatabase(Session()->FindDatabase(FDb->Alias()));
    }
};
