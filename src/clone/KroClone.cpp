#include "KroClone.h"

#include <db/DBDataSet.h>
#include <db/Database.h>
#include <rtl/TypeInfo.h>
#include <ui/Dialogs.h>

namespace {

QString CaptionOf(const TDataSet* DataSet) {
    const QString caption = QStringLiteral("Caption");
    return PropIsType(DataSet, caption, tkString) ? GetStrProp(DataSet, caption) : QString();
}

// Asks "Clone?" below the caption, when there is one, with OK and Cancel.
bool ConfirmClone(const QString& Caption) {
    const QString question = QStringLiteral("Clone?");
    TKroMessageScope scope;
    return MessageDlg(Caption.isEmpty() ? question : Caption + QLatin1Char('\n') + question,
                      mtConfirmation, mbOKCancel) == mrOk;
}

// Keeps the controls of datasets from following them while it exists.
class TControlsDisabled {
public:
    explicit TControlsDisabled(const QList<TDataSet*>& DataSets) : FDataSets(DataSets) {
        for (TDataSet* dataSet : FDataSets)
            dataSet->DisableControls();
    }
    ~TControlsDisabled() {
        for (TDataSet* dataSet : FDataSets)
            dataSet->EnableControls();
    }
    TControlsDisabled(const TControlsDisabled&) = delete;
    TControlsDisabled& operator=(const TControlsDisabled&) = delete;

private:
    QList<TDataSet*> FDataSets;
};

// Copies of a dataset's records from the first to the last.
QList<TRecordCopy> CopyAllRecords(TDataSet* DataSet) {
    QList<TRecordCopy> copies;
    for (DataSet->First(); !DataSet->Eof(); DataSet->Next())
        copies.append(TRecordCopy(DataSet));
    return copies;
}

// The database on which a clone starts its own transaction: the master's, when it is a
// database dataset whose database is not already in a transaction (whoever started that
// one decides its fate).
TDatabase* DatabaseForTransaction(TDataSet* Master) {
    auto* dbDataSet = qobject_cast<TDBDataSet*>(Master);
    TDatabase* database = dbDataSet ? dbDataSet->Database() : nullptr;
    return database && !database->InTransaction() ? database : nullptr;
}

// Undoes a clone that an error interrupted inside the cloner's own transaction: rolls it
// back, cancels the records still being inserted and re-reads the datasets, which would
// otherwise show copies that are no longer stored. The interrupting error is the one to
// report, so a failure here is not.
void RollBackClone(TDatabase* Database, TDataSet* Master, const QList<TDataSet*>& Details) {
    try {
        Database->Rollback();
        for (TDataSet* detail : Details)
            detail->Cancel();
        Master->Cancel();
        RefreshDataSet(Master);
        for (TDataSet* detail : Details)
            RefreshDataSet(detail);
    } catch (const Exception&) {
    }
}

} // namespace

TKroRecordCloner::TKroRecordCloner(TComponent* AOwner)
    : TComponent(AOwner), FSubDataSets(new TDataSetCol(this)) {}

void TKroRecordCloner::SetDataSource(TDataSource* Value) {
    if (DataSource())
        DataSource()->RemoveFreeNotification(this);
    FDataLink.SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
}

void TKroRecordCloner::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == DataSource())
        FDataLink.SetDataSource(nullptr);
    for (int i = FSubDataSets->Count() - 1; i >= 0; --i)
        if (FSubDataSets->Items(i)->Names(AComponent))
            FSubDataSets->Delete(i);
}

void TKroRecordCloner::DefineProperties(TFiler& Filer) {
    TComponent::DefineProperties(Filer);
    DefineCollectionProperty(Filer, QStringLiteral("SubDataSetData"), FSubDataSets);
}

QList<TDataSet*> TKroRecordCloner::SubDataSetList() const {
    QList<TDataSet*> dataSets;
    for (int i = 0; i < FSubDataSets->Count(); ++i)
        if (TDataSet* dataSet = FSubDataSets->Items(i)->DataSet())
            dataSets.append(dataSet);
    return dataSets;
}

void TKroRecordCloner::Clone() {
    if (!FDataLink.Active())
        return;
    TDataSet* master = FDataLink.DataSet();
    if (FConfirmDataSet && !ConfirmClone(CaptionOf(master)))
        return;
    const QList<TDataSet*> details = SubDataSetList();
    if (details.isEmpty()) {
        CloneCurrentRecord(master);
        FOnCloneDataSet(master);
        return;
    }
    TDatabase* database = FTransaction ? DatabaseForTransaction(master) : nullptr;
    if (database)
        database->StartTransaction();
    try {
        CloneWithDetails(master, details);
    } catch (...) {
        // Without a transaction of its own the cloner leaves the datasets as the error
        // found them, the record that failed still being inserted.
        if (database)
            RollBackClone(database, master, details);
        throw;
    }
    if (database)
        database->Commit();
}

void TKroRecordCloner::CloneWithDetails(TDataSet* Master, const QList<TDataSet*>& Details) {
    const TControlsDisabled disabled(Details);
    QList<QList<TRecordCopy>> copies;
    for (TDataSet* detail : Details)
        copies.append(CopyAllRecords(detail));
    {
        // The master's controls and details follow the copy once, when it is posted.
        const TControlsDisabled master({Master});
        CloneCurrentRecord(Master);
        FOnCloneDataSet(Master);
        if (Master->IsEditing())
            Master->Post();
    }
    for (qsizetype i = 0; i < Details.size(); ++i) {
        if (copies[i].isEmpty())
            continue;
        if (FConfirmSubDataSet) {
            const QString caption = CaptionOf(Details[i]);
            if (caption.isEmpty() || !ConfirmClone(caption))
                continue;
        }
        InsertCopies(Details[i], copies[i]);
    }
}

void TKroRecordCloner::InsertCopies(TDataSet* Detail, const QList<TRecordCopy>& Copies) {
    for (const TRecordCopy& copy : Copies) {
        copy.Insert();
        FOnCloneSubDataSet(Detail);
        Detail->Post();
    }
}
