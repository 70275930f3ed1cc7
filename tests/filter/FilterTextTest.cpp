#include "FilterFixture.h"

#include <db/Field.h>

namespace {

// The texts do not depend on the engine.
class FilterTexts : public FilterFixture {
protected:
    void SetUp() override { FilterFixture::SetUp(); }
    QString Sql(int Condition) { return Filter->BuildConditionText(0, Condition, true); }
    QString Text(int Condition) { return Filter->BuildConditionText(0, Condition, false); }
};

INSTANTIATE_TEST_SUITE_P(Sqlite, FilterTexts, ::testing::Values(SqliteEngine),
                         [](const auto&) { return std::string("sqlite"); });

TEST_P(FilterTexts, ComparisonsOfEachKindOfField) {
    NewFilter({{"Name", "=", QStringLiteral("Smith")},
               {"Country", ">=", 2},
               {"Birth", "<", QDate(2024, 2, 29)},
               {"Salary", "<>", 1000.5},
               {"Active", "=", true},
               {"Name", "=", Null()},
               {"Name", "<>", Null()}});
    EXPECT_EQ(Sql(0), QStringLiteral("(Name='Smith')"));
    EXPECT_EQ(Sql(1), QStringLiteral("(Country>=2)"));
    EXPECT_EQ(Sql(2), QStringLiteral("(Birth<'2024-02-29')"));
    EXPECT_EQ(Sql(3), QStringLiteral("(Salary<>1000.5)"));
    EXPECT_EQ(Sql(4), QStringLiteral("(Active=TRUE)"));
    EXPECT_EQ(Text(4), QStringLiteral("(Active='True')"));
    EXPECT_EQ(Sql(5), QStringLiteral("(Name is Null)"));
    EXPECT_EQ(Text(5), QStringLiteral("(Name=Null)"));
    EXPECT_EQ(Sql(6), QStringLiteral("(Name is not Null)"));
    EXPECT_EQ(Text(6), QStringLiteral("(Name<>Null)"));

    Filter->SetDateFieldKind(dfNoQuotes);
    EXPECT_EQ(Sql(2), QStringLiteral("(Birth<2024-02-29)"));
    Filter->SetDateFieldKind(dfBraces);
    EXPECT_EQ(Sql(2), QStringLiteral("(Birth<{2024-02-29})"));
    Filter->SetFieldNameKind(fnQuotes);
    EXPECT_EQ(Sql(0), QStringLiteral("(\"Name\"='Smith')"));
    EXPECT_EQ(Text(0), QStringLiteral("(Name='Smith')")) << "filter texts name fields bare";
}

TEST_P(FilterTexts, AQuoteInAValueNeitherBreaksNorChangesTheText) {
    NewFilter({{"Name", "=", QStringLiteral("O'Brien")}, {"Name", "~", QStringLiteral("O'B")}});
    EXPECT_EQ(Sql(0), QStringLiteral("(Name='O''Brien')"));
    EXPECT_EQ(Text(0), QStringLiteral("(Name='O''Brien')"));
    EXPECT_EQ(Sql(1), QStringLiteral("(Name Like '%O''B%')"));
    Filter->SetLikeKind(lkAsAaBbCc);
    EXPECT_EQ(Sql(1), QStringLiteral("(Name Like '%[Oo]''[Bb]%')"));
}

TEST_P(FilterTexts, LikeConditionsInTheirThreeForms) {
    NewFilter({{"Name", "~", QStringLiteral("sm")},
               {"Name", "~", QStringLiteral("S_ith%")},
               {"Name", "~", QString()},
               {"Country", "~", 12}});
    EXPECT_EQ(Sql(0), QStringLiteral("(Name Like '%sm%')"));
    EXPECT_EQ(Sql(1), QStringLiteral("(Name Like 'S_ith%')")) << "used as typed";
    EXPECT_EQ(Sql(2), QStringLiteral("(Name Like '%%')"));
    EXPECT_EQ(Sql(3), QStringLiteral("(Country Like %12%)"));
    Filter->SetLikeKind(lkToUpper);
    EXPECT_EQ(Sql(0), QStringLiteral("(Upper(Name) Like Upper('%sm%'))"));
    Filter->SetLikeKind(lkAsAaBbCc);
    EXPECT_EQ(Sql(0), QStringLiteral("(Name Like '%[Ss][Mm]%')"));
    EXPECT_EQ(Sql(1), QStringLiteral("(Name Like '[Ss]_[Ii][Tt][Hh]%')"));
}

TEST_P(FilterTexts, ConditionsOfOtherDatasetsOrMissingFieldsContributeNothing) {
    NewFilter({{"Gone", "=", 1}, {"Job.db.Title", "=", QStringLiteral("Cook")}, {"Name", "=", 1}});
    EXPECT_EQ(Sql(0), QString());
    EXPECT_EQ(Sql(1), QString());
    EXPECT_EQ(Filter->BuildConditionText(1, 1, true), QStringLiteral("(Title='Cook')"));
    EXPECT_EQ(Filter->ConditionDataSet(1), 1);
    EXPECT_EQ(Filter->BuildDataSetFilterText(0, true, 1), QStringLiteral("(Name='1')"));
    EXPECT_EQ(Filter->BuildDataSetFilterText(1, true, 1), QStringLiteral("(Title='Cook')"));
}

TEST_P(FilterTexts, HandlersRewriteConditionsAndWholeTexts) {
    NewFilter({{"Name", "=", QStringLiteral("a")}, {"Country", "=", 1}});
    Filter->SetOnConstructCondition(TConstructConditionEvent(
        [](TObject*, QString& Condition, TField* Field, QString Operation, Variant) {
            if (Field->FieldName() == QLatin1String("Country"))
                Condition = QStringLiteral("Country%1%1").arg(Operation);
        }));
    EXPECT_EQ(Sql(1), QStringLiteral("(Country==)")) << "parenthesized again";
    Filter->SetOnConstructFilter(
        TDataSetFilterEvent([this](TObject*, QString& Text, TDataSet* DataSet) {
            EXPECT_EQ(DataSet, People);
            Text += QStringLiteral(" -- seen");
        }));
    EXPECT_EQ(Filter->BuildDataSetFilterText(0, true, 1),
              QStringLiteral("(Name='a') and (Country==) -- seen"));
}

TEST_P(FilterTexts, LinkExpressionsTranslateWordsAndReferences) {
    NewFilter({{"Name", "=", QStringLiteral("a")}, {"Country", "=", 1}, {"Country", "=", 2}});
    SetLink(0, QStringLiteral("#1 OR(#2 And NOT #3)"));
    EXPECT_EQ(Filter->BuildDataSetFilterText(0, true, 1),
              QStringLiteral("(Name='a') or((Country=1) and not (Country=2))"));
    // Words right after a reference, inside quotes, or part of a longer word stay.
    SetLink(0, QStringLiteral("#1or#2 and Name<>'x or y' and Orbit=1 or Android=2"));
    EXPECT_EQ(
        Filter->BuildDataSetFilterText(0, true, 1),
        QStringLiteral("(Name='a')or(Country=1) and Name<>'x or y' and Orbit=1 or Android=2"));
    SetLink(0, QStringLiteral("#1 and #4"));
    EXPECT_THROW(Filter->BuildDataSetFilterText(0, true, 1), EConvertError);
    SetLink(0, QStringLiteral("# and #1"));
    EXPECT_THROW(Filter->BuildDataSetFilterText(0, true, 1), EConvertError);
    Filter->Current()->AndForAll = true;
    EXPECT_EQ(Filter->BuildDataSetFilterText(0, true, 1),
              QStringLiteral("(Name='a') and (Country=1) and (Country=2)"));
}

TEST_P(FilterTexts, BasicTextsJoinTheUsersAndStandAloneInMode2) {
    NewFilter({{"Country", "=", 1}, {"Job.db.Title", "=", QStringLiteral("Cook")}});
    Filter->SetExternalInfo(QStringLiteral("Id > 3"));
    Filter->SubDataSets()->Items(0)->SetExternalInfo(QStringLiteral("Title <> 'x'"));
    EXPECT_EQ(Filter->BuildDataSetFilterText(0, true, 1),
              QStringLiteral("(Id > 3) and ((Country=1))"));
    EXPECT_EQ(Filter->BuildDataSetFilterText(0, true, 2), QStringLiteral("Id > 3"));
    EXPECT_EQ(Filter->BuildDataSetFilterText(1, true, 2), QStringLiteral("Title <> 'x'"));
    EXPECT_TRUE(Filter->HasExternalInfo());
}

TEST_P(FilterTexts, DetailConditionsBecomeExistsGroups) {
    NewFilter({{"Country", "=", 1},
               {"Job.db.Title", "=", QStringLiteral("Cook")},
               {"Job.db.Title", "=", QStringLiteral("a|b")}});
    EXPECT_EQ(
        Filter->BuildQueryWhere(1),
        QStringLiteral("((Country=1)) and Exists(select * from Job.db where (EFilter.Id=People) "
                       "and ((Title='Cook') and (Title='a|b')))"));
    SetLink(1, QStringLiteral("#2 | #3"));
    Filter->Current()->DataSetItem(QStringLiteral("job.DB"))->ForAll = true;
    Filter->SetFieldNameKind(fnQuotes);
    Filter->SetTableNameKind(tnQuotes);
    EXPECT_EQ(
        Filter->BuildQueryWhere(1),
        QStringLiteral("((\"Country\"=1)) and "
                       "Exists(select * from \"Job.db\" where (EFilter.\"Id\"=\"People\")) and "
                       "(Not Exists(select * from \"Job.db\" where (EFilter.\"Id\"=\"People\") "
                       "and (not ((\"Title\"='Cook'))))) and "
                       "Exists(select * from \"Job.db\" where (EFilter.\"Id\"=\"People\")) and "
                       "(Not Exists(select * from \"Job.db\" where (EFilter.\"Id\"=\"People\") "
                       "and (not ((\"Title\"='a|b')))))"));
    // Without a join the groups are dropped; a handler may give one.
    Filter->Current()->AndForAll = true;
    Filter->SetOnDataSetLink(TDataSetFilterEvent([this](TObject*, QString& Join, TDataSet* Detail) {
        EXPECT_EQ(Detail, Jobs);
        Join.clear();
    }));
    EXPECT_EQ(Filter->BuildQueryWhere(1), QStringLiteral("((\"Country\"=1))"));
    Filter->SetOnDataSetLink(TDataSetFilterEvent(
        [](TObject*, QString& Join, TDataSet*) { Join = QStringLiteral("(J)"); }));
    Filter->Current()->DataSetItem(QStringLiteral("Job.db"))->ForAll = false;
    EXPECT_TRUE(
        Filter->BuildQueryWhere(1).endsWith(QStringLiteral("where (J) and ((\"Title\"='Cook') "
                                                           "and (\"Title\"='a|b')))")));
}

TEST_P(FilterTexts, TableNamesAndTheSelect) {
    EXPECT_EQ(Filter->QuoteTableName(QStringLiteral("sys.People")), QStringLiteral("sys.People"));
    Filter->SetTableNameKind(tnQuotes);
    EXPECT_EQ(Filter->QuoteTableName(QStringLiteral("sys.People")),
              QStringLiteral("\"sys.People\""));
    Filter->SetTableNameKind(tnQuotesCreator);
    EXPECT_EQ(Filter->QuoteTableName(QStringLiteral("sys.People")),
              QStringLiteral("\"sys\".\"People\""));
    EXPECT_EQ(Filter->QuoteTableName(QStringLiteral("People")), QStringLiteral("\"People\""));
    Filter->SetTableNameKind(tnNoQuotes);

    NewFilter({{"Country", "=", 2}});
    EXPECT_EQ(Filter->BuildSelect(1),
              QStringLiteral("Select Id,Name,Country,Birth,Salary,Active,Notes from People.db "
                             "EFilter Where ((Country=2))\r\norder by Name"));
    Filter->SetTableName(QStringLiteral("Persons"));
    Filter->SetFieldNameKind(fnQuotes);
    People->SetIndexFieldNames(QStringLiteral("Country;Name"));
    EXPECT_TRUE(Filter->BuildSelect(1).startsWith(QStringLiteral("Select \"Id\",\"Name\"")));
    EXPECT_TRUE(Filter->BuildSelect(1).endsWith(QStringLiteral(
        "from Persons EFilter Where ((\"Country\"=2))\r\norder by \"Country\",\"Name\"")));
}

TEST_P(FilterTexts, TheChoiceBetweenFilterAndQuery) {
    EXPECT_FALSE(Filter->NeedsQuery(1)) << "no current filter";
    NewFilter({{"Country", "=", 2}});
    EXPECT_FALSE(Filter->NeedsQuery(1));
    Filter->SetFilterSetAs(fsQuery);
    EXPECT_TRUE(Filter->NeedsQuery(1));
    Filter->SetFilterSetAs(fsQueryFilter);
    SetLink(0, QStringLiteral("#1"));
    EXPECT_TRUE(Filter->NeedsQuery(1));
    EXPECT_FALSE(Filter->NeedsQuery(2));
    Filter->SetExternalInfo(QStringLiteral("Id > 1"));
    EXPECT_TRUE(Filter->NeedsQuery(2));
    Filter->SetExternalInfo(QString());
    Filter->Current()->AndForAll = true;
    Filter->SetFilterSetAs(fsFilterQuery);
    Filter->Current()->Conditions[0]->Operation = FilterLikeOperation;
    EXPECT_TRUE(Filter->NeedsQuery(1));
    Filter->SetFilterSetAs(fsFilter);
    EXPECT_FALSE(Filter->NeedsQuery(1));
    Filter->SetFilterSetAs(fsTryFilter);
    Filter->Current()->Conditions[0]->Operation = QStringLiteral("=");
    Filter->Current()->Conditions[0]->DataSetName = QStringLiteral("Job.db");
    Filter->Current()->Conditions[0]->FieldName = QStringLiteral("Title");
    EXPECT_TRUE(Filter->NeedsQuery(1)) << "a detail condition";
    PeopleSource->SetDataSet(new TKroQuery(&Module));
    EXPECT_EQ(Filter->CurrentFilter(), 0);
    EXPECT_FALSE(Filter->NeedsQuery(1)) << "no table to query";
}

TEST_P(FilterTexts, TheDescriptionForDisplay) {
    NewFilter({{"Name", "=", QStringLiteral("O'Brien")},
               {"Birth", ">", QDate(2000, 1, 2)},
               {"Salary", "<", 10.5},
               {"Notes", "=", Null()}});
    People->FieldByName(QStringLiteral("Birth"))->SetDisplayLabel(QStringLiteral("Born"));
    EXPECT_EQ(Filter->FilterDescription(0),
              QStringLiteral("(Name='O'Brien') AND (Born>'2000-01-02') AND (Salary<10.5) AND "
                             "(Notes=Null)"));
    SetLink(0, QStringLiteral("#1 or not(#2) and #9"));
    EXPECT_EQ(Filter->FilterDescription(0),
              QStringLiteral("(Name='O'Brien') OR NOT((Born>'2000-01-02')) AND #9"));
}

TEST_P(FilterTexts, TheFilterList) {
    EXPECT_FALSE(Filter->HasFilters());
    EXPECT_TRUE(Filter->AddFilter());
    EXPECT_TRUE(Filter->AddFilter());
    Filter->Filters(0)->Name = QStringLiteral("filter #2");
    EXPECT_TRUE(Filter->AddFilter());
    EXPECT_EQ(Filter->Filters(2)->Name, QStringLiteral("Filter #3")) << "#2 is taken, any case";
    EXPECT_EQ(Filter->CurrentFilter(), 2);
    EXPECT_EQ(Filter->FindFilter(QStringLiteral("FILTER #1")), 1);
    Filter->NextFilter();
    EXPECT_EQ(Filter->CurrentFilter(), 0) << "wraps";
    Filter->PriorFilter();
    EXPECT_EQ(Filter->CurrentFilter(), 2);
    Filter->SetCurrentFilter(7);
    EXPECT_EQ(Filter->CurrentFilter(), 2);
    Filter->DeleteFilter();
    EXPECT_EQ(Filter->CurrentFilter(), 1) << "the new last one";
    Filter->SetCurrentFilter(0);
    Filter->DeleteFilter();
    EXPECT_EQ(Filter->CurrentFilter(), 0);
    EXPECT_EQ(Filter->Current()->Name, QStringLiteral("Filter #1"));
    Filter->AddCondition();
    EXPECT_EQ(Filter->Current()->Conditions[0]->Operation, QStringLiteral("="));
    EXPECT_TRUE(VarIsNull(Filter->Current()->Conditions[0]->Value));
    Filter->DeleteCondition(5);
    Filter->DeleteCondition(0);
    EXPECT_EQ(Filter->Current()->Conditions.Count(), 0);

    Filter->AddFilter();
    Filter->AddFilter();
    Filter->SetOneFilter(true);
    EXPECT_EQ(Filter->FilterCount(), 1);
    EXPECT_EQ(Filter->CurrentFilter(), 0);
    EXPECT_FALSE(Filter->AddFilter());
    Filter->ClearFilters();
    EXPECT_EQ(Filter->CurrentFilter(), -1);
    Filter->SetOneFilter(true);
    EXPECT_EQ(Filter->FilterCount(), 1) << "one is made";
}

TEST_P(FilterTexts, PropertiesAndTheDialogsSettings) {
    Filter->SetWidthDataSetName(49);
    EXPECT_EQ(Filter->WidthDataSetName(), 175);
    Filter->SetWidthDataSetName(300);
    EXPECT_EQ(Filter->WidthDataSetName(), 300);
    Filter->SetWidthFieldName(301);
    EXPECT_EQ(Filter->WidthFieldName(), 150);
    EXPECT_EQ(Filter->DataSetCaption(0), QStringLiteral("People"));
    EXPECT_EQ(Filter->DataSetCaption(1), QStringLiteral("Jobs"));
    EXPECT_EQ(Filter->DataSetTableName(1), QStringLiteral("Job.db"));
    EXPECT_EQ(Filter->IndexOfDataSet(Jobs), 1);
    EXPECT_EQ(Filter->IndexOfDataSet(nullptr), -1);

    NewFilter({});
    Filter->SetFromDialog(QStringLiteral("Mine"), false,
                          {QStringLiteral("#1"), QStringLiteral("#2")}, QStringLiteral("0"));
    EXPECT_EQ(Filter->Current()->Name, QStringLiteral("Mine"));
    EXPECT_FALSE(Filter->Current()->AndForAll);
    EXPECT_EQ(Filter->LinkText(0), QStringLiteral("#1"));
    EXPECT_EQ(Filter->LinkText(1), QStringLiteral("#2"));
    EXPECT_TRUE(Filter->ForAll(1));

    // Refusals are reported and change nothing.
    ExpectError();
    Filter->SetQExtracts(People);
    EXPECT_EQ(ErrorMessage, QStringLiteral("Error: QExtracts mustn't equals DataSource.DataSet"));
    EXPECT_EQ(Filter->QExtracts(), nullptr);

    // A detail dataset that goes leaves the collection.
    delete Jobs;
    Jobs = nullptr;
    EXPECT_EQ(Filter->SubDataSets()->Count(), 0);
}

} // namespace
