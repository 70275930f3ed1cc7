#include <QPointer>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Collection.h>
#include <rtl/Exceptions.h>
#include <vector>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

class TColumnItem : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
public:
    Q_INVOKABLE explicit TColumnItem(TCollection* Collection = nullptr)
        : TCollectionItem(Collection) {}

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value) {
        FCaption = Value;
        Changed(false);
    }
    // The width of one column moves the others.
    int Width() const { return FWidth; }
    void SetWidth(int Value) {
        FWidth = Value;
        Changed(true);
    }

private:
    QString FCaption;
    int FWidth = 64;
};

class TWideColumnItem : public TColumnItem {
    Q_OBJECT
    Q_PROPERTY(bool Bold READ Bold WRITE SetBold)
public:
    Q_INVOKABLE explicit TWideColumnItem(TCollection* Collection = nullptr)
        : TColumnItem(Collection) {}

    bool Bold() const { return FBold; }
    void SetBold(bool Value) { FBold = Value; }

private:
    bool FBold = false;
};

// Unrelated to TColumnItem although it has a property of the same name.
class TParamItem : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    Q_INVOKABLE explicit TParamItem(TCollection* Collection = nullptr)
        : TCollectionItem(Collection) {}

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value) { FCaption = Value; }

private:
    QString FCaption;
};

class TNotInvokableItem : public TCollectionItem {
    Q_OBJECT
public:
    explicit TNotInvokableItem(TCollection* Collection = nullptr) : TCollectionItem(Collection) {}
};

// Logs Notify and Update calls by item ID, and whether Notify saw a complete TColumnItem.
class TRecordingCollection : public TCollection {
public:
    explicit TRecordingCollection(const QMetaObject* ItemClass = &TColumnItem::staticMetaObject)
        : TCollection(ItemClass) {}

    TColumnItem* Column(int Index) const { return static_cast<TColumnItem*>(Items(Index)); }
    TColumnItem* AddColumn(const QString& Caption, int Width = 64) {
        auto* column = static_cast<TColumnItem*>(Add());
        column->SetCaption(Caption);
        column->SetWidth(Width);
        return column;
    }
    QStringList Captions() const {
        QStringList captions;
        for (int i = 0; i < Count(); ++i)
            captions.append(Column(i)->Caption());
        return captions;
    }

    QStringList Log;
    QList<bool> NotifiedComplete;

protected:
    void Update(TCollectionItem* Item) override {
        Log.append(Item ? QStringLiteral("update %1").arg(Item->ID())
                        : QStringLiteral("update all"));
    }
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
        static const char* const names[] = {"added", "extracting", "deleting"};
        Log.append(QStringLiteral("%1 %2").arg(QLatin1String(names[Action])).arg(Item->ID()));
        NotifiedComplete.append(qobject_cast<TColumnItem*>(Item) != nullptr);
    }
};

TEST(CollectionItems, AddCreatesItemsOfTheItemClass) {
    TRecordingCollection collection;
    TCollectionItem* first = collection.Add();
    TCollectionItem* second = collection.Add();
    EXPECT_NE(qobject_cast<TColumnItem*>(first), nullptr);
    EXPECT_EQ(collection.ItemClass(), &TColumnItem::staticMetaObject);
    EXPECT_EQ(collection.Count(), 2);
    EXPECT_EQ(collection.Items(1), second);
    EXPECT_EQ(first->Collection(), &collection);
    EXPECT_EQ(first->parent(), &collection);
    EXPECT_EQ(first->GetOwner(), &collection);
    EXPECT_EQ(first->Index(), 0);
    EXPECT_EQ(second->Index(), 1);
    EXPECT_EQ(first->DisplayName(), QStringLiteral("TColumnItem"));
}

TEST(CollectionItems, IdsAreUniqueAndNeverReused) {
    TRecordingCollection collection;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(collection.Add()->ID(), i);
    collection.Delete(2);
    EXPECT_EQ(collection.Add()->ID(), 3);
    EXPECT_EQ(collection.FindItemID(3), collection.Items(2));
    EXPECT_EQ(collection.FindItemID(1), collection.Items(1));
    EXPECT_EQ(collection.FindItemID(2), nullptr);
}

TEST(CollectionItems, InsertPlacesTheNewItem) {
    TRecordingCollection collection;
    collection.AddColumn(QStringLiteral("a"));
    collection.AddColumn(QStringLiteral("c"));
    static_cast<TColumnItem*>(collection.Insert(1))->SetCaption(QStringLiteral("b"));
    static_cast<TColumnItem*>(collection.Insert(3))->SetCaption(QStringLiteral("d"));
    static_cast<TColumnItem*>(collection.Insert(0))->SetCaption(QStringLiteral("0"));
    EXPECT_EQ(collection.Captions(), QStringList({"0", "a", "b", "c", "d"}));
    try {
        collection.Insert(6);
        ADD_FAILURE() << "Insert(6) did not raise";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("List index out of bounds (6)"));
    }
    EXPECT_EQ(collection.Count(), 5);
}

TEST(CollectionItems, DeleteFreesTheItem) {
    TRecordingCollection collection;
    collection.AddColumn(QStringLiteral("a"));
    QPointer<TCollectionItem> deleted = collection.AddColumn(QStringLiteral("b"));
    collection.AddColumn(QStringLiteral("c"));
    collection.Delete(1);
    EXPECT_TRUE(deleted.isNull());
    EXPECT_EQ(collection.Captions(), QStringList({"a", "c"}));
    EXPECT_EQ(collection.Items(1)->Index(), 1);
    EXPECT_THROW(collection.Delete(2), EListError);
    EXPECT_THROW(collection.Items(-1), EListError);
}

TEST(CollectionItems, SetIndexReorders) {
    TRecordingCollection collection;
    for (const char* caption : {"a", "b", "c"})
        collection.AddColumn(QString::fromLatin1(caption));
    collection.Items(0)->SetIndex(2);
    EXPECT_EQ(collection.Captions(), QStringList({"b", "c", "a"}));
    collection.Items(2)->SetIndex(1);
    EXPECT_EQ(collection.Captions(), QStringList({"b", "a", "c"}));
    EXPECT_THROW(collection.Items(0)->SetIndex(3), EListError);
    EXPECT_EQ(collection.Captions(), QStringList({"b", "a", "c"}));
}

TEST(CollectionItems, ClearAndDestructionDeleteItemsInIndexOrder) {
    std::vector<int> deleted;
    auto* collection = new TCollection(&TColumnItem::staticMetaObject);
    const auto addItems = [&] {
        for (int i = 0; i < 3; ++i) {
            TCollectionItem* item = collection->Add();
            QObject::connect(item, &QObject::destroyed,
                             [&deleted, id = item->ID()] { deleted.push_back(id); });
        }
        collection->Items(collection->Count() - 1)->SetIndex(0);
    };
    addItems();
    collection->Clear();
    EXPECT_EQ(deleted, std::vector<int>({2, 0, 1}));
    EXPECT_EQ(collection->Count(), 0);
    deleted.clear();
    addItems();
    delete collection;
    EXPECT_EQ(deleted, std::vector<int>({5, 3, 4}));
}

TEST(CollectionItems, AnItemDeletedDirectlyLeavesItsCollection) {
    TRecordingCollection collection;
    for (int i = 0; i < 3; ++i)
        collection.Add();
    collection.Log.clear();
    delete collection.Items(1);
    EXPECT_EQ(collection.Count(), 2);
    EXPECT_EQ(collection.Items(1)->ID(), 2);
    EXPECT_EQ(collection.Items(1)->Index(), 1);
    EXPECT_EQ(collection.Log, QStringList({"deleting 1", "update all"}));
}

TEST(CollectionItems, ItemsMoveBetweenCollections) {
    TRecordingCollection from, to;
    TColumnItem* item = from.AddColumn(QStringLiteral("moving"));
    from.AddColumn(QStringLiteral("staying"));
    to.AddColumn(QStringLiteral("there"));
    from.Log.clear();
    to.Log.clear();

    item->SetCollection(&to);
    EXPECT_EQ(from.Captions(), QStringList({"staying"}));
    EXPECT_EQ(to.Captions(), QStringList({"there", "moving"}));
    EXPECT_EQ(item->Collection(), &to);
    EXPECT_EQ(item->parent(), &to);
    EXPECT_EQ(item->ID(), 1);
    EXPECT_EQ(from.Log, QStringList({"extracting 0", "update all"}));
    EXPECT_EQ(to.Log, QStringList({"added 1", "update all"}));

    std::unique_ptr<TCollectionItem> orphan(item);
    orphan->SetCollection(nullptr);
    EXPECT_EQ(to.Count(), 1);
    EXPECT_EQ(orphan->Collection(), nullptr);
    EXPECT_EQ(orphan->parent(), nullptr);
    EXPECT_EQ(orphan->Index(), -1);
}

TEST(CollectionItems, ItemsJoinOnlyCollectionsOfTheirClassOrItsBases) {
    TCollection columns(&TColumnItem::staticMetaObject);
    TCollection wideColumns(&TWideColumnItem::staticMetaObject);
    TCollectionItem* column = columns.Add();
    EXPECT_THROW(column->SetCollection(&wideColumns), EComponentError);
    EXPECT_EQ(column->Collection(), &columns);
    EXPECT_EQ(wideColumns.Count(), 0);
    TCollectionItem* wide = wideColumns.Add();
    wide->SetCollection(&columns);
    EXPECT_EQ(columns.Count(), 2);
    EXPECT_EQ(wideColumns.Count(), 0);
}

TEST(CollectionItems, ItemClassNeedsAnInvokableConstructor) {
    EXPECT_THROW(TCollection{&QObject::staticMetaObject}, EComponentError);
    EXPECT_THROW(TCollection{nullptr}, EComponentError);
    TCollection collection(&TNotInvokableItem::staticMetaObject);
    EXPECT_THROW(collection.Add(), EComponentError);
    EXPECT_EQ(collection.Count(), 0);
}

TEST(CollectionNotifications, AddAndInsertAnnounceCompleteItems) {
    TRecordingCollection collection;
    collection.Add();
    collection.Insert(0);
    auto* direct = new TColumnItem(&collection);
    EXPECT_EQ(direct->Index(), 2);
    EXPECT_EQ(collection.Log, QStringList({"added 0", "update all", "added 1", "update all",
                                           "added 2", "update all"}));
    EXPECT_EQ(collection.NotifiedComplete.mid(0, 2), QList<bool>({true, true}));
}

TEST(CollectionNotifications, DeleteAndClearAnnounceItemsBeforeDeletingThem) {
    TRecordingCollection collection;
    for (int i = 0; i < 3; ++i)
        collection.Add();
    collection.Log.clear();
    collection.NotifiedComplete.clear();
    collection.Delete(0);
    collection.Clear();
    EXPECT_EQ(collection.Log,
              QStringList({"deleting 0", "update all", "deleting 1", "deleting 2", "update all"}));
    EXPECT_EQ(collection.NotifiedComplete, QList<bool>({true, true, true}));
}

TEST(CollectionUpdates, ItemChangesReportTheItemOrAllItems) {
    TRecordingCollection collection;
    collection.Add();
    TColumnItem* column = collection.AddColumn(QStringLiteral("a"));
    collection.Log.clear();
    column->SetCaption(QStringLiteral("b"));
    column->SetWidth(10);
    collection.Changed();
    EXPECT_EQ(collection.Log, QStringList({"update 1", "update all", "update all"}));
}

TEST(CollectionUpdates, UpdateBlocksReportOnceAtTheOutermostEnd) {
    TRecordingCollection collection;
    collection.BeginUpdate();
    collection.BeginUpdate();
    collection.AddColumn(QStringLiteral("a"));
    collection.AddColumn(QStringLiteral("b"), 10);
    collection.Items(1)->SetIndex(0);
    collection.Delete(0);
    collection.EndUpdate();
    EXPECT_FALSE(collection.Log.contains(QStringLiteral("update all")));
    EXPECT_FALSE(collection.Log.contains(QStringLiteral("update 0")));
    collection.EndUpdate();
    EXPECT_EQ(collection.Log.count(QStringLiteral("update all")), 1);
    EXPECT_EQ(collection.Log.last(), QStringLiteral("update all"));
    collection.Column(0)->SetCaption(QStringLiteral("c"));
    EXPECT_EQ(collection.Log.last(), QStringLiteral("update 0"));
}

TEST(CollectionAssign, CopiesEveryItemInOneUpdate) {
    TRecordingCollection source, target;
    source.AddColumn(QStringLiteral("Name"), 120);
    source.AddColumn(QStringLiteral("City"), 80);
    for (int i = 0; i < 3; ++i)
        target.AddColumn(QStringLiteral("old"));
    target.Log.clear();
    target.Assign(&source);
    EXPECT_EQ(target.Captions(), QStringList({"Name", "City"}));
    EXPECT_EQ(target.Column(0)->Width(), 120);
    EXPECT_EQ(target.Column(1)->Width(), 80);
    EXPECT_NE(target.Items(0), source.Items(0));
    EXPECT_EQ(target.Log.count(QStringLiteral("update all")), 1);
    EXPECT_EQ(target.Log.last(), QStringLiteral("update all"));
    EXPECT_EQ(source.Captions(), QStringList({"Name", "City"}));
}

TEST(CollectionAssign, OtherSourcesRaiseConvertError) {
    TRecordingCollection collection;
    collection.Add();
    TPersistent other;
    EXPECT_THROW(collection.Assign(&other), EConvertError);
    EXPECT_EQ(collection.Count(), 1);
}

TEST(CollectionItemAssign, CopiesPublishedPropertiesOfRelatedClasses) {
    TColumnItem column;
    column.SetCaption(QStringLiteral("Name"));
    column.SetWidth(120);
    TWideColumnItem wide;
    wide.SetBold(true);
    wide.Assign(&column);
    EXPECT_EQ(wide.Caption(), QStringLiteral("Name"));
    EXPECT_EQ(wide.Width(), 120);
    EXPECT_TRUE(wide.Bold());

    wide.SetWidth(40);
    TColumnItem copy;
    copy.Assign(&wide);
    EXPECT_EQ(copy.Caption(), QStringLiteral("Name"));
    EXPECT_EQ(copy.Width(), 40);
}

TEST(CollectionItemAssign, UnrelatedClassesRaiseConvertError) {
    TColumnItem column;
    TParamItem param;
    param.SetCaption(QStringLiteral("Id"));
    EXPECT_THROW(column.Assign(&param), EConvertError);
    EXPECT_THROW(param.Assign(&column), EConvertError);
    EXPECT_EQ(column.Caption(), QString());
}

TEST(OwnedCollection, BelongsToItsOwner) {
    auto* owner = new TPersistent;
    QPointer<TCollection> collection = new TOwnedCollection(owner, &TColumnItem::staticMetaObject);
    QPointer<TCollectionItem> item = collection->Add();
    EXPECT_EQ(collection->GetOwner(), owner);
    EXPECT_EQ(collection->parent(), owner);
    delete owner;
    EXPECT_TRUE(collection.isNull());
    EXPECT_TRUE(item.isNull());
}

} // namespace

#include "CollectionTest.moc"
