#include "EngineTest.h"

#include <QApplication>
#include <QTest>
#include <controls/KroSort.h>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <gtest/gtest.h>
#include <memory>
#include <ui/Forms.h>

namespace {

// A sorting combo on a form over the test database's People (indexes ByName, ByCountry),
// on every engine.
class KroSortFixture : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Db = std::make_unique<TPeopleDatabase>(9, Engine());
        Combo->SetParent(&Form);
        Combo->SetBounds(10, 10, 200, 24);
        Combo->SetDataSource(Source);
    }

    TKroQuery* NewQuery() {
        auto* query = new TKroQuery(&Form);
        query->SetDatabaseName(Db->Alias());
        query->SQL()->SetText(QStringLiteral("select * from \"People\" order by \"Id\""));
        query->SortingList()->SetText(QStringLiteral("Name\nCountry;Name\nBirth"));
        return query;
    }
    TKroTable* NewTable() {
        auto* table = new TKroTable(&Form);
        table->SetDatabaseName(Db->Alias());
        table->SetTableName(QStringLiteral("People"));
        return table;
    }

    QStringList Shown() const { return Combo->Items()->ToStringList(); }
    // Picks entry Index as the user does, through the drop-down list.
    void Pick(int Index) {
        Form.Show();
        Combo->SetFocus();
        QTest::keyClick(Combo->Widget(), Qt::Key_Home);
        for (int i = 0; i < Index; ++i)
            QTest::keyClick(Combo->Widget(), Qt::Key_Down);
    }

    std::unique_ptr<TPeopleDatabase> Db;
    TForm Form;
    TDataSource* Source = new TDataSource(&Form);
    TKroDBSortingCombo* Combo = new TKroDBSortingCombo(&Form);
};

ON_EVERY_ENGINE_WITH(KroSort, KroSortFixture);

TEST_P(KroSort, AQuerysSortingListGivesTheEntriesAndAPickKeepsTheRecord) {
    const TKroDBSortingCombo fresh;
    EXPECT_EQ(fresh.Style(), csDropDownList);
    EXPECT_EQ(fresh.Width(), 180);
    EXPECT_FALSE(fresh.SelfList());
    TKroQuery* query = NewQuery();
    Source->SetDataSet(query);
    query->Open();
    query->FieldByName(QStringLiteral("Birth"))->SetDisplayLabel(QStringLiteral("Born"));
    Combo->Refill();
    EXPECT_EQ(Shown(), (QStringList{"Name", "Country,Name", "Born"}));
    EXPECT_EQ(Combo->ItemIndex(), -1) << "ordered by Id: no entry";

    ASSERT_TRUE(query->Locate(QStringLiteral("Name"), QStringLiteral("Person 0004"), {}));
    Pick(1);
    EXPECT_EQ(Combo->ItemIndex(), 1);
    EXPECT_TRUE(query->SQL()->Text().contains(QStringLiteral("Country"), Qt::CaseInsensitive));
    EXPECT_EQ(query->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0004"));
    query->First();
    EXPECT_EQ(query->FieldByName(QStringLiteral("Country"))->AsInteger(), 1);

    // The order changed in code: the entry follows.
    SetOrderBy(query, QStringLiteral("Name"), true, false);
    EXPECT_EQ(Combo->ItemIndex(), 0);
}

TEST_P(KroSort, ATableWithoutSortingListOffersItsIndexes) {
    TKroTable* table = NewTable();
    Source->SetDataSet(table);
    table->SetIndexFieldNames(QStringLiteral("Name"));
    table->Open();
    ASSERT_TRUE(Combo->FromIndexDefs());
    EXPECT_TRUE(Shown().contains(QStringLiteral("Name")));
    EXPECT_TRUE(Shown().contains(QStringLiteral("Country,Name")));
    const int byName = int(Combo->Orderings().indexOf(QStringLiteral("Name")));
    const int byCountry = int(Combo->Orderings().indexOf(QStringLiteral("Country;Name")));
    EXPECT_EQ(Combo->ItemIndex(), byName);

    // IndexFieldNames changed in code moves the selection without sorting again.
    table->SetIndexFieldNames(QStringLiteral("Country;Name"));
    EXPECT_EQ(Combo->ItemIndex(), byCountry);
    EXPECT_EQ(table->IndexFieldNames(), QStringLiteral("Country;Name"));
    table->SetIndexFieldNames(QStringLiteral("Birth"));
    EXPECT_EQ(Combo->ItemIndex(), -1);

    table->Locate(QStringLiteral("Name"), QStringLiteral("Person 0007"), {});
    Pick(byName);
    EXPECT_EQ(table->IndexFieldNames(), QStringLiteral("Name"));
    EXPECT_EQ(table->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0007"));
}

TEST_P(KroSort, SelfListAndTheEnabledStateChooseWhatIsShown) {
    TKroQuery* query = NewQuery();
    Source->SetDataSet(query);
    query->Open();
    Combo->SetSelfList(true);
    EXPECT_EQ(Shown().size(), 3) << "an empty own list: the dataset's";
    auto* own = new TStringList(&Form);
    own->SetText(QStringLiteral("Birth;Name"));
    Combo->SetSortingItems(own);
    EXPECT_EQ(Shown(), QStringList{QStringLiteral("Birth,Name")});
    Combo->SetSelfList(false);
    EXPECT_EQ(Shown().size(), 3);

    Combo->SetEnabled(false);
    EXPECT_TRUE(Shown().isEmpty());
    Combo->SetEnabled(true);
    EXPECT_EQ(Shown().size(), 3);
    query->Close();
    EXPECT_TRUE(Shown().isEmpty());

    // The source going clears the reference.
    delete Source;
    Source = nullptr;
    EXPECT_EQ(Combo->DataSource(), nullptr);
}

} // namespace
