#pragma once

#include "Enums.h"
#include "Persistent.h"

#include <QList>
#include <functional>

PUBLISHED_ENUM(TComponentStateItem, csLoading, csReading, csWriting, csDestroying, csDesigning,
               csAncestor, csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance)
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

class TComponent;
using TGetChildProc = std::function<void(TComponent*)>;

// A component: owned by another component (its Owner), which destroys it; named uniquely
// within its owner; told when components it refers to are inserted or removed.
// Ownership is the component model's own and independent of the QObject parent.
class TComponent : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName STORED false)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
public:
    Q_INVOKABLE explicit TComponent(TComponent* AOwner = nullptr);
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    const QString& Name() const { return FName; }
    void SetName(const QString& NewName);
    int Tag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }

    int ComponentCount() const { return int(FComponents.size()); }
    TComponent* Components(int Index) const;
    int ComponentIndex() const;
    TComponent* FindComponent(const QString& AName) const; // ignores case
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();

    TComponentState ComponentState() const { return FComponentState; }
    bool IsLoading() const { return FComponentState.Contains(csLoading); }
    bool IsDesigning() const { return FComponentState.Contains(csDesigning); }
    bool IsDestroying() const { return FComponentState.Contains(csDestroying); }
    void SetDesigning(bool Value, bool SetChildren = true);
    // Marks the component as being read from a form file; Loaded clears the mark.
    void BeginLoading();

    // Asks to be told (Notification with opRemove) when AComponent is destroyed.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    TPersistent* GetOwner() const override { return FOwner; }

    // Streaming structure: the children written inside this component's block of a form
    // file, the owner and parent given to components read there, and a child's parent.
    virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
    virtual TComponent* GetChildOwner();
    virtual TComponent* GetChildParent();
    virtual bool HasParent() const;
    virtual TComponent* GetParentComponent() const;
    virtual void SetParentComponent(TComponent* Value);

    // Runs once after the component and everything it refers to have been read.
    virtual void Loaded();

protected:
    // AComponent was inserted into or removed from this component's owner, or a component
    // this one asked about is being destroyed.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void ValidateRename(TComponent* AComponent, const QString& CurName,
                                const QString& NewName);
    void SetComponentState(TComponentState Value) { FComponentState = Value; }

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);

    TComponent* FOwner = nullptr;
    QString FName;
    int FTag = 0;
    QList<TComponent*> FComponents;
    QList<TComponent*> FFreeNotifies;
    TComponentState FComponentState;
};

bool IsValidIdent(const QString& Ident);
