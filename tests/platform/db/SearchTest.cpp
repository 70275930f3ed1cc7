#include "EngineTest.h"
#include "MemoryDataSet.h"

#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Exceptions.h>

namespace {

QString NameOf(TDataSet* people) {
    return people->FieldByName(QStringLiteral("Name"))->AsString();
}

class TableSearchFixture : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        FDb = std::make_unique<TPeopleDatabase>(60, Engine());
        FPeople.reset(FDb->NewTable(QStringLiteral("People.db")));
        FPeople->SetIndexFieldNames(QStringLiteral("Name"));
        FPeople->Open();
        // A few names that differ only in case, and one without a name.
        for (const char* name : {"smith", "SMITHSON", "Smyth"}) {
            FPeople->Append();
            FPeople->FieldByName(QStringLiteral("Name"))->SetAsString(QString::fromLatin1(name));
            FPeople->FieldByName(QStringLiteral("Country"))->SetAsInteger(3);
            FPeople->Post();
        }
        FPeople->Append();
        FPeople->FieldByName(QStringLiteral("Country"))->SetAsInteger(2);
        FPeople->Post();
        FPeople->First();
    }
    std::unique_ptr<TPeopleDatabase> FDb;
    std::unique_ptr<TTable> FPeople;
};

ON_EVERY_ENGINE_WITH(TableSearch, TableSearchFixture);

TEST_P(TableSearch, LocateWithAndWithoutOptions) {
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("Person 0042"), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0042"));
    EXPECT_FALSE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("person 0042"), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0042")); // not found: no move
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("person 0042"),
                                {loCaseInsensitive}));
    EXPECT_TRUE(
        FPeople->Locate(QStringLiteral("Name"), QStringLiteral("Person 005"), {loPartialKey}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0050")); // the first in the order
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("SMITH"),
                                {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("SMITHSON")); // first in the (binary) order
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("smi"), {loPartialKey}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("smith"));
    EXPECT_FALSE(
        FPeople->Locate(QStringLiteral("Name"), QStringLiteral("smithson"), {loPartialKey}));
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), Null(), {}));
    EXPECT_TRUE(FPeople->FieldByName(QStringLiteral("Name"))->IsNull());
}

TEST_P(TableSearch, LocateOnSeveralFieldsAndValuesOfOtherTypes) {
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Country;Name"),
                                VarArrayOf({3, QStringLiteral("Smyth")}), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Smyth"));
    EXPECT_FALSE(FPeople->Locate(QStringLiteral("Country;Name"),
                                 VarArrayOf({1, QStringLiteral("Smyth")}), {}));
    EXPECT_TRUE(
        FPeople->Locate(QStringLiteral("Country"), QStringLiteral("2"), {})); // text → number
    EXPECT_THROW(FPeople->Locate(QStringLiteral("Country"), QStringLiteral("two"), {}), Exception);
    EXPECT_THROW(FPeople->Locate(QStringLiteral("Country;Name"), 3, {}), EDatabaseError);
    EXPECT_THROW(FPeople->Locate(QStringLiteral("Nope"), 3, {}), EDatabaseError);
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Birth"), QDate(1970, 1, 11), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0010"));
}

TEST_P(TableSearch, KeySearchOnTheIndexOrder) {
    FPeople->SetKey();
    EXPECT_EQ(FPeople->State(), dsSetKey);
    FPeople->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Person 0030"));
    EXPECT_TRUE(FPeople->GotoKey());
    EXPECT_EQ(FPeople->State(), dsBrowse);
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0030"));
    EXPECT_FALSE(FPeople->FindKey({QStringLiteral("Person 0030x")}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0030"));
    FPeople->FindNearest({QStringLiteral("Person 0030x")});
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0031"));
    FPeople->FindNearest({QStringLiteral("Q")});
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("SMITHSON")); // upper case sorts first
    FPeople->FindNearest({QStringLiteral("zzz")});
    EXPECT_TRUE(FPeople->Eof()); // past every key: the last record
    // The key buffer is its own: the record's values are untouched.
    FPeople->First();
    const QString first = NameOf(FPeople.get());
    FPeople->SetKey();
    FPeople->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Person 0002"));
    FPeople->EditKey();
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0002")); // EditKey keeps the key
    EXPECT_TRUE(FPeople->GotoKey());
    EXPECT_NE(NameOf(FPeople.get()), first);
}

TEST_P(TableSearch, CompoundKeysAndKeyFieldCount) {
    FPeople->SetIndexFieldNames(QStringLiteral("Country;Name"));
    EXPECT_EQ(FPeople->KeyFieldCount(), 2);
    EXPECT_TRUE(FPeople->FindKey({3, QStringLiteral("SMITHSON")}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("SMITHSON"));
    EXPECT_TRUE(FPeople->FindKey({2})); // the first record of country 2
    EXPECT_EQ(FPeople->FieldByName(QStringLiteral("Country"))->AsInteger(), 2);
    EXPECT_TRUE(FPeople->FieldByName(QStringLiteral("Name"))->IsNull()); // nulls first
    FPeople->SetKey();
    FPeople->FieldByName(QStringLiteral("Country"))->SetAsInteger(3);
    FPeople->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Smz"));
    FPeople->SetKeyFieldCount(1);
    EXPECT_TRUE(FPeople->GotoKey()); // only the country counts
    EXPECT_EQ(FPeople->FieldByName(QStringLiteral("Country"))->AsInteger(), 3);
    FPeople->SetKeyFieldCount(0);
    FPeople->FindNearest({3, QStringLiteral("Smz")});
    EXPECT_EQ(FPeople->FieldByName(QStringLiteral("Country"))->AsInteger(), 3);
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("smith")); // lower case after upper
}

TEST(MemorySearch, ADatasetWithoutAnEngineSearchesItsRecords) {
    TMemoryDataSet data;
    data.FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
    data.FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    data.Open();
    for (int i = 0; i < 200; ++i) {
        data.Append();
        data.FieldByName(QStringLiteral("Code"))->SetAsInteger(i);
        data.FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Item %1").arg(i));
        data.Post();
    }
    EXPECT_TRUE(
        data.Locate(QStringLiteral("Name"), QStringLiteral("item 150"), {loCaseInsensitive}));
    EXPECT_EQ(data.FieldByName(QStringLiteral("Code"))->AsInteger(), 150);
    EXPECT_TRUE(data.Locate(QStringLiteral("Name"), QStringLiteral("Item 19"), {loPartialKey}));
    EXPECT_EQ(data.FieldByName(QStringLiteral("Code"))->AsInteger(), 19);
    EXPECT_FALSE(data.Locate(QStringLiteral("Code"), 999, {}));
    EXPECT_THROW(data.SetKey(), EDatabaseError); // no index order
    EXPECT_EQ(data.State(), dsBrowse);
}

} // namespace
