#include "EngineTest.h"
#include "MemoryDataSet.h"

#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Exceptions.h>

namespace {

QStringList Names(TDataSet* data) {
    QStringList names;
    for (data->First(); !data->Eof(); data->Next())
        names << data->FieldByName(QStringLiteral("Name"))->AsString();
    return names;
}

class TableFiltersFixture : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        FDb = std::make_unique<TPeopleDatabase>(30, Engine());
        FPeople.reset(FDb->NewTable(QStringLiteral("People.db")));
        FPeople->SetIndexFieldNames(QStringLiteral("Name"));
        FPeople->Open();
    }
    std::unique_ptr<TPeopleDatabase> FDb;
    std::unique_ptr<TTable> FPeople;
};
ON_EVERY_ENGINE_WITH(TableFilters, TableFiltersFixture);

TEST_P(TableFilters, TheEngineAppliesTheExpression) {
    FPeople->SetFilter(QStringLiteral("Country = 2 and Name >= 'Person 0020'"));
    EXPECT_EQ(FPeople->RecordCount(), 30); // not filtered until Filtered is set
    FPeople->SetFiltered(true);
    EXPECT_EQ(Names(FPeople.get()),
              (QStringList{QStringLiteral("Person 0020"), QStringLiteral("Person 0023"),
                           QStringLiteral("Person 0026"), QStringLiteral("Person 0029")}));
    EXPECT_EQ(FPeople->RecordCount(), 4);
    FPeople->Last();
    EXPECT_EQ(FPeople->RecNo(), 4);
    FPeople->SetFilter(QStringLiteral("Name = 'person 000*'"));
    EXPECT_TRUE(FPeople->IsEmpty()); // case counts
    FPeople->SetFilterOptions({foCaseInsensitive});
    EXPECT_EQ(FPeople->RecordCount(), 9);
    FPeople->SetFilterOptions({foCaseInsensitive, foNoPartialCompare});
    EXPECT_TRUE(FPeople->IsEmpty()); // the * is a character now
    FPeople->SetFilter(QStringLiteral("Notes = Null and not (Birth < '1970-01-10')"));
    FPeople->SetFilterOptions({});
    EXPECT_EQ(FPeople->RecordCount(), 22);
    FPeople->SetFiltered(false);
    EXPECT_EQ(FPeople->RecordCount(), 30);
}

TEST_P(TableFilters, AFilterLaidAgainReadsItsOwnValuesAndTheDataAsTheyAreThen) {
    // Person i is of Country (i - 1) % 3 + 1.
    const auto ofCountry = [](int Country) {
        QStringList names;
        for (int i = Country; i <= 30; i += 3)
            names << QStringLiteral("Person %1").arg(i, 4, 10, QLatin1Char('0'));
        return names;
    };
    FPeople->SetFilter(QStringLiteral("Country = 2"));
    FPeople->SetFiltered(true);
    EXPECT_EQ(Names(FPeople.get()), ofCountry(2));
    FPeople->SetFiltered(false);
    EXPECT_EQ(FPeople->RecordCount(), 30);
    // The same condition with another value, another condition, then the first again.
    FPeople->SetFilter(QStringLiteral("Country = 3"));
    FPeople->SetFiltered(true);
    EXPECT_EQ(Names(FPeople.get()), ofCountry(3));
    EXPECT_EQ(FPeople->RecordCount(), 10);
    FPeople->SetFilter(QStringLiteral("Name < 'Person 0003'"));
    EXPECT_EQ(Names(FPeople.get()),
              (QStringList{QStringLiteral("Person 0001"), QStringLiteral("Person 0002")}));
    FPeople->SetFilter(QStringLiteral("Country = 1"));
    EXPECT_EQ(Names(FPeople.get()), ofCountry(1));
    EXPECT_EQ(FPeople->RecordCount(), 10);

    // A record changed while the filter was off is read as it is now.
    FPeople->SetFiltered(false);
    ASSERT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("Person 0002"), {}));
    FPeople->Edit();
    FPeople->FieldByName(QStringLiteral("Country"))->SetAsInteger(1);
    FPeople->Post();
    FPeople->SetFiltered(true);
    QStringList country1 = ofCountry(1);
    country1.insert(1, QStringLiteral("Person 0002"));
    EXPECT_EQ(Names(FPeople.get()), country1);
    EXPECT_EQ(FPeople->RecordCount(), 11);

    // The same text under options switched back and forth, and after the dataset reopens.
    FPeople->SetFilter(QStringLiteral("Name = 'person 000*'"));
    EXPECT_TRUE(FPeople->IsEmpty());
    FPeople->SetFilterOptions({foCaseInsensitive});
    EXPECT_EQ(FPeople->RecordCount(), 9);
    FPeople->SetFilterOptions({});
    EXPECT_TRUE(FPeople->IsEmpty());
    FPeople->SetFilterOptions({foCaseInsensitive});
    EXPECT_EQ(Names(FPeople.get()).size(), 9);
    FPeople->Close();
    FPeople->Open();
    EXPECT_EQ(Names(FPeople.get()).size(), 9);
    FPeople->SetFilter(QStringLiteral("Country = 1"));
    EXPECT_EQ(Names(FPeople.get()), country1);
}

TEST_P(TableFilters, AFilterLaidWithAKeyGoesToTheKeysRecordWithinIt) {
    const auto current = [&] { return FPeople->FieldByName(QStringLiteral("Name"))->AsString(); };
    const QString name = QStringLiteral("Name");
    // Country 2 holds persons 2, 5, 8, ... 29.
    FPeople->SetFilterLocating(QStringLiteral("Country = 2"), name, QStringLiteral("Person 0020"));
    EXPECT_TRUE(FPeople->Filtered());
    EXPECT_EQ(current(), QStringLiteral("Person 0020"));
    EXPECT_EQ(FPeople->RecNo(), 7);
    FPeople->Prior();
    EXPECT_EQ(current(), QStringLiteral("Person 0017"));
    FPeople->MoveBy(3);
    EXPECT_EQ(current(), QStringLiteral("Person 0026"));
    // The same filter again leaves the record where it is.
    FPeople->SetFilterLocating(QStringLiteral("Country = 2"), name, QStringLiteral("Person 0005"));
    EXPECT_EQ(current(), QStringLiteral("Person 0026"));
    // A key the filter leaves out, a null key and no key fields go to the first record.
    FPeople->SetFilterLocating(QStringLiteral("Country = 3"), name, QStringLiteral("Person 0020"));
    EXPECT_EQ(current(), QStringLiteral("Person 0003"));
    EXPECT_TRUE(FPeople->Bof());
    FPeople->SetFilterLocating(QStringLiteral("Country = 1"), name, Null());
    EXPECT_EQ(current(), QStringLiteral("Person 0001"));
    FPeople->SetFilterLocating(QStringLiteral("Country = 2"), QString(), QStringLiteral("x"));
    EXPECT_EQ(current(), QStringLiteral("Person 0002"));
    EXPECT_EQ(Names(FPeople.get()).size(), 10);

    // A key that does not fit its field raises, and the records shown are the new filter's.
    EXPECT_ANY_THROW(FPeople->SetFilterLocating(QStringLiteral("Country = 3"),
                                                QStringLiteral("Country"), QStringLiteral("x")));
    EXPECT_EQ(FPeople->Filter(), QStringLiteral("Country = 3"));
    EXPECT_EQ(current(), QStringLiteral("Person 0003"));
    FPeople->Next();
    EXPECT_EQ(current(), QStringLiteral("Person 0006"));
    // A refused filter leaves the one in force and its record.
    EXPECT_THROW(
        FPeople->SetFilterLocating(QStringLiteral("Nmae = 1"), name, QStringLiteral("Person 0009")),
        EDatabaseError);
    EXPECT_EQ(FPeople->Filter(), QStringLiteral("Country = 3"));
    EXPECT_EQ(FPeople->RecordCount(), 10);

    // Closed, the filter is only kept; it is in force when the table opens.
    FPeople->Close();
    FPeople->SetFilterLocating(QStringLiteral("Country = 1"), name, QStringLiteral("Person 0004"));
    FPeople->Open();
    EXPECT_EQ(current(), QStringLiteral("Person 0001"));
    EXPECT_EQ(FPeople->RecordCount(), 10);
}

TEST_P(TableFilters, OnFilterRecordRunsInTheProcessBesideTheExpression) {
    FPeople->SetFilter(QStringLiteral("Country = 1"));
    FPeople->SetOnFilterRecord([](TDataSet* d, bool& accept) {
        accept = d->FieldByName(QStringLiteral("Id"))->AsInteger() % 2 == 0;
    });
    FPeople->SetFiltered(true);
    EXPECT_EQ(Names(FPeople.get()),
              (QStringList{QStringLiteral("Person 0004"), QStringLiteral("Person 0010"),
                           QStringLiteral("Person 0016"), QStringLiteral("Person 0022"),
                           QStringLiteral("Person 0028")}));
    EXPECT_EQ(FPeople->RecordCount(), 5);
    FPeople->Last();
    FPeople->Prior();
    EXPECT_EQ(FPeople->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0022"));
    EXPECT_EQ(FPeople->RecNo(), 4);
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("Person 0010"), {}));
    EXPECT_FALSE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("Person 0007"), {}));
}

TEST_P(TableFilters, TheCountFollowsTheRecordsPostedAndDeletedThroughTheDataSet) {
    const QString filter = QStringLiteral("Country = 2");
    FPeople->SetFilter(filter);
    FPeople->SetFiltered(true);
    // The rows the filter admits now, counted by a table of their own.
    const auto counted = [&] {
        std::unique_ptr<TTable> fresh(FDb->NewTable(QStringLiteral("People.db")));
        fresh->SetFilter(filter);
        fresh->SetFiltered(true);
        fresh->Open();
        return fresh->RecordCount();
    };
    const qint64 before = FPeople->RecordCount();
    ASSERT_EQ(before, counted());
    const auto post = [&](const QString& Name, int Country) {
        FPeople->Append();
        FPeople->FieldByName(QStringLiteral("Name"))->SetAsString(Name);
        FPeople->FieldByName(QStringLiteral("Country"))->SetAsInteger(Country);
        FPeople->Post();
    };
    post(QStringLiteral("Admitted"), 2);
    EXPECT_EQ(FPeople->RecordCount(), before + 1);
    post(QStringLiteral("Left out"), 1);
    EXPECT_EQ(FPeople->RecordCount(), before + 1);
    const int taken = FPeople->FieldByName(QStringLiteral("Id"))->AsInteger();

    // A refused record changes nothing.
    FPeople->Append();
    FPeople->FieldByName(QStringLiteral("Id"))->SetAsInteger(taken);
    FPeople->FieldByName(QStringLiteral("Country"))->SetAsInteger(2);
    EXPECT_THROW(FPeople->Post(), Exception);
    FPeople->Cancel();
    EXPECT_EQ(FPeople->RecordCount(), before + 1);

    // A changed record stays or leaves.
    ASSERT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("Admitted"), {}));
    FPeople->Edit();
    FPeople->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Admitted again"));
    FPeople->Post();
    EXPECT_EQ(FPeople->RecordCount(), before + 1);
    FPeople->Edit();
    FPeople->FieldByName(QStringLiteral("Country"))->SetAsInteger(3);
    FPeople->Post();
    EXPECT_EQ(FPeople->RecordCount(), before);
    EXPECT_EQ(counted(), before);

    FPeople->First();
    FPeople->Delete();
    EXPECT_EQ(FPeople->RecordCount(), before - 1);
    EXPECT_EQ(counted(), before - 1);

    // A record another user deleted first is counted out too.
    std::unique_ptr<TTable> other(FDb->NewTable(QStringLiteral("People.db")));
    other->Open();
    FPeople->First();
    ASSERT_TRUE(other->Locate(QStringLiteral("Id"),
                              FPeople->FieldByName(QStringLiteral("Id"))->AsVariant(), {}));
    other->Delete();
    FPeople->Delete();
    EXPECT_EQ(FPeople->RecordCount(), before - 2);
    EXPECT_EQ(counted(), before - 2);
}

TEST_P(TableFilters, ARefusedFilterOrOrderLeavesThePreviousOneInForce) {
    const QString previous = QStringLiteral("Country = 1");
    FPeople->SetFilter(previous);
    FPeople->SetFiltered(true);
    const QStringList shown = Names(FPeople.get());
    EXPECT_EQ(shown.size(), 10);
    for (const char* bad : {"Name = 'open", "Nmae = 1", "Country = 'two'", "Name = #",
                            "(Country = 1", "Country = 1 and"}) {
        try {
            FPeople->SetFilter(QString::fromLatin1(bad));
            ADD_FAILURE() << bad;
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Filter expression"))) << e.what();
        }
        EXPECT_EQ(FPeople->Filter(), previous);
        EXPECT_EQ(Names(FPeople.get()), shown) << bad;
        EXPECT_TRUE(FPeople->Active());
    }
    FPeople->SetFilterOptions({foCaseInsensitive});
    EXPECT_THROW(FPeople->SetIndexFieldNames(QStringLiteral("Nmae")), EDatabaseError);
    EXPECT_EQ(FPeople->IndexFieldNames(), QStringLiteral("Name"));
    EXPECT_EQ(Names(FPeople.get()), shown);
    FPeople->Close();
    FPeople->Open(); // the settings in force open again
    EXPECT_EQ(Names(FPeople.get()), shown);
    FPeople->SetFilter(QString());
    QString longFilter = QStringLiteral("Country = 1");
    while (longFilter.size() < 10000)
        longFilter += QStringLiteral(" or Country = 2");
    FPeople->SetFilter(longFilter);
    EXPECT_EQ(FPeople->RecordCount(), 20);
    // A value cannot escape its parameter.
    FPeople->SetFilter(QStringLiteral("Name = 'x''; DELETE FROM People; --'"));
    EXPECT_TRUE(FPeople->IsEmpty());
    FPeople->SetFiltered(false);
    EXPECT_EQ(FPeople->RecordCount(), 30);
}

TEST(MemoryFilters, ExpressionsOverCalculatedValuesRunInTheProcess) {
    TMemoryDataSet data;
    data.FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    data.FieldDefs()->Add(QStringLiteral("Age"), ftInteger);
    data.Open();
    const QList<QPair<QString, int>> rows = {{QStringLiteral("Ann"), 30},
                                             {QStringLiteral("bob"), 17},
                                             {QStringLiteral("Carl"), 45},
                                             {QString(), 50}};
    for (const auto& [name, age] : rows) {
        data.Append();
        if (!name.isEmpty())
            data.FieldByName(QStringLiteral("Name"))->SetAsString(name);
        data.FieldByName(QStringLiteral("Age"))->SetAsInteger(age);
        data.Post();
    }
    data.SetFilter(QStringLiteral("Age >= 18 and Name <> Null"));
    data.SetFiltered(true);
    EXPECT_EQ(Names(&data), (QStringList{QStringLiteral("Ann"), QStringLiteral("Carl")}));
    EXPECT_EQ(data.RecordCount(), 2);
    data.SetFilter(QStringLiteral("Name = 'B*'"));
    data.SetFilterOptions({foCaseInsensitive});
    EXPECT_EQ(Names(&data), QStringList{QStringLiteral("bob")});
}

} // namespace
