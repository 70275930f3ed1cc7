#pragma once

// Control generation for the one-record page and the value editors of dialogs. The
// factories below are filled by the units of the special fields and their controls (and
// may be set by an application); each makes the control for a field it knows, owned by
// Owner, or gives nullptr so that the page's default control is used.

#include <ui/DBCtrls.h>

class TComponent;
class TControl;
class TField;

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
