#include "PeopleDatabase.h"

#include <db/DataSource.h>
#include <db/Database.h>
#include <db/DbClasses.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <rtl/Exceptions.h>
#include <rtl/Streaming.h>

namespace {

TEST(DataSetForms, TablesWithPersistentFieldsRoundTripThroughFormFiles) {
    RegisterDbClasses();
    TPeopleDatabase db(2);
    const QString text = QStringLiteral("object DMod: TComponent\n"
                                        "  object TbPeople: TTable\n"
                                        "    DatabaseName = '%1'\n"
                                        "    TableName = 'People.db'\n"
                                        "    IndexFieldNames = 'Name'\n"
                                        "    Active = True\n"
                                        "    object TbPeopleName: TStringField\n"
                                        "      DisplayLabel = 'Full name'\n"
                                        "      FieldName = 'Name'\n"
                                        "      Size = 30\n"
                                        "    end\n"
                                        "    object TbPeopleSalary: TCurrencyField\n"
                                        "      FieldName = 'Salary'\n"
                                        "    end\n"
                                        "  end\n"
                                        "  object DataSource1: TDataSource\n"
                                        "    DataSet = TbPeople\n"
                                        "  end\n"
                                        "end\n")
                             .arg(db.Alias());
    RegisterClass<TComponent>();
    std::unique_ptr<TComponent> module(ReadComponentFromText(text, QStringLiteral("dmod.form")));
    auto* table = qobject_cast<TTable*>(module->FindComponent(QStringLiteral("TbPeople")));
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->Active()); // opened after loading, when its fields were there
    EXPECT_EQ(table->FieldCount(), 2);
    EXPECT_EQ(table->Fields()->Fields(0)->DisplayName(), QStringLiteral("Full name"));
    EXPECT_EQ(table->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0001"));
    auto* source = qobject_cast<TDataSource*>(module->FindComponent(QStringLiteral("DataSource1")));
    EXPECT_EQ(source->DataSet(), table);
    EXPECT_EQ(source->State(), dsBrowse);

    // Written back, the fields stand inside the table's block, and what is written reads
    // back to the same.
    const QString written = WriteComponentToText(module.get());
    EXPECT_TRUE(written.contains(QStringLiteral("    TableName = 'People.db'\n"
                                                "    object TbPeopleName: TStringField\n"
                                                "      DisplayLabel = 'Full name'\n"
                                                "      FieldName = 'Name'\n"
                                                "      Size = 30\n"
                                                "    end\n"
                                                "    object TbPeopleSalary: TCurrencyField\n"
                                                "      FieldName = 'Salary'\n"
                                                "    end\n")))
        << written.toStdString();
    EXPECT_FALSE(written.contains(QStringLiteral("IndexDefs")));
    module.reset();
    module.reset(ReadComponentFromText(written, QStringLiteral("written.form")));
    EXPECT_EQ(WriteComponentToText(module.get()), written);
}

TEST(DataSetFaults, APostThatMeetsALockedFileKeepsTheEdit) {
    TPeopleDatabase db(2);
    TDatabase mine;
    mine.SetDatabaseName(QStringLiteral("Mine"));
    mine.SetAliasName(db.Alias());
    mine.Params()->Add(QStringLiteral("BUSYTIMEOUT=200"));
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->SetDatabaseName(QStringLiteral("Mine"));
    people->Open();
    // Another program holds the file's write lock.
    TDatabase other;
    other.SetDatabaseName(QStringLiteral("Locker"));
    other.SetAliasName(db.Alias());
    other.Open();
    other.StartTransaction();
    other.Connection()->Execute(QStringLiteral("UPDATE People SET Name = 'x' WHERE Id = 2"));
    people->Edit();
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Mine"));
    EXPECT_THROW(people->Post(), EDatabaseError);
    EXPECT_EQ(people->State(), dsEdit);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Mine"));
    other.Rollback();
    people->Post();
    EXPECT_EQ(people->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Mine"));
}

} // namespace
