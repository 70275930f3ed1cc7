#include "MemoryDataSet.h"

#include <db/DataLink.h>
#include <db/DataSource.h>
#include <db/Field.h>
#include <db/FieldDefs.h>
#include <gtest/gtest.h>

namespace {

// A memory dataset that notes how many records each read asks its descendant for.
class TCountingMemoryDataSet : public TMemoryDataSet {
public:
    QList<int> Asked;

protected:
    QList<TRecord> InternalFetch(TFetchDirection Direction, const TRecord* From,
                                 int Count) override {
        Asked << Count;
        return TMemoryDataSet::InternalFetch(Direction, From, Count);
    }
};

class ReadAhead : public ::testing::Test {
protected:
    void SetUp() override {
        Data.FieldDefs()->Add(QStringLiteral("N"), ftInteger);
        for (int n = 1; n <= 100; ++n)
            Data.AppendRecord({n});
        Data.Open();
    }

    // Moves Count records forward and gives the values passed.
    QList<int> Forward(int Count) {
        QList<int> values;
        for (int i = 0; i < Count && !Data.Eof(); ++i) {
            Data.Next();
            if (!Data.Eof())
                values << int(Data.FieldByName(QStringLiteral("N"))->AsInteger());
        }
        return values;
    }

    int Current() const { return int(Data.FieldByName(QStringLiteral("N"))->AsInteger()); }

    TCountingMemoryDataSet Data;
};

TEST_F(ReadAhead, FirstReadsReadAheadOnlyWhileForwardMovesUseIt) {
    // A first read takes records ahead, which the moves forward use without reading.
    EXPECT_EQ(Data.Asked, QList<int>{17});
    EXPECT_EQ(Forward(16), (QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}));
    EXPECT_EQ(Data.Asked, QList<int>{17});

    // Records taken ahead and dropped untouched by a jump: the next first read takes none.
    Data.First();
    Data.Last();
    EXPECT_EQ(Current(), 100);
    Data.Asked.clear();
    Data.First();
    EXPECT_EQ(Current(), 1);
    EXPECT_EQ(Data.Asked, QList<int>{1});
    Data.Last();

    // Moving on after such a first read reads ahead, and first reads do so again.
    Data.First();
    Data.Asked.clear();
    EXPECT_EQ(Forward(3), (QList<int>{2, 3, 4}));
    EXPECT_EQ(Data.Asked, QList<int>{17});
    Data.Asked.clear();
    Data.First();
    EXPECT_EQ(Data.Asked, QList<int>{17});
    EXPECT_EQ(Forward(100).size(), 99);
    EXPECT_TRUE(Data.Eof());
}

TEST_F(ReadAhead, AFirstReadTakesAheadWhatTheMovesAfterTheLastOneTook) {
    const auto reopen = [&] {
        Data.Close();
        Data.Asked.clear();
        Data.Open();
    };
    // Moving on from a first read reads twice the run each time it runs out.
    EXPECT_EQ(Forward(49).size(), 49);
    EXPECT_EQ(Data.Asked, (QList<int>{17, 35}));
    // Opened again, the first read takes ahead the 49 records the moves took: one read.
    reopen();
    EXPECT_EQ(Data.Asked, QList<int>{50});
    EXPECT_EQ(Forward(49).size(), 49);
    EXPECT_EQ(Current(), 50);
    EXPECT_EQ(Data.Asked, QList<int>{50});
    // A short run brings it back to the least, a long one is held to the most.
    reopen();
    Forward(2);
    reopen();
    EXPECT_EQ(Data.Asked, QList<int>{17});
    EXPECT_EQ(Forward(100).size(), 99);
    EXPECT_TRUE(Data.Eof());
    reopen();
    EXPECT_EQ(Data.Asked, QList<int>{65});
    EXPECT_EQ(Current(), 1);
    // A first read never followed by a forward move teaches nothing.
    Data.Last();
    Data.Asked.clear();
    Data.First();
    EXPECT_EQ(Data.Asked, QList<int>{1}) << "records taken ahead went unused";
}

TEST_F(ReadAhead, ALinkJoiningOnTheFirstRecordReadsOnlyTheRecordsMissing) {
    TDataSource source;
    source.SetDataSet(&Data);
    TDataLink link;
    // The values of the records the link's window holds, top down.
    const auto window = [&] {
        QList<int> values;
        const int active = link.ActiveRecord();
        for (int row = 0; row < link.RecordCount(); ++row) {
            link.SetActiveRecord(row);
            values << Current();
        }
        link.SetActiveRecord(active);
        return values;
    };
    link.SetBufferCount(7);
    link.SetDataSource(&source);
    EXPECT_EQ(window(), (QList<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(link.ActiveRecord(), 0);
    EXPECT_EQ(Data.Asked, QList<int>{17}) << "taken from the records read ahead";

    link.SetBufferCount(30);
    EXPECT_EQ(window().size(), 30);
    EXPECT_EQ(window().last(), 30);
    EXPECT_EQ(Data.Asked, (QList<int>{17, 13})) << "the records beyond those read ahead";
    link.SetBufferCount(5);
    EXPECT_EQ(window(), (QList<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Data.Asked, (QList<int>{17, 13}));
    EXPECT_TRUE(Data.Bof());
    EXPECT_EQ(Current(), 1);

    // Elsewhere the window is centred on the current record.
    Data.MoveBy(50);
    Data.Asked.clear();
    link.SetBufferCount(9);
    EXPECT_EQ(Current(), 51);
    EXPECT_EQ(window(), (QList<int>{47, 48, 49, 50, 51, 52, 53, 54, 55}));
    link.SetDataSource(nullptr);
}

} // namespace
