#pragma once

#include <QString>

// The selection of a text control and the clipboard operations on it, written once over
// what each control gives: the selection's place and text, and its replacement. Positions
// count characters from 0, a line break being one.
class TTextSelection {
public:
    // Where the selection starts, or the cursor when nothing is selected.
    virtual int SelStart() const = 0;
    // Puts the cursor there, selecting nothing.
    virtual void SetSelStart(int Value) = 0;
    virtual int SelLength() const = 0;
    // Selects Value characters from SelStart.
    virtual void SetSelLength(int Value) = 0;
    virtual QString SelText() const = 0;
    // Replaces the selection, or inserts at the cursor, leaving the cursor after Value.
    virtual void SetSelText(const QString& Value) = 0;
    virtual void SelectAll() = 0;

    // The operations that change the text are virtual, so that a control can refuse or
    // prepare them (a data-aware one starts editing its field first).
    virtual void ClearSelection();
    void CopyToClipboard() const;
    virtual void CutToClipboard();
    virtual void PasteFromClipboard();

protected:
    TTextSelection() = default;
    ~TTextSelection() = default;
    TTextSelection(const TTextSelection&) = delete;
    TTextSelection& operator=(const TTextSelection&) = delete;
};
