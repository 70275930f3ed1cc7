#pragma once

// The editors the library's grid lays over a cell: its cell editor, which hands a lookup
// or list column to a control of its own, the lookup combo and list combo over the cell,
// and the edit window in which a code or a name of a lookup is typed.

#include <QPointer>
#include <fields/KroListCombo.h>
#include <fields/KroLookCombo.h>
#include <ui/Grids.h>

class TKroDbGrid;

// The grid's cell editor. Loading a cell, it raises the grid's OnSetFont and OnSetLayout,
// and on a lookup, list or (through GridCustomEditorHook) custom column turns editor mode
// off and opens the column's own editor, chosen by the key that led here.
class TKroDBGridInplaceEdit : public TInplaceEdit {
    Q_OBJECT
public:
    explicit TKroDBGridInplaceEdit(TKroDbGrid* Grid);

    void UpdateContents() override;

private:
    // Opens the auxiliary editor of a lookup column for the key that led here.
    void OpenLookupEditor(TKroLookField* Field, quint16 Key, bool CharKey);

    TKroDbGrid* FKroGrid;
};

// The grid's lookup combo over a cell. Tab and Esc return to the grid on the same cell,
// Enter (with the list closed) to the grid, which moves on; leaving it hides it and raises
// the grid's OnExit.
class TKroInplaceLookupCombo : public TKroCustomDBLookupCombo {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TKroInplaceLookupCombo(TComponent* AOwner = nullptr);

    TKroDbGrid* Grid() const { return FGrid; }
    void SetGrid(TKroDbGrid* Value) { FGrid = Value; }

protected:
    TDataSourceLink* CreateDataSourceLink() override;
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoExit() override;
    bool WantKey(quint16 Key) const override;

private:
    QPointer<TKroDbGrid> FGrid;
};

// The grid's list combo over a cell. Tab moves the grid to the next column, Enter and Esc
// return to the grid (Enter moving on); leaving it hides it and raises the grid's OnExit
// and OnClick.
class TKroDBInplaceCombo : public TKroCustomDBCombo {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TKroDBInplaceCombo(TComponent* AOwner = nullptr);

    TKroDbGrid* Grid() const { return FGrid; }
    void SetGrid(TKroDbGrid* Value) { FGrid = Value; }

protected:
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void DoExit() override;
    bool WantKey(quint16 Key) const override;

private:
    QPointer<TKroDbGrid> FGrid;
};

// The grid's edit window over a sub-cell of a lookup column: a code or a name typed
// directly. Leaving it writes the key of the first lookup row whose column starts with the
// text (ignoring case) into the record; Esc leaves without writing.
class TKroLookupEditGrid : public TKroLookupEdit {
    Q_OBJECT
public:
    explicit TKroLookupEditGrid(TKroDbGrid* Grid);

    TKroDbGrid* Grid() const { return FGrid; }
    // Whether the window shows over a cell.
    bool IsOpen() const { return FOpen; }
    // Shows the window for Field's result column Column, focused, with its text selected;
    // the grid's OnExit is held back until it is left.
    void Open(TKroLookField* Field, int Column);
    // Leaving the window this time writes nothing (its record is no longer current).
    void Discard() { FCommit = false; }

protected:
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void DoExit() override;
    bool WantKey(quint16 Key) const override;

private:
    // Writes the text into the record's key (see the class comment).
    void Commit(const QString& Text);
    // Puts the grid's dataset into edit state unless it is editing.
    void EditRecord() const;

    TKroDbGrid* FGrid;
    QPointer<TKroLookField> FField;
    int FColumn = -1;
    bool FOpen = false;
    bool FCommit = true;
    QString FStartText; // the text shown at opening; an unchanged text writes nothing
    TNotifyEvent FGridOnExit;
};
