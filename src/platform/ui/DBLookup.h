#pragma once

#include "Controls.h"

#include <QPointer>
#include <db/DataLink.h>
#include <memory>
#include <rtl/Variant.h>

class QPainter;
class TDataSource;
class TDBLookupControl;
class TDBLookupComboBox;
class TField;

PUBLISHED_ENUM(TDropDownAlign, daLeft, daRight, daCenter)

// The link of a lookup control to the record it edits: passes the field's activation,
// record changes and focus requests to the control.
class TDataSourceLink : public TDataLink {
public:
    explicit TDataSourceLink(TDBLookupControl* Control) : FControl(Control) {}
    TDBLookupControl* Control() const { return FControl; }

protected:
    void ActiveChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void FocusControl(TField** Field) override;

private:
    TDBLookupControl* FControl;
};

// The link of a lookup control to its list: a window of BufferCount rows of the list
// dataset around its current record, read without moving it.
class TListSourceLink : public TDataLink {
public:
    explicit TListSourceLink(TDBLookupControl* Control) : FControl(Control) {}
    TDBLookupControl* Control() const { return FControl; }

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;

private:
    TDBLookupControl* FControl;
};

// A control that picks the key of a row of a list dataset (ListSource, KeyField) and shows
// it by one or more list fields (ListField, names separated by ";"; ListFieldIndex selects
// the one shown in one line and searched by typing). Bound to DataField of DataSource it
// shows the record's key and writes the chosen one into the field. In lookup mode
// (DataField names a lookup field) the list, key and, unless ListField is set, list fields
// are the field's LookupDataSet, LookupKeyFields and LookupResultField, and the key is read
// from and written to the field's KeyFields.
//
// The links are made on first use through CreateDataSourceLink and CreateListSourceLink,
// so a descendant's override of either is the one used.
class TDBLookupControl : public TWinControl {
    Q_OBJECT
    Q_MOC_INCLUDE("db/DataSource.h")
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(TDataSource* ListSource READ ListSource WRITE SetListSource)
    Q_PROPERTY(QString KeyField READ KeyField WRITE SetKeyField)
    Q_PROPERTY(QString ListField READ ListField WRITE SetListField)
    Q_PROPERTY(int ListFieldIndex READ ListFieldIndex WRITE SetListFieldIndex)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
public:
    explicit TDBLookupControl(TComponent* AOwner = nullptr);
    ~TDBLookupControl() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    QString DataField() const { return FDataFieldName; }
    void SetDataField(const QString& Value);
    // The field of DataField; nullptr while unbound or the dataset is closed.
    TField* Field() const { return FDataField; }
    TDataSource* ListSource() const { return FListSource; }
    void SetListSource(TDataSource* Value);
    QString KeyField() const { return FKeyFieldName; }
    void SetKeyField(const QString& Value);
    QString ListField() const { return FListFieldName; }
    void SetListField(const QString& Value);
    int ListFieldIndex() const { return FListFieldIndex; }
    virtual void SetListFieldIndex(int Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);

    bool LookupMode() const { return FLookupMode; }
    // The list in use: ListSource, or in lookup mode the control's own source on the
    // lookup dataset; the key and list field names in use.
    TDataSource* ListDataSource() const;
    TDataSet* ListDataSet() const;
    QString KeyFieldInUse() const;
    QString ListFieldInUse() const;
    // The list fields resolved in the list dataset (the key fields when ListField is
    // empty); false while the list is closed or unset.
    bool ListActive() const { return FListActive; }
    const QList<TField*>& ListFields() const { return FListFields; }
    // The list field at ListFieldIndex (the first when out of range).
    TField* SearchField() const;

    // The chosen key: the record's when bound, else the one set or picked.
    Variant KeyValue() const { return FKeyValue; }
    void SetKeyValue(const Variant& Value);
    // The key of the list dataset's current record (of the row a link made active).
    Variant ListKeyValue() const;
    // Goes to the row of KeyValue, or to the first row when the list lacks it.
    void LocateKey();
    // The text of the search field in the row of Key; empty when the list lacks it.
    QString KeyText(const Variant& Key) const;
    // Whether the user may change the key: not ReadOnly and, when bound, the fields
    // written can be modified.
    bool CanModify() const;
    QString SearchText() const { return FSearchText; }

    TDataSourceLink* DataLink();
    TListSourceLink* ListLink();

    void Loaded() override;

protected:
    friend class TDataSourceLink;
    friend class TListSourceLink;

    virtual TDataSourceLink* CreateDataSourceLink();
    virtual TListSourceLink* CreateListSourceLink();

    // Events of the data link: the field came or went, the record or a field changed.
    virtual void DataLinkActiveChanged();
    virtual void DataLinkRecordChanged(TField* Field);
    // Events of the list link: the list opened or closed, its data changed, its window
    // moved over the rows.
    virtual void ListLinkActiveChanged();
    virtual void ListLinkDataChanged();
    virtual void ListLinkScrolled() {}
    virtual void KeyValueChanged();
    // Resolves DataField (and lookup mode) and the list fields.
    virtual void UpdateDataFields();
    virtual void UpdateListFields();
    // Shows the search field's text of KeyValue.
    virtual void UpdateText();

    // Makes Value the chosen key: bound, writes it into the record, putting the dataset
    // into edit state through the data source (as AutoEdit allows); unbound, sets
    // KeyValue. False when refused.
    virtual bool SelectKeyValue(const Variant& Value);

    // Incremental search on the search field of a text or numeric type (digits only):
    // a character extends the search text and the list dataset goes to the first row
    // starting with it (ignoring case), Backspace shortens it, Escape clears it. Consumes
    // the characters it takes.
    void ProcessSearchKey(QChar& Key);
    // The list dataset went to a row that the search found.
    virtual void SearchFound();
    // Backspace emptied the search text.
    virtual void SearchCleared() {}
    void ClearSearch() { FSearchText.clear(); }

    // The source the control keeps for a list it finds itself (lookup mode); a descendant
    // may show another dataset's rows through it.
    TDataSource* InternalListSource() const { return FInternalListSource; }

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    Variant RecordKeyValue() const;
    QList<TField*> WrittenFields() const;
    void UpdateListSource();
    bool LocateSearchText(const QString& Text);

    std::unique_ptr<TDataSourceLink> FDataLink;
    std::unique_ptr<TListSourceLink> FListLink;
    TDataSource* FInternalListSource;
    TDataSource* FListSource = nullptr;
    QString FDataFieldName;
    TField* FDataField = nullptr;
    QString FKeyFieldName;
    QString FListFieldName;
    int FListFieldIndex = 0;
    bool FReadOnly = false;
    bool FLookupMode = false;
    bool FListActive = false;
    QList<TField*> FListFields;
    QList<TField*> FKeyFields;
    // The fields found last and what for: a list joining again with the same fields (each
    // drop-down) is not searched again.
    struct TFoundFields {
        QPointer<TDataSet> DataSet;
        quint64 Generation = 0; // of its fields
        QString KeyNames;
        QString ListNames;
        QList<TField*> Keys;
        QList<TField*> List;
    } FFound;
    quint64 FListFieldsUpdates = 0; // counts UpdateListFields
    Variant FKeyValue;
    QString FSearchText;
};

// The drop-down list of a lookup combo box: a window of its own, above the others, that
// never takes the focus (the combo keeps it and passes keys on). It shows RowCount rows
// of the list around the list dataset's current record, one column per list field (as
// wide as the field's DisplayWidth in "0" characters), and highlights the row of its
// KeyValue. Up, Down, Page Up, Page Down, Home and End move the list dataset and select
// the row reached; typing searches; a click selects a row and its release accepts it;
// Enter and Escape close the list, accepting or not.
//
// Tests see the window as DataList()->Widget() once the combo dropped down, and drive it
// with QTest keys and clicks on that widget or keys on the combo's widget; nothing waits.
class TPopupDataList : public TDBLookupControl {
    Q_OBJECT
public:
    explicit TPopupDataList(TDBLookupComboBox* Combo);
    ~TPopupDataList() override;

    TDBLookupComboBox* Combo() const { return FCombo; }
    int RowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    int RowHeight() const;
    // The row under Y, or -1.
    int RowAt(int Y);
    // The row highlighted (that of KeyValue), or -1.
    int SelectedRow();
    // The height of RowCount rows with any header.
    int ListHeight() const;

protected:
    friend class TDBLookupComboBox;

    QWidget* CreateWidget() override;
    void ApplyVisible() override;
    void Paint() override;
    // A band above the rows that a descendant draws (titles); none here.
    virtual int HeaderHeight() const { return 0; }
    virtual void PaintHeader(QPainter& Painter, const QRect& Rect);
    // Draws the list dataset's active record in Rect.
    virtual void PaintRow(QPainter& Painter, const QRect& Rect, bool Selected);
    // The width in pixels of list column Index.
    virtual int ColumnWidth(int Index) const;

    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // Each notch of the wheel moves the highlight one row, as the arrows do.
    bool WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) override;
    void ListLinkActiveChanged() override;
    void ListLinkDataChanged() override;
    void ListLinkScrolled() override;
    void KeyValueChanged() override;
    void SearchCleared() override;
    // The list shows rows, not a text.
    void UpdateText() override {}
    void FontChanged() override;

    // Moves the list dataset Distance rows (or onto the row of KeyValue's absence) and
    // selects the row reached.
    void MoveSelection(int Distance);
    void SelectCurrent();

private:
    class TCellTexts;

    TDBLookupComboBox* FCombo;
    int FRowCount = 7;
    int FWheelDelta = 0;        // the part of a notch turned so far
    mutable int FRowHeight = 0; // of the font, measured when first asked; 0 until then
    std::unique_ptr<TCellTexts> FCellTexts;
};

// A one-line lookup control with a drop-down list (TPopupDataList): the edit part shows
// the search field's text of KeyValue. Alt+Down or F4 drop the list down (and close it,
// accepting), Enter accepts the highlighted row, Escape closes without accepting; with
// the list closed Up and Down choose the previous or next row of the list. Typing
// searches the list, with the list open or closed. A click on the control opens or
// closes the list; losing the focus or a click elsewhere closes it without accepting.
class TDBLookupComboBox : public TDBLookupControl {
    Q_OBJECT
    Q_PROPERTY(int DropDownRows READ DropDownRows WRITE SetDropDownRows)
    Q_PROPERTY(int DropDownWidth READ DropDownWidth WRITE SetDropDownWidth)
    Q_PROPERTY(TDropDownAlign DropDownAlign READ DropDownAlign WRITE SetDropDownAlign)
    Q_PROPERTY(bool DroppedDown READ DroppedDown WRITE SetDroppedDown STORED false)
    Q_PROPERTY(TNotifyEvent OnDropDown READ OnDropDown WRITE SetOnDropDown)
    Q_PROPERTY(TNotifyEvent OnCloseUp READ OnCloseUp WRITE SetOnCloseUp)
    Q_PROPERTY(TNotifyEvent OnChange READ OnChange WRITE SetOnChange)
public:
    Q_INVOKABLE explicit TDBLookupComboBox(TComponent* AOwner = nullptr);
    ~TDBLookupComboBox() override;

    int DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(int Value) { FDropDownRows = qMax(1, Value); }
    // 0: as wide as the combo.
    int DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(int Value) { FDropDownWidth = qMax(0, Value); }
    TDropDownAlign DropDownAlign() const { return FDropDownAlign; }
    void SetDropDownAlign(TDropDownAlign Value) { FDropDownAlign = Value; }
    bool DroppedDown() const { return FDroppedDown; }
    // Opens the list, or closes it without accepting.
    void SetDroppedDown(bool Value);

    // Shows the list under the combo on the row of KeyValue; OnDropDown fires first.
    virtual void DropDown();
    // Hides the list; with Accept the highlighted row's key is chosen. OnCloseUp fires last.
    virtual void CloseUp(bool Accept);

    // The drop-down list, made on first use through CreateDataList.
    TPopupDataList* DataList();

    const TNotifyEvent& OnDropDown() const { return FOnDropDown; }
    void SetOnDropDown(const TNotifyEvent& Value) { FOnDropDown = Value; }
    const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
    void SetOnCloseUp(const TNotifyEvent& Value) { FOnCloseUp = Value; }
    // Fires when the user picked another key: from the list, by searching or stepping;
    // never for a key set by the program or read from the record.
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

protected:
    virtual TPopupDataList* CreateDataList();
    // The user picked another key (OnChange).
    virtual void Change();
    bool SelectKeyValue(const Variant& Value) override;

    void Paint() override;
    void TextChanged() override { Invalidate(); }
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoEnter() override;
    void DoExit() override;
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }
    void ListLinkActiveChanged() override;
    // While the list is down the list dataset moves under it, not the combo's key: the
    // text is read again as the list closes.
    void ListLinkDataChanged() override;
    // The list's place on the screen for a list ListHeight pixels high.
    virtual QRect DropDownRect(int ListHeight);

private:
    class TOutsideClickWatcher;

    // With the list closed: chooses the row Distance rows from that of KeyValue.
    void StepKeyValue(int Distance);

    std::unique_ptr<TPopupDataList> FDataList;
    std::unique_ptr<TOutsideClickWatcher> FWatcher;
    int FDropDownRows = 7;
    int FDropDownWidth = 0;
    TDropDownAlign FDropDownAlign = daLeft;
    bool FDroppedDown = false;
    bool FTextStale = false; // the list's data changed while it was down
    TNotifyEvent FOnDropDown;
    TNotifyEvent FOnCloseUp;
    TNotifyEvent FOnChange;
};
