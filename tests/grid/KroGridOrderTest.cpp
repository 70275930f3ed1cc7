#include "GridFixture.h"

#include <controls/KroSort.h>
#include <dataset/KroSql.h>

namespace {

ON_EVERY_ENGINE_WITH(KroGridOrder, GridFixture);

// The names of the records in the dataset's order.
QStringList Names(TDataSet* DataSet) {
    QStringList names;
    for (DataSet->First(); !DataSet->Eof(); DataSet->Next())
        names << DataSet->FieldByName(QStringLiteral("Name"))->AsString();
    DataSet->First();
    return names;
}

} // namespace

TEST_P(KroGridOrder, ATitleClickOrdersATableThroughItsIndexFields) {
    Person->Next(); // on Bob
    ClickTitle("Lang");
    EXPECT_EQ(Person->IndexFieldNames(), QStringLiteral("Lang"));
    EXPECT_EQ(GetCurrentOrder(Person), QStringLiteral("Lang"));
    EXPECT_EQ(Name(), QStringLiteral("Bob")) << "the record is kept";
    EXPECT_EQ(Names(Person), QStringList({"Cid", "Dan", "Ann", "Bob"}));
    // A table's index is ascending: a second click leaves it so.
    ClickTitle("Lang");
    EXPECT_EQ(Names(Person), QStringList({"Cid", "Dan", "Ann", "Bob"}));

    // A lookup column has nothing the table can order by.
    ClickTitle("LangLook");
    EXPECT_EQ(GetCurrentOrder(Person), QStringLiteral("Lang"));
    // Switched off, a click orders nothing.
    Grid->SetOrderByTitle(false);
    ClickTitle("Name");
    EXPECT_EQ(GetCurrentOrder(Person), QStringLiteral("Lang"));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(';').toStdString();
}

TEST_P(KroGridOrder, ATitleClickRewritesAQuerysOrderAndASecondOneReversesIt) {
    auto* query = new TKroQuery(&Module);
    query->SetDatabaseName(FDb->Alias());
    query->SQL()->SetText(QStringLiteral("select Id, Name, Lang from Person order by Id"));
    Source->SetDataSet(query);
    query->Open();
    ProcessEvents();
    ClickTitle("Name");
    EXPECT_TRUE(query->SQL()->Text().contains(QStringLiteral("order by Name")));
    EXPECT_EQ(GetCurrentOrder(query), QStringLiteral("Name"));
    EXPECT_EQ(Names(query), QStringList({"Ann", "Bob", "Cid", "Dan"}));
    ClickTitle("Name");
    EXPECT_TRUE(query->SQL()->Text().contains(QStringLiteral("order by Name desc")));
    EXPECT_EQ(GetCurrentOrder(query), QStringLiteral("Name"));
    EXPECT_EQ(Names(query), QStringList({"Dan", "Cid", "Bob", "Ann"}));
    ClickTitle("Name");
    EXPECT_EQ(Names(query), QStringList({"Ann", "Bob", "Cid", "Dan"}));
    ClickTitle("Lang");
    EXPECT_EQ(Names(query), QStringList({"Cid", "Dan", "Ann", "Bob"}));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(';').toStdString();
}

TEST_P(KroGridOrder, TheSortingComboShowsTheOrderATitleClickSets) {
    auto* combo = new TKroDBSortingCombo(&Form);
    combo->SetParent(&Form);
    combo->SetDataSource(Source);
    ProcessEvents();
    // A table's combo offers its indexes: an order without one selects nothing.
    ASSERT_TRUE(combo->FromIndexDefs());
    const QStringList orderings = combo->Orderings();
    ASSERT_TRUE(orderings.contains(QStringLiteral("Id")))
        << orderings.join(QLatin1Char(',')).toStdString();
    for (const char* title : {"Lang", "Id", "Name"}) {
        ClickTitle(title);
        EXPECT_EQ(combo->ItemIndex(), orderings.indexOf(GetCurrentOrder(Person))) << title;
    }

    auto* query = new TKroQuery(&Module);
    query->SetDatabaseName(FDb->Alias());
    query->SQL()->SetText(QStringLiteral("select Id, Name, Lang from Person order by Id"));
    query->SortingList()->SetText(QStringLiteral("Id\nName\nLang"));
    Source->SetDataSet(query);
    query->Open();
    ProcessEvents();
    EXPECT_EQ(combo->ItemIndex(), 0);
    ClickTitle("Name");
    EXPECT_EQ(combo->ItemIndex(), 1) << "the query's order rewritten by the title";
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(';').toStdString();
}

TEST_P(KroGridOrder, AnEditedRecordIsPostedBeforeTheOrderChanges) {
    Person->Edit();
    Person->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Eve"));
    ClickTitle("Name");
    EXPECT_EQ(Person->State(), dsBrowse);
    EXPECT_EQ(Names(Person), QStringList({"Bob", "Cid", "Dan", "Eve"}));
}
