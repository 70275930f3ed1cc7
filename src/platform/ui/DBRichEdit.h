#pragma once

#include "RichEdit.h"

#include <memory>
#include <rtl/Variant.h>

class TDataSource;
class TField;
class TFieldDataLink;

// A rich edit showing a memo or binary field of the current record: rich text as
// formatted text, anything else as plain text. A change the user starts (typing, deleting,
// pasting) puts the dataset into edit state first, unless ReadOnly, a read-only field or
// a data source without AutoEdit forbids it; the text goes back to the field as rich
// text (plain text when PlainText) when the record is posted or the control is left.
class TDBRichEdit : public TCustomRichEdit {
    Q_OBJECT
    Q_MOC_INCLUDE("db/DataSource.h")
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
public:
    Q_INVOKABLE explicit TDBRichEdit(TComponent* AOwner = nullptr);
    ~TDBRichEdit() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    QString DataField() const;
    void SetDataField(const QString& Value);
    TField* Field() const;
    void SetReadOnly(bool Value) override;
    // Put the dataset into edit state first; nothing happens when it refuses.
    void CutToClipboard() override;
    void PasteFromClipboard() override;

    // Shows the field's value, or the saved data while there is some, keeping the
    // selection where the text allows.
    virtual void LoadMemo();

protected:
    // The field's value or the record changed.
    virtual void DataChange();
    // The dataset entered or left edit state.
    virtual void EditingChange();
    // Writes the text into the field.
    virtual void UpdateData();
    // Puts the dataset into edit state for a change the user makes (typing, deleting,
    // cutting, pasting); false when refused.
    virtual bool BeginEditing();

    TFieldDataLink* DataLink() const { return FDataLink.get(); }
    bool MemoLoaded() const { return FMemoLoaded; }
    // Text LoadMemo shows instead of the field's while not empty.
    const QString& DataSave() const { return FDataSave; }
    void SetDataSave(const QString& Value) { FDataSave = Value; }

    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoExit() override;
    void Change() override;
    bool WidgetReadOnly() const override;

private:
    std::unique_ptr<TFieldDataLink> FDataLink;
    bool FMemoLoaded = false;
    Variant FLoadedValue; // what LoadMemo last showed
    QString FDataSave;
};
