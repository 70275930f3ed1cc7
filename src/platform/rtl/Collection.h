#pragma once

#include "List.h"
#include "Persistent.h"

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// An element of a TCollection, whose QObject parent is the collection holding it.
//
// Collections create items by class, so every item class has Q_OBJECT and declares
//     Q_INVOKABLE explicit TXxxItem(TCollection* Collection = nullptr);
// passing Collection on to its base: TCollection::Add calls
// ItemClass->newInstance(Q_ARG(TCollection*, this)).
class TCollectionItem : public TPersistent {
    Q_OBJECT
public:
    // An item made directly with a collection is announced to it (Notify, Update) from
    // this constructor, before the derived class is constructed; Add and Insert announce
    // theirs once they are complete.
    Q_INVOKABLE explicit TCollectionItem(TCollection* Collection = nullptr);
    // Takes the item out of its collection.
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    // Moves the item to the end of Value, or out of any collection for nullptr. Value's
    // ItemClass must be the item's class or one of its bases.
    void SetCollection(TCollection* Value);
    // The position in the collection, or -1 outside any.
    int Index() const;
    void SetIndex(int Value);
    // Unique within the collection, never reused: items get increasing IDs as they enter.
    int ID() const { return FID; }
    virtual QString DisplayName() const;

    // Copies the published properties of an item whose class is this one's, a base of it,
    // or derived from it.
    void Assign(TPersistent* Source) override;

protected:
    // Reports a change of this item, or of all items when it affects the others too.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// An ordered set of items of one class, which it owns: Clear and the destructor delete
// them in index order. An item deleted directly leaves its collection.
class TCollection : public TPersistent {
    Q_OBJECT
public:
    // ItemClass is TCollectionItem's meta-object or that of a class derived from it.
    explicit TCollection(const QMetaObject* ItemClass, QObject* parent = nullptr);
    ~TCollection() override;

    const QMetaObject* ItemClass() const { return FItemClass; }
    int Count() const { return FItems.Count(); }
    TCollectionItem* Items(int Index) const { return FItems.Items(Index); }
    // Creates an item of ItemClass at the end, or at Index.
    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    TCollectionItem* FindItemID(int ID) const;

    // Changes inside a block are reported by one Update(nullptr) at the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    // Reports a change of all items.
    void Changed();

    // Replaces the items by copies of those of another TCollection.
    void Assign(TPersistent* Source) override;

protected:
    // Item has changed, or all items have (nullptr): an item was added, removed, moved or
    // changed, outside a BeginUpdate/EndUpdate block.
    virtual void Update(TCollectionItem* Item);
    // Item has entered the collection, or is about to leave it (cnExtracting) or to be
    // deleted (cnDeleting). When an item is deleted directly, this runs from its destructor
    // and only the TCollectionItem part of Item is still valid.
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);

private:
    friend class TCollectionItem;
    TCollectionItem* CreateItem(int Index);
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item, TCollectionNotification Action);

    const QMetaObject* FItemClass;
    TList<TCollectionItem> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;
    bool FCreating = false;
};

// A collection held by another persistent object, which GetOwner returns and which is
// the collection's QObject parent.
class TOwnedCollection : public TCollection {
    Q_OBJECT
public:
    TOwnedCollection(TPersistent* Owner, const QMetaObject* ItemClass);

    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner;
};

class TFiler;

// Defines Collection as a stored value Name of its owner's DefineProperties, written when it
// has items: for collections that are no published property.
void DefineCollectionProperty(TFiler& Filer, const QString& Name, TCollection* Collection);
