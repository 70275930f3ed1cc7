#include "DiFind.h"

#include <algorithm>
#include <controls/KroContr.h>
#include <db/DataSource.h>
#include <db/Field.h>
#include <forms/DiAdv.h>
#include <ui/Buttons.h>
#include <ui/DBLookup.h>
#include <ui/ExtCtrls.h>
#include <ui/Screen.h>
#include <ui/StdCtrls.h>

namespace {

constexpr int RowGap = 5;
constexpr int Margin = 8;          // inside the bevel, and between label and editor
constexpr int ScreenRightGap = 32; // editors end this far from the screen's right edge

} // namespace

TDialFind::TDialFind(TComponent* AOwner) : TForm(AOwner) {
    Q_INIT_RESOURCE(Search);
    InitForm();
    Bevel1 = FormComponent<TBevel>(this, "Bevel1");
    Panel1 = FormComponent<TPanel>(this, "Panel1");
    CheckBoxCase = FormComponent<TCheckBox>(this, "CheckBoxCase");
    CheckBoxNoPartial = FormComponent<TCheckBox>(this, "CheckBoxNoPartial");
    BtnFind = FormComponent<TBitBtn>(this, "BtnFind");
    BtnCancel = FormComponent<TBitBtn>(this, "BtnCancel");
    DataSource = FormComponent<TDataSource>(this, "DataSource");
    SetCaption(FindTextCaption);
    BtnFind->SetCaption(FindTextFind);
    BtnCancel->SetCaption(FindTextCancel);
    CheckBoxCase->SetCaption(FindTextCase);
    CheckBoxNoPartial->SetCaption(FindTextNoPartial);
}

void TDialFind::BuildRows(const QList<TField*>& Fields, int MaxLabelWidth, int MaxEditWidth) {
    const int charWidth = GetFontMetrics(Font(), QString()).width();
    int labelWidth = 0;
    for (const TField* field : Fields)
        labelWidth = std::max(labelWidth, GetFontMetrics(Font(), field->DisplayLabel()).width());
    if (MaxLabelWidth > 0)
        labelWidth = std::min(labelWidth, MaxLabelWidth * charWidth);
    const int labelLeft = Bevel1->Left() + Margin;
    const int editorLeft = labelLeft + labelWidth + Margin;
    const int screenRight = Screen()->Width() - ScreenRightGap;
    int top = Bevel1->Top() + Margin;
    int right = 0;
    for (TField* field : Fields) {
        TControl* editor = CreateValueEditor(this, field, charWidth);
        int width = editor->Width();
        if (MaxEditWidth > 0)
            width = std::min(width, MaxEditWidth * charWidth);
        width = std::max(std::min(width, screenRight - editorLeft), charWidth);
        editor->SetBounds(editorLeft, top, width, editor->Height());
        editor->SetParent(this);
        auto* label = new TLabel(this);
        label->SetAutoSize(false);
        label->SetCaption(field->DisplayLabel());
        label->SetBounds(labelLeft, top + 3, labelWidth, label->Height());
        label->SetFocusControl(qobject_cast<TWinControl*>(editor));
        label->SetParent(this);
        if (FEditors.isEmpty())
            SetActiveControl(qobject_cast<TWinControl*>(editor));
        FEditors << editor;
        right = std::max(right, editorLeft + width);
        top += editor->Height() + RowGap;
    }
    FitRows(right + Margin, top - RowGap + Margin);
}

void TDialFind::FitRows(int Right, int Bottom) {
    const int gapRight = ClientWidth() - (Bevel1->Left() + Bevel1->Width());
    const int gapBelow = ClientHeight() - (Bevel1->Top() + Bevel1->Height());
    const int width = std::max(Bevel1->Width(), Right - Bevel1->Left());
    Bevel1->SetBounds(Bevel1->Left(), Bevel1->Top(), width, Bottom - Bevel1->Top());
    SetClientWidth(Bevel1->Left() + width + gapRight);
    SetClientHeight(Bevel1->Top() + Bevel1->Height() + gapBelow);
}

void TDialFind::FormCloseQuery(TObject*, bool&) {
    auto* combo = qobject_cast<TDBLookupComboBox*>(ActiveControl());
    if (combo && combo->DroppedDown())
        combo->CloseUp(true);
}
