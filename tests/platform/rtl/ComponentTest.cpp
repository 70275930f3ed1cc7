#include "SampleComponents.h"

#include <gtest/gtest.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <rtl/Exceptions.h>

namespace {

// Records the notifications a component receives.
class TWatcher : public TComponent {
public:
    using TComponent::TComponent;
    QList<QPair<TComponent*, TOperation>> Seen;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        Seen.append({AComponent, Operation});
    }
};

// Appends its name to a shared log when destroyed.
class TLogged : public TComponent {
public:
    TLogged(TComponent* owner, QString name, QStringList* log) : TComponent(owner), FLog(log) {
        SetName(name);
    }
    ~TLogged() override { FLog->append(Name()); }

private:
    QStringList* FLog;
};

TEST(ComponentOwnership, OwnerDestroysOwnedComponentsLastFirst) {
    QStringList log;
    auto* owner = new TLogged(nullptr, QStringLiteral("Owner"), &log);
    new TLogged(owner, QStringLiteral("A"), &log);
    auto* b = new TLogged(owner, QStringLiteral("B"), &log);
    new TLogged(b, QStringLiteral("BChild"), &log);
    new TLogged(owner, QStringLiteral("C"), &log);
    ASSERT_EQ(owner->ComponentCount(), 3);
    delete owner;
    // Each logs in its own destructor, which runs before the components it owns go.
    EXPECT_EQ(log, (QStringList{"Owner", "C", "B", "BChild", "A"}));
}

TEST(ComponentOwnership, DestroyingAnOwnedComponentRemovesItFromItsOwner) {
    TComponent owner;
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    delete a;
    ASSERT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), b);
    EXPECT_EQ(b->ComponentIndex(), 0);
    EXPECT_THROW(owner.Components(1), EListError);
}

TEST(ComponentOwnership, InsertComponentMovesBetweenOwners) {
    TComponent first, second;
    auto* c = new TComponent(&first);
    second.InsertComponent(c);
    EXPECT_EQ(c->Owner(), &second);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(second.ComponentCount(), 1);
}

TEST(ComponentNames, FindComponentIgnoresCaseAndNamesAreUniquePerOwner) {
    TComponent owner;
    auto* a = new TComponent(&owner);
    a->SetName(QStringLiteral("TbPeople"));
    EXPECT_EQ(owner.FindComponent(QStringLiteral("tbpeople")), a);
    EXPECT_EQ(owner.FindComponent(QStringLiteral("Other")), nullptr);
    EXPECT_EQ(owner.FindComponent(QString()), nullptr);

    auto* b = new TComponent(&owner);
    EXPECT_THROW(b->SetName(QStringLiteral("TBPEOPLE")), EComponentError);
    EXPECT_TRUE(b->Name().isEmpty());
    b->SetName(QStringLiteral("TbJob"));
    a->SetName(QStringLiteral("TbPeople")); // renaming to its own name is allowed

    // A component with a name taken in the new owner cannot move there.
    TComponent other;
    auto* clash = new TComponent(&other);
    clash->SetName(QStringLiteral("TbJob"));
    EXPECT_THROW(owner.InsertComponent(clash), EComponentError);
    EXPECT_EQ(clash->Owner(), &other);
}

TEST(ComponentNames, InvalidIdentifiersAreRefused) {
    TComponent c;
    for (const char* bad : {"1abc", "a b", "a-b", "ä"})
        EXPECT_THROW(c.SetName(QString::fromUtf8(bad)), EComponentError) << bad;
    c.SetName(QStringLiteral("_ok1"));
    EXPECT_EQ(c.Name(), QStringLiteral("_ok1"));
    c.SetName(QString());
    EXPECT_TRUE(c.Name().isEmpty());
}

TEST(ComponentNotification, OwnerAndSiblingsHearOfInsertAndRemove) {
    TWatcher owner;
    auto* sibling = new TWatcher(&owner);
    auto* added = new TComponent(&owner);
    EXPECT_TRUE(owner.Seen.contains(qMakePair(added, opInsert)));
    EXPECT_TRUE(sibling->Seen.contains(qMakePair(added, opInsert)));
    owner.Seen.clear();
    sibling->Seen.clear();
    delete added;
    EXPECT_TRUE(owner.Seen.contains(qMakePair(added, opRemove)));
    EXPECT_TRUE(sibling->Seen.contains(qMakePair(added, opRemove)));
}

TEST(ComponentNotification, DestroyedReferenceIsClearedAcrossOwners) {
    TComponent formA, formB;
    auto* sample = new TSample(&formA);
    auto* buddy = new TSample(&formB);
    sample->SetBuddy(buddy);
    delete buddy;
    EXPECT_EQ(sample->Buddy(), nullptr);
}

TEST(ComponentNotification, DestroyingTheReferrerUnregistersIt) {
    TWatcher survivor;
    auto* watched = new TComponent;
    {
        TWatcher referrer;
        referrer.FreeNotification(watched);
        survivor.FreeNotification(watched);
    }
    // The referrer is gone: only the survivor may hear of the destruction.
    delete watched;
    ASSERT_EQ(survivor.Seen.size(), 1);
    EXPECT_EQ(survivor.Seen.first().first, watched);
}

TEST(ComponentNotification, RemoveFreeNotificationStopsTheNotice) {
    TWatcher watcher;
    auto* other = new TComponent;
    watcher.FreeNotification(other);
    watcher.RemoveFreeNotification(other);
    delete other;
    EXPECT_TRUE(watcher.Seen.isEmpty());

    auto* watched = new TComponent;
    watcher.FreeNotification(watched);
    watcher.FreeNotification(watched); // registering twice notifies once
    delete watched;
    EXPECT_EQ(watcher.Seen.size(), 1);
    EXPECT_EQ(watcher.Seen.first().second, opRemove);
}

TEST(ComponentState, DesigningPropagatesAndDestroyingIsVisibleToNotifiedComponents) {
    TComponent owner;
    auto* child = new TComponent(&owner);
    owner.SetDesigning(true);
    EXPECT_TRUE(child->IsDesigning());
    owner.SetDesigning(false, false);
    EXPECT_FALSE(owner.IsDesigning());
    EXPECT_TRUE(child->IsDesigning());

    owner.BeginLoading();
    EXPECT_TRUE(owner.IsLoading());
    owner.Loaded();
    EXPECT_FALSE(owner.IsLoading());
}

TEST(ComponentCreation, ClassesAreMadeThroughTheirInvokableConstructors) {
    TComponent owner;
    TComponent* made = CreateComponent(&TSampleRepublished::staticMetaObject, &owner);
    EXPECT_STREQ(made->metaObject()->className(), "TSampleRepublished");
    EXPECT_EQ(made->Owner(), &owner);
    // Again: the constructor found the first time serves the second.
    EXPECT_STREQ(CreateComponent(&TSample::staticMetaObject, &owner)->metaObject()->className(),
                 "TSample");
    EXPECT_STREQ(
        NewInstance(&TSampleRepublished::staticMetaObject, &owner)->metaObject()->className(),
        "TSampleRepublished");
    EXPECT_EQ(owner.ComponentCount(), 3);

    TCollection list(&TSampleItem::staticMetaObject);
    TCollectionItem* item = CreateCollectionItem(&TSampleItem::staticMetaObject, &list);
    EXPECT_EQ(item->Collection(), &list);
    // A class without the constructor makes nothing and says so.
    EXPECT_EQ(NewInstance(&TComponent::staticMetaObject, &list), nullptr);
    EXPECT_THROW(CreateComponent(&TSampleItem::staticMetaObject, &owner), EClassNotFound);
    EXPECT_EQ(owner.ComponentCount(), 3);
}

} // namespace
