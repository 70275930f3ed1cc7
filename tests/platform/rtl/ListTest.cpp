#include <algorithm>
#include <gtest/gtest.h>
#include <rtl/List.h>
#include <type_traits>
#include <vector>

namespace {

// Records its id into Freed when destroyed.
struct TTracked {
    TTracked(int id, std::vector<int>& freed) : Id(id), Freed(freed) {}
    ~TTracked() { Freed.push_back(Id); }
    int Id;
    std::vector<int>& Freed;
};

// Takes itself out of the list that holds it when destroyed.
struct TSelfRemoving : TTracked {
    TSelfRemoving(int id, std::vector<int>& freed, TList<TSelfRemoving>& list)
        : TTracked(id, freed), List(list) {}
    ~TSelfRemoving() { List.Remove(this); }
    TList<TSelfRemoving>& List;
};

static_assert(!std::is_copy_constructible_v<TListObj<TTracked>> &&
              !std::is_copy_assignable_v<TListObj<TTracked>>);

// The message of the EListError action raises, or "" when it raises none.
template <class F> std::string ListErrorOf(F&& action) {
    try {
        action();
    } catch (const EListError& e) {
        return e.Message().toStdString();
    }
    return {};
}

std::vector<int> Values(const TList<int>& list) {
    std::vector<int> values;
    for (int* p : list)
        values.push_back(*p);
    return values;
}

class ListTest : public ::testing::Test {
protected:
    int Numbers[5] = {0, 1, 2, 3, 4};
    TList<int> List;

    void AddAll() {
        for (int& n : Numbers)
            List.Add(&n);
    }
};

TEST_F(ListTest, AddAndInsertPlaceItems) {
    EXPECT_EQ(List.Add(&Numbers[1]), 0);
    EXPECT_EQ(List.Add(&Numbers[3]), 1);
    List.Insert(0, &Numbers[0]);
    List.Insert(2, &Numbers[2]);
    List.Insert(4, &Numbers[4]);
    EXPECT_EQ(Values(List), std::vector<int>({0, 1, 2, 3, 4}));
    EXPECT_EQ(List.Count(), 5);
    EXPECT_EQ(List.Items(2), &Numbers[2]);
    EXPECT_EQ(List[3], &Numbers[3]);
    EXPECT_EQ(List.First(), &Numbers[0]);
    EXPECT_EQ(List.Last(), &Numbers[4]);
    EXPECT_EQ(List.IndexOf(&Numbers[3]), 3);
    int other = 9;
    EXPECT_EQ(List.IndexOf(&other), -1);
    List.SetItems(1, &other);
    EXPECT_EQ(Values(List), std::vector<int>({0, 9, 2, 3, 4}));
}

TEST_F(ListTest, DeleteRemoveAndExtractTakeItemsOut) {
    AddAll();
    List.Delete(1);
    EXPECT_EQ(Values(List), std::vector<int>({0, 2, 3, 4}));
    EXPECT_EQ(List.Remove(&Numbers[3]), 2);
    EXPECT_EQ(List.Remove(&Numbers[3]), -1);
    EXPECT_EQ(List.Extract(&Numbers[0]), &Numbers[0]);
    EXPECT_EQ(List.Extract(&Numbers[0]), nullptr);
    EXPECT_EQ(Values(List), std::vector<int>({2, 4}));
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(List.Capacity(), 0);
}

TEST_F(ListTest, ExchangeMoveAndSortReorder) {
    AddAll();
    List.Exchange(0, 4);
    EXPECT_EQ(Values(List), std::vector<int>({4, 1, 2, 3, 0}));
    List.Move(0, 2);
    EXPECT_EQ(Values(List), std::vector<int>({1, 2, 4, 3, 0}));
    List.Move(4, 0);
    EXPECT_EQ(Values(List), std::vector<int>({0, 1, 2, 4, 3}));
    List.Sort([](int* a, int* b) { return *b - *a; });
    EXPECT_EQ(Values(List), std::vector<int>({4, 3, 2, 1, 0}));
}

TEST_F(ListTest, SortIsStable) {
    // Keys 0..2 in the hundreds, the order added in the units.
    std::vector<int> items;
    for (int i = 0; i < 60; ++i)
        items.push_back((i * 7 % 3) * 100 + i);
    for (int& n : items)
        List.Add(&n);
    List.Sort([](int* a, int* b) { return *a / 100 - *b / 100; });
    std::vector<int> expected = items;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Values(List), expected);
}

TEST_F(ListTest, CapacityGrowsAndCannotDropBelowTheCount) {
    AddAll();
    List.SetCapacity(100);
    EXPECT_GE(List.Capacity(), 100);
    List.SetCapacity(5);
    EXPECT_EQ(List.Capacity(), 5);
    EXPECT_EQ(ListErrorOf([&] { List.SetCapacity(4); }), "List capacity out of bounds (4)");
    EXPECT_EQ(Values(List), std::vector<int>({0, 1, 2, 3, 4}));
}

TEST_F(ListTest, OutOfRangeIndexesRaiseListError) {
    EXPECT_EQ(ListErrorOf([&] { List.First(); }), "List index out of bounds (0)");
    EXPECT_EQ(ListErrorOf([&] { List.Last(); }), "List index out of bounds (-1)");
    AddAll();
    EXPECT_EQ(ListErrorOf([&] { List.Items(5); }), "List index out of bounds (5)");
    EXPECT_EQ(ListErrorOf([&] { List[-1]; }), "List index out of bounds (-1)");
    EXPECT_EQ(ListErrorOf([&] { List.SetItems(5, nullptr); }), "List index out of bounds (5)");
    EXPECT_EQ(ListErrorOf([&] { List.Insert(6, nullptr); }), "List index out of bounds (6)");
    EXPECT_EQ(ListErrorOf([&] { List.Delete(-2); }), "List index out of bounds (-2)");
    EXPECT_EQ(ListErrorOf([&] { List.Exchange(5, 0); }), "List index out of bounds (5)");
    EXPECT_EQ(ListErrorOf([&] { List.Move(0, 5); }), "List index out of bounds (5)");
    EXPECT_EQ(Values(List), std::vector<int>({0, 1, 2, 3, 4}));
}

TEST(ListObj, ClearAndDestructionFreeItemsInIndexOrder) {
    std::vector<int> freed;
    {
        TListObj<TTracked> list;
        for (int id : {3, 1, 2})
            list.Add(new TTracked(id, freed));
        list.Clear();
        EXPECT_EQ(freed, std::vector<int>({3, 1, 2}));
        EXPECT_EQ(list.Count(), 0);
        freed.clear();
        for (int id : {7, 5, 6})
            list.Add(new TTracked(id, freed));
        list.Move(0, 2);
    }
    EXPECT_EQ(freed, std::vector<int>({5, 6, 7}));
}

TEST(ListObj, DeleteAndSetItemsFreeWhatTheyDrop) {
    std::vector<int> freed;
    TListObj<TTracked> list;
    for (int id : {0, 1, 2})
        list.Add(new TTracked(id, freed));
    list.Delete(1);
    EXPECT_EQ(freed, std::vector<int>({1}));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(1)->Id, 2);
    TTracked* kept = list.Items(0);
    list.SetItems(0, kept);
    EXPECT_EQ(freed, std::vector<int>({1}));
    list.SetItems(0, new TTracked(9, freed));
    EXPECT_EQ(freed, std::vector<int>({1, 0}));
}

TEST(ListObj, RemoveAndExtractGiveItemsUp) {
    std::vector<int> freed;
    auto* removed = new TTracked(1, freed);
    auto* extracted = new TTracked(2, freed);
    {
        TListObj<TTracked> list;
        list.Add(new TTracked(0, freed));
        list.Add(removed);
        list.Add(extracted);
        EXPECT_EQ(list.Remove(removed), 1);
        EXPECT_EQ(list.Extract(extracted), extracted);
        EXPECT_TRUE(freed.empty());
    }
    EXPECT_EQ(freed, std::vector<int>({0}));
    delete removed;
    delete extracted;
}

TEST(ListObj, ItemsMayLeaveTheListWhileItIsCleared) {
    std::vector<int> freed;
    TListObj<TSelfRemoving> list;
    for (int id : {0, 1, 2})
        list.Add(new TSelfRemoving(id, freed, list));
    delete list.Items(1);
    EXPECT_EQ(list.Count(), 2);
    list.Clear();
    EXPECT_EQ(freed, std::vector<int>({1, 0, 2}));
}

} // namespace
