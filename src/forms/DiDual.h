#pragma once

#include <ui/Forms.h>

class TBitBtn;
class TLabel;
class TListBox;
class TSpeedButton;
class TStrings;

// Two lists side by side, with buttons, double clicks, drag and drop and Ctrl+Up/Down to
// move items between them and reorder them; items keep their objects when they move. The
// caller sets the captions, fills SrcList and DstList, calls ShowModal and, when it gives
// mrOk, reads the two lists.
class TKroDualListDlg : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/kro/forms/DiDual.form")
public:
    Q_INVOKABLE explicit TKroDualListDlg(TComponent* AOwner = nullptr);

    TLabel* SrcLabel = nullptr;
    TLabel* DstLabel = nullptr;
    TSpeedButton* IncludeBtn = nullptr;
    TSpeedButton* IncAllBtn = nullptr;
    TSpeedButton* ExcludeBtn = nullptr;
    TSpeedButton* ExAllBtn = nullptr;
    TListBox* SrcList = nullptr;
    TListBox* DstList = nullptr;
    TBitBtn* OkBtn = nullptr;
    TBitBtn* CancelBtn = nullptr;

    // The selected items of one list go to the end of the other.
    Q_INVOKABLE void IncludeBtnClick(TObject* Sender);
    Q_INVOKABLE void ExcludeBtnClick(TObject* Sender);
    // Every item of one list goes, in order, to the end of the other.
    Q_INVOKABLE void IncAllBtnClick(TObject* Sender);
    Q_INVOKABLE void ExcAllBtnClick(TObject* Sender);
    // One selected item may go to either list, several only to the other one.
    Q_INVOKABLE void ListDragOver(TObject* Sender, TObject* Source, int X, int Y, TDragState State,
                                  bool& Accept);
    // From the other list: moves the selection as the buttons do; within a list: moves
    // the selected item to the item dropped on (to the end below the last).
    Q_INVOKABLE void ListDragDrop(TObject* Sender, TObject* Source, int X, int Y);
    // Ctrl+Down and Ctrl+Up move the selected item one place, wrapping round the ends.
    Q_INVOKABLE void ListKeyDown(TObject* Sender, quint16& Key, TShiftState Shift);
    Q_INVOKABLE void FormActivate(TObject* Sender);

    // Appends the selected items of List to Items, last first, and deletes them from List.
    void MoveSelected(TListBox* List, TStrings* Items);
    // Each list's buttons are enabled exactly when it has items.
    void SetButtons();
    // The first selected item, or -1.
    int GetFirstSelection(TListBox* List) const;
    // Focuses List and selects the item at Index, kept within the list.
    void SetItem(TListBox* List, int Index);
    // Moves the one selected item of List to Index and keeps it selected; an Index below
    // the first item means the last, one beyond the last means the first. Does nothing
    // unless exactly one item is selected.
    void MoveWithinList(TListBox* List, int Index);

private:
    // Moves the selection of From to the end of To and selects From's item at the place
    // of its first moved one.
    void MoveSelection(TListBox* From, TListBox* To);
    // Moves every item of From to the end of To.
    void MoveAll(TListBox* From, TListBox* To);
};
