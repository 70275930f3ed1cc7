#pragma once

#include "DataSet.h"

#include <QString>
#include <functional>

class TDataSource;
class TField;

// What a control sees of a dataset through a data source: its events, and a window of
// BufferCount records (a grid's rows) that it can read without moving the current one.
class TDataLink {
public:
    TDataLink();
    virtual ~TDataLink();

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const;
    bool Active() const { return FActive; }
    bool Editing() const { return FEditing; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);

    // The window: ActiveRecord is the current record's row in it; setting it makes
    // another row the one fields read, until set back.
    int BufferCount() const { return FBufferCount; }
    void SetBufferCount(int Value);
    int ActiveRecord() const;
    void SetActiveRecord(int Value);
    int RecordCount() const;

    // Puts the dataset into edit state through the data source; false when not allowed.
    bool Edit();
    // Asks the control to write its value into the record (UpdateData).
    void UpdateRecord();
    int MoveBy(int Distance);

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // The window moved Distance rows forward (negative: back) over the records.
    virtual void DataSetScrolled(int Distance);
    virtual void EditingChanged() {}
    virtual void FocusControl(TField** Field) { (void)Field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) { (void)Field; }
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    friend class TDataSet;
    void DataEvent(TDataEvent Event, qintptr Info);
    void UpdateState();
    void SetActive(bool Value);
    void SetEditing(bool Value);
    void UpdateRange();

    TDataSource* FDataSource = nullptr;
    bool FActive = false;
    bool FEditing = false;
    bool FReadOnly = false;
    bool FUpdating = false;
    int FBufferCount = 1;
    int FFirstRecord = 0;
};

// A link to one field of the dataset, as a single-field control has.
class TFieldDataLink : public TDataLink {
public:
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    TField* Field() const { return FField; }
    bool CanModify() const;
    // Marks the control's value as changed; the record gets it at UpdateRecord.
    void Modified() { FModified = true; }
    void Reset();

    // What the control does when the field's value or the editing state changes, when
    // the record wants its value, and when the field asks for the focus.
    std::function<void()> OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange,
        OnFocusRequest;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField** Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    void UpdateField();

    QString FFieldName;
    TField* FField = nullptr;
    bool FModified = false;
};
