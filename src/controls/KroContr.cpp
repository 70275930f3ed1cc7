#include "KroContr.h"

#include "KroPopup.h"

#include <dataset/KroDB.h>
#include <db/DataSource.h>
#include <db/Fields.h>
#include <rtl/FormatSettings.h>
#include <rtl/TypeInfo.h>
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

// ---- Value editors ---------------------------------------------------------------------

namespace {

constexpr int DefaultCharWidth = 6;

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

bool IsComboLike(const TControl* Control) {
    return qobject_cast<const TCustomComboBox*>(Control) ||
           qobject_cast<const TDBLookupComboBox*>(Control);
}

// The field's "Values" list, when it publishes one.
const TStrings* FieldValues(const TField* Field) {
    if (!PropIsType(Field, QStringLiteral("Values"), tkClass))
        return nullptr;
    return qobject_cast<const TStrings*>(GetObjectProp(Field, QStringLiteral("Values")));
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
    const int charWidth = CharWidth > 0 ? CharWidth : DefaultCharWidth;
    int width = (Field->DisplayWidth() + 2) * charWidth;
    if (IsDateField(Field) || IsComboLike(editor))
        width += Screen()->VScrollBarWidth();
    editor->SetWidth(width);
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
