#include "PeopleDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/Fields.h>
#include <db/LookupMemo.h>
#include <db/Query.h>
#include <db/Session.h>
#include <db/SqliteConnection.h>
#include <db/Table.h>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(LookupMemo, KeepsTheResultsOfOneSnapshotByTypedKey) {
    TLookupMemo memo;
    const QString id = QStringLiteral("Id");
    const QString name = QStringLiteral("Name");
    memo.Keep(0, id, 1, name, QStringLiteral("zero"));
    EXPECT_EQ(memo.Find(0, id, 1, name), nullptr) << "no snapshot, nothing kept";

    memo.Keep(7, id, 1, name, QStringLiteral("Spain"));
    memo.Keep(7, id, QVariantList{1, QStringLiteral("a")}, name, QStringLiteral("pair"));
    ASSERT_NE(memo.Find(7, id, 1, name), nullptr);
    EXPECT_EQ(memo.Find(7, id, 1, name)->toString(), QStringLiteral("Spain"));
    EXPECT_EQ(memo.Find(7, id, QVariantList{1, QStringLiteral("a")}, name)->toString(),
              QStringLiteral("pair"));
    EXPECT_EQ(memo.Find(7, id, QVariantList{1, QStringLiteral("b")}, name), nullptr);
    EXPECT_EQ(memo.Find(7, id, 1.5, name), nullptr);
    EXPECT_EQ(memo.Find(7, id, qint64(1), name), nullptr) << "another type, another key";
    EXPECT_EQ(memo.Find(7, id, QStringLiteral("1"), name), nullptr);
    EXPECT_EQ(memo.Find(7, name, 1, name), nullptr);
    EXPECT_EQ(memo.Find(7, id, 1, id), nullptr);
    EXPECT_EQ(memo.Find(8, id, 1, name), nullptr) << "another snapshot";

    memo.Keep(8, id, 2, name, QStringLiteral("France"));
    EXPECT_EQ(memo.Find(8, id, 1, name), nullptr) << "the results of snapshot 7 went";
    memo.Clear();
    EXPECT_EQ(memo.Find(8, id, 2, name), nullptr);
}

// The countries of a people database on SQLite (Spain, France, Italy), opened as a lookup
// dataset is.
class LookupSnapshot : public ::testing::Test {
protected:
    void SetUp() override { Countries->SetIndexFieldNames(QStringLiteral("Id")); }

    // The name of a country, empty when none is found.
    QString NameOf(int Id) const {
        return Countries->Lookup(QStringLiteral("Id"), Id, QStringLiteral("Name")).toString();
    }
    // Renames a country through another connection to the file.
    void RenameElsewhere(int Id, const QString& Name) const {
        TSqliteConnection other(QDir(Db.Path()).filePath(QLatin1String(StandardDatabaseFile)));
        other.Execute(QStringLiteral("UPDATE \"Country\" SET \"Name\" = ? WHERE \"Id\" = ?"),
                      {Name, Id});
    }

    TPeopleDatabase Db{9};
    TComponent Owner;
    TTable* Countries = Db.NewTable(QStringLiteral("Country.db"), &Owner);
};

TEST_F(LookupSnapshot, ALookupSeesTheWritesOfItsConnectionAndOthersCommitsAfterTheBurst) {
    Countries->Open();
    EXPECT_EQ(NameOf(2), QStringLiteral("France"));
    EXPECT_EQ(NameOf(2), QStringLiteral("France"));
    std::unique_ptr<TTable> editor(Db.NewTable(QStringLiteral("Country.db")));
    editor->Open();
    ASSERT_TRUE(editor->Locate(QStringLiteral("Id"), 2, {}));
    editor->Edit();
    editor->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Francia"));
    editor->Post();
    EXPECT_EQ(NameOf(2), QStringLiteral("Francia")) << "a write of the connection";

    EXPECT_EQ(NameOf(3), QStringLiteral("Italy"));
    RenameElsewhere(3, QStringLiteral("Italia"));
    QCoreApplication::processEvents(); // the burst ends
    EXPECT_EQ(NameOf(3), QStringLiteral("Italia"));

    // Inside a transaction every lookup asks the engine.
    TDatabase* database = Session()->FindDatabase(Db.Alias());
    database->StartTransaction();
    EXPECT_EQ(NameOf(1), QStringLiteral("Spain"));
    database->Connection()->Execute(
        QStringLiteral("UPDATE \"Country\" SET \"Name\" = ? WHERE \"Id\" = 1"),
        {QStringLiteral("España")});
    EXPECT_EQ(NameOf(1), QStringLiteral("España"));
    database->Rollback();
    EXPECT_EQ(NameOf(1), QStringLiteral("Spain"));
}

TEST_F(LookupSnapshot, ALookupSeesWhatAWriteToAnotherTableChangesInItsTable) {
    Countries->Open();
    EXPECT_EQ(NameOf(2), QStringLiteral("France"));
    std::unique_ptr<TTable> people(Db.NewTable(QStringLiteral("People.db")));
    people->Open();
    people->Edit();
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Renamed"));
    people->Post();
    EXPECT_EQ(NameOf(2), QStringLiteral("France"));

    Session()
        ->FindDatabase(Db.Alias())
        ->Connection()
        ->Execute(QStringLiteral("CREATE TRIGGER rename AFTER UPDATE ON \"People\" BEGIN UPDATE "
                                 "\"Country\" SET \"Name\" = new.\"Name\" WHERE \"Id\" = 2; END"));
    EXPECT_EQ(NameOf(2), QStringLiteral("France"));
    people->Edit();
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Gallia"));
    people->Post();
    EXPECT_EQ(NameOf(2), QStringLiteral("Gallia")) << "the trigger's write";
}

TEST_F(LookupSnapshot, AQueryReadingAnotherTableSeesItsWrites) {
    // Countries that have people: the rows depend on People as well.
    TQuery countries;
    countries.SetDatabaseName(Db.Alias());
    countries.SQL()->SetText(QStringLiteral("select * from Country where Id in (select "
                                            "Country from People) order by Id"));
    countries.Open();
    TQuery plain;
    plain.SetDatabaseName(Db.Alias());
    plain.SQL()->SetText(QStringLiteral("select * from Country order by Id"));
    plain.Open();
    const auto nameOf = [](TQuery& Query, int Id) {
        return Query.Lookup(QStringLiteral("Id"), Id, QStringLiteral("Name")).toString();
    };
    EXPECT_EQ(nameOf(countries, 3), QStringLiteral("Italy"));
    EXPECT_EQ(nameOf(plain, 3), QStringLiteral("Italy"));

    Session()
        ->FindDatabase(Db.Alias())
        ->Connection()
        ->Execute(QStringLiteral("DELETE FROM \"People\" WHERE \"Country\" = ?"), {3});
    EXPECT_TRUE(nameOf(countries, 3).isEmpty()) << "its subquery's table was written";
    EXPECT_EQ(nameOf(plain, 3), QStringLiteral("Italy"));
}

TEST_F(LookupSnapshot, ALookupFollowsTheDatasetsFilterAndMaster) {
    Countries->Open();
    EXPECT_EQ(NameOf(2), QStringLiteral("France"));
    Countries->SetFilter(QStringLiteral("Id <> 2"));
    Countries->SetFiltered(true);
    EXPECT_TRUE(NameOf(2).isEmpty());
    Countries->SetFiltered(false);
    EXPECT_EQ(NameOf(2), QStringLiteral("France"));
    Countries->SetIndexFieldNames(QStringLiteral("Name"));
    EXPECT_EQ(
        Countries->Lookup(QStringLiteral("Name"), QStringLiteral("Spain"), QStringLiteral("Id"))
            .toInt(),
        1);

    // People of the current country only: the master's move changes the results.
    TDataSource source;
    source.SetDataSet(Countries);
    Countries->SetIndexFieldNames(QStringLiteral("Id"));
    Countries->First();
    std::unique_ptr<TTable> people(Db.NewTable(QStringLiteral("People.db")));
    people->SetIndexFieldNames(QStringLiteral("Country;Name"));
    people->SetMasterSource(&source);
    people->SetMasterFields(QStringLiteral("Id"));
    people->Open();
    // The Id of a person, 0 when none is found.
    const auto idOf = [&people](const char* Name) {
        return people
            ->Lookup(QStringLiteral("Name"), QString::fromLatin1(Name), QStringLiteral("Id"))
            .toInt();
    };
    EXPECT_EQ(idOf("Person 0004"), 4);
    EXPECT_EQ(idOf("Person 0005"), 0);
    Countries->Next();
    EXPECT_EQ(idOf("Person 0004"), 0);
    EXPECT_EQ(idOf("Person 0005"), 5);
}

TEST_F(LookupSnapshot, ADatasetWithCalculatedFieldsCalculatesEveryLookup) {
    auto* id = new TIntegerField(&Owner);
    id->SetFieldName(QStringLiteral("Id"));
    id->SetDataSet(Countries);
    auto* name = new TStringField(&Owner);
    name->SetFieldName(QStringLiteral("Name"));
    name->SetDataSet(Countries);
    auto* code = new TStringField(&Owner);
    code->SetFieldName(QStringLiteral("Code"));
    code->SetFieldKind(fkCalculated);
    code->SetDataSet(Countries);
    int calls = 0;
    Countries->SetOnCalcFields([&calls, name, code](TDataSet*) {
        ++calls;
        code->SetAsString(name->AsString().left(2).toUpper());
    });
    Countries->Open();
    const int afterOpen = calls;
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(Countries->Lookup(QStringLiteral("Id"), 3, QStringLiteral("Code")).toString(),
                  QStringLiteral("IT"));
    EXPECT_EQ(calls, afterOpen + 2);
}

} // namespace
