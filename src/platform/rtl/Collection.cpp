#include "Collection.h"

#include "ClassRegistry.h"
#include "Exceptions.h"
#include "Reader.h"
#include "Writer.h"

#include <QScopedValueRollback>

namespace {

template <class F> void WithinUpdate(TCollection& Collection, F&& Action) {
    Collection.BeginUpdate();
    try {
        Action();
    } catch (...) {
        Collection.EndUpdate();
        throw;
    }
    Collection.EndUpdate();
}

QString ClassNameOf(const QMetaObject* Class) {
    return Class ? QString::fromLatin1(Class->className()) : QStringLiteral("nil");
}

} // namespace

// TCollectionItem

TCollectionItem::TCollectionItem(TCollection* Collection) {
    if (Collection)
        Collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
    if (FCollection)
        FCollection->RemoveItem(this, cnDeleting);
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (Value == FCollection)
        return;
    if (Value && !metaObject()->inherits(Value->ItemClass()))
        throw EComponentError(QStringLiteral("A %1 cannot be added to a collection of %2")
                                  .arg(ClassName(), ClassNameOf(Value->ItemClass())));
    if (FCollection)
        FCollection->RemoveItem(this, cnExtracting);
    if (Value)
        Value->InsertItem(this);
}

int TCollectionItem::Index() const {
    return FCollection ? FCollection->FItems.IndexOf(this) : -1;
}

void TCollectionItem::SetIndex(int Value) {
    const int current = Index();
    if (current < 0 || current == Value)
        return;
    FCollection->FItems.Move(current, Value);
    Changed(true);
}

QString TCollectionItem::DisplayName() const {
    return ClassName();
}

void TCollectionItem::Assign(TPersistent* Source) {
    auto* source = qobject_cast<TCollectionItem*>(Source);
    if (source && (metaObject()->inherits(source->metaObject()) ||
                   source->metaObject()->inherits(metaObject())))
        AssignPublishedProperties(source, this);
    else
        TPersistent::Assign(Source);
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(AllItems ? nullptr : this);
}

// TCollection

TCollection::TCollection(const QMetaObject* ItemClass, QObject* parent)
    : TPersistent(parent), FItemClass(ItemClass) {
    if (!ItemClass || !ItemClass->inherits(&TCollectionItem::staticMetaObject))
        throw EComponentError(
            QStringLiteral("%1 is not a collection item class").arg(ClassNameOf(ItemClass)));
}

TCollection::~TCollection() {
    Clear();
}

TCollectionItem* TCollection::Add() {
    return CreateItem(Count());
}

TCollectionItem* TCollection::Insert(int Index) {
    if (Index < 0 || Index > Count())
        ListIndexError(Index);
    return CreateItem(Index);
}

void TCollection::Delete(int Index) {
    TCollectionItem* item = Items(Index);
    RemoveItem(item, cnDeleting);
    delete item;
}

void TCollection::Clear() {
    if (Count() == 0)
        return;
    WithinUpdate(*this, [this] {
        while (Count() > 0)
            Delete(0);
    });
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    for (TCollectionItem* item : FItems)
        if (item->FID == ID)
            return item;
    return nullptr;
}

void TCollection::BeginUpdate() {
    ++FUpdateCount;
}

void TCollection::EndUpdate() {
    if (FUpdateCount == 0)
        return;
    --FUpdateCount;
    Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::Assign(TPersistent* Source) {
    auto* source = qobject_cast<TCollection*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    WithinUpdate(*this, [&] {
        Clear();
        for (TCollectionItem* item : source->FItems)
            Add()->Assign(item);
    });
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

TCollectionItem* TCollection::CreateItem(int Index) {
    TCollectionItem* item;
    {
        // The item's constructor only links it; it is announced once constructed.
        const QScopedValueRollback creating(FCreating, true);
        item = static_cast<TCollectionItem*>(NewInstance(FItemClass, this));
        if (!item)
            throw EComponentError(QStringLiteral("%1 has no invokable constructor taking a "
                                                 "TCollection*")
                                      .arg(ClassNameOf(FItemClass)));
        item->SetCollection(this);
    }
    FItems.Move(item->Index(), Index);
    Notify(item, cnAdded);
    Changed();
    return item;
}

void TCollection::InsertItem(TCollectionItem* Item) {
    FItems.Add(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Item->setParent(this);
    if (FCreating)
        return;
    Notify(Item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item, TCollectionNotification Action) {
    Notify(Item, Action);
    FItems.Remove(Item);
    Item->FCollection = nullptr;
    Item->setParent(nullptr);
    Changed();
}

// TOwnedCollection

TOwnedCollection::TOwnedCollection(TPersistent* Owner, const QMetaObject* ItemClass)
    : TCollection(ItemClass, Owner), FOwner(Owner) {}

void DefineCollectionProperty(TFiler& Filer, const QString& Name, TCollection* Collection) {
    Filer.DefineProperty(
        Name, [Collection](TReader& Reader) { Reader.ReadCollection(Collection); },
        [Collection](TWriter& Writer) { Writer.WriteCollection(Collection); },
        Collection->Count() > 0);
}
