#pragma once

// Duplicates the current record of a dataset together with the records of its detail
// datasets: the master record is copied into a new record, and every detail record of the
// old master is copied again under the new one, which the application's events point
// the copies at.

#include <dataset/KroDB.h>
#include <db/DataLink.h>
#include <db/DataSource.h>

class TKroRecordCloner : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool ConfirmDataSet READ ConfirmDataSet WRITE SetConfirmDataSet)
    Q_PROPERTY(bool ConfirmSubDataSet READ ConfirmSubDataSet WRITE SetConfirmSubDataSet)
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(bool Transaction READ Transaction WRITE SetTransaction)
    // Stored as "SubDataSetData", the collection's items.
    Q_PROPERTY(TDataSetCol* SubDataSets READ SubDataSets STORED false)
    Q_PROPERTY(TDataSetNotifyEvent OnCloneDataSet READ OnCloneDataSet WRITE SetOnCloneDataSet)
    Q_PROPERTY(
        TDataSetNotifyEvent OnCloneSubDataSet READ OnCloneSubDataSet WRITE SetOnCloneSubDataSet)
public:
    Q_INVOKABLE explicit TKroRecordCloner(TComponent* AOwner = nullptr);

    bool ConfirmDataSet() const { return FConfirmDataSet; }
    void SetConfirmDataSet(bool Value) { FConfirmDataSet = Value; }
    bool ConfirmSubDataSet() const { return FConfirmSubDataSet; }
    void SetConfirmSubDataSet(bool Value) { FConfirmSubDataSet = Value; }
    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* Value);
    bool Transaction() const { return FTransaction; }
    void SetTransaction(bool Value) { FTransaction = Value; }
    TDataSetCol* SubDataSets() const { return FSubDataSets; }
    TDataSetNotifyEvent OnCloneDataSet() const { return FOnCloneDataSet; }
    void SetOnCloneDataSet(const TDataSetNotifyEvent& Value) { FOnCloneDataSet = Value; }
    TDataSetNotifyEvent OnCloneSubDataSet() const { return FOnCloneSubDataSet; }
    void SetOnCloneSubDataSet(const TDataSetNotifyEvent& Value) { FOnCloneSubDataSet = Value; }

    // Copies the current record of the data source's dataset, and with sub-datasets their
    // records too, after the confirmations. Does nothing while the source has no active
    // dataset.
    void Clone();

    void DefineProperties(TFiler& Filer) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The datasets the collection's items name.
    QList<TDataSet*> SubDataSetList() const;
    void CloneWithDetails(TDataSet* Master, const QList<TDataSet*>& Details);
    void InsertCopies(TDataSet* Detail, const QList<TRecordCopy>& Copies);

    bool FConfirmDataSet = true;
    bool FConfirmSubDataSet = false;
    bool FTransaction = true;
    TDataLink FDataLink;
    TDataSetCol* FSubDataSets;
    TDataSetNotifyEvent FOnCloneDataSet;
    TDataSetNotifyEvent FOnCloneSubDataSet;
};
