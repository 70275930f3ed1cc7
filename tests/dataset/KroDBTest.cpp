#include "PeopleDatabase.h"

#include <QApplication>
#include <QTest>
#include <dataset/KroDB.h>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Exceptions.h>
#include <rtl/TypeInfo.h>
#include <ui/Application.h>
#include <ui/DBCtrls.h>
#include <ui/DBLookup.h>
#include <ui/DataModule.h>
#include <ui/Screen.h>
#include <ui/ScriptedResponder.h>
#include <ui/StdCtrls.h>

namespace {

void ProcessEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void Activate(TForm* Form) {
    QApplication::setActiveWindow(Form->Widget());
    ProcessEvents();
}

// A component of a form that shows datasets, as data-aware controls do.
class TSourceUser : public TComponent {
    Q_OBJECT
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(TDataSource* ListSource READ ListSource WRITE SetListSource)
public:
    explicit TSourceUser(TComponent* AOwner, TDataSource* Data, TDataSource* List = nullptr)
        : TComponent(AOwner), FDataSource(Data), FListSource(List) {}
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value) { FDataSource = Value; }
    TDataSource* ListSource() const { return FListSource; }
    void SetListSource(TDataSource* Value) { FListSource = Value; }

private:
    TDataSource* FDataSource;
    TDataSource* FListSource;
};

// Datasets that count how often they are re-read.
class TCountingTable : public TTable {
public:
    using TTable::TTable;
    int Refreshes = 0;

protected:
    void InternalRefresh() override {
        ++Refreshes;
        TTable::InternalRefresh();
    }
};

class TCountingQuery : public TQuery {
public:
    using TQuery::TQuery;
    int Opens = 0;

protected:
    void InternalOpen() override {
        ++Opens;
        TQuery::InternalOpen();
    }
};

TDataSource* SourceOf(TDataSet* DataSet, TComponent* Owner) {
    auto* source = new TDataSource(Owner);
    source->SetDataSet(DataSet);
    return source;
}

QString NameOf(TDataSet* DataSet) {
    return DataSet->FieldByName(QStringLiteral("Name"))->AsString();
}

template <class T> T* AddField(TDataSet* DataSet, const char* Name) {
    auto* field = new T(DataSet);
    field->SetFieldName(QString::fromLatin1(Name));
    field->SetDataSet(DataSet);
    return field;
}

// People with persistent fields and a lookup of the country's name.
TTable* PeopleWithCountryLookup(const TPeopleDatabase& Db, TComponent* Owner, TDataSet* Country) {
    TTable* people = Db.NewTable(QStringLiteral("People.db"), Owner);
    AddField<TAutoIncField>(people, "Id");
    AddField<TStringField>(people, "Name")->SetSize(30);
    AddField<TIntegerField>(people, "Country");
    AddField<TMemoField>(people, "Notes");
    auto* countryName = AddField<TStringField>(people, "CountryName");
    countryName->SetFieldKind(fkLookup);
    countryName->SetKeyFields(QStringLiteral("Country"));
    countryName->SetLookupDataSet(Country);
    countryName->SetLookupKeyFields(QStringLiteral("Id"));
    countryName->SetLookupResultField(QStringLiteral("Name"));
    countryName->SetSize(30);
    return people;
}

// ---- Refreshing a form's datasets ---------------------------------------------------------

TEST(RefreshFormDataSets, OpensLookupAndListDataSetsBeforeTheDataSetsThatUseThem) {
    TPeopleDatabase db(3);
    TForm form;
    TTable* country = db.NewTable(QStringLiteral("Country.DB"), &form);
    TTable* people = PeopleWithCountryLookup(db, &form, country);
    TTable* job = db.NewTable(QStringLiteral("Job.db"), &form);
    QStringList opened;
    for (TDataSet* dataSet : {static_cast<TDataSet*>(country), static_cast<TDataSet*>(people),
                              static_cast<TDataSet*>(job)})
        dataSet->SetAfterOpen(TDataSetNotifyEvent(
            [&opened](TDataSet* Sender) { opened << static_cast<TTable*>(Sender)->TableName(); }));
    new TSourceUser(&form, SourceOf(people, &form));
    new TSourceUser(&form, nullptr, SourceOf(job, &form));

    RefreshFormDataSets(&form, false);
    EXPECT_EQ(opened, QStringList({"Job.db", "Country.DB", "People.db"}));
    EXPECT_EQ(people->FieldByName(QStringLiteral("CountryName"))->AsString(),
              QStringLiteral("Spain"));
}

TEST(RefreshFormDataSets, TagsDecideWhatIsOpenedAndReRead) {
    TPeopleDatabase db(3);
    TForm form;
    auto* marked = new TCountingTable(&form);      // tens digit 9: re-read
    auto* unmarked = new TCountingTable(&form);    // re-read only with RefreshAll
    auto* editing = new TCountingTable(&form);     // tens digit 9, but being edited
    auto* neverOpened = new TCountingTable(&form); // tens digit 8: left closed
    int tag = 0;
    for (TCountingTable* table : {marked, unmarked, editing, neverOpened}) {
        table->SetDatabaseName(db.Alias());
        table->SetTableName(QStringLiteral("People.db"));
        table->SetTag(QList<int>{91, 0, 90, 80}[tag++]);
        new TSourceUser(&form, SourceOf(table, &form));
    }
    marked->Open();
    unmarked->Open();
    editing->Open();
    editing->Edit();

    RefreshFormDataSets(&form, false);
    EXPECT_EQ(marked->Refreshes, 1);
    EXPECT_EQ(unmarked->Refreshes, 0);
    EXPECT_EQ(editing->Refreshes, 0);
    EXPECT_EQ(editing->State(), dsEdit);
    EXPECT_FALSE(neverOpened->Active());

    editing->Cancel();
    RefreshFormDataSets(&form, true);
    EXPECT_EQ(marked->Refreshes, 2);
    EXPECT_EQ(unmarked->Refreshes, 1);
    EXPECT_EQ(editing->Refreshes, 1);
    EXPECT_TRUE(neverOpened->Active()) << "RefreshAll opens every dataset";
    EXPECT_EQ(neverOpened->Refreshes, 0) << "opened, not re-read";
}

TEST(RefreshFormDataSets, ADetailTableOfAMasterQueryIsReReadThroughItsMaster) {
    TPeopleDatabase db(3);
    TForm form;
    auto* master = new TCountingQuery(&form);
    master->SetDatabaseName(db.Alias());
    master->SQL()->SetText(QStringLiteral("select * from People order by Id"));
    master->SetTag(90);
    auto* detail = new TCountingTable(&form);
    detail->SetDatabaseName(db.Alias());
    detail->SetTableName(QStringLiteral("Job.db"));
    detail->SetIndexFieldNames(QStringLiteral("People"));
    detail->SetMasterFields(QStringLiteral("Id"));
    detail->SetMasterSource(SourceOf(master, &form));
    detail->SetTag(90);
    new TSourceUser(&form, SourceOf(detail, &form));
    new TSourceUser(&form, detail->MasterSource());
    master->Open();
    detail->Open();
    const int opens = master->Opens;

    RefreshFormDataSets(&form, false);
    EXPECT_EQ(master->Opens, opens + 1);
    EXPECT_EQ(detail->Refreshes, 0);

    // The same without the master's mark: the master stays, the detail is re-read.
    master->SetTag(0);
    RefreshFormDataSets(&form, false);
    EXPECT_EQ(master->Opens, opens + 1);
    EXPECT_EQ(detail->Refreshes, 1);
}

TEST(RefreshFormDataSets, AQueryOfAParameterSourceIsReReadThroughIt) {
    TPeopleDatabase db(3);
    TForm form;
    auto* people = new TCountingTable(&form);
    people->SetDatabaseName(db.Alias());
    people->SetTableName(QStringLiteral("People.db"));
    people->SetTag(90);
    auto* jobs = new TCountingQuery(&form);
    jobs->SetDatabaseName(db.Alias());
    jobs->SQL()->SetText(QStringLiteral("select * from Job where People = :Id"));
    jobs->SetDataSource(SourceOf(people, &form));
    jobs->SetTag(90);
    new TSourceUser(&form, jobs->DataSource());
    new TSourceUser(&form, SourceOf(jobs, &form));
    people->Open();
    jobs->Open();
    const int opens = jobs->Opens;

    RefreshFormDataSets(&form, false);
    EXPECT_EQ(people->Refreshes, 1);
    EXPECT_EQ(jobs->Opens, opens) << "not re-executed on its own";
}

// ---- Re-reading one dataset ---------------------------------------------------------------

TEST(RefreshDataSet, AQueryIsReExecutedOnTheSameRecord) {
    TPeopleDatabase db(5);
    TCountingQuery query;
    query.SetDatabaseName(db.Alias());
    query.SQL()->SetText(QStringLiteral("select Id, Name from People order by Name desc"));
    query.Open();
    query.Next();
    query.Next();
    ASSERT_EQ(NameOf(&query), QStringLiteral("Person 0003"));
    int scrolls = 0;
    query.SetAfterScroll(TDataSetNotifyEvent([&scrolls](TDataSet*) { ++scrolls; }));

    RefreshDataSet(&query);
    EXPECT_EQ(query.Opens, 2);
    EXPECT_EQ(NameOf(&query), QStringLiteral("Person 0003"));
    EXPECT_FALSE(query.ControlsDisabled());
    EXPECT_GE(scrolls, 1);

    // The record is gone: the query starts at its first record instead of failing.
    TDbConnection* connection = Session()->OpenDatabase(db.Alias())->Connection();
    connection->Execute(QStringLiteral("DELETE FROM \"People\" WHERE \"Name\" = 'Person 0003'"));
    RefreshDataSet(&query);
    EXPECT_EQ(NameOf(&query), QStringLiteral("Person 0005"));
    Session()->CloseDatabase(Session()->FindDatabase(db.Alias()));
}

TEST(RefreshDataSet, ATableIsRefreshedAndAClosedDataSetLeftAlone) {
    TPeopleDatabase db(2);
    TCountingTable table;
    table.SetDatabaseName(db.Alias());
    table.SetTableName(QStringLiteral("People.db"));
    RefreshDataSet(&table);
    EXPECT_FALSE(table.Active());
    table.Open();
    table.Last();
    RefreshDataSet(&table);
    EXPECT_EQ(table.Refreshes, 1);
    EXPECT_EQ(NameOf(&table), QStringLiteral("Person 0002"));
}

TEST(GotoBookmarkCentered, MovesToTheBookmarkAndIgnoresNull) {
    TPeopleDatabase db(30);
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    people->MoveBy(19);
    const TBookmark bookmark = people->GetBookmark();
    people->First();
    QStringList events;
    people->SetBeforeScroll(TDataSetNotifyEvent([&events](TDataSet*) { events << "before"; }));
    people->SetAfterScroll(TDataSetNotifyEvent([&events](TDataSet*) { events << "after"; }));

    GotoBookmarkCentered(people.get(), Null());
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0001"));

    people->Edit();
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Changed"));
    GotoBookmarkCentered(people.get(), bookmark);
    EXPECT_EQ(events, QStringList({"before", "after"}));
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0020"));
    EXPECT_EQ(people->State(), dsBrowse) << "the edit was posted first";
    people->First();
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Changed"));
}

// ---- Start-up and activation ----------------------------------------------------------------

// Undoes what InitKroApplication installs on the screen.
class KroApplication : public ::testing::Test {
protected:
    void TearDown() override { Screen()->SetOnActiveFormChange(TNotifyEvent()); }
};

TEST_F(KroApplication, OpensTheMarkedDataSetsOfTheDataModulesAndSkipsFailures) {
    TPeopleDatabase db(2);
    TDataModule first;
    TTable* marked = db.NewTable(QStringLiteral("People.db"), &first);
    marked->SetTag(19);
    TTable* failing = db.NewTable(QStringLiteral("NoSuchTable.db"), &first);
    failing->SetTag(9);
    TTable* unmarked = db.NewTable(QStringLiteral("Job.db"), &first);
    unmarked->SetTag(90);
    TDataModule second;
    TTable* afterFailure = db.NewTable(QStringLiteral("Country.DB"), &second);
    afterFailure->SetTag(9);

    InitKroApplication(false);
    EXPECT_FALSE(marked->Active()) << "OpenDataSets false";

    InitKroApplication(true);
    EXPECT_TRUE(marked->Active());
    EXPECT_FALSE(failing->Active());
    EXPECT_FALSE(unmarked->Active());
    EXPECT_TRUE(afterFailure->Active());
}

TEST_F(KroApplication, TheLastDataModuleHasEveryPendingEditPostedBeforeItGoes) {
    TPeopleDatabase db(2);
    auto first = std::make_unique<TDataModule>();
    auto last = std::make_unique<TDataModule>();
    QStringList log;
    last->SetOnDestroy(TNotifyEvent([&log](TObject*) { log << "saved handler"; }));
    TTable* people = db.NewTable(QStringLiteral("People.db"), last.get());
    people->SetAfterPost(TDataSetNotifyEvent([&log](TDataSet*) { log << "posted"; }));
    InitKroApplication(false);
    EXPECT_FALSE(first->OnDestroy()) << "only the last data module is hooked";

    people->Open();
    people->Edit();
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Kept"));
    std::unique_ptr<TTable> inserted(db.NewTable(QStringLiteral("Country.DB")));
    inserted->Open();
    inserted->Insert();
    std::unique_ptr<TTable> closed(db.NewTable(QStringLiteral("Job.db")));
    last.reset();
    EXPECT_EQ(log, QStringList({"posted", "saved handler"}));
    EXPECT_EQ(inserted->State(), dsBrowse);
    EXPECT_EQ(inserted->RecordCount(), 3) << "the unchanged new record was cancelled";
    EXPECT_FALSE(closed->Active());
    std::unique_ptr<TTable> check(db.NewTable(QStringLiteral("People.db")));
    check->Open();
    EXPECT_EQ(NameOf(check.get()), QStringLiteral("Kept"));
}

TEST_F(KroApplication, RefreshesTheMainFormsDataSets) {
    TPeopleDatabase db(2);
    TForm* main = Application()->CreateForm<TForm>();
    ASSERT_EQ(Application()->MainForm(), main);
    TTable* people = db.NewTable(QStringLiteral("People.db"), main);
    new TSourceUser(main, SourceOf(people, main));
    InitKroApplication(false);
    EXPECT_TRUE(people->Active());
    delete main;
}

// Answers a message box by activating a form while it shows.
class TActivatingResponder : public TModalResponder {
public:
    explicit TActivatingResponder(TForm* Form) : FForm(Form), FPrevious(SetModalResponder(this)) {}
    ~TActivatingResponder() override { SetModalResponder(FPrevious); }
    TModalResult MessageDlg(const TMessageRequest& Request) override {
        Shown << Request;
        ShowingWhileActivated = KroMessageShowing();
        Activate(FForm);
        return mrOk;
    }
    TModalResult ShowModal(TForm*) override { return mrCancel; }
    bool ExecuteDialog(TCommonDialog*) override { return false; }
    QList<TMessageRequest> Shown;
    bool ShowingWhileActivated = false;

private:
    TForm* FForm;
    TModalResponder* FPrevious;
};

TEST_F(KroApplication, AFormWithTag9RefreshesOnActivationButNotUnderALibraryMessage) {
    TPeopleDatabase db(2);
    TForm dataForm;
    dataForm.SetTag(9);
    auto* people = new TCountingTable(&dataForm);
    people->SetDatabaseName(db.Alias());
    people->SetTableName(QStringLiteral("People.db"));
    people->SetTag(90);
    new TSourceUser(&dataForm, SourceOf(people, &dataForm));
    TForm other;
    dataForm.Show();
    other.Show();
    Activate(&other);
    InitKroApplication(false);

    Activate(&dataForm);
    EXPECT_TRUE(people->Active()) << "opened on the first activation";
    Activate(&other);
    Activate(&dataForm);
    EXPECT_EQ(people->Refreshes, 1);

    Activate(&other);
    {
        TActivatingResponder responder(&dataForm);
        ShowKroMessage(QStringLiteral("Note"));
        ASSERT_EQ(responder.Shown.size(), 1);
        EXPECT_EQ(responder.Shown[0].Text, QStringLiteral("Note"));
        EXPECT_EQ(responder.Shown[0].DlgType, mtCustom) << "no icon";
        EXPECT_EQ(responder.Shown[0].Buttons, TMsgDlgButtons{mbOK});
        EXPECT_TRUE(responder.ShowingWhileActivated);
    }
    EXPECT_EQ(Screen()->ActiveForm(), &dataForm);
    EXPECT_EQ(people->Refreshes, 1) << "not refreshed under the message";
    EXPECT_FALSE(KroMessageShowing());

    // A form with another Tag is left alone.
    dataForm.SetTag(0);
    Activate(&other);
    Activate(&dataForm);
    EXPECT_EQ(people->Refreshes, 1);
}

// ---- Field lists and keys -----------------------------------------------------------------

TEST(FieldLists, DataFieldsWithAndWithoutBlobsAndQuotes) {
    TPeopleDatabase db;
    TTable country;
    TTable* people = PeopleWithCountryLookup(db, nullptr, &country);
    std::unique_ptr<TTable> owner(people);
    EXPECT_EQ(GetFieldList(people, false, false, false), QStringLiteral("Id;Name;Country"));
    EXPECT_EQ(GetFieldList(people, false, true, false), QStringLiteral("Id;Name;Country;Notes"));
    EXPECT_EQ(GetFieldList(people, true, false, false), QStringLiteral("Id,Name,Country"));
    EXPECT_EQ(GetFieldList(people, true, true, true),
              QStringLiteral("\"Id\",\"Name\",\"Country\",\"Notes\""));
    TTable empty;
    EXPECT_EQ(GetFieldList(&empty, true, false, true), QStringLiteral("*"));
    EXPECT_EQ(GetFieldList(&empty, false, false, true), QString());
}

TEST(FieldLists, LabelsWidthsAndExistence) {
    TPeopleDatabase db;
    TTable* country = db.NewTable(QStringLiteral("Country.DB"));
    std::unique_ptr<TTable> countryOwner(country);
    std::unique_ptr<TTable> people(PeopleWithCountryLookup(db, nullptr, country));
    country->Open();
    people->Open();
    people->FieldByName(QStringLiteral("Name"))->SetDisplayLabel(QStringLiteral("Full name"));
    people->FieldByName(QStringLiteral("Country"))->SetDisplayWidth(4);
    EXPECT_EQ(GetDisplayLabels(people.get(), QStringLiteral("Name;Country;Other")),
              QStringLiteral("Full name,Country,Other"));
    EXPECT_EQ(SumDisplayWidths(people.get(), QStringLiteral("Name;Country")), 34);
    EXPECT_EQ(SumDisplayWidths(nullptr, QStringLiteral("Name")), 0);
    EXPECT_THROW(SumDisplayWidths(people.get(), QStringLiteral("Name;Nothing")), EDatabaseError);
    EXPECT_EQ(LookupResultWidth(people->FieldByName(QStringLiteral("CountryName"))), 30);
    EXPECT_NO_THROW(CheckFieldsExist(people.get(), QStringLiteral("Id;CountryName")));
    EXPECT_THROW(CheckFieldsExist(people.get(), QStringLiteral("Id;Nothing")), EDatabaseError);
}

TEST(GetUniqueFields, PropertyThenUniqueIndexThenAllNonBlobFields) {
    TPeopleDatabase db(1);
    TKroTable table;
    table.SetDatabaseName(db.Alias());
    table.SetTableName(QStringLiteral("People.db"));
    table.SetUniqueFields(QStringLiteral("Name;Birth"));
    EXPECT_EQ(GetUniqueFields(&table), QStringLiteral("Name;Birth"));
    table.SetUniqueFields(QString());
    EXPECT_EQ(GetUniqueFields(&table), QStringLiteral("Id")) << "the primary index";

    TKroQuery named;
    named.SetDatabaseName(db.Alias());
    named.SetTableName(QStringLiteral("Job.db"));
    EXPECT_EQ(GetUniqueFields(&named), QStringLiteral("Id")) << "the indexes of TableName";

    TQuery query;
    query.SetDatabaseName(db.Alias());
    query.SQL()->SetText(QStringLiteral("select Name, Notes, Salary from People"));
    query.Open();
    EXPECT_EQ(GetUniqueFields(&query), QStringLiteral("Name;Salary"));
}

// ---- Searching and cloning ----------------------------------------------------------------

// A dataset that no database engine serves.
class TNoEngineDataSet : public TDataSet {
protected:
    void InternalClose() override {}
    void InternalInitFieldDefs() override {}
    QList<TRecord> InternalFetch(TFetchDirection, const TRecord*, int) override { return {}; }
    std::optional<TRecord> InternalFetchBookmark(const TBookmark&) override { return {}; }
    qint64 InternalRecordCount() override { return 0; }
    qint64 InternalRecNo(const TRecord&) override { return -1; }
    TBookmark InternalPost(const TRecord&, const TRecord*) override { return Null(); }
    void InternalDelete(const TRecord&) override {}
};

TEST(LocateKey, FindsByKeyOnEngineDataSetsOnly) {
    TPeopleDatabase db(4);
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    EXPECT_TRUE(LocateKey(people.get(), QStringLiteral("Name"), QStringLiteral("person 0003"),
                          {loCaseInsensitive}));
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0003"));
    EXPECT_FALSE(
        LocateKey(people.get(), QStringLiteral("Name"), QStringLiteral("person 0003"), {}));
    EXPECT_TRUE(LocateKey(people.get(), QStringLiteral("Country;Name"),
                          QVariantList{1, QStringLiteral("Person 0004")}, {}));
    EXPECT_EQ(people->FieldByName(QStringLiteral("Id"))->AsInteger(), 4);

    TNoEngineDataSet other;
    other.Open();
    EXPECT_FALSE(LocateKey(&other, QStringLiteral("Name"), QStringLiteral("x"), {}));
}

TEST(LocateKey, FiresBeforeScrollAlwaysAndAfterScrollWhenFound) {
    TPeopleDatabase db(4);
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    QStringList events;
    people->SetBeforeScroll(TDataSetNotifyEvent([&events](TDataSet*) { events << "before"; }));
    people->SetAfterScroll(TDataSetNotifyEvent([&events](TDataSet*) { events << "after"; }));
    EXPECT_FALSE(LocateKey(people.get(), QStringLiteral("Name"), QStringLiteral("Nobody"), {}));
    EXPECT_EQ(events, QStringList{QStringLiteral("before")});
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0001"));
    events.clear();
    EXPECT_TRUE(LocateKey(people.get(), QStringLiteral("Id"), 3, {}));
    EXPECT_EQ(events, (QStringList{QStringLiteral("before"), QStringLiteral("after")}));
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0003"));
    // The dataset's own handler stays in place.
    events.clear();
    people->First();
    EXPECT_EQ(events, (QStringList{QStringLiteral("before"), QStringLiteral("after")}));
}

TEST(CloneCurrentRecord, CopiesEverythingButTheAutoIncrementField) {
    TPeopleDatabase db(2);
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    people->Last();
    const QString notes = QString(100000, QLatin1Char('n')) + QStringLiteral("end");
    people->Edit();
    people->FieldByName(QStringLiteral("Notes"))->SetAsString(notes);
    people->FieldByName(QStringLiteral("Birth"))->Clear();
    people->FieldByName(QStringLiteral("Name"))->SetReadOnly(true);
    QString nameSeenByOwnHandler;
    people->SetOnNewRecord(TDataSetNotifyEvent([&nameSeenByOwnHandler](TDataSet* Sender) {
        nameSeenByOwnHandler = NameOf(Sender);
        Sender->FieldByName(QStringLiteral("Active"))->SetAsBoolean(false);
    }));

    CloneCurrentRecord(people.get());
    EXPECT_EQ(people->State(), dsInsert) << "the edit was posted, the copy inserted";
    EXPECT_EQ(nameSeenByOwnHandler, QStringLiteral("Person 0002")) << "values come first";
    EXPECT_TRUE(people->FieldByName(QStringLiteral("Id"))->IsNull());
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0002"));
    EXPECT_TRUE(people->FieldByName(QStringLiteral("Name"))->ReadOnly());
    EXPECT_EQ(people->FieldByName(QStringLiteral("Notes"))->AsString(), notes);
    EXPECT_TRUE(people->FieldByName(QStringLiteral("Birth"))->IsNull());
    EXPECT_EQ(people->FieldByName(QStringLiteral("Salary"))->AsFloat(), 1002.0);
    EXPECT_FALSE(people->FieldByName(QStringLiteral("Active"))->AsBoolean());
    people->Post();
    EXPECT_EQ(people->RecordCount(), 3);
    EXPECT_EQ(people->FieldByName(QStringLiteral("Id"))->AsInteger(), 3);

    // The dataset's own handler is back in place.
    nameSeenByOwnHandler.clear();
    people->Insert();
    EXPECT_TRUE(nameSeenByOwnHandler.isEmpty());
    EXPECT_TRUE(people->FieldByName(QStringLiteral("Notes"))->IsNull());
    people->Cancel();
}

// ---- Shared types -------------------------------------------------------------------------

TEST(DataSetCol, ItemsNameDataSetsAndForgetThemWhenTheyGo) {
    TComponent owner;
    TDataSetCol collection(&owner);
    auto* item = static_cast<TDataSetColItem*>(collection.Add());
    auto table = std::make_unique<TTable>();
    table->SetName(QStringLiteral("TbPeople"));
    item->SetDataSet(table.get());
    EXPECT_EQ(collection.Items(0)->DataSet(), table.get());
    EXPECT_EQ(item->DisplayName(), QStringLiteral("TbPeople"));
    table.reset();
    EXPECT_EQ(item->DataSet(), nullptr);
}

// ---- Key handlers -------------------------------------------------------------------------

// The three combo boxes, each followed by an edit: a plain combo of three lines, a
// data-aware one over People's Name, and a lookup combo over People's Country, listing
// the countries.
class KeyHandlers : public ::testing::Test {
protected:
    void SetUp() override {
        Combo->Items()->SetText(QStringLiteral("one\ntwo\nthree\n"));
        DBCombo->Items()->SetText(QStringLiteral("Person 0001\nPerson 0002\n"));
        Country->SetDataSet(db.NewTable(QStringLiteral("Country.db"), &Form));
        People->SetDataSet(db.NewTable(QStringLiteral("People.db"), &Form));
        DBCombo->SetDataSource(People);
        DBCombo->SetDataField(QStringLiteral("Name"));
        Lookup->SetDataSource(People);
        Lookup->SetDataField(QStringLiteral("Country"));
        Lookup->SetListSource(Country);
        Lookup->SetKeyField(QStringLiteral("Id"));
        Lookup->SetListField(QStringLiteral("Name"));
        Country->DataSet()->Open();
        People->DataSet()->Open();
        int top = 0;
        const QList<TWinControl*> controls = {Combo, Edit(0), DBCombo, Edit(1), Lookup, Edit(2)};
        for (TWinControl* control : controls) {
            control->SetParent(&Form);
            control->SetBounds(10, top += 30, 150, 24);
            control->SetTabStop(true);
        }
        Form.Show();
        Activate(&Form);
    }
    TEdit* Edit(int Index) { return Edits[Index]; }

    TPeopleDatabase db{3};
    TForm Form;
    TDataSource* Country = new TDataSource(&Form);
    TDataSource* People = new TDataSource(&Form);
    TComboBox* Combo = new TComboBox(&Form);
    TDBComboBox* DBCombo = new TDBComboBox(&Form);
    TDBLookupComboBox* Lookup = new TDBLookupComboBox(&Form);
    TEdit* Edits[3] = {new TEdit(&Form), new TEdit(&Form), new TEdit(&Form)};
};

TEST_F(KeyHandlers, EnterMovesTheFocusToTheNextControl) {
    QList<quint16> keys; // as the handler leaves them
    Combo->SetOnKeyDown(TKeyEvent([&keys](TObject* Sender, quint16& Key, TShiftState) {
        EnterAsTab(Sender, Key);
        keys << Key;
    }));
    Combo->SetFocus();
    ProcessEvents();
    QTest::keyClick(Combo->Widget(), Qt::Key_Down);
    ProcessEvents();
    EXPECT_TRUE(Combo->Focused());
    QTest::keyClick(Combo->Widget(), Qt::Key_Return);
    ProcessEvents();
    EXPECT_TRUE(Edit(0)->Focused());
    EXPECT_EQ(keys, QList<quint16>({VK_DOWN, VK_RETURN, VK_TAB})) << "Enter stays, a Tab follows";
}

TEST_F(KeyHandlers, CtrlEnterOpensAndClosesTheListOfEveryComboBox) {
    const QList<QPair<TWinControl*, TEdit*>> combos = {
        {Combo, Edit(0)}, {DBCombo, Edit(1)}, {Lookup, Edit(2)}};
    for (const auto& [combo, next] : combos) {
        SCOPED_TRACE(combo->ClassName().toStdString());
        QList<quint16> keys;
        combo->SetOnKeyDown(TKeyEvent([&keys](TObject* Sender, quint16& Key, TShiftState Shift) {
            if (Key == VK_CONTROL)
                return;
            ComboKeyDown(Sender, Key, Shift);
            keys << Key;
        }));
        combo->SetFocus();
        ProcessEvents();
        QTest::keyClick(combo->Widget(), Qt::Key_Return, Qt::ControlModifier);
        ProcessEvents();
        EXPECT_TRUE(GetOrdProp(combo, QStringLiteral("DroppedDown")));
        QTest::keyClick(combo->Widget(), Qt::Key_Return, Qt::ControlModifier);
        ProcessEvents();
        EXPECT_FALSE(GetOrdProp(combo, QStringLiteral("DroppedDown")));
        EXPECT_TRUE(combo->Focused());
        EXPECT_EQ(keys, QList<quint16>({0, 0})) << "consumed, no Tab";

        QTest::keyClick(combo->Widget(), Qt::Key_Return);
        ProcessEvents();
        EXPECT_FALSE(GetOrdProp(combo, QStringLiteral("DroppedDown")));
        EXPECT_EQ(keys, QList<quint16>({0, 0, VK_RETURN, VK_TAB}));
        EXPECT_TRUE(next->Focused());
    }
}

} // namespace

#include "KroDBTest.moc"
