#pragma once

#include "Controls.h"
#include "Forms.h"
#include "TextSelection.h"

#include <QMargins>
#include <rtl/Alignment.h>
#include <rtl/Strings.h>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

PUBLISHED_ENUM(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)
PUBLISHED_ENUM(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)

// A caption that takes no focus. "&" marks its accelerator: with FocusControl set, Alt and
// that letter focus FocusControl. With AutoSize the label fits its caption.
class TLabel : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(TWinControl* FocusControl READ FocusControl WRITE SetFocusControl)
public:
    Q_INVOKABLE explicit TLabel(TComponent* AOwner = nullptr);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);

    void Loaded() override;

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    void TextChanged() override;
    void FontChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    QLabel* LabelWidget();
    void ApplyText();
    void AdjustSize();

    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = true;
    bool FWordWrap = false;
    TWinControl* FFocusControl = nullptr;
};

// A single-line text editor. OnChange fires whenever Text changes, typed or set. While
// ReadOnly, the selection operations leave the text as it is.
class TEdit : public TWinControl, public TTextSelection {
    Q_OBJECT
    Q_PROPERTY(TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(QString Text READ Text WRITE SetText)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(QChar PasswordChar READ PasswordChar WRITE SetPasswordChar)
    Q_PROPERTY(TNotifyEvent OnChange READ OnChange WRITE SetOnChange)
public:
    Q_INVOKABLE explicit TEdit(TComponent* AOwner = nullptr);

    // 0: no limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // A null character shows the text; any other hides it.
    QChar PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(QChar Value);
    // bsSingle frames the edit; bsNone shows the bare text.
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    // The room kept between the edit's edges (inside any frame) and the text.
    QMargins TextMargins() const { return FTextMargins; }
    void SetTextMargins(const QMargins& Value);

    int SelStart() const override;
    void SetSelStart(int Value) override;
    int SelLength() const override;
    void SetSelLength(int Value) override;
    QString SelText() const override;
    void SetSelText(const QString& Value) override;
    void SelectAll() override;
    void Clear() { SetText(QString()); }

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    void TextChanged() override;
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }
    virtual void Change();

private:
    QLineEdit* EditWidget();
    const QLineEdit* ExistingEditWidget() const;
    void WidgetTextChanged(const QString& Value);

    int FMaxLength = 0;
    bool FReadOnly = false;
    QChar FPasswordChar;
    TFormBorderStyle FBorderStyle = bsSingle;
    QMargins FTextMargins;
    bool FUpdatingWidget = false;
    TNotifyEvent FOnChange;
};

// A push button. Clicking it sets its form's ModalResult to the button's ModalResult
// (unless mrNone) before OnClick. Return clicks the focused button, or the Default one
// when no button has the focus; Escape clicks the Cancel button.
class TButton : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)
public:
    Q_INVOKABLE explicit TButton(TComponent* AOwner = nullptr);

    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }

    void Click() override;

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    void TextChanged() override;
    bool DialogKey(quint16 Key, TShiftState Shift) override;
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }

private:
    QPushButton* ButtonWidget();
    // The button Return clicks: the focused one, else the default one.
    bool IsActiveDefault() const;

    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = mrNone;
};

// A check box. OnClick fires whenever the state changes, clicked or set. With AllowGrayed
// the user can also choose the grayed state.
class TCheckBox : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool AllowGrayed READ AllowGrayed WRITE SetAllowGrayed)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked STORED false)
    Q_PROPERTY(TCheckBoxState State READ State WRITE SetState)
public:
    Q_INVOKABLE explicit TCheckBox(TComponent* AOwner = nullptr);

    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value);
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState Value);

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    void TextChanged() override;
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }

private:
    QCheckBox* CheckBoxWidget();
    void ApplyState();

    bool FAllowGrayed = false;
    TCheckBoxState FState = cbUnchecked;
    bool FUpdatingWidget = false;
};

// A radio button. Checking it unchecks the radio buttons beside it (those with the same
// parent); OnClick fires whenever it becomes checked, clicked or set. The arrow keys move
// the focus to the previous or next of those buttons and check it.
class TRadioButton : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
public:
    Q_INVOKABLE explicit TRadioButton(TComponent* AOwner = nullptr);

    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    // A group is one Tab stop: its checked button, or the first when none is checked.
    bool IsTabStop() const override;

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    void TextChanged() override;
    void KeyDown(quint16& Key, TShiftState Shift) override;
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }

private:
    QRadioButton* RadioWidget();
    void ApplyChecked();
    void WidgetToggled(bool Value);
    // The radio buttons with the same parent, this one included, in tab order.
    QList<TRadioButton*> Group() const;

    bool FChecked = false;
    bool FUpdatingWidget = false;
};

// A list of lines to choose from. The lines (with their objects) and the selection are
// the box's own, shown by its widget and taken back from it: lines inserted, deleted or
// moved keep their selection. With MultiSelect any number of lines can be selected (with
// ExtendedSelect by clicks with Shift and Ctrl, without it each click toggles a line) and
// ItemIndex is the line with the focus, which setting it does not select; without
// MultiSelect ItemIndex is the one selected line, or -1. A Sorted box adds lines in
// order. OnClick fires once for every change of the selection by the user.
//
// Dragged while several lines are selected, the box shows crMultiDrag in place of crDrag.
class TListBox : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(TStrings* Items READ Items)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex STORED false)
    Q_PROPERTY(bool MultiSelect READ MultiSelect WRITE SetMultiSelect)
    Q_PROPERTY(bool ExtendedSelect READ ExtendedSelect WRITE SetExtendedSelect)
    Q_PROPERTY(bool Sorted READ Sorted WRITE SetSorted)
public:
    Q_INVOKABLE explicit TListBox(TComponent* AOwner = nullptr);

    TStrings* Items() const;
    void Clear();
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool Value);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);

    bool Selected(int Index) const;
    void SetSelected(int Index, bool Value);
    int SelCount() const;
    // The first line in view.
    int TopIndex() const;
    void SetTopIndex(int Value);
    // The line at Pos, in client coordinates; where there is none -1, or the number of
    // lines when not Existing.
    int ItemAtPos(const QPoint& Pos, bool Existing);

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    bool WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) override;
    QWidget* ClientWidget() override;
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }
    TCursor DraggingCursor() const override;

private:
    class TItems;
    struct TLine {
        QString Text;
        TObject* Object = nullptr;
        bool Selected = false;
    };

    QListWidget* ListWidget();
    void CheckLine(int Index) const;
    // Whether changes of the lines go to the widget now, outside a BeginUpdate block.
    bool ShowsChanges() const { return HandleAllocated() && !FItemsUpdating; }
    void InsertLine(int Index, const TLine& Line);
    void DeleteLine(int Index);
    void MoveLine(int CurIndex, int NewIndex);
    void ClearLines();
    void ShowLine(int Index);
    void ShowLines();
    void ShowSelection();
    void ApplySelectionMode();
    void ReadSelection();
    // Single selection: only the line at ItemIndex is selected.
    void SelectItemIndexOnly();

    QList<TLine> FLines;
    TItems* FItems;
    int FItemIndex = -1;
    int FTopIndex = 0;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    bool FSorted = false;
    bool FItemsUpdating = false;
    bool FUpdatingWidget = false;
    bool FSelectionChanged = false;
};

// A frame with a caption around child controls.
class TGroupBox : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    Q_INVOKABLE explicit TGroupBox(TComponent* AOwner = nullptr);

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    void TextChanged() override;
    void FontChanged() override;
    void AdjustClientRect(QRect& Rect) const override;
};

// A multi-line text editor whose Lines follow the text, typed or set, and back.
// OnChange fires whenever the text changes. While ReadOnly, the selection operations
// leave the text as it is.
class TMemo : public TWinControl, public TTextSelection {
    Q_OBJECT
    Q_PROPERTY(TStrings* Lines READ Lines)
    Q_PROPERTY(QString Text READ Text WRITE SetText STORED false)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_PROPERTY(bool WantReturns READ WantReturns WRITE SetWantReturns)
    Q_PROPERTY(bool WantTabs READ WantTabs WRITE SetWantTabs)
    Q_PROPERTY(TNotifyEvent OnChange READ OnChange WRITE SetOnChange)
public:
    Q_INVOKABLE explicit TMemo(TComponent* AOwner = nullptr);

    TStrings* Lines() const;
    // The lines joined by "\n".
    QString Text() const override;
    void SetText(const QString& Value) override;
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value);

    int SelStart() const override;
    void SetSelStart(int Value) override;
    int SelLength() const override;
    void SetSelLength(int Value) override;
    QString SelText() const override;
    void SetSelText(const QString& Value) override;
    void SelectAll() override;

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }
    bool WantKey(quint16 Key) const override;
    virtual void Change();

private:
    QPlainTextEdit* MemoWidget();
    const QPlainTextEdit* ExistingMemoWidget() const;
    void LinesChanged();
    void WidgetTextChanged();
    void ApplyOptions();

    TStringList* FLines;
    bool FReadOnly = false;
    bool FWordWrap = true;
    TScrollStyle FScrollBars = ssNone;
    bool FWantReturns = true;
    bool FWantTabs = false;
    bool FUpdatingWidget = false;
    bool FUpdatingLines = false;
    TNotifyEvent FOnChange;
};

class QComboBox;
class QPainter;

PUBLISHED_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed,
               csOwnerDrawVariable)
// How an owner-drawn item is to be drawn; odComboBoxEdit marks the closed combo's own field.
PUBLISHED_ENUM(TOwnerDrawStateItem, odSelected, odGrayed, odDisabled, odChecked, odFocused,
               odDefault, odComboBoxEdit)
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
using TDrawItemEvent = TEvent<TWinControl*, int, QRect, TOwnerDrawState>;
// Height starts as ItemHeight; the handler sets the item's own.
using TMeasureItemEvent = TEvent<TWinControl*, int, int&>;

// A drop-down list of Items with an edit field (csDropDown, csSimple) or without one.
// The owner-drawn styles leave the drawing of each item, and of the closed combo's field,
// to DrawItem (OnDrawItem), which paints with ItemPainter. A choice the user makes calls
// Select (OnSelect, or OnChange when there is no OnSelect handler); typing into the field
// calls Change. Keys reach KeyDown and KeyPress before the combo's own handling, so a
// descendant can take them.
class TCustomComboBox : public TWinControl {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TCustomComboBox(TComponent* AOwner = nullptr);

    TComboBoxStyle Style() const { return FStyle; }
    virtual void SetStyle(TComboBoxStyle Value);
    TStrings* Items() const;
    void SetItems(TStrings* Value);
    // -1: no item chosen.
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    // The field's text; without an edit field the chosen item. Setting it chooses the
    // item with that text, if any.
    QString Text() const override;
    void SetText(const QString& Value) override;
    bool DroppedDown() const { return FDroppedDown; }
    void SetDroppedDown(bool Value);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value);
    bool Sorted() const;
    void SetSorted(bool Value);
    // 0: no limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    void SelectAll();
    // The painter of the item being drawn; nullptr outside DrawItem.
    QPainter* ItemPainter() const { return FItemPainter; }

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
    const TNotifyEvent& OnSelect() const { return FOnSelect; }
    void SetOnSelect(const TNotifyEvent& Value) { FOnSelect = Value; }
    const TNotifyEvent& OnDropDown() const { return FOnDropDown; }
    void SetOnDropDown(const TNotifyEvent& Value) { FOnDropDown = Value; }
    const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
    void SetOnCloseUp(const TNotifyEvent& Value) { FOnCloseUp = Value; }
    const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
    void SetOnDrawItem(const TDrawItemEvent& Value) { FOnDrawItem = Value; }
    const TMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
    void SetOnMeasureItem(const TMeasureItemEvent& Value) { FOnMeasureItem = Value; }

    bool IsOwnerDrawn() const {
        return FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable;
    }
    bool HasEditField() const { return FStyle == csDropDown || FStyle == csSimple; }
    // Draws item Index (-1: none) in Rect with Painter, through DrawItem.
    void PaintItem(QPainter* Painter, int Index, const QRect& Rect, TOwnerDrawState State);
    // The height of item Index, through MeasureItem for csOwnerDrawVariable.
    int ItemHeightOf(int Index);

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    void Paint() override;
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }
    void ColorChanged() override;
    void FontChanged() override;

    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    virtual void DrawItem(int Index, const QRect& Rect, TOwnerDrawState State);
    virtual void MeasureItem(int Index, int& Height);
    // Keeps the user from typing into the edit field.
    void SetEditReadOnly(bool Value);

private:
    QComboBox* ComboWidget();
    void ItemsChanged();
    void ApplyStyle();
    // Shows Color and the font's colour on the face, where styles paint a combo.
    void ApplyFaceColors();
    void ApplyItemIndex();
    void WidgetActivated(int Index);
    void WidgetTextEdited(const QString& Value);
    void PopupShown();
    void PopupHidden();

    TComboBoxStyle FStyle = csDropDown;
    TStringList* FItems;
    int FItemIndex = -1;
    bool FDroppedDown = false;
    int FDropDownCount = 8;
    int FMaxLength = 0;
    int FItemHeight = 16;
    bool FEditReadOnly = false;
    bool FUpdatingWidget = false;
    QPainter* FItemPainter = nullptr;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnSelect;
    TNotifyEvent FOnDropDown;
    TNotifyEvent FOnCloseUp;
    TDrawItemEvent FOnDrawItem;
    TMeasureItemEvent FOnMeasureItem;
};

// The combo box with its properties published.
class TComboBox : public TCustomComboBox {
    Q_OBJECT
    Q_PROPERTY(TComboBoxStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(TStrings* Items READ Items)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(QString Text READ Text WRITE SetText)
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
    Q_INVOKABLE explicit TComboBox(TComponent* AOwner = nullptr);
};
