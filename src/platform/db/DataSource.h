#pragma once

#include "DataSet.h"
#include "Field.h"

using TDataChangeEvent = TEvent<TObject*, TField*>;

// Connects data links (controls) to a dataset and passes the dataset's events on.
class TDataSource : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool AutoEdit READ AutoEdit WRITE SetAutoEdit)
    Q_PROPERTY(TDataSet* DataSet READ DataSet WRITE SetDataSet)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(TDataChangeEvent OnDataChange READ OnDataChange WRITE SetOnDataChange)
    Q_PROPERTY(TNotifyEvent OnStateChange READ OnStateChange WRITE SetOnStateChange)
    Q_PROPERTY(TNotifyEvent OnUpdateData READ OnUpdateData WRITE SetOnUpdateData)
public:
    Q_INVOKABLE explicit TDataSource(TComponent* AOwner = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    bool AutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool Value) { FAutoEdit = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    // The dataset's state, or dsInactive when there is none or the source is disabled.
    TDataSetState State() const { return FState; }
    // Puts the dataset into edit state when AutoEdit allows it.
    void Edit();
    bool IsLinkedTo(const TDataSet* DataSet) const;

    int LinkCount() const { return int(FLinks.size()); }
    TDataLink* Links(int Index) const { return FLinks[Index]; }

    TDataChangeEvent OnDataChange() const { return FOnDataChange; }
    void SetOnDataChange(const TDataChangeEvent& V) { FOnDataChange = V; }
    TNotifyEvent OnStateChange() const { return FOnStateChange; }
    void SetOnStateChange(const TNotifyEvent& V) { FOnStateChange = V; }
    TNotifyEvent OnUpdateData() const { return FOnUpdateData; }
    void SetOnUpdateData(const TNotifyEvent& V) { FOnUpdateData = V; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent Event, qintptr Info);
    void UpdateState();
    void AddLink(TDataLink* Link);
    void RemoveLink(TDataLink* Link);
    void NotifyLinks(TDataEvent Event, qintptr Info);

    TDataSet* FDataSet = nullptr;
    bool FAutoEdit = true;
    bool FEnabled = true;
    TDataSetState FState = dsInactive;
    QList<TDataLink*> FLinks;
    TDataChangeEvent FOnDataChange;
    TNotifyEvent FOnStateChange, FOnUpdateData;
};
