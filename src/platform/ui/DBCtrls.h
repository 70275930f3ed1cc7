#pragma once

#include "Graphics.h"
#include "Mask.h"
#include "StdCtrls.h"

#include <db/DataLink.h>
#include <db/DataSource.h>
#include <memory>

// What every control showing one field has: the field data link with its DataSource,
// DataField and ReadOnly, and the shared handling of keys, leaving and showing data.
// Controls derive from it beside their control class.
class TFieldDataControl {
public:
    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* Value) { FDataLink.SetDataSource(Value); }
    QString DataField() const { return FDataLink.FieldName(); }
    void SetDataField(const QString& Value) { FDataLink.SetFieldName(Value); }
    bool ReadOnly() const { return FDataLink.ReadOnly(); }
    void SetReadOnly(bool Value) { FDataLink.SetReadOnly(Value); }
    TField* Field() const { return FDataLink.Field(); }
    TFieldDataLink* DataLink() { return &FDataLink; }

protected:
    TFieldDataControl() = default;
    ~TFieldDataControl() = default;
    TFieldDataControl(const TFieldDataControl&) = delete;
    TFieldDataControl& operator=(const TFieldDataControl&) = delete;

    // Starts editing the record, when the field can be modified; whether the control
    // may now change the field.
    bool EditField();
    // The same for a change of Selection: starting to edit shows the field's text again,
    // and the selection the change acts on is kept across it.
    bool EditField(TTextSelection& Selection);
    bool CanEditField() const { return FDataLink.Editing() && FDataLink.CanModify(); }
    // Whether Key changes the text of an edit: deleting, cutting or pasting.
    static bool IsEditingKey(quint16 Key, TShiftState Shift);
    // Whether a typed character changes the text (printable, Backspace, Ctrl+V, Ctrl+X).
    static bool IsEditingChar(QChar Key);
    // Escape while editing: the control shows the field's value again and Key is consumed.
    void RestoreOnEscape(quint16& Key);
    // Writes the control's value to the record as the focus leaves Control; on failure
    // Control gets the focus back and the error goes on.
    void UpdateRecordOnExit(TWinControl* Control);
    // Field::FocusControl focuses Control.
    void FocusOnRequest(TWinControl* Control);
    // Shows data through Show without counting it as the user's change.
    void ShowData(const std::function<void()>& Show);
    bool ShowingData() const { return FShowingData; }

    TFieldDataLink FDataLink;

private:
    bool FShowingData = false;
};

// A masked edit of a field: EditMask comes from the field. It shows the field's
// DisplayText, and its editing Text while it has the focus. Typing starts editing the
// record (as the data source's AutoEdit and the field allow); the value goes to the field
// when the focus leaves or on Enter, which also posts the record; Escape shows the field's
// value again.
class TDBEdit : public TCustomMaskEdit, public TFieldDataControl {
    Q_OBJECT
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(QString Text READ Text WRITE SetText STORED false)
public:
    Q_INVOKABLE explicit TDBEdit(TComponent* AOwner = nullptr);
    using TFieldDataControl::ReadOnly;
    using TFieldDataControl::SetReadOnly;

    // Clearing, cutting and pasting start editing the field first, as the keys do.
    void ClearSelection() override;
    void PasteFromClipboard() override;

protected:
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoEnter() override;
    void DoExit() override;
    void Change() override;
    virtual void DataChange();
    virtual void UpdateData();

private:
    bool FFocused = false;
};

// A label showing a field's DisplayText.
class TDBText : public TLabel, public TFieldDataControl {
    Q_OBJECT
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption STORED false)
public:
    Q_INVOKABLE explicit TDBText(TComponent* AOwner = nullptr);

protected:
    // The text shown for the current record.
    virtual QString FieldText() const;
    void DataChange();
};

// A memo of a field, text or memo: edits as TDBEdit does, but Enter starts a new line.
class TDBMemo : public TMemo, public TFieldDataControl {
    Q_OBJECT
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(TStrings* Lines READ Lines STORED false)
public:
    Q_INVOKABLE explicit TDBMemo(TComponent* AOwner = nullptr);
    using TFieldDataControl::ReadOnly;
    using TFieldDataControl::SetReadOnly;

    // Clearing, cutting and pasting start editing the field first, as the keys do.
    void ClearSelection() override;
    void PasteFromClipboard() override;

protected:
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoEnter() override;
    void DoExit() override;
    void Change() override;
    virtual void DataChange();
    virtual void UpdateData();

private:
    bool FFocused = false;
};

// A check box of a field: checked when the field is true (a Boolean field) or its text is
// one of ValueChecked's ";"-separated values, unchecked for ValueUnchecked's, grayed for
// null or anything else. Checking it starts editing; the record gets the first value.
class TDBCheckBox : public TCheckBox, public TFieldDataControl {
    Q_OBJECT
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(QString ValueChecked READ ValueChecked WRITE SetValueChecked)
    Q_PROPERTY(QString ValueUnchecked READ ValueUnchecked WRITE SetValueUnchecked)
    Q_PROPERTY(TCheckBoxState State READ State WRITE SetState STORED false)
public:
    Q_INVOKABLE explicit TDBCheckBox(TComponent* AOwner = nullptr);

    QString ValueChecked() const { return FValueChecked; }
    void SetValueChecked(const QString& Value);
    QString ValueUnchecked() const { return FValueUnchecked; }
    void SetValueUnchecked(const QString& Value);

protected:
    void Click() override;
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void DoExit() override;
    virtual void DataChange();
    virtual void UpdateData();

private:
    TCheckBoxState FieldState() const;

    QString FValueChecked = QStringLiteral("True");
    QString FValueUnchecked = QStringLiteral("False");
};

// A combo box of a field: shows the field's text, and the item with it. Choosing or
// typing starts editing; the record gets Text when the focus leaves.
class TDBComboBox : public TCustomComboBox, public TFieldDataControl {
    Q_OBJECT
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(TComboBoxStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(TStrings* Items READ Items)
    Q_PROPERTY(int DropDownCount READ DropDownCount WRITE SetDropDownCount)
    Q_PROPERTY(bool DroppedDown READ DroppedDown WRITE SetDroppedDown STORED false)
    Q_PROPERTY(bool Sorted READ Sorted WRITE SetSorted)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
    Q_PROPERTY(TNotifyEvent OnChange READ OnChange WRITE SetOnChange)
    Q_PROPERTY(TNotifyEvent OnSelect READ OnSelect WRITE SetOnSelect)
    Q_PROPERTY(TNotifyEvent OnDropDown READ OnDropDown WRITE SetOnDropDown)
    Q_PROPERTY(TNotifyEvent OnCloseUp READ OnCloseUp WRITE SetOnCloseUp)
    Q_PROPERTY(TDrawItemEvent OnDrawItem READ OnDrawItem WRITE SetOnDrawItem)
    Q_PROPERTY(TMeasureItemEvent OnMeasureItem READ OnMeasureItem WRITE SetOnMeasureItem)
public:
    Q_INVOKABLE explicit TDBComboBox(TComponent* AOwner = nullptr);

protected:
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoExit() override;
    void Change() override;
    void Select() override;
    void DropDown() override;
    virtual void DataChange();
    virtual void UpdateData();
    // The link became active or inactive, or the record started or stopped being edited.
    virtual void ActiveChange();
    virtual void EditingChange();
};

// A picture held by a graphic or blob field, placed as TImage places its picture. With
// AutoDisplay off a record's picture is loaded only by LoadPicture, Enter or a double
// click; until then the control shows the field's name. Bytes that hold no picture show
// "(Invalid picture)". Pasting, cutting or deleting (Delete) starts editing the record;
// the field gets the picture as PNG bytes when the focus leaves or at UpdateRecord, and
// Escape shows the field's picture again. Ctrl+C, Ctrl+X and Ctrl+V copy, cut and paste.
class TDBImage : public TCustomControl, public TFieldDataControl {
    Q_OBJECT
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(TPicture* Picture READ Picture WRITE SetPicture STORED false)
    Q_PROPERTY(bool AutoDisplay READ AutoDisplay WRITE SetAutoDisplay)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(bool Proportional READ Proportional WRITE SetProportional)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
public:
    Q_INVOKABLE explicit TDBImage(TComponent* AOwner = nullptr);

    TPicture* Picture() const { return FPicture; }
    void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
    bool AutoDisplay() const { return FAutoDisplay; }
    void SetAutoDisplay(bool Value);
    bool Center() const { return FCenter; }
    void SetCenter(bool Value) { SetOption(FCenter, Value); }
    bool Proportional() const { return FProportional; }
    void SetProportional(bool Value) { SetOption(FProportional, Value); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value) { SetOption(FStretch, Value); }
    // Whether the record's bytes could not be read as a picture.
    bool PictureDamaged() const { return FDamaged; }

    // Shows the current record's picture, when it is not shown yet.
    void LoadPicture();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

protected:
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }
    void Paint() override;
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void DblClick() override;
    void DoEnter() override;
    void DoExit() override;
    virtual void DataChange();
    virtual void UpdateData();

private:
    void SetOption(bool& Field, bool Value);
    void PictureChanged(TObject* Sender);
    // Empties the picture as the user's change, when the field can be edited.
    void ClearPicture();

    TPicture* FPicture;
    bool FPictureLoaded = false;
    bool FDamaged = false;
    bool FAutoDisplay = true;
    bool FCenter = true;
    bool FProportional = false;
    bool FStretch = false;
};

PUBLISHED_ENUM(TNavigateBtn, nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost,
               nbCancel, nbRefresh)
using TButtonSet = TSet<TNavigateBtn>;
using TNavClickEvent = TEvent<TObject*, TNavigateBtn>;

// Ten buttons that move through a dataset and edit it, each enabled when its action
// makes sense in the dataset's state. A button's widget is named after it ("nbNext").
// Hints holds the buttons' hints in order; an empty one leaves the default. Deleting asks
// first when ConfirmDelete is set.
class TDBNavigator : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(TButtonSet VisibleButtons READ VisibleButtons WRITE SetVisibleButtons)
    Q_PROPERTY(TStrings* Hints READ Hints)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(bool ConfirmDelete READ ConfirmDelete WRITE SetConfirmDelete)
    Q_PROPERTY(TNavClickEvent BeforeAction READ BeforeAction WRITE SetBeforeAction)
    Q_PROPERTY(TNavClickEvent OnClick READ OnClick WRITE SetOnClick)
public:
    Q_INVOKABLE explicit TDBNavigator(TComponent* AOwner = nullptr);

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TButtonSet VisibleButtons() const { return FVisibleButtons; }
    void SetVisibleButtons(TButtonSet Value);
    TStrings* Hints() const { return FHints; }
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool ConfirmDelete() const { return FConfirmDelete; }
    void SetConfirmDelete(bool Value) { FConfirmDelete = Value; }
    // The buttons whose action makes sense now.
    TButtonSet EnabledButtons() const { return FEnabledButtons; }

    // Runs the action of button Index on the dataset, between BeforeAction and OnClick.
    void BtnClick(TNavigateBtn Index);

    const TNavClickEvent& BeforeAction() const { return FBeforeAction; }
    void SetBeforeAction(const TNavClickEvent& Value) { FBeforeAction = Value; }
    const TNavClickEvent& OnClick() const { return FOnClick; }
    void SetOnClick(const TNavClickEvent& Value) { FOnClick = Value; }

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    void ShowHintChanged() override;

private:
    void UpdateButtons();
    void ApplyButtons();

    std::unique_ptr<TDataLink> FDataLink;
    TStringList* FHints;
    TButtonSet FVisibleButtons;
    TButtonSet FEnabledButtons;
    bool FFlat = false;
    bool FConfirmDelete = true;
    TNavClickEvent FBeforeAction;
    TNavClickEvent FOnClick;
};
