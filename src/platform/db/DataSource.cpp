#include "DataSource.h"

#include "DataLink.h"

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    FOnStateChange = nullptr;
    FOnDataChange = nullptr;
    SetDataSet(nullptr);
    while (!FLinks.isEmpty())
        FLinks.last()->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet)
        return;
    const bool wasActive = FState != dsInactive;
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        FDataSet->RemoveFreeNotification(this);
    }
    FDataSet = Value;
    if (Value) {
        Value->FreeNotification(this);
        Value->AddDataSource(this);
    }
    UpdateState();
    // From one open dataset to another the state may stay the same: the links still show
    // other records and fields.
    if (wasActive && FState != dsInactive) {
        NotifyLinks(deLayoutChange, 0);
        FOnDataChange(this, nullptr);
    }
}

void TDataSource::SetEnabled(bool Value) {
    FEnabled = Value;
    UpdateState();
}

bool TDataSource::IsLinkedTo(const TDataSet* DataSet) const {
    for (const TDataSet* d = FDataSet; d;) {
        if (d == DataSet)
            return true;
        const TDataSource* master = d->GetDataSource();
        d = master ? master->DataSet() : nullptr;
        if (d == FDataSet)
            break;
    }
    return false;
}

void TDataSource::Edit() {
    if (FAutoEdit && FState == dsBrowse)
        FDataSet->Edit();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet) {
        FDataSet = nullptr;
        UpdateState();
    }
}

void TDataSource::UpdateState() {
    const TDataSetState state =
        FEnabled && FDataSet && !IsDestroying() ? FDataSet->State() : dsInactive;
    if (state == FState)
        return;
    const bool activeChanged = (state == dsInactive) != (FState == dsInactive);
    FState = state;
    NotifyLinks(deUpdateState, 0);
    if (activeChanged && state != dsInactive)
        FOnDataChange(this, nullptr);
    FOnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent Event, qintptr Info) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (FState == dsInactive)
        return;
    NotifyLinks(Event, Info);
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        FOnDataChange(this, Event == deFieldChange ? reinterpret_cast<TField*>(Info) : nullptr);
        break;
    case deUpdateRecord:
        FOnUpdateData(this);
        break;
    default:
        break;
    }
}

void TDataSource::NotifyLinks(TDataEvent Event, qintptr Info) {
    const QList<TDataLink*> links = FLinks;
    for (TDataLink* link : links)
        if (FLinks.contains(link))
            link->DataEvent(Event, Info);
}

void TDataSource::AddLink(TDataLink* Link) {
    FLinks.append(Link);
    if (FDataSet)
        FDataSet->UpdateBufferCount();
}

void TDataSource::RemoveLink(TDataLink* Link) {
    FLinks.removeAll(Link);
    if (FDataSet)
        FDataSet->UpdateBufferCount();
}
