#include "Component.h"

#include "Exceptions.h"

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    FComponentState.Include(csDestroying);
    while (!FFreeNotifies.isEmpty()) {
        TComponent* other = FFreeNotifies.takeLast();
        other->FFreeNotifies.removeAll(this);
        other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::SetName(const QString& NewName) {
    if (FName == NewName)
        return;
    if (!NewName.isEmpty() && !IsValidIdent(NewName))
        throw EComponentError(QStringLiteral("'%1' is not a valid component name").arg(NewName));
    if (FOwner)
        FOwner->ValidateRename(this, FName, NewName);
    else
        ValidateRename(nullptr, FName, NewName);
    FName = NewName;
    setObjectName(NewName);
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= FComponents.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return FComponents[Index];
}

int TComponent::ComponentIndex() const {
    return FOwner ? int(FOwner->FComponents.indexOf(const_cast<TComponent*>(this))) : -1;
}

TComponent* TComponent::FindComponent(const QString& AName) const {
    if (AName.isEmpty())
        return nullptr;
    for (TComponent* c : FComponents)
        if (c->FName.compare(AName, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void TComponent::ValidateRename(TComponent* AComponent, const QString&, const QString& NewName) {
    if (AComponent && !NewName.isEmpty()) {
        TComponent* existing = FindComponent(NewName);
        if (existing && existing != AComponent)
            throw EComponentError(
                QStringLiteral("A component named %1 already exists").arg(NewName));
    }
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (AComponent->FOwner == this)
        return;
    ValidateRename(AComponent, QString(), AComponent->FName);
    if (AComponent->FOwner)
        AComponent->FOwner->RemoveComponent(AComponent);
    Insert(AComponent);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (AComponent->FOwner != this)
        return;
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
    FComponents.append(AComponent);
    AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
    FComponents.removeOne(AComponent);
    AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
    while (!FComponents.isEmpty()) {
        TComponent* last = FComponents.last();
        Remove(last);
        delete last;
    }
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
    if (Value)
        FComponentState.Include(csDesigning);
    else
        FComponentState.Exclude(csDesigning);
    if (SetChildren)
        for (TComponent* c : FComponents)
            c->SetDesigning(Value, true);
}

void TComponent::BeginLoading() {
    FComponentState += {csLoading, csReading};
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this)
        return;
    if (!FFreeNotifies.contains(AComponent)) {
        FFreeNotifies.append(AComponent);
        AComponent->FFreeNotifies.append(this);
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    // Each of two linked components lists the other: unlisted here, unlisted there (the
    // common case of a sibling's removal passed on by the owner).
    if (!AComponent || !FFreeNotifies.contains(AComponent))
        return;
    FFreeNotifies.removeAll(AComponent);
    AComponent->FFreeNotifies.removeAll(this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent)
        RemoveFreeNotification(AComponent);
    for (int i = int(FComponents.size()) - 1; i >= 0; --i)
        if (i < FComponents.size())
            FComponents[i]->Notification(AComponent, Operation);
}

void TComponent::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    if (Root != this)
        return;
    for (TComponent* c : FComponents)
        if (!c->HasParent())
            Proc(c);
}

TComponent* TComponent::GetChildOwner() {
    return nullptr;
}

TComponent* TComponent::GetChildParent() {
    return this;
}

bool TComponent::HasParent() const {
    return false;
}

TComponent* TComponent::GetParentComponent() const {
    return nullptr;
}

void TComponent::SetParentComponent(TComponent*) {}

void TComponent::Loaded() {
    FComponentState -= {csLoading, csReading};
}

bool IsValidIdent(const QString& Ident) {
    if (Ident.isEmpty())
        return false;
    auto letter = [](QChar c) {
        return c == QLatin1Char('_') || (c.isLetter() && c.unicode() < 128);
    };
    if (!letter(Ident[0]))
        return false;
    for (QChar c : Ident)
        if (!letter(c) && !(c.isDigit() && c.unicode() < 128))
            return false;
    return true;
}
