#include "TextSelection.h"

#include "Clipbrd.h"

void TTextSelection::ClearSelection() {
    if (SelLength() > 0)
        SetSelText(QString());
}

void TTextSelection::CopyToClipboard() const {
    if (SelLength() > 0)
        Clipboard()->SetAsText(SelText());
}

void TTextSelection::CutToClipboard() {
    if (SelLength() == 0)
        return;
    CopyToClipboard();
    ClearSelection();
}

void TTextSelection::PasteFromClipboard() {
    SetSelText(Clipboard()->AsText());
}
