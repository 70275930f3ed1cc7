#include "EngineTest.h"
#include "ReadOnlyFolder.h"

#include <algorithm>
#include <db/DataSource.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Query.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Exceptions.h>

namespace {

// A link that records the events it receives, with a window of rows.
class TRecordingLink : public TDataLink {
public:
    QStringList Log;

protected:
    void ActiveChanged() override { Log << QStringLiteral("active=%1").arg(Active()); }
    void DataSetChanged() override { Log << QStringLiteral("changed"); }
    void DataSetScrolled(int Distance) override {
        Log << QStringLiteral("scrolled %1").arg(Distance);
    }
    void EditingChanged() override { Log << QStringLiteral("editing=%1").arg(Editing()); }
    void RecordChanged(TField* Field) override {
        Log << QStringLiteral("record %1").arg(Field ? Field->FieldName() : QStringLiteral("-"));
    }
};

ON_EVERY_ENGINE(TableBookmarks);
ON_EVERY_ENGINE(TableControls);
ON_EVERY_ENGINE(TableEditing);
ON_EVERY_ENGINE(TableFaults);
ON_EVERY_ENGINE(TableFields);
ON_EVERY_ENGINE(TableIndexes);
ON_EVERY_ENGINE(TableLinks);
ON_EVERY_ENGINE(TableMasterDetail);
ON_EVERY_ENGINE(TableNavigation);

QString NameOf(TDataSet* people) {
    return people->FieldByName(QStringLiteral("Name"))->AsString();
}

TEST_P(TableNavigation, EmptyTableIsAtBothEnds) {
    TPeopleDatabase db(0, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    EXPECT_TRUE(people->Bof());
    EXPECT_TRUE(people->Eof());
    EXPECT_TRUE(people->IsEmpty());
    EXPECT_EQ(people->RecordCount(), 0);
    EXPECT_EQ(people->RecNo(), -1);
    people->Next();
    people->Prior();
    people->Last();
    EXPECT_TRUE(people->Eof() && people->Bof());
    EXPECT_TRUE(people->FieldByName(QStringLiteral("Name"))->IsNull());
}

TEST_P(TableNavigation, OneRecord) {
    TPeopleDatabase db(1, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    EXPECT_TRUE(people->Bof());
    EXPECT_FALSE(people->Eof());
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0001"));
    people->Next();
    EXPECT_TRUE(people->Eof());
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0001"));
    people->Prior();
    EXPECT_TRUE(people->Bof());
    EXPECT_EQ(people->RecordCount(), 1);
    EXPECT_EQ(people->RecNo(), 1);
}

TEST_P(TableNavigation, WalksALargeTableBothWaysInIndexOrder) {
    TPeopleDatabase db(500, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->SetIndexFieldNames(QStringLiteral("Country;Name"));
    people->Open();
    int count = 0;
    QString previous;
    while (!people->Eof()) {
        const QString key = people->FieldByName(QStringLiteral("Country"))->AsString() +
                            QLatin1Char('|') + NameOf(people.get());
        EXPECT_LT(previous, key);
        previous = key;
        ++count;
        people->Next();
    }
    EXPECT_EQ(count, 500);
    people->Last();
    EXPECT_TRUE(people->Eof());
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0498")); // country 3, last name
    EXPECT_EQ(people->RecNo(), 500);
    count = 0;
    while (!people->Bof()) {
        ++count;
        people->Prior();
    }
    EXPECT_EQ(count, 500);
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0001"));
    EXPECT_EQ(people->MoveBy(250), 250);
    EXPECT_EQ(people->RecNo(), 251);
    EXPECT_EQ(people->MoveBy(1000), 249);
    EXPECT_TRUE(people->Eof());
    EXPECT_EQ(people->MoveBy(-1000), -499);
    EXPECT_TRUE(people->Bof());
}

TEST_P(TableEditing, StateMachineRunsEventsInOrder) {
    TPeopleDatabase db(3, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    QStringList log;
    auto record = [&log](const char* name) {
        return TDataSetNotifyEvent([&log, name](TDataSet*) { log << QString::fromLatin1(name); });
    };
    people->SetBeforeOpen(record("BeforeOpen"));
    people->SetAfterOpen(record("AfterOpen"));
    people->SetBeforeInsert(record("BeforeInsert"));
    people->SetOnNewRecord([&log](TDataSet* d) {
        log << QStringLiteral("OnNewRecord");
        d->FieldByName(QStringLiteral("Country"))->SetAsInteger(2);
    });
    people->SetAfterInsert(record("AfterInsert"));
    people->SetBeforePost(record("BeforePost"));
    people->SetAfterPost(record("AfterPost"));
    people->SetBeforeEdit(record("BeforeEdit"));
    people->SetAfterEdit(record("AfterEdit"));
    people->SetBeforeCancel(record("BeforeCancel"));
    people->SetAfterCancel(record("AfterCancel"));
    people->SetBeforeDelete(record("BeforeDelete"));
    people->SetAfterDelete(record("AfterDelete"));
    people->SetBeforeScroll(record("BeforeScroll"));
    people->SetAfterScroll(record("AfterScroll"));
    people->SetBeforeClose(record("BeforeClose"));
    people->SetAfterClose(record("AfterClose"));

    people->Open();
    EXPECT_EQ(log, (QStringList{"BeforeOpen", "AfterOpen", "AfterScroll"}));
    log.clear();
    people->Append();
    EXPECT_EQ(people->State(), dsInsert);
    EXPECT_FALSE(people->Modified()); // OnNewRecord's values do not count as a change
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Zed"));
    EXPECT_TRUE(people->Modified());
    people->Post();
    EXPECT_EQ(people->State(), dsBrowse);
    EXPECT_EQ(log, (QStringList{"BeforeInsert", "OnNewRecord", "AfterInsert", "BeforePost",
                                "AfterPost"}));
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Zed"));
    EXPECT_EQ(people->FieldByName(QStringLiteral("Country"))->AsInteger(), 2);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Id"))->AsInteger(), 4); // numbered by the engine
    log.clear();
    people->Edit();
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Changed"));
    people->Cancel();
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Zed"));
    people->Delete();
    EXPECT_EQ(people->RecordCount(), 3);
    EXPECT_EQ(log, (QStringList{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel",
                                "BeforeDelete", "AfterDelete", "AfterScroll"}));
    log.clear();
    people->Close();
    EXPECT_EQ(log, (QStringList{"BeforeClose", "AfterClose"}));
}

TEST_P(TableEditing, PostedChangesPersistAndCheckBrowseModeDecides) {
    TPeopleDatabase db(3, Engine());
    {
        std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
        people->Open();
        people->Next();
        people->Edit();
        people->FieldByName(QStringLiteral("Salary"))->SetAsFloat(1234.5);
        people->FieldByName(QStringLiteral("Birth"))->SetAsVariant(QDate(2001, 2, 3));
        people->FieldByName(QStringLiteral("Notes"))->SetAsString(QStringLiteral("line 1\nline 2"));
        people->CheckBrowseMode(); // changed: posts
        EXPECT_EQ(people->State(), dsBrowse);
        people->Edit();
        people->CheckBrowseMode(); // unchanged: cancels
        EXPECT_EQ(people->State(), dsBrowse);
    }
    std::unique_ptr<TTable> again(db.NewTable(QStringLiteral("People.db")));
    again->Open();
    again->Next();
    EXPECT_DOUBLE_EQ(again->FieldByName(QStringLiteral("Salary"))->AsFloat(), 1234.5);
    EXPECT_EQ(again->FieldByName(QStringLiteral("Birth"))->Value(), QVariant(QDate(2001, 2, 3)));
    EXPECT_EQ(again->FieldByName(QStringLiteral("Notes"))->AsString(),
              QStringLiteral("line 1\nline 2"));
    EXPECT_TRUE(again->FieldByName(QStringLiteral("Active"))->AsBoolean()); // row 2 is active
}

TEST_P(TableBookmarks, SurviveAChangeOfOrder) {
    TPeopleDatabase db(100, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    people->MoveBy(41);
    const TBookmark mark = people->GetBookmark();
    const QString name = NameOf(people.get());
    people->SetIndexFieldNames(QStringLiteral("Country;Name"));
    EXPECT_EQ(NameOf(people.get()), name); // the current record stays
    people->First();
    people->GotoBookmark(mark);
    EXPECT_EQ(NameOf(people.get()), name);
    EXPECT_TRUE(people->BookmarkValid(mark));
    people->First();
    const TBookmark first = people->GetBookmark();
    EXPECT_LT(people->CompareBookmarks(first, mark), 0);
    EXPECT_GT(people->CompareBookmarks(mark, first), 0);
    EXPECT_EQ(people->CompareBookmarks(mark, mark), 0);
    people->GotoBookmark(mark);
    people->Delete();
    EXPECT_FALSE(people->BookmarkValid(mark));
    EXPECT_THROW(people->GotoBookmark(mark), EDatabaseError);
}

// The orders a table has shown are kept: switching back shows the rows as they are now.
TEST_P(TableNavigation, AnOrderSwitchedBackShowsTheEditsMadeMeanwhile) {
    TPeopleDatabase db(20, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->SetIndexFieldNames(QStringLiteral("Name"));
    people->Open();
    const QString first = NameOf(people.get());
    people->SetIndexFieldNames(QStringLiteral("Country;Name"));
    people->Locate(QStringLiteral("Name"), first, {});
    people->Edit();
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Zz last"));
    people->Post();
    people->Append();
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Aa first"));
    people->Post();
    people->SetIndexFieldNames(QStringLiteral("Name"));
    EXPECT_EQ(people->RecordCount(), 21);
    people->First();
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Aa first"));
    people->Last();
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Zz last"));
    people->FindNearest({QStringLiteral("Zz")});
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Zz last"));
    people->Delete();
    people->SetIndexFieldNames(QStringLiteral("Country;Name"));
    people->SetIndexFieldNames(QStringLiteral("Name"));
    people->Last();
    EXPECT_NE(NameOf(people.get()), QStringLiteral("Zz last"));
    EXPECT_EQ(people->RecordCount(), 20);
}

// Three people and the jobs of the current one, in "People;Title" order, both open.
struct TJobsOfPeople {
    explicit TJobsOfPeople(const QString& Engine)
        : Db(3, Engine), People(Db.NewTable(QStringLiteral("People.db"))),
          Job(Db.NewTable(QStringLiteral("Job.db"))) {
        Source.SetDataSet(People.get());
        Job->SetIndexFieldNames(QStringLiteral("People;Title"));
        Job->SetMasterSource(&Source);
        Job->SetMasterFields(QStringLiteral("Id"));
        People->Open();
        Job->Open();
    }
    TPeopleDatabase Db;
    std::unique_ptr<TTable> People;
    std::unique_ptr<TTable> Job;
    TDataSource Source;
};

// A detail whose order is switched while its master moves shows the master's records.
TEST_P(TableMasterDetail, AnOrderSwitchedBackFollowsTheMasterMovedMeanwhile) {
    TJobsOfPeople data(Engine());
    TPeopleDatabase& db = data.Db;
    TTable* people = data.People.get();
    TTable* job = data.Job.get();
    TDataSource& source = data.Source;
    for (const char* title : {"Baker", "Cook"}) {
        job->Append();
        job->FieldByName(QStringLiteral("Title"))->SetAsString(QString::fromLatin1(title));
        job->Post();
        people->Next();
    }
    people->First();
    job->SetIndexFieldNames(QStringLiteral("People;Id"));
    people->Next();
    job->SetIndexFieldNames(QStringLiteral("People;Title"));
    EXPECT_EQ(job->RecordCount(), 1);
    EXPECT_EQ(job->FieldByName(QStringLiteral("Title"))->AsString(), QStringLiteral("Cook"));
    job->SetIndexFieldNames(QStringLiteral("People;Id"));
    people->First();
    job->SetIndexFieldNames(QStringLiteral("People;Title"));
    EXPECT_EQ(job->FieldByName(QStringLiteral("Title"))->AsString(), QStringLiteral("Baker"));
    people->Last();
    EXPECT_TRUE(job->IsEmpty());

    // The master's fields are found again when it opens anew or another master comes.
    people->Close();
    people->Open();
    people->Next();
    EXPECT_EQ(job->FieldByName(QStringLiteral("Title"))->AsString(), QStringLiteral("Cook"));
    std::unique_ptr<TTable> other(db.NewTable(QStringLiteral("People.db")));
    other->Open();
    source.SetDataSet(other.get());
    EXPECT_EQ(job->FieldByName(QStringLiteral("Title"))->AsString(), QStringLiteral("Baker"));
    other->Next();
    EXPECT_EQ(job->FieldByName(QStringLiteral("Title"))->AsString(), QStringLiteral("Cook"));
    people->First();
    EXPECT_EQ(job->FieldByName(QStringLiteral("Title"))->AsString(), QStringLiteral("Cook"));
}

TEST_P(TableMasterDetail, DetailFollowsTheMaster) {
    TJobsOfPeople data(Engine());
    TTable* people = data.People.get();
    TTable* job = data.Job.get();
    TDataSource& source = data.Source;
    EXPECT_TRUE(job->IsEmpty());
    job->Append();
    EXPECT_EQ(job->FieldByName(QStringLiteral("People"))->AsInteger(), 1); // from the master
    job->FieldByName(QStringLiteral("Title"))->SetAsString(QStringLiteral("Baker"));
    job->Post();
    people->Next();
    EXPECT_TRUE(job->IsEmpty());
    job->Append();
    job->FieldByName(QStringLiteral("Title"))->SetAsString(QStringLiteral("Cook"));
    job->Post();
    job->Append();
    job->FieldByName(QStringLiteral("Title"))->SetAsString(QStringLiteral("Author"));
    job->Post();
    EXPECT_EQ(job->RecordCount(), 2);
    job->First();
    EXPECT_EQ(job->FieldByName(QStringLiteral("Title"))->AsString(), QStringLiteral("Author"));
    people->First();
    EXPECT_EQ(job->RecordCount(), 1);
    EXPECT_EQ(job->FieldByName(QStringLiteral("Title"))->AsString(), QStringLiteral("Baker"));
    EXPECT_THROW(people->SetMasterSource(&source), EDatabaseError); // a circle
}

TEST_P(TableFields, PersistentCalculatedAndLookupFields) {
    TPeopleDatabase db(4, Engine());
    TComponent form;
    TTable* country = db.NewTable(QStringLiteral("Country.db"), &form);
    TTable* people = db.NewTable(QStringLiteral("People.db"), &form);
    auto* name = new TStringField(&form);
    name->SetFieldName(QStringLiteral("Name"));
    name->SetDataSet(people);
    auto* countryId = new TIntegerField(&form);
    countryId->SetFieldName(QStringLiteral("Country"));
    countryId->SetDataSet(people);
    auto* countryName = new TStringField(&form);
    countryName->SetFieldName(QStringLiteral("CountryName"));
    countryName->SetFieldKind(fkLookup);
    countryName->SetLookupDataSet(country);
    countryName->SetKeyFields(QStringLiteral("Country"));
    countryName->SetLookupKeyFields(QStringLiteral("Id"));
    countryName->SetLookupResultField(QStringLiteral("Name"));
    countryName->SetDataSet(people);
    auto* label = new TStringField(&form);
    label->SetFieldName(QStringLiteral("Label"));
    label->SetFieldKind(fkCalculated);
    label->SetSize(60);
    label->SetDataSet(people);
    people->SetOnCalcFields([](TDataSet* d) {
        d->FieldByName(QStringLiteral("Label"))
            ->SetAsString(d->FieldByName(QStringLiteral("Name"))->AsString() +
                          QStringLiteral(" of ") +
                          d->FieldByName(QStringLiteral("CountryName"))->AsString());
    });
    country->Open();
    people->Open();
    EXPECT_EQ(people->FieldCount(), 4); // only the declared fields, in their order
    EXPECT_EQ(people->Fields()->Fields(2), countryName);
    EXPECT_EQ(people->FindField(QStringLiteral("Salary")), nullptr);
    EXPECT_EQ(label->AsString(), QStringLiteral("Person 0001 of Spain"));
    people->Next();
    EXPECT_EQ(countryName->AsString(), QStringLiteral("France"));
    people->Edit();
    countryId->SetAsInteger(3);
    EXPECT_EQ(countryName->AsString(), QStringLiteral("Italy")); // follows the key at once
    EXPECT_EQ(label->AsString(), QStringLiteral("Person 0002 of Italy"));
    people->Post();
    countryName->SetIndex(0);
    EXPECT_EQ(people->Fields()->Fields(0), countryName);
    people->Close();
    EXPECT_EQ(people->FieldCount(), 4); // persistent fields stay after closing
}

TEST_P(TableFields, LookupOverAClosedDataSetLeavesTheValueEmpty) {
    TPeopleDatabase db(4, Engine());
    TComponent form;
    TTable* country = db.NewTable(QStringLiteral("Country.db"), &form);
    TTable* people = db.NewTable(QStringLiteral("People.db"), &form);
    auto* countryId = new TIntegerField(&form);
    countryId->SetFieldName(QStringLiteral("Country"));
    countryId->SetDataSet(people);
    auto* countryName = new TStringField(&form);
    countryName->SetFieldName(QStringLiteral("CountryName"));
    countryName->SetFieldKind(fkLookup);
    countryName->SetLookupDataSet(country);
    countryName->SetKeyFields(QStringLiteral("Country"));
    countryName->SetLookupKeyFields(QStringLiteral("Id"));
    countryName->SetLookupResultField(QStringLiteral("Name"));
    countryName->SetDataSet(people);
    people->Open();
    int records = 0;
    for (; !people->Eof(); people->Next(), ++records) {
        EXPECT_TRUE(countryName->IsNull());
        EXPECT_EQ(countryName->DisplayText(), QString());
    }
    EXPECT_EQ(records, 4);
    people->Edit();
    countryId->SetAsInteger(2);
    EXPECT_TRUE(countryName->IsNull());
    people->Cancel();

    country->Open();
    people->Refresh();
    people->First();
    EXPECT_EQ(countryName->AsString(), QStringLiteral("Spain"));
}

TEST_P(TableFields, LookupsFollowKeysChangedBetweenOpensAndForgetADestroyedDataSet) {
    TPeopleDatabase db(4, Engine());
    TComponent form;
    TTable* country = db.NewTable(QStringLiteral("Country.db"), &form);
    TTable* people = db.NewTable(QStringLiteral("People.db"), &form);
    for (const char* name : {"Id", "Country"}) {
        auto* key = new TIntegerField(&form);
        key->SetFieldName(QString::fromLatin1(name));
        key->SetDataSet(people);
    }
    const auto addLookup = [&](const char* Name, const char* Key) {
        auto* field = new TStringField(&form);
        field->SetFieldName(QString::fromLatin1(Name));
        field->SetFieldKind(fkLookup);
        field->SetLookupDataSet(country);
        field->SetKeyFields(QString::fromLatin1(Key));
        field->SetLookupKeyFields(QStringLiteral("Id"));
        field->SetLookupResultField(QStringLiteral("Name"));
        field->SetDataSet(people);
        return field;
    };
    TField* byCountry = addLookup("ByCountry", "Country");
    country->Open();
    people->Open();
    people->Last(); // Person 0004 of country 1
    EXPECT_EQ(byCountry->AsString(), QStringLiteral("Spain"));

    // Keyed by the person's id now: there is no country 4.
    people->Close();
    byCountry->SetKeyFields(QStringLiteral("Id"));
    people->Open();
    people->Last();
    EXPECT_TRUE(byCountry->IsNull());
    people->First();
    EXPECT_EQ(byCountry->AsString(), QStringLiteral("Spain"));

    // A lookup field added while closed is calculated beside the first.
    people->Close();
    TField* second = addLookup("Second", "Country");
    people->Open();
    people->Next();
    EXPECT_EQ(byCountry->AsString(), QStringLiteral("France"));
    EXPECT_EQ(second->AsString(), QStringLiteral("France"));

    // The lookup dataset destroyed while the people are open leaves the values empty.
    delete country;
    people->Refresh();
    for (people->First(); !people->Eof(); people->Next()) {
        EXPECT_TRUE(byCountry->IsNull());
        EXPECT_TRUE(second->IsNull());
    }
}

TEST_P(TableFields, DefaultFieldsComeFromTheColumns) {
    TPeopleDatabase db(1, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    ASSERT_EQ(people->FieldCount(), 7);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Id"))->DataType(), ftAutoInc);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Name"))->DataType(), ftString);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Name"))->Size(), 30);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Birth"))->DataType(), ftDate);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Salary"))->DataType(), ftCurrency);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Active"))->DataType(), ftBoolean);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Notes"))->DataType(), ftMemo);
    try {
        people->SetName(QStringLiteral("TbPeople"));
        people->FieldByName(QStringLiteral("Nmae"));
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("TbPeople: Field 'Nmae' not found"));
    }
    people->Close();
    EXPECT_EQ(people->FieldCount(), 0);
}

TEST_P(TableIndexes, DefinitionsAreReadWithoutOpening) {
    TPeopleDatabase db(0, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->IndexDefs()->Update();
    EXPECT_FALSE(people->Active());
    const TIndexDef* byCountry =
        people->IndexDefs()->FindIndexForFields(QStringLiteral("country;name"));
    ASSERT_NE(byCountry, nullptr);
    const int primary = people->IndexDefs()->IndexOf(QStringLiteral("PRIMARY"));
    ASSERT_GE(primary, 0);
    EXPECT_TRUE(people->IndexDefs()->Items(primary)->Options().Contains(ixPrimary));
    std::unique_ptr<TTable> country(db.NewTable(QStringLiteral("Country.db")));
    country->IndexDefs()->Update();
    const TIndexDef* byName = country->IndexDefs()->FindIndexForFields(QStringLiteral("Name"));
    ASSERT_NE(byName, nullptr);
    EXPECT_TRUE(byName->Options().Contains(ixUnique));
    EXPECT_TRUE(country->Exists());
    std::unique_ptr<TTable> missing(db.NewTable(QStringLiteral("Missing.db")));
    EXPECT_FALSE(missing->Exists());
    EXPECT_THROW(missing->Open(), EDatabaseError);
    EXPECT_FALSE(missing->Active());
}

TEST_P(TableFaults, RejectedValuesAndPostsKeepTheRecord) {
    TPeopleDatabase db(0, Engine());
    std::unique_ptr<TTable> country(db.NewTable(QStringLiteral("Country.db")));
    country->Open();
    country->Append();
    TField* name = country->FieldByName(QStringLiteral("Name"));
    name->SetAsString(QStringLiteral("Spain")); // exists: the unique index refuses it
    EXPECT_THROW(country->Post(), EDatabaseError);
    EXPECT_EQ(country->State(), dsInsert);
    EXPECT_EQ(name->AsString(), QStringLiteral("Spain"));
    EXPECT_THROW(name->SetAsString(QString(31, QLatin1Char('x'))), EDatabaseError);
    EXPECT_EQ(name->AsString(), QStringLiteral("Spain"));
    EXPECT_THROW(country->FieldByName(QStringLiteral("Id"))->SetAsString(QStringLiteral("abc")),
                 Exception);
    name->SetAsString(QStringLiteral("Portugal"));
    country->Post();
    EXPECT_EQ(country->RecordCount(), 4);
    country->Edit();
    name->Clear();
    EXPECT_THROW(country->Post(), EDatabaseError); // required
    EXPECT_EQ(country->State(), dsEdit);
}

TEST(TableReadOnlyFile, DatasetsOfAFileOpenedForReadingRefuseEditingBeforeAnyWrite) {
    TPeopleDatabase db(3);
    TReadOnlyFolder folder(db.Path());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    EXPECT_EQ(people->RecordCount(), 3);
    EXPECT_FALSE(people->CanModify());
    TField* name = people->FieldByName(QStringLiteral("Name"));
    EXPECT_FALSE(name->CanModify());
    EXPECT_THROW(people->Edit(), EDatabaseError);
    EXPECT_THROW(people->Append(), EDatabaseError);
    EXPECT_THROW(people->Delete(), EDatabaseError);
    EXPECT_EQ(people->State(), dsBrowse);
    EXPECT_EQ(name->AsString(), QStringLiteral("Person 0001"));

    TQuery live;
    live.SetDatabaseName(db.Alias());
    live.SQL()->SetText(QStringLiteral("select * from People"));
    live.SetRequestLive(true);
    live.Open();
    EXPECT_FALSE(live.CanModify());
    EXPECT_THROW(live.Edit(), EDatabaseError);
}

TEST_P(TableLinks, TwoLinksShareADatasetAndAGridReadsItsRows) {
    TPeopleDatabase db(30, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    TDataSource source;
    source.SetDataSet(people.get());
    TRecordingLink grid, edit;
    grid.SetBufferCount(10);
    grid.SetDataSource(&source);
    edit.SetDataSource(&source);
    people->Open();
    EXPECT_TRUE(grid.Active() && edit.Active());
    EXPECT_EQ(grid.RecordCount(), 10);
    EXPECT_EQ(edit.RecordCount(), 1);
    people->MoveBy(3);
    EXPECT_EQ(grid.ActiveRecord(), 3);
    // The grid reads its other rows without moving the current record.
    QStringList rows;
    const int active = grid.ActiveRecord();
    for (int i = 0; i < grid.RecordCount(); ++i) {
        grid.SetActiveRecord(i);
        rows << NameOf(people.get());
    }
    grid.SetActiveRecord(active);
    EXPECT_EQ(rows.first(), QStringLiteral("Person 0001"));
    EXPECT_EQ(rows.last(), QStringLiteral("Person 0010"));
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0004"));
    grid.Log.clear();
    people->MoveBy(10); // past the window: it scrolls
    EXPECT_EQ(grid.ActiveRecord(), 9);
    grid.SetActiveRecord(0);
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0005"));
    grid.SetActiveRecord(9);
    EXPECT_TRUE(grid.Log.contains(QStringLiteral("scrolled 4")));
    people->Edit();
    EXPECT_TRUE(grid.Editing() && edit.Editing());
    people->Cancel();
    EXPECT_FALSE(edit.Editing());
    people->Close();
    EXPECT_FALSE(grid.Active());
    EXPECT_TRUE(edit.Log.contains(QStringLiteral("active=0")));
}

TEST_P(TableLinks, AWindowCentredOnAFoundRecordWalksOnAndBackInOrder) {
    TPeopleDatabase db(60, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->SetIndexFieldNames(QStringLiteral("Name"));
    TDataSource source;
    source.SetDataSet(people.get());
    TRecordingLink list;
    list.SetBufferCount(7);
    list.SetDataSource(&source);
    people->Open();
    ASSERT_TRUE(people->Locate(QStringLiteral("Name"), QStringLiteral("Person 0030"), {}));
    const auto shown = [&] {
        QStringList rows;
        const int active = list.ActiveRecord();
        for (int i = 0; i < list.RecordCount(); ++i) {
            list.SetActiveRecord(i);
            rows << NameOf(people.get()).right(2);
        }
        list.SetActiveRecord(active);
        return rows.join(QLatin1Char(' '));
    };
    EXPECT_EQ(shown(), QStringLiteral("27 28 29 30 31 32 33"));
    // The reads going on from the window start small and grow; back from it, one
    // comparison passes the found name. Neither skips nor repeats a record.
    people->MoveBy(6);
    EXPECT_EQ(shown(), QStringLiteral("30 31 32 33 34 35 36"));
    QStringList on;
    for (; !people->Eof(); people->Next())
        on << NameOf(people.get()).right(2);
    EXPECT_EQ(on.size(), 25);
    EXPECT_EQ(on.first(), QStringLiteral("36"));
    EXPECT_EQ(on.last(), QStringLiteral("60"));
    EXPECT_TRUE(std::is_sorted(on.begin(), on.end()));
    ASSERT_TRUE(people->Locate(QStringLiteral("Name"), QStringLiteral("Person 0030"), {}));
    QStringList back;
    for (; !people->Bof(); people->Prior())
        back.prepend(NameOf(people.get()).right(2));
    EXPECT_EQ(back.size(), 30);
    EXPECT_EQ(back.first(), QStringLiteral("01"));
    EXPECT_TRUE(std::is_sorted(back.begin(), back.end()));
    EXPECT_EQ(shown(), QStringLiteral("01 02 03 04 05 06 07"));
}

TEST_P(TableControls, DisabledControlsHearOneChangeAtTheEndAndAnOpenOrCloseAtOnce) {
    TPeopleDatabase db(10, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    TDataSource source;
    source.SetDataSet(people.get());
    TRecordingLink link;
    link.SetDataSource(&source);
    people->Open();
    link.Log.clear();
    people->DisableControls();
    EXPECT_TRUE(people->ControlsDisabled());
    while (!people->Eof())
        people->Next();
    EXPECT_TRUE(link.Log.isEmpty());
    people->EnableControls();
    EXPECT_EQ(link.Log, QStringList{QStringLiteral("changed")});

    // State changes are told when the controls are enabled; an open or a close at once.
    TField* name = people->FieldByName(QStringLiteral("Name"));
    link.Log.clear();
    people->DisableControls();
    people->Edit();
    name->SetAsString(QStringLiteral("Edited"));
    people->Post();
    people->Insert();
    name->SetAsString(QStringLiteral("Inserted"));
    people->Post();
    EXPECT_TRUE(link.Log.isEmpty());
    EXPECT_EQ(source.State(), dsBrowse);
    people->EnableControls();
    EXPECT_EQ(link.Log, QStringList{QStringLiteral("changed")}) << "back in the same state";

    link.Log.clear();
    people->DisableControls();
    people->Edit();
    EXPECT_TRUE(link.Log.isEmpty());
    people->EnableControls();
    EXPECT_EQ(source.State(), dsEdit);
    ASSERT_FALSE(link.Log.isEmpty());
    EXPECT_EQ(link.Log.first(), QStringLiteral("editing=1")) << "the state before the change";
    people->Cancel();

    link.Log.clear();
    people->DisableControls();
    people->Close();
    EXPECT_EQ(link.Log, QStringList{QStringLiteral("active=0")}) << "the fields go at once";
    people->Open();
    EXPECT_EQ(link.Log, QStringList({"active=0", "active=1"}));
    people->EnableControls();
}

TEST_P(TableControls, AFieldShownOrHiddenWhileDisabledIsToldAsALayoutChange) {
    class TLayoutLink : public TRecordingLink {
    protected:
        void LayoutChanged() override { Log << QStringLiteral("layout"); }
    };
    TPeopleDatabase db(10, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    TDataSource source;
    source.SetDataSet(people.get());
    TLayoutLink link;
    link.SetDataSource(&source);
    people->Open();
    link.Log.clear();
    people->DisableControls();
    people->FieldByName(QStringLiteral("Name"))->SetVisible(false);
    people->Next();
    people->EnableControls();
    EXPECT_EQ(link.Log, QStringList{QStringLiteral("layout")});
    people->DisableControls();
    people->Next();
    people->EnableControls();
    EXPECT_EQ(link.Log, QStringList({"layout", "changed"})) << "and only then";
}

TEST_P(TableControls, ASourceMovingToAnotherOpenDatasetRedrawsItsControls) {
    TPeopleDatabase db(10, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    std::unique_ptr<TTable> countries(db.NewTable(QStringLiteral("Country.DB")));
    TDataSource source;
    source.SetDataSet(people.get());
    TRecordingLink link;
    link.SetDataSource(&source);
    people->Open();
    countries->Open();
    link.Log.clear();
    source.SetDataSet(countries.get());
    EXPECT_EQ(link.Log, QStringList{QStringLiteral("changed")}) << "the layout changed";
    EXPECT_TRUE(link.Active());
    countries->Close();
    link.Log.clear();
    source.SetDataSet(people.get());
    EXPECT_EQ(link.Log, QStringList{QStringLiteral("active=1")}) << "no second notice";
}

} // namespace

namespace {

TEST_P(TableEditing, ARecordWithItsOwnKeyStaysCurrentAfterPosting) {
    TPeopleDatabase db(0, Engine());
    std::unique_ptr<TTable> codes(db.NewTable(QStringLiteral("Codes.db")));
    codes->FieldDefs()->Add(QStringLiteral("Code"), ftInteger, 0, true);
    codes->FieldDefs()->Add(QStringLiteral("Label"), ftString, 10);
    codes->IndexDefs()->Add(QStringLiteral("Key"), QStringLiteral("Code"), {ixPrimary});
    codes->CreateTable();
    codes->Open();
    for (int code : {42, 7}) {
        codes->Append();
        codes->FieldByName(QStringLiteral("Code"))->SetAsInteger(code);
        codes->FieldByName(QStringLiteral("Label"))->SetAsString(QStringLiteral("L%1").arg(code));
        codes->Post();
        // The posted record, found again by its key, is the current one.
        EXPECT_EQ(codes->FieldByName(QStringLiteral("Code"))->AsInteger(), code);
    }
    EXPECT_EQ(codes->RecordCount(), 2);
    codes->Close();
    codes->DeleteTable();
}

} // namespace

namespace {

TEST_P(TableEditing, ASecondUserEditingTheSameRecordIsNotOverwrittenSilently) {
    TPeopleDatabase db(2, Engine());
    std::unique_ptr<TTable> first(db.NewTable(QStringLiteral("People.db")));
    std::unique_ptr<TTable> second(db.NewTable(QStringLiteral("People.db")));
    first->Open();
    second->Open();
    first->Edit();
    second->Edit();
    first->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("First's"));
    second->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Second's"));
    first->Post();
    EXPECT_THROW(second->Post(), EDatabaseError);
    EXPECT_EQ(second->State(), dsEdit); // the typed value stays
    EXPECT_EQ(second->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Second's"));
    second->Cancel();
    second->Refresh();
    EXPECT_EQ(second->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("First's"));
    // Edits of different columns of the same record both stay.
    first->Edit();
    second->Edit();
    first->FieldByName(QStringLiteral("Salary"))->SetAsFloat(10);
    second->FieldByName(QStringLiteral("Country"))->SetAsInteger(3);
    first->Post();
    second->Post();
    second->Refresh();
    EXPECT_DOUBLE_EQ(second->FieldByName(QStringLiteral("Salary"))->AsFloat(), 10);
    EXPECT_EQ(second->FieldByName(QStringLiteral("Country"))->AsInteger(), 3);
}

} // namespace
