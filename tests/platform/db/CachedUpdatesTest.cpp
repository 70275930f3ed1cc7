#include "EngineTest.h"

#include <QCoreApplication>
#include <QDir>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/Fields.h>
#include <db/SqliteConnection.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Exceptions.h>

namespace {

ON_EVERY_ENGINE(CachedUpdates);
ON_EVERY_ENGINE(LookupCache);

QStringList Names(TDataSet* table) {
    QStringList names;
    table->DisableControls();
    for (table->First(); !table->Eof(); table->Next())
        names << table->FieldByName(QStringLiteral("Name"))->AsString();
    table->EnableControls();
    return names;
}

// A second view of the same table, reading what the engine holds.
QStringList StoredNames(const TPeopleDatabase& db) {
    std::unique_ptr<TTable> other(db.NewTable(QStringLiteral("Country.db")));
    other->SetIndexFieldNames(QStringLiteral("Id"));
    other->Open();
    return Names(other.get());
}

// Country in Id order with cached updates, open.
std::unique_ptr<TTable> OpenCachedCountry(const TPeopleDatabase& db) {
    std::unique_ptr<TTable> country(db.NewTable(QStringLiteral("Country.db")));
    country->SetIndexFieldNames(QStringLiteral("Id"));
    country->SetCachedUpdates(true);
    country->Open();
    return country;
}

TEST_P(CachedUpdates, ChangesShowAtOnceAndReachTheEngineWhenApplied) {
    TPeopleDatabase db(0, Engine());
    const std::unique_ptr<TTable> country = OpenCachedCountry(db);
    country->Edit();
    country->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("España"));
    country->Post();
    country->Next();
    country->Delete(); // France
    country->Append();
    country->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Greece"));
    country->Post();
    EXPECT_TRUE(country->UpdatesPending());
    EXPECT_EQ(Names(country.get()), (QStringList{QStringLiteral("España"), QStringLiteral("Italy"),
                                                 QStringLiteral("Greece")}));
    EXPECT_EQ(country->RecordCount(), 3);
    country->Last();
    EXPECT_EQ(country->RecNo(), 3);
    EXPECT_EQ(StoredNames(db), (QStringList{QStringLiteral("Spain"), QStringLiteral("France"),
                                            QStringLiteral("Italy")}));
    country->ApplyUpdates();
    EXPECT_FALSE(country->UpdatesPending());
    EXPECT_EQ(StoredNames(db), (QStringList{QStringLiteral("España"), QStringLiteral("Italy"),
                                            QStringLiteral("Greece")}));
    EXPECT_EQ(Names(country.get()), StoredNames(db));
}

TEST_P(CachedUpdates, CancelDropsEveryChange) {
    TPeopleDatabase db(0, Engine());
    const std::unique_ptr<TTable> country = OpenCachedCountry(db);
    country->Delete();
    country->Append();
    country->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Malta"));
    country->Post();
    country->Edit(); // editing a cached insert keeps it one insert
    country->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Gozo"));
    country->Post();
    EXPECT_EQ(Names(country.get()), (QStringList{QStringLiteral("France"), QStringLiteral("Italy"),
                                                 QStringLiteral("Gozo")}));
    EXPECT_THROW(country->SetCachedUpdates(false), EDatabaseError); // pending changes
    country->CancelUpdates();
    EXPECT_FALSE(country->UpdatesPending());
    EXPECT_EQ(Names(country.get()), StoredNames(db));
    country->SetCachedUpdates(false);
}

TEST_P(CachedUpdates, AFailedApplyKeepsTheChangesAndWritesNothing) {
    TPeopleDatabase db(0, Engine());
    const std::unique_ptr<TTable> country = OpenCachedCountry(db);
    country->Append();
    country->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Portugal"));
    country->Post();
    country->Append();
    country->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Spain")); // unique
    country->Post();
    EXPECT_THROW(country->ApplyUpdates(), EDatabaseError);
    EXPECT_TRUE(country->UpdatesPending());
    EXPECT_EQ(StoredNames(db).size(), 3); // the transaction wrote nothing
    country->Last();
    country->Edit();
    country->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Andorra"));
    country->Post();
    country->ApplyUpdates();
    EXPECT_EQ(StoredNames(db).size(), 5);
}

// The reads of a burst share a snapshot of the file; another connection's commit neither
// blocks applying the cached updates nor stays hidden once the event loop has run.
TEST(CachedUpdatesOnSqlite, ApplyingAfterAnotherConnectionsCommitSeesIt) {
    TPeopleDatabase db;
    const std::unique_ptr<TTable> country = OpenCachedCountry(db);
    country->Edit();
    country->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("España"));
    country->Post();
    TSqliteConnection other(QDir(db.Path()).filePath(QLatin1String(StandardDatabaseFile)));
    other.Execute(QStringLiteral("UPDATE Country SET Name = 'Italia' WHERE Name = 'Italy'"));

    country->ApplyUpdates();
    country->Refresh();
    EXPECT_EQ(Names(country.get()), (QStringList{QStringLiteral("España"), QStringLiteral("France"),
                                                 QStringLiteral("Italia")}));

    other.Execute(QStringLiteral("UPDATE Country SET Name = 'Francia' WHERE Name = 'France'"));
    QCoreApplication::processEvents();
    country->Refresh();
    EXPECT_EQ(Names(country.get()),
              (QStringList{QStringLiteral("España"), QStringLiteral("Francia"),
                           QStringLiteral("Italia")}));
}

TEST_P(LookupCache, PairsAreLoadedOnceAtOpen) {
    TPeopleDatabase db(3, Engine());
    TComponent form;
    TTable* country = db.NewTable(QStringLiteral("Country.db"), &form);
    TTable* people = db.NewTable(QStringLiteral("People.db"), &form);
    for (const char* name : {"Id", "Name", "Country"}) {
        TField* field = QString::fromLatin1(name) == QLatin1String("Name")
                            ? static_cast<TField*>(new TStringField(&form))
                            : static_cast<TField*>(new TIntegerField(&form));
        field->SetFieldName(QString::fromLatin1(name));
        field->SetDataSet(people);
    }
    auto* countryName = new TStringField(&form);
    countryName->SetFieldName(QStringLiteral("CountryName"));
    countryName->SetFieldKind(fkLookup);
    countryName->SetLookupDataSet(country);
    countryName->SetKeyFields(QStringLiteral("Country"));
    countryName->SetLookupKeyFields(QStringLiteral("Id"));
    countryName->SetLookupResultField(QStringLiteral("Name"));
    countryName->SetLookupCache(true);
    countryName->SetDataSet(people);
    people->Open();
    EXPECT_FALSE(country->Active()); // opened for the cache and closed again
    EXPECT_EQ(countryName->FindLookupListItem(2).value_or(Null()).toString(),
              QStringLiteral("France"));
    EXPECT_EQ(countryName->AsString(), QStringLiteral("Spain"));
    // The cache, not the lookup table, answers: a change there is not seen.
    std::unique_ptr<TTable> writer(db.NewTable(QStringLiteral("Country.db")));
    writer->Open();
    writer->Edit();
    writer->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Castile"));
    writer->Post();
    people->Refresh();
    EXPECT_EQ(countryName->AsString(), QStringLiteral("Spain"));
}

// Country in the order of its names, with cached updates.
std::unique_ptr<TTable> CachedCountryByName(const TPeopleDatabase& db) {
    std::unique_ptr<TTable> country(db.NewTable(QStringLiteral("Country.db")));
    country->SetIndexFieldNames(QStringLiteral("Name"));
    country->SetCachedUpdates(true);
    country->Open();
    return country;
}

void SetName(TDataSet* table, const char* name) {
    table->Edit();
    table->FieldByName(QStringLiteral("Name"))->SetAsString(QString::fromUtf8(name));
    table->Post();
}

// The names from the last record back, at most Limit of them.
QStringList NamesBackwards(TDataSet* table, int Limit = 20) {
    QStringList names;
    for (table->Last(); !table->Bof() && names.size() < Limit; table->Prior())
        names.prepend(table->FieldByName(QStringLiteral("Name"))->AsString());
    return names;
}

TEST_P(CachedUpdates, EditingAnOrderFieldKeepsTheRecordWhereTheEngineHasIt) {
    TPeopleDatabase db(0, Engine());
    auto country = CachedCountryByName(db); // France, Italy, Spain
    SetName(country.get(), "Zealand");      // France, shown at France's place
    const QStringList shown{QStringLiteral("Zealand"), QStringLiteral("Italy"),
                            QStringLiteral("Spain")};
    EXPECT_EQ(Names(country.get()), shown);
    EXPECT_EQ(NamesBackwards(country.get()), shown);
    country->First();
    EXPECT_EQ(country->RecNo(), 1);
    country->Next();
    EXPECT_EQ(country->RecNo(), 2);
    country->Prior();
    SetName(country.get(), "Andorra"); // edited twice
    country->Delete();
    EXPECT_EQ(country->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Italy"));
    EXPECT_EQ(country->RecNo(), 1);
    EXPECT_EQ(NamesBackwards(country.get()),
              (QStringList{QStringLiteral("Italy"), QStringLiteral("Spain")}));
}

TEST_P(CachedUpdates, SearchesSeeTheCachedRecords) {
    TPeopleDatabase db(0, Engine());
    auto country = CachedCountryByName(db); // France, Italy, Spain
    SetName(country.get(), "Gaul");         // France
    country->Next();
    country->Delete(); // Italy
    country->Append();
    country->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Malta"));
    country->Post();
    country->First();
    const QString name = QStringLiteral("Name");
    EXPECT_FALSE(country->Locate(name, QStringLiteral("Italy"), {}));
    EXPECT_FALSE(country->Locate(name, QStringLiteral("France"), {}));
    EXPECT_TRUE(country->Locate(name, QStringLiteral("gau"), {loPartialKey, loCaseInsensitive}));
    EXPECT_EQ(country->FieldByName(name)->AsString(), QStringLiteral("Gaul"));
    EXPECT_TRUE(country->Locate(name, QStringLiteral("Malta"), {}));
    EXPECT_EQ(country->FieldByName(name)->AsString(), QStringLiteral("Malta"));
    EXPECT_FALSE(country->FindKey({QStringLiteral("Italy")}));
    EXPECT_TRUE(country->FindKey({QStringLiteral("Gaul")}));
    EXPECT_EQ(country->FieldByName(name)->AsString(), QStringLiteral("Gaul"));
    EXPECT_TRUE(country->FindKey({QStringLiteral("Malta")}));
    country->FindNearest({QStringLiteral("H")}); // past Gaul; Italy is gone
    EXPECT_EQ(country->FieldByName(name)->AsString(), QStringLiteral("Spain"));
    EXPECT_TRUE(VarIsNull(country->Lookup(name, QStringLiteral("Italy"), QStringLiteral("Id"))));
    EXPECT_TRUE(VarIsNull(country->Lookup(name, QStringLiteral("France"), QStringLiteral("Id"))));
    EXPECT_EQ(country->Lookup(name, QStringLiteral("Gaul"), QStringLiteral("Id")).toInt(), 2);
    EXPECT_EQ(country->Lookup(QStringLiteral("Id"), 2, name).toString(), QStringLiteral("Gaul"));
    EXPECT_EQ(country->Lookup(name, QStringLiteral("Malta"), name).toString(),
              QStringLiteral("Malta"));
}

TEST_P(CachedUpdates, InsertedRecordsFollowTheMasterAndTheFilter) {
    TPeopleDatabase db(6, Engine());
    TComponent form;
    TTable* country = db.NewTable(QStringLiteral("Country.db"), &form);
    country->SetIndexFieldNames(QStringLiteral("Id"));
    auto* source = new TDataSource(&form);
    source->SetDataSet(country);
    TTable* people = db.NewTable(QStringLiteral("People.db"), &form);
    people->SetIndexFieldNames(QStringLiteral("country;NAME")); // names match ignoring case
    people->SetMasterSource(source);
    people->SetMasterFields(QStringLiteral("id"));
    people->SetCachedUpdates(true);
    country->Open();
    people->Open();
    people->Append(); // under Spain
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Zoe"));
    people->Post();
    EXPECT_EQ(Names(people), (QStringList{QStringLiteral("Person 0001"),
                                          QStringLiteral("Person 0004"), QStringLiteral("Zoe")}));
    country->Next(); // France
    EXPECT_EQ(Names(people),
              (QStringList{QStringLiteral("Person 0002"), QStringLiteral("Person 0005")}));
    EXPECT_EQ(people->RecordCount(), 2);
    country->First();
    EXPECT_EQ(people->RecordCount(), 3);
    people->SetFilter(QStringLiteral("Name = 'Person 0004'"));
    people->SetFiltered(true);
    EXPECT_EQ(Names(people), QStringList{QStringLiteral("Person 0004")});
    EXPECT_EQ(people->RecordCount(), 1);
    people->Last();
    EXPECT_EQ(people->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0004"));
}

} // namespace
