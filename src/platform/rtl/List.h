#pragma once

#include "Exceptions.h"

#include <QList>
#include <algorithm>
#include <functional>
#include <utility>

// The error every indexed list of the runtime raises for an index outside it.
[[noreturn]] inline void ListIndexError(int Index) {
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

// Orders two items for TList::Sort: negative, zero or positive as Item1 sorts before,
// with or after Item2.
template <class T> using TListSortCompare = std::function<int(T* Item1, T* Item2)>;

// A list of pointers to T. It does not own them: removing an item leaves it alive.
template <class T> class TList {
public:
    using const_iterator = typename QList<T*>::const_iterator;

    TList() = default;
    TList(const TList&) = default;
    TList& operator=(const TList&) = default;
    virtual ~TList() = default;

    int Count() const { return int(FItems.size()); }
    T* Items(int Index) const {
        CheckIndex(Index);
        return FItems[Index];
    }
    T* operator[](int Index) const { return Items(Index); }
    // Replaces the item at Index; the one replaced counts as deleted.
    void SetItems(int Index, T* Item) {
        CheckIndex(Index);
        T* replaced = std::exchange(FItems[Index], Item);
        if (replaced != Item)
            ItemDeleted(replaced);
    }
    T* First() const { return Items(0); }
    T* Last() const { return Items(Count() - 1); }

    int Add(T* Item) {
        FItems.append(Item);
        return Count() - 1;
    }
    void Insert(int Index, T* Item) {
        if (Index < 0 || Index > Count())
            ListIndexError(Index);
        FItems.insert(Index, Item);
    }
    void Delete(int Index) {
        T* item = Items(Index);
        FItems.remove(Index);
        ItemDeleted(item);
    }
    // Deletes every item in index order; each is out of the list by the time it is deleted.
    void Clear() {
        while (!FItems.isEmpty())
            Delete(0);
        FItems.squeeze();
    }
    // Takes Item out of the list without deleting it; returns the index it had, or -1.
    int Remove(T* Item) {
        const int index = IndexOf(Item);
        if (index >= 0)
            FItems.remove(index);
        return index;
    }
    // Takes Item out of the list without deleting it; returns it, or nullptr if absent.
    T* Extract(T* Item) { return Remove(Item) >= 0 ? Item : nullptr; }

    int IndexOf(const T* Item) const { return int(FItems.indexOf(Item)); }
    void Exchange(int Index1, int Index2) {
        CheckIndex(Index1);
        CheckIndex(Index2);
        FItems.swapItemsAt(Index1, Index2);
    }
    void Move(int CurIndex, int NewIndex) {
        CheckIndex(CurIndex);
        CheckIndex(NewIndex);
        FItems.move(CurIndex, NewIndex);
    }
    // Stable: items that compare equal keep their order.
    void Sort(const TListSortCompare<T>& Compare) {
        std::stable_sort(FItems.begin(), FItems.end(),
                         [&Compare](T* a, T* b) { return Compare(a, b) < 0; });
    }

    int Capacity() const { return int(FItems.capacity()); }
    void SetCapacity(int Value) {
        if (Value < Count())
            throw EListError(QStringLiteral("List capacity out of bounds (%1)").arg(Value));
        if (Value < FItems.capacity())
            FItems.squeeze();
        FItems.reserve(Value);
    }

    const_iterator begin() const { return FItems.cbegin(); }
    const_iterator end() const { return FItems.cend(); }

protected:
    // Item has left the list through Delete, Clear or SetItems.
    virtual void ItemDeleted(T*) {}

private:
    void CheckIndex(int Index) const {
        if (Index < 0 || Index >= Count())
            ListIndexError(Index);
    }

    QList<T*> FItems;
};

// A TList that owns its items: Delete, Clear, SetItems and the destructor free the items
// they drop (Clear and the destructor in index order); Remove and Extract give an item up
// to the caller without freeing it.
template <class T> class TListObj : public TList<T> {
public:
    TListObj() = default;
    TListObj(const TListObj&) = delete;
    TListObj& operator=(const TListObj&) = delete;
    ~TListObj() override { this->Clear(); }

protected:
    void ItemDeleted(T* Item) override { delete Item; }
};
