#include "KroContr.h"

#include "KroPopup.h"

#include <algorithm>
#include <dataset/KroDB.h>
#include <db/DataSource.h>
#include <db/Fields.h>
#include <forms/DiAdv.h>
#include <memory>
#include <rtl/FormatSettings.h>
#include <rtl/Reference.h>
#include <rtl/TypeInfo.h>
#include <ui/DBGrids.h>
#include <ui/DBLookup.h>
#include <ui/Screen.h>
#include <ui/StdCtrls.h>

TKroControlFactory KroTextFactory = nullptr;
TKroControlFactory KroLookupComboFactory = nullptr;
TKroControlFactory KroPlainLookupComboFactory = nullptr;
TKroControlFactory KroComboFactory = nullptr;
TKroControlFactory KroDBComboFactory = nullptr;

TKroDBEdit::TKroDBEdit(TComponent* AOwner) : TDBEdit(AOwner) {}

void TKroDBEdit::Loaded() {
    TDBEdit::Loaded();
    if (!IsDesigning() && !PopupMenu())
        SetPopupMenu(PopupMenuKroDBFieldControls());
}

void TKroDBEdit::KeyDown(quint16& Key, TShiftState Shift) {
    if (Key != VK_RETURN) {
        TDBEdit::KeyDown(Key, Shift);
        return;
    }
    // The data edit would post the record here: only the handlers run, then Tab.
    TWinControl::KeyDown(Key, Shift);
    EnterAsTab(this, Key);
}

// ---- One-record page ------------------------------------------------------------------

TKroControlFactory KroPageEditFactory = nullptr;
TKroControlFactory KroPageDateFactory = nullptr;
TKroControlFactory KroPageMemoFactory = nullptr;
TKroControlFactory KroPageImageFactory = nullptr;

namespace {

// What a field is shown with on the page.
enum class TPageControlKind { Text, Edit, Date, Integer, Memo, Image, Lookup };

TPageControlKind PageControlKind(const TComponent* Owner, const TField* Field) {
    if (Field->FieldKind() == fkLookup)
        return Field->DataSet() && Field->DataSet()->CanModify() && !Field->ReadOnly()
                   ? TPageControlKind::Lookup
                   : TPageControlKind::Text;
    if (Field->FieldKind() != fkData)
        return TPageControlKind::Text;
    if (qobject_cast<const TMemoField*>(Field))
        return TPageControlKind::Memo;
    if (qobject_cast<const TGraphicField*>(Field))
        return TPageControlKind::Image;
    if (!Field->CanModify())
        return TPageControlKind::Text;
    if (qobject_cast<const TIntegerField*>(Field))
        return TPageControlKind::Integer;
    if (qobject_cast<const TDateField*>(Field) && !(Owner && Owner->IsDesigning()))
        return TPageControlKind::Date;
    return TPageControlKind::Edit;
}

// The kind's control from its factory, or of its default class.
TControl* NewPageControl(TPageControlKind Kind, TComponent* Owner, TField* Field) {
    const auto make = [&](TKroControlFactory Factory, auto Default) -> TControl* {
        if (Factory)
            if (TControl* control = Factory(Owner, Field))
                return control;
        return new std::remove_pointer_t<decltype(Default)>(Owner);
    };
    switch (Kind) {
    case TPageControlKind::Text:
        return make(KroTextFactory, static_cast<TDBText*>(nullptr));
    case TPageControlKind::Edit:
        return make(KroPageEditFactory, static_cast<TKroDBEdit*>(nullptr));
    case TPageControlKind::Date:
        return make(KroPageDateFactory, static_cast<TKroDBEdit*>(nullptr));
    case TPageControlKind::Integer:
        return make(KroDBComboFactory, static_cast<TKroDBEdit*>(nullptr));
    case TPageControlKind::Memo:
        return make(KroPageMemoFactory, static_cast<TDBMemo*>(nullptr));
    case TPageControlKind::Image:
        return make(KroPageImageFactory, static_cast<TDBImage*>(nullptr));
    case TPageControlKind::Lookup:
        return make(KroLookupComboFactory, static_cast<TDBLookupComboBox*>(nullptr));
    }
    return nullptr;
}

// Combo boxes and memos are bound to their field only once they have a parent.
bool BoundWithParent(const TControl* Control) {
    return qobject_cast<const TCustomComboBox*>(Control) || qobject_cast<const TMemo*>(Control);
}

bool IsCombo(const TControl* Control) {
    return qobject_cast<const TCustomComboBox*>(Control) ||
           qobject_cast<const TDBLookupComboBox*>(Control);
}

// The field's "Values" list, when it publishes one.
const TStrings* FieldValues(const TField* Field) {
    if (!PropIsType(Field, QStringLiteral("Values"), tkClass))
        return nullptr;
    return qobject_cast<const TStrings*>(GetObjectProp(Field, QStringLiteral("Values")));
}

// The characters a field's control shows: its DisplayWidth, or more for the widest of its
// list texts, counted in widths of "0" with a character to spare.
int ShownCharacters(const TControl* Control, const TField* Field) {
    int characters = Field->DisplayWidth();
    const TStrings* values = FieldValues(Field);
    if (!values)
        return characters;
    const int zero = GetFontMetrics(Control->Font(), QStringLiteral("0")).width();
    for (int i = 0; i < values->Count(); ++i) {
        const int width = GetFontMetrics(Control->Font(), values->Strings(i)).width();
        characters = std::max(characters, (width + zero - 1) / zero + 1);
    }
    return characters;
}

// (shown characters + 2) x CharWidth (6 when not positive), one scroll bar wider with
// WithButton.
void SetFieldWidth(TControl* Control, const TField* Field, int CharWidth, bool WithButton) {
    const int charWidth = CharWidth > 0 ? CharWidth : 6;
    int width = (ShownCharacters(Control, Field) + 2) * charWidth;
    if (WithButton)
        width += Screen()->VScrollBarWidth();
    Control->SetWidth(width);
}

void SetReadOnlyProp(TControl* Control) {
    const QString readOnly = QStringLiteral("ReadOnly");
    if (IsPublishedProp(Control, readOnly))
        SetPropValue(Control, readOnly, true);
}

// The kind's menu and settings, where the control has none of its own.
void SetPageDefaults(TPageControlKind Kind, TControl* Control, const TField* Field) {
    TPopupMenu* menu = nullptr;
    switch (Kind) {
    case TPageControlKind::Edit:
    case TPageControlKind::Date:
    case TPageControlKind::Integer:
    case TPageControlKind::Lookup:
        menu = PopupMenuKroDBFieldControls();
        break;
    case TPageControlKind::Memo:
        menu = PopupMenuKroDBMemo();
        if (auto* memo = qobject_cast<TMemo*>(Control))
            memo->SetScrollBars(ssVertical);
        if (!Field->CanModify()) {
            SetReadOnlyProp(Control);
            Control->SetColor(clBtnFace);
        }
        break;
    case TPageControlKind::Image:
        menu = PopupMenuKroDBImage();
        if (!Field->CanModify())
            SetReadOnlyProp(Control);
        break;
    case TPageControlKind::Text:
        break;
    }
    if (menu && !Control->PopupMenu())
        Control->SetPopupMenu(menu);
}

const QString DataFieldProp = QStringLiteral("DataField");

void BindDataField(TControl* Control, const TField* Field) {
    if (IsPublishedProp(Control, DataFieldProp))
        SetStrProp(Control, DataFieldProp, Field->FieldName());
}

// The fields of DataSet that take part in a page.
QList<TField*> PageFields(const TDataSet* DataSet, bool OnlyVisible) {
    QList<TField*> fields;
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        TField* field = DataSet->Fields()->Fields(i);
        if (field->Tag() % 10 != 8 && (!OnlyVisible || field->Visible()))
            fields << field;
    }
    return fields;
}

// The width of the longest (by characters) of the fields' labels in Font.
int LongestLabelWidth(const QList<TField*>& Fields, const TFont* Font) {
    QString longest;
    for (const TField* field : Fields)
        if (field->DisplayLabel().size() > longest.size())
            longest = field->DisplayLabel();
    return longest.isEmpty() ? 0 : GetFontMetrics(Font, longest).width();
}

} // namespace

TControl* CreateFieldControl(TComponent* Owner, TField* Field, TDataSource* DataSource,
                             int CharWidth) {
    const TPageControlKind kind = PageControlKind(Owner, Field);
    TControl* control = NewPageControl(kind, Owner, Field);
    if (!control)
        return nullptr;
    SetPageDefaults(kind, control, Field);
    const QString sourceProp = QStringLiteral("DataSource");
    if (IsPublishedProp(control, sourceProp))
        SetObjectProp(control, sourceProp, DataSource);
    if (!BoundWithParent(control))
        BindDataField(control, Field);
    SetFieldWidth(control, Field, CharWidth, kind == TPageControlKind::Date || IsCombo(control));
    return control;
}

void BuildControls(TWinControl* Parent, TDataSource* DataSource, TFont* LabelFont, TColor Color,
                   bool Aligned, bool OnlyVisible) {
    TDataSet* dataSet = DataSource ? DataSource->DataSet() : nullptr;
    if (!dataSet)
        return;
    const int charWidth = GetFontMetrics(Parent->Font(), QStringLiteral("0")).width();
    TFont* labelFont = LabelFont ? LabelFont : Parent->Font();
    const QList<TField*> fields = PageFields(dataSet, OnlyVisible);
    const int longestLabel = Aligned ? LongestLabelWidth(fields, labelFont) : 0;
    int y = 3;
    int x = 5;
    int rowHeight = 0;
    for (TField* field : fields) {
        TControl* control = CreateFieldControl(Parent, field, DataSource, charWidth);
        if (!control)
            continue;
        if (Color != TColor(0))
            control->SetColor(Color);
        auto* label = new TLabel(Parent);
        label->SetParentFont(false);
        label->Font()->Assign(labelFont);
        label->SetCaption(field->DisplayLabel());
        if (Aligned || Parent->ClientWidth() <= x + label->Width() + 4 + control->Width()) {
            y += rowHeight;
            x = 5;
            rowHeight = 0;
        }
        label->SetBounds(x, y + 3, label->Width(), label->Height());
        const int top = qobject_cast<TLabel*>(control) ? y + 3 : y;
        const int left = x + (Aligned ? longestLabel + 8 : label->Width() + 4);
        control->SetBounds(left, top, control->Width(), control->Height());
        control->SetParent(Parent);
        if (BoundWithParent(control))
            BindDataField(control, field);
        if (auto* windowed = qobject_cast<TWinControl*>(control))
            label->SetFocusControl(windowed);
        label->SetParent(Parent);
        rowHeight = qMax(rowHeight, control->Height() + 5);
        x = control->Left() + control->Width() + 5;
    }
}

TKroScrollBoxForGrid::TKroScrollBoxForGrid(TComponent* AOwner) : TScrollBox(AOwner) {}

void TKroScrollBoxForGrid::SetGrid(TDBGrid* Value) {
    if (!ReplaceReference<TDBGrid>(this, FGrid, Value) || !Value)
        return;
    SetBounds(Value->Left(), Value->Top(), Value->Width(), Value->Height());
    SetAlign(Value->Align());
    Font()->Assign(Value->Font());
}

void TKroScrollBoxForGrid::Toggle() {
    if (FShowing) {
        const bool pageFocused = ContainsControl(Screen()->ActiveControl());
        Hide();
        FShowing = false;
        if (!FGrid)
            return;
        FGrid->Show();
        if (pageFocused && FGrid->CanFocus())
            FGrid->SetFocus();
        return;
    }
    if (!FGrid || !FGrid->DataSource() || !FGrid->DataSource()->DataSet())
        return;
    const bool gridFocused = FGrid->ContainsControl(Screen()->ActiveControl());
    FGrid->Hide();
    SetParent(FGrid->Parent());
    Show();
    Build();
    FShowing = true;
    if (gridFocused)
        SelectNext(nullptr, true, true);
}

void TKroScrollBoxForGrid::Rebuild() {
    if (!FShowing || !FGrid || !FGrid->DataSource() || !FGrid->DataSource()->DataSet())
        return;
    const bool pageFocused = ContainsControl(Screen()->ActiveControl());
    DestroyComponents();
    Build();
    if (pageFocused)
        SelectNext(nullptr, true, true);
}

void TKroScrollBoxForGrid::Build() {
    TDataSource* source = FGrid->DataSource();
    std::unique_ptr<TFont> labelFont;
    Font()->Assign(FGrid->Font());
    if (!source->DataSet()->CanModify()) {
        Font()->SetStyle(Font()->Style() + TFontStyles{fsBold});
        labelFont = std::make_unique<TFont>();
    }
    BuildControls(this, source, labelFont.get(), FGrid->Color(), false, true);
}

void TKroScrollBoxForGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TScrollBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FGrid)
        FGrid = nullptr;
}

// ---- Value editors ---------------------------------------------------------------------

namespace {

bool IsDateField(const TField* Field) {
    return qobject_cast<const TDateField*>(Field) != nullptr;
}

const QString TextProp = QStringLiteral("Text");
const QString DateProp = QStringLiteral("Date");

TControl* NewLookupEditor(TComponent* Owner, TField* Field, TDataSource* ListSource) {
    TControl* made =
        KroPlainLookupComboFactory ? KroPlainLookupComboFactory(Owner, Field) : nullptr;
    if (made && !qobject_cast<TDBLookupComboBox*>(made))
        return made; // an application's own editor
    auto* combo = made ? static_cast<TDBLookupComboBox*>(made) : new TDBLookupComboBox(Owner);
    if (!ListSource) {
        ListSource = new TDataSource(Owner);
        ListSource->SetDataSet(Field->LookupDataSet());
    }
    combo->SetListSource(ListSource);
    combo->SetKeyField(Field->LookupKeyFields());
    combo->SetListField(GetStrProp(Field, QStringLiteral("LookupResultField")));
    combo->SetOnKeyDown(TKeyEvent(&ComboKeyDown));
    return combo;
}

TControl* NewDataEditor(TComponent* Owner, TField* Field) {
    if (TControl* combo = KroComboFactory ? KroComboFactory(Owner, Field) : nullptr)
        return combo;
    auto* edit = new TEdit(Owner);
    edit->SetOnKeyDown(TKeyEvent(&ComboKeyDown));
    return edit;
}

} // namespace

TControl* CreateValueEditor(TComponent* Owner, TField* Field, int CharWidth,
                            TDataSource* ListSource) {
    TControl* editor = nullptr;
    switch (Field->FieldKind()) {
    case fkLookup:
        editor = NewLookupEditor(Owner, Field, ListSource);
        break;
    case fkData:
        editor = NewDataEditor(Owner, Field);
        break;
    default: {
        auto* label = new TLabel(Owner);
        label->SetAutoSize(false);
        editor = label;
    }
    }
    SetFieldWidth(editor, Field, CharWidth, IsDateField(Field) || IsCombo(editor));
    return editor;
}

Variant GetEditorValue(TControl* Control, TField* Field) {
    if (const auto* lookup = qobject_cast<const TDBLookupControl*>(Control))
        return lookup->KeyValue();
    if (const auto* combo = qobject_cast<const TCustomComboBox*>(Control)) {
        const int index = combo->ItemIndex();
        if (index < 0)
            return Null();
        const TStrings* values = FieldValues(Field);
        if (values && index < values->Count() && values->Strings(index).isEmpty())
            return Null();
        return index;
    }
    if (IsDateField(Field) && IsPublishedProp(Control, DateProp))
        return GetPropValue(Control, DateProp);
    if (!PropIsType(Control, TextProp, tkString))
        return Null();
    const QString text = GetStrProp(Control, TextProp);
    return text.isEmpty() ? Null() : Variant(text);
}

void SetEditorValue(TControl* Control, const Variant& Value, TField* Field) {
    if (auto* lookup = qobject_cast<TDBLookupControl*>(Control)) {
        lookup->SetKeyValue(Value);
        return;
    }
    if (auto* combo = qobject_cast<TCustomComboBox*>(Control)) {
        combo->SetItemIndex(VarIsNull(Value) ? -1 : int(VarToInt(Value)));
        return;
    }
    if (IsDateField(Field) && IsPublishedProp(Control, DateProp)) {
        SetPropValue(Control, DateProp, Value);
        return;
    }
    if (!PropIsType(Control, TextProp, tkString))
        return;
    const QString text =
        IsDateField(Field) && !VarIsNull(Value)
            ? VarToDateTime(Value).date().toString(FormatSettings().ShortDateFormat)
            : VarToStr(Value);
    SetStrProp(Control, TextProp, text);
}
