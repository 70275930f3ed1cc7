#pragma once

// A small people database for the combos, shown on a form, made on Engine() (SQLite unless
// a fixture names another):
//   Cont: 1 Europe, 2 Asia
//   Land: 1 Spain (Europe), 2 France (Europe), 3 Japan (Asia), 4 Atlantis (no continent)
//   Prof: a tree by IdUp with the number of children in AmountDown:
//         1 Science (2: 2 Physics, 3 Chemistry), 4 Arts (1: 5 Music)
//   Pers: Ann (Europe, Spain, Physics, Female), Bob (Asia, Japan, no profession, Male),
//         Cid (nothing)
// Pers has the lookup fields CountryLook ("Id;Name" of Land) and ProfLook ("Id;Name" of Prof)
// and the list field Sex.

#include "EngineTest.h"

#include <QApplication>
#include <QTest>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Session.h>
#include <fields/KroList.h>
#include <fields/KroLook.h>
#include <gtest/gtest.h>
#include <memory>
#include <ui/DBLookup.h>
#include <ui/Forms.h>
#include <ui/ScriptedResponder.h>

class ComboFixture : public ::testing::Test {
protected:
    virtual QString Engine() const { return QString::fromLatin1(SqliteEngine); }

    void SetUp() override {
        if (Engine() == QLatin1String(PostgresEngine)) {
            SKIP_OR_FAIL_WITHOUT_POSTGRES();
        }
        Db = std::make_unique<TPeopleDatabase>(0, Engine());
        CreateTables();
        Cont = NewTable("Cont", "TbCont");
        Land = NewTable("Land", "TbLand");
        Prof = NewTable("Prof", "TbProf");
        Pers = NewTable("Pers", "TbPers");
        Pers->SetIndexFieldNames(QStringLiteral("Id"));
        AddPersFields();
        PersSource->SetDataSet(Pers);
        LandSource->SetDataSet(Land);
        Form.SetBounds(100, 100, 400, 300);
    }

    TKroTable* NewTable(const char* TableName, const char* Name) {
        auto* table = new TKroTable(&Form);
        table->SetName(QString::fromLatin1(Name));
        table->SetDatabaseName(Db->Alias());
        table->SetTableName(QString::fromLatin1(TableName));
        return table;
    }

    template <class T> T* AddField(const char* Name, int Size = 0) {
        auto* field = new T(&Form);
        field->SetFieldName(QString::fromLatin1(Name));
        if (Size > 0)
            field->SetSize(Size);
        field->SetDataSet(Pers);
        return field;
    }

    TKroLookField* AddLookField(const char* Name, TDataSet* List, const char* KeyField) {
        auto* field = AddField<TKroLookField>(Name, 40);
        field->SetFieldKind(fkLookup);
        field->SetLookupDataSet(List);
        field->SetKeyFields(QString::fromLatin1(KeyField));
        field->SetLookupKeyFields(QStringLiteral("Id"));
        field->SetLookupResultField(QStringLiteral("Id;Name"));
        field->SetListFieldIndex(1);
        return field;
    }

    void AddPersFields() {
        AddField<TAutoIncField>("Id");
        AddField<TStringField>("Name", 20);
        AddField<TIntegerField>("Continent");
        AddField<TIntegerField>("Country");
        AddField<TIntegerField>("Prof");
        Sex = AddField<TKroListField>("Sex");
        Sex->Values()->SetText(QStringLiteral("\nMale\nFemale"));
        AddField<TSmallintField>("Rank");
        CountryLook = AddLookField("CountryLook", Land, "Country");
        ProfLook = AddLookField("ProfLook", Prof, "Prof");
    }

    void OpenAll() {
        for (TDataSet* table : {static_cast<TDataSet*>(Cont), static_cast<TDataSet*>(Land),
                                static_cast<TDataSet*>(Prof), static_cast<TDataSet*>(Pers)})
            table->Open();
    }

    void GoTo(const char* Name) {
        ASSERT_TRUE(Pers->Locate(QStringLiteral("Name"), QString::fromLatin1(Name), {}));
    }

    // Shows the form with Control focused.
    void ShowFocused(TWinControl* Control) {
        Form.Show();
        QApplication::setActiveWindow(Form.Widget());
        ProcessEvents();
        Control->SetFocus();
        ProcessEvents();
    }

    // The texts of the search column of Combo's list as its drop-down shows them.
    static QStringList ListRows(TDBLookupComboBox* Combo) {
        QStringList rows;
        TPopupDataList* list = Combo->DataList();
        TListSourceLink* link = list->ListLink();
        const int active = link->ActiveRecord();
        for (int row = 0; row < link->RecordCount(); ++row) {
            link->SetActiveRecord(row);
            rows << list->SearchField()->AsString();
        }
        link->SetActiveRecord(active);
        return rows;
    }
    static void ProcessEvents() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    static void Key(TWinControl* Control, Qt::Key K, Qt::KeyboardModifiers Modifiers = {}) {
        QTest::keyClick(Control->Widget(), K, Modifiers);
    }
    static void Type(TWinControl* Control, const char* Text) {
        QTest::keyClicks(Control->Widget(), QString::fromLatin1(Text));
    }

    Variant Value(const char* FieldName) const {
        return Pers->FieldByName(QString::fromLatin1(FieldName))->Value();
    }

    std::unique_ptr<TPeopleDatabase> Db;
    TForm Form;
    TKroTable* Cont = nullptr;
    TKroTable* Land = nullptr;
    TKroTable* Prof = nullptr;
    TKroTable* Pers = nullptr;
    TKroListField* Sex = nullptr;
    TKroLookField* CountryLook = nullptr;
    TKroLookField* ProfLook = nullptr;
    TDataSource* PersSource = new TDataSource(&Form);
    TDataSource* LandSource = new TDataSource(&Form);
    TScriptedResponder Responder;

private:
    void CreateTables() {
        auto make = [this](const char* Name,
                           const QList<std::pair<const char*, TFieldType>>& Fields) {
            std::unique_ptr<TTable> table(Db->NewTable(QString::fromLatin1(Name)));
            for (const auto& [field, type] : Fields)
                table->FieldDefs()->Add(QString::fromLatin1(field), type,
                                        type == ftString ? 20 : 0);
            table->CreateTable();
        };
        make("Cont", {{"Id", ftAutoInc}, {"Name", ftString}});
        make("Land", {{"Id", ftAutoInc}, {"Name", ftString}, {"Continent", ftInteger}});
        make("Prof", {{"Id", ftAutoInc},
                      {"Name", ftString},
                      {"IdUp", ftInteger},
                      {"AmountDown", ftInteger}});
        make("Pers", {{"Id", ftAutoInc},
                      {"Name", ftString},
                      {"Continent", ftInteger},
                      {"Country", ftInteger},
                      {"Prof", ftInteger},
                      {"Sex", ftSmallint},
                      {"Rank", ftSmallint}});
        TDbConnection* connection = Session()->OpenDatabase(Db->Alias())->Connection();
        auto insert = [connection](const char* Sql, const QVariantList& Values) {
            connection->Execute(QString::fromLatin1(Sql), Values);
        };
        for (const char* name : {"Europe", "Asia"})
            insert("INSERT INTO \"Cont\" (\"Name\") VALUES (?)", {QString::fromLatin1(name)});
        for (const auto& [name, continent] :
             {std::pair{"Spain", Variant(1)}, std::pair{"France", Variant(1)},
              std::pair{"Japan", Variant(2)}, std::pair{"Atlantis", Variant()}})
            insert("INSERT INTO \"Land\" (\"Name\", \"Continent\") VALUES (?, ?)",
                   {QString::fromLatin1(name), continent});
        for (const auto& [name, up, down] :
             {std::tuple{"Science", Variant(), 2}, std::tuple{"Physics", Variant(1), 0},
              std::tuple{"Chemistry", Variant(1), 0}, std::tuple{"Arts", Variant(), 1},
              std::tuple{"Music", Variant(4), 0}})
            insert("INSERT INTO \"Prof\" (\"Name\", \"IdUp\", \"AmountDown\") VALUES (?, ?, ?)",
                   {QString::fromLatin1(name), up, down});
        const QList<QVariantList> people{
            {QStringLiteral("Ann"), 1, 1, 2, 2},
            {QStringLiteral("Bob"), 2, 3, Variant(), 1},
            {QStringLiteral("Cid"), Variant(), Variant(), Variant(), Variant()}};
        for (const QVariantList& person : people)
            insert("INSERT INTO \"Pers\" (\"Name\", \"Continent\", \"Country\", \"Prof\", \"Sex\") "
                   "VALUES (?, ?, ?, ?, ?)",
                   person);
        Session()->CloseDatabase(Session()->FindDatabase(Db->Alias()));
    }
};
