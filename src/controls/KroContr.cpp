#include "KroContr.h"

#include "KroPopup.h"

#include <dataset/KroDB.h>

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
