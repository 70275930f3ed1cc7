#include "DiDual.h"

#include "DiAdv.h"

#include <rtl/Keys.h>
#include <ui/Buttons.h>
#include <ui/StdCtrls.h>

TKroDualListDlg::TKroDualListDlg(TComponent* AOwner) : TForm(AOwner) {
    Q_INIT_RESOURCE(Forms);
    InitForm();
    SrcLabel = FormComponent<TLabel>(this, "SrcLabel");
    DstLabel = FormComponent<TLabel>(this, "DstLabel");
    IncludeBtn = FormComponent<TSpeedButton>(this, "IncludeBtn");
    IncAllBtn = FormComponent<TSpeedButton>(this, "IncAllBtn");
    ExcludeBtn = FormComponent<TSpeedButton>(this, "ExcludeBtn");
    ExAllBtn = FormComponent<TSpeedButton>(this, "ExAllBtn");
    SrcList = FormComponent<TListBox>(this, "SrcList");
    DstList = FormComponent<TListBox>(this, "DstList");
    OkBtn = FormComponent<TBitBtn>(this, "OkBtn");
    CancelBtn = FormComponent<TBitBtn>(this, "CancelBtn");
}

void TKroDualListDlg::IncludeBtnClick(TObject*) {
    MoveSelection(SrcList, DstList);
}

void TKroDualListDlg::ExcludeBtnClick(TObject*) {
    MoveSelection(DstList, SrcList);
}

void TKroDualListDlg::IncAllBtnClick(TObject*) {
    MoveAll(SrcList, DstList);
}

void TKroDualListDlg::ExcAllBtnClick(TObject*) {
    MoveAll(DstList, SrcList);
}

void TKroDualListDlg::MoveSelection(TListBox* From, TListBox* To) {
    const int first = GetFirstSelection(From);
    MoveSelected(From, To->Items());
    SetItem(From, first);
}

void TKroDualListDlg::MoveAll(TListBox* From, TListBox* To) {
    To->Items()->AddStrings(From->Items());
    From->Clear();
    SetItem(From, 0);
}

void TKroDualListDlg::MoveSelected(TListBox* List, TStrings* Items) {
    TStrings* lines = List->Items();
    for (int i = lines->Count() - 1; i >= 0; --i) {
        if (!List->Selected(i))
            continue;
        Items->AddObject(lines->Strings(i), lines->Objects(i));
        lines->Delete(i);
    }
}

void TKroDualListDlg::SetButtons() {
    const bool sourceFilled = SrcList->Items()->Count() > 0;
    const bool targetFilled = DstList->Items()->Count() > 0;
    IncludeBtn->SetEnabled(sourceFilled);
    IncAllBtn->SetEnabled(sourceFilled);
    ExcludeBtn->SetEnabled(targetFilled);
    ExAllBtn->SetEnabled(targetFilled);
}

int TKroDualListDlg::GetFirstSelection(TListBox* List) const {
    for (int i = 0; i < List->Items()->Count(); ++i)
        if (List->Selected(i))
            return i;
    return -1;
}

void TKroDualListDlg::SetItem(TListBox* List, int Index) {
    if (List->CanFocus())
        List->SetFocus();
    const int last = List->Items()->Count() - 1;
    if (last >= 0) {
        Index = qBound(0, Index, last);
        List->SetItemIndex(Index);
        List->SetSelected(Index, true);
    }
    SetButtons();
}

void TKroDualListDlg::MoveWithinList(TListBox* List, int Index) {
    if (List->SelCount() != 1)
        return;
    const int last = List->Items()->Count() - 1;
    if (Index < 0)
        Index = last;
    else if (Index > last)
        Index = 0;
    const int current = GetFirstSelection(List);
    if (Index == current)
        return;
    // The line keeps its selection as it moves.
    List->Items()->Move(current, Index);
    List->SetItemIndex(Index);
}

void TKroDualListDlg::ListDragOver(TObject* Sender, TObject* Source, int, int, TDragState,
                                   bool& Accept) {
    auto* source = qobject_cast<TListBox*>(Source);
    Accept = false;
    if ((source != SrcList && source != DstList) || source->SelCount() == 0)
        return;
    const bool single = source->SelCount() == 1;
    source->SetDragCursor(single ? crDrag : crMultiDrag);
    Accept = single || Sender != Source;
}

void TKroDualListDlg::ListDragDrop(TObject* Sender, TObject* Source, int X, int Y) {
    if (Sender == DstList && Source == SrcList)
        IncludeBtnClick(Sender);
    else if (Sender == SrcList && Source == DstList)
        ExcludeBtnClick(Sender);
    else if (Sender == Source && (Sender == SrcList || Sender == DstList)) {
        auto* list = static_cast<TListBox*>(Sender);
        MoveWithinList(list, list->ItemAtPos(QPoint(X, Y), true));
    }
}

void TKroDualListDlg::ListKeyDown(TObject* Sender, quint16& Key, TShiftState Shift) {
    auto* list = qobject_cast<TListBox*>(Sender);
    if (!list || !Shift.Contains(ssCtrl) || (Key != VK_DOWN && Key != VK_UP))
        return;
    MoveWithinList(list, GetFirstSelection(list) + (Key == VK_DOWN ? 1 : -1));
    Key = 0;
}

void TKroDualListDlg::FormActivate(TObject*) {
    SetButtons();
}
