#include "DataLink.h"

#include "DataSource.h"
#include "Field.h"

#include <QScopedValueRollback>

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    if (FDataSource)
        FDataSource->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == FDataSource)
        return;
    if (FDataSource)
        FDataSource->RemoveLink(this);
    FDataSource = Value;
    if (Value)
        Value->AddLink(this);
    UpdateState();
}

TDataSet* TDataLink::DataSet() const {
    return FDataSource ? FDataSource->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool Value) {
    if (FReadOnly == Value)
        return;
    FReadOnly = Value;
    UpdateState();
}

void TDataLink::SetBufferCount(int Value) {
    Value = qMax(1, Value);
    if (FBufferCount == Value)
        return;
    FBufferCount = Value;
    if (TDataSet* dataSet = DataSet())
        dataSet->UpdateBufferCount();
    UpdateRange();
}

int TDataLink::ActiveRecord() const {
    const TDataSet* dataSet = FActive ? DataSet() : nullptr;
    return dataSet ? dataSet->ActiveRecord() - FFirstRecord : 0;
}

void TDataLink::SetActiveRecord(int Value) {
    if (TDataSet* dataSet = FActive ? DataSet() : nullptr)
        dataSet->SetTempActiveRecord(Value + FFirstRecord);
}

int TDataLink::RecordCount() const {
    const TDataSet* dataSet = FActive ? DataSet() : nullptr;
    if (!dataSet)
        return 0;
    int count = dataSet->BufferedRecordCount() - FFirstRecord;
    return qBound(0, count, FBufferCount);
}

bool TDataLink::Edit() {
    if (!FReadOnly && FDataSource)
        FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord() {
    // A control whose value does not fit raises; the link goes on taking changes.
    QScopedValueRollback updating(FUpdating, true);
    UpdateData();
}

int TDataLink::MoveBy(int Distance) {
    return DataSet() ? DataSet()->MoveBy(Distance) : 0;
}

void TDataLink::DataSetScrolled(int) {
    DataSetChanged();
}

// Keeps the dataset's active record inside this link's window.
void TDataLink::UpdateRange() {
    const TDataSet* dataSet = FActive ? DataSet() : nullptr;
    if (!dataSet) {
        FFirstRecord = 0;
        return;
    }
    const int active = dataSet->ActiveRecord();
    const int held = dataSet->BufferedRecordCount();
    FFirstRecord = qBound(0, FFirstRecord, qMax(0, held - 1));
    if (active < FFirstRecord)
        FFirstRecord = active;
    else if (active >= FFirstRecord + FBufferCount)
        FFirstRecord = active - FBufferCount + 1;
    // Use the whole window when the data allow it.
    if (held - FFirstRecord < FBufferCount)
        FFirstRecord = qMax(0, held - FBufferCount);
    FFirstRecord = qMax(0, FFirstRecord);
}

void TDataLink::SetActive(bool Value) {
    if (FActive == Value)
        return;
    FActive = Value;
    FFirstRecord = 0;
    if (Value)
        UpdateRange();
    ActiveChanged();
}

void TDataLink::SetEditing(bool Value) {
    if (FEditing == Value)
        return;
    FEditing = Value;
    EditingChanged();
}

void TDataLink::UpdateState() {
    const TDataSetState state = FDataSource ? FDataSource->State() : dsInactive;
    SetActive(state != dsInactive);
    SetEditing((state == dsEdit || state == dsInsert) && !FReadOnly);
}

void TDataLink::DataEvent(TDataEvent Event, qintptr Info) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!FActive)
        return;
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating)
            RecordChanged(reinterpret_cast<TField*>(Info));
        break;
    case deDataSetChange:
        UpdateRange();
        DataSetChanged();
        break;
    case deDataSetScroll: {
        // Info is how far the held records shifted; where this window's first row now
        // stands, in the shifted buffers, tells how far the window moved.
        const int oldFirst = FFirstRecord + int(Info);
        FFirstRecord = oldFirst;
        UpdateRange();
        DataSetScrolled(FFirstRecord - oldFirst);
        break;
    }
    case deLayoutChange:
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl: {
        auto* field = reinterpret_cast<TField*>(Info);
        FocusControl(&field);
        break;
    }
    default:
        break;
    }
}

// ---- Field link ----------------------------------------------------------------------

void TFieldDataLink::SetFieldName(const QString& Value) {
    if (FFieldName == Value)
        return;
    FFieldName = Value;
    UpdateField();
}

bool TFieldDataLink::CanModify() const {
    return !ReadOnly() && FField && FField->CanModify();
}

void TFieldDataLink::Reset() {
    RecordChanged(nullptr);
}

void TFieldDataLink::UpdateField() {
    FField = nullptr;
    if (Active() && !FFieldName.isEmpty())
        FField = DataSet()->FieldByName(FFieldName);
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    if (OnActiveChange)
        OnActiveChange();
}

void TFieldDataLink::EditingChanged() {
    if (OnEditingChange)
        OnEditingChange();
}

void TFieldDataLink::LayoutChanged() {
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* Field) {
    if (Field && Field != FField)
        return;
    FModified = false;
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::FocusControl(TField** Field) {
    if (*Field && *Field == FField && OnFocusRequest) {
        *Field = nullptr;
        OnFocusRequest();
    }
}

void TFieldDataLink::UpdateData() {
    if (FModified) {
        if (FField && OnUpdateData)
            OnUpdateData();
        FModified = false;
    }
}
