#include "KroListCombo.h"

#include "KroList.h"

#include <controls/KroPopup.h>
#include <dataset/KroDB.h>
#include <ui/Screen.h>
#include <utility>

TKroCustomDBCombo::TKroCustomDBCombo(TComponent* AOwner) : TDBComboBox(AOwner) {
    TDBComboBox::SetStyle(csDropDownList);
}

void TKroCustomDBCombo::SetKroDataField(const QString& Value) {
    SetDataField(Value);
    Refill();
}

void TKroCustomDBCombo::SetKroDataSource(TDataSource* Value) {
    SetDataSource(Value);
    Refill();
}

int TKroCustomDBCombo::ItemCount() const {
    return Items()->Count();
}

void TKroCustomDBCombo::SetStyle(TComboBoxStyle Value) {
    if (Value != csDropDown && Value != csSimple)
        TDBComboBox::SetStyle(Value);
}

void TKroCustomDBCombo::Loaded() {
    TDBComboBox::Loaded();
    Refill();
}

void TKroCustomDBCombo::ParentChanged() {
    TDBComboBox::ParentChanged();
    Refill();
}

void TKroCustomDBCombo::ActiveChange() {
    TDBComboBox::ActiveChange();
    if (!IsLoading())
        Refill();
}

void TKroCustomDBCombo::Refill() {
    if (IsLoading())
        return;
    const auto* field = qobject_cast<TKroListField*>(Field());
    if (Parent() && field)
        Items()->Assign(field->Values());
    else
        Items()->Clear();
    DataChange();
}

TKroListField* TKroCustomDBCombo::ModifiableListField() const {
    auto* field = qobject_cast<TKroListField*>(Field());
    return field && !ReadOnly() && field->CanModify() ? field : nullptr;
}

void TKroCustomDBCombo::KeyDown(quint16& Key, TShiftState Shift) {
    if (Key == VK_BACK || Key == VK_DELETE) {
        if (TKroListField* field = ModifiableListField()) {
            Key = 0;
            if (EditField())
                field->Clear();
            return;
        }
    }
    if (Key == VK_RETURN && Shift.Contains(ssCtrl)) {
        Key = 0;
        PostToWindow([this] { SetDroppedDown(true); });
        return;
    }
    TDBComboBox::KeyDown(Key, Shift);
}

void TKroCustomDBCombo::KeyPress(QChar& Key) {
    TKroListField* field = ModifiableListField();
    if (field && !DroppedDown() && Key >= QLatin1Char('0') && Key <= QLatin1Char('9') &&
        Key.digitValue() <= field->MaxValue()) {
        const int value = Key.digitValue();
        Key = QChar();
        if (EditField())
            field->SetAsInteger(value);
        return;
    }
    TDBComboBox::KeyPress(Key);
}

void TKroCustomDBCombo::DoEnter() {
    TDBComboBox::DoEnter();
    // A press focuses the combo before the combo sees it: the press that comes with this
    // entering is the one that focused it.
    FJustEntered = true;
    PostToWindow([this] { FJustEntered = false; });
}

bool TKroCustomDBCombo::TakeMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool focusing = std::exchange(FJustEntered, false);
    if (Button == mbLeft && focusing && X < Width() - Screen()->VScrollBarWidth())
        return true;
    return TDBComboBox::TakeMouseDown(Button, Shift, X, Y);
}

TKroDBCombo::TKroDBCombo(TComponent* AOwner) : TKroCustomDBCombo(AOwner) {}

void TKroDBCombo::Loaded() {
    TKroCustomDBCombo::Loaded();
    if (!IsDesigning() && !PopupMenu())
        SetPopupMenu(PopupMenuKroDBFieldControls());
}

void TKroDBCombo::KeyDown(quint16& Key, TShiftState Shift) {
    TKroCustomDBCombo::KeyDown(Key, Shift);
    EnterAsTab(this, Key);
}

TControl* CreateListDBCombo(TComponent* Owner, TField* Field) {
    if (!qobject_cast<TKroListField*>(Field))
        return nullptr;
    auto* combo = new TKroDBCombo(Owner);
    combo->SetPopupMenu(PopupMenuKroDBFieldControls());
    return combo;
}
