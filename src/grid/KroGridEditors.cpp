#include "KroGridEditors.h"

#include "KroGrid.h"

#include <dataset/KroDB.h>
#include <db/DataSet.h>
#include <db/DataSource.h>
#include <fields/KroList.h>

// ---- TKroDBGridInplaceEdit -------------------------------------------------------------

TKroDBGridInplaceEdit::TKroDBGridInplaceEdit(TKroDbGrid* Grid)
    : TInplaceEdit(Grid), FKroGrid(Grid) {}

void TKroDBGridInplaceEdit::UpdateContents() {
    TInplaceEdit::UpdateContents();
    TKroDbGrid* grid = FKroGrid;
    if (TField* field = grid->SelectedField()) {
        if (grid->OnSetFont()) {
            Font()->Assign(grid->Font());
            grid->OnSetFont()(this, field, Font());
        }
        grid->OnSetLayout()(this, field);
    }
    if (EditStyle() == esEllipsis && grid->CtrlEnterLed()) {
        grid->FLastKey = 0;
        DoEditButtonClick();
    }
    const quint16 key = grid->FLastKey;
    const bool charKey = grid->FLastKeyChar;
    const TKroColumnKind kind = grid->ColumnKind();
    if (kind != ckPlain)
        grid->HandOverCell();
    switch (kind) {
    case ckLookup:
        if (auto* field = grid->SelectedLookField())
            OpenLookupEditor(field, key, charKey);
        break;
    case ckList:
        grid->ShowListCombo();
        break;
    case ckPlain:
        grid->ShowCustomEditor(charKey && key > VK_SPACE ? QChar(key) : QChar());
        break;
    }
    grid->FLastKey = 0;
}

void TKroDBGridInplaceEdit::OpenLookupEditor(TKroLookField* Field, quint16 Key, bool CharKey) {
    TKroDbGrid* grid = FKroGrid;
    const TKroLookFieldOptions options = Field->Options();
    if (options.Contains(foEditWindow)) {
        const bool editKey = (Key == VK_F2 && !CharKey) || Key == VK_SPACE ||
                             (Key == VK_RETURN && !CharKey && grid->FLastShift.IsEmpty() &&
                              options.Contains(foEditOnEnter));
        if (editKey) {
            grid->ShowEditWindow(QChar());
            return;
        }
    }
    if (!CharKey || Key <= VK_SPACE) {
        grid->ShowLookupCombo();
        return;
    }
    const QChar typed(Key);
    if (options.Contains(foEditWindow) && !options.Contains(foAutoDropDown)) {
        grid->ShowEditWindow(typed);
        return;
    }
    if (options.Contains(foAutoCodeName)) {
        if (typed >= QLatin1Char('0') && typed <= QLatin1Char('9'))
            Field->SetListFieldIndex(0);
        else if ((typed >= QLatin1Char('A') && typed <= QLatin1Char('Z')) ||
                 (typed >= QLatin1Char('a') && typed <= QLatin1Char('z')) || typed.unicode() >= 192)
            Field->SetListFieldIndex(1);
    }
    grid->ShowLookupCombo();
    if (TKroInplaceLookupCombo* combo = grid->LookupCombo(); combo && combo->Visible()) {
        combo->SetFocus();
        combo->PostKeyPress(typed);
    }
}

// ---- TKroInplaceLookupCombo ------------------------------------------------------------

TKroInplaceLookupCombo::TKroInplaceLookupCombo(TComponent* AOwner)
    : TKroCustomDBLookupCombo(AOwner) {
    SetVisible(false);
    SetTabStop(false);
}

TDataSourceLink* TKroInplaceLookupCombo::CreateDataSourceLink() {
    return new TKroCustomDataSourceLink(this);
}

bool TKroInplaceLookupCombo::WantKey(quint16 Key) const {
    return Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE ||
           TKroCustomDBLookupCombo::WantKey(Key);
}

void TKroInplaceLookupCombo::KeyDown(quint16& Key, TShiftState Shift) {
    if (!FGrid) {
        TKroCustomDBLookupCombo::KeyDown(Key, Shift);
        return;
    }
    if (Key == VK_TAB) {
        // Back to the same cell; a Tab posted after a choice finds the combo left already.
        Key = 0;
        if (Focused())
            FGrid->TakeBack(0);
        return;
    }
    if (Key == VK_ESCAPE) {
        const bool listOnly = DroppedDown() && !EffectiveOptions().Contains(foEditOnEnter);
        TKroCustomDBLookupCombo::KeyDown(Key, Shift);
        Key = 0;
        if (!listOnly)
            FGrid->TakeBack(0);
        return;
    }
    const bool enter = Key == VK_RETURN && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
    TKroCustomDBLookupCombo::KeyDown(Key, Shift);
    if (enter && !DroppedDown()) {
        Key = 0;
        FGrid->TakeBack(VK_RETURN);
    }
}

void TKroInplaceLookupCombo::KeyPress(QChar& Key) {
    if (!DroppedDown() && Key > QChar(VK_SPACE) && EffectiveOptions().Contains(foAutoDropDown) &&
        CanModify())
        DropDown();
    TKroCustomDBLookupCombo::KeyPress(Key);
}

void TKroInplaceLookupCombo::DoExit() {
    TKroCustomDBLookupCombo::DoExit();
    Hide();
    if (FGrid)
        FGrid->OnExit()(this);
}

// ---- TKroDBInplaceCombo ----------------------------------------------------------------

TKroDBInplaceCombo::TKroDBInplaceCombo(TComponent* AOwner) : TKroCustomDBCombo(AOwner) {
    SetVisible(false);
    SetTabStop(false);
}

bool TKroDBInplaceCombo::WantKey(quint16 Key) const {
    return Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || TKroCustomDBCombo::WantKey(Key);
}

void TKroDBInplaceCombo::KeyDown(quint16& Key, TShiftState Shift) {
    if (!FGrid) {
        TKroCustomDBCombo::KeyDown(Key, Shift);
        return;
    }
    if (Key == VK_TAB) {
        Key = 0;
        FGrid->TakeBack(0);
        FGrid->PostKeyDown(VK_TAB, Shift * TShiftState{ssShift});
        return;
    }
    const bool leave = (Key == VK_RETURN && !Shift.Contains(ssCtrl)) || Key == VK_ESCAPE;
    const quint16 key = Key;
    TKroCustomDBCombo::KeyDown(Key, Shift);
    if (!leave)
        return;
    Key = 0;
    FGrid->TakeBack(key == VK_RETURN ? VK_RETURN : 0);
}

void TKroDBInplaceCombo::DoExit() {
    TKroCustomDBCombo::DoExit();
    Hide();
    if (FGrid) {
        FGrid->OnExit()(this);
        FGrid->OnClick()(this);
    }
}

// ---- TKroLookupEditGrid ----------------------------------------------------------------

TKroLookupEditGrid::TKroLookupEditGrid(TKroDbGrid* Grid) : TKroLookupEdit(Grid), FGrid(Grid) {
    SetBorderStyle(bsNone);
}

void TKroLookupEditGrid::Open(TKroLookField* Field, int Column) {
    FField = Field;
    FColumn = Column;
    FStartText = Text().trimmed();
    if (!FOpen) {
        // The grid is left for the window: it is not left for the program's handler.
        FGridOnExit = FGrid->OnExit();
        FGrid->SetOnExit({});
    }
    FOpen = true;
    Show();
    BringToFront();
    SetTextMargins(QMargins(2, 2, 2, 0));
    Invalidate();
    if (CanFocus())
        SetFocus();
    SelectAll();
}

bool TKroLookupEditGrid::WantKey(quint16 Key) const {
    return Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || TKroLookupEdit::WantKey(Key);
}

void TKroLookupEditGrid::KeyDown(quint16& Key, TShiftState Shift) {
    // The grid's window handles its keys itself, not as a combo's does.
    switch (Key) {
    case VK_RETURN:
        Key = 0;
        FGrid->TakeBack(VK_RETURN);
        return;
    case VK_ESCAPE:
        Key = 0;
        FCommit = false;
        FGrid->TakeBack(0);
        return;
    case VK_TAB:
        Key = 0;
        FGrid->TakeBack(0);
        FGrid->PostKeyDown(VK_TAB, Shift * TShiftState{ssShift});
        return;
    default:
        TMaskEdit::KeyDown(Key, Shift);
    }
}

void TKroLookupEditGrid::DoExit() {
    TMaskEdit::DoExit();
    if (!FOpen)
        return;
    FOpen = false;
    FGrid->SetOnExit(FGridOnExit);
    const QString text = Text().trimmed();
    if (!ReadOnly() && FCommit && text != FStartText)
        HandleExceptions([&] { Commit(text); });
    FCommit = true;
    Hide();
    FGrid->OnExit()(this);
    FGrid->OnClick()(this);
}

void TKroLookupEditGrid::EditRecord() const {
    TDataSet* dataSet = FField->DataSet();
    if (!dataSet->IsEditing())
        dataSet->Edit();
}

void TKroLookupEditGrid::Commit(const QString& Text) {
    TKroLookField* field = FField;
    if (!field || !field->DataSet())
        return;
    if (field->SetEditValue()) {
        field->SetEditValue()(field, Text);
        return;
    }
    TField* key = field->DataSet()->FieldByName(field->KeyFields());
    if (Text.isEmpty()) {
        EditRecord();
        key->Clear();
        return;
    }
    const TField* column =
        FColumn >= 0 && FColumn < field->ResultFieldCount() ? field->ResultField(FColumn) : nullptr;
    if (!column)
        return;
    if (field->Options().Contains(foValueNotInLookup) &&
        column->FieldName().compare(field->LookupKeyFields(), Qt::CaseInsensitive) == 0) {
        EditRecord();
        key->SetAsString(Text);
        return;
    }
    TDataSet* lookup = field->LookupDataSet();
    if (lookup && lookup->Locate(column->FieldName(), Text, {loCaseInsensitive, loPartialKey})) {
        const Variant found = lookup->FieldValues(field->LookupKeyFields());
        EditRecord();
        key->SetValue(found);
        return;
    }
    ShowKroMessage(QStringLiteral("Incorrect value"));
}
