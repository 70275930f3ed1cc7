#pragma once

// Control generation for the one-record page and the value editors of dialogs. The
// factories below are filled by the units of the lookup and list fields and their controls
// (and may be set by an application); each makes the control for a field it knows, owned by
// Owner, or gives nullptr so that the page's default control is used.

#include <ui/DBCtrls.h>
#include <ui/ExtCtrls.h>

class TComponent;
class TControl;
class TDBGrid;
class TField;
class TFont;

// The library's data-aware edit: Enter moves the focus on (the value goes to the field as
// the focus leaves) instead of posting the record, so a half-filled new record stays
// unposted; it gets the field controls' menu.
class TKroDBEdit : public TDBEdit {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TKroDBEdit(TComponent* AOwner = nullptr);

    void Loaded() override;

protected:
    void KeyDown(quint16& Key, TShiftState Shift) override;
};

using TKroControlFactory = TControl* (*)(TComponent* Owner, TField* Field);

// The page's text control for a field (KroLook: a data-aware text of a lookup field).
extern TKroControlFactory KroTextFactory;
// The page's lookup combo, with the lookup field's settings (KroLook).
extern TKroControlFactory KroLookupComboFactory;
// The value editors' lookup combo, with only the header settings (KroLook).
extern TKroControlFactory KroPlainLookupComboFactory;
// The value editors' combo of a list field (KroList): an unbound combo of its texts.
extern TKroControlFactory KroComboFactory;
// The page's data-aware combo of a list field (KroList).
extern TKroControlFactory KroDBComboFactory;

// ---- One-record page ------------------------------------------------------------------

// The page's controls of the other kinds, for an application to replace.
extern TKroControlFactory KroPageEditFactory;
extern TKroControlFactory KroPageDateFactory;
extern TKroControlFactory KroPageMemoFactory;
extern TKroControlFactory KroPageImageFactory;

// A grid's one-record page: it takes the grid's place and shows a label and a data-aware
// control for each visible field of the grid's dataset, built afresh every time it shows.
class TKroScrollBoxForGrid : public TScrollBox {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TKroScrollBoxForGrid(TComponent* AOwner = nullptr);

    TDBGrid* Grid() const { return FGrid; }
    // Attaches the page to Value and takes its bounds, alignment and font.
    void SetGrid(TDBGrid* Value);
    // Whether the page stands in the grid's place.
    bool Showing() const { return FShowing; }
    // Shows the page in the grid's place, or the grid again; the focus goes along.
    void Toggle();
    // Builds the controls again while the page shows (after the fields changed).
    void Rebuild();

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void Build();

    TDBGrid* FGrid = nullptr;
    bool FShowing = false;
};

// Lays out a label and a bound control for each field of DataSource's dataset in Parent:
// fields with Tag mod 10 = 8 and, with OnlyVisible, hidden ones are left out. Labels take
// LabelFont (nullptr: the parent's font); controls take Color unless it is 0. Aligned puts
// every field on a row of its own with the controls in one column; otherwise fields follow
// one another and wrap at the parent's width.
void BuildControls(TWinControl* Parent, TDataSource* DataSource, TFont* LabelFont, TColor Color,
                   bool Aligned, bool OnlyVisible);
// The data-aware control of Field, owned by Owner, bound to DataSource and
// (DisplayWidth + 2) x CharWidth wide (6 when CharWidth is not positive), a scroll bar wider
// for a date or a combo; nullptr when there is none. A combo box or a memo gets its
// DataField once it has a parent.
TControl* CreateFieldControl(TComponent* Owner, TField* Field, TDataSource* DataSource,
                             int CharWidth);

// ---- Value editors ---------------------------------------------------------------------
// Unbound editors for entering a value of a field (the filter and find dialogs).

class TDataSource;

// An unbound editor for a value of Field, owned by Owner: a label for a calculated field;
// for a lookup field a lookup combo (KroPlainLookupComboFactory's, else the platform's)
// listing the lookup dataset through ListSource, a data source made on it and owned by
// Owner when nullptr; for a data field KroComboFactory's combo, else an edit. Sized as the
// page's controls: (DisplayWidth + 2) × CharWidth (6 when not positive), one scroll bar
// wider for a date field and the combos. Edits and lookup combos get ComboKeyDown.
TControl* CreateValueEditor(TComponent* Owner, TField* Field, int CharWidth,
                            TDataSource* ListSource = nullptr);
// The editor's value: a lookup combo's key; a combo's item index (null when nothing or an
// empty entry of the field's "Values" is chosen); a date field's "Date" property when the
// control has one; else its "Text", null when empty.
Variant GetEditorValue(TControl* Control, TField* Field);
// Shows Value in the editor, the reverse of GetEditorValue (a date as the short date).
void SetEditorValue(TControl* Control, const Variant& Value, TField* Field);
