#include "FilterFixture.h"

#include <db/Field.h>
#include <db/Query.h>

namespace {

ON_EVERY_ENGINE_WITH(ApplyingFilters, FilterFixture);

TEST_P(ApplyingFilters, MainConditionsBecomeTheDatasetsFilter) {
    // The dataset's own filter, as it has it when the filter is attached.
    PeopleSource->SetDataSet(nullptr);
    People->SetFilter(QStringLiteral("Id <= 20"));
    People->SetFiltered(true);
    PeopleSource->SetDataSet(People);
    NewFilter({{"Country", "=", 2}, {"Name", ">=", QStringLiteral("Person 0005")}});
    ASSERT_TRUE(People->Locate(QStringLiteral("Id"), 11, {}));

    Filter->SetFilter(1);
    EXPECT_EQ(Filter->FilterMode(), 1);
    EXPECT_EQ(Shown(), People);
    EXPECT_EQ(People->Filter(),
              QStringLiteral("(Id <= 20) and ((Country=2) and (Name>='Person 0005'))"));
    EXPECT_EQ(People->RecordCount(),
              Count(QStringLiteral("SELECT count(*) FROM \"People\" WHERE \"Id\" <= 20 AND "
                                   "\"Country\" = 2 AND \"Name\" >= 'Person 0005'")));
    EXPECT_EQ(People->FieldByName(QStringLiteral("Id"))->AsInteger(), 11) << "stays on its record";

    Filter->SwitchOff();
    EXPECT_EQ(Filter->FilterMode(), 0);
    EXPECT_EQ(People->Filter(), QStringLiteral("Id <= 20")) << "the dataset's own filter is back";
    EXPECT_TRUE(People->Filtered());
    EXPECT_EQ(People->RecordCount(), 20);

    Filter->SetNotUseOldFilter(true);
    Filter->SetFilter(1);
    EXPECT_EQ(People->Filter(), QStringLiteral("(Country=2) and (Name>='Person 0005')"));
    // Setting FilterSetAs while a filter is set is refused.
    ExpectError();
    Filter->SetFilterSetAs(fsQuery);
    EXPECT_EQ(ErrorMessage, QStringLiteral("Can't change when filter used"));
    EXPECT_EQ(Filter->FilterSetAs(), fsFilterQuery);
}

TEST_P(ApplyingFilters, AnEmptyFilterSwitchesOff) {
    NewFilter({{"Country", "=", 2}});
    Filter->SetFilter(1);
    ASSERT_TRUE(People->Filtered());
    Filter->Current()->Conditions.Clear();
    Filter->SetFilter(1);
    EXPECT_EQ(Filter->FilterMode(), 0);
    EXPECT_FALSE(People->Filtered());
    EXPECT_EQ(People->RecordCount(), 30);
}

TEST_P(ApplyingFilters, LikeBecomesAnExtractQueryOnTheSameRecord) {
    NewFilter({{"Name", "~", QStringLiteral("son 001")}});
    People->Locate(QStringLiteral("Id"), 14, {});
    Filter->SetFilter(1);
    ASSERT_EQ(Filter->FilterMode(), 1) << qPrintable(ErrorDetail);
    ASSERT_NE(Filter->QExtracts(), nullptr);
    EXPECT_EQ(Shown(), Filter->QExtracts());
    EXPECT_EQ(Filter->DataSetSwitched(), 2);
    EXPECT_EQ(Shown()->RecordCount(), 10);
    EXPECT_EQ(Shown()->FieldByName(QStringLiteral("Id"))->AsInteger(), 14);
    EXPECT_EQ(GetStrPropByName(Shown(), QStringLiteral("Caption")), QStringLiteral("People"));

    // The case-insensitive form with bracket classes works on every engine.
    Filter->SetLikeKind(lkAsAaBbCc);
    Filter->Current()->Conditions[0]->Value = QStringLiteral("PERSON 002");
    Filter->SetFilter(1);
    EXPECT_EQ(Shown()->RecordCount(), 10);
    EXPECT_EQ(ShownNames().value(0), QStringLiteral("Person 0020"));
    Filter->SetLikeKind(lkToUpper);
    Filter->SetFilter(1);
    EXPECT_EQ(Shown()->RecordCount(), 10);

    // Back to the dataset, on the record the query showed.
    Shown()->Locate(QStringLiteral("Id"), 25, {});
    Filter->SwitchOff();
    EXPECT_EQ(Shown(), People);
    EXPECT_EQ(Filter->DataSetSwitched(), 1);
    EXPECT_EQ(People->FieldByName(QStringLiteral("Id"))->AsInteger(), 25);
    EXPECT_EQ(People->RecordCount(), 30);
}

TEST_P(ApplyingFilters, OBrienIsFoundByFilterAndByQuery) {
    NewFilter({{"Name", "=", QStringLiteral("O'Brien")}});
    Filter->SetFilter(1);
    EXPECT_EQ(Shown(), People);
    EXPECT_EQ(ShownNames(), QStringList{QStringLiteral("O'Brien")});
    Filter->Current()->Conditions[0]->Operation = FilterLikeOperation;
    Filter->Current()->Conditions[0]->Value = QStringLiteral("'B");
    Filter->SetFilter(1);
    EXPECT_EQ(Shown(), Filter->QExtracts());
    EXPECT_EQ(ShownNames(), QStringList{QStringLiteral("O'Brien")});
}

TEST_P(ApplyingFilters, DetailConditionsRunAsExistsQueriesCountedLikePlainSql) {
    NewFilter({{"Job.db.Title", "=", QStringLiteral("Cook")},
               {"Job.db.Title", "=", QStringLiteral("Baker")},
               {"Country", "<>", 1}});
    SetLink(1, QStringLiteral("#1 | #2"));
    SetLink(0, QStringLiteral("#3"));
    Filter->SetFilter(1);
    ASSERT_EQ(Filter->FilterMode(), 1) << qPrintable(ErrorDetail);
    EXPECT_EQ(Shown(), Filter->QExtracts());
    const qint64 expected = Count(QStringLiteral(
        "SELECT count(*) FROM \"People\" p WHERE p.\"Country\" <> 1 AND EXISTS (SELECT 1 FROM "
        "\"Job\" j WHERE j.\"People\" = p.\"Id\" AND j.\"Title\" = 'Cook') AND EXISTS (SELECT 1 "
        "FROM \"Job\" j WHERE j.\"People\" = p.\"Id\" AND j.\"Title\" = 'Baker')"));
    EXPECT_EQ(expected, 5) << "the multiples of 6";
    EXPECT_EQ(Shown()->RecordCount(), expected);
    EXPECT_EQ(ShownNames(),
              QStringList({QStringLiteral("Person 0006"), QStringLiteral("Person 0012"),
                           QStringLiteral("Person 0018"), QStringLiteral("Person 0024"),
                           QStringLiteral("Person 0030")}));

    // For all records: every job of the person is a cook's.
    Filter->Current()->Conditions.Delete(1);
    SetLink(1, QStringLiteral("#1"));
    SetLink(0, QString());
    Filter->Current()->DataSetItem(QStringLiteral("Job.db"))->ForAll = true;
    Filter->SetFilter(1);
    const qint64 onlyCooks = Count(QStringLiteral(
        "SELECT count(*) FROM \"People\" p WHERE p.\"Country\" <> 1 AND EXISTS (SELECT 1 FROM "
        "\"Job\" j WHERE j.\"People\" = p.\"Id\") AND NOT EXISTS (SELECT 1 FROM \"Job\" j WHERE "
        "j.\"People\" = p.\"Id\" AND j.\"Title\" <> 'Cook')"));
    EXPECT_GT(onlyCooks, 0);
    EXPECT_EQ(Shown()->RecordCount(), onlyCooks);
}

TEST_P(ApplyingFilters, ABadLinkEndsInIncorrectFilterAndKeepsEverything) {
    NewFilter({{"Country", "=", 2}});
    Filter->SetFilter(1);
    ASSERT_TRUE(People->Filtered());
    for (const char* link : {"#1 or #5", "# and #1", "#1 and Country="}) {
        SetLink(0, QString::fromLatin1(link));
        ExpectError();
        Filter->SetFilter(1);
        EXPECT_EQ(ErrorMessage, QStringLiteral("Incorrect filter")) << link;
        EXPECT_TRUE(ErrorDetail.startsWith(QStringLiteral("Filter: "))) << qPrintable(ErrorDetail);
        EXPECT_EQ(Filter->FilterMode(), 0) << link;
        EXPECT_FALSE(People->Filtered()) << link;
        EXPECT_EQ(Shown(), People);
        EXPECT_EQ(Filter->FilterCount(), 1) << "the user's filters stay";
    }
    // An extract query the engine refuses is reported with its text.
    Filter->SetFilterSetAs(fsQuery);
    SetLink(0, QStringLiteral("#1 and NoSuchColumn = 1"));
    ExpectError();
    Filter->SetFilter(1);
    EXPECT_EQ(ErrorMessage, QStringLiteral("Incorrect filter"));
    EXPECT_TRUE(ErrorDetail.startsWith(QStringLiteral("SQL: Select "))) << qPrintable(ErrorDetail);
    EXPECT_EQ(Shown(), People);
    EXPECT_EQ(Filter->FilterMode(), 0);
}

TEST_P(ApplyingFilters, TryFilterFallsBackToTheQuerySilently) {
    Filter->SetFilterSetAs(fsTryFilter);
    NewFilter({{"Name", "=", QStringLiteral("x")}});
    // A condition the engine understands and the dataset's filter does not.
    Filter->SetOnConstructCondition(
        TConstructConditionEvent([](TObject*, QString& Condition, TField*, QString, Variant) {
            Condition = QStringLiteral("(upper(Name) = 'PERSON 0003')");
        }));
    Filter->SetFilter(1);
    EXPECT_TRUE(Responder.Shown().isEmpty());
    EXPECT_EQ(Shown(), Filter->QExtracts());
    EXPECT_EQ(ShownNames(), QStringList{QStringLiteral("Person 0003")});
    EXPECT_FALSE(People->Filtered());
}

TEST_P(ApplyingFilters, HooksReplaceSettingAndSwitchingOff) {
    NewFilter({{"Country", "=", 2}});
    int sets = 0, unsets = 0;
    Filter->SetOnSet(TNotifyEvent([&](TObject* Sender) {
        EXPECT_EQ(Sender, Filter);
        ++sets;
    }));
    Filter->SetOnUnset(TNotifyEvent([&](TObject*) { ++unsets; }));
    Filter->SetFilter(2);
    EXPECT_EQ(sets, 1);
    EXPECT_EQ(Filter->FilterMode(), 2);
    EXPECT_FALSE(People->Filtered());
    Filter->SwitchOff();
    EXPECT_EQ(unsets, 1);
    EXPECT_EQ(Filter->FilterMode(), 0);
}

TEST_P(ApplyingFilters, TheQueryComesFromTheHandlerOrCopiesTheDataset) {
    auto* own = new TKroQuery(&Module);
    own->SetDatabaseName(FDb->Alias());
    Filter->SetOnCreateQExtracts(TNotifyEvent([&](TObject*) { Filter->SetQExtracts(own); }));
    Filter->SetFilterSetAs(fsQuery);
    NewFilter({{"Country", "=", 1}});
    Filter->SetFilter(1);
    EXPECT_EQ(Shown(), own);
    EXPECT_EQ(own->RecordCount(), 10);
    Filter->SwitchOff();
    delete own;
    EXPECT_EQ(Filter->QExtracts(), nullptr);

    Filter->SetOnCreateQExtracts({});
    People->SortingList()->Add(QStringLiteral("Name"));
    People->SetTag(19);
    Filter->SetFilter(1);
    auto* made = qobject_cast<TKroQuery*>(Filter->QExtracts());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Owner(), Filter);
    EXPECT_EQ(made->TableName(), QStringLiteral("People.db"));
    EXPECT_EQ(made->Tag(), 19);
    EXPECT_EQ(made->SortingList()->Count(), 1);
    EXPECT_EQ(made->RecordCount(), 10);
}

TEST_P(ApplyingFilters, ChangingTheCurrentFilterReappliesIt) {
    NewFilter({{"Country", "=", 1}});
    NewFilter({{"Country", "=", 2}, {"Id", "<", 10}});
    Filter->SetFilter(1);
    EXPECT_EQ(People->RecordCount(), 3);
    Filter->SetCurrentFilter(0);
    EXPECT_EQ(People->RecordCount(), 10);
    Filter->SetFilter(2);
    EXPECT_FALSE(People->Filtered()) << "no basic filter: off";
}

TEST_P(ApplyingFilters, AnotherDatasetInTheSourceHasItsOwnFilters) {
    NewFilter({{"Country", "=", 2}});
    Filter->SaveFilters();
    Filter->SetFilter(1);
    ASSERT_TRUE(People->Filtered());

    auto* others = NewTable(QStringLiteral("Country.DB"), QStringLiteral("Countries"));
    others->Open();
    PeopleSource->SetDataSet(others);
    EXPECT_FALSE(People->Filtered()) << "the old dataset has its state back";
    EXPECT_EQ(Filter->FilterMode(), 0);
    EXPECT_EQ(Filter->MainDataSet(), others);
    EXPECT_EQ(Filter->FilterCount(), 1) << "no file for countries: the list stays";

    PeopleSource->SetDataSet(People);
    EXPECT_EQ(Filter->MainDataSet(), People);
    ASSERT_EQ(Filter->FilterCount(), 1);
    EXPECT_EQ(Filter->Current()->Conditions[0]->FieldName, QStringLiteral("Country"));
}

} // namespace
